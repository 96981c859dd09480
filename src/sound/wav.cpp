#include "sound/wav.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "sound/filebytes.h"

namespace {

uint32_t Le(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void PutLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

float SampleAt(const uint8_t* p, int bits, bool isFloat) {
  if (isFloat) {
    float f;
    uint32_t u = Le(p, 4);
    std::memcpy(&f, &u, 4);
    return std::isfinite(f) ? std::clamp(f, -1.0f, 1.0f) : 0.0f;
  }
  switch (bits) {
    case 8:
      return (static_cast<int>(p[0]) - 128) / 128.0f;
    case 16:
      return static_cast<int16_t>(Le(p, 2)) / 32768.0f;
    case 24:
      return static_cast<int32_t>(Le(p, 3) << 8) / 2147483648.0f;
    default:
      return static_cast<int32_t>(Le(p, 4)) / 2147483648.0f;
  }
}

}  // namespace

bool ParseWav(const uint8_t* data, std::size_t size, WavSound* sound, std::string* error) {
  *sound = WavSound{};
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
    *error = "not a wave file";
    return false;
  }
  bool haveFormat = false;
  bool isFloat = false;
  int blockAlign = 0;
  std::size_t pos = 12;
  while (size - pos >= 8) {
    const uint32_t len = Le(data + pos + 4, 4);
    const uint8_t* body = data + pos + 8;
    const std::size_t avail = size - pos - 8;
    if (std::memcmp(data + pos, "fmt ", 4) == 0) {
      if (len < 16 || avail < 16) break;
      uint32_t tag = Le(body, 2);
      if (tag == 0xFFFE && len >= 26 && avail >= 26) tag = Le(body + 24, 2);  // extensible
      sound->Channels = static_cast<int16_t>(Le(body + 2, 2));
      sound->Rate = static_cast<int32_t>(std::min<uint32_t>(Le(body + 4, 4), 1000000));
      blockAlign = static_cast<int>(Le(body + 12, 2));
      sound->BitsPerSample = static_cast<int16_t>(Le(body + 14, 2));
      const int bits = sound->BitsPerSample;
      isFloat = tag == 3;
      const bool pcmOk = tag == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
      if (!(pcmOk || (isFloat && bits == 32))) {
        *error = "unsupported wave encoding";
        return false;
      }
      if (sound->Channels < 1 || sound->Channels > 2 || sound->Rate < 1000 ||
          blockAlign != sound->Channels * bits / 8) {
        *error = "bad wave format";
        return false;
      }
      haveFormat = true;
    } else if (std::memcmp(data + pos, "data", 4) == 0) {
      if (!haveFormat) break;
      // A data chunk cut short keeps its whole frames.
      const std::size_t bytes = std::min<std::size_t>(len, avail);
      const std::size_t whole = bytes / blockAlign;
      const std::size_t most = static_cast<std::size_t>(sound->Rate) * kWavMaxSeconds;
      const std::size_t frames = std::min(whole, most);
      sound->Cut = whole > most;
      const int step = sound->BitsPerSample / 8;
      sound->Samples.resize(frames);
      for (std::size_t i = 0; i < frames; ++i) {
        const uint8_t* p = body + i * blockAlign;
        float v = SampleAt(p, sound->BitsPerSample, isFloat);
        if (sound->Channels == 2)
          v = 0.5f * (v + SampleAt(p + step, sound->BitsPerSample, isFloat));
        sound->Samples[i] = v;
      }
      return true;
    }
    const std::size_t advance = 8 + static_cast<std::size_t>(len) + (len & 1);
    if (advance > size - pos) break;
    pos += advance;
  }
  *error = haveFormat ? "no wave data" : "no wave format";
  return false;
}

bool ReadWavFile(const std::string& path, WavSound* sound, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, 32u << 20, &bytes, error)) return false;  // effects are short
  if (!ParseWav(bytes.data(), bytes.size(), sound, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

bool WriteWavFile(const std::string& path, int32_t rate, const std::vector<float>& samples,
                  std::string* error) {
  std::vector<uint8_t> out;
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  PutLe(out, 36 + dataBytes, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);  // PCM
  PutLe(out, 1, 2);  // mono
  PutLe(out, static_cast<uint32_t>(rate), 4);
  PutLe(out, static_cast<uint32_t>(rate) * 2, 4);
  PutLe(out, 2, 2);
  PutLe(out, 16, 2);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  PutLe(out, dataBytes, 4);
  for (float s : samples) {
    const long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
    PutLe(out, static_cast<uint32_t>(static_cast<int16_t>(v)), 2);
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    *error = "cannot write " + path;
    return false;
  }
  const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  if (std::fclose(f) != 0 || !ok) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

std::vector<float> ResampleLinear(const std::vector<float>& in, int32_t fromRate, int32_t toRate) {
  if (in.empty() || fromRate == toRate || fromRate <= 0 || toRate <= 0) return in;
  const std::size_t n = static_cast<std::size_t>(
      (static_cast<uint64_t>(in.size()) * static_cast<uint64_t>(toRate) + fromRate - 1) /
      static_cast<uint64_t>(fromRate));
  std::vector<float> out(n);
  const double step = static_cast<double>(fromRate) / toRate;
  for (std::size_t i = 0; i < n; ++i) {
    const double x = i * step;
    const std::size_t k = static_cast<std::size_t>(x);
    const float frac = static_cast<float>(x - k);
    const float a = in[std::min(k, in.size() - 1)];
    const float b = in[std::min(k + 1, in.size() - 1)];
    out[i] = a + (b - a) * frac;
  }
  return out;
}
