// The lower right panel: one row per ability with the pick-up icon that
// feeds it, the value in a striped box and a gauge centred on 50.0.
#include "draw/draw.h"
#include "frame/frame.h"
#include "play/play.h"
#include "render/panels.h"
#include "render/render.h"

namespace {

constexpr uint32_t kWhite = RGB(255, 255, 255);
constexpr int16_t kGaugeLeft = 368;   // ability 250
constexpr int16_t kGaugeMark = 428;   // ability 500
constexpr int16_t kGaugeRight = 488;  // ability 750

}  // namespace

int16_t IconRotation(int16_t flash) {
  if (flash < 0 || flash > 31) return -1;
  return static_cast<int16_t>((flash % 16) / 4);
}

int32_t FormatAbility(int16_t ability, char* buf) {
  int32_t n = FormatPlainNumber(ability / 10, buf);
  buf[n++] = '.';
  n += FormatPlainNumber(ability % 10, buf + n);
  return n;
}

int16_t GaugeEnd(int16_t ability) {
  // ability * 0.24 + 308 to the nearest pixel; 0.24a = 6a/25 never ends in
  // exactly one half, so integer rounding is exact.
  const int32_t g = 308 + (24 * static_cast<int32_t>(ability) + 50) / 100;
  return static_cast<int16_t>(g > kGaugeRight ? kGaugeRight : g);
}

uint32_t GaugeColour(int16_t ability) {
  return ability >= 500 ? RGB(255, 122, 122) : RGB(100, 200, 255);
}

void DrawAbilityIcons() {
  Surface& back = Display[1];
  for (int16_t i = 1; i <= 4; ++i) {
    const int16_t y = AbilityRowY(i);
    const int16_t r = IconRotation(PickupFlash[i]);
    if (r >= 0) {
      const int32_t sx = 32 * (i - 1);
      DrawSprite(back, 328, y, 32, 32, Chip[1], sx, 64 * r, sx, 64 * r + 32);
    }
    // Stripes on every other row; the rows between keep what lies below.
    for (int32_t sy = y + 24; sy <= y + 40; sy += 2) {
      DrawFilledBox(back, 329, sy, 359, sy, RGB(112, 0, 0));
    }
    DrawBox(back, 329, y + 24, 360, y + 40, RGB(255, 0, 0));
  }
}

void DrawAbilityPanel() {
  Surface& back = Display[1];
  char text[32];
  for (int16_t i = 1; i <= 4; ++i) {
    const int16_t y = AbilityRowY(i);
    const int16_t a = Ability[i];
    const int32_t len = FormatAbility(a, text);
    PrintAt(back, 334, y + 26, 10, false, RGB(255, 247, 211), std::string_view(text, len));

    if (a > 250) DrawFilledBox(back, kGaugeLeft, y + 12, GaugeEnd(a), y + 28, GaugeColour(a));
    SetLineWidth(back, 2);
    DrawBox(back, kGaugeLeft, y + 12, kGaugeRight, y + 28, kWhite);
    DrawLine(back, kGaugeMark, y + 12, kGaugeMark, y + 28, kWhite);
    SetLineWidth(back, 1);
  }
}
