// PNG files in the browser build: the artwork arrives decoded into stored
// (uncompressed) PNGs, and screenshots are written the same way.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/platform.h"
#include "platform/png_stored.h"

bool SurfaceLoadPng(Surface& s, const unsigned char* data, std::size_t size, std::string* error) {
  return DecodeStoredPng(s, data, size, error);
}

bool SurfaceLoadPngFile(Surface& s, const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error) *error = "cannot open " + path;
    return false;
  }
  std::stringstream bytes;
  bytes << in.rdbuf();
  const std::string data = bytes.str();
  return DecodeStoredPng(s, reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                         error);
}

bool SurfaceSavePng(const Surface& s, int32_t w, int32_t h, const std::string& path,
                    std::string* error) {
  std::ofstream out(path, std::ios::binary);
  out << EncodeStoredPng(s, std::min(w, s.Width), std::min(h, s.Height));
  if (!out && error) *error = "cannot write " + path;
  return static_cast<bool>(out);
}
