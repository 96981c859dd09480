// What the records screen and the year-end screen draw alike.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"

constexpr std::string_view kTableFont = "HGS創英角ｺﾞｼｯｸUB";
constexpr std::string_view kDefaultFont = "ＭＳ Ｐゴシック";       // ordinary blank
constexpr std::string_view kDefaultFontWide = "ＭＳ　Ｐゴシック";  // ideographic space
constexpr uint32_t kWhite = RGB(255, 255, 255);
constexpr int32_t kTableTextSize = 11;

// Column x positions of the score texts.
constexpr int32_t kTotalX = 222;
constexpr int32_t kStudyX = 286;
constexpr int32_t kSportsX = 326;
constexpr int32_t kArtX = 366;

// "51.2": the whole part, a point and the tenths digit, without blanks.
// buf holds at least 32 bytes.
std::string_view FormatScoreText(int32_t whole, int32_t tenths, char* buf);
// The y of table row p (1..10).
int32_t TableRowY(int32_t p);
