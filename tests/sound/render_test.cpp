// The whole output path rendered offline: our music through the real synth
// with the Debian SoundFont, and the effects mixed over it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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

}  // namespace
