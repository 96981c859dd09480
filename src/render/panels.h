// The status panels of the play screen: the pure arithmetic behind the mood
// star, the ability rows, the month label and the schedule, kept apart from
// the drawing so it can be checked without a surface.
#pragma once

#include <cstdint>
#include <string_view>

// Font names requested by the panels. The two Gothic spellings are distinct
// names: one has an ordinary blank, the other an ideographic space.
inline constexpr std::string_view kPopFontName = "HGP創英角ﾎﾟｯﾌﾟ体";
inline constexpr std::string_view kGothicFontName = "ＭＳ Ｐゴシック";
inline constexpr std::string_view kGothicWideFontName = "ＭＳ\u3000Ｐゴシック";

// ---- Mood panel ----

// Frames per quarter turn of the star for a mood band name; 55 (the slowest)
// for a name that is no band, so the modulo never divides by zero.
int16_t StarPeriod(std::string_view bandName);
// One tick of the star: advances StarTick (255 wraps to 0) and turns
// StarFrame a quarter when the new tick is a multiple of the period.
void StepStar(int16_t period);

struct SpriteCell {
  int16_t MaskX, MaskY, PicX, PicY;
};
// The star's 80 x 80 cells on Chip(2) for StarFrame 0..3.
SpriteCell StarCell(int16_t frame);

// ---- Ability rows ----

// Top of ability row i = 1..4: 180, 222, 264, 306.
constexpr int16_t AbilityRowY(int16_t i) { return static_cast<int16_t>(180 + 42 * (i - 1)); }
// Rotation 0..3 of a pick-up icon for its flash timer; -1 when the timer is
// outside 0..31 and no icon is drawn.
int16_t IconRotation(int16_t flash);
// The value in tenths as "52.3"; returns the length written into buf
// (at least 16 bytes).
int32_t FormatAbility(int16_t ability, char* buf);
// Right end column of the gauge bar (at most 488, the gauge's right end).
int16_t GaugeEnd(int16_t ability);
// Light red from 500 up, light blue below.
uint32_t GaugeColour(int16_t ability);

// ---- Month label and schedule ----

// The month 1..12 shown for a calendar step: steps 1..60 are April.
int16_t MonthOfDay(int16_t day);
// Position of schedule line n = 1..12 (event number n), earliest at the bottom.
int16_t ScheduleLineX(int16_t n);
int16_t ScheduleLineY(int16_t n);
// Name colour of schedule line n: by the event's kind, grey once reached.
uint32_t ScheduleColour(int16_t n, int16_t eventIndex);
// The twinkling marker's 16 x 16 cells on Chip(0) for a PlayTick value.
SpriteCell MarkerCell(int32_t playTick);

// ---- PTA scene ----

// x of the cancellation notice ("<event>は") for event number e.
int16_t PtaNoticeX(int16_t e);
