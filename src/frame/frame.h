// The application frame: the window and its surfaces, the mode loop, frame
// pacing and keyboard polling, the new-year reset and the static tables.
// This is the chief header: every subsystem reads the shared state here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

// ---- Window, surfaces and the mode loop -----------------------------------

// -1 intro, 0 title, 1 play, 2 year end, 3 records, 6 PTA scene, 27 quit.
extern int16_t GameMode;
extern std::string AppDir;    // the program folder, ending with a separator
extern std::string FilePath;  // scratch: the last data file path built
// Where the register files live: AppDir, or the user's data folder when the
// program's own da folder cannot be written (an installed game).
extern std::string RegisterDir;

extern Surface Display[3];  // 0 screen, 1 back buffer, 2 static background
extern Surface Chip[4];     // the sprite sheets
extern Surface LogoChip;    // the intro logo

constexpr int32_t kScreenWidth = 512;
constexpr int32_t kScreenHeight = 368;  // visible rows of the 384-row surfaces

// Runs the program; returns the exit status on a normal quit.
int Main(int argc, char** argv);
void Form_Load();
void Form_Unload();
void SetUpWindow();
// For tests and tools: the headless backend, the surfaces and sheets, the
// program folder and the random seed, without running the start-up reset.
void InitHeadlessSession(const std::string& appDir, uint64_t seed);
// Data file path: AppDir + a relative name written with backslashes (the
// register files da1.txt and da2.txt under RegisterDir instead).
std::string DataPath(std::string_view relative);
// Stops the program with a message on stderr (and a box when a window exists).
[[noreturn]] void FatalError(const std::string& message);
// Ends the process: flushes the trace, shuts the platform down.
[[noreturn]] void EndProcess(int status);

// ---- Frame pacing and keyboard polling ------------------------------------

extern int32_t FramePeriod;  // 27 ms
extern int32_t FrameStart;
extern int32_t FrameEnd;
extern int32_t FrameElapsed;
extern int32_t FrameWait;

extern int16_t LastKey;         // lowest key code held at the latest poll, 0 for none
extern int16_t KeyCount[1001];  // consecutive polls with this code as LastKey
extern int64_t PollNumber;      // PollKeys calls so far (the next poll's number)

void DoEvents();
void PollKeys();
void WaitMs(int32_t& ms);
void DelayTicks(int32_t ms);
// Steps 4 and 5 of every frame loop: measure the frame and wait out the period.
void PaceFrame(int32_t period);
// Instrumentation for benchmarks: called right before and right after the
// wait of every PaceFrame (also when no wait is needed). Null normally.
extern void (*FrameWaitHook)(bool begin);

// R(N): a uniform whole number 0..N-1 (the integer part of N·u, u in [0, 1)).
double Rnd();
int32_t R(int32_t n);
void SeedRandom(uint64_t seed);

// ---- New-year reset and static tables -------------------------------------

struct EventRecord {
  std::string_view Name;
  int16_t Day = 0;
  int16_t GateSrcX = 0;
  int16_t GateSrcY = 0;
  int16_t Kind = 0;  // 1 test, 2 sports, 3 art, 4 Valentine's Day, 5 graduation
  int16_t IconSrcX = 0;
  int16_t IconSrcY = 0;
  int16_t LabelSrcX = 0;
  int16_t LabelSrcY = 0;
};

struct KindArtRecord {
  int16_t PickupSrcX = 0;
  int16_t PickupSrcY = 0;
  int16_t RewardSrcX = 0;
  int16_t RewardSrcY = 0;
};

extern std::string_view MoodName[1001];
extern std::string_view MoodReading[1001];
extern int16_t MoodReadingX[1001];
extern EventRecord EventTable[17];
extern KindArtRecord KindArt[7];
extern int16_t PickupInsetX[6];
extern int16_t PickupInsetY[6];
extern int16_t DirDX[4];
extern int16_t DirDY[4];
// Per row: x of name, study, sports, art, total, school; then six equal y.
extern int16_t TableRow[1001][12];
extern int16_t DigitSrcX[10];
extern int16_t DigitSrcY[10];
extern std::string NameFont;
extern std::string Syllable[101];

void ResetYear();
// Reads the font name and the 81 syllables of da3.txt; false with a cause
// ("file not found", "input past end of file") on failure.
bool ReadSyllableFile(const std::string& path, std::string* font, std::string syllables[82],
                      std::string* cause);
bool ParseSyllableText(std::string_view text, std::string* font, std::string syllables[82],
                       std::string* cause);
// One field of the sequential text format: commas or line ends separate,
// leading blanks are skipped, double quotes are removed. False at the end.
bool ReadTextField(std::string_view text, std::size_t* pos, std::string* field);

// ---- Trace (--trace FILE) --------------------------------------------------

// Music operations and effects are written as lines of their own.
void TraceMusic(std::string_view command);
void TraceEffect(int32_t n);
