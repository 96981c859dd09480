// The mood panel: the star's pace by band across the tick wrap, the star
// cell drawn per frame, and the band name and reading per band edge.
#include <string_view>
#include <vector>

#include "draw/draw.h"
#include "panel_fixture.h"
#include "render/panels.h"
#include "render/render.h"

namespace {

// Ticks at which the star turns during two rounds of the 0..255 counter.
std::vector<int> TurnTicks(int16_t period) {
  StarTick = 0;
  StarFrame = 0;
  std::vector<int> ticks;
  for (int call = 0; call < 512; ++call) {
    const int16_t before = StarFrame;
    StepStar(period);
    if (StarFrame != before) ticks.push_back(StarTick);
  }
  return ticks;
}

TEST_F(PanelTest, StarTurnsOnMultiplesOfThePeriodAndEarlyAcrossTheWrap) {
  struct Case {
    int16_t Period;
    std::vector<int> FirstRound;  // turns up to and including the one at the wrap to 0
  };
  const Case cases[] = {
      {55, {55, 110, 165, 220, 0}},  // 36 calls from 220 to the turn at 0
      {7, {7,   14,  21,  28,  35,  42,  49,  56,  63,  70,  77,  84,  91,
           98,  105, 112, 119, 126, 133, 140, 147, 154, 161, 168, 175, 182,
           189, 196, 203, 210, 217, 224, 231, 238, 245, 252, 0}},
      {32, {32, 64, 96, 128, 160, 192, 224, 0}},  // divides 256: no early turn
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Period);
    const std::vector<int> ticks = TurnTicks(c.Period);
    ASSERT_GE(ticks.size(), c.FirstRound.size());
    EXPECT_EQ(std::vector<int>(ticks.begin(), ticks.begin() + c.FirstRound.size()), c.FirstRound);
    // The second round repeats the first.
    EXPECT_EQ(ticks.size(), 2 * c.FirstRound.size());
  }
}

TEST_F(PanelTest, StarTurnsEveryCallInTheTopBandsAndCyclesItsFourFrames) {
  StarTick = 254;
  StarFrame = 2;
  const int16_t expected[] = {3, 0, 1, 2, 3};
  for (int16_t frame : expected) {
    StepStar(1);
    EXPECT_EQ(StarFrame, frame);
  }
  EXPECT_EQ(StarTick, 3);  // 255, 0, 1, 2, 3
}

TEST_F(PanelTest, StarPeriodFollowsTheBandOfTheMood) {
  const struct {
    int16_t Mood;
    int16_t Period;
  } cases[] = {{0, 55},  {10, 55}, {11, 32}, {20, 32}, {21, 25}, {40, 25}, {41, 20},
               {60, 20}, {61, 15}, {80, 15}, {81, 11}, {95, 11}, {96, 7},  {105, 7},
               {106, 4}, {120, 4}, {121, 3}, {140, 3}, {141, 2}, {160, 2}, {161, 1},
               {180, 1}, {181, 1}, {190, 1}, {191, 1}, {999, 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(StarPeriod(MoodName[c.Mood]), c.Period) << "mood " << c.Mood;
  }
  EXPECT_EQ(StarPeriod(""), 55);  // no band: turns slowly instead of dividing by zero
}

TEST_F(PanelTest, CrossingABandEdgeKeepsTheStarWhereItStands) {
  Mood = 10;
  StarTick = 54;
  StarFrame = 2;
  DrawMoodPanel();  // tick 55: a turn at period 55
  EXPECT_EQ(StarFrame, 3);
  Mood = 11;  // period 32 from here: the next turn is at 64
  for (int i = 0; i < 8; ++i) DrawMoodPanel();
  EXPECT_EQ(StarTick, 63);
  EXPECT_EQ(StarFrame, 3);
  DrawMoodPanel();
  EXPECT_EQ(StarFrame, 0);
}

TEST_F(PanelTest, StarDrawsTheCellOfItsFrame) {
  Surface& sheet = FixtureSheet(2);
  const uint32_t colours[4] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200), RGB(200, 200, 0)};
  for (int16_t f = 0; f < 4; ++f) {
    const SpriteCell c = StarCell(f);
    PaintCell(sheet, c.MaskX, c.MaskY, c.PicX, c.PicY, 80, 80, colours[f]);
  }
  // Cells as laid out on the sheet: the masks and pictures interleave.
  EXPECT_EQ(StarCell(1).MaskY, 160);
  EXPECT_EQ(StarCell(2).PicY, 160);
  Mood = 500;  // a turn on every call
  for (int16_t f : {1, 2, 3, 0}) {
    DrawMoodPanel();
    ASSERT_EQ(StarFrame, f);
    EXPECT_EQ(PixelAt(Display[1], 412, 88), colours[f]) << "frame " << f;
    EXPECT_EQ(PixelAt(Display[1], 372, 48), colours[f]);
    EXPECT_EQ(PixelAt(Display[1], 451, 127), colours[f]);
    EXPECT_EQ(PixelAt(Display[1], 371, 88), kBackground);
  }
}

// The band name (centred on x 410, 15 points) and its reading (at the band's
// reading x, 8 points) as they should stand, drawn alone with the primitives.
void DrawExpectedBand(Surface& s, int16_t mood) {
  SetFontName(s, kPopFontName);
  PrintTextCentred(s, 410, 132, 15, false, RGB(209, 242, 51), MoodName[mood]);
  SetFontName(s, kGothicFontName);
  PrintAt(s, MoodReadingX[mood], 122, 8, false, RGB(209, 242, 51), MoodReading[mood]);
}

TEST_F(PanelTest, BandNameAndReadingStandWhereTheBandPutsThem) {
  Surface expected = Display[1];
  for (int16_t mood : {0,   10,  11,  20,  21,  40,  41,  60,  61,  80,  81,  95,  96, 100,
                       105, 106, 120, 121, 140, 141, 160, 161, 180, 181, 190, 191, 999}) {
    SCOPED_TRACE(mood);
    SurfaceClear(Display[1], kBackground);
    SurfaceClear(expected, kBackground);
    Mood = mood;
    DrawMoodPanel();
    DrawExpectedBand(expected, mood);
    // Below the star (it ends on row 127) only the reading and the name lie.
    int32_t drawn = 0;
    for (int32_t y = 128; y < 176; ++y) {
      for (int32_t x = 320; x < 496; ++x) {
        ASSERT_EQ(PixelAt(Display[1], x, y), PixelAt(expected, x, y)) << x << "," << y;
        drawn += PixelAt(expected, x, y) != kBackground;
      }
    }
    EXPECT_GT(drawn, 0);
  }
}

TEST_F(PanelTest, MoodPanelLeavesTheFontAndPenItsFollowersUse) {
  SetLineWidth(Display[1], 2);
  SetFontName(Display[1], kPopFontName);
  Mood = 100;
  DrawMoodPanel();
  EXPECT_EQ(Display[1].FontName, kGothicFontName);
  EXPECT_EQ(Display[1].LineWidth, 1);
  // The rule under the number.
  EXPECT_EQ(PixelAt(Display[1], 448, 120), RGB(128, 255, 255));
  EXPECT_EQ(PixelAt(Display[1], 480, 120), RGB(128, 255, 255));
  EXPECT_EQ(PixelAt(Display[1], 481, 120), kBackground);
}

}  // namespace
