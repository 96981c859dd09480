#include "sound/player.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

// Chase state and messages live here, not on the audio thread's stack.
MidiChannelState ChaseState[16];
MidiEvent ChaseBuffer[kMidiChaseMax];
const MidiSong NoSong;

void Send(fluid_synth_t* s, const MidiEvent& e) {
  const int ch = e.Status & 0x0F;
  switch (e.Status & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(s, ch, e.Data1);
      break;
    case 0x90:
      if (e.Data2 == 0) {
        fluid_synth_noteoff(s, ch, e.Data1);
      } else {
        fluid_synth_noteon(s, ch, e.Data1, e.Data2);
      }
      break;
    case 0xA0:
      fluid_synth_key_pressure(s, ch, e.Data1, e.Data2);
      break;
    case 0xB0:
      fluid_synth_cc(s, ch, e.Data1, e.Data2);
      break;
    case 0xC0:
      fluid_synth_program_change(s, ch, e.Data1);
      break;
    case 0xD0:
      fluid_synth_channel_pressure(s, ch, e.Data1);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(s, ch, e.Data1 | (e.Data2 << 7));
      break;
    default:
      break;
  }
}

int64_t EndFrames(const MusicVoice& v) {
  return v.Song == nullptr ? 0 : MusicFrameOf(v, v.Song->LengthUs);
}

// A dense file can make the synth warn millions of times (voices stolen,
// notes dropped): each kind of line is printed once and then only counted.
// A kind is the line with its numbers left out. The synth logs from the
// audio thread, so the table is fixed and nothing is allocated here.
struct LogKind {
  char Text[80];
  int Level;
  uint64_t Repeats;
};
constexpr int kLogKinds = 32;
LogKind LogKinds[kLogKinds];
int LogKindsUsed = 0;
uint64_t LogOthers = 0;  // lines of kinds beyond the table
std::mutex LogMutex;

const char* LevelName(int level) { return level <= FLUID_ERR ? "error" : "warning"; }

void LogLine(int level, const char* message, void*) {
  char kind[sizeof LogKind::Text];
  std::size_t n = 0;
  for (const char* c = message; *c != '\0' && n + 1 < sizeof kind; ++c) {
    if (*c < '0' || *c > '9') kind[n++] = *c;
  }
  kind[n] = '\0';
  std::lock_guard<std::mutex> hold(LogMutex);
  for (int i = 0; i < LogKindsUsed; ++i) {
    if (LogKinds[i].Level == level && std::strcmp(LogKinds[i].Text, kind) == 0) {
      ++LogKinds[i].Repeats;
      return;
    }
  }
  if (LogKindsUsed == kLogKinds) {
    ++LogOthers;
    return;
  }
  LogKind& k = LogKinds[LogKindsUsed++];
  std::memcpy(k.Text, kind, n + 1);
  k.Level = level;
  k.Repeats = 0;
  std::fprintf(stderr, "kurunoa: synth %s: %s\n", LevelName(level), message);
}

void LogNothing(int, const char*, void*) {}

}  // namespace

int64_t MusicFrameOf(const MusicVoice& v, int64_t timeUs) { return timeUs * v.Rate / 1000000; }

void MusicSetSong(MusicVoice& v, const MidiSong* song) {
  v.Song = song;
  v.Next = 0;
  v.PosFrames = 0;
  v.Playing = false;
  v.ChasePending = true;
  v.ChaseCount = v.ChaseSent = 0;
}

void MusicSeek(MusicVoice& v, int64_t timeUs) {
  v.Playing = false;
  if (v.Song == nullptr) return;
  const int64_t frame = std::clamp<int64_t>(MusicFrameOf(v, timeUs), 0, EndFrames(v));
  v.PosFrames = frame;
  const auto& events = v.Song->Events;
  auto it = std::lower_bound(
      events.begin(), events.end(), frame,
      [&](const MidiEvent& e, int64_t f) { return MusicFrameOf(v, e.TimeUs) < f; });
  v.Next = static_cast<std::size_t>(it - events.begin());
  v.ChasePending = true;
  v.ChaseCount = v.ChaseSent = 0;
}

void MusicPlay(MusicVoice& v) {
  if (v.Song != nullptr) v.Playing = true;
}

void MusicStop(MusicVoice& v) {
  v.Playing = false;
  v.NotesOffPending = true;
}

int64_t MusicPositionMs(const MusicVoice& v) { return v.PosFrames * 1000 / v.Rate; }

void MusicRender(MusicVoice& v, fluid_synth_t* synth, float* out, int32_t frames) {
  int32_t budget = kMusicEventsPerRender;
  int32_t notes = kMusicNotesPerRender;
  // Whether the budgets allow this message; takes it from them if so.
  auto afford = [&](const MidiEvent& e) {
    const bool strike = (e.Status & 0xF0) == 0x90 && e.Data2 != 0;
    if (budget == 0 || (strike && notes == 0)) return false;
    --budget;
    notes -= strike;
    return true;
  };
  if (synth != nullptr) {
    if (v.ChasePending) {
      MidiChase(v.Song == nullptr ? NoSong : *v.Song, v.Song == nullptr ? 0 : v.Next, ChaseState);
      v.ChaseCount = MidiChaseMessages(ChaseState, ChaseBuffer);
      v.ChaseSent = 0;
      v.ChasePending = false;
      v.NotesOffPending = false;
    } else if (v.NotesOffPending) {
      for (int ch = 0; ch < 16; ++ch) {
        fluid_synth_cc(synth, ch, 64, 0);
        fluid_synth_all_notes_off(synth, ch);
      }
      v.ChaseCount = v.ChaseSent = 0;  // no chased note may start after a stop
      v.NotesOffPending = false;
    }
    while (v.ChaseSent < v.ChaseCount && afford(ChaseBuffer[v.ChaseSent])) {
      Send(synth, ChaseBuffer[v.ChaseSent++]);
    }
  } else {
    v.NotesOffPending = false;  // nothing sounds; a pending chase waits for the synth
  }
  const int64_t end = EndFrames(v);
  int32_t done = 0;
  while (done < frames) {
    int32_t chunk = frames - done;
    if (v.Playing) {
      const auto& events = v.Song->Events;
      // In order: the song's events wait while chase messages are due.
      while (v.ChaseSent >= v.ChaseCount && v.Next < events.size() &&
             MusicFrameOf(v, events[v.Next].TimeUs) <= v.PosFrames && afford(events[v.Next])) {
        if (synth != nullptr) Send(synth, events[v.Next]);
        ++v.Next;
      }
      if (v.PosFrames >= end) {
        v.Playing = false;  // the song is over; the position stays at its end
      } else {
        // The next event's frame bounds the chunk, unless it is overdue
        // (the budget ran out): then it waits for the next buffer.
        int64_t until = end;
        if (v.Next < events.size()) {
          const int64_t at = MusicFrameOf(v, events[v.Next].TimeUs);
          if (at > v.PosFrames) until = std::min(until, at);
        }
        chunk = static_cast<int32_t>(std::min<int64_t>(chunk, until - v.PosFrames));
      }
    }
    float* at = out + 2 * done;
    if (synth != nullptr) {
      fluid_synth_write_float(synth, chunk, at, 0, 2, at, 1, 2);
    } else {
      std::fill(at, at + 2 * chunk, 0.0f);
    }
    if (v.Playing) v.PosFrames += chunk;
    done += chunk;
  }
}

void EffectStart(EffectVoice& v, const std::vector<float>* samples) {
  v.Pos = 0;
  if (samples == nullptr || samples->empty()) {
    v.Samples = nullptr;
    v.Frames = 0;
  } else {
    v.Samples = samples->data();
    v.Frames = static_cast<int32_t>(samples->size());
  }
}

void EffectMix(EffectVoice& v, float gain, float* out, int32_t frames) {
  if (v.Samples == nullptr) return;
  const int32_t n = std::min(frames, v.Frames - v.Pos);
  for (int32_t i = 0; i < n; ++i) {
    const float s = v.Samples[v.Pos + i] * gain;
    out[2 * i] += s;
    out[2 * i + 1] += s;
  }
  v.Pos += n;
  if (v.Pos >= v.Frames) v.Samples = nullptr;
}

void SynthLogSummary() {
  std::lock_guard<std::mutex> hold(LogMutex);
  for (int i = 0; i < LogKindsUsed; ++i) {
    const LogKind& k = LogKinds[i];
    if (k.Repeats == 0) continue;
    std::fprintf(stderr, "kurunoa: synth %s came %llu more times: %s\n", LevelName(k.Level),
                 static_cast<unsigned long long>(k.Repeats), k.Text);
  }
  if (LogOthers > 0) {
    std::fprintf(stderr, "kurunoa: %llu more synth lines of other kinds\n",
                 static_cast<unsigned long long>(LogOthers));
  }
  LogKindsUsed = 0;
  LogOthers = 0;
}

void LimiterRun(Limiter& l, float* out, int32_t frames) {
  for (int32_t i = 0; i < frames; ++i) {
    float& left = out[2 * i];
    float& right = out[2 * i + 1];
    const float peak = std::max(std::fabs(left), std::fabs(right));
    const float wanted = peak > kLimiterCeiling ? kLimiterCeiling / peak : 1.0f;
    l.Gain = std::min(wanted, l.Gain + (1.0f - l.Gain) * kLimiterRelease);
    left *= l.Gain;
    right *= l.Gain;
    l.PeakIn = std::max(l.PeakIn, peak);
    l.Over += peak > 1.0f;
    l.Reduced += l.Gain < 0.70795f;  // -3 dB
  }
  l.Frames += static_cast<uint64_t>(frames);
}

void SynthRouteLog() {
  fluid_set_log_function(FLUID_PANIC, LogLine, nullptr);
  fluid_set_log_function(FLUID_ERR, LogLine, nullptr);
  fluid_set_log_function(FLUID_WARN, LogLine, nullptr);
  fluid_set_log_function(FLUID_INFO, LogNothing, nullptr);
  fluid_set_log_function(FLUID_DBG, LogNothing, nullptr);
}

bool SynthCreate(int32_t rate, const std::string& soundFont, const std::vector<int32_t>& pin,
                 SynthHandle* handle, std::string* error) {
  std::vector<int32_t> presets = pin;
  presets.push_back(0);         // what a chase gives a channel without a program
  presets.push_back(128 << 7);  // and the drum channel
  std::sort(presets.begin(), presets.end());
  presets.erase(std::unique(presets.begin(), presets.end()), presets.end());
  const int channels = std::min<int>(256, 16 * (2 + static_cast<int>(presets.size()) / 16));

  fluid_settings_t* settings = new_fluid_settings();
  if (settings == nullptr) {
    *error = "cannot create synth settings";
    return false;
  }
  fluid_settings_setnum(settings, "synth.sample-rate", rate);
  fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
  fluid_settings_setint(settings, "synth.midi-channels", channels);
  fluid_settings_setint(settings, "synth.polyphony", 128);
  fluid_settings_setint(settings, "synth.cpu-cores", 1);
  fluid_settings_setnum(settings, "synth.gain", 0.9);
  fluid_synth_t* synth = new_fluid_synth(settings);
  if (synth == nullptr) {
    delete_fluid_settings(settings);
    *error = "cannot create the synth";
    return false;
  }
  const int id = fluid_synth_sfload(synth, soundFont.c_str(), 1);
  if (id == FLUID_FAILED) {
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    *error = "cannot load SoundFont " + soundFont;
    return false;
  }
  // Holding a preset selected keeps its samples loaded.
  int ch = 16;
  for (int32_t p : presets) {
    if (ch >= channels) break;
    fluid_synth_program_select(synth, ch++, id, p >> 7, p & 127);
  }
  handle->Settings = settings;
  handle->Synth = synth;
  return true;
}

void SynthDestroy(SynthHandle* handle) {
  if (handle->Synth != nullptr) delete_fluid_synth(handle->Synth);
  if (handle->Settings != nullptr) delete_fluid_settings(handle->Settings);
  *handle = SynthHandle{};
}

void SongPresets(const MidiSong& song, std::vector<int32_t>* presets) {
  int bank[16] = {};
  bank[9] = 128;
  for (const MidiEvent& e : song.Events) {
    const int ch = e.Status & 0x0F;
    if ((e.Status & 0xF0) == 0xB0 && e.Data1 == 0 && ch != 9) bank[ch] = e.Data2;
    if ((e.Status & 0xF0) == 0xC0) presets->push_back(bank[ch] << 7 | e.Data1);
  }
}
