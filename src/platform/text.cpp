// Text on our surfaces: glyph coverage blended into the pixels. The glyphs
// come from the glyph source (glyphs.h); this drawing is the same in every build.
#include <cmath>

#include "platform/glyphs.h"
#include "platform/platform.h"

namespace {

inline int32_t PixelSize(int32_t points) {
  return static_cast<int32_t>(std::lround(points * 96.0 / 72.0));
}

// Decodes one UTF-8 code point; malformed bytes stand for themselves.
uint32_t NextCodePoint(std::string_view s, std::size_t* i) {
  const unsigned char c = static_cast<unsigned char>(s[*i]);
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  if (extra && *i + extra >= s.size()) extra = 0;
  uint32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
  for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[*i + k]) & 0x3F);
  *i += 1 + extra;
  return cp;
}

inline uint32_t Blend(uint32_t dst, uint32_t colour, uint32_t a) {
  auto mix = [a](uint32_t d, uint32_t c) { return (d * (255 - a) + c * a + 127) / 255; };
  return (mix((dst >> 16) & 255, (colour >> 16) & 255) << 16) |
         (mix((dst >> 8) & 255, (colour >> 8) & 255) << 8) | mix(dst & 255, colour & 255);
}

}  // namespace

void SurfaceText(Surface& s, int32_t x, int32_t y, int32_t points, bool bold, uint32_t colour,
                 std::string_view utf8) {
  if (utf8.empty() || !GlyphsInit()) return;
  const int32_t faceIndex = GlyphFaceFor(s.FontName);
  if (faceIndex < 0) return;
  const GlyphFace& face = GlyphFaceMetrics(faceIndex);
  const int32_t px = PixelSize(points);
  // The baseline lies one typographic ascender below the top of the line.
  const int32_t baseline = y + static_cast<int32_t>(std::lround(
                                   static_cast<double>(face.TypoAscender) * px / face.UnitsPerEm));
  int32_t pen = x;
  // A glyph never starts more than an em left of its pen, so once the pen is
  // that far past the right edge nothing more can show: a name of megabytes
  // costs no more than a line across the surface.
  const int32_t stop = s.Width + px;
  for (std::size_t i = 0; i < utf8.size() && pen < stop;) {
    const uint32_t cp = NextCodePoint(utf8, &i);
    const Glyph* g = GlyphFor(faceIndex, px, bold, cp);
    const uint8_t* coverage = GlyphCoverage(*g);
    const int32_t gx = pen + g->Left, gy = baseline - g->Top;
    for (int32_t r = 0; r < g->Rows; ++r) {
      const int32_t yy = gy + r;
      if (yy < 0 || yy >= s.Height) continue;
      const uint8_t* cov = coverage + static_cast<std::size_t>(r) * g->Width;
      uint32_t* row = &s.Pixels[static_cast<std::size_t>(yy) * s.Width];
      for (int32_t c = 0; c < g->Width; ++c) {
        const int32_t xx = gx + c;
        if (xx < 0 || xx >= s.Width || cov[c] == 0) continue;
        row[xx] = cov[c] == 255 ? colour : Blend(row[xx], colour, cov[c]);
      }
    }
    pen += g->Advance;
  }
  s.Dirty = true;
}

int32_t SurfaceTextWidth(const Surface& s, int32_t points, bool bold, std::string_view utf8) {
  if (utf8.empty() || !GlyphsInit()) return 0;
  const int32_t faceIndex = GlyphFaceFor(s.FontName);
  if (faceIndex < 0) return 0;
  const int32_t px = PixelSize(points);
  int32_t width = 0;
  // As in drawing, measuring stops once the text is wider than the surface.
  for (std::size_t i = 0; i < utf8.size() && width <= s.Width + px;) {
    width += GlyphFor(faceIndex, px, bold, NextCodePoint(utf8, &i))->Advance;
  }
  return width;
}
