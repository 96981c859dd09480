// The graduate table (the ten best, the averages, the count) and the
// records screen that the title menu opens.
#include <algorithm>

#include "draw/draw.h"
#include "frame/frame.h"
#include "register/register.h"
#include "register/table.h"

std::string_view FormatScoreText(int32_t whole, int32_t tenths, char* buf) {
  // Abilities can fall below zero; both parts then carry the sign, and the
  // text shows it once, in front: -15 is "-1.5", not "-1.-5".
  int32_t n = 0;
  if (whole < 0 || tenths < 0) {
    buf[n++] = '-';
    whole = -whole;  // a tenth of a 32-bit value, so it negates safely
    tenths = -tenths;
  }
  n += FormatPlainNumber(whole, buf + n);
  buf[n++] = '.';
  n += FormatPlainNumber(tenths, buf + n);
  return std::string_view(buf, static_cast<size_t>(n));
}

int32_t TableRowY(int32_t p) { return TableRow[p][6]; }

void DrawRecords() {
  Surface& s = Display[2];
  SetFontName(s, kTableFont);
  for (int32_t i = 0; i <= 23; ++i) {
    DrawFilledBox(s, 0, 16 * i, 512, 16 * i + 15, RGB(0, 73 - i, 146 - 2 * i));
  }
  for (int32_t i = 1; i <= 10; ++i) {
    PrintShadow(s, i == 10 ? 58 : 62, 18 * i + 72, kTableTextSize, false, kWhite, i);
  }
  DrawLine(s, 64, 80, 448, 80, kWhite);
  DrawLine(s, 64, 276, 448, 276, kWhite);
  DrawSprite(s, 204, 23, 103, 17, Chip[3], 0, 96, 0, 113);  // 卒業生の記録
  PrintShadow(s, 64, 288, kTableTextSize, false, kWhite, "Av.");
  PrintShadow(s, 128, 56, kTableTextSize, false, kWhite, "名前");
  PrintShadow(s, 228, 56, kTableTextSize, false, kWhite, "総合");
  PrintShadow(s, 416, 56, kTableTextSize, false, kWhite, "出身");
  DrawSprite(s, 256, 321, 69, 16, Chip[3], 0, 130, 0, 146);    // 卒業者数：
  DrawSprite(s, 378, 321, 14, 16, Chip[3], 69, 130, 69, 146);  // 人
  DrawSprite(s, 292, 56, 16, 16, Chip[0], 0, 128, 32, 128);    // study
  DrawSprite(s, 332, 56, 16, 16, Chip[0], 16, 128, 48, 128);   // sports
  DrawSprite(s, 372, 56, 16, 16, Chip[0], 0, 144, 32, 144);    // art
  SetFontName(s, kDefaultFont);
}

void DrawTopTen() {
  Surface& s = Display[1];
  int32_t counter = (GameMode == 2 || GameMode == 0) ? YearEndTick : RecordsTick;
  int32_t f = ((counter % 16) + 16) % 16;
  static constexpr int32_t kStarMaskX[4] = {64, 80, 64, 80};
  static constexpr int32_t kStarMaskY[4] = {128, 128, 144, 144};
  const int32_t maskX = kStarMaskX[f / 4], maskY = kStarMaskY[f / 4];
  struct Star {
    int32_t X, Y, PictureOffset;  // 32 green, 64 pink
  };
  static constexpr Star kStars[8] = {{168, 24, 32}, {328, 24, 32},  {32, 32, 64},   {464, 32, 64},
                                     {32, 320, 64}, {464, 320, 64}, {224, 320, 32}, {408, 320, 32}};
  for (const Star& star : kStars) {
    DrawSprite(s, star.X, star.Y, 16, 16, Chip[0], maskX, maskY, maskX + star.PictureOffset, maskY);
  }

  char buf[32];
  for (int32_t p = 1; p <= 10; ++p) {
    // Positions past the count are records not in use.
    if (p > GraduateCount) break;
    int32_t g = RankOrder[p];
    if (g < 0 || g > 1000 || GradScore[g][4] == 0) continue;
    int32_t y = TableRowY(p);
    SetFontName(s, NameFont);
    PrintShadow(s, 88, y, kTableTextSize, false, kWhite, GradName[g]);
    SetFontName(s, kTableFont);
    PrintShadow(s, kTotalX, y, kTableTextSize, false, kWhite,
                FormatScoreText(GradScoreInt[g][4], GradScoreFrac[g][4], buf));
    PrintShadow(s, kStudyX, y, kTableTextSize, false, kWhite,
                FormatScoreText(GradScoreInt[g][1], GradScoreFrac[g][1], buf));
    PrintShadow(s, kSportsX, y, kTableTextSize, false, kWhite,
                FormatScoreText(GradScoreInt[g][2], GradScoreFrac[g][2], buf));
    PrintShadow(s, kArtX, y, kTableTextSize, false, kWhite,
                FormatScoreText(GradScoreInt[g][3], GradScoreFrac[g][3], buf));
    if (GradSchool[g] == 1) {
      PrintShadow(s, 416, y, kTableTextSize, false, kWhite, "正面");
    } else {
      PrintShadow(s, 423, y, kTableTextSize, false, kWhite, "左");
    }
  }
  SetFontName(s, kDefaultFont);
}

void DrawAverages() {
  if (GraduateCount < 1) return;
  Surface& s = Display[1];
  SetFontName(s, NameFont);
  static constexpr int32_t kColumnX[5] = {0, kStudyX, kSportsX, kArtX, kTotalX};
  char buf[32];
  for (int16_t j = 4; j >= 1; --j) {  // total first, then study, sports, art
    int32_t average = AverageScore(j);
    PrintShadow(s, kColumnX[j], 288, kTableTextSize, false, kWhite,
                FormatScoreText(average / 10, average % 10, buf));
  }

  const int32_t count = std::min(GraduateCount, 9999);
  static constexpr int32_t kPlace[5] = {0, 1000, 100, 10, 1};
  for (int32_t q = 1; q <= 4; ++q) {
    // Leading zeros are left out; the units digit is always drawn.
    if (q < 4 && count < kPlace[q]) continue;
    int32_t d = count / kPlace[q] % 10;
    DrawSprite(s, 322 + 10 * q, 320, 10, 16, Chip[3], DigitSrcX[d], DigitSrcY[d] - 16, DigitSrcX[d],
               DigitSrcY[d]);
  }
  SetFontName(s, kDefaultFontWide);
}

void RecordsLoop() {
  while (GameMode == 3) {
    FrameStart = PlatformClockMs();
    DoEvents();
    ++RecordsTick;
    PollKeys();
    CopyTiles(2, 1, 0, 0, 32, 24);
    DrawTopTen();
    DrawAverages();
    CopyTiles(1, 0, 0, 0, 32, 24);
    PaceFrame(FramePeriod);
    if (LastKey == 27) {
      GameMode = 27;
    } else if (LastKey == 32 && KeyCount[32] == 1) {
      GameMode = 0;
    }
  }
}
