// The music player and the effect voice, without and with the real synth.
#include "sound/player.h"

#include <gtest/gtest.h>

#include <cmath>
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
