// The upper right panel: the turning star, the mood number and its band.
#include "draw/draw.h"
#include "frame/frame.h"
#include "play/play.h"
#include "render/panels.h"
#include "render/render.h"

int16_t StarFrame = 0;
int16_t StarTick = 0;

namespace {

struct BandPeriod {
  std::string_view Name;
  int16_t Period;
};

// The better the mood, the faster the star turns.
constexpr BandPeriod kBandPeriods[] = {
    {"人格崩壊", 55},     {"自暴自棄", 32}, {"鬱", 25},      {"苦悩", 20},  {"自己嫌悪", 15},
    {"落ち込み気味", 11}, {"平静", 7},      {"得意げ", 4},   {"鼻高々", 3}, {"意気揚揚", 2},
    {"大興奮", 1},        {"最高潮", 1},    {"自己陶酔", 1},
};

constexpr SpriteCell kStarCells[4] = {
    {0, 0, 0, 80},      // point up
    {0, 160, 80, 0},    // a quarter turn clockwise
    {80, 80, 80, 160},  // half a turn
    {160, 0, 160, 80},  // three quarter turns
};

constexpr uint32_t kWhite = RGB(255, 255, 255);
constexpr uint32_t kBandColour = RGB(209, 242, 51);

}  // namespace

int16_t StarPeriod(std::string_view bandName) {
  for (const BandPeriod& band : kBandPeriods) {
    if (band.Name == bandName) return band.Period;
  }
  return 55;
}

void StepStar(int16_t period) {
  StarTick = StarTick >= 255 || StarTick < 0 ? 0 : static_cast<int16_t>(StarTick + 1);
  if (period > 0 && StarTick % period == 0) {
    StarFrame = StarFrame >= 3 || StarFrame < 0 ? 0 : static_cast<int16_t>(StarFrame + 1);
  }
}

SpriteCell StarCell(int16_t frame) { return kStarCells[frame & 3]; }

void DrawMoodPanel() {
  // Mood stays in 0..999 in play; the band tables reach 1000.
  const int16_t m = Mood < 0 ? 0 : (Mood > 1000 ? 1000 : Mood);
  StepStar(StarPeriod(MoodName[m]));

  Surface& back = Display[1];
  const SpriteCell cell = StarCell(StarFrame);
  DrawSprite(back, 372, 48, 80, 80, Chip[2], cell.MaskX, cell.MaskY, cell.PicX, cell.PicY);

  SetFontName(back, kPopFontName);
  PrintAt(back, 380, 24, 13, false, kWhite, "精神状態");
  DrawLine(back, 448, 120, 480, 120, RGB(128, 255, 255));
  PrintNumberCentred(back, 458, 106, 9, false, kWhite, Mood);
  PrintTextCentred(back, 410, 132, 15, false, kBandColour, MoodName[m]);

  SetFontName(back, kGothicFontName);
  SetLineWidth(back, 1);
  PrintAt(back, MoodReadingX[m], 122, 8, false, kBandColour, MoodReading[m]);
}
