// The blinds wipe between the title and the school year.
#include "draw/draw.h"
#include "frame/frame.h"

void BlindsWipePass(int16_t mode, int32_t pass) {
  for (int32_t y = pass; y <= 368; y += 4) {
    if (mode == 0) {
      const int32_t saved = Display[1].LineWidth;
      Display[1].LineWidth = 1;
      SurfaceLine(Display[1], 0, y, 512, y, 0);
      Display[1].LineWidth = saved;
    } else {
      BlitPicture(Display[0], 0, y, 512, 1, Display[1], 0, y, SRCCOPY);
    }
  }
  if (mode == 0) BlitPicture(Display[0], 0, 0, 512, 384, Display[1], 0, 0, SRCCOPY);
}

void BlindsWipe(int16_t mode) {
  if (mode != 0 && mode != 1) return;
  for (int32_t pass = 0; pass <= 3; ++pass) {
    BlindsWipePass(mode, pass);
    DelayTicks(200);
  }
}
