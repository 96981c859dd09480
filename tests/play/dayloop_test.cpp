// One frame of the year at a time: counters, scrolling, the keys the loop
// itself handles, the PTA hand-over and the end of the calendar.
#include "play_fixture.h"

namespace {

class DayLoopTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    HoldFromNextPoll({});
    StartYearScreen();
  }

  static bool SameRect(const Surface& a, int ax, int ay, const Surface& b, int bx, int by, int w,
                       int h) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        if (a.Pixels[(ay + y) * a.Width + ax + x] != b.Pixels[(by + y) * b.Width + bx + x]) {
          return false;
        }
      }
    }
    return true;
  }
};

TEST_F(DayLoopTest, FirstFrameOfTheYearIsDayStep15) {
  ASSERT_TRUE(PlayFrame());
  EXPECT_EQ(FrameCount, 0);
  EXPECT_EQ(ScrollPhase, 0);
  EXPECT_EQ(PlayTick, 0);
  EXPECT_EQ(Day, 15);
  for (int f = 1; f <= 16; ++f) ASSERT_TRUE(PlayFrame());
  EXPECT_EQ(Day, 16);
  EXPECT_EQ(ScrollPhase, 0);
  EXPECT_EQ(PlayTick, 0);
  EXPECT_EQ(GameMode, 1);
}

TEST_F(DayLoopTest, FieldScrollsOnePixelPerFrameUnderTheTopBand) {
  for (int f = 0; f < 16; ++f) {
    ASSERT_TRUE(PlayFrame());
    // The verge column below the top band shows the background shifted by
    // the phase; the top row is always the band.
    EXPECT_TRUE(SameRect(Display[1], 16, 48, Display[2], 16, 48 - ScrollPhase, 16, 270))
        << "phase " << ScrollPhase;
    for (int i = 1; i <= 18; ++i) {
      EXPECT_TRUE(SameRect(Display[1], 16 * i, 0, Chip[0], 48, 80, 16, 16)) << "column " << i;
    }
    EXPECT_TRUE(SameRect(Display[0], 0, 0, Display[1], 0, 0, 512, 384)) << "frame shown";
  }
}

TEST_F(DayLoopTest, EnterTogglesTheScheduleOncePerPress) {
  HoldFromNextPoll({13});
  for (int f = 0; f < 5; ++f) ASSERT_TRUE(PlayFrame());
  EXPECT_EQ(ShowSchedule, 1);
  HoldFromNextPoll({});
  ASSERT_TRUE(PlayFrame());
  HoldFromNextPoll({13, 32});  // with Space: Enter, the lower code, wins
  ASSERT_TRUE(PlayFrame());
  EXPECT_EQ(ShowSchedule, 0);
  int active = 0;
  for (const ShotRecord& s : Shots) active += s.Active;
  EXPECT_EQ(active, 0);
}

TEST_F(DayLoopTest, EscapeStillShowsTheFrameAndResolvesItsCollisions) {
  ASSERT_TRUE(PlayFrame());
  PlayerX = 112;
  PlayerY = 200;
  Pickups[1][0] = {112, 199, 1};
  HoldFromNextPoll({27});
  EXPECT_FALSE(PlayFrame());
  EXPECT_EQ(GameMode, 27);
  EXPECT_EQ(Pickups[1][0].Kind, 0) << "collected in the last frame";
  EXPECT_TRUE(SameRect(Display[0], 0, 0, Display[1], 0, 0, 512, 384));
}

TEST_F(DayLoopTest, PtaHandOverRunsOneUnseenFrame) {
  MenuChoice = 2;
  ASSERT_TRUE(PlayFrame());
  EventIndex = 4;
  PlayerX = 128;
  PlayerY = 100;
  Gates[0] = {128, 32, 128, 90, 1};
  ASSERT_TRUE(PlayFrame());  // the touch: shown, then the mode changes
  EXPECT_EQ(GameMode, 6);
  const Surface shown = Display[0];
  const int16_t gateY = Gates[0].Y;
  const int16_t frame = FrameCount;
  EXPECT_FALSE(PlayFrame());
  EXPECT_EQ(Gates[0].Y, gateY + 1) << "the world moved once more";
  EXPECT_EQ(FrameCount, frame + 1);
  EXPECT_TRUE(SameRect(Display[0], 0, 0, shown, 0, 0, 512, 384)) << "but it was not shown";
  EXPECT_EQ(Gates[0].Kind, 1) << "the scene removes the gate, not the loop";
}

TEST_F(DayLoopTest, VacationKeepsAMirrorCakePairComing) {
  struct Case {
    int16_t DayNow;
    bool Pair;
  };
  for (const Case c : {Case{223, false}, Case{224, true}, Case{301, true}, Case{302, false},
                       Case{519, false}, Case{520, true}, Case{556, true}, Case{557, false}}) {
    ResetYear();
    SetStudent(500, 5);
    StartYearScreen();
    // Land between day steps so the day does not change.
    FrameCount = 4;
    Day = c.DayNow;
    PlayerX = 112;
    ASSERT_TRUE(PlayFrame());
    EXPECT_EQ(Pickups[4][0].Kind == 4, c.Pair) << "day " << c.DayNow;
    EXPECT_EQ(Pickups[5][0].Kind == 5, c.Pair) << "day " << c.DayNow;
  }
}

TEST_F(DayLoopTest, CalendarEndsAtStep714AndTheFieldStops) {
  Day = 713;
  FrameCount = 14;  // two frames before a day step
  EventIndex = 13;
  ASSERT_TRUE(PlayFrame());
  EXPECT_EQ(Day, 713);
  ASSERT_TRUE(PlayFrame());
  EXPECT_EQ(Day, 714);
  EXPECT_EQ(YearPhase, 0);
  const int32_t tick = PlayTick;
  Pickups[1][0] = {200, 100, 1};
  for (int f = 0; f < 20; ++f) {
    ASSERT_TRUE(PlayFrame());
    EXPECT_EQ(YearPhase, 1);
    EXPECT_EQ(Day, 714);
    EXPECT_TRUE(SameRect(Display[1], 16, 48, Display[2], 16, 48, 16, 270)) << "no scrolling";
  }
  EXPECT_EQ(Pickups[1][0].Y, 100) << "objects freeze";
  EXPECT_EQ(PlayTick, tick) << "the schedule's tick stops with the calendar";
}

TEST_F(DayLoopTest, GraduationEndsTheYearWithGameMode2) {
  Day = 714;
  EventIndex = 13;
  Gates[0] = {192, 32, 128, 40, 5};
  PlayerX = 112;
  PlayerY = 64;
  int frames = 0;
  bool more = true;
  while (more && frames < 1000) {
    more = PlayFrame();
    ++frames;
  }
  EXPECT_EQ(GameMode, 2);
  EXPECT_EQ(YearPhase, 2);
  EXPECT_LE(PlayerY, -32);
  EXPECT_EQ(FaintTimer, 100);
  // Touched in frame 1, out of the field in frame 49 (64 - 2 x 48 = -32),
  // and the year ends on the hundredth frame outside.
  EXPECT_EQ(frames, 49 + 99);
  // The whole field is black by then.
  for (int y = 0; y < 368; y += 7) {
    EXPECT_EQ(Display[0].Pixels[y * 512 + 100], 0u) << "y " << y;
  }
}

}  // namespace
