// Lettering through FreeType: text rendered to a coverage map that the
// sheets turn into masks (thresholded) and shaded pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Coverage {
  int W = 0, H = 0;
  std::vector<uint8_t> A;  // 0..255
  int Baseline = 0;        // row of the text's baseline, from the top
  uint8_t At(int x, int y) const {
    return (x < 0 || y < 0 || x >= W || y >= H) ? 0 : A[static_cast<size_t>(y) * W + x];
  }
};

struct Font;  // an open FreeType face

// Opens path; in a collection the face whose family name is family (any
// face when family is empty). Fails with a message naming the file, and the
// Debian package that ships it, when it is missing.
Font* OpenFont(const std::string& path, const std::string& family, const std::string& package,
               std::string* error);
void CloseFonts();

// The ink of utf8 at a pixel size, widened or narrowed by sx, cropped to
// the ink's bounding box. Rendered `oversample` times larger and averaged
// down, so coverage is the share of each pixel that the glyphs cover.
Coverage RenderText(Font* font, const std::string& utf8, double pixels, double sx = 1.0,
                    int oversample = 4);
