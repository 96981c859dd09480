// Touching pick-ups: the gains, the stamina they cost, the mirror/cake pair
// and the exact edges of their hit boxes.
#include "play_fixture.h"

namespace {

using PickupTest = PlayTest;

TEST(PickupGain, WholeGainTableAtBothEdgesOfEveryBand) {
  const int16_t talents[10] = {1, 2, 3, 4, 5, 6, 7, 8, 10, 12};
  struct Band {
    int16_t Low, High;
    int16_t Gain[10];
  };
  const Band bands[] = {
      {-200, 249, {2, 4, 6, 8, 10, 12, 14, 16, 20, 24}},
      {250, 299, {2, 3, 4, 6, 8, 9, 10, 12, 15, 18}},
      {300, 449, {1, 2, 4, 5, 6, 7, 8, 10, 12, 14}},
      {450, 549, {1, 2, 3, 4, 5, 6, 7, 8, 10, 12}},
      {550, 599, {1, 1, 2, 3, 3, 4, 5, 6, 7, 8}},
      {600, 699, {1, 1, 2, 2, 2, 3, 4, 4, 5, 6}},
      {700, 32767, {1, 1, 1, 1, 1, 2, 2, 2, 3, 4}},
  };
  for (const Band& b : bands) {
    for (int t = 0; t < 10; ++t) {
      EXPECT_EQ(PickupGain(b.Low, talents[t]), b.Gain[t]) << "a=" << b.Low << " T=" << talents[t];
      EXPECT_EQ(PickupGain(b.High, talents[t]), b.Gain[t]) << "a=" << b.High << " T=" << talents[t];
    }
  }
}

TEST_F(PickupTest, BooksDumbbellsAndBrushesRaiseTheirOwnAbility) {
  Ability[1] = 500;
  Ability[2] = 250;
  Ability[3] = 700;
  Talent[1] = 12;
  Talent[2] = 7;
  Talent[3] = 1;
  for (int16_t k = 1; k <= 3; ++k) ApplyPickup(k, 0);
  EXPECT_EQ(Ability[1], 512);
  EXPECT_EQ(Ability[2], 260);
  EXPECT_EQ(Ability[3], 701);
  EXPECT_EQ(Ability[4], 500);
}

TEST_F(PickupTest, TakingOneOfAPairRemovesTheOther) {
  Talent[4] = 6;
  Pickups[4][3] = {16, 100, 4};
  Pickups[5][3] = {272, 100, 5};
  ApplyPickup(4, 3);
  EXPECT_EQ(Ability[4], 506);
  EXPECT_EQ(Pickups[5][3].Kind, 0);

  Stamina = 10;
  Pickups[4][2] = {16, 100, 4};
  Pickups[5][2] = {272, 100, 5};
  ApplyPickup(5, 2);
  EXPECT_EQ(Stamina, 35);
  EXPECT_EQ(Pickups[4][2].Kind, 0);
  Stamina = 40;
  ApplyPickup(5, 2);
  EXPECT_EQ(Stamina, 50) << "cake stops at the stamina limit";
}

// A pick-up placed squarely on the student, touched through Collide.
struct TouchCase {
  int16_t Kind;
  int16_t Stamina, Mood;
  int16_t StaminaAfter, MoodAfter;
};

TEST_F(PickupTest, TouchingCostsStaminaAndAnEmptyStudentFaints) {
  const TouchCase cases[] = {
      {1, 50, 100, 45, 100},  // five stamina
      {2, 50, 160, 48, 160},  // two in high spirits
      {1, 5, 100, 0, 90},     // faints, mood -10
      {3, 3, 5, 0, 0},        // mood stays at 0
      {5, 1, 100, 21, 100},   // a cake never faints
      {5, 50, 100, 50, 100},  // and stops at the limit
  };
  for (const TouchCase& c : cases) {
    ResetYear();
    SetStudent(500, 5);
    Stamina = c.Stamina;
    Mood = c.Mood;
    PlayerX = 112;
    PlayerY = 200;
    Pickups[c.Kind][7] = {112, 200, c.Kind};
    Collide();
    EXPECT_EQ(Stamina, c.StaminaAfter) << "kind " << c.Kind << " stamina " << c.Stamina;
    EXPECT_EQ(Mood, c.MoodAfter) << "kind " << c.Kind << " mood " << c.Mood;
    EXPECT_EQ(Pickups[c.Kind][7].Kind, 0);
    EXPECT_EQ(PickupFlash[c.Kind <= 4 ? c.Kind : 0], c.Kind <= 4 ? 1 : 0);
  }
}

TEST_F(PickupTest, FaintedStudentTouchesNothingAndFaintingMidPassStopsThePass) {
  PlayerX = 112;
  PlayerY = 200;
  Stamina = 0;
  Pickups[1][0] = {112, 200, 1};
  Collide();
  EXPECT_EQ(Pickups[1][0].Kind, 1);

  // A book at slot 0 empties the student; the book at slot 1 stays.
  Stamina = 5;
  Pickups[1][1] = {112, 200, 1};
  Collide();
  EXPECT_EQ(Stamina, 0);
  EXPECT_EQ(Pickups[1][0].Kind, 0);
  EXPECT_EQ(Pickups[1][1].Kind, 1);
}

TEST_F(PickupTest, HitBoxEdgesPerKind) {
  // The student at (112, 200): box x 120..136, y 200..231 (ends excluded).
  // For each kind, pick-up positions just touching and just missing on each
  // side, from the insets (4,1) (1,10) (3,3) (2,2) (4,3).
  struct Edge {
    const char* Side;
    int16_t DX, DY;  // the pick-up's position when it just touches
    int16_t MissDX, MissDY;
  };
  for (int16_t k = 1; k <= 5; ++k) {
    const int16_t ix = PickupInsetX[k];
    const int16_t iy = PickupInsetY[k];
    const Edge edges[] = {
        // above: pick-up bottom (Y + 32 - iy) one row into the student's top
        {"above", 112, static_cast<int16_t>(200 - 32 + iy + 1), 0, -1},
        // below: pick-up top (Y + iy) on the student's last row
        {"below", 112, static_cast<int16_t>(230 - iy), 0, 1},
        // left: pick-up right edge one pixel into x 120
        {"left", static_cast<int16_t>(120 - 32 + ix + 1), 200, -1, 0},
        // right: pick-up left edge on x 135
        {"right", static_cast<int16_t>(135 - ix), 200, 1, 0},
    };
    for (const Edge& e : edges) {
      for (int miss = 0; miss <= 1; ++miss) {
        ResetYear();
        SetStudent(500, 5);
        PlayerX = 112;
        PlayerY = 200;
        const int16_t x = static_cast<int16_t>(e.DX + miss * e.MissDX);
        const int16_t y = static_cast<int16_t>(e.DY + miss * e.MissDY);
        Pickups[k][0] = {x, y, k};
        Collide();
        EXPECT_EQ(Pickups[k][0].Kind == 0, miss == 0)
            << "kind " << k << " " << e.Side << (miss ? " missing" : " touching") << " at " << x
            << "," << y;
      }
    }
  }
}

}  // namespace
