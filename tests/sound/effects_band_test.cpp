// Whether each effect cuts through the music: through the offline mix, the
// effect's energy between 300 Hz and 4 kHz (where small speakers play and
// the ear is keenest) against the music's over the effect's length, with
// both tracks at positions spread over their loops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "frame/frame.h"
#include "sound/sound.h"
#include "sound/wav.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr int kEffects[] = {0, 1, 3, 4, 5, 6, 7, 8};

// The next frames of the mix, stereo interleaved.
std::vector<float> Pull(double seconds) {
  const int32_t frames = static_cast<int32_t>(seconds * kRate);
  std::vector<float> st(2 * static_cast<std::size_t>(frames));
  for (int32_t done = 0; done < frames; done += 512)
    SoundRenderOffline(st.data() + 2 * done, std::min(512, frames - done));
  return st;
}

// The two channels averaged.
std::vector<double> Mono(const std::vector<float>& st) {
  std::vector<double> m(st.size() / 2);
  for (std::size_t i = 0; i < m.size(); ++i) m[i] = 0.5 * (st[2 * i] + st[2 * i + 1]);
  return m;
}

// The highest sample of music and effect added (as the mixer adds them,
// before its output stage) over the effect's first frames.
double SumPeak(const std::vector<float>& music, const std::vector<float>& effect) {
  double peak = 0;
  for (std::size_t i = 0; i < music.size() && i < effect.size(); ++i)
    peak = std::max(peak, std::fabs(static_cast<double>(music[i]) + effect[i]));
  return peak;
}

// Two second-order high passes at 300 Hz, then two low passes at 4 kHz
// (RBJ biquads, Q 0.707).
struct Biquad {
  double B0, B1, B2, A1, A2, X1 = 0, X2 = 0, Y1 = 0, Y2 = 0;
  Biquad(double freq, bool high) {
    const double w = 2 * M_PI * freq / kRate, alpha = std::sin(w) / (2 * 0.7071), c = std::cos(w);
    const double a0 = 1 + alpha;
    B0 = (high ? (1 + c) / 2 : (1 - c) / 2) / a0;
    B1 = (high ? -(1 + c) : 1 - c) / a0;
    B2 = B0;
    A1 = -2 * c / a0;
    A2 = (1 - alpha) / a0;
  }
  double Run(double x) {
    const double y = B0 * x + B1 * X1 + B2 * X2 - A1 * Y1 - A2 * Y2;
    X2 = X1, X1 = x, Y2 = Y1, Y1 = y;
    return y;
  }
};

// Mean-square energy of the band over the first n samples, in dB.
double BandDb(const std::vector<double>& v, std::size_t n) {
  Biquad f[] = {{300, true}, {300, true}, {4000, false}, {4000, false}};
  double sum = 0;
  for (std::size_t i = 0; i < n && i < v.size(); ++i) {
    double x = v[i];
    for (Biquad& b : f) x = b.Run(x);
    sum += x * x;
  }
  return 10 * std::log10(sum / static_cast<double>(n) + 1e-30);
}

class EffectsOverMusic : public ::testing::Test {
 protected:
  void SetUp() override {
    SoundShutdown();
    InitHeadlessSession(std::string(KURUNOA_SOURCE_DIR) + "/", 1);
    BgmTrack = 0;
    SoundInitOffline(kRate, "");
    ASSERT_TRUE(SoundSynthReady());
  }
  void TearDown() override {
    BgmStop();
    BgmClose();
    SoundShutdown();
  }
};

TEST_F(EffectsOverMusic, EveryEffectIsAtLeastAsLoudAsTheMusicInTheSpeakerBand) {
  // The effects alone, as the engine mixes them (gain included).
  std::vector<std::size_t> length;
  std::vector<double> effectDb;
  std::vector<std::vector<float>> effectMix;
  for (int n : kEffects) {
    WavSound w;
    std::string error;
    ASSERT_TRUE(ReadWavFile(std::string(KURUNOA_SOURCE_DIR) + "/da/se" + std::to_string(n) + ".wav",
                            &w, &error))
        << error;
    const double seconds = static_cast<double>(w.Samples.size()) / w.Rate;
    PlayEffect(n);
    effectMix.push_back(Pull(seconds));
    const std::vector<double> alone = Mono(effectMix.back());
    length.push_back(alone.size());
    effectDb.push_back(BandDb(alone, alone.size()));
    Pull(0.05);  // let it end before the next
  }
  const std::size_t longest = *std::max_element(length.begin(), length.end());

  // The music at sixteen places of each loop, each reached from two seconds
  // earlier so that the notes already sounding are there.
  struct Track {
    int N;
    int32_t From, To;
  };
  const Track tracks[] = {{1, 2450, 271200}, {2, 4560, 81600}};
  std::printf(
      "effect  track  effect dB  music dB (median / loudest)  margin (median / worst)  "
      "peak of the sum (highest, places over 1)\n");
  for (const Track& t : tracks) {
    std::vector<std::vector<float>> windows;
    for (int k = 0; k < 16; ++k) {
      const int32_t at = t.From + 2000 + (t.To - t.From - 4000) * k / 15;
      BgmStop();
      BgmClose();
      BgmTrack = t.N;
      BgmLoop[t.N] = at - 2000;
      BgmOpen(t.N);
      BgmPlay();
      Pull(2.0);
      windows.push_back(Pull(static_cast<double>(longest) / kRate));
    }
    for (std::size_t e = 0; e < length.size(); ++e) {
      std::vector<double> music;
      double highest = 0;
      int over = 0;
      for (const auto& w : windows) {
        music.push_back(BandDb(Mono(w), length[e]));
        const double peak = SumPeak(w, effectMix[e]);
        highest = std::max(highest, peak);
        over += peak > 1.0;
      }
      std::sort(music.begin(), music.end());
      const double median = music[music.size() / 2], loudest = music.back();
      std::printf(
          "se%d     bg%d    %6.1f     %6.1f / %6.1f               %+5.1f / %+5.1f            "
          "%4.2f, %d of 16\n",
          kEffects[e], t.N, effectDb[e], median, loudest, effectDb[e] - median,
          effectDb[e] - loudest, highest, over);
      // Against the loudest of the sixteen places, not only the typical one.
      EXPECT_GE(effectDb[e], loudest) << "se" << kEffects[e] << " over bg" << t.N;
    }
  }
}

// The landing used to be a thud alone, nearly all of it below 200 Hz, which
// laptop speakers do not play: at least half of it must now lie above 300 Hz.
TEST(LandingEffect, KnocksAboveTheThud) {
  WavSound w;
  std::string error;
  ASSERT_TRUE(ReadWavFile(std::string(KURUNOA_SOURCE_DIR) + "/da/se5.wav", &w, &error)) << error;
  std::vector<double> v(w.Samples.begin(), w.Samples.end());
  Biquad high[] = {{300, true}, {300, true}};
  double all = 0, above = 0;
  for (double x : v) {
    all += x * x;
    for (Biquad& b : high) x = b.Run(x);
    above += x * x;
  }
  std::printf("se5: %.0f %% of its energy above 300 Hz\n", 100 * above / all);
  EXPECT_GE(above / all, 0.5);
}

}  // namespace
