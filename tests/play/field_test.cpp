// The field background: the tile map, the panels' gradient, and the new row
// of every day step with its season, milestone and day label.
#include <string>

#include "play_fixture.h"

namespace {

// Chip(0) replaced by a sheet in which every 16 x 16 cell has a colour of
// its own, so a tile on the field tells which cell it came from.
class FieldTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    saved_ = Chip[0];
    for (int y = 0; y < Chip[0].Height; ++y) {
      for (int x = 0; x < Chip[0].Width; ++x) {
        Chip[0].Pixels[y * Chip[0].Width + x] = CellColour(x / 16, y / 16);
      }
    }
    StartYearScreen();
  }
  void TearDown() override { Chip[0] = saved_; }

  static uint32_t CellColour(int cx, int cy) { return RGB(cx * 13 + 3, cy * 13 + 3, 77); }

  // Whether the 16 x 16 tile at (x, y) of Display(2) is the cell at (sx, sy).
  static bool TileIs(int x, int y, int sx, int sy) {
    const Surface& d = Display[2];
    for (int dy = 0; dy < 16; ++dy) {
      for (int dx = 0; dx < 16; ++dx) {
        if (d.Pixels[(y + dy) * d.Width + x + dx] != CellColour(sx / 16, sy / 16)) return false;
      }
    }
    return true;
  }

  static uint32_t At(const Surface& s, int x, int y) { return s.Pixels[y * s.Width + x]; }

  Surface saved_;
};

TEST_F(FieldTest, DrawFieldLaysTheTileMap) {
  struct Case {
    int Col, Row, SrcX, SrcY;
  };
  const Case cases[] = {
      {0, 0, 0, 64},     {1, 0, 96, 64},   {2, 21, 96, 64},  {3, 0, 64, 64},   {3, 15, 64, 64},
      {4, 0, 80, 64},    {15, 21, 80, 64}, {16, 0, 48, 96},  {16, 10, 48, 96}, {17, 5, 96, 64},
      {18, 21, 96, 64},  {19, 0, 0, 112},  {19, 1, 32, 64},  {19, 10, 0, 96},  {19, 21, 32, 64},
      {19, 22, 16, 112}, {20, 0, 48, 80},  {30, 0, 48, 80},  {31, 0, 16, 64},  {0, 5, 32, 64},
      {0, 10, 32, 64},   {31, 9, 48, 64},  {31, 10, 16, 96}, {31, 11, 48, 64}, {20, 10, 32, 80},
      {30, 10, 32, 80},  {0, 22, 0, 80},   {1, 22, 32, 80},  {18, 22, 32, 80}, {20, 22, 32, 80},
      {31, 22, 16, 80},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(TileIs(16 * c.Col, 16 * c.Row, c.SrcX, c.SrcY))
        << "column " << c.Col << " row " << c.Row;
  }
}

TEST_F(FieldTest, PanelsShowTheGradientWhereNoTileLies) {
  for (int i = 1; i <= 21; ++i) {
    if (i == 10) continue;
    for (int x : {320, 400, 495}) {
      EXPECT_EQ(At(Display[2], x, 16 * i + 8), RGB(0, 70 - 2 * i, 120 - 4 * i)) << "band " << i;
    }
  }
  // Below the frame, outside the window, the panel columns keep the last band
  // and the rest the background colour.
  EXPECT_EQ(At(Display[2], 400, 375), RGB(0, 24, 28));
  EXPECT_EQ(At(Display[2], 100, 375), RGB(0, 36, 72));
}

TEST_F(FieldTest, DayStepMovesTheFieldDownOneRow) {
  // Mark two rows of the field; note the frame, the panel and the band.
  for (int x = 16; x < 304; ++x) {
    Display[2].Pixels[40 * 512 + x] = RGB(1, 2, 3);
    Display[2].Pixels[340 * 512 + x] = RGB(4, 5, 6);
  }
  const uint32_t frame = At(Display[2], 8, 100);
  const uint32_t panel = At(Display[2], 400, 100);
  const uint32_t band = At(Display[2], 100, 356);
  Day = 15;
  ScrollPhase = 0;
  DrawDayBanner();
  for (int x = 16; x < 304; x += 17) {
    EXPECT_EQ(At(Display[2], x, 56), RGB(1, 2, 3)) << x;
    EXPECT_NE(At(Display[2], x, 40), RGB(1, 2, 3)) << x;
    // The last field row falls off under the frame band, which stays.
    EXPECT_NE(At(Display[2], x, 340), RGB(4, 5, 6)) << x;
    EXPECT_NE(At(Display[2], x, 356), RGB(4, 5, 6)) << x;
  }
  EXPECT_EQ(At(Display[2], 100, 356), band);
  EXPECT_EQ(At(Display[2], 8, 100), frame);
  EXPECT_EQ(At(Display[2], 400, 100), panel);
  // The road of row 0 is carried down unchanged and row 0 keeps it.
  EXPECT_TRUE(TileIs(16 * 8, 16, 80, 64));
  EXPECT_TRUE(TileIs(16 * 8, 0, 80, 64));
  EXPECT_EQ(Display[2].FontName, "ＭＳ　Ｐゴシック");
}

TEST_F(FieldTest, VergeGroundChangesWithTheSeasons) {
  struct Case {
    int16_t DayNow;
    int SrcX, SrcY;
  };
  const Case cases[] = {{15, 96, 64},  {154, 96, 64}, {155, 112, 64}, {334, 112, 64},
                        {335, 96, 80}, {514, 96, 80}, {515, 112, 80}, {694, 112, 80},
                        {695, 96, 64}, {714, 96, 64}};
  for (const Case& c : cases) {
    Day = c.DayNow;
    ScrollPhase = 0;
    DrawDayBanner();
    for (int x : {16, 32, 272, 288}) {
      EXPECT_TRUE(TileIs(x, 0, c.SrcX, c.SrcY)) << "day " << c.DayNow << " x " << x;
    }
  }
  // Rows drawn earlier keep their ground and scroll on.
  Day = 154;
  DrawDayBanner();
  Day = 155;
  DrawDayBanner();
  EXPECT_TRUE(TileIs(288, 16, 96, 64));
  EXPECT_TRUE(TileIs(288, 0, 112, 64));
}

TEST_F(FieldTest, MilestoneEveryTenthDayShowsTheNextEventsKind) {
  struct Case {
    int16_t DayNow, EventIndexNow;
    int SrcX, SrcY;
  };
  const Case cases[] = {
      {20, 0, 64, 112},    // sketching day: art
      {21, 0, 64, 64},     // rail
      {100, 1, 64, 96},    // a test
      {150, 2, 80, 96},    // a sports meet
      {620, 10, 80, 112},  // Valentine's Day
      {670, 11, 64, 96},   // the year-end test
      {700, 12, 64, 64},   // only the graduation left: rail
      {710, 13, 64, 64},
  };
  for (const Case& c : cases) {
    Day = c.DayNow;
    EventIndex = c.EventIndexNow;
    ScrollPhase = 0;
    DrawDayBanner();
    EXPECT_TRUE(TileIs(48, 0, c.SrcX, c.SrcY)) << "day " << c.DayNow;
  }
}

TEST_F(FieldTest, DayLabelsEveryTenthDay) {
  struct Case {
    int16_t DayNow;
    const char* Text;  // empty: no label
    int X;
    uint32_t Colour;
    int GroundX, GroundY;
  };
  const Case cases[] = {
      {20, " 10日", 14, RGB(0, 128, 0), 96, 64},
      {70, " 5日", 17, RGB(0, 128, 0), 96, 64},
      {21, "", 0, 0, 96, 64},
      {60, " 30日", 14, RGB(0, 128, 0), 96, 64},
      {200, " 10日", 14, RGB(0, 81, 0), 112, 64},
      {350, " 25日", 14, RGB(128, 0, 0), 96, 80},
      {600, " 30日", 14, RGB(80, 80, 80), 112, 80},
      {660, " 28日", 14, RGB(80, 80, 80), 112, 80},
      {665, "", 0, 0, 112, 80},
      {710, " 25日", 14, RGB(0, 128, 0), 96, 64},
  };
  for (const Case& c : cases) {
    StartYearScreen();
    Day = c.DayNow;
    EventIndex = 12;  // keep the milestone a plain rail
    ScrollPhase = 0;
    DrawDayBanner();
    // The same new row drawn by hand: corner, verges and rail, then the label.
    Surface expected = Display[2];
    BlitPicture(expected, 0, 0, 16, 16, Chip[0], 0, 64, SRCCOPY);
    BlitPicture(expected, 16, 0, 16, 16, Chip[0], c.GroundX, c.GroundY, SRCCOPY);
    BlitPicture(expected, 32, 0, 16, 16, Chip[0], c.GroundX, c.GroundY, SRCCOPY);
    BlitPicture(expected, 48, 0, 16, 16, Chip[0], 64, 64, SRCCOPY);
    if (*c.Text != 0) {
      SetFontName(expected, "HGP創英角ﾎﾟｯﾌﾟ体");
      PrintAt(expected, c.X, 2, 9, false, c.Colour, std::string_view(c.Text));
    }
    int differing = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 304; ++x) {
        differing += expected.Pixels[y * 512 + x] != Display[2].Pixels[y * 512 + x] ? 1 : 0;
      }
    }
    EXPECT_EQ(differing, 0) << "day " << c.DayNow;
    if (*c.Text != 0) {
      // And the label did print something.
      int inked = 0;
      for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 64; ++x) inked += At(Display[2], x, y) == c.Colour ? 1 : 0;
      }
      EXPECT_GT(inked, 5) << "day " << c.DayNow;
    }
  }
}

}  // namespace
