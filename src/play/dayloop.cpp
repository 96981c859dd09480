// The frame loop of one school year.
#include "draw/draw.h"
#include "frame/frame.h"
#include "play/play.h"
#include "register/register.h"
#include "render/render.h"
#include "sound/sound.h"

int16_t FrameCount = -1;
int16_t ScrollPhase = -1;
int32_t PlayTick = -1;
int16_t Day = 0;
int16_t YearPhase = 0;
int16_t ShowSchedule = 0;

namespace {

void AdvanceFrameCount() {
  if (++FrameCount >= 256) FrameCount = 0;
  ScrollPhase = static_cast<int16_t>(FrameCount % 16);
}

// New field rows appear behind the top band.
void CoverTopRow() {
  for (int i = 1; i <= 18; ++i)
    BlitPicture(Display[1], 16 * i, 0, 16, 16, Chip[0], 48, 80, SRCCOPY);
}

void CalendarFrame() {
  AdvanceFrameCount();
  if (++PlayTick >= 16) PlayTick = 0;
  UpdateMoodAndRates();
  BgmUpdate();
  PollKeys();
  MovePlayer();
  if (ScrollPhase == 0) {
    ++Day;
    DrawDayBanner();
  }
  CopyTiles(2, 1, 0, 0, 36, 24);
  BlitPicture(Display[1], 16, ScrollPhase, 288, 352 - ScrollPhase, Display[2], 16, 0, SRCCOPY);
  AdvanceWorld();
  SpawnEventGate();
  DrawRewards();
  // In the vacations a mirror/cake pair is always on its way down.
  if ((DayBetween(224, 301) || DayBetween(520, 556)) && Pickups[4][0].Kind == 0) {
    SpawnChoicePair();
  }
  VacationDrops();
  TeacherDrops();
  SpawnCat();
  DrawPickups();
  DrawGates();
  DrawMoodPanel();
  if (ShowSchedule == 0) {
    DrawAbilityIcons();
    DrawAbilityPanel();
  } else {
    DrawSchedule();
  }
  DrawCat();
  DrawTeachers();
  DrawPlayer();
  DrawShots();
  CoverTopRow();
  DrawMonth();
}

void AfterCalendarFrame() {
  if (YearPhase == 0) YearPhase = 1;
  AdvanceFrameCount();
  BgmUpdate();
  PollKeys();
  MovePlayer();
  CopyTiles(2, 1, 0, 0, 36, 24);
  AdvanceEpilogue();
  DrawPickups();
  DrawGates();
  DrawMoodPanel();
  DrawAbilityIcons();
  DrawAbilityPanel();
  DrawPlayer();
  DrawShots();
  CoverTopRow();
  FadeOutYear();
}

}  // namespace

void AdvanceWorld() {
  FallPickups();
  FallGates();
  FlyShots();
  FallRewards();
  AdvanceFaint();
  MoveTeachers();
  AdvancePickupFlash();
  MoveCat();
}

bool PlayFrame() {
  FrameStart = PlatformClockMs();
  DoEvents();
  // The calendar ends four steps after the graduation.
  if (Day < EventTable[14].Day + 4) {
    CalendarFrame();
  } else {
    AfterCalendarFrame();
  }
  UpdateCurrentScores();
  SortGraduates();
  // The PTA scene takes over from a frame that is never shown.
  if (GameMode == 6) return false;
  CopyTiles(1, 0, 0, 0, 36, 24);
  // Collisions come after the show, so their effects appear next frame.
  Collide();
  if (LastKey == 27) {
    GameMode = 27;
    return false;
  }
  if (KeyCount[13] == 1 && LastKey == 13) ShowSchedule = ShowSchedule == 0 ? 1 : 0;
  if (GameMode == 2) return false;
  PaceFrame(FramePeriod);
  return true;
}

void DayLoop() {
  while (PlayFrame()) {
  }
}
