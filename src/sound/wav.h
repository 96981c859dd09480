// Wave files: the reader the effects are loaded with and the writer our
// effect generator uses, plus the resampling to the device rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// No effect is longer: the reader stops there, so an absurd header (a long
// file at a low rate) never turns into gigabytes after resampling.
constexpr int32_t kWavMaxSeconds = 10;

struct WavSound {
  int32_t Rate = 0;
  int16_t Channels = 0;        // of the file; Samples is always mono
  int16_t BitsPerSample = 0;   // of the file
  std::vector<float> Samples;  // -1..1, the channels mixed down
  bool Cut = false;            // the file held more than kWavMaxSeconds
};

// PCM of 8, 16, 24 or 32 bits or 32-bit float, one or two channels; at most
// kWavMaxSeconds of it.
bool ParseWav(const uint8_t* data, std::size_t size, WavSound* sound, std::string* error);
bool ReadWavFile(const std::string& path, WavSound* sound, std::string* error);
// 16-bit mono PCM; samples are clamped to -1..1.
bool WriteWavFile(const std::string& path, int32_t rate, const std::vector<float>& samples,
                  std::string* error);

// Linear interpolation to another rate (effects are short and bright enough
// that nothing better is audible).
std::vector<float> ResampleLinear(const std::vector<float>& in, int32_t fromRate, int32_t toRate);
