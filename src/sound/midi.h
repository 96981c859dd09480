// Standard MIDI Files: the reader, the millisecond timeline and the seek
// chase. Pure code over plain data, so the music player and the tests share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One channel message at its place on the timeline.
struct MidiEvent {
  int64_t TimeUs = 0;  // microseconds from the start of the file
  uint32_t Tick = 0;
  uint8_t Status = 0;  // 0x80..0xEF: kind in the high nibble, channel in the low
  uint8_t Data1 = 0;
  uint8_t Data2 = 0;  // 0 for program change and channel pressure
};

struct MidiTempo {
  uint32_t Tick = 0;
  int64_t TimeUs = 0;
  uint32_t UsPerQuarter = 500000;
};

struct MidiTimeSignature {
  uint32_t Tick = 0;
  uint8_t Numerator = 4;
  uint8_t DenominatorPower = 2;  // 2 means quarter notes
};

// Times on the timeline saturate here (about 12 days): an extreme tempo
// times an extreme delta stays a number that positions in output frames
// can be computed from.
constexpr int64_t kMidiMaxTimeUs = int64_t{1} << 40;

struct MidiSong {
  int16_t Format = 0;
  int16_t TrackCount = 0;
  int16_t Division = 480;         // ticks per quarter note (SMPTE files: ticks per frame)
  int32_t TicksPerSecond = 0;     // SMPTE files only; 0 for musical time
  std::vector<MidiEvent> Events;  // all tracks merged, in time order
  std::vector<MidiTempo> Tempos;  // the tempo map; always starts at tick 0
  std::vector<MidiTimeSignature> TimeSignatures;
  uint32_t LengthTicks = 0;  // the last event or end-of-track mark of any track
  int64_t LengthUs = 0;
};

// Reads format 0 and 1 files (format 2 is read as if it were 1). Tracks that
// are cut short keep the events read so far; a file without a usable header
// or without any track fails with a reason.
bool ParseMidi(const uint8_t* data, std::size_t size, MidiSong* song, std::string* error);
bool ReadMidiFile(const std::string& path, MidiSong* song, std::string* error);

// Time of a tick by the song's tempo map.
int64_t MidiTickTimeUs(const MidiSong& song, uint32_t tick);
// Index of the first event at or after the time, so that events before it
// belong to the past of a seek there.
std::size_t MidiFirstEventAt(const MidiSong& song, int64_t timeUs);

// What a channel looks like after the events before a seek point, so that a
// seek sounds the same as having played up to it.
struct MidiChannelState {
  int16_t Program = -1;  // -1: never set
  int16_t Controller[128];
  int16_t PitchBend = -1;  // 0..16383
  int16_t Pressure = -1;
  // Notes sounding across the seek point (key held, or let go under the
  // sustain pedal): their velocity, 0 for none. Struck again at a seek, they
  // end at their own note-off, so a resume sounds full.
  uint8_t Note[128];
  bool KeyDown[128];
};

void MidiChase(const MidiSong& song, std::size_t endIndex, MidiChannelState state[16]);
// The messages that bring a synth from any state to the chased one, every
// channel: notes off, controllers reset, then banks, controllers, program,
// pitch bend, pressure and the sounding notes. Never more than kMidiChaseMax.
constexpr int32_t kMidiChaseMax = 16 * (144 + 128);
int32_t MidiChaseMessages(const MidiChannelState state[16], MidiEvent* out);
