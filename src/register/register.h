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
// Empty unless the last save found the files damaged and kept them under
// other names before saving (the title screen says so).
extern std::string RegisterNotice;

void LoadRegister();
// The title menu's new record for the student about to play (1 front, 2 left).
void OpenGraduateRecord(int16_t school);
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

// Test hook: when n > 0, the n-th counted file operation of a save or a
// load fails as the disk would (see register/store.h), and the
// RegisterFailSteps operations after it (1 unless a test sets more).
extern int32_t RegisterFailAtStep;
extern int32_t RegisterFailSteps;

// Back to an empty register: no records, identity order, empty last name,
// no save error. The start-up state without files.
void ClearRegister();
// LoadRegister over file contents already in memory; a null pointer stands
// for a missing file. Whole is false when the reading stopped early or left
// something unread (a count above 999, anything after the last group, a
// da2.txt without its da1.txt); RecordsRead counts the groups read whole.
struct RegisterReadResult {
  bool Whole = false;
  int32_t RecordsRead = 0;
};
RegisterReadResult LoadRegisterFromText(const std::string_view* da1, const std::string_view* da2);
// The two files exactly as SaveRegister writes them.
void FormatRegisterFiles(std::string* da1, std::string* da2);
// Average of score j (1..4) over every record, truncated; 0 when empty.
int32_t AverageScore(int16_t j);
// The year-end name may be confirmed: at least one syllable, and no empty
// position before a filled one.
bool NameIsValid(const int16_t name[8]);
