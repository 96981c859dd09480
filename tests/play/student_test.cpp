// The student: rolling, mood drift, fainting, resting decay and the 16-bit
// limits of the abilities.
#include <map>

#include "play_fixture.h"

namespace {

using StudentTest = PlayTest;

TEST(AbilityRollBand, TalentAndRangeAtEveryBandEdge) {
  struct Case {
    int32_t R;
    int16_t Talent, Base, Spread;
  };
  const Case cases[] = {
      {1, 12, 500, 30}, {2, 10, 500, 30}, {4, 10, 500, 30}, {5, 8, 500, 30},  {10, 8, 500, 30},
      {11, 7, 500, 30}, {20, 7, 500, 30}, {21, 6, 500, 30}, {33, 6, 500, 30}, {34, 5, 480, 40},
      {66, 5, 480, 40}, {67, 5, 460, 30}, {68, 4, 460, 30}, {80, 4, 460, 30}, {81, 3, 460, 30},
      {90, 3, 460, 30}, {91, 2, 460, 30}, {95, 2, 460, 30}, {96, 1, 460, 30}, {100, 1, 460, 30},
  };
  for (const Case& c : cases) {
    const AbilityRoll band = AbilityRollBand(c.R);
    EXPECT_EQ(band.Talent, c.Talent) << "r=" << c.R;
    EXPECT_EQ(band.Base, c.Base) << "r=" << c.R;
    EXPECT_EQ(band.Spread, c.Spread) << "r=" << c.R;
  }
}

TEST_F(StudentTest, RolledStudentsStayInTheirRangesAndTalentsFollowTheRollTable) {
  // Share of each talent among the rolls of study, sports and art.
  const std::map<int, double> expectedShare = {{12, 0.01}, {10, 0.03}, {8, 0.06}, {7, 0.10},
                                               {6, 0.13},  {5, 0.34},  {4, 0.13}, {3, 0.10},
                                               {2, 0.05},  {1, 0.05}};
  std::map<int, int> seen;
  SeedRandom(2024);
  const int students = 20000;
  for (int n = 0; n < students; ++n) {
    RollStudent();
    for (int i = 1; i <= 3; ++i) {
      const int t = Talent[i];
      const int a = Ability[i];
      ASSERT_TRUE(expectedShare.count(t)) << "talent " << t;
      ++seen[t];
      if (t >= 6) {
        ASSERT_TRUE(a >= 500 && a <= 529) << "talent " << t << " ability " << a;
      } else if (t == 5) {
        ASSERT_TRUE(a >= 460 && a <= 519) << "ability " << a;
      } else {
        ASSERT_TRUE(a >= 460 && a <= 489) << "talent " << t << " ability " << a;
      }
    }
    const int t4 = Talent[4];
    const int a4 = Ability[4];
    ASSERT_TRUE(t4 >= 3 && t4 <= 8) << "charm talent " << t4;
    if (a4 < 500) {
      ASSERT_TRUE(t4 <= 5 && a4 >= 480 && a4 < 480 + t4) << "charm " << a4 << " talent " << t4;
    } else {
      ASSERT_TRUE(t4 >= 4 && a4 < 500 + t4) << "charm " << a4 << " talent " << t4;
    }
    ASSERT_EQ(Mood, 100);
    ASSERT_EQ(Stamina, 50);
    ASSERT_EQ(MaxStamina, 50);
  }
  for (const auto& [talent, share] : expectedShare) {
    EXPECT_NEAR(seen[talent] / (3.0 * students), share, 0.008) << "talent " << talent;
  }
}

TEST_F(StudentTest, MoodDriftsTowardCalmEvery32Frames) {
  struct Case {
    int16_t Start, After32;
  };
  for (const Case c : {Case{100, 100}, Case{101, 100}, Case{99, 100}, Case{999, 998}, Case{0, 1}}) {
    Mood = c.Start;
    for (FrameCount = 1; FrameCount <= 32; ++FrameCount) DriftMood();
    EXPECT_EQ(Mood, c.After32) << "from " << c.Start;
  }
  // Only the frame whose count is a multiple of 32 moves it.
  Mood = 150;
  for (FrameCount = 1; FrameCount <= 31; ++FrameCount) DriftMood();
  EXPECT_EQ(Mood, 150);
}

TEST_F(StudentTest, FaintLasts160FramesAndCostsTwentyOfEachOfTheFirstThreeAbilities) {
  SetStudent(500, 5);
  Stamina = 0;
  PlayerY = 100;
  FrameCount = -1;
  for (int f = 1; f <= 159; ++f) {
    FrameCount = static_cast<int16_t>((FrameCount + 1) % 256);
    AdvanceFaint();
  }
  EXPECT_EQ(Stamina, 0);
  EXPECT_EQ(FaintTimer, 159);
  FrameCount = static_cast<int16_t>((FrameCount + 1) % 256);
  AdvanceFaint();
  EXPECT_EQ(Stamina, 20);
  EXPECT_EQ(FaintTimer, 0);
  EXPECT_EQ(PlayerY, 260);  // drifted down with the field
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(Ability[i], 480) << i;
  EXPECT_EQ(Ability[4], 500);
  // Recovered: nothing more happens.
  AdvanceFaint();
  EXPECT_EQ(FaintTimer, 0);
  EXPECT_EQ(PlayerY, 260);
}

TEST_F(StudentTest, FaintedStudentDriftsNoLowerThanTheBottomRow) {
  Stamina = 0;
  PlayerY = 286;
  for (int f = 0; f < 5; ++f) AdvanceFaint();
  EXPECT_EQ(PlayerY, 288);
}

TEST(RestDecayPeriod, ByLevelAndTalentAtEveryBandEdge) {
  struct Case {
    int16_t Ability, Talent, Period;
  };
  const Case cases[] = {
      // below 300; the talented column has the same period as the others
      {-5, 1, 50},
      {299, 3, 50},
      {299, 4, 50},
      {299, 6, 50},
      {0, 7, 50},
      {299, 12, 50},
      // 300..399
      {300, 1, 30},
      {399, 3, 30},
      {300, 6, 30},
      {300, 7, 50},
      {399, 12, 50},
      // 400..599
      {400, 1, 11},
      {599, 6, 11},
      {400, 7, 16},
      {599, 10, 16},
      // 600 and above
      {600, 3, 6},
      {30000, 1, 6},
      {600, 4, 8},
      {999, 6, 8},
      {600, 7, 11},
      {32767, 12, 11},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RestDecayPeriod(c.Ability, c.Talent), c.Period)
        << "ability " << c.Ability << " talent " << c.Talent;
  }
}

TEST_F(StudentTest, RestingLosesAPointEveryPeriodFromTheFirstHeldFrame) {
  struct Case {
    int16_t Ability, Talent;
    int16_t HeldFrames;
    int16_t Lost;
  };
  const Case cases[] = {
      {500, 5, 1, 1},    // the first held frame always costs a point
      {500, 5, 11, 1},   // period 11: frames 1 and 12
      {500, 5, 12, 2},   //
      {650, 2, 13, 3},   // period 6: frames 1, 7, 13
      {250, 5, 200, 0},  // exactly 250 never falls
      {200, 12, 51, 2},  // talented and low: period 50, frames 1 and 51
  };
  for (const Case& c : cases) {
    SetStudent(c.Ability, c.Talent);
    for (int16_t k = 1; k <= c.HeldFrames; ++k) {
      Hold(32, k);
      DecayAbilities();
    }
    for (int i = 1; i <= 3; ++i) {
      EXPECT_EQ(Ability[i], c.Ability - c.Lost) << "ability " << c.Ability << " index " << i;
    }
    EXPECT_EQ(Ability[4], c.Ability) << "charm never decays";
  }
}

TEST_F(StudentTest, AbilityBelow250KeepsFallingWhileResting) {
  SetStudent(249, 5);
  for (int16_t k = 1; k <= 51; ++k) {
    Hold(32, k);
    DecayAbilities();
  }
  EXPECT_EQ(Ability[1], 247);
}

TEST(AddSat16, HoldsAtBothEndsOfTheRange) {
  struct Case {
    int16_t Value;
    int32_t Delta;
    int16_t Result;
  };
  const Case cases[] = {
      {100, -5, 95},        {32766, 1, 32767},      {32767, 1, 32767},
      {32000, 24, 32024},   {32760, 100, 32767},    {-32767, -1, -32768},
      {-32768, -1, -32768}, {-32768, 70000, 32767}, {0, -70000, -32768},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AddSat16(c.Value, c.Delta), c.Result) << c.Value << " + " << c.Delta;
  }
}

TEST_F(StudentTest, AbilitiesSaturateInsteadOfWrapping) {
  // Gains at the top of the range.
  SetStudent(32767, 12);
  Pickups[1][0] = {112, 288, 1};
  ApplyPickup(1, 0);
  EXPECT_EQ(Ability[1], 32767);
  Ability[4] = 32765;
  Talent[4] = 8;
  ApplyPickup(4, 0);
  EXPECT_EQ(Ability[4], 32767);

  // Losses at the bottom: fainting and resting.
  SetStudent(-32768, 5);
  Stamina = 0;
  FrameCount = 0;
  AdvanceFaint();
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(Ability[i], -32768);
  Stamina = 50;
  Hold(32, 1);
  DecayAbilities();
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(Ability[i], -32768);
}

}  // namespace
