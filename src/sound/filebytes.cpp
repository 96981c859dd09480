#include "sound/filebytes.h"

#include <cstdio>

bool ReadFileBytes(const std::string& path, std::size_t limit, std::vector<uint8_t>* bytes,
                   std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    *error = "cannot open " + path;
    return false;
  }
  bytes->clear();
  uint8_t buffer[65536];
  std::size_t got;
  while (bytes->size() < limit && (got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    bytes->insert(bytes->end(), buffer, buffer + got);
  }
  std::fclose(f);
  return true;
}
