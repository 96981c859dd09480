// The graduate table, the records screen and the year-end screen, drawn
// headless with sheets of our own whose pictures are flat colours, so that
// every blit can be told apart by the colour it leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "draw/draw.h"
#include "frame/frame.h"
#include "register/register.h"
#include "register/table.h"

namespace {

constexpr uint32_t kGround = RGB(1, 2, 3);
constexpr uint32_t kWhite = RGB(255, 255, 255);

uint32_t DigitColour(int32_t d) { return RGB(20 + 20 * d, 200, 30); }
uint32_t GreenStar(int32_t frame) { return RGB(0, 100 + 40 * frame, 0); }
uint32_t PinkStar(int32_t frame) { return RGB(100 + 40 * frame, 0, 100); }

void Fill(Surface& s, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
  SurfaceFillBox(s, x, y, x + w - 1, y + h - 1, colour);
}

uint32_t Pixel(const Surface& s, int32_t x, int32_t y) { return s.Pixels[y * s.Width + x]; }

// Whether anything but the ground colour lies in the rectangle.
bool Touched(const Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
             uint32_t ground = kGround) {
  for (int32_t y = y1; y <= y2; ++y) {
    for (int32_t x = x1; x <= x2; ++x) {
      if (Pixel(s, x, y) != ground) return true;
    }
  }
  return false;
}

bool Contains(const Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
  for (int32_t y = y1; y <= y2; ++y) {
    for (int32_t x = x1; x <= x2; ++x) {
      if (Pixel(s, x, y) == colour) return true;
    }
  }
  return false;
}

class Screens : public ::testing::Test {
 protected:
  void SetUp() override {
    InitHeadlessSession(KURUNOA_SOURCE_DIR, 3);
    ResetYear();
    ClearRegister();
    PollNumber = 0;
    // Masks solid white over their whole cell, pictures one flat colour.
    SurfaceResize(Chip[0], 288, 288, 0);
    static constexpr int32_t kStarX[4] = {64, 80, 64, 80}, kStarY[4] = {128, 128, 144, 144};
    for (int32_t f = 0; f < 4; ++f) {
      Fill(Chip[0], kStarX[f], kStarY[f], 16, 16, kWhite);
      Fill(Chip[0], kStarX[f] + 32, kStarY[f], 16, 16, GreenStar(f));
      Fill(Chip[0], kStarX[f] + 64, kStarY[f], 16, 16, PinkStar(f));
    }
    SurfaceResize(Chip[3], 288, 256, 0);
    for (int32_t d = 0; d < 10; ++d) {
      Fill(Chip[3], 10 * d, 224, 10, 16, kWhite);
      Fill(Chip[3], 10 * d, 240, 10, 16, DigitColour(d));
    }
    SurfaceClear(Display[1], kGround);
  }

  void AddGraduate(int32_t school, int32_t study, int32_t sports, int32_t art) {
    int32_t i = ++GraduateCount;
    GradSchool[i] = school;
    GradSyllables[i][0] = 1;
    GradScore[i][1] = study;
    GradScore[i][2] = sports;
    GradScore[i][3] = art;
    GradScore[i][4] = study + sports + art;
    for (int j = 1; j <= 4; ++j) {
      GradScoreInt[i][j] = GradScore[i][j] / 10;
      GradScoreFrac[i][j] = GradScore[i][j] % 10;
    }
  }
};

TEST_F(Screens, CountDigitsAreRightAligned) {
  struct Case {
    int32_t Count;
    std::array<int32_t, 4> Digit;  // at x 332, 342, 352, 362; -1 for none
  };
  const Case cases[] = {
      {1, {-1, -1, -1, 1}}, {9, {-1, -1, -1, 9}}, {10, {-1, -1, 1, 0}}, {99, {-1, -1, 9, 9}},
      {100, {-1, 1, 0, 0}}, {999, {-1, 9, 9, 9}}, {1000, {1, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Count);
    SurfaceClear(Display[1], kGround);
    GraduateCount = c.Count;
    DrawAverages();
    for (int32_t q = 0; q < 4; ++q) {
      const int32_t x = 332 + 10 * q;
      if (c.Digit[q] < 0) {
        EXPECT_FALSE(Touched(Display[1], x, 320, x + 9, 335)) << "position " << x;
      } else {
        EXPECT_EQ(Pixel(Display[1], x, 320), DigitColour(c.Digit[q])) << "position " << x;
        EXPECT_EQ(Pixel(Display[1], x + 9, 335), DigitColour(c.Digit[q])) << "position " << x;
      }
    }
    EXPECT_FALSE(Touched(Display[1], 322, 320, 331, 335));
    EXPECT_FALSE(Touched(Display[1], 372, 320, 381, 335));
  }
}

TEST(ScoreText, WholePartPointTenths) {
  struct Case {
    int32_t Score;
    const char* Text;
  };
  const Case cases[] = {
      {512, "51.2"}, {5, "0.5"},   {1000, "100.0"}, {0, "0.0"},
      {-15, "-1.5"}, {-5, "-0.5"}, {-20, "-2.0"},   {-2147483647 - 1, "-214748364.8"},
  };
  for (const Case& c : cases) {
    char buf[32];
    EXPECT_EQ(FormatScoreText(c.Score / 10, c.Score % 10, buf), c.Text) << c.Score;
  }
}

TEST_F(Screens, EmptyRegisterShowsOnlyTheStars) {
  DrawAverages();
  EXPECT_FALSE(Touched(Display[1], 0, 0, 511, 383));
  GameMode = 3;
  RecordsTick = 0;
  DrawTopTen();
  EXPECT_FALSE(Touched(Display[1], 0, 50, 511, 319));  // headings to the count: no rows
  EXPECT_TRUE(Touched(Display[1], 168, 24, 183, 39));
}

TEST_F(Screens, StarsTurnEveryFourFrames) {
  struct Star {
    int32_t X, Y;
    bool Pink;
  };
  const Star stars[] = {{168, 24, false}, {328, 24, false}, {32, 32, true},    {464, 32, true},
                        {32, 320, true},  {464, 320, true}, {224, 320, false}, {408, 320, false}};
  struct Case {
    int16_t Mode;
    int32_t RecordsTick, YearEndTick, Frame;
  };
  const Case cases[] = {
      {3, 0, 99, 0},
      {3, 3, 99, 0},
      {3, 4, 99, 1},
      {3, 7, 99, 1},
      {3, 8, 99, 2},
      {3, 12, 99, 3},
      {3, 15, 99, 3},
      {3, 16, 99, 0},
      // The year-end screen, and its last frame after the confirmation,
      // count with their own tick.
      {2, 99, 4, 1},
      {0, 99, 8, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.Mode << " records " << c.RecordsTick
                                    << " year end " << c.YearEndTick);
    GameMode = c.Mode;
    RecordsTick = c.RecordsTick;
    YearEndTick = c.YearEndTick;
    DrawTopTen();
    for (const Star& s : stars) {
      EXPECT_EQ(Pixel(Display[1], s.X, s.Y), s.Pink ? PinkStar(c.Frame) : GreenStar(c.Frame))
          << s.X << "," << s.Y;
      EXPECT_EQ(Pixel(Display[1], s.X + 15, s.Y + 15),
                s.Pink ? PinkStar(c.Frame) : GreenStar(c.Frame));
    }
  }
}

TEST_F(Screens, RowsForGraduatesWithATotalOnly) {
  AddGraduate(2, 300, 300, 300);  // 90.0, the left school
  AddGraduate(1, 0, 0, 0);        // no row, but counted
  AddGraduate(1, 500, 200, 0);    // 70.0, the front school
  SortGraduates();
  GameMode = 3;
  DrawTopTen();
  for (int32_t p = 1; p <= 10; ++p) {
    const int32_t y = 18 * p + 72;
    EXPECT_EQ(Touched(Display[1], 80, y - 1, 470, y + 15), p <= 2) << "row " << p;
  }
  // "左" starts seven pixels right of "正面", both in the school column.
  EXPECT_FALSE(Touched(Display[1], 410, 89, 421, 104));
  EXPECT_TRUE(Touched(Display[1], 422, 89, 440, 104));
  EXPECT_TRUE(Touched(Display[1], 415, 107, 421, 122));

  // The zero total counts in the averages (1600 / 3 = 53.3); the row is drawn.
  EXPECT_EQ(AverageScore(4), 533);
  DrawAverages();
  EXPECT_TRUE(Touched(Display[1], 221, 287, 260, 303));
}

TEST_F(Screens, TableBackgroundBandsAndRules) {
  DrawRecords();
  EXPECT_EQ(Pixel(Display[2], 2, 0), RGB(0, 73, 146));
  EXPECT_EQ(Pixel(Display[2], 2, 17), RGB(0, 72, 144));
  EXPECT_EQ(Pixel(Display[2], 2, 383), RGB(0, 50, 100));
  EXPECT_EQ(Pixel(Display[2], 511, 200), RGB(0, 61, 122));
  for (int32_t y : {80, 276}) {
    EXPECT_EQ(Pixel(Display[2], 64, y), kWhite);
    EXPECT_EQ(Pixel(Display[2], 448, y), kWhite);
  }
  EXPECT_EQ(Display[2].FontName, "ＭＳ Ｐゴシック");
}

class YearEndScreen : public Screens {
 protected:
  void SetUp() override {
    Screens::SetUp();
    for (int32_t i = 0; i < 12; ++i) AddGraduate(1, 1000 - 50 * i, 0, 0);
    CurGrad = static_cast<int16_t>(++GraduateCount);
    RankOrder[CurGrad] = CurGrad;
    GradSchool[CurGrad] = 2;
    GameMode = 2;
    YearEndTick = -1;
    NameCursor = 0;
  }
  // Gives the student a total that places the record at the rank.
  void PlaceAt(int16_t rank) {
    GradScore[CurGrad][1] = 1000 - 50 * (rank - 1) + 25;
    GradScore[CurGrad][4] = GradScore[CurGrad][1];
    GradScoreInt[CurGrad][4] = GradScoreInt[CurGrad][1] = GradScore[CurGrad][1] / 10;
    GradScoreFrac[CurGrad][4] = GradScoreFrac[CurGrad][1] = 5;
    SortGraduates();
    ASSERT_EQ(CurRank, rank);
  }
  void SetName(std::initializer_list<int16_t> name) {
    std::fill(GradSyllables[CurGrad], GradSyllables[CurGrad] + 8, int16_t{0});
    std::copy(name.begin(), name.end(), GradSyllables[CurGrad]);
  }
};

TEST_F(YearEndScreen, CursorLineUnderThePositionAtTheRank) {
  for (int16_t rank : {1, 4, 10}) {
    for (int16_t cursor : {0, 5, 7}) {
      SCOPED_TRACE(testing::Message() << "rank " << rank << " cursor " << cursor);
      SurfaceClear(Display[1], kGround);
      PlaceAt(rank);
      NameCursor = cursor;
      YearEndTick = 0;
      DrawOwnRow();
      const int32_t y = 18 * rank + 72 + 16;
      const int32_t x = 88 + 14 * cursor;
      EXPECT_EQ(Pixel(Display[1], x, y), kWhite);
      EXPECT_EQ(Pixel(Display[1], x + 16, y), kWhite);
      EXPECT_NE(Pixel(Display[1], x - 1, y), kWhite);
      EXPECT_NE(Pixel(Display[1], x + 17, y), kWhite);
      EXPECT_EQ(Display[1].FontName, "ＭＳ Ｐゴシック");
    }
  }
}

TEST_F(YearEndScreen, BelowTenthNoOwnRow) {
  PlaceAt(11);
  SetName({1, 2, 3});
  YearEndTick = 5;
  DrawOwnRow();
  EXPECT_FALSE(Touched(Display[1], 0, 0, 511, 383));
}

TEST_F(YearEndScreen, HighlightFadesWhileTheNameStaysWhite) {
  PlaceAt(3);
  SetName({1, 2, 3, 4, 5, 6, 7, 8});
  const int32_t y = 18 * 3 + 72;
  struct Case {
    int32_t Tick;
    uint32_t Colour;
  };
  for (Case c : {Case{0, kWhite}, Case{16, RGB(255, 191, 191)}, Case{31, RGB(255, 131, 131)},
                 Case{32, kWhite}, Case{63, RGB(255, 131, 131)}}) {
    SCOPED_TRACE(c.Tick);
    SurfaceClear(Display[1], kGround);
    YearEndTick = c.Tick;
    DrawOwnRow();
    EXPECT_TRUE(Contains(Display[1], 222, y, 262, y + 14, c.Colour));
    EXPECT_TRUE(Contains(Display[1], 56, y, 80, y + 14, c.Colour));    // the rank
    EXPECT_TRUE(Contains(Display[1], 420, y, 440, y + 14, c.Colour));  // 左
    EXPECT_TRUE(Contains(Display[1], 88, y, 200, y + 14, kWhite));     // the name
    if (c.Colour != kWhite) {
      EXPECT_FALSE(Contains(Display[1], 88, y, 200, y + 14, c.Colour));
    }
  }
}

TEST_F(YearEndScreen, ConfirmsOnANewSpaceAfterTheGuard) {
  struct Case {
    const char* What;
    int32_t StartTick;
    std::vector<KeyChange> Script;
    int64_t ConfirmPoll;
  };
  const Case cases[] = {
      {"pressed in the guard, then again",
       -1,
       {{0, {}}, {10, {32}}, {11, {}}, {29, {32}}, {30, {}}, {31, {32}}},
       31},
      {"pressed on frame 30", -1, {{0, {}}, {30, {32}}}, 30},
      {"held in from play", -1, {{0, {32}}, {41, {}}, {42, {32}}}, 42},
      {"tick past 16000 restarts the guard",
       15999,
       {{0, {}}, {1, {32}}, {2, {}}, {30, {32}}, {31, {}}, {32, {32}}},
       32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    PlaceAt(2);
    SetName({1});
    GameMode = 2;
    YearEndTick = c.StartTick;
    PollNumber = 0;
    std::fill(KeyCount, KeyCount + 1001, int16_t{0});
    PlatformSetKeyScript(c.Script);
    const int32_t start = PlatformClockMs();
    YearEnd();
    EXPECT_EQ(GameMode, 0);
    EXPECT_EQ(PollNumber, c.ConfirmPoll + 1);
    // Every frame but the last waits out the 27 ms period.
    EXPECT_EQ(PlatformClockMs() - start, 28 * c.ConfirmPoll);
    EXPECT_EQ(Display[0].Pixels, Display[1].Pixels) << "the last frame is shown";
  }
  EXPECT_EQ(YearEndTick, 31) << "16000, then 0 .. 31";
}

TEST_F(YearEndScreen, LastNameFollowsTheNameOnScreen) {
  PlaceAt(1);
  SetName({});
  // Space on the empty name is refused; K twice, Right, A, then Space.
  PlatformSetKeyScript({{0, {}},
                        {31, {32}},
                        {32, {75}},
                        {33, {}},
                        {34, {75}},
                        {35, {39}},
                        {36, {65}},
                        {37, {}},
                        {38, {32}}});
  YearEnd();
  EXPECT_EQ(PollNumber, 39);
  EXPECT_EQ(std::to_array(LastName), (std::array<int16_t, 8>{7, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(std::to_array(GradSyllables[CurGrad]), std::to_array(LastName));
  EXPECT_EQ(NameCursor, 1);
}

TEST_F(Screens, RecordsScreenLeavesOnANewSpaceOrEscape) {
  GameMode = 3;
  RecordsTick = -1;
  LastKey = 32;  // the title's Space is still down
  KeyCount[32] = 1;
  PlatformSetKeyScript({{0, {32}}, {3, {}}, {5, {32}}});
  const int32_t start = PlatformClockMs();
  RecordsLoop();
  EXPECT_EQ(GameMode, 0);
  EXPECT_EQ(PollNumber, 6);
  EXPECT_EQ(RecordsTick, 5);
  EXPECT_EQ(PlatformClockMs() - start, 6 * 28);

  // A second visit goes on counting.
  GameMode = 3;
  PollNumber = 0;
  PlatformSetKeyScript({{0, {}}, {2, {27}}});
  RecordsLoop();
  EXPECT_EQ(GameMode, 27);
  EXPECT_EQ(RecordsTick, 8);
}

}  // namespace
