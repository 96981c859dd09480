// Sound: looping background music in two tracks and numbered effects.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

extern int16_t BgmTrack;    // 0 none, 1, 2
extern int32_t BgmLoop[3];  // per track, the position it starts at when opened
extern std::string BgmPos;  // reply of the last position query
extern const char* const BgmFiles[3];
extern const int32_t BgmEnd[3];
extern const int32_t BgmRestart[3];

// Sends a music command ("open PATH alias bgm", "play bgm", ...); the reply
// receives the answer text. Returns the return code as text.
std::string MciCommand(std::string_view command, std::string& reply);
void BgmOpen(int16_t track);
void BgmPlay();
void BgmStop();
void BgmClose();
void BgmUpdate();
void SwitchBgm(int16_t n);

void PlayEffect(int16_t n);
void StopEffects();

// Opens the audio output (no device in the headless backend, where the music
// keeps time by the virtual clock). Never fails: without a device, a
// SoundFont or the files the game stays silent, with one line on stderr for
// each. The SoundFont loads on a thread of its own; until it is there every
// call works and the music keeps time silently.
void SoundInit(const std::string& soundFontOverride);
void SoundShutdown();
// The player's volume (0..1 each) and mute, applied where the output is mixed.
void SoundSetVolume(float music, float effects, bool mute);

// For tests and tools: no device; the caller pulls the output by hand at the
// rate (interleaved stereo), and the SoundFont is loaded before this returns.
void SoundInitOffline(int32_t rate, const std::string& soundFontOverride);
void SoundRenderOffline(float* stereo, int32_t frames);
bool SoundSynthReady();
// What the output limiter did since the output started.
struct LimiterStats {
  uint64_t Frames = 0, Over = 0, Reduced = 0;
  float PeakIn = 0;
};
LimiterStats SoundLimiterStats();
// For tests: runs on the SoundFont loader before it loads. Null normally.
extern void (*SynthLoadHook)();
