// The ability rows: the value text, the gauge bar's end and colour, and the
// icon's rotation while its pick-up flash runs.
#include <string>

#include "draw/draw.h"
#include "panel_fixture.h"
#include "render/panels.h"
#include "render/render.h"

namespace {

constexpr uint32_t kLightRed = RGB(255, 122, 122);
constexpr uint32_t kLightBlue = RGB(100, 200, 255);

TEST_F(PanelTest, AbilityTextHasOneDecimal) {
  const struct {
    int16_t Ability;
    const char* Text;
  } cases[] = {{523, "52.3"}, {1000, "100.0"}, {5, "0.5"},       {250, "25.0"},
               {0, "0.0"},    {499, "49.9"},   {32767, "3276.7"}};
  for (const auto& c : cases) {
    char buf[32];
    const int32_t n = FormatAbility(c.Ability, buf);
    EXPECT_EQ(std::string(buf, n), c.Text);
  }
}

TEST_F(PanelTest, GaugeEndAndColourFollowTheAbility) {
  const struct {
    int16_t Ability;
    int16_t End;
    uint32_t Colour;
  } cases[] = {{250, 368, kLightBlue}, {251, 368, kLightBlue}, {499, 428, kLightBlue},
               {500, 428, kLightRed},  {523, 434, kLightRed},  {750, 488, kLightRed},
               {751, 488, kLightRed},  {999, 488, kLightRed},  {32767, 488, kLightRed}};
  for (const auto& c : cases) {
    EXPECT_EQ(GaugeEnd(c.Ability), c.End) << c.Ability;
    EXPECT_EQ(GaugeColour(c.Ability), c.Colour) << c.Ability;
  }
}

TEST_F(PanelTest, GaugeBarsEndWhereTheAbilityReaches) {
  // Columns inside the white outline (a pen of 2 covers 367..368 and
  // 487..488) and clear of the mark at 500 (427..428); y mid-bar.
  const struct {
    int16_t Ability;
    int32_t LastColumn;  // last column of the bar; 0 for no bar
    int32_t FirstEmpty;  // first column past it that keeps the background
    uint32_t Colour;
  } cases[] = {
      {250, 0, 369, 0},           {499, 426, 429, kLightBlue},
      {500, 426, 429, kLightRed}, {521, 433, 434, kLightRed},  // 433.04 rounds down
      {523, 434, 435, kLightRed},                              // 433.52 rounds up
      {750, 486, 489, kLightRed}, {999, 486, 489, kLightRed},  // would reach 547 without the stop
                                                               // at the right end
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Ability);
    SurfaceClear(Display[1], kBackground);
    for (int16_t i = 1; i <= 4; ++i) Ability[i] = c.Ability;
    DrawAbilityPanel();
    for (int16_t i = 1; i <= 4; ++i) {
      const int32_t y = AbilityRowY(i) + 20;
      if (c.LastColumn > 0) {
        EXPECT_EQ(PixelAt(Display[1], 369, y), c.Colour);
        EXPECT_EQ(PixelAt(Display[1], c.LastColumn, y), c.Colour);
      }
      EXPECT_EQ(PixelAt(Display[1], c.FirstEmpty, y), kBackground);
    }
  }
  // The outline and the mark at 500 in white.
  EXPECT_EQ(PixelAt(Display[1], 428, AbilityRowY(1) + 20), RGB(255, 255, 255));
  EXPECT_EQ(PixelAt(Display[1], 400, AbilityRowY(2) + 12), RGB(255, 255, 255));
  EXPECT_EQ(PixelAt(Display[1], 488, AbilityRowY(4) + 20), RGB(255, 255, 255));
  EXPECT_EQ(Display[1].LineWidth, 1);
}

TEST_F(PanelTest, IconRotationByFlash) {
  const struct {
    int16_t Flash;
    int16_t Rotation;
  } cases[] = {{0, 0},  {3, 0},  {4, 1},  {5, 1},   {8, 2},   {12, 3},
               {15, 3}, {16, 0}, {31, 3}, {32, -1}, {-1, -1}, {1000, -1}};
  for (const auto& c : cases) EXPECT_EQ(IconRotation(c.Flash), c.Rotation) << c.Flash;
}

TEST_F(PanelTest, IconsTurnPerRowAndSitBehindTheStripedValueBox) {
  Surface& sheet = FixtureSheet(1);
  auto colourOf = [](int32_t k, int32_t r) { return RGB(40 + 50 * k, 10 + 60 * r, 200); };
  for (int32_t k = 0; k < 4; ++k) {
    for (int32_t r = 0; r < 4; ++r) {
      PaintCell(sheet, 32 * k, 64 * r, 32 * k, 64 * r + 32, 32, 32, colourOf(k, r));
    }
  }
  const int16_t flash[5] = {0, 0, 5, 16, 31};
  const int32_t rotation[5] = {0, 0, 1, 0, 3};
  for (int16_t i = 1; i <= 4; ++i) PickupFlash[i] = flash[i];
  DrawAbilityIcons();

  for (int16_t i = 1; i <= 4; ++i) {
    SCOPED_TRACE(i);
    const int32_t y = AbilityRowY(i);
    const uint32_t icon = colourOf(i - 1, rotation[i]);
    EXPECT_EQ(PixelAt(Display[1], 344, y + 8), icon);
    EXPECT_EQ(PixelAt(Display[1], 328, y), icon);
    // Stripes on rows y+24, y+26, ...; the rows between show what lies below.
    EXPECT_EQ(PixelAt(Display[1], 340, y + 24), RGB(255, 0, 0));  // outline top
    EXPECT_EQ(PixelAt(Display[1], 340, y + 25), icon);
    EXPECT_EQ(PixelAt(Display[1], 340, y + 26), RGB(112, 0, 0));
    EXPECT_EQ(PixelAt(Display[1], 340, y + 33), kBackground);
    EXPECT_EQ(PixelAt(Display[1], 340, y + 38), RGB(112, 0, 0));
    EXPECT_EQ(PixelAt(Display[1], 360, y + 31), RGB(255, 0, 0));  // outline right
    EXPECT_EQ(PixelAt(Display[1], 361, y + 31), kBackground);
  }

  // A timer outside 0..31 draws no icon; the box is still there.
  SurfaceClear(Display[1], kBackground);
  PickupFlash[1] = 32;
  DrawAbilityIcons();
  EXPECT_EQ(PixelAt(Display[1], 344, AbilityRowY(1) + 8), kBackground);
  EXPECT_EQ(PixelAt(Display[1], 340, AbilityRowY(1) + 26), RGB(112, 0, 0));
}

}  // namespace
