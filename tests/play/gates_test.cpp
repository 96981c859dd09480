// Event gates: their days, what touching one does at each school, the
// rewards they rain down, and how those land and are collected.
#include "play_fixture.h"

namespace {

using GateTest = PlayTest;

TEST_F(GateTest, RewardCountAndMoodByAbility) {
  struct Case {
    int16_t Ability;
    int Rewards;
    int16_t Success, MoodAfter;
  };
  const Case cases[] = {
      {519, 0, 1, 100}, {520, 1, 1, 100},  {481, 0, 1, 100}, {480, 0, 0, 80},
      {460, 0, 0, 60},  {700, 10, 1, 100}, {-2000, 0, 0, 0},
  };
  for (const Case& c : cases) {
    ResetYear();
    SetStudent(500, 5);
    Ability[2] = c.Ability;
    Gates[0] = {128, 96, 128, 100, 2};
    EventIndex = 4;
    int16_t kind = 2;
    GateReward(kind);
    EXPECT_EQ(LiveRewards(), c.Rewards) << "ability " << c.Ability;
    EXPECT_EQ(GateSuccess, c.Success) << "ability " << c.Ability;
    EXPECT_EQ(Mood, c.MoodAfter) << "ability " << c.Ability;
    EXPECT_EQ(kind, 2);
  }
}

TEST_F(GateTest, ValentinesDayAfterAHitCatBringsThumbtacks) {
  struct Case {
    int16_t EventIndexNow, CatHit, Charm;
    int16_t Kind;
    int Rewards;
  };
  const Case cases[] = {
      {11, 1, 700, 6, 1},  // whatever the charm
      {11, 1, 400, 6, 1},  // even after a failure
      {11, 0, 560, 4, 3},  // gift boxes without the cat
      {10, 1, 560, 4, 3},  // the cat spoils only Valentine's Day
  };
  for (const Case& c : cases) {
    ResetYear();
    SetStudent(500, 5);
    Ability[4] = c.Charm;
    CatWasHit = c.CatHit;
    EventIndex = c.EventIndexNow;
    Gates[0] = {128, 224, 128, 80, 4};
    int16_t kind = 4;
    GateReward(kind);
    EXPECT_EQ(kind, c.Kind) << "event " << c.EventIndexNow << " cat " << c.CatHit;
    EXPECT_EQ(LiveRewards(), c.Rewards) << "event " << c.EventIndexNow << " cat " << c.CatHit;
    for (const RewardRecord& r : Rewards) {
      if (r.Kind != 0) {
        EXPECT_EQ(r.Kind, c.Kind);
      }
    }
  }
}

TEST_F(GateTest, RewardsTakeFormationSlotsAboveTheFieldWithTheirLandingLine) {
  static const int16_t kColumnX[6] = {128, 160, 96, 192, 64, 224};
  Ability[1] = 1000;  // 25 rewards due
  Gates[0] = {128, 32, 128, 150, 1};
  int16_t kind = 1;
  GateReward(kind);
  ASSERT_EQ(LiveRewards(), 25);
  for (int j = 0; j <= 30; ++j) {
    const RewardRecord& r = Rewards[j];
    if (r.Kind == 0) continue;
    const int16_t y = static_cast<int16_t>(-16 - 32 * (j / 6));
    EXPECT_EQ(r.Kind, 1);
    EXPECT_EQ(r.X, kColumnX[j % 6]) << "slot " << j;
    EXPECT_EQ(r.Y, y) << "slot " << j;
    EXPECT_EQ(r.LandY, y + 150 - 16) << "slot " << j;
  }
}

TEST_F(GateTest, PlacementStopsAtTheFreeSlots) {
  // 29 of the 31 slots taken; 20 rewards due: only two can be placed.
  for (int j = 0; j <= 30; ++j) Rewards[j] = {0, 100, 3, 100};
  Rewards[5].Kind = 0;
  Rewards[30].Kind = 0;
  Ability[1] = 900;
  Gates[0] = {128, 32, 128, 100, 1};
  int16_t kind = 1;
  GateReward(kind);
  EXPECT_EQ(Rewards[5].Kind, 1);
  EXPECT_EQ(Rewards[30].Kind, 1);
  EXPECT_EQ(LiveRewards(), 31);

  // A full table: nothing placed, and the call returns.
  GateReward(kind);
  EXPECT_EQ(LiveRewards(), 31);
}

TEST_F(GateTest, RewardsOfOneGateLandTogetherOnTheGatesLine) {
  Ability[1] = 640;  // 7 rewards: a row of six and one above it
  Gates[0] = {128, 32, 128, 120, 1};
  int16_t kind = 1;
  GateReward(kind);
  Gates[0] = {};  // the touched gate is freed
  ASSERT_EQ(LiveRewards(), 7);

  // Falling 8 a frame: every reward reaches its line on the same frame.
  int landedOn = -1;
  for (int f = 1; f <= 40 && landedOn < 0; ++f) {
    FallRewards();
    bool all = true;
    for (const RewardRecord& r : Rewards) {
      if (r.Kind != 0 && r.Y < r.LandY) all = false;
    }
    if (all) landedOn = f;
  }
  ASSERT_GT(landedOn, 0);
  for (const RewardRecord& r : Rewards) {
    if (r.Kind == 0) continue;
    // Never further than one fast step past the line.
    EXPECT_GE(r.Y, r.LandY);
    EXPECT_LT(r.Y, r.LandY + 8);
  }
  // Landed, they lie on the field and scroll one pixel a frame.
  int16_t before[31];
  for (int j = 0; j <= 30; ++j) before[j] = Rewards[j].Y;
  FallRewards();
  for (int j = 0; j <= 30; ++j) {
    if (Rewards[j].Kind != 0) {
      EXPECT_EQ(Rewards[j].Y, before[j] + 1);
    }
  }
}

TEST_F(GateTest, LiveGateCarriesItsRewardSlotsLandingLine) {
  Gates[0] = {128, 32, 128, 100, 1};
  Rewards[0].LandY = 50;
  Rewards[1].LandY = 50;
  FallGates();
  EXPECT_EQ(Gates[0].Y, 101);
  EXPECT_EQ(Rewards[0].LandY, 51);
  EXPECT_EQ(Rewards[1].LandY, 50);

  // Off the bottom it is freed.
  Gates[0].Y = 351;
  FallGates();
  EXPECT_EQ(Gates[0].Kind, 0);
  EXPECT_EQ(Gates[0].Y, -32);
}

TEST_F(GateTest, GatesEnterOnTheFirstFrameOfTheirDay) {
  ScrollPhase = 0;
  Day = 49;
  SpawnEventGate();
  EXPECT_EQ(EventIndex, 0);
  Day = 50;
  ScrollPhase = 1;
  SpawnEventGate();
  EXPECT_EQ(EventIndex, 0);
  ScrollPhase = 0;
  SpawnEventGate();
  EXPECT_EQ(EventIndex, 1);
  EXPECT_EQ(Gates[0].Kind, 3);
  EXPECT_EQ(Gates[0].X, 128);
  EXPECT_EQ(Gates[0].Y, -24);
  EXPECT_EQ(Gates[0].SrcX, EventTable[2].GateSrcX);
  EXPECT_EQ(Gates[0].SrcY, EventTable[2].GateSrcY);

  // Every event in turn, the graduation last; nothing after it.
  for (int16_t e = 3; e <= 14; ++e) {
    Gates[0] = {};
    Day = EventTable[e].Day;
    SpawnEventGate();
    EXPECT_EQ(EventIndex, e - 1);
    EXPECT_EQ(Gates[0].Kind, EventTable[e].Kind);
  }
  EXPECT_EQ(Gates[0].SrcX, 192);
  Gates[0] = {};
  for (Day = 711; Day <= 714; ++Day) SpawnEventGate();
  EXPECT_EQ(EventIndex, 13);
  EXPECT_EQ(Gates[0].Kind, 0);
}

TEST_F(GateTest, TouchingAGateAtEachSchool) {
  struct Case {
    int16_t School, EventIndexNow, Kind;
    bool Pta;
  };
  const Case cases[] = {
      {1, 4, 1, false}, {1, 11, 4, false}, {2, 1, 3, false}, {2, 2, 1, false}, {2, 3, 2, false},
      {2, 5, 3, false}, {2, 4, 1, true},   {2, 6, 2, true},  {2, 7, 1, true},  {2, 8, 3, true},
      {2, 9, 1, true},  {2, 10, 2, true},  {2, 11, 4, true}, {2, 12, 1, true},
  };
  for (const Case& c : cases) {
    ResetYear();
    SetStudent(560, 5);  // three rewards at every event
    GameMode = 1;
    MenuChoice = c.School;
    EventIndex = c.EventIndexNow;
    PlayerX = 128;
    PlayerY = 100;
    Gates[0] = {128, 32, 128, 90, c.Kind};
    Collide();
    const char* what = c.Pta ? "PTA" : "normal";
    if (c.Pta) {
      EXPECT_EQ(GameMode, 6) << what << " event " << c.EventIndexNow;
      EXPECT_EQ(PtaPage, 1);
      EXPECT_EQ(Gates[0].Kind, c.Kind) << "the gate waits for the scene";
      EXPECT_EQ(LiveRewards(), 0);
      EXPECT_EQ(Pickups[4][0].Kind, 0);
    } else {
      EXPECT_EQ(GameMode, 1) << what << " event " << c.EventIndexNow;
      EXPECT_EQ(Gates[0].Kind, 0);
      EXPECT_EQ(LiveRewards(), 3) << what << " event " << c.EventIndexNow;
      EXPECT_EQ(Pickups[4][0].Kind, 4) << "a mirror/cake pair follows";
      EXPECT_EQ(Pickups[5][0].Kind, 5);
    }
  }
}

TEST_F(GateTest, GraduationGateStartsTheWalkOutAtEitherSchool) {
  for (int16_t school : {1, 2}) {
    ResetYear();
    SetStudent(500, 5);
    GameMode = 1;
    MenuChoice = school;
    EventIndex = 13;
    PlayerX = 112;
    PlayerY = 56;
    Gates[0] = {192, 32, 128, 40, 5};
    Collide();
    EXPECT_EQ(YearPhase, 2);
    EXPECT_EQ(GameMode, 1);
    EXPECT_EQ(Gates[0].Kind, 5) << "the gate stays";
  }
}

TEST_F(GateTest, GateAndRewardBoxEdges) {
  // Student at (112, 200): box x 120..136, y 200..231.
  struct Case {
    int16_t X, Y;
    bool Touch;
  };
  const Case gateCases[] = {
      {128, 169, true}, {128, 168, false},  // gate above: bottom at Y + 32
      {128, 230, true}, {128, 231, false},  // below
      {57, 200, true},  {56, 200, false},   // left: right edge at X + 64
      {135, 200, true}, {136, 200, false},  // right
  };
  for (const Case& c : gateCases) {
    ResetYear();
    SetStudent(500, 5);
    PlayerX = 112;
    PlayerY = 200;
    Gates[0] = {128, 32, c.X, c.Y, 1};
    Collide();
    EXPECT_EQ(Gates[0].Kind == 0, c.Touch) << "gate at " << c.X << "," << c.Y;
  }
  const Case rewardCases[] = {
      {112, 169, true}, {112, 168, false}, {112, 230, true}, {112, 231, false},
      {89, 200, true},  {88, 200, false},  {135, 200, true}, {136, 200, false},
  };
  for (const Case& c : rewardCases) {
    ResetYear();
    SetStudent(500, 5);
    PlayerX = 112;
    PlayerY = 200;
    Rewards[3] = {c.X, c.Y, 2, 0};
    Collide();
    EXPECT_EQ(Rewards[3].Kind == 0, c.Touch) << "reward at " << c.X << "," << c.Y;
  }
}

TEST_F(GateTest, CollectingRewardsRaisesMoodAndTheStaminaLimit) {
  PlayerX = 112;
  PlayerY = 200;
  Mood = 990;
  MaxStamina = 250;
  for (int j = 0; j < 3; ++j) Rewards[j] = {112, 200, 1, 0};
  Collide();
  EXPECT_EQ(LiveRewards(), 0) << "all overlapping rewards in one pass";
  EXPECT_EQ(Mood, 999);
  EXPECT_EQ(MaxStamina, 255);
  EXPECT_EQ(Stamina, 50);
}

TEST_F(GateTest, ThumbtacksFaintTheStudentAndStopThePass) {
  PlayerX = 112;
  PlayerY = 200;
  Rewards[0] = {112, 200, 6, 0};
  Rewards[1] = {112, 200, 4, 0};
  Collide();
  EXPECT_EQ(Stamina, 0);
  EXPECT_EQ(Rewards[0].Kind, 0);
  EXPECT_EQ(Rewards[1].Kind, 4) << "a fainted student collects nothing more";
  EXPECT_EQ(Mood, 100);
}

}  // namespace
