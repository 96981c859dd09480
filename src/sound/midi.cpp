#include "sound/midi.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sound/filebytes.h"

namespace {

struct TrackEvent {
  uint32_t Tick;
  uint8_t Status, Data1, Data2;
  uint8_t Meta;  // 0x51 tempo, 0x58 time signature, 0 for a channel message
  uint32_t Value;
};

uint32_t ReadBigEndian(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
  return v;
}

// A variable-length quantity of at most four bytes; false past the end.
bool ReadVarLen(const uint8_t* data, std::size_t end, std::size_t* pos, uint32_t* value) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    if (*pos >= end) return false;
    uint8_t b = data[(*pos)++];
    v = (v << 7) | (b & 0x7F);
    if ((b & 0x80) == 0) {
      *value = v;
      return true;
    }
  }
  return false;
}

// Reads one track chunk body. A corrupt or cut-off track ends where the
// damage starts; what came before still plays. Returns the track's end tick.
uint32_t ReadTrack(const uint8_t* data, std::size_t pos, std::size_t end,
                   std::vector<TrackEvent>* out) {
  uint64_t tick = 0;
  uint8_t running = 0;
  while (pos < end) {
    uint32_t delta = 0;
    if (!ReadVarLen(data, end, &pos, &delta)) break;
    if (tick + delta > UINT32_MAX) break;
    tick += delta;
    if (pos >= end) break;
    uint8_t status = data[pos];
    if (status & 0x80) {
      ++pos;
    } else if (running != 0) {
      status = running;
    } else {
      break;  // data byte with no status to run on
    }
    const uint32_t t = static_cast<uint32_t>(tick);
    // Meta and system exclusive events should end running status; files
    // that run on past them anyway lose nothing by being read as meant.
    if (status == 0xFF) {
      if (pos >= end) break;
      uint8_t type = data[pos++];
      uint32_t len = 0;
      if (!ReadVarLen(data, end, &pos, &len) || len > end - pos) break;
      const uint8_t* body = data + pos;
      pos += len;
      if (type == 0x2F) break;
      if (type == 0x51 && len == 3) {
        uint32_t us = ReadBigEndian(body, 3);
        if (us > 0) out->push_back({t, 0, 0, 0, 0x51, us});
      } else if (type == 0x58 && len >= 2) {
        out->push_back({t, 0, body[0], body[1], 0x58, 0});
      }
    } else if (status == 0xF0 || status == 0xF7) {
      uint32_t len = 0;
      if (!ReadVarLen(data, end, &pos, &len) || len > end - pos) break;
      pos += len;
    } else if (status >= 0xF0) {
      break;  // realtime and common messages have no place in a file
    } else {
      running = status;
      const int count = (status & 0xE0) == 0xC0 ? 1 : 2;  // program change, pressure
      if (end - pos < static_cast<std::size_t>(count)) break;
      uint8_t d1 = data[pos];
      uint8_t d2 = count == 2 ? data[pos + 1] : 0;
      if ((d1 | d2) & 0x80) break;
      pos += count;
      out->push_back({t, status, d1, d2, 0, 0});
    }
  }
  return static_cast<uint32_t>(tick);
}

int64_t TickTime(const MidiSong& song, uint32_t tick) {
  if (song.TicksPerSecond > 0) {
    return std::min(static_cast<int64_t>(tick) * 1000000 / song.TicksPerSecond, kMidiMaxTimeUs);
  }
  // The last tempo at or before the tick. Ticks (32 bits) times a tempo (24
  // bits) fit in 64; the sum is held at kMidiMaxTimeUs.
  auto it = std::upper_bound(song.Tempos.begin(), song.Tempos.end(), tick,
                             [](uint32_t t, const MidiTempo& m) { return t < m.Tick; });
  const MidiTempo& m = *(it - 1);
  const int64_t span = static_cast<int64_t>(tick - m.Tick) * m.UsPerQuarter / song.Division;
  return std::min(m.TimeUs + std::min(span, kMidiMaxTimeUs), kMidiMaxTimeUs);
}

}  // namespace

bool ParseMidi(const uint8_t* data, std::size_t size, MidiSong* song, std::string* error) {
  *song = MidiSong{};
  if (size < 14 || std::memcmp(data, "MThd", 4) != 0) {
    *error = "not a MIDI file";
    return false;
  }
  uint32_t headerLen = ReadBigEndian(data + 4, 4);
  if (headerLen < 6 || headerLen > size - 8) {
    *error = "bad MIDI header";
    return false;
  }
  const uint32_t format = ReadBigEndian(data + 8, 2);
  const uint32_t division = ReadBigEndian(data + 12, 2);
  if (format > 2) {
    *error = "unknown MIDI format " + std::to_string(format);
    return false;
  }
  if (division & 0x8000) {
    // SMPTE time: frames per second times ticks per frame (29.97 drop-frame
    // is taken as 30, close enough for music).
    const int fps = -static_cast<int8_t>(division >> 8);
    const int perFrame = division & 0xFF;
    if (fps <= 0 || perFrame == 0) {
      *error = "bad MIDI time division";
      return false;
    }
    song->TicksPerSecond = (fps == 29 ? 30 : fps) * perFrame;
    song->Division = static_cast<int16_t>(perFrame);
  } else {
    if (division == 0) {
      *error = "bad MIDI time division";
      return false;
    }
    song->Division = static_cast<int16_t>(division);
  }
  song->Format = static_cast<int16_t>(format);

  // Tracks one after the other, then a stable sort by tick: events at the
  // same tick keep the order of their tracks and, within a track, the file's.
  std::vector<TrackEvent> all;
  uint32_t lengthTicks = 0;
  int tracks = 0;
  std::size_t pos = 8 + headerLen;
  while (size - pos >= 8) {
    const uint32_t len = ReadBigEndian(data + pos + 4, 4);
    const std::size_t body = pos + 8;
    const std::size_t end = len > size - body ? size : body + len;
    if (std::memcmp(data + pos, "MTrk", 4) == 0) {
      lengthTicks = std::max(lengthTicks, ReadTrack(data, body, end, &all));
      ++tracks;
    }
    pos = end;
  }
  if (tracks == 0) {
    *error = "no tracks in MIDI file";
    return false;
  }
  song->TrackCount = static_cast<int16_t>(std::min(tracks, 32767));
  std::stable_sort(all.begin(), all.end(),
                   [](const TrackEvent& a, const TrackEvent& b) { return a.Tick < b.Tick; });

  song->Tempos.push_back({0, 0, 500000});
  for (const TrackEvent& e : all) {
    if (e.Meta == 0x51 && song->TicksPerSecond == 0) {
      MidiTempo& last = song->Tempos.back();
      if (e.Tick == last.Tick) {
        last.UsPerQuarter = e.Value;
      } else {
        const int64_t at = TickTime(*song, e.Tick);
        song->Tempos.push_back({e.Tick, at, e.Value});
      }
    } else if (e.Meta == 0x58) {
      song->TimeSignatures.push_back({e.Tick, e.Data1, e.Data2});
    }
  }
  std::size_t channelEvents = 0;
  for (const TrackEvent& e : all) channelEvents += e.Meta == 0;
  song->Events.reserve(channelEvents);
  for (const TrackEvent& e : all) {
    if (e.Meta != 0) continue;
    song->Events.push_back({TickTime(*song, e.Tick), e.Tick, e.Status, e.Data1, e.Data2});
  }
  song->LengthTicks = lengthTicks;
  song->LengthUs = TickTime(*song, lengthTicks);
  return true;
}

bool ReadMidiFile(const std::string& path, MidiSong* song, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, 64u << 20, &bytes, error)) return false;  // no music file is this large
  if (!ParseMidi(bytes.data(), bytes.size(), song, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

int64_t MidiTickTimeUs(const MidiSong& song, uint32_t tick) { return TickTime(song, tick); }

std::size_t MidiFirstEventAt(const MidiSong& song, int64_t timeUs) {
  auto it = std::lower_bound(song.Events.begin(), song.Events.end(), timeUs,
                             [](const MidiEvent& e, int64_t t) { return e.TimeUs < t; });
  return static_cast<std::size_t>(it - song.Events.begin());
}

void MidiChase(const MidiSong& song, std::size_t endIndex, MidiChannelState state[16]) {
  for (int c = 0; c < 16; ++c) {
    state[c].Program = -1;
    state[c].PitchBend = -1;
    state[c].Pressure = -1;
    std::fill(std::begin(state[c].Controller), std::end(state[c].Controller), int16_t{-1});
    std::fill(std::begin(state[c].Note), std::end(state[c].Note), uint8_t{0});
    std::fill(std::begin(state[c].KeyDown), std::end(state[c].KeyDown), false);
  }
  // A note let go sounds on while the pedal is down.
  auto release = [](MidiChannelState& s, int key) {
    s.KeyDown[key] = false;
    if (s.Controller[64] < 64) s.Note[key] = 0;
  };
  auto pedalLetGo = [](MidiChannelState& s) {
    for (int k = 0; k < 128; ++k) {
      if (!s.KeyDown[k]) s.Note[k] = 0;
    }
  };
  endIndex = std::min(endIndex, song.Events.size());
  for (std::size_t i = 0; i < endIndex; ++i) {
    const MidiEvent& e = song.Events[i];
    MidiChannelState& s = state[e.Status & 0x0F];
    switch (e.Status & 0xF0) {
      case 0x80:
        release(s, e.Data1);
        break;
      case 0x90:
        if (e.Data2 == 0) {
          release(s, e.Data1);
        } else {
          s.Note[e.Data1] = e.Data2;
          s.KeyDown[e.Data1] = true;
        }
        break;
      case 0xB0:
        if (e.Data1 == 120 || e.Data1 == 123) {
          std::fill(std::begin(s.Note), std::end(s.Note), uint8_t{0});
          std::fill(std::begin(s.KeyDown), std::end(s.KeyDown), false);
        } else if (e.Data1 == 64 && e.Data2 < 64) {
          s.Controller[64] = e.Data2;
          pedalLetGo(s);
        } else if (e.Data1 == 121) {
          // Reset all controllers forgets what came before, as the synth does
          // (and the pedal lets go of what it held).
          for (int cc : {1, 11, 64, 65, 66, 67, 68, 69}) s.Controller[cc] = -1;
          pedalLetGo(s);
          s.PitchBend = -1;
          s.Pressure = -1;
        } else if (e.Data1 < 120) {
          s.Controller[e.Data1] = e.Data2;
        }
        break;
      case 0xC0:
        s.Program = e.Data1;
        break;
      case 0xD0:
        s.Pressure = e.Data1;
        break;
      case 0xE0:
        s.PitchBend = static_cast<int16_t>(e.Data1 | (e.Data2 << 7));
        break;
      default:
        break;
    }
  }
}

int32_t MidiChaseMessages(const MidiChannelState state[16], MidiEvent* out) {
  int32_t n = 0;
  auto put = [&](uint8_t status, int d1, int d2) {
    out[n++] = {0, 0, status, static_cast<uint8_t>(d1), static_cast<uint8_t>(d2)};
  };
  // Controllers a fresh channel does not get back from a reset, with the
  // values a fresh synth channel starts with.
  struct Default {
    int Cc, Value;
  };
  static const Default kDefaults[] = {{0, 0}, {32, 0}, {7, 100}, {10, 64}, {91, 0}, {93, 0}};
  // Data entry last, once its parameter number is selected.
  static const int kLast[] = {99, 98, 101, 100, 6, 38};
  for (int c = 0; c < 16; ++c) {
    const MidiChannelState& s = state[c];
    const uint8_t cc = static_cast<uint8_t>(0xB0 | c);
    put(cc, 123, 0);  // all notes off: sounding notes fade by their own release
    put(cc, 64, 0);
    put(cc, 121, 0);
    for (const Default& d : kDefaults) {
      if (s.Controller[d.Cc] < 0) put(cc, d.Cc, d.Value);
    }
    for (int k = 0; k < 120; ++k) {
      if (s.Controller[k] < 0 ||
          std::find(std::begin(kLast), std::end(kLast), k) != std::end(kLast))
        continue;
      if (k == 96 || k == 97) continue;  // increments only make sense in their moment
      put(cc, k, s.Controller[k]);
    }
    for (int k : kLast) {
      if (s.Controller[k] >= 0) put(cc, k, s.Controller[k]);
    }
    put(static_cast<uint8_t>(0xC0 | c), s.Program < 0 ? 0 : s.Program, 0);
    const int bend = s.PitchBend < 0 ? 8192 : s.PitchBend;
    put(static_cast<uint8_t>(0xE0 | c), bend & 0x7F, bend >> 7);
    if (s.Pressure >= 0) put(static_cast<uint8_t>(0xD0 | c), s.Pressure, 0);
    for (int k = 0; k < 128; ++k) {
      if (s.Note[k] != 0) put(static_cast<uint8_t>(0x90 | c), k, s.Note[k]);
    }
  }
  return n;
}
