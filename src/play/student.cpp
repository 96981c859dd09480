// The student: rolling a new one, the mood's drift toward calm, fainting and
// the slow loss of abilities while resting.
#include <cmath>
#include <cstdint>

#include "frame/frame.h"
#include "play/play.h"
#include "sound/sound.h"

int16_t Ability[6];
int16_t Talent[6];
int16_t Mood;
int16_t Stamina;
int16_t MaxStamina;
int16_t FaintTimer;

int16_t AddSat16(int16_t value, int32_t delta) {
  const int64_t v = static_cast<int64_t>(value) + delta;
  if (v > INT16_MAX) return INT16_MAX;
  if (v < INT16_MIN) return INT16_MIN;
  return static_cast<int16_t>(v);
}

AbilityRoll AbilityRollBand(int32_t r) {
  // Upper end of r for each talent, best first.
  static constexpr struct {
    int16_t LastR, Talent;
  } kTalentByRoll[] = {{1, 12}, {4, 10}, {10, 8}, {20, 7}, {33, 6},
                       {67, 5}, {80, 4}, {90, 3}, {95, 2}, {100, 1}};
  AbilityRoll band{1, 460, 30};
  for (const auto& t : kTalentByRoll) {
    if (r <= t.LastR) {
      band.Talent = t.Talent;
      break;
    }
  }
  // The ability bands split at 33 and 66, one off the talent split at 67.
  if (r <= 33) {
    band.Base = 500;
    band.Spread = 30;
  } else if (r <= 66) {
    band.Base = 480;
    band.Spread = 40;
  }
  return band;
}

void RollStudent() {
  for (int i = 1; i <= 3; ++i) {
    const int32_t r = R(100) + 1;
    const AbilityRoll band = AbilityRollBand(r);
    Ability[i] = static_cast<int16_t>(band.Base + R(band.Spread));
    Talent[i] = band.Talent;
  }
  const int32_t r = R(30) + 1;
  int16_t t;
  int16_t base = 500;
  if (r <= 10) {
    t = static_cast<int16_t>(R(4) + 5);
  } else if (r <= 20) {
    t = static_cast<int16_t>(R(3) + 4);
  } else {
    t = static_cast<int16_t>(R(3) + 3);
    base = 480;
  }
  Ability[4] = static_cast<int16_t>(base + R(t));
  Talent[4] = t;
  Mood = 100;
  MaxStamina = 50;
  Stamina = 50;
}

void DriftMood() {
  if (FrameCount % 32 != 0) return;
  if (Mood > 100) {
    --Mood;
    if (Mood <= 160 && BgmTrack == 2) SwitchBgm(1);
  } else if (Mood < 100) {
    ++Mood;
  }
}

void UpdateMoodAndRates() {
  DriftMood();
  SetDropRates();
}

void AdvanceFaint() {
  if (Stamina > 0) return;
  if (FrameCount % 8 == 0) {
    for (int i = 1; i <= 3; ++i) Ability[i] = AddSat16(Ability[i], -1);
  }
  if (PlayerY < 288) ++PlayerY;
  if (++FaintTimer >= 160) {
    Stamina = 20;
    FaintTimer = 0;
  }
}

int16_t RestDecayPeriod(int16_t ability, int16_t talent) {
  // Columns: talent 1-3, 4-6, 7-12. A talented student below 300 loses no
  // faster than at 300-399 (one point in 50 frames), like the other columns.
  static constexpr int16_t kPeriod[4][3] = {{50, 50, 50}, {30, 30, 50}, {11, 11, 16}, {6, 8, 11}};
  const int row = ability < 300 ? 0 : ability < 400 ? 1 : ability < 600 ? 2 : 3;
  const int col = talent <= 3 ? 0 : talent <= 6 ? 1 : 2;
  return kPeriod[row][col];
}

void DecayAbilities() {
  for (int i = 1; i <= 3; ++i) {
    const int16_t d = RestDecayPeriod(Ability[i], Talent[i]);
    if (KeyCount[32] % d == 1 && Ability[i] != 250) Ability[i] = AddSat16(Ability[i], -1);
  }
}

int16_t PickupGain(int16_t ability, int16_t talent) {
  double factor;
  if (ability <= 249) {
    factor = 2;
  } else if (ability <= 299) {
    factor = 1.5;
  } else if (ability <= 449) {
    factor = 1.2;
  } else if (ability <= 549) {
    factor = 1;
  } else if (ability <= 599) {
    factor = 0.7;
  } else if (ability <= 699) {
    factor = 0.5;
  } else {
    factor = 0.3;
  }
  // The exact product of the talent and the factor's double value, rounded
  // to the nearest whole number with ties to even. The double product can
  // round up onto a half (5 x 0.7 gives 3.5) when the exact one lies just
  // below it; fma recovers the part that was lost and decides.
  const double t = talent;
  const double product = t * factor;
  const double lost = std::fma(t, factor, -product);
  double gain = std::nearbyint(product);
  if (std::fabs(product - std::trunc(product)) == 0.5 && lost != 0) {
    gain = lost > 0 ? std::ceil(product) : std::floor(product);
  }
  return gain < 1 ? 1 : static_cast<int16_t>(gain);
}
