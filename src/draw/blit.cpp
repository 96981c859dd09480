// Rectangle copies between surfaces, lines and boxes.
#include "draw/draw.h"
#include "frame/frame.h"

void BlitPicture(Surface& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Surface& src,
                 int32_t sx, int32_t sy, int32_t rop) {
  SurfaceBlit(dst, x, y, w, h, src, sx, sy, rop);
}

void CopyTiles(int16_t src, int16_t dst, int16_t col1, int16_t row1, int16_t col2, int16_t row2) {
  if (src < 0 || src > 2 || dst < 0 || dst > 2) return;
  // The pixel values are 16-bit quantities, as the callers' tile numbers are.
  const int16_t x = static_cast<int16_t>(16 * col1), y = static_cast<int16_t>(16 * row1);
  const int16_t w = static_cast<int16_t>(16 * (col2 - col1));
  const int16_t h = static_cast<int16_t>(16 * (row2 - row1));
  SurfaceBlit(Display[dst], x, y, w, h, Display[src], x, y, SRCCOPY);
}

void DrawSprite(Surface& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Surface& sheet,
                int32_t maskX, int32_t maskY, int32_t picX, int32_t picY) {
  SurfaceBlit(dst, x, y, w, h, sheet, maskX, maskY, SRCPAINT);
  SurfaceBlit(dst, x, y, w, h, sheet, picX, picY, SRCAND);
}

void DrawLine(Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
  SurfaceLine(s, x1, y1, x2, y2, colour);
}

void DrawBox(Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
  SurfaceBox(s, x1, y1, x2, y2, colour);
}

void DrawFilledBox(Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
  SurfaceFillBox(s, x1, y1, x2, y2, colour);
}

void SetBackColour(Surface& s, uint32_t colour) {
  s.BackColour = colour;
  SurfaceClear(s, colour);
}

void SetFontName(Surface& s, std::string_view name) {
  if (s.FontName != name) s.FontName.assign(name.data(), name.size());
}

void SetLineWidth(Surface& s, int32_t width) { s.LineWidth = width; }
