// Placeholder until the school year lands: the state, and a day loop that
// only paces frames and quits on Escape.
#include "draw/draw.h"
#include "frame/frame.h"
#include "play/play.h"

int16_t FrameCount = -1, ScrollPhase = -1, Day = 0, YearPhase = 0, ShowSchedule = 0;
int32_t PlayTick = -1;
int16_t Ability[6], Talent[6], Mood, Stamina, MaxStamina, FaintTimer;
int16_t PlayerX = 112, PlayerY = 288, PlayerSrcX = 0, PlayerSrcY = 32;
ShotRecord Shots[16];
int16_t CatState, CatAnim, CatX, CatY = -32, CatSrcX = 96, CatSrcY = 256, CatWasHit;
int16_t EventIndex;
GateRecord Gates[31];
PickupRecord Pickups[6][16];
int16_t PickupFlash[5];
TeacherRecord Teachers[3];
RewardRecord Rewards[31];
int16_t GateSuccess;

void DayLoop() {
  for (;;) {
    FrameStart = PlatformClockMs();
    DoEvents();
    PollKeys();
    CopyTiles(2, 1, 0, 0, 36, 24);
    CopyTiles(1, 0, 0, 0, 36, 24);
    if (LastKey == 27) {
      GameMode = 27;
      return;
    }
    PaceFrame(FramePeriod);
  }
}
void UpdateMoodAndRates() {}
void RollStudent() {}
void DecayAbilities() {}
void MovePlayer() {}
void SpawnCat() {}
void DrawCat() {}
void AdvanceWorld() {}
void SpawnEventGate() {}
void SpawnChoicePair() {}
void VacationDrops() {}
void TeacherDrops() {}
void Collide() {}
void ApplyPickup(int16_t, int16_t) {}
void GateReward(int16_t&) {}
void AdvanceEpilogue() {}
void FadeOutYear() {}
