// The title screen, its four-entry menu and the start of a new year.
#include "title/title.h"

#include "draw/draw.h"
#include "frame/frame.h"
#include "play/play.h"
#include "register/register.h"
#include "render/render.h"
#include "sound/sound.h"

int16_t MenuChoice = 1;

namespace {

struct MenuEntry {
  std::string_view Text;
  int32_t X, Y;
};

const MenuEntry kMenu[5] = {
    {"", 0, 0},
    {"正面の中学校でプレイする", 176, 232},
    {"左の中学校でプレイする", 176, 264},
    {"卒業生の記録を見る", 176, 296},
    {"終了する", 176, 328},
};

void StartYear() {
  ResetYear();
  RollStudent();
  GameMode = 1;
  OpenGraduateRecord(MenuChoice);
  BgmTrack = 1;
  BgmOpen(1);
  BgmPlay();
  BlindsWipe(0);
  SetBackColour(Display[2], RGB(0, 36, 72));
  DrawField();
}

}  // namespace

void DrawTitle() {
  Surface& s = Display[2];
  const std::string remembered = s.FontName;
  for (int32_t i = 0; i <= 23; ++i) {
    DrawFilledBox(s, 0, 16 * i, 512, 16 * i + 15, RGB(0, 73 - i, 146 - 2 * i));
  }
  DrawSprite(s, 240, 144, 32, 32, Chip[0], 256, 224, 256, 256);  // front school
  DrawSprite(s, 76, 144, 32, 32, Chip[0], 256, 224, 224, 256);   // left school
  // The lettering is a white silhouette with one stretch in colour.
  BlitPicture(s, 112, 40, 288, 48, Chip[3], 0, 0, SRCPAINT);
  BlitPicture(s, 178, 40, 63, 48, Chip[3], 0, 48, SRCAND);
  SetFontName(s, "HGS創英角ｺﾞｼｯｸUB");
  for (int i = 1; i <= 4; ++i) {
    PrintShadow(s, kMenu[i].X, kMenu[i].Y, 11, false, RGB(255, 255, 255), kMenu[i].Text);
  }
  // A failed save is shown until one succeeds, so the player knows; so is
  // a damaged register that was kept aside.
  SetFontName(s, "ＭＳ Ｐゴシック");
  if (!RegisterSaveError.empty()) {
    PrintShadow(s, 8, 348, 9, false, RGB(255, 160, 160), RegisterSaveError);
  }
  if (!RegisterNotice.empty()) {
    PrintShadow(s, 8, RegisterSaveError.empty() ? 348 : 334, 9, false, RGB(255, 220, 160),
                RegisterNotice);
  }
  SetFontName(s, remembered);
}

void TitleLoop() {
  for (;;) {
    FrameStart = PlatformClockMs();
    DoEvents();
    CopyTiles(2, 1, 0, 0, 36, 24);
    DrawSprite(Display[1], 152, 32 * MenuChoice + 200, 16, 16, Chip[0], 32, 96, 32, 112);
    CopyTiles(1, 0, 0, 0, 32, 24);
    PaceFrame(FramePeriod);
    PollKeys();
    TitleKeys();
    if (GameMode != 0) return;
  }
}

void TitleKeys() {
  switch (LastKey) {
    case 32:
      if (KeyCount[32] != 1) break;
      if (MenuChoice == 1 || MenuChoice == 2) {
        StartYear();
      } else if (MenuChoice == 3) {
        SortGraduates();
        GameMode = 3;
      } else if (MenuChoice == 4) {
        GameMode = 27;
      }
      break;
    case 27:
      GameMode = 27;
      break;
    case 38:
      if (KeyCount[38] == 1) MenuChoice = MenuChoice == 1 ? 4 : MenuChoice - 1;
      break;
    case 40:
      if (KeyCount[40] == 1) MenuChoice = MenuChoice == 4 ? 1 : MenuChoice + 1;
      break;
    default:
      break;
  }
}
