#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

FileStatus ReadDataFile(const std::string& path, std::size_t limit, std::string* out,
                        bool* truncated) {
  out->clear();
  if (truncated != nullptr) *truncated = false;
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0)
    return errno == ENOENT || errno == ENOTDIR ? FileStatus::Missing : FileStatus::Unreadable;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    std::fprintf(stderr, "kurunoa: %s is not a regular file; it counts as missing\n", path.c_str());
    return FileStatus::NotRegular;
  }
  char buffer[65536];
  for (;;) {
    const std::size_t room = limit - out->size();
    // One byte past the limit tells a file of exactly limit bytes from a longer one.
    const std::size_t want = room < sizeof buffer ? room + 1 : sizeof buffer;
    const ssize_t got = ::read(fd, buffer, want);
    if (got < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      out->clear();
      return FileStatus::Unreadable;
    }
    if (got == 0) break;
    const std::size_t n = static_cast<std::size_t>(got);
    if (n > room) {
      out->append(buffer, room);
      if (truncated != nullptr) *truncated = true;
      break;
    }
    out->append(buffer, n);
  }
  ::close(fd);
  return FileStatus::Ok;
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
