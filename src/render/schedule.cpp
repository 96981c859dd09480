// The month label in the corner of the field and the whole-year schedule
// that Enter shows in place of the two right-hand panels.
#include "draw/draw.h"
#include "frame/frame.h"
#include "play/play.h"
#include "render/panels.h"
#include "render/render.h"

namespace {

constexpr uint32_t kWhite = RGB(255, 255, 255);
constexpr uint32_t kBlack = RGB(0, 0, 0);
constexpr uint32_t kReachedGrey = RGB(69, 69, 69);

constexpr SpriteCell kMarkerCells[4] = {
    {64, 128, 128, 128},
    {80, 128, 144, 128},
    {64, 144, 128, 144},
    {80, 144, 144, 144},
};

}  // namespace

int16_t MonthOfDay(int16_t day) {
  // Floor division, so step 0 still counts as the month before April.
  const int32_t d = day - 1;
  const int32_t a = d >= 0 ? d / 60 : -((59 - d) / 60);
  return static_cast<int16_t>(a > 8 ? a - 8 : a + 4);
}

int16_t ScheduleLineX(int16_t n) { return static_cast<int16_t>(348 + 2 * n); }

int16_t ScheduleLineY(int16_t n) {
  // A blank line's gap for each vacation: after event 4 and after event 9.
  if (n <= 4) return static_cast<int16_t>(340 - 20 * n);
  if (n <= 9) return static_cast<int16_t>(320 - 20 * n);
  return static_cast<int16_t>(300 - 20 * n);
}

uint32_t ScheduleColour(int16_t n, int16_t eventIndex) {
  if (n <= eventIndex) return kReachedGrey;
  switch (EventTable[n + 1].Kind) {
    case 1:
      return RGB(136, 196, 255);
    case 2:
      return RGB(0, 206, 206);
    case 3:
      return RGB(255, 128, 64);
    case 4:
      return RGB(255, 128, 128);
    default:
      return kWhite;
  }
}

SpriteCell MarkerCell(int32_t playTick) {
  const int32_t t = ((playTick % 16) + 16) % 16;
  return kMarkerCells[t / 4];
}

void DrawMonth() {
  Surface& back = Display[1];
  SetFontName(back, kPopFontName);
  // The month as printed: a blank for the sign, then the digits.
  char text[16];
  text[0] = ' ';
  const int32_t len = 1 + FormatPlainNumber(MonthOfDay(Day), text + 1);
  const std::string_view month(text, len);
  PrintTextCentred(back, 39, 21, 13, false, kBlack, month);
  PrintTextCentred(back, 40, 22, 13, false, kWhite, month);
  PrintAt(back, 44, 26, 10, false, kBlack, "月");
  PrintAt(back, 45, 27, 10, false, kWhite, "月");
  SetFontName(back, kGothicWideFontName);
}

void DrawSchedule() {
  Surface& back = Display[1];
  SetFontName(back, kPopFontName);

  // Cover the divider's junctions so the two panels read as one.
  BlitPicture(back, 304, 160, 16, 16, Chip[0], 32, 64, SRCCOPY);
  BlitPicture(back, 496, 160, 16, 16, Chip[0], 32, 64, SRCCOPY);
  for (int32_t i = 1; i <= 21; ++i) {
    DrawFilledBox(back, 320, 16 * i, 496, 16 * i + 15, RGB(0, 70 - 2 * i, 120 - 4 * i));
  }
  PrintAt(back, 384, 24, 13, false, kWhite, "全日程");
  SetLineWidth(back, 2);
  DrawBox(back, 320, 16, 496, 352, kWhite);
  SetLineWidth(back, 1);

  for (int16_t n = 1; n <= 12; ++n) {
    PrintAt(back, ScheduleLineX(n), ScheduleLineY(n), 11, false, ScheduleColour(n, EventIndex),
            EventTable[n + 1].Name);
  }
  if (EventIndex >= 0 && EventIndex <= 11) {
    const int16_t n = static_cast<int16_t>(EventIndex + 1);
    const SpriteCell cell = MarkerCell(PlayTick);
    DrawSprite(back, ScheduleLineX(n) - 20, ScheduleLineY(n) - 1, 16, 16, Chip[0], cell.MaskX,
               cell.MaskY, cell.PicX, cell.PicY);
  }
  SetFontName(back, kGothicWideFontName);
}
