// The play field background: the frame, the road between its verges and the
// two panels, drawn once a year into Display(2), then scrolled a row per day.
#include <cstdint>
#include <string>
#include <string_view>

#include "draw/draw.h"
#include "frame/frame.h"
#include "play/play.h"
#include "render/render.h"

namespace {

constexpr std::string_view kLabelFont = "HGP創英角ﾎﾟｯﾌﾟ体";

struct Tile {
  int16_t X, Y;  // the 16 x 16 cell on Chip(0)
};

constexpr Tile kCornerTopLeft{0, 64};
constexpr Tile kCornerTopRight{16, 64};
constexpr Tile kCornerBottomLeft{0, 80};
constexpr Tile kCornerBottomRight{16, 80};
constexpr Tile kBandVertical{32, 64};
constexpr Tile kBandVerticalRight{48, 64};
constexpr Tile kBandHorizontal{32, 80};
constexpr Tile kBandHorizontalTop{48, 80};
constexpr Tile kJunctionTop{0, 112};
constexpr Tile kJunctionBottom{16, 112};
constexpr Tile kJunctionLeft{0, 96};
constexpr Tile kJunctionRight{16, 96};
constexpr Tile kRoad{80, 64};
constexpr Tile kRailLeft{64, 64};
constexpr Tile kRailRight{48, 96};
constexpr Tile kSpringGrass{96, 64};

struct Season {
  int16_t LastDay;
  Tile Ground;
  uint32_t LabelColour;
};

constexpr Season kSeasons[] = {
    {154, {96, 64}, RGB(0, 128, 0)},    // spring grass
    {334, {112, 64}, RGB(0, 81, 0)},    // summer grass
    {514, {96, 80}, RGB(128, 0, 0)},    // autumn sand
    {694, {112, 80}, RGB(80, 80, 80)},  // winter ground
    {32767, {96, 64}, RGB(0, 128, 0)},  // spring again
};

const Season& SeasonOf(int16_t day) {
  for (const Season& s : kSeasons) {
    if (day <= s.LastDay) return s;
  }
  return kSeasons[4];
}

void PutTile(int32_t x, int32_t y, Tile t) {
  BlitPicture(Display[2], x, y, 16, 16, Chip[0], t.X, t.Y, SRCCOPY);
}

// One field row of DrawField: verges, rails and road.
void PutFieldRow(int row) {
  for (int c = 1; c <= 18; ++c) {
    Tile t = kRoad;
    if (c <= 2 || c >= 17) {
      t = kSpringGrass;
    } else if (c == 3) {
      t = kRailLeft;
    } else if (c == 16) {
      t = kRailRight;
    }
    PutTile(16 * c, 16 * row, t);
  }
}

}  // namespace

void DrawField() {
  // Clear to the background colour the title has just set.
  SetBackColour(Display[2], Display[2].BackColour);
  for (int i = 0; i <= 23; ++i) {
    DrawFilledBox(Display[2], 320, 16 * i, 496, 16 * i + 15, RGB(0, 70 - 2 * i, 120 - 4 * i));
  }
  for (int r = 0; r <= 21; ++r) {
    PutFieldRow(r);
    if (r == 0) {
      PutTile(0, 0, kCornerTopLeft);
      PutTile(304, 0, kJunctionTop);
      for (int c = 20; c <= 30; ++c) PutTile(16 * c, 0, kBandHorizontalTop);
      PutTile(496, 0, kCornerTopRight);
    } else if (r == 10) {
      PutTile(0, 160, kBandVertical);
      PutTile(304, 160, kJunctionLeft);
      for (int c = 20; c <= 30; ++c) PutTile(16 * c, 160, kBandHorizontal);
      PutTile(496, 160, kJunctionRight);
    } else {
      PutTile(0, 16 * r, kBandVertical);
      PutTile(304, 16 * r, kBandVertical);
      PutTile(496, 16 * r, kBandVerticalRight);
    }
  }
  PutTile(0, 352, kCornerBottomLeft);
  for (int c = 1; c <= 18; ++c) PutTile(16 * c, 352, kBandHorizontal);
  PutTile(304, 352, kJunctionBottom);
  for (int c = 20; c <= 30; ++c) PutTile(16 * c, 352, kBandHorizontal);
  PutTile(496, 352, kCornerBottomRight);
}

void DrawDayBanner() {
  SetFontName(Display[2], kLabelFont);
  // Move the field down one row. The rows overlap, so copy from the bottom
  // up: each source row is read before anything lands on it.
  for (int r = 20; r >= 0; --r) {
    BlitPicture(Display[2], 16, 16 * (r + 1), 288, 16, Display[2], 16, 16 * r, SRCCOPY);
  }
  const Season& season = SeasonOf(Day);
  PutTile(16, 0, season.Ground);
  PutTile(32, 0, season.Ground);
  PutTile(272, 0, season.Ground);
  PutTile(288, 0, season.Ground);

  const bool tenth = Day % 10 == 0 && ScrollPhase == 0;
  // Every tenth day a capsule in the colour of the coming event stands on the
  // rail; none once only the graduation is left.
  if (tenth && EventIndex <= 11) {
    const EventRecord& next = EventTable[EventIndex + 2];
    PutTile(48, 0, Tile{next.IconSrcX, next.IconSrcY});
  } else {
    PutTile(48, 0, kRailLeft);
  }

  int32_t d = ((Day % 60) / 10) * 5;
  if (d == 0) d = 30;
  if (Day == 660) d = 28;  // the end of February
  if (tenth) {
    char text[16];
    text[0] = ' ';
    int32_t n = 1 + FormatPlainNumber(d, text + 1);
    for (char c : std::string_view("日")) text[n++] = c;
    PrintAt(Display[2], d <= 9 ? 17 : 14, 2, 9, false, season.LabelColour,
            std::string_view(text, static_cast<std::size_t>(n)));
  }
  SetFontName(Display[2], "ＭＳ　Ｐゴシック");
}
