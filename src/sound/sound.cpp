// Music by text commands under the alias "bgm", played by our own MIDI player
// on FluidSynth, and numbered wave effects mixed into the same output.
#include "sound/sound.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "frame/frame.h"
#include "platform/audio.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "sound/player.h"
#include "sound/wav.h"

int16_t BgmTrack = 0;
int32_t BgmLoop[3] = {0, 2400, 1600};
std::string BgmPos;
void (*SynthLoadHook)() = nullptr;
const char* const BgmFiles[3] = {"", "bg1.mid", "bg2.mid"};
const int32_t BgmEnd[3] = {0, 271200, 81600};
const int32_t BgmRestart[3] = {0, 2450, 4560};

namespace {

// Command return codes, as the media command interface numbers them.
constexpr int32_t kOk = 0;
constexpr int32_t kUnrecognised = 261;
constexpr int32_t kNotOpen = 263;
constexpr int32_t kAliasInUse = 265;
constexpr int32_t kFileNotFound = 275;
constexpr int32_t kBadPosition = 282;

constexpr float kEffectGain = 0.8f;

// Songs are read once per path, so a track switch during play reads no file.
struct SongSlot {
  std::string Path;
  MidiSong Song;
  bool Ok = false;
};
constexpr int kSongSlots = 8;
SongSlot Songs[kSongSlots];
int SongsUsed = 0;

// Where the sound goes: nowhere with the music keeping time by the clock
// (headless, or no device), or through the callback (a device, or a caller
// pulling it by hand).
enum class Output { Clock, Voices };
Output Mode = Output::Clock;
bool Started = false;
bool DeviceOpen = false;

// The alias "bgm", seen from the game.
const MidiSong* OpenSong = nullptr;

// Clock output: the position moves with the platform clock while playing.
bool ClockPlaying = false;
int64_t ClockPosUs = 0;
int32_t ClockStartMs = 0;

// Voices output; the callback and the game share these under the audio lock.
MusicVoice Music;
EffectVoice Effect;
SynthHandle Synth;
Limiter Limit;

// Quitting never waits for the SoundFont: a loader still busy at shutdown is
// let go, and when it finishes it finds its session over (LoaderSession has
// moved on) and throws its synth away instead of handing it over.
std::mutex LoaderMutex;
uint32_t LoaderSession = 0;

constexpr int kEffects = 9;
std::vector<float> EffectSamples[kEffects];
bool EffectReady[kEffects] = {};
std::string EffectPath[kEffects];

void Warn(const std::string& line) { std::fprintf(stderr, "kurunoa: %s\n", line.c_str()); }

// The player's volume; written by the game, read by the callback.
std::atomic<float> MusicGain{1.0f}, EffectGain{1.0f};
std::atomic<bool> Muted{false};

void Callback(float* out, int32_t frames) {
  MusicRender(Music, Synth.Synth, out, frames);
  const float music = Muted ? 0.0f : MusicGain.load();
  if (music != 1.0f) {
    for (int32_t i = 0; i < 2 * frames; ++i) out[i] *= music;
  }
  EffectMix(Effect, Muted ? 0.0f : kEffectGain * EffectGain, out, frames);
  LimiterRun(Limit, out, frames);
}

const MidiSong* SongFor(const std::string& path) {
  for (int i = 0; i < SongsUsed; ++i) {
    if (Songs[i].Path == path) return Songs[i].Ok ? &Songs[i].Song : nullptr;
  }
  int slot = SongsUsed < kSongSlots ? SongsUsed++ : -1;
  if (slot < 0) {
    // Full: reuse a slot the player is not using.
    for (int i = kSongSlots - 1; i >= 0 && slot < 0; --i) {
      if (&Songs[i].Song != OpenSong) slot = i;
    }
  }
  SongSlot& s = Songs[slot];
  s.Path = path;
  std::string error;
  s.Ok = ReadMidiFile(path, &s.Song, &error);
  if (!s.Ok && !error.empty()) Warn(error + "; the music is silent");
  return s.Ok ? &s.Song : nullptr;
}

// The override first, then the Debian SoundFonts. A file that is not a
// SoundFont is passed over here rather than failing loudly in the loader.
std::string FindSoundFont(const std::string& override) {
  // A regular RIFF file of the SoundFont kind; anything else has said why
  // (a FIFO or a device in its place) or is said here.
  auto probe = [](const std::string& path) {
    std::string head;
    const FileStatus status = ReadDataFile(path, 12, &head);
    if (status != FileStatus::Ok) return status;
    const bool font =
        head.size() == 12 && head.compare(0, 4, "RIFF") == 0 && head.compare(8, 4, "sfbk") == 0;
    return font ? FileStatus::Ok : FileStatus::Unreadable;
  };
  if (!override.empty()) {
    const FileStatus status = probe(override);
    if (status == FileStatus::Ok) return override;
    if (status != FileStatus::NotRegular) Warn("no SoundFont at " + override);
  }
  for (const char* path :
       {"/usr/share/sounds/sf3/FluidR3Mono_GM.sf3", "/usr/share/sounds/sf2/TimGM6mb.sf2"}) {
    if (probe(path) == FileStatus::Ok) return path;
  }
  return "";
}

void LoadSynth(int32_t rate, const std::string& soundFont, const std::vector<int32_t>& presets,
               uint32_t session) {
  if (SynthLoadHook != nullptr) SynthLoadHook();
  SynthHandle handle;
  std::string error;
  const bool made = SynthCreate(rate, soundFont, presets, &handle, &error);
  std::lock_guard<std::mutex> hold(LoaderMutex);
  if (session != LoaderSession) {
    SynthDestroy(&handle);  // the game has shut its sound down meanwhile
    return;
  }
  if (!made) {
    Warn(error + "; the music is silent");
    return;
  }
  AudioLock();
  Synth = handle;
  Music.ChasePending = true;  // catch up with what has played meanwhile
  AudioUnlock();
}

// Voices output at a rate: effects and songs read now, the synth on a thread
// of its own (or before returning, for offline use).
void StartVoices(int32_t rate, const std::string& soundFontOverride, bool waitForSynth) {
  Mode = Output::Voices;
  Music = MusicVoice{};
  Music.Rate = rate;
  Effect = EffectVoice{};
  Limit = Limiter{};
  for (int n = 0; n < kEffects; ++n) {
    EffectReady[n] = false;
    EffectSamples[n].clear();
    if (n == 2) continue;  // never played
    WavSound wav;
    std::string error;
    if (!ReadWavFile(EffectPath[n], &wav, &error)) {
      if (!error.empty()) Warn(error + "; effect " + std::to_string(n) + " is silent");
      continue;
    }
    EffectSamples[n] = ResampleLinear(wav.Samples, wav.Rate, rate);
    const std::size_t most = static_cast<std::size_t>(rate) * kWavMaxSeconds;
    if (EffectSamples[n].size() > most) EffectSamples[n].resize(most);
    if (wav.Cut) {
      Warn(EffectPath[n] + " is longer than " + std::to_string(kWavMaxSeconds) + " s; effect " +
           std::to_string(n) + " is cut there");
    }
    EffectReady[n] = true;
  }
  std::vector<int32_t> presets;
  for (int track = 1; track <= 2; ++track) {
    const MidiSong* song = SongFor(DataPath(std::string("da\\") + BgmFiles[track]));
    if (song != nullptr) SongPresets(*song, &presets);
  }
  const std::string soundFont = FindSoundFont(soundFontOverride);
  if (soundFont.empty()) {
    Warn("no SoundFont found; the music is silent");
    return;
  }
  uint32_t session;
  {
    std::lock_guard<std::mutex> hold(LoaderMutex);
    session = LoaderSession;
  }
  if (waitForSynth) {
    LoadSynth(rate, soundFont, presets, session);
  } else {
    std::thread(LoadSynth, rate, soundFont, presets, session).detach();
  }
}

void PrepareEffectPaths() {
  for (int n = 0; n < kEffects; ++n)
    EffectPath[n] = DataPath("da\\se" + std::to_string(n) + ".wav");
}

int64_t ClockPositionUs() {
  if (!ClockPlaying || OpenSong == nullptr) return ClockPosUs;
  const int64_t now = ClockPosUs + static_cast<int64_t>(PlatformClockMs() - ClockStartMs) * 1000;
  return std::clamp<int64_t>(now, 0, OpenSong->LengthUs);
}

int64_t PositionMs() {
  if (OpenSong == nullptr) return 0;
  if (int64_t ms = 0; Mode == Output::Clock && AudioMusicPositionMs(&ms)) {
    return std::clamp<int64_t>(ms, 0, OpenSong->LengthUs / 1000);
  }
  if (Mode == Output::Clock) return ClockPositionUs() / 1000;
  AudioLock();
  const int64_t ms = MusicPositionMs(Music);
  AudioUnlock();
  return ms;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

// The numeric value of a reply: leading blanks, a sign, digits and a
// fraction; anything else ends it, and no digits at all give 0.
double ReplyValue(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  double v = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') v = v * 10 + (text[i++] - '0');
  if (i < text.size() && text[i] == '.') {
    double scale = 0.1;
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, scale /= 10) {
      v += (text[i] - '0') * scale;
    }
  }
  return negative ? -v : v;
}

// Half to even, held in 32 bits.
int32_t RoundedValue(std::string_view text) {
  const double v = std::nearbyint(ReplyValue(text));
  return static_cast<int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
}

// "seek bgm to " + the position as the number-to-text function writes it:
// a blank in place of the sign of a non-negative number.
std::string_view SeekCommand(char (&buffer)[40], int32_t ms) {
  const int n = std::snprintf(buffer, sizeof buffer, "seek bgm to %s%d", ms >= 0 ? " " : "", ms);
  return std::string_view(buffer, static_cast<std::size_t>(n));
}

void SendCommand(std::string_view command) {
  std::string reply;
  MciCommand(command, reply);
}

int32_t Execute(std::string_view command, std::string& reply) {
  if (StartsWith(command, "open ")) {
    constexpr std::string_view kAlias = " alias bgm";
    if (command.size() < 5 + kAlias.size() ||
        command.substr(command.size() - kAlias.size()) != kAlias)
      return kUnrecognised;
    if (OpenSong != nullptr) return kAliasInUse;
    const std::string path(command.substr(5, command.size() - 5 - kAlias.size()));
    const MidiSong* song = path.empty() ? nullptr : SongFor(path);
    if (song == nullptr) return kFileNotFound;
    OpenSong = song;
    ClockPlaying = false;
    ClockPosUs = 0;
    if (Mode == Output::Voices) {
      AudioLock();
      MusicSetSong(Music, song);
      AudioUnlock();
    }
    return kOk;
  }
  // Every other command names the alias.
  std::string_view rest;
  std::string_view verb;
  for (std::string_view v : {"set", "seek", "play", "stop", "close", "status"}) {
    if (StartsWith(command, v) && StartsWith(command.substr(v.size()), " bgm")) {
      verb = v;
      rest = command.substr(v.size() + 4);
      break;
    }
  }
  if (verb.empty()) return kUnrecognised;
  if (OpenSong == nullptr) return kNotOpen;
  if (verb == "set") {
    // Positions are always milliseconds here.
    return rest == " time format milliseconds" || rest == " time format ms" ? kOk : kUnrecognised;
  }
  if (verb == "status") {
    if (rest != " position") return kUnrecognised;
    char buffer[24];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, PositionMs());
    reply.assign(buffer, r.ptr);
    return kOk;
  }
  if (verb == "seek") {
    if (!StartsWith(rest, " to ")) return kUnrecognised;
    const std::string_view at = rest.substr(4);
    if (at.find_first_of("0123456789") == std::string_view::npos) return kBadPosition;
    const int64_t ms = std::max<int64_t>(0, RoundedValue(at));
    ClockPlaying = false;
    ClockPosUs = std::min<int64_t>(ms * 1000, OpenSong->LengthUs);
    if (Mode == Output::Voices) {
      AudioLock();
      MusicSeek(Music, ms * 1000);
      AudioUnlock();
    }
    return kOk;
  }
  if (!rest.empty()) return kUnrecognised;
  if (verb == "play") {
    if (!ClockPlaying) {
      ClockPlaying = true;
      ClockStartMs = PlatformClockMs();
    }
    if (Mode == Output::Voices) {
      AudioLock();
      MusicPlay(Music);
      AudioUnlock();
    }
    return kOk;
  }
  // stop and close
  ClockPosUs = ClockPositionUs();
  ClockPlaying = false;
  if (Mode == Output::Voices) {
    AudioLock();
    MusicStop(Music);
    if (verb == "close") MusicSetSong(Music, nullptr);
    AudioUnlock();
  }
  if (verb == "close") OpenSong = nullptr;
  return kOk;
}

}  // namespace

std::string MciCommand(std::string_view command, std::string& reply) {
  reply.clear();
  bool traced = false;
  for (std::string_view verb : {"open ", "seek ", "play ", "stop ", "close "}) {
    if (StartsWith(command, verb)) traced = true;
  }
  if (traced) TraceMusic(command);
  const int32_t code = Execute(command, reply);
  // A backend playing the music itself follows what the player accepted.
  if (traced && code == kOk) AudioMusicCommand(command);
  char buffer[12];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, code);
  return std::string(buffer, r.ptr);
}

void BgmOpen(int16_t track) {
  const int16_t t = track >= 1 && track <= 2 ? track : 1;
  const std::string path = DataPath(std::string("da\\") + BgmFiles[t]);
  SendCommand("open " + path + " alias bgm");
  SendCommand("set bgm time format milliseconds");
  char buffer[40];
  const int16_t from = BgmTrack >= 1 && BgmTrack <= 2 ? BgmTrack : t;
  SendCommand(SeekCommand(buffer, BgmLoop[from]));
}

void BgmPlay() { SendCommand("play bgm"); }

void BgmClose() { SendCommand("close bgm"); }

void BgmStop() {
  SendCommand("stop bgm");
  if (BgmTrack == 1) {
    SendCommand("set bgm time format milliseconds");
    MciCommand("status bgm position", BgmPos);
    BgmLoop[1] = RoundedValue(BgmPos);
  }
}

void BgmUpdate() {
  SendCommand("set bgm time format milliseconds");
  MciCommand("status bgm position", BgmPos);
  if (BgmTrack < 1 || BgmTrack > 2) return;  // no track to loop
  if (ReplyValue(BgmPos) >= BgmEnd[BgmTrack]) {
    char buffer[40];
    SendCommand(SeekCommand(buffer, BgmRestart[BgmTrack]));
    SendCommand("play bgm");
  }
}

void SwitchBgm(int16_t n) {
  BgmStop();
  BgmClose();
  BgmTrack = n;
  BgmOpen(n);
  BgmPlay();
}

void PlayEffect(int16_t n) {
  TraceEffect(n);
  AudioEffectStart(n);
  if (n >= 0 && n < kEffects) {
    FilePath = EffectPath[n];
  } else {
    FilePath = DataPath("da\\se" + std::to_string(n) + ".wav");
  }
  if (Mode != Output::Voices) return;
  const bool ready = n >= 0 && n < kEffects && EffectReady[n];
  AudioLock();
  // A missing file stops the effect playing and sounds nothing.
  EffectStart(Effect, ready ? &EffectSamples[n] : nullptr);
  AudioUnlock();
}

void StopEffects() {
  AudioEffectStart(-1);
  if (Mode != Output::Voices) return;
  AudioLock();
  EffectStart(Effect, nullptr);
  AudioUnlock();
}

void SoundInit(const std::string& soundFontOverride) {
  if (Started) SoundShutdown();
  // A lost display ends the process through exit() from inside the X
  // library; the device must stop, and a loader still at work must be told
  // to keep its synth, before the statics they use are destroyed.
  static const bool kShutdownAtExit = std::atexit([] { SoundShutdown(); }) == 0;
  (void)kShutdownAtExit;
  Started = true;
  SynthRouteLog();
  PrepareEffectPaths();
  AudioFormat format;
  std::string message;
  DeviceOpen = AudioOpen(Callback, &format, &message);
  if (!message.empty()) Warn(DeviceOpen ? message : message + "; the game is silent");
  if (!DeviceOpen) {
    Mode = Output::Clock;
    return;
  }
  StartVoices(format.Rate, soundFontOverride, false);
  AudioStart();
}

void SoundInitOffline(int32_t rate, const std::string& soundFontOverride) {
  if (Started) SoundShutdown();
  Started = true;
  SynthRouteLog();
  PrepareEffectPaths();
  StartVoices(rate, soundFontOverride, true);
}

void SoundRenderOffline(float* stereo, int32_t frames) {
  if (Mode == Output::Voices && !DeviceOpen) Callback(stereo, frames);
}

bool SoundSynthReady() {
  AudioLock();
  const bool ready = Synth.Synth != nullptr;
  AudioUnlock();
  return ready;
}

LimiterStats SoundLimiterStats() {
  AudioLock();
  const LimiterStats stats{Limit.Frames, Limit.Over, Limit.Reduced, Limit.PeakIn};
  AudioUnlock();
  return stats;
}

void SoundSetVolume(float music, float effects, bool mute) {
  MusicGain = std::clamp(music, 0.0f, 1.0f);
  EffectGain = std::clamp(effects, 0.0f, 1.0f);
  Muted = mute;
}

void SoundShutdown() {
  {
    std::lock_guard<std::mutex> hold(LoaderMutex);
    ++LoaderSession;  // a loader still at work keeps its synth to itself
  }
  if (DeviceOpen) AudioClose();
  DeviceOpen = false;
  SynthDestroy(&Synth);
  SynthLogSummary();
  Mode = Output::Clock;
  Music = MusicVoice{};
  Effect = EffectVoice{};
  OpenSong = nullptr;
  ClockPlaying = false;
  ClockPosUs = 0;
  SongsUsed = 0;  // the next start reads the files afresh
  Started = false;
}
