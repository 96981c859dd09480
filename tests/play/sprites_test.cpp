// Field sprites: which cell each object is drawn from, what covers what,
// the cut at the bottom of the field, the student's poses and the gauge.
#include "play_fixture.h"

namespace {

constexpr uint32_t kGround = RGB(9, 9, 9);
constexpr uint32_t kWhite = RGB(255, 255, 255);

// Sheets that start black (an empty mask, a black picture) and get white
// masks and coloured pictures only where a test paints them.
class SpriteTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    for (int i = 0; i < 4; ++i) {
      saved_[i] = Chip[i];
      SurfaceClear(Chip[i], 0);
    }
    SurfaceClear(Display[1], kGround);
  }
  void TearDown() override {
    for (int i = 0; i < 4; ++i) Chip[i] = saved_[i];
  }

  // A sprite cell: its picture at (x, y) in a colour, its mask `above` rows up.
  static void PaintCell(Surface& sheet, int x, int y, int w, int h, uint32_t colour,
                        int above = 32) {
    SurfaceFillBox(sheet, x, y - above, x + w - 1, y - above + h - 1, kWhite);
    SurfaceFillBox(sheet, x, y, x + w - 1, y + h - 1, colour);
  }

  static uint32_t At(int x, int y) { return Display[1].Pixels[y * 512 + x]; }

  Surface saved_[4];
};

TEST_F(SpriteTest, ObjectsAreCutOffAtTheBottomOfTheField) {
  const uint32_t book = RGB(0, 0, 200);
  const uint32_t gate = RGB(0, 200, 0);
  const uint32_t mug = RGB(200, 0, 0);
  PaintCell(Chip[1], 0, 32, 32, 32, book);
  PaintCell(Chip[1], 128, 32, 64, 32, gate);
  PaintCell(Chip[0], 160, 192, 32, 32, mug);
  struct Case {
    int Y;
    int FirstRow, LastRow;  // rows drawn
  };
  const Case cases[] = {{300, 300, 331}, {319, 319, 350}, {320, 320, 351},
                        {330, 330, 351}, {351, 351, 351}, {-16, 0, 15}};
  for (const Case& c : cases) {
    for (int what = 0; what < 3; ++what) {
      SurfaceClear(Display[1], kGround);
      ResetYear();
      EventIndex = 0;  // the label of an empty element is blank
      uint32_t colour = 0;
      int x = 0;
      if (what == 0) {
        Pickups[1][0] = {100, static_cast<int16_t>(c.Y), 1};
        DrawPickups();
        colour = book;
        x = 100;
      } else if (what == 1) {
        Gates[0] = {128, 32, 128, static_cast<int16_t>(c.Y), 1};
        DrawGates();
        colour = gate;
        x = 128;
      } else {
        Rewards[0] = {100, static_cast<int16_t>(c.Y), 1, 0};
        DrawRewards();
        colour = mug;
        x = 100;
      }
      for (int y = 0; y < 384; ++y) {
        const bool drawn = y >= c.FirstRow && y <= c.LastRow;
        ASSERT_EQ(At(x + 1, y), drawn ? colour : kGround)
            << "object " << what << " at y " << c.Y << ", row " << y;
      }
    }
  }
}

TEST_F(SpriteTest, GateLabelIsTheLatestEventsAndStopsAtTheFieldsEdge) {
  const uint32_t gate = RGB(0, 200, 0);
  const uint32_t sketching = RGB(200, 0, 200);
  const uint32_t summerSports = RGB(0, 100, 200);
  PaintCell(Chip[1], 128, 32, 64, 32, gate);
  PaintCell(Chip[3], 160, 131, 52, 11, sketching, 11);
  PaintCell(Chip[3], 160, 175, 52, 11, summerSports, 11);
  struct Case {
    int16_t EventIndexNow, Y;
    uint32_t Label;
    int LabelRows;
  };
  const Case cases[] = {{1, 100, sketching, 11}, {3, 100, summerSports, 11},
                        {1, 336, sketching, 11}, {1, 340, sketching, 8},
                        {1, 347, sketching, 1},  {1, 348, sketching, 0}};
  for (const Case& c : cases) {
    SurfaceClear(Display[1], kGround);
    ResetYear();
    EventIndex = c.EventIndexNow;
    // The gate's own cell says one thing; the label follows the calendar.
    Gates[0] = {128, 32, 128, c.Y, 3};
    DrawGates();
    const int top = c.Y + 5;
    for (int y = top - 1; y <= top + 12; ++y) {
      const bool label = y >= top && y < top + c.LabelRows;
      const uint32_t body = y >= c.Y && y < 352 ? gate : kGround;
      EXPECT_EQ(At(140, y), label ? c.Label : body) << "gate at " << c.Y << ", row " << y;
      EXPECT_EQ(At(130, y), body) << "the label starts at x 134";
    }
  }
}

TEST_F(SpriteTest, LowerSlotsAreDrawnOnTop) {
  PaintCell(Chip[1], 128, 32, 64, 32, RGB(0, 200, 0));
  PaintCell(Chip[1], 128, 96, 64, 32, RGB(0, 0, 200));
  Gates[0] = {128, 32, 128, 100, 1};
  Gates[7] = {128, 96, 128, 100, 2};
  DrawGates();
  EXPECT_EQ(At(129, 100), RGB(0, 200, 0));

  PaintCell(Chip[1], 0, 32, 32, 32, RGB(10, 20, 30));
  PaintCell(Chip[1], 32, 32, 32, 32, RGB(40, 50, 60));
  Pickups[2][0] = {100, 200, 2};
  Pickups[1][1] = {100, 200, 1};
  DrawPickups();
  EXPECT_EQ(At(101, 201), RGB(10, 20, 30)) << "slot by slot, each slot's kinds in turn";
}

TEST_F(SpriteTest, StudentPoseAndUniform) {
  for (int f = 0; f < 8; ++f) PaintCell(Chip[0], 32 * f, 32, 32, 32, RGB(30 * f + 10, 7, 7));
  struct Case {
    int16_t DayNow, StaminaNow, SpaceHeld, X, Frame;
    int Cell;
  };
  const Case cases[] = {
      {100, 50, 0, 112, 0, 0},  {100, 50, 0, 112, 3, 0}, {100, 50, 0, 112, 4, 1},
      {100, 50, 0, 112, 7, 1},  {100, 50, 0, 112, 8, 0}, {100, 50, 0, 112, 12, 1},
      {100, 50, 0, 112, 31, 1}, {119, 50, 0, 112, 0, 0}, {120, 50, 0, 112, 0, 4},
      {360, 50, 0, 112, 4, 5},  {361, 50, 0, 112, 0, 0}, {100, 0, 0, 112, 4, 2},
      {100, 0, 3, 16, 0, 2},    {100, 50, 3, 16, 4, 3},  {200, 50, 1, 272, 0, 7},
      {100, 50, 3, 112, 4, 1},  // Space away from the verges changes nothing
  };
  for (const Case& c : cases) {
    SurfaceClear(Display[1], kGround);
    Day = c.DayNow;
    Stamina = c.StaminaNow;
    Hold(c.SpaceHeld ? 32 : 0, c.SpaceHeld);
    PlayerX = c.X;
    PlayerY = 200;
    FrameCount = c.Frame;
    DrawPlayer();
    EXPECT_EQ(At(c.X + 16, 216), RGB(30 * c.Cell + 10, 7, 7))
        << "day " << c.DayNow << " stamina " << c.StaminaNow << " space " << c.SpaceHeld << " x "
        << c.X << " frame " << c.Frame;
  }
}

TEST_F(SpriteTest, StaminaGaugeGrowsWithTheLimit) {
  const uint32_t red = RGB(255, 0, 0);
  struct Case {
    int16_t StaminaNow, Max;
  };
  for (const Case c : {Case{1, 50}, Case{50, 50}, Case{0, 50}, Case{200, 255}}) {
    SurfaceClear(Display[1], kGround);
    Stamina = c.StaminaNow;
    MaxStamina = c.Max;
    DrawPlayer();
    for (int x = 32; x <= 300; ++x) {
      const bool bar = c.StaminaNow != 0 && x <= c.StaminaNow + 32;
      EXPECT_EQ(At(x, 335) == red, bar) << "stamina " << c.StaminaNow << " x " << x;
    }
    EXPECT_EQ(At(c.Max + 35, 336), kWhite) << "the outline's right side";
    EXPECT_EQ(At(c.Max + 36, 336), kGround);
    EXPECT_EQ(At(60, 342), kWhite) << "the outline's bottom";
    EXPECT_EQ(Display[1].LineWidth, 1);
  }
}

TEST_F(SpriteTest, CatFramesAndItsCutAtTheBottom) {
  for (int i = 0; i < 4; ++i) PaintCell(Chip[0], 96 + 32 * i, 256, 32, 32, RGB(50 * i + 20, 1, 1));
  struct Case {
    int16_t State, Anim, Y;
    int Cell, Rows;
  };
  const Case cases[] = {
      {1, 1, 100, 0, 32},  {1, 9, 100, 0, 32}, {1, 10, 100, 1, 32}, {1, 19, 100, 1, 32},
      {1, 20, 100, 0, 32}, {2, 4, 100, 2, 32}, {2, 5, 100, 3, 32},  {2, 10, 100, 2, 32},
      {1, 5, 320, 0, 32},  {1, 5, 330, 0, 22}, {1, 5, 351, 0, 1},
  };
  for (const Case& c : cases) {
    SurfaceClear(Display[1], kGround);
    CatState = c.State;
    CatAnim = c.Anim;
    CatX = 100;
    CatY = c.Y;
    DrawCat();
    const uint32_t colour = RGB(50 * c.Cell + 20, 1, 1);
    EXPECT_EQ(At(110, c.Y), colour) << "state " << c.State << " anim " << c.Anim;
    EXPECT_EQ(At(110, c.Y + c.Rows - 1), colour) << "y " << c.Y;
    if (c.Y + c.Rows < 384) {
      EXPECT_EQ(At(110, c.Y + c.Rows), kGround) << "y " << c.Y;
    }
  }
}

TEST_F(SpriteTest, OnlyFlyingShotsAreDrawnAndTeachersAlways) {
  PaintCell(Chip[0], 0, 192, 32, 32, RGB(1, 100, 1));
  PaintCell(Chip[0], 32, 256, 32, 32, RGB(100, 1, 1));
  Shots[0] = {0, 192, 40, 100, 1};
  Shots[1] = {0, 192, 200, 100, 0};
  DrawShots();
  EXPECT_EQ(At(50, 110), RGB(1, 100, 1));
  EXPECT_EQ(At(210, 110), kGround);
  Teachers[1].X = 150;
  Teachers[1].Y = -20;  // walking off: still drawn, cut by the surface
  DrawTeachers();
  EXPECT_EQ(At(160, 5), RGB(100, 1, 1));
}

}  // namespace
