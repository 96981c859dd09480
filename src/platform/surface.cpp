// Our own pixel surfaces: clipped raster-operation blits, lines and boxes.
#include <algorithm>
#include <cstring>

#include "platform/platform.h"

void SurfaceResize(Surface& s, int32_t w, int32_t h, uint32_t fill) {
  s.Width = w;
  s.Height = h;
  s.Pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill);
  s.Dirty = true;
}

void SurfaceClear(Surface& s, uint32_t colour) {
  std::fill(s.Pixels.begin(), s.Pixels.end(), colour);
  s.Dirty = true;
}

namespace {

// Scratch for copies whose source and destination overlap on one surface,
// so the result is that of reading the whole source first. Grown once.
std::vector<uint32_t> gOverlapScratch;

inline void CombineRow(uint32_t* d, const uint32_t* src, int32_t n, int32_t rop) {
  switch (rop) {
    case SRCCOPY:
      std::memmove(d, src, static_cast<std::size_t>(n) * sizeof(uint32_t));
      break;
    case SRCPAINT:
      for (int32_t i = 0; i < n; ++i) d[i] |= src[i];
      break;
    case SRCAND:
      for (int32_t i = 0; i < n; ++i) d[i] &= src[i];
      break;
    default:
      break;
  }
}

}  // namespace

void SurfaceBlit(Surface& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Surface& src,
                 int32_t sx, int32_t sy, int32_t rop) {
  if (w <= 0 || h <= 0) return;
  if (rop != SRCCOPY && rop != SRCPAINT && rop != SRCAND) return;
  // Clip the rectangle so that both its destination and its source lie
  // inside their surfaces; what falls outside either is left alone.
  int64_t x0 = std::max<int64_t>({0, -static_cast<int64_t>(x), -static_cast<int64_t>(sx)});
  int64_t y0 = std::max<int64_t>({0, -static_cast<int64_t>(y), -static_cast<int64_t>(sy)});
  int64_t x1 = std::min<int64_t>({static_cast<int64_t>(w), static_cast<int64_t>(dst.Width) - x,
                                  static_cast<int64_t>(src.Width) - sx});
  int64_t y1 = std::min<int64_t>({static_cast<int64_t>(h), static_cast<int64_t>(dst.Height) - y,
                                  static_cast<int64_t>(src.Height) - sy});
  if (x0 >= x1 || y0 >= y1) return;
  const int32_t cw = static_cast<int32_t>(x1 - x0);
  const int32_t ch = static_cast<int32_t>(y1 - y0);
  const int32_t dx = static_cast<int32_t>(x + x0), dy = static_cast<int32_t>(y + y0);
  const int32_t ssx = static_cast<int32_t>(sx + x0), ssy = static_cast<int32_t>(sy + y0);

  const uint32_t* srcBase = src.Pixels.data();
  int32_t srcStride = src.Width;
  int32_t srcX = ssx, srcY = ssy;
  if (&dst == &src) {
    const bool overlap = dx < ssx + cw && ssx < dx + cw && dy < ssy + ch && ssy < dy + ch;
    if (overlap) {
      const std::size_t need = static_cast<std::size_t>(cw) * static_cast<std::size_t>(ch);
      if (gOverlapScratch.size() < need) gOverlapScratch.resize(need);
      for (int32_t r = 0; r < ch; ++r) {
        std::memcpy(&gOverlapScratch[static_cast<std::size_t>(r) * cw],
                    &src.Pixels[static_cast<std::size_t>(ssy + r) * src.Width + ssx],
                    static_cast<std::size_t>(cw) * sizeof(uint32_t));
      }
      srcBase = gOverlapScratch.data();
      srcStride = cw;
      srcX = 0;
      srcY = 0;
    }
  }
  for (int32_t r = 0; r < ch; ++r) {
    uint32_t* d = &dst.Pixels[static_cast<std::size_t>(dy + r) * dst.Width + dx];
    const uint32_t* sp = srcBase + static_cast<std::size_t>(srcY + r) * srcStride + srcX;
    CombineRow(d, sp, cw, rop);
  }
  dst.Dirty = true;
}

namespace {

inline void PutPixel(Surface& s, int32_t x, int32_t y, uint32_t colour) {
  if (x < 0 || y < 0 || x >= s.Width || y >= s.Height) return;
  s.Pixels[static_cast<std::size_t>(y) * s.Width + x] = colour;
}

void FillRect(Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min(x2, s.Width - 1);
  y2 = std::min(y2, s.Height - 1);
  if (x1 > x2 || y1 > y2) return;
  for (int32_t y = y1; y <= y2; ++y) {
    uint32_t* row = &s.Pixels[static_cast<std::size_t>(y) * s.Width];
    std::fill(row + x1, row + x2 + 1, colour);
  }
  s.Dirty = true;
}

// The pen covers [c - (width - 1), c] across the line.
inline int32_t PenLow(const Surface& s, int32_t c) { return c - (std::max(s.LineWidth, 1) - 1); }

}  // namespace

void SurfaceLine(Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
  if (y1 == y2) {
    FillRect(s, x1, PenLow(s, y1), x2, y1, colour);
    return;
  }
  if (x1 == x2) {
    FillRect(s, PenLow(s, x1), y1, x1, y2, colour);
    return;
  }
  // Bresenham, both end points included.
  int32_t dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
  int32_t stepX = x1 < x2 ? 1 : -1, stepY = y1 < y2 ? 1 : -1;
  int32_t err = dx + dy;
  const int32_t extra = std::max(s.LineWidth, 1) - 1;
  for (;;) {
    for (int32_t e = 0; e <= extra; ++e) PutPixel(s, x1 - e, y1, colour);
    if (x1 == x2 && y1 == y2) break;
    int32_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x1 += stepX;
    }
    if (e2 <= dx) {
      err += dx;
      y1 += stepY;
    }
  }
  s.Dirty = true;
}

void SurfaceBox(Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  // The horizontal edges reach over the vertical ones so wide pens close the corners.
  SurfaceLine(s, PenLow(s, x1), y1, x2, y1, colour);
  SurfaceLine(s, PenLow(s, x1), y2, x2, y2, colour);
  SurfaceLine(s, x1, y1, x1, y2, colour);
  SurfaceLine(s, x2, y1, x2, y2, colour);
}

void SurfaceFillBox(Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
  FillRect(s, x1, y1, x2, y2, colour);
}
