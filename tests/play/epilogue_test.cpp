// After the calendar: the walk out, the four-pass blackout and fainting on a
// field at rest.
#include "play_fixture.h"

namespace {

using EpilogueTest = PlayTest;

constexpr uint32_t kWhite = RGB(255, 255, 255);

uint32_t Pixel(const Surface& s, int x, int y) { return s.Pixels[y * s.Width + x]; }

TEST_F(EpilogueTest, StudentLeavesIn44FramesAndTheYearEndsOnTheHundredthFrameOutside) {
  YearPhase = 2;
  PlayerY = 56;
  int outFrame = 0;
  int endFrame = 0;
  for (int f = 1; f <= 400 && endFrame == 0; ++f) {
    AdvanceEpilogue();
    FadeOutYear();
    if (outFrame == 0 && PlayerY <= -32) outFrame = f;
    if (GameMode == 2) endFrame = f;
  }
  EXPECT_EQ(outFrame, 44);
  EXPECT_EQ(FaintTimer, 100);
  EXPECT_EQ(endFrame - outFrame + 1, 100);
}

TEST_F(EpilogueTest, BlackoutPassesByFramesOutside) {
  struct Case {
    int16_t Timer;
    int Passes;
  };
  for (const Case c : {Case{0, 0}, Case{1, 1}, Case{24, 1}, Case{25, 2}, Case{49, 2}, Case{50, 3},
                       Case{74, 3}, Case{75, 4}, Case{99, 4}}) {
    SurfaceClear(Display[1], kWhite);
    FaintTimer = c.Timer;
    GameMode = 1;
    FadeOutYear();
    for (int y = 0; y < 384; ++y) {
      const bool black = y % 4 < c.Passes;
      EXPECT_EQ(Pixel(Display[1], 0, y), black ? 0u : kWhite) << "timer " << c.Timer << " y " << y;
      EXPECT_EQ(Pixel(Display[1], 511, y), black ? 0u : kWhite)
          << "timer " << c.Timer << " y " << y;
    }
    EXPECT_EQ(GameMode, 1);
  }
  FaintTimer = 100;
  FadeOutYear();
  EXPECT_EQ(GameMode, 2);
}

TEST_F(EpilogueTest, NoFadeWhileFainted) {
  SurfaceClear(Display[1], kWhite);
  Stamina = 0;
  FaintTimer = 100;
  FadeOutYear();
  EXPECT_EQ(GameMode, 1);
  EXPECT_EQ(Pixel(Display[1], 0, 0), kWhite);
}

TEST_F(EpilogueTest, FaintedAfterTheCalendarLiesStillAndLosesOnlyWhileSpaceIsHeld) {
  YearPhase = 1;
  Stamina = 0;
  PlayerX = 112;
  PlayerY = 200;
  for (int f = 1; f <= 10; ++f) {
    Hold(0, 0);
    AdvanceEpilogue();
  }
  EXPECT_EQ(PlayerY, 200);
  EXPECT_EQ(Ability[1], 500);
  // Space held: two points per ability on each matching frame.
  Hold(32, 1);
  AdvanceEpilogue();
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(Ability[i], 498);
  for (int f = 12; f <= 160; ++f) {
    Hold(0, 0);
    AdvanceEpilogue();
  }
  EXPECT_EQ(Stamina, 20);
  EXPECT_EQ(FaintTimer, 0);
}

TEST_F(EpilogueTest, OnlyShotsAndFlashTimersStillMove) {
  Shots[0] = {0, 192, 100, 100, 1};
  Pickups[1][0] = {100, 100, 1};
  Rewards[0] = {100, 100, 1, 200};
  Gates[0] = {128, 32, 128, 40, 5};
  CatState = 1;
  CatAnim = 3;
  CatY = 50;
  PickupFlash[1] = 3;
  YearPhase = 1;
  AdvanceEpilogue();
  EXPECT_EQ(Shots[0].Y, 92);
  EXPECT_EQ(PickupFlash[1], 4);
  EXPECT_EQ(Pickups[1][0].Y, 100);
  EXPECT_EQ(Rewards[0].Y, 100);
  EXPECT_EQ(Gates[0].Y, 40);
  EXPECT_EQ(CatY, 50);
}

}  // namespace
