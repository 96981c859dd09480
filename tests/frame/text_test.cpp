#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "draw/draw.h"

namespace {

Surface Blank(std::string_view font) {
  Surface s;
  SurfaceResize(s, 200, 40, RGB(255, 255, 255));
  s.FontName = std::string(font);
  return s;
}

TEST(Numbers, PrintedWithASignBlankAndATrailingBlank) {
  struct Case {
    int32_t Value;
    const char* Printed;
    const char* Plain;
  } cases[] = {
      {0, " 0 ", "0"},
      {5, " 5 ", "5"},
      {523, " 523 ", "523"},
      {-3, "-3 ", "-3"},
      {-2147483647 - 1, "-2147483648 ", "-2147483648"},
  };
  for (const Case& c : cases) {
    char buf[16];
    FormatPrintedNumber(c.Value, buf);
    EXPECT_STREQ(buf, c.Printed);
    FormatPlainNumber(c.Value, buf);
    EXPECT_STREQ(buf, c.Plain);
  }
}

TEST(Fonts, GameFontNamesResolveToTheirFaces) {
  struct Case {
    const char* Name;
    const char* File;
  } cases[] = {
      {"ＭＳ Ｐゴシック", "ipagp.ttf"},
      {"ＭＳ　Ｐゴシック", "ipagp.ttf"},
      {"HGS創英角ｺﾞｼｯｸUB", "NotoSansCJK-Black.ttc"},
      {"HGP創英角ﾎﾟｯﾌﾟ体", "RocknRollOne-Regular.ttf"},
      {"No Such Font Anywhere", "ipagp.ttf"},
  };
  for (const Case& c : cases) {
    const std::string file = FontFileFor(c.Name);
    EXPECT_NE(file.find(c.File), std::string::npos) << c.Name << " -> " << file;
  }
}

TEST(Text, DrawsGlyphsOnlyWithATransparentGround) {
  Surface s = Blank("ＭＳ Ｐゴシック");
  SurfaceFillBox(s, 0, 0, 199, 39, RGB(0, 0, 255));
  PrintAt(s, 10, 10, 15, false, RGB(255, 0, 0), "卒業");
  int32_t top = 40, red = 0, blue = 0;
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 200; ++x) {
      const uint32_t p = s.Pixels[y * 200 + x];
      if (((p >> 16) & 255) > 200 && (p & 255) < 100) {
        ++red;
        top = std::min(top, y);
      }
      blue += p == RGB(0, 0, 255);
    }
  }
  EXPECT_GT(red, 20);
  EXPECT_GE(top, 10) << "the text's top is at the given y";
  EXPECT_LT(top, 16);
  EXPECT_GT(blue, 200 * 40 - 600) << "only the glyphs are painted";
}

TEST(Text, ShadowInWhiteOnWhiteLeavesOnlyTheTopLeftFringe) {
  Surface s = Blank("ＭＳ Ｐゴシック");
  PrintShadow(s, 20, 10, 13, false, RGB(255, 255, 255), "状");
  int32_t dark = 0, minX = 200, minY = 40;
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 200; ++x) {
      if (s.Pixels[y * 200 + x] != RGB(255, 255, 255)) {
        ++dark;
        minX = std::min(minX, x);
        minY = std::min(minY, y);
      }
    }
  }
  EXPECT_GT(dark, 0);
  EXPECT_LT(minX, 22);
  EXPECT_LT(minY, 12);
}

// Centred printing is plain printing shifted by a fixed width formula.
TEST(Text, NumberCentringShiftsByDigitCount) {
  struct Case {
    int32_t Value;
    int32_t Digits;
  } cases[] = {{0, 1}, {9, 1}, {10, 2}, {99, 2}, {100, 3}, {999, 3}, {-5, 1}, {123456789, 8}};
  for (const Case& c : cases) {
    Surface a = Blank("ＭＳ Ｐゴシック"), b = Blank("ＭＳ Ｐゴシック");
    PrintNumberCentred(a, 100, 5, 9, false, 0, c.Value);
    PrintAt(b, 100 - 3 * c.Digits, 5, 9, false, 0, c.Value);
    EXPECT_EQ(a.Pixels, b.Pixels) << c.Value;
  }
}

TEST(Text, TextCentringShiftsByCharacters) {
  struct Case {
    int32_t Size, PerChar;
  } cases[] = {{13, 9}, {15, 10}, {9, 6}};
  for (const Case& c : cases) {
    Surface a = Blank("HGP創英角ﾎﾟｯﾌﾟ体"), b = Blank("HGP創英角ﾎﾟｯﾌﾟ体");
    PrintTextCentred(a, 120, 5, c.Size, false, 0, "平静");
    PrintAt(b, 120 - 2 * c.PerChar, 5, c.Size, false, 0, "平静");
    EXPECT_EQ(a.Pixels, b.Pixels) << c.Size;
  }
  Surface e = Blank("HGP創英角ﾎﾟｯﾌﾟ体"), white = Blank("HGP創英角ﾎﾟｯﾌﾟ体");
  PrintTextCentred(e, 120, 5, 13, false, 0, "");
  EXPECT_EQ(e.Pixels, white.Pixels);
}

TEST(Text, BoldWidensTheText) {
  Surface s = Blank("ＭＳ Ｐゴシック");
  EXPECT_GT(SurfaceTextWidth(s, 15, true, "ABCDEF"), SurfaceTextWidth(s, 15, false, "ABCDEF"));
}

}  // namespace

namespace {

// A name of megabytes (a hand-made syllable file) draws exactly what fits
// and costs no more than a line across the surface.
TEST(Text, ATextFarWiderThanTheSurfaceStopsAtItsEdge) {
  std::string line;
  for (int i = 0; i < 40; ++i) line += "あいう";
  std::string huge;
  huge.reserve(6u << 20);
  while (huge.size() < (6u << 20)) huge += line;
  Surface shortText = Blank("ＭＳ Ｐゴシック"), hugeText = Blank("ＭＳ Ｐゴシック");
  PrintAt(shortText, 3, 5, 11, false, RGB(0, 0, 0), line);
  PrintAt(hugeText, 3, 5, 11, false, RGB(0, 0, 0), huge);
  Surface scratch = Blank("ＭＳ Ｐゴシック");
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 10; ++i) PrintAt(scratch, 3, 5, 11, false, RGB(0, 0, 0), huge);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(hugeText.Pixels, shortText.Pixels);
  EXPECT_LT(ms / 10, 2.0) << "ms per print of 6 MB";
  EXPECT_LE(SurfaceTextWidth(hugeText, 11, false, huge), 200 + 2 * 15);
  EXPECT_EQ(SurfaceTextWidth(hugeText, 11, false, "あいう"),
            SurfaceTextWidth(shortText, 11, false, "あいう"));
}

}  // namespace
