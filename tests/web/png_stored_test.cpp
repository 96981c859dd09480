// The uncompressed PNG form the browser build reads its artwork in and
// writes its screenshots in.
#include "platform/png_stored.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

Surface Pattern(int32_t w, int32_t h) {
  Surface s;
  SurfaceResize(s, w, h, 0);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) s.Pixels[y * w + x] = RGB(x * 7, y * 13, (x ^ y) & 255);
  }
  return s;
}

bool Decode(const std::string& bytes, Surface* out, std::string* error) {
  return DecodeStoredPng(*out, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                         error);
}

TEST(StoredPng, RoundTripsAndIsReadByLibpng) {
  // 300 x 300 needs more than one stored block of 65535 bytes.
  for (auto [w, h] : {std::pair{1, 1}, std::pair{5, 3}, std::pair{300, 300}}) {
    const Surface s = Pattern(w, h);
    const std::string png = EncodeStoredPng(s, w, h);
    Surface back;
    std::string error;
    ASSERT_TRUE(Decode(png, &back, &error)) << w << "x" << h << ": " << error;
    EXPECT_EQ(back.Width, w);
    EXPECT_EQ(back.Height, h);
    EXPECT_EQ(back.Pixels, s.Pixels);
    Surface viaLibpng;
    ASSERT_TRUE(SurfaceLoadPng(viaLibpng, reinterpret_cast<const unsigned char*>(png.data()),
                               png.size(), &error))
        << error;
    EXPECT_EQ(viaLibpng.Pixels, s.Pixels) << "a valid PNG for every reader";
  }
}

TEST(StoredPng, RefusesWhatItCannotRead) {
  const Surface s = Pattern(16, 16);
  const std::string good = EncodeStoredPng(s, 16, 16);
  // A compressed PNG as libpng writes it.
  const std::string path = ::testing::TempDir() + "kurunoa_compressed.png";
  ASSERT_TRUE(SurfaceSavePng(s, 16, 16, path, nullptr));
  std::stringstream compressed;
  compressed << std::ifstream(path, std::ios::binary).rdbuf();
  std::remove(path.c_str());
  struct Case {
    const char* Name;
    std::string Bytes;
  } cases[] = {
      {"empty", ""},
      {"not a PNG", "GIF89a.........."},
      {"truncated", good.substr(0, good.size() / 2)},
      {"compressed", compressed.str()},
  };
  for (const Case& c : cases) {
    Surface out;
    std::string error;
    EXPECT_FALSE(Decode(c.Bytes, &out, &error)) << c.Name;
    EXPECT_FALSE(error.empty()) << c.Name;
  }
}

}  // namespace
