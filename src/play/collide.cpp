// What the student touches: pick-ups, event gates and rewards, and what the
// shots do to the cat.
#include "frame/frame.h"
#include "play/play.h"
#include "sound/sound.h"
#include "title/title.h"

RewardRecord Rewards[31];
int16_t GateSuccess = 0;

namespace {

// The student's box is x PlayerX+8..PlayerX+24, y PlayerY..PlayerY+31 (ends
// excluded); the other box is given the same way. Sharing an edge is no touch.
bool StudentTouches(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return !(PlayerY + 31 <= top || bottom <= PlayerY || PlayerX + 24 <= left ||
           right <= PlayerX + 8);
}

int16_t AtMost(int16_t value, int16_t limit) { return value > limit ? limit : value; }

void TestPickup(int k, int s) {
  PickupRecord& p = Pickups[k][s];
  if (p.Kind == 0) return;
  const int32_t ix = PickupInsetX[k];
  const int32_t iy = PickupInsetY[k];
  if (!StudentTouches(p.X + ix, p.Y + iy, p.X + 32 - ix, p.Y + 32 - iy)) return;
  Stamina -= 5;
  if (Mood >= 160) Stamina += 3;
  ApplyPickup(static_cast<int16_t>(k), static_cast<int16_t>(s));
  if (Stamina <= 0) {
    Stamina = 0;
    Mood = Mood >= 10 ? static_cast<int16_t>(Mood - 10) : int16_t{0};
  }
  if (k <= 4) PickupFlash[k] = 1;
  p = PickupRecord{};
  PlayEffect(k >= 4 ? 6 : 3);
}

void TestCat(int s) {
  ShotRecord& shot = Shots[s];
  if (CatState != 1 || shot.Active == 0) return;
  if (CatY + 32 < shot.Y || shot.Y + 32 < CatY || shot.X + 32 <= CatX || CatX + 32 <= shot.X) {
    return;
  }
  CatWasHit = 1;
  if (BgmTrack == 1 && Mood >= 61) SwitchBgm(2);
  shot.Active = 0;
  shot.X = 0;
  shot.Y = 0;
  CatState = 2;
  Ability[4] = AddSat16(Ability[4], -100);
  if (Ability[4] < 250) Ability[4] = 250;
  Mood = AtMost(static_cast<int16_t>(Mood + 100), 999);
  PlayEffect(8);
}

void TestGate(int i) {
  GateRecord& g = Gates[i];
  if (g.Kind == 0) return;
  if (!StudentTouches(g.X, g.Y, g.X + 64, g.Y + 32)) return;
  const bool contested = EventIndex == 4 || (EventIndex >= 6 && EventIndex <= 12);
  if (MenuChoice == 2 && contested) {
    // The gate stays until the PTA scene removes it.
    PtaPage = 1;
    GameMode = 6;
  } else if (g.Kind == 5) {
    YearPhase = 2;
  } else {
    GateReward(g.Kind);
    SpawnChoicePair();
    g.Kind = 0;
    g.X = 0;
    g.Y = 0;
    PlayEffect(GateSuccess == 1 ? 3 : 4);
  }
}

void TestReward(int i) {
  RewardRecord& r = Rewards[i];
  if (r.Kind == 0) return;
  if (!StudentTouches(r.X, r.Y, r.X + 32, r.Y + 32)) return;
  if (r.Kind == 6) {
    Stamina = 0;
    PlayEffect(7);
  } else {
    PlayEffect(0);
    if (BgmTrack == 1 && Mood >= 146) SwitchBgm(2);
    MaxStamina = AtMost(static_cast<int16_t>(MaxStamina + 3), 255);
    Mood = AtMost(static_cast<int16_t>(Mood + 15), 999);
  }
  r.Kind = 0;
  r.X = 0;
  r.Y = 0;
}

}  // namespace

void Collide() {
  for (int s = 0; s <= 15; ++s) {
    for (int k = 1; k <= 5; ++k) {
      if (Stamina != 0) TestPickup(k, s);
    }
    TestCat(s);
  }
  for (int i = 0; i <= 30; ++i) {
    if (Stamina != 0) TestGate(i);
    if (Stamina != 0) TestReward(i);
  }
}

void ApplyPickup(int16_t kind, int16_t slot) {
  if (kind >= 1 && kind <= 3) {
    Ability[kind] = AddSat16(Ability[kind], PickupGain(Ability[kind], Talent[kind]));
  } else if (kind == 4) {
    Ability[4] = AddSat16(Ability[4], Talent[4]);
    Pickups[5][slot] = PickupRecord{};
  } else if (kind == 5) {
    Stamina = AtMost(static_cast<int16_t>(Stamina + 25), MaxStamina);
    Pickups[4][slot] = PickupRecord{};
  }
}

void GateReward(int16_t& kind) {
  GateSuccess = 1;
  int32_t n = (Ability[kind] - 500) / 20;
  if (n < 0) {
    const int32_t mood = Mood + 20 * n;
    Mood = mood < 0 ? int16_t{0} : static_cast<int16_t>(mood);
    n = 0;
    GateSuccess = 0;
    if (Mood <= 160 && BgmTrack == 2) SwitchBgm(1);
  }
  // A cat hit this year spoils Valentine's Day.
  if (EventIndex == 11 && CatWasHit == 1) {
    kind = 6;
    n = 1;
  }
  // Never more rewards than free slots, so the scan below always ends.
  int32_t free = 0;
  for (const RewardRecord& r : Rewards) free += r.Kind == 0 ? 1 : 0;
  if (n > free) n = free;

  static constexpr int16_t kFormationX[6] = {128, 160, 96, 192, 64, 224};
  const int32_t gateY = Gates[0].Y;
  for (int j = 0; n > 0; j = j == 30 ? 0 : j + 1) {
    RewardRecord& r = Rewards[j];
    if (r.Kind != 0 || R(100) >= 70) continue;
    const int32_t y = -16 - 32 * (j / 6);
    r.Kind = kind;
    r.X = kFormationX[j % 6];
    r.Y = static_cast<int16_t>(y);
    r.LandY = static_cast<int16_t>(y + gateY - 16);
    --n;
  }
}

void FallRewards() {
  bool landed = false;
  for (RewardRecord& r : Rewards) {
    if (r.Kind == 0) continue;
    if (r.Y < r.LandY) {
      r.Y = AddSat16(r.Y, 8);
      if (r.Y >= r.LandY) landed = true;
    } else {
      r.Y = AddSat16(r.Y, 1);
    }
    if (r.Y >= 352) {
      r.Kind = 0;
      r.X = 0;
      r.Y = 0;
    }
  }
  if (landed) PlayEffect(5);
}
