// School-year play: the frame loop of the year and every rule of play.
// Subsystem 5 owns this state; the renderer only reads it.
#pragma once

#include <cstdint>
#include <string_view>

// ---- Day loop ----
extern int16_t FrameCount;   // 0..255
extern int16_t ScrollPhase;  // FrameCount Mod 16; 0 on a day step
extern int32_t PlayTick;     // 0..15, read by the schedule
extern int16_t Day;          // calendar step
extern int16_t YearPhase;    // 0 calendar, 1 after it, 2 leaving
extern int16_t ShowSchedule;

// ---- Student ----
extern int16_t Ability[6];  // 1 study, 2 sports, 3 art, 4 charm
extern int16_t Talent[6];
extern int16_t Mood;
extern int16_t Stamina;
extern int16_t MaxStamina;
extern int16_t FaintTimer;
extern int16_t PlayerX;
extern int16_t PlayerY;
extern int16_t PlayerSrcX;
extern int16_t PlayerSrcY;

// ---- Shots and the cat ----
struct ShotRecord {
  int16_t SrcX, SrcY, X, Y, Active;
};
extern ShotRecord Shots[16];
extern int16_t CatState;  // 0 absent, 1 asleep, 2 running away
extern int16_t CatAnim;
extern int16_t CatX;
extern int16_t CatY;
extern int16_t CatSrcX;
extern int16_t CatSrcY;
extern int16_t CatWasHit;

// ---- Calendar and gates ----
extern int16_t EventIndex;
struct GateRecord {
  int16_t SrcX, SrcY, X, Y, Kind;
};
extern GateRecord Gates[31];

// ---- Teachers and pick-ups ----
struct PickupRecord {
  int16_t X, Y, Kind;
};
extern PickupRecord Pickups[6][16];  // kind 1..5, slot 0..15
extern int16_t PickupFlash[5];       // kind 1..4
struct TeacherRecord {
  int16_t SrcX, SrcY, X, Y, Anim, Rate, State, TargetX;
};
extern TeacherRecord Teachers[3];

// ---- Collisions, gates and rewards ----
struct RewardRecord {
  int16_t X, Y, Kind, LandY;
};
extern RewardRecord Rewards[31];
extern int16_t GateSuccess;

// ---- PTA intervention ----
extern std::string_view PtaText[13][51][3];
extern int16_t PtaPages[13];
extern int16_t PtaPage;
extern int32_t PtaTick;

// ---- Procedures ----
void DayLoop();
void UpdateMoodAndRates();
void RollStudent();
void DecayAbilities();
void MovePlayer();
void SpawnCat();
void DrawCat();
void AdvanceWorld();
void SpawnEventGate();
void SpawnChoicePair();
void VacationDrops();
void TeacherDrops();
void Collide();
void ApplyPickup(int16_t kind, int16_t slot);
void GateReward(int16_t& kind);
void AdvanceEpilogue();
void FadeOutYear();
void LoadPtaLines();
void PtaScene();
void DrawPtaWindow();
void DrawPtaPage();

// ---- Steps of the year, split out so the loop reads like its rules ----

// One pass of DayLoop; false once the loop returns (GameMode 6, 2 or 27).
bool PlayFrame();
// The two halves of UpdateMoodAndRates.
void DriftMood();
void SetDropRates();
// The steps of AdvanceWorld, in the order it calls them.
void FallPickups();
void FallGates();
void FlyShots();
void FallRewards();
void AdvanceFaint();
void MoveTeachers();
void AdvancePickupFlash();
void MoveCat();

// Adds delta to a 16-bit value, holding it at the ends of its range rather
// than wrapping: abilities have no upper limit and counters may run long.
int16_t AddSat16(int16_t value, int32_t delta);
// Inclusive calendar windows.
inline bool DayBetween(int16_t first, int16_t last) { return Day >= first && Day <= last; }

// A new student's ability roll r (1..100): the talent and the range the
// ability is drawn from (Base + R(Spread)).
struct AbilityRoll {
  int16_t Talent, Base, Spread;
};
AbilityRoll AbilityRollBand(int32_t r);
// The ability points a book, dumbbell or brush brings at this level and talent.
int16_t PickupGain(int16_t ability, int16_t talent);
// Frames per point lost while resting, by level and talent.
int16_t RestDecayPeriod(int16_t ability, int16_t talent);
