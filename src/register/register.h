// The graduate register and its files, ranking, the graduate table, the
// records screen and the year-end name entry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

extern int32_t GraduateCount;
extern int32_t GradSchool[1001];
extern int16_t GradSyllables[1001][8];
extern int32_t GradScore[1001][5];  // 1 study, 2 sports, 3 art, 4 total
extern int32_t GradScoreInt[1001][5];
extern int32_t GradScoreFrac[1001][5];
extern std::string GradName[1001];
extern int16_t RankOrder[1001];
extern int16_t CurGrad;
extern int16_t CurRank;
extern int16_t LastName[8];

extern int32_t RecordsTick;
extern int32_t YearEndTick;
extern int16_t NameCursor;

// Empty after a successful save; otherwise what went wrong with the last
// one (the title screen shows it until a save succeeds).
extern std::string RegisterSaveError;

void LoadRegister();
void SaveRegister();
void BuildGraduateNames();
void UpdateCurrentScores();
void SortGraduates();
void Swap(int16_t& a, int16_t& b);
// The year-end save sequence: sort, keep the best 999, write both files,
// read them back, rebuild the names.
void RunYearEndSave();

void DrawRecords();
void DrawTopTen();
void DrawAverages();
void RecordsLoop();

void YearEnd();
void NameEntryKeys();
void DrawOwnRow();

// ---- Helpers shared with the tests and the fuzz target ----

// The most records a loaded register may hold: one slot of the 1000 stays
// free for the student of the next year.
constexpr int32_t kMaxStoredGraduates = 999;

// Test hook: when n > 0, the n-th file operation of every save fails as the
// disk would. A save counts its operations from 1: open, write, sync and
// close of the da2 temporary file (1..4), the same for da1 (5..8), the
// rename of da2 (9), the rename of da1 (10), then, should that last rename
// fail, the steps that put the old da2 back (11..). RegisterFailSteps
// operations fail from there on (1 unless a test sets more).
extern int32_t RegisterFailAtStep;
extern int32_t RegisterFailSteps;

// Back to an empty register: no records, identity order, empty last name,
// no save error. The start-up state without files.
void ClearRegister();
// LoadRegister over file contents already in memory; a null pointer stands
// for a missing file.
void LoadRegisterFromText(const std::string_view* da1, const std::string_view* da2);
// The two files exactly as SaveRegister writes them.
void FormatRegisterFiles(std::string* da1, std::string* da2);
// Average of score j (1..4) over every record, truncated; 0 when empty.
int32_t AverageScore(int16_t j);
// The year-end name may be confirmed: at least one syllable, and no empty
// position before a filled one.
bool NameIsValid(const int16_t name[8]);
