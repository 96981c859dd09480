// The music player and the effect voice that the audio callback runs, and
// the FluidSynth set-up they render through. The player keeps its position
// in output frames, so the music position is exactly the music rendered.
#pragma once

#include <fluidsynth.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sound/midi.h"

struct MusicVoice {
  const MidiSong* Song = nullptr;  // null while closed
  std::size_t Next = 0;            // the next event to send
  int64_t PosFrames = 0;
  int32_t Rate = 44100;
  bool Playing = false;
  // The synth still has to be brought to the state of the events before
  // Next (after an open or a seek, or once a late SoundFont arrives).
  bool ChasePending = false;
  bool NotesOffPending = false;
  // Chase messages still to send, ahead of the song's own events.
  int32_t ChaseCount = 0;
  int32_t ChaseSent = 0;
};

// The most messages one render sends: the audio lock is held for one
// buffer, never longer, however dense a file is. Messages due beyond it go
// out with the next buffers, in order; the position keeps moving meanwhile.
// Struck notes cost the synth far more than other messages, so they have a
// smaller budget of their own.
constexpr int32_t kMusicEventsPerRender = 256;
constexpr int32_t kMusicNotesPerRender = 32;

int64_t MusicFrameOf(const MusicVoice& v, int64_t timeUs);
// Open (a song) and close (null): stopped at the start, synth reset.
void MusicSetSong(MusicVoice& v, const MidiSong* song);
// Stops and moves to the time (clamped to the song), as a seek does.
void MusicSeek(MusicVoice& v, int64_t timeUs);
void MusicPlay(MusicVoice& v);
// Stops; the notes sounding fade by their own release.
void MusicStop(MusicVoice& v);
int64_t MusicPositionMs(const MusicVoice& v);
// Renders frames of interleaved stereo into out (overwriting it); without a
// synth the position and the events still advance and out is silent. Events
// are sent at their own frame, not at the start of the block, at most
// kMusicEventsPerRender of them.
void MusicRender(MusicVoice& v, fluid_synth_t* synth, float* out, int32_t frames);

// One effect at a time; a new one replaces it.
struct EffectVoice {
  const float* Samples = nullptr;  // mono at the output rate; null: silent
  int32_t Frames = 0;
  int32_t Pos = 0;
};

void EffectStart(EffectVoice& v, const std::vector<float>* samples);
void EffectMix(EffectVoice& v, float gain, float* out, int32_t frames);

// The mixed output's limiter: a peak that would pass the ceiling turns the
// gain down at that sample, and the gain comes back smoothly (a release of
// about 50 ms), so loud moments are not clipped into distortion.
struct Limiter {
  float Gain = 1.0f;
  // What it did, for measurement: frames seen, frames above full scale on
  // the way in, frames turned down by more than 3 dB, the highest peak in.
  uint64_t Frames = 0;
  uint64_t Over = 0;
  uint64_t Reduced = 0;
  float PeakIn = 0.0f;
};
constexpr float kLimiterCeiling = 0.98f;
constexpr float kLimiterRelease = 1.0f / 2048;  // per frame, of what is missing to 1
void LimiterRun(Limiter& l, float* stereo, int32_t frames);

// ---- FluidSynth -------------------------------------------------------------

// Sends FluidSynth's warnings and errors to stderr, the first of each kind
// only; SynthLogSummary adds one line per kind that came again, with the
// count, and starts counting afresh.
void SynthRouteLog();
void SynthLogSummary();
// Creates a synth at the rate and loads the SoundFont with dynamic sample
// loading. The presets in pin (bank << 7 | program) are held on spare
// channels, so the songs' program changes never load samples on the audio
// thread. Null with the reason on failure.
struct SynthHandle {
  fluid_settings_t* Settings = nullptr;
  fluid_synth_t* Synth = nullptr;
};
bool SynthCreate(int32_t rate, const std::string& soundFont, const std::vector<int32_t>& pin,
                 SynthHandle* handle, std::string* error);
void SynthDestroy(SynthHandle* handle);
// Presets a song selects: bank << 7 | program, channel 10 in bank 128.
void SongPresets(const MidiSong& song, std::vector<int32_t>* presets);
