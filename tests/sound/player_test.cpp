// The music player and the effect voice, without and with the real synth.
#include "sound/player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace {

constexpr int32_t kRate = 44100;

MidiSong Song(std::initializer_list<MidiEvent> events, int64_t lengthUs) {
  MidiSong s;
  s.Events = events;
  s.LengthUs = lengthUs;
  return s;
}

MidiEvent At(int64_t us, uint8_t status, uint8_t d1, uint8_t d2 = 0) {
  return {us, 0, status, d1, d2};
}

std::string SoundFont() {
  for (const char* p :
       {"/usr/share/sounds/sf3/FluidR3Mono_GM.sf3", "/usr/share/sounds/sf2/TimGM6mb.sf2"}) {
    if (std::filesystem::exists(p)) return p;
  }
  return "";
}

// Renders frames in blocks of 512 into one buffer.
std::vector<float> Render(MusicVoice& v, fluid_synth_t* synth, int32_t frames) {
  std::vector<float> out(2 * static_cast<std::size_t>(frames));
  for (int32_t done = 0; done < frames; done += 512) {
    MusicRender(v, synth, out.data() + 2 * done, std::min(512, frames - done));
  }
  return out;
}

int32_t FirstSound(const std::vector<float>& out) {
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (std::fabs(out[i]) > 1e-4f) return static_cast<int32_t>(i / 2);
  }
  return -1;
}

TEST(MusicPlayer, PositionIsTheMusicRendered) {
  const MidiSong s = Song({At(0, 0x90, 60, 100), At(500000, 0x80, 60)}, 1000000);
  MusicVoice v;
  v.Rate = kRate;
  MusicSetSong(v, &s);
  Render(v, nullptr, 4410);
  EXPECT_EQ(MusicPositionMs(v), 0) << "stopped until played";
  MusicPlay(v);
  Render(v, nullptr, 4410);
  EXPECT_EQ(v.PosFrames, 4410);
  EXPECT_EQ(MusicPositionMs(v), 100);
  EXPECT_EQ(v.Next, 1u);
  MusicStop(v);
  Render(v, nullptr, 4410);
  EXPECT_EQ(MusicPositionMs(v), 100) << "a stop keeps the place";
  MusicPlay(v);
  Render(v, nullptr, 2 * kRate);
  EXPECT_FALSE(v.Playing) << "the song is over";
  EXPECT_EQ(MusicPositionMs(v), 1000) << "and stays at its end";
  EXPECT_EQ(v.Next, 2u);
}

TEST(MusicPlayer, SeekStopsClampsAndFindsTheNextEvent) {
  const MidiSong s =
      Song({At(0, 0x90, 60, 100), At(250000, 0x80, 60), At(250000, 0x90, 62, 90)}, 1000000);
  MusicVoice v;
  v.Rate = kRate;
  MusicSetSong(v, &s);
  MusicPlay(v);
  const struct {
    int64_t Us;
    int64_t Ms;
    std::size_t Next;
  } cases[] = {
      {250000, 250, 1}, {249990, 249, 1}, {250023, 250, 3}, {5000000, 1000, 3}, {-5, 0, 0}};
  for (const auto& c : cases) {
    MusicPlay(v);
    v.ChasePending = false;
    MusicSeek(v, c.Us);
    EXPECT_FALSE(v.Playing) << c.Us;
    EXPECT_TRUE(v.ChasePending) << c.Us;
    EXPECT_EQ(MusicPositionMs(v), c.Ms) << c.Us;
    EXPECT_EQ(v.Next, c.Next) << c.Us;
  }
  MusicVoice closed;
  MusicSeek(closed, 1000);
  EXPECT_EQ(closed.PosFrames, 0) << "nothing to seek in";
}

// A dense song: many notes on one tick, then a note-off much later.
MidiSong Dense(int notes) {
  MidiSong s;
  for (int i = 0; i < notes; ++i) {
    s.Events.push_back(At(0, static_cast<uint8_t>(0x90 | (i % 16)), 36 + i % 64, 1 + i % 127));
  }
  s.Events.push_back(At(900000, 0x80, 60));
  s.LengthUs = 1000000;
  return s;
}

TEST(MusicPlayer, OneRenderSendsABoundedNumberOfEventsAndCarriesTheRestInOrder) {
  MidiSong controllers = Dense(1000);
  for (MidiEvent& e : controllers.Events) e.Status = static_cast<uint8_t>(0xB0 | (e.Status & 15));
  const struct {
    const char* Name;
    const MidiSong& Song;
    std::size_t PerRender;
  } cases[] = {{"notes", Dense(1000), kMusicNotesPerRender},
               {"controllers", controllers, kMusicEventsPerRender}};
  for (const auto& c : cases) {
    MusicVoice v;
    v.Rate = kRate;
    MusicSetSong(v, &c.Song);
    MusicPlay(v);
    std::size_t before = 0;
    for (int call = 1; call <= 4; ++call) {
      Render(v, nullptr, 512);
      EXPECT_EQ(v.Next, std::min<std::size_t>(before + c.PerRender, 1000)) << c.Name << call;
      EXPECT_EQ(v.PosFrames, 512 * call) << "the music keeps its time meanwhile";
      before = v.Next;
    }
    while (v.Next < 1000) Render(v, nullptr, 512);
    EXPECT_LT(v.PosFrames, MusicFrameOf(v, 900000)) << c.Name;
    Render(v, nullptr, kRate);
    EXPECT_EQ(v.Next, 1001u) << c.Name << ": the later note-off at its own time";
  }
}

TEST(EffectVoiceMix, ANewEffectCutsOffTheOldOne) {
  const std::vector<float> a(100, 0.5f), b(10, -0.25f);
  EffectVoice v;
  float out[2 * 8] = {};
  EffectStart(v, &a);
  EffectMix(v, 1.0f, out, 4);
  EXPECT_FLOAT_EQ(out[0], 0.5f);
  EXPECT_FLOAT_EQ(out[7], 0.5f) << "both channels";
  EffectStart(v, &b);
  float next[2 * 16] = {};
  EffectMix(v, 0.5f, next, 16);
  EXPECT_FLOAT_EQ(next[0], -0.125f) << "the new one from its start, at the gain";
  EXPECT_FLOAT_EQ(next[19], -0.125f);
  EXPECT_FLOAT_EQ(next[20], 0.0f) << "and then silence, the old one is gone";
  EXPECT_EQ(v.Samples, nullptr);
  EffectStart(v, &a);
  EffectStart(v, nullptr);  // a missing file stops the effect and plays nothing
  float quiet[2 * 4] = {};
  EffectMix(v, 1.0f, quiet, 4);
  for (float f : quiet) EXPECT_EQ(f, 0.0f);
}

TEST(OutputLimiter, KeepsEveryPeakUnderFullScaleAndLeavesQuietMusicAlone) {
  const struct {
    float Amplitude;
    float WantPeak;  // at most
    float WantGain;  // at least, at the end
  } cases[] = {{0.5f, 0.5f, 1.0f},
               {0.97f, 0.97f, 1.0f},
               {1.32f, kLimiterCeiling, 0.7f},
               {8.0f, kLimiterCeiling, 0.1f}};
  for (const auto& c : cases) {
    Limiter l;
    std::vector<float> out(2 * kRate / 2);
    for (std::size_t i = 0; i < out.size(); ++i)
      out[i] = c.Amplitude * static_cast<float>(std::sin(i / 2 * 2 * M_PI * 440 / kRate));
    const std::vector<float> in = out;
    LimiterRun(l, out.data(), kRate / 2);
    float peak = 0;
    for (float f : out) peak = std::max(peak, std::fabs(f));
    EXPECT_LE(peak, c.WantPeak + 1e-6f) << c.Amplitude;
    EXPECT_GE(l.Gain, c.WantGain - 1e-6f) << c.Amplitude;
    if (c.Amplitude <= kLimiterCeiling) {
      EXPECT_EQ(out, in) << "untouched";
    }
  }
  // After a loud moment the gain comes back within a quarter of a second.
  Limiter l;
  float burst[2] = {4.0f, -4.0f};
  LimiterRun(l, burst, 1);
  EXPECT_LE(std::fabs(burst[0]), kLimiterCeiling);
  std::vector<float> quiet(2 * kRate / 4, 0.1f);
  LimiterRun(l, quiet.data(), kRate / 4);
  EXPECT_GT(l.Gain, 0.99f);
}

class SynthPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    SynthRouteLog();
    const std::string sf = SoundFont();
    ASSERT_FALSE(sf.empty()) << "no General MIDI SoundFont installed";
    std::string error;
    ASSERT_TRUE(SynthCreate(kRate, sf, {40 << 0, 73}, &synth_, &error)) << error;
    v_.Rate = kRate;
  }
  void TearDown() override { SynthDestroy(&synth_); }
  SynthHandle synth_;
  MusicVoice v_;
};

TEST_F(SynthPlayer, EventsSoundAtTheirOwnFrame) {
  // A note a little after one second: not at the start of a 512-frame block.
  const int64_t us = 1000000 + 3000;
  const MidiSong s =
      Song({At(0, 0xC0, 73), At(us, 0x90, 72, 120), At(us + 300000, 0x80, 72)}, us + 600000);
  MusicSetSong(v_, &s);
  MusicPlay(v_);
  const std::vector<float> out = Render(v_, synth_.Synth, 2 * kRate);
  const int32_t onset = FirstSound(out);
  const int32_t frame = static_cast<int32_t>(us * kRate / 1000000);
  ASSERT_GE(onset, frame);
  EXPECT_LT(onset, frame + 2 * 64) << "within the synth's own 64-frame step";
}

TEST_F(SynthPlayer, SeekBringsTheSynthToTheChasedState) {
  const MidiSong s = Song({At(0, 0xC0, 40), At(0, 0xB0, 7, 50), At(200000, 0xE0, 0, 0x60),
                           At(500000, 0x90, 64, 100), At(900000, 0x80, 64)},
                          2000000);
  // Leftovers of whatever played before.
  fluid_synth_cc(synth_.Synth, 0, 7, 127);
  fluid_synth_cc(synth_.Synth, 3, 7, 20);
  fluid_synth_pitch_bend(synth_.Synth, 3, 0);
  fluid_synth_noteon(synth_.Synth, 3, 70, 100);
  MusicSetSong(v_, &s);
  MusicSeek(v_, 1000000);
  Render(v_, synth_.Synth, 512);
  int value = -1;
  fluid_synth_get_cc(synth_.Synth, 0, 7, &value);
  EXPECT_EQ(value, 50);
  fluid_synth_get_pitch_bend(synth_.Synth, 0, &value);
  EXPECT_EQ(value, 0x60 << 7);
  int font = 0, bank = -1, preset = -1;
  fluid_synth_get_program(synth_.Synth, 0, &font, &bank, &preset);
  EXPECT_EQ(preset, 40);
  fluid_synth_get_cc(synth_.Synth, 3, 7, &value);
  EXPECT_EQ(value, 100) << "a channel the song never sets is back to a fresh one";
  fluid_synth_get_pitch_bend(synth_.Synth, 3, &value);
  EXPECT_EQ(value, 8192);
  // The stray note fades by its release: after a second nothing sounds.
  const std::vector<float> tail = Render(v_, synth_.Synth, kRate);
  EXPECT_EQ(FirstSound(std::vector<float>(tail.end() - 2048, tail.end())), -1);
}

TEST_F(SynthPlayer, ALateSynthCatchesUpWithWhatPlayedMeanwhile) {
  const MidiSong s =
      Song({At(0, 0xC0, 73), At(0, 0xB0, 7, 90), At(1500000, 0x90, 72, 110), At(1900000, 0x80, 72)},
           3000000);
  MusicSetSong(v_, &s);
  MusicPlay(v_);
  Render(v_, nullptr, kRate);  // the SoundFont is still loading
  EXPECT_EQ(MusicPositionMs(v_), 1000);
  v_.ChasePending = true;  // as the loader does once it is done
  const std::vector<float> out = Render(v_, synth_.Synth, kRate);
  int font = 0, bank = -1, preset = -1, volume = -1;
  fluid_synth_get_program(synth_.Synth, 0, &font, &bank, &preset);
  fluid_synth_get_cc(synth_.Synth, 0, 7, &volume);
  EXPECT_EQ(preset, 73);
  EXPECT_EQ(volume, 90);
  EXPECT_GE(FirstSound(out), kRate / 2) << "the note at 1.5 s, not before";
}

TEST_F(SynthPlayer, ADenseSongHoldsEachBufferForNoLongerThanABuffer) {
  const MidiSong s = Dense(100000);
  MusicSetSong(v_, &s);
  MusicPlay(v_);
  std::vector<float> out(2 * 512);
  std::vector<double> times;
  for (int i = 0; i < 80; ++i) {  // the song lasts 86 buffers
    const auto start = std::chrono::steady_clock::now();
    MusicRender(v_, synth_.Synth, out.data(), 512);
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  std::printf("dense: render median %.2f ms, p90 %.2f ms, max %.2f ms\n", times[40], times[72],
              times.back());
  // A buffer of 512 frames lasts 11.6 ms; sending every note at once took seconds. The
  // ninetieth percentile, since the machine may be busy with other work.
  const double worst = times[72];
  EXPECT_LT(worst, 40.0);
}

TEST_F(SynthPlayer, ASeekStrikesTheNotesSoundingAcrossIt) {
  const MidiSong s = Song({At(0, 0xC0, 73), At(0, 0x90, 72, 110), At(1500000, 0x80, 72)}, 3000000);
  MusicSetSong(v_, &s);
  MusicSeek(v_, 1000000);
  MusicPlay(v_);
  const std::vector<float> held = Render(v_, synth_.Synth, kRate / 4);
  EXPECT_GE(FirstSound(held), 0) << "the note struck at 0 s still sounds at 1 s";
  EXPECT_LT(FirstSound(held), 256);
  const std::vector<float> after = Render(v_, synth_.Synth, 2 * kRate);
  EXPECT_EQ(FirstSound(std::vector<float>(after.end() - 2048, after.end())), -1)
      << "and ends at its own note-off";
}

TEST_F(SynthPlayer, WarningsArePrintedOncePerKindThenCounted) {
  SynthLogSummary();  // what earlier tests left
  testing::internal::CaptureStderr();
  for (int i = 0; i < 1000; ++i) {
    fluid_log(FLUID_WARN, "voice %d stolen", i);
    fluid_log(FLUID_WARN, "channel %d has no preset", i % 16);
  }
  fluid_log(FLUID_ERR, "voice 3 stolen");  // another level is another kind
  SynthLogSummary();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 5) << err;
  EXPECT_NE(err.find("synth warning: voice 0 stolen"), std::string::npos) << err;
  EXPECT_NE(err.find("synth warning came 999 more times: voice  stolen"), std::string::npos) << err;
  EXPECT_NE(err.find("synth error: voice 3 stolen"), std::string::npos) << err;
}

TEST_F(SynthPlayer, StopReleasesTheNotes) {
  const MidiSong s = Song({At(0, 0xC0, 73), At(0, 0x90, 72, 110), At(5000000, 0x80, 72)}, 6000000);
  MusicSetSong(v_, &s);
  MusicPlay(v_);
  const std::vector<float> playing = Render(v_, synth_.Synth, kRate / 2);
  ASSERT_GE(FirstSound(playing), 0);
  MusicStop(v_);
  const std::vector<float> after = Render(v_, synth_.Synth, kRate);
  EXPECT_EQ(FirstSound(std::vector<float>(after.end() - 2048, after.end())), -1);
}

}  // namespace
