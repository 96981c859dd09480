#include "sound/filebytes.h"

#include "platform/files.h"

bool ReadFileBytes(const std::string& path, std::size_t limit, std::vector<uint8_t>* bytes,
                   std::string* error) {
  bytes->clear();
  error->clear();
  std::string text;
  switch (ReadDataFile(path, limit, &text)) {
    case FileStatus::Ok:
      bytes->assign(text.begin(), text.end());
      return true;
    case FileStatus::NotRegular:
      return false;
    case FileStatus::Missing:
    case FileStatus::Unreadable:
      break;
  }
  *error = "cannot open " + path;
  return false;
}
