// The graduate register: its state, the two text files da1.txt and da2.txt,
// the names, the scores and the ranking that play keeps up to date.
#include "register/register.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "frame/frame.h"
#include "play/play.h"

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
int32_t RegisterFailAtStep;
int32_t RegisterFailSteps = 1;

namespace {

constexpr int32_t kSlots = 1000;        // records 1..1000
constexpr int64_t kLastSyllable = 100;  // Syllable(0..100)
// Far beyond any register the game writes (999 records are about 160 KB);
// whatever lies past it reads as the end of the file.
constexpr size_t kMaxFileBytes = 16u << 20;

const char kSaveFailedText[] = "卒業生の記録を保存できませんでした";

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

// Reads up to kMaxFileBytes of a file; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string* out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out->clear();
  char buf[65536];
  size_t got;
  while (out->size() < kMaxFileBytes && (got = std::fread(buf, 1, sizeof buf, f)) > 0) {
    out->append(buf, std::min(got, kMaxFileBytes - out->size()));
  }
  std::fclose(f);
  return true;
}

void AppendNumberLine(std::string* out, int32_t value) {
  char buf[24];
  int n = std::snprintf(buf, sizeof buf, "%c%lld \r\n", value < 0 ? '-' : ' ',
                        static_cast<long long>(value < 0 ? -int64_t{value} : int64_t{value}));
  out->append(buf, static_cast<size_t>(n));
}

// ---- Atomic writing ----
//
// Both files are first written in full to temporary files beside them and
// synced; only then is da2 renamed over the old one, and da1 last. A crash
// at any moment leaves complete files, and in the one window between the
// two renames the old da1 counts no more groups than the new da2 holds. A
// failure before the renames leaves the old files untouched; a failed da1
// rename puts the old da2 back.

int32_t SaveStep;

// Counts one file operation; true when the test hook fails it.
bool Injected(int error) {
  ++SaveStep;
  if (RegisterFailAtStep <= 0 || SaveStep < RegisterFailAtStep ||
      SaveStep >= RegisterFailAtStep + RegisterFailSteps) {
    return false;
  }
  errno = error;
  return true;
}

bool Failed(std::string* error, const char* what, const std::string& path) {
  *error = std::string(what) + " " + path + ": " + std::strerror(errno);
  return false;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool WriteTempFile(const std::string& path, std::string_view data, std::string* error) {
  int fd = Injected(EACCES) ? -1 : ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) return Failed(error, "cannot create", path);
  bool ok;
  if (Injected(ENOSPC)) {
    WriteAll(fd, data.substr(0, data.size() / 2));  // a disk that fills up halfway
    errno = ENOSPC;
    ok = false;
  } else {
    ok = WriteAll(fd, data);
  }
  if (ok) ok = !Injected(EIO) && ::fsync(fd) == 0;
  if (!ok) {
    int e = errno;
    ::close(fd);
    errno = e;
    return Failed(error, "cannot write", path);
  }
  if (Injected(EIO)) {
    ::close(fd);
    errno = EIO;
    return Failed(error, "cannot close", path);
  }
  if (::close(fd) != 0) return Failed(error, "cannot close", path);
  return true;
}

bool RenameFile(const std::string& from, const std::string& to, std::string* error) {
  if (Injected(EACCES) || std::rename(from.c_str(), to.c_str()) != 0) {
    return Failed(error, "cannot replace", to);
  }
  return true;
}

void SyncFolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the renames are done either way
  ::close(fd);
}

bool WriteRegisterFiles(const std::string& da1, const std::string& da2, std::string* error) {
  SaveStep = 0;
  const std::string path1 = DataPath("da\\da1.txt"), path2 = DataPath("da\\da2.txt");
  const std::string temp1 = path1 + ".tmp", temp2 = path2 + ".tmp";

  // The old da2, to put back should da1 not take its place.
  std::string oldDa2;
  bool hadDa2 = ReadWholeFile(path2, &oldDa2);
  bool da2Known = hadDa2 ? oldDa2.size() < kMaxFileBytes : errno == ENOENT;

  if (!WriteTempFile(temp2, da2, error)) {
    ::unlink(temp2.c_str());
    return false;
  }
  if (!WriteTempFile(temp1, da1, error)) {
    ::unlink(temp1.c_str());
    ::unlink(temp2.c_str());
    return false;
  }
  if (!RenameFile(temp2, path2, error)) {
    ::unlink(temp1.c_str());
    ::unlink(temp2.c_str());
    return false;
  }
  SyncFolderOf(path2);  // the new da2 is on disk before da1 can point at it
  if (!RenameFile(temp1, path1, error)) {
    ::unlink(temp1.c_str());
    std::string restoreError;
    bool restored = false;
    if (!hadDa2 && da2Known) {
      restored = !Injected(EACCES) && ::unlink(path2.c_str()) == 0;
      if (!restored) Failed(&restoreError, "cannot remove", path2);
    } else if (da2Known) {
      restored =
          WriteTempFile(temp2, oldDa2, &restoreError) && RenameFile(temp2, path2, &restoreError);
      if (!restored) ::unlink(temp2.c_str());
    } else {
      restoreError = "the old " + path2 + " could not be read";
    }
    if (!restored) *error += "; da2.txt is new, da1.txt old (" + restoreError + ")";
    return false;
  }
  SyncFolderOf(path1);
  return true;
}

}  // namespace

void ClearRegister() {
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
  CurGrad = 0;
  CurRank = 0;
  for (int16_t& s : LastName) s = 0;
  RegisterSaveError.clear();
}

void LoadRegisterFromText(const std::string_view* da1, const std::string_view* da2) {
  if (!da1) return;
  size_t pos = 0;
  int64_t v;
  if (!ReadNumber(*da1, &pos, 0, INT32_MAX, &v)) return;
  // A count beyond what the game writes keeps the best records (the file
  // is in rank order) and leaves a slot for the next student.
  GraduateCount = static_cast<int32_t>(std::min<int64_t>(v, kMaxStoredGraduates));
  for (int k = 0; k < 8; ++k) {
    if (!ReadNumber(*da1, &pos, 0, kLastSyllable, &v)) return;
    LastName[k] = static_cast<int16_t>(v);
  }

  if (!da2) return;
  pos = 0;
  for (int32_t i = 1; i <= GraduateCount; ++i) {
    if (!ReadNumber(*da2, &pos, INT32_MIN, INT32_MAX, &v)) return;
    GradSchool[i] = static_cast<int32_t>(v);
    for (int k = 0; k < 8; ++k) {
      if (!ReadNumber(*da2, &pos, 0, kLastSyllable, &v)) return;
      GradSyllables[i][k] = static_cast<int16_t>(v);
    }
    for (int j = 1; j <= 3; ++j) {
      if (!ReadNumber(*da2, &pos, INT32_MIN, INT32_MAX, &v)) return;
      GradScore[i][j] = static_cast<int32_t>(v);
    }
  }
  RecomputeTotals();
}

void LoadRegister() {
  std::string text1, text2;
  if (!ReadWholeFile(DataPath("da\\da1.txt"), &text1)) return;
  bool has2 = ReadWholeFile(DataPath("da\\da2.txt"), &text2);
  std::string_view view1 = text1, view2 = text2;
  LoadRegisterFromText(&view1, has2 ? &view2 : nullptr);
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

void SaveRegister() {
  std::string da1, da2, error;
  FormatRegisterFiles(&da1, &da2);
  bool saved = WriteRegisterFiles(da1, da2, &error);
  RecomputeTotals();
  if (saved) {
    RegisterSaveError.clear();
  } else {
    RegisterSaveError = kSaveFailedText;
    std::fprintf(stderr, "kurunoa: the graduate register was not saved: %s\n", error.c_str());
  }
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
  for (int32_t a = 1; a < n; ++a) {
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
