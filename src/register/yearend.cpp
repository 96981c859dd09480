// The year-end screen: the graduate table with the student's own row and
// the name entry, spelt with romaji-like letter keys.
#include "draw/draw.h"
#include "frame/frame.h"
#include "register/register.h"
#include "register/table.h"

namespace {

constexpr int16_t kLastEntrySyllable = 81;

// A letter key starts its group at First and steps through to Last.
struct LetterGroup {
  int16_t Key, First, Last;
};
constexpr LetterGroup kLetterGroups[] = {
    {'A', 1, 1},   {'I', 2, 2},   {'U', 3, 3},   {'E', 4, 4},   {'O', 5, 5},
    {'K', 6, 10},  {'S', 11, 15}, {'T', 16, 20}, {'N', 21, 25}, {'H', 26, 30},
    {'M', 31, 35}, {'Y', 36, 38}, {'R', 39, 43}, {'W', 44, 45}, {'G', 47, 51},
    {'Z', 52, 56}, {'D', 57, 61}, {'B', 62, 66}, {'P', 67, 71}, {'X', 72, 80},
};

// The syllable that a letter key puts at a position holding v; -1 for a
// key that is not a letter of the entry.
int16_t NextInGroup(int16_t key, int16_t v) {
  for (const LetterGroup& g : kLetterGroups) {
    if (g.Key != key) continue;
    if (key == 'N' && v == 25) return 46;  // N goes on past its row to 46
    return (v >= g.First && v < g.Last) ? static_cast<int16_t>(v + 1) : g.First;
  }
  return -1;
}

}  // namespace

bool NameIsValid(const int16_t name[8]) {
  bool seenEmpty = false, seenFilled = false;
  for (int k = 0; k < 8; ++k) {
    if (name[k] == 0) {
      seenEmpty = true;
    } else {
      if (seenEmpty) return false;
      seenFilled = true;
    }
  }
  return seenFilled;
}

void NameEntryKeys() {
  if (LastKey < 0 || LastKey > 1000 || KeyCount[LastKey] != 1) return;
  if (CurGrad < 1 || CurGrad > 1000 || NameCursor < 0 || NameCursor > 7) return;
  int16_t* name = GradSyllables[CurGrad];
  int16_t& v = name[NameCursor];
  const bool shown = CurRank <= 10;
  switch (LastKey) {
    case 32:
      if (YearEndTick >= 30 && NameIsValid(name)) GameMode = 0;
      break;
    case 38:
      if (shown && --v < 0) v = kLastEntrySyllable;
      break;
    case 40:
      // A name read from a file may hold a syllable past the entry's last.
      if (shown && ++v > kLastEntrySyllable) v = 0;
      break;
    case 37:
      if (shown) NameCursor = NameCursor == 0 ? 7 : NameCursor - 1;
      break;
    case 39:
      if (shown) NameCursor = NameCursor == 7 ? 0 : NameCursor + 1;
      break;
    case 46:
      v = 0;
      break;
    default: {
      int16_t next = NextInGroup(LastKey, v);
      if (next >= 0) v = next;
    }
  }
}

void DrawOwnRow() {
  Surface& s = Display[1];
  SetFontName(s, kTableFont);
  const int32_t t = (YearEndTick % 32 + 32) % 32;
  const uint32_t highlight = RGB(255, 255 - 4 * t, 255 - 4 * t);
  if (CurRank >= 1 && CurRank <= 10 && CurGrad >= 1 && CurGrad <= 1000) {
    const int32_t g = CurGrad, y = TableRowY(CurRank);
    char buf[32];
    PrintAt(s, CurRank == 10 ? 58 : 62, y, kTableTextSize, false, highlight, int32_t{CurRank});
    PrintAt(s, kTotalX, y, kTableTextSize, false, highlight,
            FormatScoreText(GradScoreInt[g][4], GradScoreFrac[g][4], buf));
    PrintAt(s, kStudyX, y, kTableTextSize, false, highlight,
            FormatScoreText(GradScoreInt[g][1], GradScoreFrac[g][1], buf));
    PrintAt(s, kSportsX, y, kTableTextSize, false, highlight,
            FormatScoreText(GradScoreInt[g][2], GradScoreFrac[g][2], buf));
    PrintAt(s, kArtX, y, kTableTextSize, false, highlight,
            FormatScoreText(GradScoreInt[g][3], GradScoreFrac[g][3], buf));
    if (GradSchool[g] == 1) {
      PrintAt(s, 416, y, kTableTextSize, false, highlight, "正面");
    } else {
      PrintAt(s, 423, y, kTableTextSize, false, highlight, "左");
    }
    DrawLine(s, 88 + 14 * NameCursor, y + 16, 104 + 14 * NameCursor, y + 16, kWhite);
    for (int32_t k = 0; k < 8; ++k) {
      int16_t syllable = GradSyllables[g][k];
      if (syllable < 0 || syllable > 100) continue;
      PrintAt(s, 88 + 14 * k, y, kTableTextSize, false, kWhite, Syllable[syllable]);
    }
  }
  SetFontName(s, kDefaultFont);
}

void YearEnd() {
  while (GameMode == 2) {
    FrameStart = PlatformClockMs();
    DoEvents();
    if (++YearEndTick > 16000) YearEndTick = 0;
    PollKeys();
    NameEntryKeys();
    CopyTiles(2, 1, 0, 0, 36, 24);
    DrawTopTen();
    DrawOwnRow();
    DrawAverages();
    if (CurGrad >= 1 && CurGrad <= 1000) {
      for (int k = 0; k < 8; ++k) LastName[k] = GradSyllables[CurGrad][k];
    }
    CopyTiles(1, 0, 0, 0, 36, 24);
    if (GameMode != 2) return;
    PaceFrame(FramePeriod);
  }
}
