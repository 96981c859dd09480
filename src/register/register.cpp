// The graduate register: its state, the two text files da1.txt and da2.txt,
// the names, the scores and the ranking that play keeps up to date.
#include "register/register.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "frame/frame.h"
#include "platform/files.h"
#include "play/play.h"
#include "register/store.h"

int32_t GraduateCount;
int32_t GradSchool[1001];
int16_t GradSyllables[1001][8];
int32_t GradScore[1001][5];
int32_t GradScoreInt[1001][5];
int32_t GradScoreFrac[1001][5];
std::string GradName[1001];
int16_t RankOrder[1001];
int16_t CurGrad;
int16_t CurRank;
int16_t LastName[8];

int32_t RecordsTick = -1;
int32_t YearEndTick = -1;
int16_t NameCursor;

std::string RegisterSaveError;
std::string RegisterNotice;
int32_t RegisterFailAtStep;
int32_t RegisterFailSteps = 1;

namespace {

constexpr int32_t kSlots = 1000;        // records 1..1000
constexpr int64_t kLastSyllable = 100;  // Syllable(0..100)
const char kSaveFailedText[] = "卒業生の記録を保存できませんでした";
const char kKeptDamagedText[] = "壊れていた卒業生の記録を別の名前で残しました";

// The files as this copy of the game last read or wrote them.
RegisterFingerprint LoadedFiles;

// Graduates of this run that no save has stored yet: normally just this
// year's, more after failed saves. A save that finds the files changed by
// another copy of the game adds these to what it finds.
struct PendingRecord {
  int32_t School;
  int16_t Syllables[8];
  int32_t Score[4];
};
std::vector<PendingRecord> Pending;
bool CurGradQueued = false;

// A record's three scores can come from a file with any 32-bit values, so
// the total saturates instead of wrapping.
int32_t SumOfScores(int32_t study, int32_t sports, int32_t art) {
  int64_t sum = int64_t{study} + sports + art;
  return static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

void SetDisplayParts(int32_t i) {
  for (int j = 1; j <= 4; ++j) {
    GradScoreInt[i][j] = GradScore[i][j] / 10;   // toward zero
    GradScoreFrac[i][j] = GradScore[i][j] % 10;  // sign of the dividend
  }
}

void RecomputeTotals() {
  for (int32_t i = 1; i <= std::min(GraduateCount, kSlots); ++i) {
    GradScore[i][4] = SumOfScores(GradScore[i][1], GradScore[i][2], GradScore[i][3]);
    SetDisplayParts(i);
  }
}

// One value of the free format: blanks, tabs and line breaks before it are
// skipped; it ends at a blank, a tab, a comma or a line break, and one
// comma after it is taken as the separator. False at the end of the text,
// for anything but an optionally signed decimal number, and outside lo..hi.
bool ReadNumber(std::string_view text, size_t* pos, int64_t lo, int64_t hi, int64_t* value) {
  size_t p = *pos;
  while (p < text.size() &&
         (text[p] == ' ' || text[p] == '\t' || text[p] == '\r' || text[p] == '\n')) {
    ++p;
  }
  size_t start = p;
  while (p < text.size() && text[p] != ' ' && text[p] != '\t' && text[p] != '\r' &&
         text[p] != '\n' && text[p] != ',') {
    ++p;
  }
  std::string_view token = text.substr(start, p - start);
  bool negative = false;
  if (!token.empty() && (token[0] == '-' || token[0] == '+')) {
    negative = token[0] == '-';
    token.remove_prefix(1);
  }
  if (token.empty()) return false;
  int64_t magnitude = 0;
  for (char c : token) {
    if (c < '0' || c > '9') return false;
    // Anything past 11 digits is out of every range; stop before it wraps.
    if (magnitude < 100000000000) magnitude = magnitude * 10 + (c - '0');
  }
  int64_t v = negative ? -magnitude : magnitude;
  if (v < lo || v > hi) return false;
  while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
  if (p < text.size() && text[p] == ',') ++p;
  *pos = p;
  *value = v;
  return true;
}

// Editors may put a UTF-8 byte order mark at the start; it reads as nothing.
std::string_view WithoutByteOrderMark(std::string_view text) {
  return text.substr(0, 3) == "\xEF\xBB\xBF" ? text.substr(3) : text;
}

void AppendNumberLine(std::string* out, int32_t value) {
  char buf[24];
  int n = std::snprintf(buf, sizeof buf, "%c%lld \r\n", value < 0 ? '-' : ' ',
                        static_cast<long long>(value < 0 ? -int64_t{value} : int64_t{value}));
  out->append(buf, static_cast<size_t>(n));
}

void ClearRecords() {
  GraduateCount = 0;
  for (int32_t i = 0; i <= kSlots; ++i) {
    GradSchool[i] = 0;
    for (int k = 0; k < 8; ++k) GradSyllables[i][k] = 0;
    for (int j = 0; j <= 4; ++j) {
      GradScore[i][j] = 0;
      GradScoreInt[i][j] = 0;
      GradScoreFrac[i][j] = 0;
    }
    GradName[i].clear();
    RankOrder[i] = (i >= 1 && i <= kMaxStoredGraduates) ? static_cast<int16_t>(i) : 0;
  }
}

}  // namespace

void ClearRegister() {
  ClearRecords();
  CurGrad = 0;
  CurRank = 0;
  for (int16_t& s : LastName) s = 0;
  RegisterSaveError.clear();
  RegisterNotice.clear();
  LoadedFiles = RegisterFingerprint{};
  Pending.clear();
  CurGradQueued = false;
}

namespace {

// Reads the two files' values in order; with store false it only checks
// them, leaving the register as it is. Any value that cannot be taken
// stops the reading, keeping what was stored so far.
RegisterReadResult ReadRegisterText(const std::string_view* da1, const std::string_view* da2,
                                    bool store) {
  RegisterReadResult result;
  // Without da1.txt the groups of a da2.txt cannot be counted.
  if (!da1) {
    result.Whole = !da2 || da2->find_first_not_of(" \t\r\n") == std::string_view::npos;
    return result;
  }
  const std::string_view text1 = WithoutByteOrderMark(*da1);
  size_t pos = 0;
  int64_t v;
  if (!ReadNumber(text1, &pos, 0, INT32_MAX, &v)) return result;
  // A count beyond what the game writes keeps the best records (the file
  // is in rank order) and leaves a slot for the next student.
  const int32_t count = static_cast<int32_t>(std::min<int64_t>(v, kMaxStoredGraduates));
  const bool countWhole = v <= kMaxStoredGraduates;
  if (store) GraduateCount = count;
  for (int k = 0; k < 8; ++k) {
    if (!ReadNumber(text1, &pos, 0, kLastSyllable, &v)) return result;
    if (store) LastName[k] = static_cast<int16_t>(v);
  }

  if (!da2) {
    result.Whole = count == 0;
    return result;
  }
  const std::string_view text2 = WithoutByteOrderMark(*da2);
  pos = 0;
  for (int32_t i = 1; i <= count; ++i) {
    if (!ReadNumber(text2, &pos, INT32_MIN, INT32_MAX, &v)) return result;
    if (store) GradSchool[i] = static_cast<int32_t>(v);
    for (int k = 0; k < 8; ++k) {
      if (!ReadNumber(text2, &pos, 0, kLastSyllable, &v)) return result;
      if (store) GradSyllables[i][k] = static_cast<int16_t>(v);
    }
    for (int j = 1; j <= 3; ++j) {
      if (!ReadNumber(text2, &pos, INT32_MIN, INT32_MAX, &v)) return result;
      if (store) GradScore[i][j] = static_cast<int32_t>(v);
    }
    result.RecordsRead = i;
  }
  if (store) RecomputeTotals();
  // Anything after the last group would be lost by the next save.
  result.Whole = countWhole && text2.find_first_not_of(" \t\r\n", pos) == std::string_view::npos;
  return result;
}

}  // namespace

RegisterReadResult LoadRegisterFromText(const std::string_view* da1, const std::string_view* da2) {
  return ReadRegisterText(da1, da2, true);
}

void LoadRegister() {
  BeginRegisterSteps(false);
  std::string error;
  if (!LockRegisterFolder(&error)) {
    std::fprintf(stderr, "kurunoa: %s; the register is read without it\n", error.c_str());
  }
  RegisterFiles files;
  ReadRegisterFiles(&files);
  UnlockRegisterFolder();
  LoadedFiles = FingerprintOf(files);
  std::string_view view1 = files.Text1, view2 = files.Text2;
  if (files.Has1) LoadRegisterFromText(&view1, files.Has2 ? &view2 : nullptr);
}

void FormatRegisterFiles(std::string* da1, std::string* da2) {
  int32_t n = std::clamp(GraduateCount, 0, kSlots);
  da1->clear();
  AppendNumberLine(da1, GraduateCount);
  for (int16_t s : LastName) AppendNumberLine(da1, s);
  da2->clear();
  da2->reserve(static_cast<size_t>(n) * 12 * 8);
  for (int32_t p = 1; p <= n; ++p) {
    int32_t g = RankOrder[p] >= 0 && RankOrder[p] <= kSlots ? RankOrder[p] : 0;
    AppendNumberLine(da2, GradSchool[g]);
    for (int16_t s : GradSyllables[g]) AppendNumberLine(da2, s);
    for (int j = 1; j <= 3; ++j) AppendNumberLine(da2, GradScore[g][j]);
  }
}

namespace {

// The register in memory becomes what the files hold (the graduates that
// could be read) plus the graduates of this run not saved yet, ranked and
// cut to 999 as at every year end. This copy's last name stays.
void RebuildFromFiles(const RegisterFiles& files) {
  int16_t name[8];
  std::copy(LastName, LastName + 8, name);
  ClearRecords();
  std::string_view view1 = files.Text1, view2 = files.Text2;
  const RegisterReadResult read =
      LoadRegisterFromText(files.Has1 ? &view1 : nullptr, files.Has2 ? &view2 : nullptr);
  GraduateCount = read.RecordsRead;
  RecomputeTotals();
  std::copy(name, name + 8, LastName);
  for (int32_t p = 1; p <= kMaxStoredGraduates; ++p) RankOrder[p] = static_cast<int16_t>(p);
  for (const PendingRecord& r : Pending) {
    if (GraduateCount >= kSlots) {
      SortGraduates();
      GraduateCount = kMaxStoredGraduates;
    }
    const int32_t g = ++GraduateCount;
    RankOrder[g] = static_cast<int16_t>(g);
    GradSchool[g] = r.School;
    std::copy(r.Syllables, r.Syllables + 8, GradSyllables[g]);
    std::copy(r.Score, r.Score + 4, GradScore[g]);
    GradScore[g][4] = SumOfScores(r.Score[1], r.Score[2], r.Score[3]);
    SetDisplayParts(g);
    CurGrad = static_cast<int16_t>(g);  // the last one is this year's
  }
  SortGraduates();
  if (GraduateCount >= kSlots) GraduateCount = kMaxStoredGraduates;
}

// Under the folder's lock: the files as they stand now decide what is
// written; a damaged pair is kept aside first.
bool SaveUnderLock(std::string* error) {
  RegisterFiles files;
  ReadRegisterFiles(&files);
  std::string_view view1 = files.Text1, view2 = files.Text2;
  const RegisterReadResult read =
      ReadRegisterText(files.Has1 ? &view1 : nullptr, files.Has2 ? &view2 : nullptr, false);
  const RegisterFingerprint now = FingerprintOf(files);
  if (!read.Whole) {
    std::string kept;
    if (!KeepDamagedFiles(files, &kept, error)) return false;
    RegisterNotice = kKeptDamagedText;
    std::fprintf(stderr,
                 "kurunoa: the graduate register could not be read whole; the files were kept as "
                 "%s before saving\n",
                 kept.c_str());
  }
  if (!read.Whole || (LoadedFiles.Known && now != LoadedFiles)) RebuildFromFiles(files);

  std::string da1, da2, late;
  FormatRegisterFiles(&da1, &da2);
  if (!CommitRegisterFiles(da1, da2, &late, error)) return false;
  if (!late.empty()) {
    std::fprintf(stderr, "kurunoa: the register is saved; the next start finishes it (%s)\n",
                 late.c_str());
  }
  RegisterFiles written;
  written.Has1 = written.Has2 = true;
  written.Text1 = std::move(da1);
  written.Text2 = std::move(da2);
  LoadedFiles = FingerprintOf(written);
  return true;
}

}  // namespace

void SaveRegister() {
  std::string error;
  BeginRegisterSteps(true);
  RegisterNotice.clear();
  const std::string folder = RegisterFolder();
  PlatformRegisterBegin(folder);
  bool saved = LockRegisterFolder(&error) && SaveUnderLock(&error);
  UnlockRegisterFolder();
  saved = PlatformRegisterEnd(folder, saved, &error) && saved;
  RegisterSaveSteps = RegisterStepsTaken;
  RecomputeTotals();
  if (saved) {
    RegisterSaveError.clear();
    Pending.clear();
  } else {
    RegisterSaveError = kSaveFailedText;
    std::fprintf(stderr, "kurunoa: the graduate register was not saved: %s\n", error.c_str());
  }
}

void OpenGraduateRecord(int16_t school) {
  // A register loaded from a hand-made file may be full; the new record
  // must still fit the 1000 slots.
  if (GraduateCount > 999) GraduateCount = 999;
  GraduateCount = GraduateCount + 1;
  CurGrad = static_cast<int16_t>(GraduateCount);
  RankOrder[CurGrad] = CurGrad;
  GradSchool[CurGrad] = school;
  for (int k = 0; k <= 7; ++k) GradSyllables[CurGrad][k] = LastName[k];
  CurGradQueued = false;
}

void BuildGraduateNames() {
  for (int32_t i = 1; i <= std::min(GraduateCount, kSlots); ++i) {
    GradName[i].clear();
    for (int16_t s : GradSyllables[i]) {
      if (s >= 0 && s <= kLastSyllable) GradName[i] += Syllable[s];
    }
  }
}

void UpdateCurrentScores() {
  if (CurGrad < 1 || CurGrad > kSlots) return;
  int32_t* score = GradScore[CurGrad];
  score[1] = Ability[1];
  score[2] = Ability[2];
  score[3] = Ability[3];
  // Three 16-bit abilities always fit a 32-bit total, so it never wraps.
  score[4] = score[1] + score[2] + score[3];
  SetDisplayParts(CurGrad);
}

void Swap(int16_t& a, int16_t& b) {
  int16_t t = a;
  a = b;
  b = t;
}

void SortGraduates() {
  // The exchange order below decides where equal totals end up, so it is
  // kept as it is; the totals are only read once into a table that follows
  // the exchanges, which keeps the 499,500 comparisons in cache.
  static int32_t total[kSlots + 1];
  const int32_t n = std::clamp(GraduateCount, 0, kSlots);
  for (int32_t p = 1; p <= n; ++p) {
    int16_t g = RankOrder[p];
    total[p] = g >= 0 && g <= kSlots ? GradScore[g][4] : 0;
  }
  // A pass whose first entry is not below any later one exchanges nothing.
  // Such passes lead the procedure wherever the order is still intact (every
  // play frame in which the current total keeps its place), so they are
  // skipped: the first pass that can exchange starts from the same order.
  int32_t descent = 1;
  while (descent < n && total[descent] >= total[descent + 1]) ++descent;
  int32_t first = n;
  if (descent < n) {
    const int32_t laterMax = *std::max_element(total + descent + 1, total + n + 1);
    first = 1;
    while (first < descent && total[first] >= laterMax) ++first;
  }
  for (int32_t a = first; a < n; ++a) {
    // Position a is held in registers while b runs; the exchange is written
    // without a branch, since on a shuffled register it is taken at random.
    int32_t totalA = total[a];
    int32_t recordA = RankOrder[a];
    for (int32_t b = a + 1; b <= n; ++b) {
      const int32_t totalB = total[b], recordB = RankOrder[b];
      const int32_t exchange = -static_cast<int32_t>(totalA < totalB);  // all bits or none
      const int32_t flipTotal = (totalA ^ totalB) & exchange;
      const int32_t flipRecord = (recordA ^ recordB) & exchange;
      totalA ^= flipTotal;
      recordA ^= flipRecord;
      total[b] = totalB ^ flipTotal;
      RankOrder[b] = static_cast<int16_t>(recordB ^ flipRecord);
    }
    total[a] = totalA;
    RankOrder[a] = static_cast<int16_t>(recordA);
  }
  for (int32_t p = n; p >= 1; --p) {
    if (RankOrder[p] == CurGrad) CurRank = static_cast<int16_t>(p);
  }
}

namespace {

// After a failed save the records are renumbered in rank order in memory,
// as the reload would have done, so that the cut to 999 drops the record
// at rank 1000 and not whichever record has number 1000.
void RenumberByRank() {
  static int32_t school[kSlots + 1];
  static int16_t syllables[kSlots + 1][8];
  static int32_t score[kSlots + 1][5];
  const int32_t n = std::clamp(GraduateCount, 0, kSlots);
  for (int32_t p = 1; p <= n; ++p) {
    int32_t g = RankOrder[p] >= 0 && RankOrder[p] <= kSlots ? RankOrder[p] : 0;
    school[p] = GradSchool[g];
    std::copy(GradSyllables[g], GradSyllables[g] + 8, syllables[p]);
    std::copy(GradScore[g], GradScore[g] + 5, score[p]);
  }
  for (int32_t p = 1; p <= n; ++p) {
    GradSchool[p] = school[p];
    std::copy(syllables[p], syllables[p] + 8, GradSyllables[p]);
    std::copy(score[p], score[p] + 5, GradScore[p]);
    SetDisplayParts(p);
  }
  for (int32_t p = 1; p <= kMaxStoredGraduates; ++p) RankOrder[p] = static_cast<int16_t>(p);
}

}  // namespace

void RunYearEndSave() {
  SortGraduates();
  if (CurGrad >= 1 && CurGrad <= kSlots && !CurGradQueued) {
    PendingRecord r{GradSchool[CurGrad], {}, {}};
    std::copy(GradSyllables[CurGrad], GradSyllables[CurGrad] + 8, r.Syllables);
    std::copy(GradScore[CurGrad], GradScore[CurGrad] + 4, r.Score);
    Pending.push_back(r);
    CurGradQueued = true;
  }
  if (GraduateCount >= kSlots) GraduateCount = kMaxStoredGraduates;
  SaveRegister();
  if (RegisterSaveError.empty()) {
    LoadRegister();
    for (int32_t p = 1; p <= kMaxStoredGraduates; ++p) RankOrder[p] = static_cast<int16_t>(p);
  } else {
    // The files on disk are older than this year: keep the register in
    // memory as it stands so that the next year end can still save it.
    RenumberByRank();
  }
  BuildGraduateNames();
}

int32_t AverageScore(int16_t j) {
  if (GraduateCount < 1 || j < 1 || j > 4) return 0;
  const int32_t n = std::min(GraduateCount, kSlots);
  int64_t sum = 0;
  for (int32_t i = 1; i <= n; ++i) sum += GradScore[i][j];
  return static_cast<int32_t>(sum / n);
}
