// Steering the student, resting at the verges, throwing, and the cat.
#include "frame/frame.h"
#include "play/play.h"
#include "sound/sound.h"

int16_t PlayerX = 112;
int16_t PlayerY = 288;
int16_t PlayerSrcX = 0;
int16_t PlayerSrcY = 32;

ShotRecord Shots[16];
int16_t CatState = 0;
int16_t CatAnim = 0;
int16_t CatX = 0;
int16_t CatY = -32;
int16_t CatSrcX = 96;
int16_t CatSrcY = 256;
int16_t CatWasHit = 0;

namespace {

void SpaceHeld() {
  const bool atVerge = PlayerX == 16 || PlayerX == 272;
  if (atVerge && Stamina >= 1) {
    if (KeyCount[32] % 3 == 1 && Stamina < MaxStamina) ++Stamina;
    // The resting student lies on the field and scrolls with it.
    if (YearPhase == 0) ++PlayerY;
    DecayAbilities();
  }
  if (PlayerX >= 17 && PlayerX <= 271 && Stamina >= 1 && KeyCount[32] == 1 && YearPhase == 0) {
    for (ShotRecord& s : Shots) {
      if (s.Active != 0) continue;
      s.Active = 1;
      s.X = PlayerX;
      s.Y = static_cast<int16_t>(PlayerY - 16);
      PlayEffect(1);
      break;
    }
  }
  if (PlayerY >= 288) PlayerY = 288;
}

void ArrowHeld() {
  if (Stamina <= 0 || YearPhase == 2) return;
  if (FrameCount % 2 == 0) {
    PlayerX = AddSat16(PlayerX, DirDX[LastKey - 37]);
    PlayerY = AddSat16(PlayerY, DirDY[LastKey - 37]);
  }
  if (PlayerY < 56) PlayerY = 56;
  if (PlayerY > 288) PlayerY = 288;
  if (PlayerX < 16) PlayerX = 16;
  if (PlayerX > 272) PlayerX = 272;
}

void RemoveCat() {
  CatState = 0;
  CatAnim = 0;
  CatX = 0;
  CatY = -32;
}

}  // namespace

void MovePlayer() {
  if (LastKey == 32) {
    SpaceHeld();
  } else if (LastKey >= 37 && LastKey <= 40) {
    ArrowHeld();
  }
}

void FlyShots() {
  for (ShotRecord& s : Shots) {
    if (s.Active == 0) continue;
    s.Y = AddSat16(s.Y, -8);
    if (s.Y <= -32) {
      s.Active = 0;
      s.X = 0;
      s.Y = 0;
    }
  }
}

void SpawnCat() {
  if (ScrollPhase != 0 || CatState != 0 || Day > 650) return;
  if (Day != EventTable[EventIndex + 2].Day - 10) return;
  CatX = static_cast<int16_t>(R(128) + 80);
  CatY = -32;
  CatState = 1;
  CatAnim = 1;
}

void MoveCat() {
  if (CatAnim == 0) return;
  CatAnim = AddSat16(CatAnim, 1);
  CatY = AddSat16(CatY, 1);
  if (CatState == 1 && CatY >= 352) {
    RemoveCat();
  } else if (CatState == 2) {
    CatY = AddSat16(CatY, -6);
    if (CatY <= -48) RemoveCat();
  }
}
