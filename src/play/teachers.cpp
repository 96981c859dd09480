// The three teachers, their drop rates by calendar, and the pick-ups they and
// the vacations bring.
#include <cstdlib>

#include "frame/frame.h"
#include "play/play.h"

PickupRecord Pickups[6][16];
int16_t PickupFlash[5];
TeacherRecord Teachers[3];

namespace {

constexpr int kStudy = 0;
constexpr int kSports = 1;
constexpr int kArt = 2;

// First free slot of a kind among slots 0..last, or -1.
int FreePickupSlot(int kind, int last) {
  for (int s = 0; s <= last; ++s) {
    if (Pickups[kind][s].Kind == 0) return s;
  }
  return -1;
}

void DropFrom(const TeacherRecord& t, int kind, int slot) {
  PickupRecord& p = Pickups[kind][slot];
  p.Kind = static_cast<int16_t>(kind);
  p.X = t.X;
  p.Y = static_cast<int16_t>(t.Y + 16);
}

// A throw lasts 23 frames: the counter runs 1..23 and rests at 0.
void AdvanceThrow(TeacherRecord& t) {
  ++t.Anim;
  if (t.Anim == 1 || t.Anim >= 24) t.Anim = 0;
}

void MoveSportsTeacher() {
  TeacherRecord& t = Teachers[kSports];
  t.Anim = AddSat16(t.Anim, 1);
  switch (t.State) {
    case 0:
      t.State = 1;
      t.TargetX = static_cast<int16_t>(2 * R(96) + 48);
      if (std::abs(t.X - t.TargetX) < 32) t.State = 0;
      break;
    case 1: {
      bool arrived;
      if (t.X < t.TargetX) {
        t.X += 2;
        arrived = t.X >= t.TargetX;
      } else {
        t.X -= 2;
        arrived = t.X <= t.TargetX;
      }
      if (arrived) {
        t.X = t.TargetX;
        t.State = 2;
        t.Anim = 0;
      }
      break;
    }
    case 2:
      // The dumbbell is armed at the end of the pause, unless the study
      // teacher is off duty around an event.
      if (t.Anim % 24 == 0 && Teachers[kStudy].Rate != 0) t.Rate = 1000;
      if (t.Anim == 24) t.State = 0;
      break;
    default:
      break;
  }
}

}  // namespace

void FallPickups() {
  for (int k = 1; k <= 5; ++k) {
    for (PickupRecord& p : Pickups[k]) {
      if (p.Kind == 0) continue;
      p.Y = AddSat16(p.Y, 1);
      if (p.Y >= 352) p = PickupRecord{};
    }
  }
}

void MoveTeachers() {
  TeacherRecord& study = Teachers[kStudy];
  AdvanceThrow(study);
  if (study.X > PlayerX) {
    study.X -= 2;
    if (study.X < 48) study.X = 48;
  } else if (study.X < PlayerX) {
    study.X += 2;
    if (study.X > 240) study.X = 240;
  }

  MoveSportsTeacher();

  TeacherRecord& art = Teachers[kArt];
  AdvanceThrow(art);
  art.X += 4;
  if (art.X > 144) art.X = 144;

  const bool away = DayBetween(224, 301) || DayBetween(520, 556) || DayBetween(712, 714);
  for (TeacherRecord& t : Teachers) {
    if (away) {
      if (--t.Y < -32) t.Y = -32;
    } else {
      if (++t.Y > 16) t.Y = 16;
    }
  }
}

void AdvancePickupFlash() {
  for (int k = 1; k <= 4; ++k) {
    if (PickupFlash[k] == 0) continue;
    if (++PickupFlash[k] >= 32) PickupFlash[k] = 0;
  }
}

void TeacherDrops() {
  if (PlayerY <= 0) return;
  // One draw per teacher, whether or not it can throw.
  TeacherRecord& study = Teachers[kStudy];
  if (R(1000) + 1 <= study.Rate && study.Anim == 0 && study.X >= 48) {
    const int s = FreePickupSlot(1, 15);
    if (s >= 0) {
      study.Anim = 1;
      DropFrom(study, 1, s);
    }
  }
  TeacherRecord& sports = Teachers[kSports];
  if (R(1000) + 1 <= sports.Rate && sports.Anim % 24 == 0 && sports.X >= 48) {
    const int s = FreePickupSlot(2, 15);
    if (s >= 0) {
      DropFrom(sports, 2, s);
      sports.Rate = 0;
    }
  }
  TeacherRecord& art = Teachers[kArt];
  if (R(1000) + 1 <= art.Rate && art.Anim == 0 && art.X == 144) {
    const int s = FreePickupSlot(3, 15);
    if (s >= 0) {
      art.Anim = 1;
      DropFrom(art, 3, s);
    }
  }
}

void SetDropRates() {
  TeacherRecord& study = Teachers[kStudy];
  TeacherRecord& art = Teachers[kArt];
  // Back on duty eight steps after the latest event, off two steps before
  // the next one (after the graduation there is no next one: off for good).
  if (Day > EventTable[EventIndex + 1].Day + 8) {
    study.Rate = 15;
    art.Rate = 20;
  }
  if (Day > EventTable[EventIndex + 2].Day - 2) {
    study.Rate = 0;
    art.Rate = 0;
  }
  if (DayBetween(224, 305) || DayBetween(520, 560)) {
    for (TeacherRecord& t : Teachers) t.Rate = 0;
  }
}

void VacationDrops() {
  if (ScrollPhase != 0) return;
  if (!DayBetween(225, 301) && !DayBetween(521, 556)) return;
  for (int k = 1; k <= 3; ++k) {
    if (R(1000) >= 220) continue;
    // Slots 11..15 stay for the teachers.
    const int s = FreePickupSlot(k, 10);
    if (s < 0) continue;
    PickupRecord& p = Pickups[k][s];
    p.Kind = static_cast<int16_t>(k);
    p.X = static_cast<int16_t>(8 * R(20) + 64);
    p.Y = -32;
  }
}

void SpawnChoicePair() {
  const int s = FreePickupSlot(4, 10);
  if (s < 0) return;
  int16_t mirrorX = 16;
  int16_t cakeX = 272;
  if (R(100) < 50) {
    mirrorX = 272;
    cakeX = 16;
  }
  Pickups[4][s] = PickupRecord{mirrorX, -16, 4};
  Pickups[5][s] = PickupRecord{cakeX, -16, 5};
}
