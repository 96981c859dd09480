// The whole output path rendered offline: our music through the real synth
// with the Debian SoundFont, and the effects mixed over it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>

#include "fixtures.h"
#include "frame/frame.h"
#include "sound/sound.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kRate = 44100;

std::vector<float> Pull(double seconds) {
  const int32_t frames = static_cast<int32_t>(seconds * kRate);
  std::vector<float> out(2 * static_cast<std::size_t>(frames));
  for (int32_t done = 0; done < frames; done += 512) {
    SoundRenderOffline(out.data() + 2 * done, std::min(512, frames - done));
  }
  return out;
}

double Peak(const std::vector<float>& v) {
  double p = 0;
  for (float f : v) p = std::max(p, static_cast<double>(std::fabs(f)));
  return p;
}

double RmsDb(const std::vector<float>& v) {
  double sum = 0;
  for (float f : v) sum += static_cast<double>(f) * f;
  return 10 * std::log10(sum / static_cast<double>(v.size()) + 1e-30);
}

class Offline : public ::testing::Test {
 protected:
  void Start(const std::string& appDir) {
    SoundShutdown();
    InitHeadlessSession(appDir, 1);
    BgmTrack = 0;
    BgmLoop[1] = 2400;
    BgmLoop[2] = 1600;
    SoundInitOffline(kRate, "");
    ASSERT_TRUE(SoundSynthReady());
  }
  void SetUp() override { Start(std::string(KURUNOA_SOURCE_DIR) + "/"); }
  void TearDown() override {
    BgmStop();
    BgmClose();
    SoundShutdown();
  }
};

TEST_F(Offline, TwoSecondsOfTheSchoolDayThroughTheSynth) {
  BgmTrack = 1;
  BgmOpen(1);
  BgmPlay();
  const std::vector<float> out = Pull(2.0);
  EXPECT_GT(RmsDb(out), -35.0) << "not silent";
  EXPECT_LT(Peak(out), 0.99) << "not clipping";
  std::string reply;
  MciCommand("status bgm position", reply);
  EXPECT_EQ(reply, "4400") << "the position is the music rendered, to the millisecond";
}

TEST_F(Offline, HighSpiritsFromItsStartIsNotSilentEither) {
  BgmTrack = 2;
  BgmOpen(2);
  BgmPlay();
  const std::vector<float> out = Pull(1.0);
  EXPECT_GT(RmsDb(out), -35.0);
  EXPECT_LT(Peak(out), 0.99);
}

TEST_F(Offline, OnlyTheLastEffectOfAFrameIsHeard) {
  PlayEffect(3);
  PlayEffect(5);
  const std::vector<float> both = Pull(0.3);
  PlayEffect(5);
  const std::vector<float> alone = Pull(0.3);
  ASSERT_GT(Peak(alone), 0.1);
  ASSERT_EQ(both.size(), alone.size());
  double diff = 0;
  for (std::size_t i = 0; i < both.size(); ++i)
    diff = std::max(diff, double(std::fabs(both[i] - alone[i])));
  EXPECT_LT(diff, 1e-6) << "effect 3 was cut off before a sample of it sounded";
}

TEST_F(Offline, ANewEffectCutsOffOneThatIsPlaying) {
  PlayEffect(3);  // the ding rings for most of a second
  Pull(0.1);
  PlayEffect(5);  // the thud is over in a quarter
  Pull(0.3);
  EXPECT_LT(Peak(Pull(0.2)), 1e-6) << "nothing of the ding is left";
}

TEST_F(Offline, StopEffectsSilences) {
  PlayEffect(4);
  ASSERT_GT(Peak(Pull(0.1)), 0.05);
  StopEffects();
  EXPECT_LT(Peak(Pull(0.1)), 1e-6);
}

TEST_F(Offline, EffectsMixOverTheMusic) {
  BgmTrack = 1;
  BgmOpen(1);
  BgmPlay();
  const std::vector<float> music = Pull(0.25);
  PlayEffect(0);
  const std::vector<float> mixed = Pull(0.25);
  EXPECT_GT(RmsDb(mixed), RmsDb(music) + 3) << "the reward sounds over the music";
  EXPECT_LE(Peak(mixed), 1.0);
}

TEST_F(Offline, AMissingEffectFileIsSilentAndStillCutsOff) {
  const fs::path dir = FreshDir("offline_missing");
  fs::create_directories(dir / "da");
  fs::copy_file(fs::path(KURUNOA_SOURCE_DIR) / "da" / "se3.wav", dir / "da" / "se3.wav");
  testing::internal::CaptureStderr();
  Start(dir.string());
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("se5.wav"), std::string::npos) << err;
  EXPECT_EQ(err.find("se3.wav"), std::string::npos) << err;
  PlayEffect(3);
  ASSERT_GT(Peak(Pull(0.05)), 0.05);
  PlayEffect(5);
  EXPECT_LT(Peak(Pull(0.1)), 1e-6) << "no alert sound, and the ding is gone";
}

TEST_F(Offline, ASoundFontOverrideThatIsNoSoundFontFallsBackWithOneLine) {
  const std::string notFont = std::string(KURUNOA_SOURCE_DIR) + "/da/bg1.mid";
  const struct {
    std::string Override;
    int Lines;
  } cases[] = {{"/usr/share/sounds/sf2/TimGM6mb.sf2", 0}, {notFont, 1}, {"/no/such.sf2", 1}};
  for (const auto& c : cases) {
    SoundShutdown();
    testing::internal::CaptureStderr();
    SoundInitOffline(kRate, c.Override);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), c.Lines) << c.Override << ": " << err;
    if (c.Lines > 0) {
      EXPECT_NE(err.find("no SoundFont at " + c.Override), std::string::npos) << err;
    }
    EXPECT_TRUE(SoundSynthReady()) << c.Override;
    BgmTrack = 1;
    BgmOpen(1);
    BgmPlay();
    EXPECT_GT(RmsDb(Pull(0.5)), -40.0) << c.Override;
    BgmStop();
    BgmClose();
  }
}

// Both tracks with effects thrown in at random (seeded) as play does, with
// each SoundFont: nothing passes full scale and the limiter seldom has to
// work hard.
TEST_F(Offline, TheLimiterKeepsEffectsOverTheMusicUnderFullScale) {
  for (const char* font :
       {"/usr/share/sounds/sf3/FluidR3Mono_GM.sf3", "/usr/share/sounds/sf2/TimGM6mb.sf2"}) {
    if (!fs::exists(font)) continue;
    SoundShutdown();
    SoundInitOffline(kRate, font);
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> gap(4, 40);  // frames of 27 ms between effects
    const int16_t effects[] = {0, 1, 3, 4, 5, 6, 7, 8};
    std::uniform_int_distribution<int> which(0, 7);
    double peak = 0;
    for (int16_t track : {2, 1}) {
      BgmTrack = track;
      BgmOpen(track);
      BgmPlay();
      const int frames = track == 2 ? 3000 : 2000;  // 81 s of track 2, 54 s of track 1
      for (int f = 0, nextEffect = 0; f < frames; ++f) {
        if (f == nextEffect) {
          PlayEffect(effects[which(rng)]);
          nextEffect += gap(rng);
        }
        BgmUpdate();
        peak = std::max(peak, Peak(Pull(0.027)));
      }
      BgmStop();
      BgmClose();
    }
    const LimiterStats st = SoundLimiterStats();
    const double reduced = 100.0 * st.Reduced / st.Frames;
    std::printf(
        "limiter %s: peak in %.2f, frames over full scale (clamped before) %llu = %.4f %%, peak "
        "out %.3f, "
        "reduced by more than 3 dB %.3f %%\n",
        font, st.PeakIn, static_cast<unsigned long long>(st.Over), 100.0 * st.Over / st.Frames,
        peak, reduced);
    EXPECT_LE(peak, 1.0) << font;
    EXPECT_LT(reduced, 1.0) << font;
  }
}

// Track 1 resumed at random places (seeded) sounds as full as when it
// played on through them: the notes sounding across a resume point are
// struck again. Compared over the first 250 ms after each point.
TEST_F(Offline, AResumeSoundsAsFullAsPlayingOn) {
  constexpr int kPoints = 40;
  constexpr int32_t kWindow = kRate / 4;
  std::mt19937 rng(16);
  std::uniform_int_distribution<int> pick(300, 26900);  // tens of ms, inside the loop
  std::vector<int64_t> points;
  for (int i = 0; i < kPoints; ++i) points.push_back(pick(rng) * 10);
  std::sort(points.begin(), points.end());

  // Played on from the start of a year, one window per point.
  auto frameOf = [](int64_t ms) { return ms * kRate / 1000; };
  std::vector<double> onSum(kPoints, 0.0);
  BgmTrack = 1;
  BgmOpen(1);
  BgmPlay();
  int64_t frame = frameOf(2400);
  std::vector<float> block(2 * 4096);
  for (int next = 0; next < kPoints;) {
    SoundRenderOffline(block.data(), 4096);
    for (int i = next; i < kPoints && frameOf(points[i]) < frame + 4096; ++i) {
      const int64_t from = std::max(frameOf(points[i]), frame);
      const int64_t to = std::min(frameOf(points[i]) + kWindow, frame + 4096);
      for (int64_t f = from; f < to; ++f) {
        for (int c = 0; c < 2; ++c)
          onSum[i] += double(block[2 * (f - frame) + c]) * block[2 * (f - frame) + c];
      }
    }
    frame += 4096;
    while (next < kPoints && frameOf(points[next]) + kWindow <= frame) ++next;
  }
  BgmStop();
  BgmClose();

  // Resumed there after a silence, as after the other track.
  std::vector<double> diffs;
  for (int i = 0; i < kPoints; ++i) {
    Pull(1.0);  // what sounded before has died away
    BgmTrack = 1;
    BgmLoop[1] = static_cast<int32_t>(points[i]);
    BgmOpen(1);
    BgmPlay();
    const std::vector<float> resumed = Pull(0.25);
    BgmStop();
    BgmClose();
    double sum = 0;
    for (float f : resumed) sum += double(f) * f;
    const double on = 10 * std::log10(onSum[i] / (2.0 * kWindow) + 1e-30);
    if (on < -50) continue;  // a rest in the music: nothing to compare
    diffs.push_back(10 * std::log10(sum / resumed.size() + 1e-30) - on);
  }
  ASSERT_GE(diffs.size(), kPoints / 2u);
  std::sort(diffs.begin(), diffs.end());
  const double median = diffs[diffs.size() / 2];
  std::printf("resume: %zu points, median %.1f dB, worst %.1f dB\n", diffs.size(), median,
              diffs.front());
  EXPECT_LT(std::fabs(median), 2.0);
  EXPECT_GT(diffs.front(), -6.0);
}

}  // namespace
