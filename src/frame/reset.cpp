// The new-year reset: every per-year value back to its start, the static
// tables rebuilt, and the name syllables read from da3.txt.
#include <algorithm>

#include "frame/frame.h"
#include "platform/files.h"
#include "play/play.h"
#include "register/register.h"
#include "render/render.h"
#include "sound/sound.h"
#include "title/title.h"

std::string_view MoodName[1001];
std::string_view MoodReading[1001];
int16_t MoodReadingX[1001];
EventRecord EventTable[17];
KindArtRecord KindArt[7];
int16_t PickupInsetX[6];
int16_t PickupInsetY[6];
int16_t DirDX[4];
int16_t DirDY[4];
int16_t TableRow[1001][12];
int16_t DigitSrcX[10];
int16_t DigitSrcY[10];
std::string NameFont;
std::string Syllable[101];

namespace {

// Whatever lies past this reads as the end of the file.
constexpr std::size_t kMaxSyllableFileBytes = std::size_t{64} << 20;
// A syllable is a kana or two; a field of kilobytes from a hand-made file is
// cut (at a character boundary), so that names built of eight syllables for
// up to 999 graduates stay a few megabytes at most.
constexpr std::size_t kMaxFieldBytes = 4096;

void CutField(std::string* field) {
  if (field->size() <= kMaxFieldBytes) return;
  std::size_t end = kMaxFieldBytes;
  while (end > 0 && (static_cast<unsigned char>((*field)[end]) & 0xC0) == 0x80) --end;
  field->resize(end);
}

struct MoodBand {
  int16_t Low, High;
  std::string_view Name, Reading;
  int16_t ReadingX;
};

const MoodBand kMoodBands[] = {
    {0, 10, "人格崩壊", "じんかくほうかい", 373},
    {11, 20, "自暴自棄", "じぼうじき", 389},
    {21, 40, "鬱", "うつ", 401},
    {41, 60, "苦悩", "くのう", 399},
    {61, 80, "自己嫌悪", "じこけんお", 386},
    {81, 95, "落ち込み気味", "おちこみぎみ", 380},
    {96, 105, "平静", "へいせい", 390},
    {106, 120, "得意げ", "とくいげ", 393},
    {121, 140, "鼻高々", "はなたかだか", 378},
    {141, 160, "意気揚揚", "いきようよう", 383},
    {161, 180, "大興奮", "だいこうふん", 380},
    {181, 190, "最高潮", "さいこうちょう", 381},
    {191, 1000, "自己陶酔", "じことうすい", 385},
};

struct EventRow {
  std::string_view Name;
  int16_t Day, Kind, LabelSrcX, LabelSrcY;
};

// Entries 2..14 of the calendar.
const EventRow kEvents[] = {
    {"写生会", 50, 3, 160, 131},
    {"一学期中間テスト", 110, 1, 160, 153},
    {"夏季スポーツ大会", 160, 2, 160, 175},
    {"一学期期末テスト", 210, 1, 160, 197},
    {"文化祭", 340, 3, 160, 219},
    {"体育祭", 380, 2, 213, 131},
    {"二学期中間テスト", 420, 1, 160, 153},
    {"演奏会", 450, 3, 213, 153},
    {"二学期期末テスト", 510, 1, 160, 197},
    {"冬季スポーツ大会", 570, 2, 213, 175},
    {"バレンタインデー", 630, 4, 213, 197},
    {"学年末テスト", 680, 1, 213, 219},
    {"卒業式", 710, 5, 213, 241},
};

const KindArtRecord kKindArt[7] = {
    {0, 0, 0, 0},       {0, 32, 160, 192},  {32, 32, 192, 192}, {64, 32, 224, 192},
    {96, 32, 256, 192}, {256, 32, 288, 96}, {0, 0, 32, 192},
};

const TeacherRecord kTeachers[3] = {
    {0, 256, 64, 16, 0, 15, 0, 0},
    {32, 256, 96, 16, 0, 0, 0, 0},
    {64, 256, 144, 16, 0, 20, 0, 0},
};

}  // namespace

bool ReadTextField(std::string_view text, std::size_t* pos, std::string* field) {
  std::size_t i = *pos;
  // Leading blanks and line ends before a field are skipped.
  while (i < text.size() &&
         (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) {
    ++i;
  }
  if (i >= text.size()) {
    *pos = i;
    return false;
  }
  field->clear();
  if (text[i] == '"') {
    ++i;
    while (i < text.size() && text[i] != '"') field->push_back(text[i++]);
    if (i < text.size()) ++i;  // the closing quote
    // Up to and including the separator after the quoted text.
    while (i < text.size() && text[i] != ',' && text[i] != '\n') ++i;
  } else {
    while (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
      field->push_back(text[i++]);
    }
    while (!field->empty() && (field->back() == ' ' || field->back() == '\t')) field->pop_back();
    if (i < text.size() && text[i] == '\r') ++i;
  }
  if (i < text.size() && (text[i] == ',' || text[i] == '\n')) ++i;
  *pos = i;
  return true;
}

bool ReadSyllableFile(const std::string& path, std::string* font, std::string syllables[82],
                      std::string* cause) {
  std::string text;
  switch (ReadDataFile(path, kMaxSyllableFileBytes, &text)) {
    case FileStatus::Ok:
      return ParseSyllableText(text, font, syllables, cause);
    case FileStatus::Missing:
    case FileStatus::NotRegular:
      *cause = "file not found";
      return false;
    case FileStatus::Unreadable:
      break;
  }
  *cause = "file could not be read";
  return false;
}

bool ParseSyllableText(std::string_view text, std::string* font, std::string syllables[82],
                       std::string* cause) {
  std::size_t pos = 0;
  if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
      static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF) {
    pos = 3;  // a UTF-8 byte order mark is not part of the font name
  }
  std::string field;
  for (int i = 0; i <= 81; ++i) {
    if (!ReadTextField(text, &pos, &field)) {
      *cause = "input past end of file";
      return false;
    }
    CutField(&field);
    if (i == 0) {
      *font = field;
    } else {
      syllables[i] = field;
    }
  }
  return true;
}

void ResetYear() {
  FramePeriod = 27;
  GateSuccess = 0;
  DirDX[0] = -8, DirDX[1] = 0, DirDX[2] = 8, DirDX[3] = 0;
  DirDY[0] = 0, DirDY[1] = -8, DirDY[2] = 0, DirDY[3] = 8;
  PlayerSrcX = 0;
  PlayerSrcY = 32;
  PlayerX = 112;
  PlayerY = 288;
  FaintTimer = 0;
  for (const MoodBand& band : kMoodBands) {
    for (int m = band.Low; m <= band.High; ++m) {
      MoodName[m] = band.Name;
      MoodReading[m] = band.Reading;
      MoodReadingX[m] = band.ReadingX;
    }
  }
  YearPhase = 0;
  for (int k = 1; k <= 6; ++k) KindArt[k] = kKindArt[k];
  const int16_t insetX[6] = {0, 4, 1, 3, 2, 4}, insetY[6] = {0, 1, 10, 3, 2, 3};
  for (int k = 1; k <= 5; ++k) {
    PickupInsetX[k] = insetX[k];
    PickupInsetY[k] = insetY[k];
  }
  for (int k = 1; k <= 5; ++k) {
    for (int s = 0; s <= 15; ++s) Pickups[k][s] = PickupRecord{0, 0, 0};
  }
  for (int k = 0; k <= 4; ++k) PickupFlash[k] = 0;
  for (int t = 0; t <= 2; ++t) Teachers[t] = kTeachers[t];
  for (int i = 0; i <= 30; ++i) {
    Gates[i].X = 0;
    Gates[i].Y = 0;
    Gates[i].Kind = 0;
    Rewards[i] = RewardRecord{0, 0, 0, 0};
  }
  for (int s = 0; s <= 15; ++s) Shots[s] = ShotRecord{0, 192, 0, 0, 0};
  for (int e = 0; e <= 16; ++e) EventTable[e] = EventRecord{};
  for (int i = 0; i < 13; ++i) {
    EventRecord& e = EventTable[i + 2];
    e.Name = kEvents[i].Name;
    e.Day = kEvents[i].Day;
    e.Kind = kEvents[i].Kind;
    e.LabelSrcX = kEvents[i].LabelSrcX;
    e.LabelSrcY = kEvents[i].LabelSrcY;
  }
  for (int i = 1; i <= 12; ++i) {
    EventRecord& e = EventTable[i + 1];
    e.GateSrcX = 128;
    e.GateSrcY = static_cast<int16_t>(e.Kind * 64 - 32);
    switch (e.Kind) {
      case 1:
        e.IconSrcX = 64, e.IconSrcY = 96;
        break;
      case 2:
        e.IconSrcX = 80, e.IconSrcY = 96;
        break;
      case 3:
        e.IconSrcX = 64, e.IconSrcY = 112;
        break;
      case 4:
        e.IconSrcX = 80, e.IconSrcY = 112;
        break;
      default:
        break;
    }
  }
  EventTable[14].GateSrcX = 192;
  EventTable[14].GateSrcY = 32;
  EventIndex = 0;
  CatState = 0;
  CatAnim = 0;
  CatX = 0;
  CatY = -32;
  CatSrcX = 96;
  CatSrcY = 256;
  CatWasHit = 0;
  Day = 0;
  FrameCount = -1;
  ScrollPhase = -1;
  LogoTick = -1;
  YearEndTick = -1;
  RecordsTick = -1;
  PtaTick = -1;
  PlayTick = -1;
  StarFrame = 0;
  StarTick = 0;
  GameMode = -1;
  ShowSchedule = 0;
  BgmTrack = 0;
  BgmLoop[1] = 2400;
  BgmLoop[2] = 1600;
  LastKey = 0;
  std::fill(std::begin(KeyCount), std::end(KeyCount), int16_t{0});
  CurGrad = 0;
  CurRank = 0;
  for (int i = 1; i <= 999; ++i) RankOrder[i] = static_cast<int16_t>(i);
  NameCursor = 0;

  FilePath = DataPath("da\\da3.txt");
  std::string cause;
  std::string syllables[82];
  if (!ReadSyllableFile(FilePath, &NameFont, syllables, &cause)) {
    FatalError(FilePath + ": " + cause);
  }
  Syllable[0].clear();
  for (int i = 1; i <= 81; ++i) Syllable[i] = std::move(syllables[i]);

  for (int row = 1; row <= 10; ++row) {
    const int16_t x[6] = {88, 286, 326, 366, 222, 424};
    for (int c = 0; c < 6; ++c) {
      TableRow[row][c] = x[c];
      TableRow[row][6 + c] = static_cast<int16_t>(18 * row + 72);
    }
  }
  for (int d = 0; d <= 9; ++d) {
    DigitSrcX[d] = static_cast<int16_t>(10 * d);
    DigitSrcY[d] = 240;
  }
}
