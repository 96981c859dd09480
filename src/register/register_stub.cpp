// Placeholder until the graduate register lands.
#include "frame/frame.h"
#include "register/register.h"

int32_t GraduateCount;
int32_t GradSchool[1001];
int16_t GradSyllables[1001][8];
int32_t GradScore[1001][5];
int32_t GradScoreInt[1001][5];
int32_t GradScoreFrac[1001][5];
std::string GradName[1001];
int16_t RankOrder[1001];
int16_t CurGrad, CurRank;
int16_t LastName[8];
int32_t RecordsTick = -1, YearEndTick = -1;
int16_t NameCursor;
std::string RegisterSaveError;

void LoadRegister() {}
void SaveRegister() {}
void BuildGraduateNames() {}
void UpdateCurrentScores() {}
void SortGraduates() {}
void Swap(int16_t& a, int16_t& b) {
  int16_t t = a;
  a = b;
  b = t;
}
void RunYearEndSave() {}
void DrawRecords() {}
void DrawTopTen() {}
void DrawAverages() {}
void RecordsLoop() { GameMode = 0; }
void YearEnd() { GameMode = 0; }
void NameEntryKeys() {}
void DrawOwnRow() {}
