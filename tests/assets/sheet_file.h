// Reading the committed PNGs for the artwork tests, with the header fields
// the game relies on.
#pragma once

#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

struct SheetFile {
  bool Ok = false;
  std::string Error;
  int W = 0, H = 0, BitDepth = 0, ColourType = -1, Interlace = -1;
  std::vector<unsigned char> Rgb;  // 3 bytes a pixel when ColourType is RGB
  const unsigned char* At(int x, int y) const { return &Rgb[(static_cast<size_t>(y) * W + x) * 3]; }
  bool White(int x, int y) const {
    const unsigned char* p = At(x, y);
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
  }
  bool Black(int x, int y) const {
    const unsigned char* p = At(x, y);
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
  }
};

inline std::string AssetPath(const std::string& name) {
  return std::string(KURUNOA_SOURCE_DIR) + "/assets/" + name;
}

inline SheetFile ReadSheet(const std::string& path) {
  SheetFile s;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    s.Error = "cannot open " + path;
    return s;
  }
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    s.Ok = false;
    s.Error = "libpng cannot read " + path;
    return s;
  }
  png_init_io(png, f);
  png_read_info(png, info);
  png_uint_32 w, h;
  int depth, colour, interlace;
  png_get_IHDR(png, info, &w, &h, &depth, &colour, &interlace, nullptr, nullptr);
  s.W = static_cast<int>(w), s.H = static_cast<int>(h);
  s.BitDepth = depth, s.ColourType = colour, s.Interlace = interlace;
  if (colour == PNG_COLOR_TYPE_RGB && depth == 8) {
    s.Rgb.resize(static_cast<size_t>(w) * h * 3);
    std::vector<png_bytep> rows(h);
    for (png_uint_32 y = 0; y < h; ++y) rows[y] = &s.Rgb[static_cast<size_t>(y) * w * 3];
    png_read_image(png, rows.data());
    s.Ok = true;
  } else {
    s.Error = path + " is not 8-bit RGB";
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  return s;
}
