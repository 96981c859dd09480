#include "sound/player.h"

#include <algorithm>
#include <cstdio>

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

void LogLine(int level, const char* message, void*) {
  const char* kind = level <= FLUID_ERR ? "error" : "warning";
  std::fprintf(stderr, "kurunoa: synth %s: %s\n", kind, message);
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
  if (synth != nullptr) {
    if (v.ChasePending) {
      MidiChase(v.Song == nullptr ? NoSong : *v.Song, v.Song == nullptr ? 0 : v.Next, ChaseState);
      const int32_t n = MidiChaseMessages(ChaseState, ChaseBuffer);
      for (int32_t i = 0; i < n; ++i) Send(synth, ChaseBuffer[i]);
      v.ChasePending = false;
      v.NotesOffPending = false;
    } else if (v.NotesOffPending) {
      for (int ch = 0; ch < 16; ++ch) {
        fluid_synth_cc(synth, ch, 64, 0);
        fluid_synth_all_notes_off(synth, ch);
      }
      v.NotesOffPending = false;
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
      while (v.Next < events.size() && MusicFrameOf(v, events[v.Next].TimeUs) <= v.PosFrames) {
        if (synth != nullptr) Send(synth, events[v.Next]);
        ++v.Next;
      }
      if (v.PosFrames >= end) {
        v.Playing = false;  // the song is over; the position stays at its end
      } else {
        int64_t until = end;
        if (v.Next < events.size()) until = std::min(until, MusicFrameOf(v, events[v.Next].TimeUs));
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
