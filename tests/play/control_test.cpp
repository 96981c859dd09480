// Steering, resting at the verges, throwing, and the cat's life.
#include "play_fixture.h"

namespace {

using ControlTest = PlayTest;

int ActiveShots() {
  int n = 0;
  for (const ShotRecord& s : Shots) n += s.Active != 0 ? 1 : 0;
  return n;
}

TEST_F(ControlTest, SpaceRestsAtTheVergesAndThrowsElsewhere) {
  struct Case {
    int16_t X;
    bool Rests, Throws;
  };
  for (const Case c : {Case{16, true, false}, Case{272, true, false}, Case{24, false, true},
                       Case{264, false, true}, Case{112, false, true}}) {
    ResetYear();
    SetStudent(500, 5);
    Stamina = 40;
    PlayerX = c.X;
    PlayerY = 200;
    Hold(32, 1);
    MovePlayer();
    EXPECT_EQ(Stamina, c.Rests ? 41 : 40) << "x " << c.X;
    EXPECT_EQ(PlayerY, c.Rests ? 201 : 200) << "x " << c.X;
    EXPECT_EQ(Ability[1], c.Rests ? 499 : 500) << "x " << c.X;
    EXPECT_EQ(ActiveShots(), c.Throws ? 1 : 0) << "x " << c.X;
  }
}

TEST_F(ControlTest, HeldSpaceRestsEveryThirdFrameButThrowsOncePerPress) {
  PlayerX = 16;
  PlayerY = 100;
  Stamina = 10;
  for (int16_t k = 1; k <= 7; ++k) {
    Hold(32, k);
    MovePlayer();
  }
  EXPECT_EQ(Stamina, 13);  // frames 1, 4, 7
  PlayerX = 112;
  for (int16_t k = 1; k <= 5; ++k) {
    Hold(32, k);
    MovePlayer();
  }
  EXPECT_EQ(ActiveShots(), 1);
}

TEST_F(ControlTest, ThrowingNeedsAFreeSlotAndStartsAboveTheStudent) {
  PlayerX = 112;
  PlayerY = 288;
  Hold(32, 1);
  MovePlayer();
  ASSERT_EQ(Shots[0].Active, 1);
  EXPECT_EQ(Shots[0].X, 112);
  EXPECT_EQ(Shots[0].Y, 272);
  // Freed on the 38th frame of its flight.
  for (int f = 1; f <= 37; ++f) FlyShots();
  EXPECT_EQ(Shots[0].Active, 1);
  FlyShots();
  EXPECT_EQ(Shots[0].Active, 0);

  for (ShotRecord& s : Shots) s.Active = 1;
  Shots[0].Y = 100;
  Hold(32, 1);
  MovePlayer();
  EXPECT_EQ(ActiveShots(), 16);
  EXPECT_EQ(Shots[0].Y, 100);
}

TEST_F(ControlTest, WhatEachPhaseAndAFaintAllow) {
  struct Case {
    const char* What;
    int16_t Phase, Stamina;
    int16_t X;
    int16_t Key;
    int16_t XAfter, YAfter;
    int Shots;
    int16_t StaminaAfter;
  };
  const Case cases[] = {
      {"fainted walk", 0, 0, 112, 37, 112, 200, 0, 0},
      {"fainted rest", 0, 0, 16, 32, 16, 200, 0, 0},
      {"fainted throw", 0, 0, 112, 32, 112, 200, 0, 0},
      {"after calendar walk", 1, 40, 112, 39, 120, 200, 0, 40},
      {"after calendar rest", 1, 40, 272, 32, 272, 200, 0, 41},
      {"after calendar throw", 1, 40, 112, 32, 112, 200, 0, 40},
      {"leaving walk", 2, 40, 112, 37, 112, 200, 0, 40},
  };
  for (const Case& c : cases) {
    ResetYear();
    SetStudent(500, 5);
    YearPhase = c.Phase;
    Stamina = c.Stamina;
    PlayerX = c.X;
    PlayerY = 200;
    FrameCount = 0;
    Hold(c.Key, 1);
    MovePlayer();
    EXPECT_EQ(PlayerX, c.XAfter) << c.What;
    EXPECT_EQ(PlayerY, c.YAfter) << c.What;
    EXPECT_EQ(ActiveShots(), c.Shots) << c.What;
    EXPECT_EQ(Stamina, c.StaminaAfter) << c.What;
  }
}

TEST_F(ControlTest, WalkingMovesEightPixelsOnEvenFramesAndClampsEveryFrame) {
  struct Case {
    int16_t Key, FrameCountNow, X, Y, XAfter, YAfter;
  };
  const Case cases[] = {
      {37, 0, 112, 200, 104, 200},
      {38, 2, 112, 200, 112, 192},
      {39, 4, 112, 200, 120, 200},
      {40, 6, 112, 200, 112, 208},
      {37, 1, 112, 200, 112, 200},  // odd frame: no step
      {37, 0, 16, 200, 16, 200},
      {39, 0, 272, 200, 272, 200},
      {38, 0, 112, 56, 112, 56},
      {40, 0, 112, 288, 112, 288},
      // on an odd frame the clamps still hold a student pushed out of range
      {38, 1, 112, 40, 112, 56},
      {37, 1, 280, 300, 272, 288},
  };
  for (const Case& c : cases) {
    PlayerX = c.X;
    PlayerY = c.Y;
    FrameCount = c.FrameCountNow;
    Hold(c.Key, 3);
    MovePlayer();
    EXPECT_EQ(PlayerX, c.XAfter) << "key " << c.Key << " frame " << c.FrameCountNow;
    EXPECT_EQ(PlayerY, c.YAfter) << "key " << c.Key << " frame " << c.FrameCountNow;
  }
}

TEST_F(ControlTest, RestingDriftsDownButNoLowerThanTheBottomRow) {
  PlayerX = 16;
  PlayerY = 287;
  for (int16_t k = 1; k <= 3; ++k) {
    Hold(32, k);
    MovePlayer();
  }
  EXPECT_EQ(PlayerY, 288);
}

TEST_F(ControlTest, CatComesTenStepsBeforeEachEventUpToStep650) {
  struct Case {
    int16_t DayNow, EventIndexNow, Phase;
    bool Spawns;
  };
  const Case cases[] = {
      {40, 0, 0, true},    {41, 0, 0, false},  {40, 0, 3, false},
      {39, 0, 0, false},   {620, 10, 0, true}, {670, 11, 0, false},  // Valentine's Day is the last
      {700, 12, 0, false},
  };
  for (const Case& c : cases) {
    ResetYear();
    Day = c.DayNow;
    EventIndex = c.EventIndexNow;
    ScrollPhase = c.Phase;
    SpawnCat();
    EXPECT_EQ(CatState == 1, c.Spawns) << "day " << c.DayNow;
    if (c.Spawns) {
      EXPECT_TRUE(CatX >= 80 && CatX <= 207) << CatX;
      EXPECT_EQ(CatY, -32);
      EXPECT_EQ(CatAnim, 1);
    }
  }
}

TEST_F(ControlTest, SleepingCatScrollsOffAfter384Frames) {
  Day = 40;
  ScrollPhase = 0;
  SpawnCat();
  for (int f = 1; f <= 383; ++f) MoveCat();
  EXPECT_EQ(CatState, 1);
  MoveCat();
  EXPECT_EQ(CatState, 0);
  EXPECT_EQ(CatAnim, 0);
  EXPECT_EQ(CatY, -32);
}

TEST_F(ControlTest, HitCatRunsOffInThirtyFramesAndCostsCharm) {
  CatState = 1;
  CatAnim = 50;
  CatX = 100;
  CatY = 100;
  Shots[4] = {0, 192, 100, 120, 1};
  Mood = 950;
  Ability[4] = 320;
  Collide();
  EXPECT_EQ(CatState, 2);
  EXPECT_EQ(CatWasHit, 1);
  EXPECT_EQ(Shots[4].Active, 0);
  EXPECT_EQ(Mood, 999);
  EXPECT_EQ(Ability[4], 250) << "charm falls no lower than 250";
  for (int f = 1; f <= 29; ++f) MoveCat();
  EXPECT_EQ(CatState, 2);
  MoveCat();
  EXPECT_EQ(CatState, 0);
  EXPECT_EQ(CatWasHit, 1) << "remembered for the rest of the year";
}

TEST_F(ControlTest, ShotAndCatBoxEdges) {
  // Cat at (100, 100). Vertically the boxes touch up to a gap of zero rows.
  struct Case {
    int16_t X, Y;
    bool Hit;
  };
  const Case cases[] = {
      {100, 132, true}, {100, 133, false}, {100, 68, true},  {100, 67, false},
      {69, 100, true},  {68, 100, false},  {131, 100, true}, {132, 100, false},
  };
  for (const Case& c : cases) {
    ResetYear();
    SetStudent(500, 5);
    CatState = 1;
    CatAnim = 5;
    CatX = 100;
    CatY = 100;
    Shots[0] = {0, 192, c.X, c.Y, 1};
    Stamina = 0;  // the shots hit whatever the student's state
    Collide();
    EXPECT_EQ(CatState == 2, c.Hit) << "shot at " << c.X << "," << c.Y;
  }
  // A running cat is not hit again.
  CatState = 2;
  Shots[0] = {0, 192, 100, 100, 1};
  Collide();
  EXPECT_EQ(Shots[0].Active, 1);
}

}  // namespace
