#include "image.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
uint8_t Clamp8(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }
}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
  return {Clamp8(a.R + (b.R - a.R) * t), Clamp8(a.G + (b.G - a.G) * t),
          Clamp8(a.B + (b.B - a.B) * t)};
}

Rgb Shade(Rgb c, double f) {
  if (f <= 1) return {Clamp8(c.R * f), Clamp8(c.G * f), Clamp8(c.B * f)};
  return Mix(c, kWhite, f - 1);
}

void Image::Fill(int x, int y, int w, int h, Rgb c) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) Set(i, j, c);
}

Sprite RotateClockwise(const Sprite& s) {
  Sprite r(s.H, s.W);
  for (int y = 0; y < r.H; ++y)
    for (int x = 0; x < r.W; ++x) {
      // The new (x, y) shows the old pixel that a clockwise turn brings there.
      int ox = y, oy = s.H - 1 - x;
      if (s.IsOn(ox, oy)) r.Set(x, y, s.Get(ox, oy));
    }
  return r;
}

Sprite MirrorX(const Sprite& s) {
  Sprite r(s.W, s.H);
  for (int y = 0; y < s.H; ++y)
    for (int x = 0; x < s.W; ++x)
      if (s.IsOn(x, y)) r.Set(s.W - 1 - x, y, s.Get(x, y));
  return r;
}

void Stamp(Sprite& dst, const Sprite& src, int x, int y) {
  for (int j = 0; j < src.H; ++j)
    for (int i = 0; i < src.W; ++i)
      if (src.IsOn(i, j)) dst.Set(x + i, y + j, src.Get(i, j));
}

void Outline(Sprite& s, Rgb c) {
  Sprite r = s;
  for (int y = 0; y < s.H; ++y)
    for (int x = 0; x < s.W; ++x) {
      if (s.IsOn(x, y)) continue;
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy)
        for (int dx = -1; dx <= 1 && !near; ++dx) near = s.IsOn(x + dx, y + dy);
      if (near) r.Set(x, y, c);
    }
  s = r;
}

Image SpriteOn(const Sprite& s, Rgb ground) {
  Image img(s.W, s.H, ground);
  for (int y = 0; y < s.H; ++y)
    for (int x = 0; x < s.W; ++x)
      if (s.IsOn(x, y)) img.At(x, y) = s.Get(x, y);
  return img;
}

bool WritePng(const std::string& path, const Image& img, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    *error = "cannot write " + path;
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    *error = "libpng failed writing " + path;
    return false;
  }
  png_init_io(png, f);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, img.W, img.H, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(static_cast<size_t>(img.W) * 3);
  for (int y = 0; y < img.H; ++y) {
    for (int x = 0; x < img.W; ++x) {
      Rgb c = img.At(x, y);
      row[3 * x] = c.R;
      row[3 * x + 1] = c.G;
      row[3 * x + 2] = c.B;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(f) != 0) {
    *error = "cannot finish " + path;
    return false;
  }
  return true;
}

bool ReadPng(const std::string& path, Image* img, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *error = "cannot open " + path;
    return false;
  }
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    *error = "libpng cannot read " + path;
    return false;
  }
  png_init_io(png, f);
  png_read_info(png, info);
  int w = static_cast<int>(png_get_image_width(png, info));
  int h = static_cast<int>(png_get_image_height(png, info));
  if (png_get_color_type(png, info) != PNG_COLOR_TYPE_RGB || png_get_bit_depth(png, info) != 8) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    *error = path + " is not 8-bit RGB";
    return false;
  }
  *img = Image(w, h);
  std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
  for (int y = 0; y < h; ++y) {
    png_read_row(png, row.data(), nullptr);
    for (int x = 0; x < w; ++x) img->At(x, y) = {row[3 * x], row[3 * x + 1], row[3 * x + 2]};
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  return true;
}

Image ScaleUp(const Image& img, int factor) {
  Image r(img.W * factor, img.H * factor);
  for (int y = 0; y < r.H; ++y)
    for (int x = 0; x < r.W; ++x) r.At(x, y) = img.At(x / factor, y / factor);
  return r;
}
