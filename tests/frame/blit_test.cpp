#include <gtest/gtest.h>

#include "draw/draw.h"
#include "frame/frame.h"

namespace {

Surface Filled(int32_t w, int32_t h, uint32_t colour) {
  Surface s;
  SurfaceResize(s, w, h, colour);
  return s;
}

uint32_t At(const Surface& s, int32_t x, int32_t y) {
  return s.Pixels[static_cast<std::size_t>(y) * s.Width + x];
}

TEST(Blit, RasterOperationsCombinePerBit) {
  struct Case {
    int32_t Rop;
    uint32_t Expected;
  } cases[] = {
      {SRCCOPY, 0x0F0F0F},
      {SRCPAINT, 0x0F0F0F | 0x3030F0},
      {SRCAND, 0x0F0F0F & 0x3030F0},
  };
  for (const Case& c : cases) {
    Surface src = Filled(4, 4, 0x0F0F0F), dst = Filled(4, 4, 0x3030F0);
    BlitPicture(dst, 0, 0, 4, 4, src, 0, 0, c.Rop);
    EXPECT_EQ(At(dst, 2, 2), c.Expected) << "rop " << std::hex << c.Rop;
  }
}

TEST(Blit, UnknownRasterOperationChangesNothing) {
  Surface src = Filled(4, 4, 0), dst = Filled(4, 4, 0xABCDEF);
  BlitPicture(dst, 0, 0, 4, 4, src, 0, 0, 0x660046);
  EXPECT_EQ(At(dst, 0, 0), 0xABCDEFu);
}

// Each case blits a 4 x 4 black source onto an 8 x 8 white destination and
// lists how many pixels turn black.
TEST(Blit, ClipsToBothSurfacesAtEveryEdge) {
  struct Case {
    const char* What;
    int32_t X, Y, W, H, Sx, Sy;
    int32_t Black;
  } cases[] = {
      {"inside", 2, 2, 4, 4, 0, 0, 16},
      {"off the left", -2, 0, 4, 4, 0, 0, 8},
      {"off the top", 0, -3, 4, 4, 0, 0, 4},
      {"off the right", 6, 0, 4, 4, 0, 0, 8},
      {"off the bottom", 0, 7, 4, 4, 0, 0, 4},
      {"source off its left", 0, 0, 4, 4, -1, 0, 12},
      {"source off its bottom", 0, 0, 4, 4, 0, 2, 8},
      {"larger than both", -10, -10, 100, 100, -10, -10, 16},
      {"entirely outside", 9, 9, 4, 4, 0, 0, 0},
      {"empty", 0, 0, 0, 4, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Surface src = Filled(4, 4, 0), dst = Filled(8, 8, 0xFFFFFF);
    BlitPicture(dst, c.X, c.Y, c.W, c.H, src, c.Sx, c.Sy, SRCCOPY);
    int32_t black = 0;
    for (uint32_t p : dst.Pixels) black += p == 0;
    EXPECT_EQ(black, c.Black) << c.What;
  }
}

TEST(Blit, SourceOutsideItsSurfaceLeavesDestinationAlone) {
  Surface src = Filled(4, 4, 0), dst = Filled(8, 8, 0xFFFFFF);
  BlitPicture(dst, 0, 0, 8, 8, src, 2, 2, SRCCOPY);
  EXPECT_EQ(At(dst, 1, 1), 0u);
  EXPECT_EQ(At(dst, 2, 2), 0xFFFFFFu);  // beyond the source's edge
}

TEST(Blit, OverlappingCopyOnOneSurfaceReadsTheWholeSourceFirst) {
  Surface s = Filled(4, 40, 0);
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 4; ++x) s.Pixels[y * 4 + x] = static_cast<uint32_t>(y);
  }
  BlitPicture(s, 0, 16, 4, 20, s, 0, 0, SRCCOPY);
  for (int32_t y = 16; y < 36; ++y) EXPECT_EQ(At(s, 1, y), static_cast<uint32_t>(y - 16));
  EXPECT_EQ(At(s, 1, 10), 10u);
}

TEST(Sprite, TwoPassDrawIsTransparentOutsideTheMaskAndIdempotent) {
  // Sheet: mask (white square 2x2 in a 4x4 cell) at x 0, picture at x 4.
  Surface sheet = Filled(8, 4, 0xFFFFFF);
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      const bool inside = x >= 1 && x <= 2 && y >= 1 && y <= 2;
      sheet.Pixels[y * 8 + x] = inside ? 0xFFFFFF : 0;
    }
  }
  sheet.Pixels[1 * 8 + 5] = RGB(255, 0, 0);  // red pixel, and a white one at (6, 1)
  Surface dst = Filled(4, 4, RGB(0, 0, 255));
  DrawSprite(dst, 0, 0, 4, 4, sheet, 0, 0, 4, 0);
  Surface once = dst;
  DrawSprite(dst, 0, 0, 4, 4, sheet, 0, 0, 4, 0);
  EXPECT_EQ(dst.Pixels, once.Pixels);
  EXPECT_EQ(At(dst, 1, 1), RGB(255, 0, 0));
  EXPECT_EQ(At(dst, 2, 1), RGB(255, 255, 255)) << "white inside the mask stays white";
  EXPECT_EQ(At(dst, 0, 0), RGB(0, 0, 255));
  EXPECT_EQ(At(dst, 3, 3), RGB(0, 0, 255));
}

TEST(Sprite, NegativeYShowsOnlyTheLowerRows) {
  Surface sheet = Filled(64, 32, 0xFFFFFF);
  for (int32_t y = 0; y < 32; ++y) {
    for (int32_t x = 0; x < 32; ++x) sheet.Pixels[y * 64 + 32 + x] = static_cast<uint32_t>(y);
  }
  Surface dst = Filled(64, 64, 0xFFFFFF);
  DrawSprite(dst, 0, -16, 32, 32, sheet, 0, 0, 32, 0);
  EXPECT_EQ(At(dst, 5, 0), 16u);
  EXPECT_EQ(At(dst, 5, 15), 31u);
  EXPECT_EQ(At(dst, 5, 16), 0xFFFFFFu);
}

TEST(Lines, BoxesIncludeBothCornersAndPensOfWidthTwoGrowBackwards) {
  Surface s = Filled(16, 16, 0xFFFFFF);
  DrawFilledBox(s, 2, 3, 5, 3, 0);
  int32_t black = 0;
  for (uint32_t p : s.Pixels) black += p == 0;
  EXPECT_EQ(black, 4) << "a filled box with equal y is a one-pixel line";

  Surface b = Filled(16, 16, 0xFFFFFF);
  SetLineWidth(b, 2);
  DrawBox(b, 4, 4, 10, 10, 0);
  EXPECT_EQ(At(b, 3, 3), 0u);
  EXPECT_EQ(At(b, 10, 10), 0u);
  EXPECT_EQ(At(b, 11, 11), 0xFFFFFFu);
  EXPECT_EQ(At(b, 7, 7), 0xFFFFFFu) << "an outline leaves the inside alone";
}

TEST(CopyTiles, WholeScreenCopiesClipToTheSurface) {
  for (Surface& d : Display) SurfaceResize(d, 512, 384, 0);
  SurfaceClear(Display[1], RGB(1, 2, 3));
  CopyTiles(1, 0, 0, 0, 36, 24);
  EXPECT_EQ(At(Display[0], 511, 383), RGB(1, 2, 3));
  EXPECT_EQ(Display[0].Pixels.size(), 512u * 384u);
  SurfaceClear(Display[2], RGB(9, 9, 9));
  CopyTiles(2, 1, 2, 4, 17, 9);  // pixels (32, 64) to (271, 143)
  EXPECT_EQ(At(Display[1], 32, 64), RGB(9, 9, 9));
  EXPECT_EQ(At(Display[1], 271, 143), RGB(9, 9, 9));
  EXPECT_EQ(At(Display[1], 272, 143), RGB(1, 2, 3));
  EXPECT_EQ(At(Display[1], 271, 144), RGB(1, 2, 3));
}

}  // namespace
