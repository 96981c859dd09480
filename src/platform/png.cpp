// PNG reading and writing through libpng's simplified interface.
#include <png.h>

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace {

bool FinishRead(Surface& s, png_image& image, std::string* error) {
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
    if (error) *error = image.message;
    png_image_free(&image);
    return false;
  }
  const int32_t w = static_cast<int32_t>(image.width), h = static_cast<int32_t>(image.height);
  s.Width = w;
  s.Height = h;
  s.Pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (std::size_t i = 0; i < s.Pixels.size(); ++i) {
    s.Pixels[i] = RGB(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
  }
  s.Dirty = true;
  return true;
}

}  // namespace

bool SurfaceLoadPng(Surface& s, const unsigned char* data, std::size_t size, std::string* error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) {
    if (error) *error = image.message;
    return false;
  }
  return FinishRead(s, image, error);
}

bool SurfaceLoadPngFile(Surface& s, const std::string& path, std::string* error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    if (error) *error = image.message;
    return false;
  }
  return FinishRead(s, image, error);
}

bool SurfaceSavePng(const Surface& s, int32_t w, int32_t h, const std::string& path,
                    std::string* error) {
  w = std::min(w, s.Width);
  h = std::min(h, s.Height);
  std::vector<unsigned char> rgb(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      uint32_t p = s.Pixels[static_cast<std::size_t>(y) * s.Width + x];
      unsigned char* o = &rgb[(static_cast<std::size_t>(y) * w + x) * 3];
      o[0] = static_cast<unsigned char>(p >> 16);
      o[1] = static_cast<unsigned char>(p >> 8);
      o[2] = static_cast<unsigned char>(p);
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr)) {
    if (error) *error = image.message;
    return false;
  }
  return true;
}
