// After the calendar: the walk out through the graduation gate and the
// blackout that ends the year.
#include "draw/draw.h"
#include "frame/frame.h"
#include "play/play.h"
#include "sound/sound.h"

void AdvanceEpilogue() {
  FlyShots();
  if (YearPhase == 2) {
    PlayerY = AddSat16(PlayerY, -2);
    if (PlayerY <= -32) {
      // Out of the field: FaintTimer now counts the frames of the fade.
      FaintTimer = AddSat16(FaintTimer, 1);
      BgmStop();
      BgmClose();
    }
  }
  if (Stamina <= 0) {
    DecayAbilities();
    DecayAbilities();
    if (PlayerY < 288) ++PlayerY;
    if (++FaintTimer >= 160) {
      Stamina = 20;
      FaintTimer = 0;
    }
    // The field stands still, so the fainted student stays where it fell.
    if (YearPhase == 1) --PlayerY;
  }
  AdvancePickupFlash();
}

void FadeOutYear() {
  if (Stamina <= 0) return;
  static constexpr int16_t kPassStart[4] = {1, 25, 50, 75};
  for (int p = 0; p < 4; ++p) {
    if (FaintTimer < kPassStart[p]) continue;
    for (int y = p; y <= 576; y += 4) DrawLine(Display[1], 0, y, 512, y, 0);
  }
  if (FaintTimer == 100) GameMode = 2;
}
