// Feeds arbitrary bytes to the register reader as da1.txt and da2.txt and
// checks what every load must leave behind: a count the tables can hold,
// syllables inside the syllable table, a ranking that is a permutation, and
// a save that reads back as the same register.
//
// Input: one flag byte (bit 0: da1.txt exists, bit 1: da2.txt exists), then
// the bytes of da1.txt up to the first NUL, then the bytes of da2.txt.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "play/play.h"
#include "register/register.h"

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "register fuzz: %s\n", what);
  std::abort();
}

int32_t SavedSchool[1001];
int16_t SavedSyllables[1001][8];
int32_t SavedScore[1001][4];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ClearRegister();
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t nul = rest.find('\0');
  std::string_view da1 = rest.substr(0, nul);
  std::string_view da2 = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
  const RegisterReadResult read =
      LoadRegisterFromText(flags & 1 ? &da1 : nullptr, flags & 2 ? &da2 : nullptr);
  Check(read.RecordsRead >= 0 && read.RecordsRead <= GraduateCount,
        "more records read than counted");
  Check(!read.Whole || read.RecordsRead == GraduateCount, "a whole register with records unread");

  Check(GraduateCount >= 0 && GraduateCount <= kMaxStoredGraduates, "count outside the tables");
  for (int16_t s : LastName) Check(s >= 0 && s <= 100, "last name outside Syllable");
  for (int32_t i = 1; i <= GraduateCount; ++i) {
    for (int16_t s : GradSyllables[i]) Check(s >= 0 && s <= 100, "syllable outside Syllable");
  }

  BuildGraduateNames();
  for (int16_t j = 1; j <= 4; ++j) AverageScore(j);
  // This year's student joins, as the title menu opens a record; a full
  // register makes the student record 1000, cut again at the year end.
  OpenGraduateRecord(static_cast<int16_t>(1 + (flags >> 2 & 1)));
  Check(CurGrad >= 1 && CurGrad <= 1000 && GraduateCount == CurGrad, "record outside the tables");
  Ability[1] = static_cast<int16_t>(flags << 8 | (size & 0xFF));
  Ability[2] = Ability[3] = 0;
  UpdateCurrentScores();
  SortGraduates();
  int32_t lowest = INT32_MAX;
  for (int32_t p = 1; p <= GraduateCount; ++p)
    lowest = std::min(lowest, GradScore[RankOrder[p]][4]);
  const int32_t records = GraduateCount;
  if (GraduateCount >= 1000) {
    Check(GradScore[RankOrder[1000]][4] == lowest, "rank 1000 is not the lowest total");
    GraduateCount = kMaxStoredGraduates;
  }
  bool seen[1001] = {};
  for (int32_t p = 1; p <= GraduateCount; ++p) {
    int16_t g = RankOrder[p];
    Check(g >= 1 && g <= records && !seen[g], "ranking is not a permutation");
    seen[g] = true;
    if (p > 1) Check(GradScore[RankOrder[p - 1]][4] >= GradScore[g][4], "ranking out of order");
  }

  // What the files will hold, in rank order.
  for (int32_t p = 1; p <= GraduateCount; ++p) {
    int16_t g = RankOrder[p];
    SavedSchool[p] = GradSchool[g];
    std::copy(GradSyllables[g], GradSyllables[g] + 8, SavedSyllables[p]);
    std::copy(GradScore[g] + 1, GradScore[g] + 4, SavedScore[p] + 1);
  }
  const int32_t count = GraduateCount;
  int16_t lastName[8];
  std::copy(LastName, LastName + 8, lastName);

  std::string out1, out2;
  FormatRegisterFiles(&out1, &out2);
  ClearRegister();
  std::string_view view1 = out1, view2 = out2;
  LoadRegisterFromText(&view1, &view2);

  Check(GraduateCount == count, "count changed on the way back");
  Check(std::equal(lastName, lastName + 8, LastName), "last name changed on the way back");
  for (int32_t i = 1; i <= count; ++i) {
    Check(GradSchool[i] == SavedSchool[i], "school changed on the way back");
    Check(std::equal(SavedSyllables[i], SavedSyllables[i] + 8, GradSyllables[i]),
          "name changed on the way back");
    Check(std::equal(SavedScore[i] + 1, SavedScore[i] + 4, GradScore[i] + 1),
          "score changed on the way back");
    int64_t sum = int64_t{GradScore[i][1]} + GradScore[i][2] + GradScore[i][3];
    Check(GradScore[i][4] == std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX), "total is wrong");
  }
  std::string again1, again2;
  FormatRegisterFiles(&again1, &again2);
  Check(again1 == out1 && again2 == out2, "a second save differs");
  return 0;
}
