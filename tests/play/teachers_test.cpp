// The teachers' calendar, their walk and their drops, the vacation drops
// and the mirror/cake pairs.
#include <cstdlib>

#include "play_fixture.h"

namespace {

using TeacherTest = PlayTest;

int LivePickups(int kind) {
  int n = 0;
  for (const PickupRecord& p : Pickups[kind]) n += p.Kind != 0 ? 1 : 0;
  return n;
}

TEST_F(TeacherTest, DropRatesFollowTheCalendar) {
  constexpr int16_t kUnchanged = 7;
  struct Case {
    int16_t DayNow, EventIndexNow;
    int16_t Study, Sports, Art;
  };
  const Case cases[] = {
      {8, 0, kUnchanged, kUnchanged, kUnchanged},  // before step 9
      {9, 0, 15, kUnchanged, 20},
      {48, 0, 15, kUnchanged, 20},
      {49, 0, 0, kUnchanged, 0},  // one step before the first event
      {50, 1, kUnchanged, kUnchanged, kUnchanged},
      {58, 1, kUnchanged, kUnchanged, kUnchanged},
      {59, 1, 15, kUnchanged, 20},  // eight steps after it
      {223, 4, 15, kUnchanged, 20},
      {224, 4, 0, 0, 0},  // summer vacation
      {305, 4, 0, 0, 0},
      {306, 4, 15, kUnchanged, 20},
      {519, 9, 15, kUnchanged, 20},
      {520, 9, 0, 0, 0},  // winter vacation
      {560, 10, 0, 0, 0},
      {561, 9, 15, kUnchanged, 20},
      {711, 13, 0, kUnchanged, 0},  // after the graduation gate: off for good
  };
  for (const Case& c : cases) {
    for (TeacherRecord& t : Teachers) t.Rate = kUnchanged;
    Day = c.DayNow;
    EventIndex = c.EventIndexNow;
    SetDropRates();
    EXPECT_EQ(Teachers[0].Rate, c.Study) << "day " << c.DayNow;
    EXPECT_EQ(Teachers[1].Rate, c.Sports) << "day " << c.DayNow;
    EXPECT_EQ(Teachers[2].Rate, c.Art) << "day " << c.DayNow;
  }
}

TEST_F(TeacherTest, TeachersWalkOffInTheVacationsAndAtTheEnd) {
  struct Case {
    int16_t DayNow, Step;
  };
  const Case cases[] = {{223, 1},  {224, -1}, {301, -1}, {302, 1},  {519, 1}, {520, -1},
                        {556, -1}, {557, 1},  {711, 1},  {712, -1}, {714, -1}};
  for (const Case& c : cases) {
    Day = c.DayNow;
    for (TeacherRecord& t : Teachers) t.Y = 0;
    MoveTeachers();
    for (const TeacherRecord& t : Teachers) EXPECT_EQ(t.Y, c.Step) << "day " << c.DayNow;
  }
  // 48 frames off, 48 back, and no further either way.
  Day = 230;
  for (TeacherRecord& t : Teachers) t.Y = 16;
  for (int f = 0; f < 60; ++f) MoveTeachers();
  for (const TeacherRecord& t : Teachers) EXPECT_EQ(t.Y, -32);
  Day = 302;
  for (int f = 0; f < 60; ++f) MoveTeachers();
  for (const TeacherRecord& t : Teachers) EXPECT_EQ(t.Y, 16);
}

TEST_F(TeacherTest, StudyTeacherFollowsTheStudentBetween48And240) {
  PlayerX = 16;
  for (int f = 0; f < 200; ++f) MoveTeachers();
  EXPECT_EQ(Teachers[0].X, 48);
  PlayerX = 272;
  for (int f = 0; f < 200; ++f) MoveTeachers();
  EXPECT_EQ(Teachers[0].X, 240);
  PlayerX = 112;
  for (int f = 0; f < 200; ++f) MoveTeachers();
  EXPECT_EQ(Teachers[0].X, 112);
  EXPECT_EQ(Teachers[2].X, 144) << "the art teacher keeps the middle";
}

TEST_F(TeacherTest, StudyTeacherThrowsAndWaits23Frames) {
  Teachers[0].Rate = 1000;
  Teachers[0].X = 64;
  PlayerX = 64;
  TeacherDrops();
  ASSERT_EQ(LivePickups(1), 1);
  EXPECT_EQ(Pickups[1][0].X, 64);
  EXPECT_EQ(Pickups[1][0].Y, 32);
  EXPECT_EQ(Teachers[0].Anim, 1);
  int frames = 0;
  while (LivePickups(1) == 1 && frames < 100) {
    MoveTeachers();
    TeacherDrops();
    ++frames;
  }
  EXPECT_EQ(frames, 23);
}

TEST_F(TeacherTest, NoDropWithoutAFreeSlotOrWithTheStudentOffTheField) {
  for (int k = 1; k <= 3; ++k) {
    for (int s = 0; s <= 15; ++s) Pickups[k][s] = {100, 100, static_cast<int16_t>(k)};
  }
  for (TeacherRecord& t : Teachers) t.Rate = 1000;
  Teachers[0].X = 64;
  TeacherDrops();
  EXPECT_EQ(Teachers[0].Anim, 0);
  EXPECT_EQ(Teachers[2].Anim, 0);
  EXPECT_EQ(Teachers[1].Rate, 1000) << "the armed dumbbell waits for a slot";

  ResetYear();
  for (TeacherRecord& t : Teachers) t.Rate = 1000;
  Teachers[0].X = 64;
  PlayerY = 0;
  TeacherDrops();
  EXPECT_EQ(LivePickups(1) + LivePickups(2) + LivePickups(3), 0);
}

TEST_F(TeacherTest, SportsTeacherDropsOneDumbbellAtTheEndOfEachPause) {
  for (int16_t studyRate : {15, 0}) {
    ResetYear();
    Teachers[0].Rate = studyRate;
    Teachers[1].State = 2;
    Teachers[1].Anim = 0;
    Teachers[1].X = 100;
    int drops = 0;
    int dropFrame = 0;
    for (int f = 1; f <= 24; ++f) {
      MoveTeachers();
      Teachers[0].Rate = studyRate;  // keep the study teacher's drops out of it
      Teachers[0].Anim = 5;
      TeacherDrops();
      if (LivePickups(2) > drops) {
        drops = LivePickups(2);
        dropFrame = f;
      }
    }
    if (studyRate != 0) {
      EXPECT_EQ(drops, 1);
      EXPECT_EQ(dropFrame, 24);
      EXPECT_EQ(Pickups[2][0].X, 100);
      EXPECT_EQ(Teachers[1].Rate, 0);
    } else {
      EXPECT_EQ(drops, 0) << "off duty with the study teacher";
    }
    EXPECT_EQ(Teachers[1].State, 0);
  }
}

TEST_F(TeacherTest, SportsTeacherPicksEvenTargetsAtLeast32Away) {
  SeedRandom(99);
  for (int n = 0; n < 500; ++n) {
    Teachers[1].State = 0;
    const int16_t from = Teachers[1].X;
    MoveTeachers();
    if (Teachers[1].State == 1) {
      const int16_t t = Teachers[1].TargetX;
      EXPECT_TRUE(t >= 48 && t <= 238 && t % 2 == 0) << t;
      EXPECT_GE(std::abs(t - from), 32);
      Teachers[1].X = t;
    }
  }
}

TEST_F(TeacherTest, VacationDropsFallOnDaySteps) {
  struct Case {
    int16_t DayNow, Phase;
    bool Drops;
  };
  for (const Case c : {Case{224, 0, false}, Case{225, 0, true}, Case{225, 1, false},
                       Case{301, 0, true}, Case{302, 0, false}, Case{520, 0, false},
                       Case{521, 0, true}, Case{556, 0, true}, Case{557, 0, false}}) {
    ResetYear();
    Day = c.DayNow;
    ScrollPhase = c.Phase;
    int dropped = 0;
    for (int n = 0; n < 50; ++n) {
      VacationDrops();
      for (int k = 1; k <= 3; ++k) {
        for (PickupRecord& p : Pickups[k]) {
          if (p.Kind == 0) continue;
          ++dropped;
          EXPECT_TRUE(p.X >= 64 && p.X <= 216 && p.X % 8 == 0) << p.X;
          EXPECT_EQ(p.Y, -32);
          p = {};
        }
      }
    }
    EXPECT_EQ(dropped > 0, c.Drops) << "day " << c.DayNow << " phase " << c.Phase;
    if (c.Drops) {
      EXPECT_NEAR(dropped / 150.0, 0.22, 0.12);
    }
  }
}

TEST_F(TeacherTest, VacationDropsLeaveSlots11To15ForTheTeachers) {
  Day = 230;
  ScrollPhase = 0;
  for (int n = 0; n < 300; ++n) VacationDrops();
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(LivePickups(k), 11) << "kind " << k;
    for (int s = 11; s <= 15; ++s) EXPECT_EQ(Pickups[k][s].Kind, 0);
  }
}

TEST_F(TeacherTest, ChoicePairsComeDownBothVergesInSlots0To10) {
  bool mirrorLeft = false;
  bool mirrorRight = false;
  SeedRandom(5);
  for (int n = 0; n < 11; ++n) {
    Pickups[5][n] = {100, 200, 5};  // whatever the cake slot held
    SpawnChoicePair();
    const PickupRecord& mirror = Pickups[4][n];
    const PickupRecord& cake = Pickups[5][n];
    ASSERT_EQ(mirror.Kind, 4);
    ASSERT_EQ(cake.Kind, 5);
    EXPECT_EQ(mirror.Y, -16);
    EXPECT_EQ(cake.Y, -16);
    EXPECT_EQ(mirror.X + cake.X, 288);
    EXPECT_TRUE(mirror.X == 16 || mirror.X == 272);
    mirrorLeft = mirrorLeft || mirror.X == 16;
    mirrorRight = mirrorRight || mirror.X == 272;
  }
  EXPECT_TRUE(mirrorLeft && mirrorRight);
  SpawnChoicePair();
  EXPECT_EQ(LivePickups(4), 11) << "no pair without a slot in 0..10";
}

TEST_F(TeacherTest, PickupsFallAndLeaveAtTheBottom) {
  Pickups[3][2] = {100, 350, 3};
  FallPickups();
  EXPECT_EQ(Pickups[3][2].Y, 351);
  FallPickups();
  EXPECT_EQ(Pickups[3][2].Kind, 0);
  EXPECT_EQ(Pickups[3][2].X, 0);
}

TEST_F(TeacherTest, FlashTimersRunFor32Frames) {
  PickupFlash[2] = 1;
  for (int f = 0; f < 30; ++f) AdvancePickupFlash();
  EXPECT_EQ(PickupFlash[2], 31);
  AdvancePickupFlash();
  EXPECT_EQ(PickupFlash[2], 0);
  AdvancePickupFlash();
  EXPECT_EQ(PickupFlash[2], 0);
}

}  // namespace
