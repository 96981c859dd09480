// The intro: the logo assembles itself from rows revealed in random order.
#include "draw/draw.h"
#include "frame/frame.h"
#include "title/title.h"

int32_t LogoTick = -1;
uint8_t LogoRowShown[129];
uint8_t LogoRowCount = 0;

void LogoScreen() {
  for (;;) {
    FrameStart = PlatformClockMs();
    DoEvents();
    ++LogoTick;
    if (LogoTick <= 18) {
      int32_t fresh = 0;
      // Rows that come up again are skipped; stop at 8 new rows or a full logo.
      while (fresh < 8 && LogoRowCount < 128) {
        const int32_t r = R(128);
        if (LogoRowShown[r] == 0) {
          BlitPicture(Display[1], 208, 120 + r, 96, 1, LogoChip, 0, r, SRCCOPY);
          ++fresh;
          ++LogoRowCount;
          LogoRowShown[r] = 1;
        }
      }
      CopyTiles(1, 0, 0, 0, 36, 32);
    }
    PollKeys();
    if (LastKey == 27) {
      GameMode = 27;
      return;
    }
    if (LastKey == 32) LogoTick = 50;
    if (LogoTick == 50) {
      GameMode = 0;
      return;
    }
    PaceFrame(65);
  }
}
