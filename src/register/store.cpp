// The register's two files on disk, replaced together or not at all.
//
// A save writes both new files to temporaries of its own (names unique to
// the process, created exclusively, never through a link) and syncs them.
// Then it writes a small commit record naming both temporaries with their
// sizes and checksums, syncs it and renames it into place as
// "register.commit". That rename is the moment the new register exists:
// before it the old pair stands untouched, after it the temporaries are
// renamed over da2.txt and da1.txt and the record is removed. Whoever next
// takes the folder's lock (the next start, the next save, another copy of
// the game) and finds a record left by a crash finishes those renames
// first, so the pair on disk is always the old register or the new one.
// Temporaries that no record names belong to saves that never committed
// and are removed. Everything happens under an exclusive lock on
// "register.lock" beside the files, so two copies never interleave.
#include "register/store.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>

#include "frame/frame.h"
#include "platform/files.h"
#include "register/register.h"

int32_t RegisterKillAtStep;
int32_t RegisterKillAtLoadStep;
int32_t RegisterStepsTaken;
int32_t RegisterSaveSteps;

namespace {

// Far beyond any register the game writes (999 records are about 160 KB);
// whatever lies past it reads as the end of the file.
constexpr std::size_t kMaxFileBytes = 16u << 20;
constexpr char kCommitName[] = "register.commit";
constexpr char kLockName[] = "register.lock";
constexpr char kCommitHeader[] = "kurunoa register commit 1";
constexpr int kLockWaitMs = 5000;

int LockFd = -1;
int32_t TempSerial;
bool StepsOfASave = false;

uint64_t ContentHash(std::string_view bytes) {
  uint64_t h = 0xcbf29ce484222325ull;  // FNV-1a
  for (unsigned char c : bytes) h = (h ^ c) * 0x100000001b3ull;
  return h;
}

bool Fail(std::string* error, const char* what, const std::string& path) {
  *error = std::string(what) + " " + path + ": " + std::strerror(errno);
  return false;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Creates path (which must not exist: a link or a file left in its place
// is never written through), writes, syncs and closes it.
bool WriteNewFile(const std::string& path, std::string_view data, std::string* error) {
  int fd = SaveStepFails(EACCES)
               ? -1
               : ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return Fail(error, "cannot create", path);
  bool ok;
  if (SaveStepFails(ENOSPC)) {
    WriteAll(fd, data.substr(0, data.size() / 2));  // a disk that fills up halfway
    errno = ENOSPC;
    ok = false;
  } else {
    ok = WriteAll(fd, data);
  }
  if (ok) ok = !SaveStepFails(EIO) && ::fsync(fd) == 0;
  const int e = errno;
  const bool closed = !SaveStepFails(EIO) && ::close(fd) == 0;
  if (!ok) {
    errno = e;
    return Fail(error, "cannot write", path);
  }
  if (!closed) return Fail(error, "cannot close", path);
  return true;
}

bool RenameStep(const std::string& from, const std::string& to, std::string* error) {
  if (SaveStepFails(EACCES) || std::rename(from.c_str(), to.c_str()) != 0) {
    return Fail(error, "cannot rename", from);
  }
  return true;
}

bool UnlinkStep(const std::string& path, std::string* error) {
  if (SaveStepFails(EACCES) || (::unlink(path.c_str()) != 0 && errno != ENOENT)) {
    return Fail(error, "cannot remove", path);
  }
  return true;
}

// Makes the renames and removals in the folder durable.
bool SyncFolder(std::string* error) {
  const std::string folder = RegisterFolder();
  if (SaveStepFails(EIO)) return Fail(error, "cannot sync", folder);
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Fail(error, "cannot open", folder);
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync folders
  const int e = errno;
  ::close(fd);
  errno = e;
  return ok || Fail(error, "cannot sync", folder);
}

// A name of this process's own that no other save uses.
std::string TempName(const char* target) {
  return std::string(target) + ".tmp-" + std::to_string(::getpid()) + "-" +
         std::to_string(++TempSerial);
}

bool IsTempName(std::string_view name) {
  for (std::string_view prefix : {"da1.txt.tmp", "da2.txt.tmp", "register.commit.tmp"}) {
    if (name.substr(0, prefix.size()) == prefix) return true;
  }
  return false;
}

bool LinkFree(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// One entry of a commit record: the temporary that becomes the target.
struct CommitEntry {
  std::string Target, Temp;
  std::size_t Size = 0;
  uint64_t Hash = 0;
};

bool ParseCommitRecord(std::string_view text, CommitEntry entries[2]) {
  auto line = [&text]() {
    const std::size_t end = text.find('\n');
    std::string_view l = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    return std::string(l);
  };
  if (line() != kCommitHeader) return false;
  for (int i = 0; i < 2; ++i) {
    char target[16], temp[128];
    unsigned long long size = 0, hash = 0;
    const std::string l = line();
    if (std::sscanf(l.c_str(), "%15s %127s %llu %llx", target, temp, &size, &hash) != 4) {
      return false;
    }
    entries[i] = {target, temp, static_cast<std::size_t>(size), hash};
    const bool targetOk = entries[i].Target == (i == 0 ? "da2.txt" : "da1.txt");
    // Only our own temporaries beside the register, never a path elsewhere.
    if (!targetOk || entries[i].Temp.rfind(entries[i].Target + ".tmp-", 0) != 0 ||
        entries[i].Temp.find('/') != std::string::npos) {
      return false;
    }
  }
  return true;
}

bool Matches(const std::string& path, const CommitEntry& e, std::string* bytes) {
  bool truncated = false;
  return LinkFree(path) && ReadDataFile(path, kMaxFileBytes, bytes, &truncated) == FileStatus::Ok &&
         !truncated && bytes->size() == e.Size && ContentHash(*bytes) == e.Hash;
}

// Reads one register file as it stands; a missing one reads as absent.
void ReadOne(const std::string& path, bool* has, std::string* text) {
  *has = ReadDataFile(path, kMaxFileBytes, text) == FileStatus::Ok;
  if (!*has) text->clear();
}

void Warn(const std::string& line) { std::fprintf(stderr, "kurunoa: %s\n", line.c_str()); }

// Finishes a committed save. Returns false when the record had to stay
// (a rename failed); *view then receives the committed contents.
bool RollForward(const std::string& folder, RegisterFiles* view) {
  std::string record;
  if (ReadDataFile(folder + kCommitName, 4096, &record) != FileStatus::Ok) return true;
  CommitEntry entries[2];
  std::string error;
  if (!ParseCommitRecord(record, entries)) {
    // Not a record this game wrote: nothing can be finished from it.
    Warn(folder + kCommitName + " is not a commit record; it is removed");
    if (UnlinkStep(folder + kCommitName, &error)) SyncFolder(&error);
    return true;
  }
  std::string bytes[2];
  bool ready[2], done[2];
  for (int i = 0; i < 2; ++i) {
    ready[i] = Matches(folder + entries[i].Temp, entries[i], &bytes[i]);
    done[i] = !ready[i] && Matches(folder + entries[i].Target, entries[i], &bytes[i]);
  }
  if (!(ready[0] || done[0]) || !(ready[1] || done[1])) {
    Warn("the save that " + folder + kCommitName +
         " records cannot be finished: its files are gone or changed; the register stays as it is");
    if (UnlinkStep(folder + kCommitName, &error)) SyncFolder(&error);
    return true;
  }
  bool finished = true;
  for (int i = 0; i < 2 && finished; ++i) {
    if (ready[i])
      finished = RenameStep(folder + entries[i].Temp, folder + entries[i].Target, &error);
  }
  if (finished) finished = SyncFolder(&error) && UnlinkStep(folder + kCommitName, &error);
  if (finished) {
    SyncFolder(&error);
    return true;
  }
  Warn("the last save is not finished on disk yet (" + error + "); it is read as saved");
  view->Has2 = view->Has1 = true;
  view->Text2 = bytes[0];
  view->Text1 = bytes[1];
  return false;
}

void RemoveStaleTemporaries(const std::string& folder) {
  DIR* d = ::opendir(folder.c_str());
  if (d == nullptr) return;
  std::string error;
  bool removed = false;
  while (const dirent* e = ::readdir(d)) {
    if (IsTempName(e->d_name)) removed |= UnlinkStep(folder + e->d_name, &error);
  }
  ::closedir(d);
  if (removed) SyncFolder(&error);
}

}  // namespace

std::string RegisterFolder() {
  std::string path = DataPath("da\\da1.txt");
  return path.substr(0, path.size() - std::strlen("da1.txt"));
}

RegisterFingerprint FingerprintOf(const RegisterFiles& files) {
  RegisterFingerprint f;
  f.Known = true;
  f.Has1 = files.Has1;
  f.Has2 = files.Has2;
  f.Hash1 = files.Has1 ? ContentHash(files.Text1) : 0;
  f.Hash2 = files.Has2 ? ContentHash(files.Text2) : 0;
  return f;
}

void BeginRegisterSteps(bool save) {
  RegisterStepsTaken = 0;
  StepsOfASave = save;
}

bool SaveStepFails(int error) {
  ++RegisterStepsTaken;
  const int32_t killAt = StepsOfASave ? RegisterKillAtStep : RegisterKillAtLoadStep;
  if (killAt > 0 && RegisterStepsTaken == killAt) ::raise(SIGKILL);
  if (!StepsOfASave || RegisterFailAtStep <= 0 || RegisterStepsTaken < RegisterFailAtStep ||
      RegisterStepsTaken >= RegisterFailAtStep + RegisterFailSteps) {
    return false;
  }
  errno = error;
  return true;
}

bool LockRegisterFolder(std::string* error) {
  UnlockRegisterFolder();
  const std::string path = RegisterFolder() + kLockName;
  int fd = SaveStepFails(EACCES)
               ? -1
               : ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0 && errno != ENOENT && errno != EACCES && errno != EROFS) {
    // Something that is not a lock file stands in its place.
    return Fail(error, "cannot lock", path);
  }
  if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return true;  // no lock file can be made: nobody can write here
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMs);
  while (SaveStepFails(EWOULDBLOCK) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > until) {
      const int e = errno;
      ::close(fd);
      errno = e;
      return Fail(error, "cannot lock", path);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  LockFd = fd;
  return true;
}

void UnlockRegisterFolder() {
  if (LockFd >= 0) ::close(LockFd);  // closing releases the lock
  LockFd = -1;
}

void ReadRegisterFiles(RegisterFiles* files) {
  const std::string folder = RegisterFolder();
  *files = RegisterFiles{};
  // Only the lock holder may finish or clear another save's files.
  if (LockFd >= 0) {
    if (!RollForward(folder, files)) return;
    RemoveStaleTemporaries(folder);
  }
  ReadOne(folder + "da1.txt", &files->Has1, &files->Text1);
  ReadOne(folder + "da2.txt", &files->Has2, &files->Text2);
}

bool KeepDamagedFiles(const RegisterFiles& files, std::string* kept, std::string* error) {
  const std::string folder = RegisterFolder();
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  kept->clear();
  const struct {
    bool Has;
    const std::string& Text;
    const char* Name;
  } list[] = {{files.Has1, files.Text1, "da1.txt"}, {files.Has2, files.Text2, "da2.txt"}};
  for (const auto& f : list) {
    if (!f.Has) continue;
    std::string name = std::string(f.Name) + ".damaged-" + stamp;
    // An earlier copy of the same second keeps its name; this one counts on.
    for (int n = 2; LinkFree(folder + name) || ::access((folder + name).c_str(), F_OK) == 0; ++n) {
      name = std::string(f.Name) + ".damaged-" + stamp + "-" + std::to_string(n);
    }
    if (!WriteNewFile(folder + name, f.Text, error)) return false;
    *kept += (kept->empty() ? "" : ", ") + folder + name;
  }
  return SyncFolder(error);
}

bool CommitRegisterFiles(const std::string& da1, const std::string& da2, std::string* late,
                         std::string* error) {
  const std::string folder = RegisterFolder();
  late->clear();
  const std::string temp2 = TempName("da2.txt"), temp1 = TempName("da1.txt");
  const std::string commitTemp = TempName(kCommitName);
  char line[256];
  std::string record = std::string(kCommitHeader) + "\n";
  std::snprintf(line, sizeof line, "da2.txt %s %zu %016llx\n", temp2.c_str(), da2.size(),
                static_cast<unsigned long long>(ContentHash(da2)));
  record += line;
  std::snprintf(line, sizeof line, "da1.txt %s %zu %016llx\n", temp1.c_str(), da1.size(),
                static_cast<unsigned long long>(ContentHash(da1)));
  record += line;

  const bool written = WriteNewFile(folder + temp2, da2, error) &&
                       WriteNewFile(folder + temp1, da1, error) &&
                       WriteNewFile(folder + commitTemp, record, error) &&
                       RenameStep(folder + commitTemp, folder + kCommitName, error);
  if (!written) {
    for (const std::string& t : {temp2, temp1, commitTemp}) ::unlink((folder + t).c_str());
    return false;
  }
  // Committed: from here a failure only delays the renames to the next start.
  std::string why;
  const bool finished = SyncFolder(&why) && RenameStep(folder + temp2, folder + "da2.txt", &why) &&
                        RenameStep(folder + temp1, folder + "da1.txt", &why) && SyncFolder(&why) &&
                        UnlinkStep(folder + kCommitName, &why) && SyncFolder(&why);
  if (!finished) *late = why;
  return true;
}
