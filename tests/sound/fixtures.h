// Small MIDI and wave files built in the test, so each case shows its bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void PutBe(Bytes& out, uint32_t v, int n) {
  for (int i = n - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void PutLe(Bytes& out, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A track chunk around raw event bytes (delta times included by the caller).
inline Bytes Track(std::initializer_list<uint8_t> events) {
  Bytes t = {'M', 'T', 'r', 'k'};
  PutBe(t, static_cast<uint32_t>(events.size()), 4);
  t.insert(t.end(), events);
  return t;
}

inline Bytes Smf(int format, int division, const std::vector<Bytes>& tracks) {
  Bytes f = {'M', 'T', 'h', 'd'};
  PutBe(f, 6, 4);
  PutBe(f, static_cast<uint32_t>(format), 2);
  PutBe(f, static_cast<uint32_t>(tracks.size()), 2);
  PutBe(f, static_cast<uint32_t>(division), 2);
  for (const Bytes& t : tracks) f.insert(f.end(), t.begin(), t.end());
  return f;
}

// A wave file of the given format around raw sample bytes.
inline Bytes Wav(int tag, int channels, int rate, int bits, const Bytes& data) {
  Bytes f = {'R', 'I', 'F', 'F'};
  PutLe(f, static_cast<uint32_t>(36 + data.size()), 4);
  f.insert(f.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLe(f, 16, 4);
  PutLe(f, static_cast<uint32_t>(tag), 2);
  PutLe(f, static_cast<uint32_t>(channels), 2);
  PutLe(f, static_cast<uint32_t>(rate), 4);
  PutLe(f, static_cast<uint32_t>(rate * channels * bits / 8), 4);
  PutLe(f, static_cast<uint32_t>(channels * bits / 8), 2);
  PutLe(f, static_cast<uint32_t>(bits), 2);
  f.insert(f.end(), {'d', 'a', 't', 'a'});
  PutLe(f, static_cast<uint32_t>(data.size()), 4);
  f.insert(f.end(), data.begin(), data.end());
  return f;
}

inline void WriteBytes(const std::filesystem::path& p, const Bytes& b) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// A fresh folder under the test's temporary directory.
inline std::filesystem::path FreshDir(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}
