// The graduate register and its files, ranking, the graduate table, the
// records screen and the year-end name entry.
#pragma once

#include <cstdint>
#include <string>

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
