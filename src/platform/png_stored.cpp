#include "platform/png_stored.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

uint32_t Crc32(const unsigned char* p, std::size_t n, uint32_t crc = 0) {
  static uint32_t table[256];
  static bool made = false;
  if (!made) {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
    made = true;
  }
  crc = ~crc;
  for (std::size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 255] ^ (crc >> 8);
  return ~crc;
}

void PutBe32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 255));
}

uint32_t GetBe32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void Chunk(std::string& out, const char* type, const std::string& body) {
  PutBe32(out, static_cast<uint32_t>(body.size()));
  const std::size_t start = out.size();
  out.append(type, 4);
  out += body;
  PutBe32(out,
          Crc32(reinterpret_cast<const unsigned char*>(out.data() + start), out.size() - start));
}

bool Fail(std::string* error, const char* why) {
  if (error) *error = why;
  return false;
}

}  // namespace

std::string EncodeStoredPng(const Surface& s, int32_t w, int32_t h) {
  std::string raw;
  raw.reserve(static_cast<std::size_t>(h) * (1 + 3 * w));
  for (int32_t y = 0; y < h; ++y) {
    raw.push_back(0);  // no filter
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t p = s.Pixels[static_cast<std::size_t>(y) * s.Width + x];
      raw.push_back(static_cast<char>((p >> 16) & 255));
      raw.push_back(static_cast<char>((p >> 8) & 255));
      raw.push_back(static_cast<char>(p & 255));
    }
  }
  std::string z = "\x78\x01";
  uint32_t a = 1, b = 0;  // Adler-32
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    z.push_back(at + n >= raw.size() ? 1 : 0);
    z.push_back(static_cast<char>(n & 255));
    z.push_back(static_cast<char>(n >> 8));
    z.push_back(static_cast<char>(~n & 255));
    z.push_back(static_cast<char>((~n >> 8) & 255));
    z.append(raw, at, n);
    if (raw.empty()) break;
  }
  PutBe32(z, (b << 16) | a);
  std::string header;
  PutBe32(header, static_cast<uint32_t>(w));
  PutBe32(header, static_cast<uint32_t>(h));
  header += std::string("\x08\x02\x00\x00\x00", 5);
  std::string out = "\x89PNG\r\n\x1a\n";
  Chunk(out, "IHDR", header);
  Chunk(out, "IDAT", z);
  Chunk(out, "IEND", "");
  return out;
}

bool DecodeStoredPng(Surface& s, const unsigned char* data, std::size_t size, std::string* error) {
  if (size < 8 || std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) != 0) return Fail(error, "not a PNG");
  int32_t w = 0, h = 0;
  std::vector<unsigned char> z;
  for (std::size_t at = 8; at + 12 <= size;) {
    const uint32_t n = GetBe32(data + at);
    if (n > size - at - 12) return Fail(error, "truncated chunk");
    const unsigned char* type = data + at + 4;
    const unsigned char* body = data + at + 8;
    if (std::memcmp(type, "IHDR", 4) == 0) {
      if (n != 13 || body[8] != 8 || body[9] != 2 || body[12] != 0)
        return Fail(error, "only 8-bit RGB without interlace is read");
      w = static_cast<int32_t>(GetBe32(body));
      h = static_cast<int32_t>(GetBe32(body + 4));
      if (w <= 0 || h <= 0 || w > 4096 || h > 4096) return Fail(error, "bad size");
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      z.insert(z.end(), body, body + n);
    }
    at += 12 + n;
  }
  if (w == 0) return Fail(error, "no header");
  const std::size_t stride = 1 + 3 * static_cast<std::size_t>(w);
  std::vector<unsigned char> raw;
  raw.reserve(stride * h);
  std::size_t at = 2;  // past the zlib header
  for (bool last = false; !last;) {
    if (at + 5 > z.size()) return Fail(error, "truncated data");
    if ((z[at] & 6) != 0) return Fail(error, "compressed data is not read here");
    last = z[at] & 1;
    const std::size_t n = z[at + 1] | (z[at + 2] << 8);
    at += 5;
    if (n > z.size() - at) return Fail(error, "truncated data");
    raw.insert(raw.end(), z.begin() + at, z.begin() + at + n);
    at += n;
  }
  if (raw.size() != stride * h) return Fail(error, "wrong amount of data");
  s.Width = w;
  s.Height = h;
  s.Pixels.resize(static_cast<std::size_t>(w) * h);
  for (int32_t y = 0; y < h; ++y) {
    const unsigned char* row = &raw[y * stride];
    if (row[0] != 0) return Fail(error, "filtered rows are not read here");
    for (int32_t x = 0; x < w; ++x) {
      s.Pixels[static_cast<std::size_t>(y) * w + x] =
          RGB(row[1 + 3 * x], row[2 + 3 * x], row[3 + 3 * x]);
    }
  }
  s.Dirty = true;
  return true;
}
