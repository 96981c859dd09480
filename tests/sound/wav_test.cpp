// The wave reader, writer and resampler the effects go through.
#include "sound/wav.h"

#include <gtest/gtest.h>

#include <cstring>

#include "fixtures.h"

namespace {

TEST(WavReader, EncodingsAndChannels) {
  struct Case {
    const char* What;
    Bytes File;
    std::vector<float> Samples;
  };
  Bytes f32;
  for (float v : {0.5f, -0.25f}) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    PutLe(f32, u, 4);
  }
  const Case cases[] = {
      {"16-bit mono", Wav(1, 1, 22050, 16, {0x00, 0x40, 0x00, 0xC0}), {0.5f, -0.5f}},
      {"8-bit is offset", Wav(1, 1, 8000, 8, {0x80, 0xC0, 0x00}), {0.0f, 0.5f, -1.0f}},
      {"24-bit", Wav(1, 1, 48000, 24, {0x00, 0x00, 0x40}), {0.5f}},
      {"stereo mixes down", Wav(1, 2, 44100, 16, {0x00, 0x40, 0x00, 0x00}), {0.25f}},
      {"float", Wav(3, 1, 44100, 32, f32), {0.5f, -0.25f}},
      {"odd byte of a cut frame dropped", Wav(1, 1, 44100, 16, {0x00, 0x40, 0x11}), {0.5f}},
  };
  for (const Case& c : cases) {
    WavSound w;
    std::string error;
    ASSERT_TRUE(ParseWav(c.File.data(), c.File.size(), &w, &error)) << c.What << ": " << error;
    ASSERT_EQ(w.Samples.size(), c.Samples.size()) << c.What;
    for (std::size_t i = 0; i < c.Samples.size(); ++i) {
      EXPECT_NEAR(w.Samples[i], c.Samples[i], 1e-6) << c.What << " " << i;
    }
  }
}

TEST(WavReader, UnusableFilesFail) {
  Bytes dataFirst = {'R', 'I', 'F', 'F', 0,   0, 0, 0, 'W', 'A', 'V',
                     'E', 'd', 'a', 't', 'a', 2, 0, 0, 0,   1,   2};
  const struct {
    const char* What;
    Bytes File;
    const char* Error;
  } cases[] = {
      {"a MIDI file", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96}, "not a wave file"},
      {"ADPCM", Wav(2, 1, 44100, 4, {0, 0}), "unsupported wave encoding"},
      {"12-bit", Wav(1, 1, 44100, 12, {0, 0}), "unsupported wave encoding"},
      {"three channels", Wav(1, 3, 44100, 16, {0, 0}), "bad wave format"},
      {"rate of zero", Wav(1, 1, 0, 16, {0, 0}), "bad wave format"},
      {"data before format", dataFirst, "no wave format"},
  };
  for (const auto& c : cases) {
    WavSound w;
    std::string error;
    EXPECT_FALSE(ParseWav(c.File.data(), c.File.size(), &w, &error)) << c.What;
    EXPECT_EQ(error, c.Error) << c.What;
  }
}

TEST(WavWriter, RoundTripClampsToSixteenBits) {
  const std::filesystem::path p = FreshDir("wav_roundtrip") / "t.wav";
  std::string error;
  ASSERT_TRUE(WriteWavFile(p.string(), 22050, {0.0f, 0.5f, -0.5f, 1.7f, -3.0f}, &error)) << error;
  WavSound w;
  ASSERT_TRUE(ReadWavFile(p.string(), &w, &error)) << error;
  EXPECT_EQ(w.Rate, 22050);
  EXPECT_EQ(w.BitsPerSample, 16);
  ASSERT_EQ(w.Samples.size(), 5u);
  EXPECT_NEAR(w.Samples[1], 0.5f, 1e-4);
  EXPECT_NEAR(w.Samples[3], 32767 / 32768.0f, 1e-6) << "clamped, not wrapped";
  EXPECT_NEAR(w.Samples[4], -32767 / 32768.0f, 1e-6);
  EXPECT_FALSE(WriteWavFile("/nonexistent/dir/t.wav", 22050, {0.0f}, &error));
}

TEST(Resample, KeepsTheDurationAndInterpolates) {
  const std::vector<float> ramp = {0.0f, 1.0f, 2.0f, 3.0f};
  const std::vector<float> up = ResampleLinear(ramp, 22050, 44100);
  ASSERT_EQ(up.size(), 8u);
  EXPECT_FLOAT_EQ(up[1], 0.5f);
  EXPECT_FLOAT_EQ(up[6], 3.0f);
  EXPECT_FLOAT_EQ(up[7], 3.0f) << "held at the last sample";
  EXPECT_EQ(ResampleLinear(std::vector<float>(44100, 0.0f), 44100, 48000).size(), 48000u);
  EXPECT_EQ(ResampleLinear(ramp, 44100, 44100), ramp);
}

}  // namespace
