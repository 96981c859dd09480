#include "fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

struct Font {
  FT_Face Face = nullptr;
};

namespace {

FT_Library gLibrary = nullptr;
std::vector<std::unique_ptr<Font>> gFonts;

std::vector<uint32_t> DecodeUtf8(const std::string& s) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    uint32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; k < n && i + k < s.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out.push_back(cp);
    i += n;
  }
  return out;
}

}  // namespace

Font* OpenFont(const std::string& path, const std::string& family, const std::string& package,
               std::string* error) {
  if (!std::filesystem::exists(path)) {
    *error = "font file " + path + " is missing (install the Debian package " + package + ")";
    return nullptr;
  }
  if (!gLibrary && FT_Init_FreeType(&gLibrary) != 0) {
    *error = "FreeType failed to start";
    return nullptr;
  }
  FT_Face probe = nullptr;
  if (FT_New_Face(gLibrary, path.c_str(), -1, &probe) != 0) {
    *error = "font file " + path + " cannot be read";
    return nullptr;
  }
  long faces = probe->num_faces;
  FT_Done_Face(probe);
  for (long i = 0; i < faces; ++i) {
    FT_Face face = nullptr;
    if (FT_New_Face(gLibrary, path.c_str(), i, &face) != 0) continue;
    if (family.empty() || (face->family_name && family == face->family_name)) {
      auto f = std::make_unique<Font>();
      f->Face = face;
      gFonts.push_back(std::move(f));
      return gFonts.back().get();
    }
    FT_Done_Face(face);
  }
  *error = "font file " + path + " holds no face of the family \"" + family + "\"";
  return nullptr;
}

void CloseFonts() {
  for (auto& f : gFonts) FT_Done_Face(f->Face);
  gFonts.clear();
  if (gLibrary) FT_Done_FreeType(gLibrary);
  gLibrary = nullptr;
}

Coverage RenderText(Font* font, const std::string& utf8, double pixels, double sx, int oversample) {
  FT_Face face = font->Face;
  FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(pixels * oversample * 64)), 72, 72);
  FT_Matrix m{static_cast<FT_Fixed>(std::lround(sx * 65536)), 0, 0, 0x10000};
  FT_Set_Transform(face, &m, nullptr);
  // Lay the glyphs out on a generous canvas, then crop to the ink.
  std::vector<uint32_t> text = DecodeUtf8(utf8);
  int big = static_cast<int>(pixels * oversample);
  int cw = big * static_cast<int>(text.size() + 2) * 2, ch = big * 3;
  std::vector<uint8_t> canvas(static_cast<size_t>(cw) * ch, 0);
  double pen = big;
  int baseline = big * 2;
  for (uint32_t cp : text) {
    if (FT_Load_Char(face, cp, FT_LOAD_RENDER | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
      continue;
    FT_GlyphSlot g = face->glyph;
    int ox = static_cast<int>(std::lround(pen)) + g->bitmap_left;
    int oy = baseline - g->bitmap_top;
    for (unsigned y = 0; y < g->bitmap.rows; ++y)
      for (unsigned x = 0; x < g->bitmap.width; ++x) {
        int px = ox + static_cast<int>(x), py = oy + static_cast<int>(y);
        if (px < 0 || py < 0 || px >= cw || py >= ch) continue;
        uint8_t a = g->bitmap.buffer[y * g->bitmap.pitch + x];
        uint8_t& d = canvas[static_cast<size_t>(py) * cw + px];
        d = std::max(d, a);
      }
    pen += g->advance.x / 64.0;
  }
  FT_Set_Transform(face, nullptr, nullptr);
  int x0 = cw, y0 = ch, x1 = -1, y1 = -1;
  for (int y = 0; y < ch; ++y)
    for (int x = 0; x < cw; ++x)
      if (canvas[static_cast<size_t>(y) * cw + x]) {
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
      }
  Coverage out;
  if (x1 < 0) return out;
  // Align the crop to the oversampling grid so pixels stay whole.
  x0 -= x0 % oversample, y0 -= y0 % oversample;
  out.W = (x1 - x0) / oversample + 1;
  out.H = (y1 - y0) / oversample + 1;
  out.Baseline = (baseline - y0) / oversample;
  out.A.assign(static_cast<size_t>(out.W) * out.H, 0);
  for (int y = 0; y < out.H; ++y)
    for (int x = 0; x < out.W; ++x) {
      int sum = 0;
      for (int j = 0; j < oversample; ++j)
        for (int i = 0; i < oversample; ++i) {
          int px = x0 + x * oversample + i, py = y0 + y * oversample + j;
          if (px < cw && py < ch) sum += canvas[static_cast<size_t>(py) * cw + px];
        }
      out.A[static_cast<size_t>(y) * out.W + x] =
          static_cast<uint8_t>(sum / (oversample * oversample));
    }
  return out;
}
