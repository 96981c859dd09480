// The sheets as the drawing code cuts them: every region where the game
// reads it, masks pure black and white, every picture on white inside its
// mask, and nothing stray outside the regions.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "sheet_file.h"

namespace {

const SheetFile& Sheet(const std::string& name) {
  static std::map<std::string, SheetFile> cache;
  auto it = cache.find(name);
  if (it == cache.end()) it = cache.emplace(name, ReadSheet(AssetPath(name))).first;
  return it->second;
}

enum Kind { kMasked, kMaskOnly, kOpaque };

struct Cell {
  std::string File, What;
  int X, Y, W, H;
  Kind K;
  int MaskX = 0, MaskY = 0;  // kMasked only
};

// Every region the game reads, with its mask.
std::vector<Cell> Catalogue() {
  std::vector<Cell> c;
  auto masked = [&](const char* f, std::string what, int x, int y, int w, int h, int mx, int my) {
    c.push_back({f, what, x, y, w, h, kMasked, mx, my});
  };
  auto opaque = [&](const char* f, std::string what, int x, int y, int w, int h) {
    c.push_back({f, what, x, y, w, h, kOpaque});
  };
  const char* s0 = "chip0.png";
  for (int f = 0; f < 8; ++f)
    masked(s0, "student " + std::to_string(f), 32 * f, 32, 32, 32, 32 * f, 0);
  opaque(s0, "frame corners and bands", 0, 64, 64, 32);
  opaque(s0, "frame junctions", 0, 96, 32, 32);
  opaque(s0, "road cells", 64, 64, 32, 16);
  opaque(s0, "road with right rail", 48, 96, 16, 16);
  opaque(s0, "verges", 96, 64, 32, 32);
  opaque(s0, "event-kind capsules", 64, 96, 32, 32);
  opaque(s0, "olive ground", 96, 96, 32, 32);
  opaque(s0, "window-frame kit", 128, 64, 16, 32);
  opaque(s0, "spare frame kits", 144, 64, 48, 38);
  opaque(s0, "black cell", 16, 144, 16, 16);
  masked(s0, "cursor", 32, 112, 16, 16, 32, 96);
  masked(s0, "book icon", 32, 128, 16, 16, 0, 128);
  masked(s0, "dumbbell icon", 48, 128, 16, 16, 16, 128);
  masked(s0, "brush icon", 32, 144, 16, 16, 0, 144);
  for (int f = 0; f < 4; ++f) {
    int x = 64 + 16 * (f % 2), y = 128 + 16 * (f / 2);
    masked(s0, "green star " + std::to_string(f), x + 32, y, 16, 16, x, y);
    masked(s0, "pink star " + std::to_string(f), x + 64, y, 16, 16, x, y);
  }
  masked(s0, "thrown object", 0, 192, 32, 32, 0, 160);
  masked(s0, "thumbtacks", 32, 192, 32, 32, 32, 160);
  masked(s0, "spare student figure", 64, 192, 32, 32, 64, 160);
  for (int k = 0; k < 4; ++k)
    masked(s0, "reward " + std::to_string(k + 1), 160 + 32 * k, 192, 32, 32, 160 + 32 * k, 160);
  for (int k = 0; k < 7; ++k)
    masked(s0, "teacher or cat " + std::to_string(k), 32 * k, 256, 32, 32, 32 * k, 224);
  masked(s0, "left school", 224, 256, 32, 32, 256, 224);
  masked(s0, "front school", 256, 256, 32, 32, 256, 224);

  const char* s1 = "chip1.png";
  for (int k = 0; k < 4; ++k)
    for (int r = 0; r < 4; ++r)
      masked(s1, "pick-up " + std::to_string(k + 1) + " turn " + std::to_string(r), 32 * k,
             64 * r + 32, 32, 32, 32 * k, 64 * r);
  masked(s1, "cake", 256, 32, 32, 32, 256, 0);
  for (int k = 0; k < 4; ++k)
    masked(s1, "gate " + std::to_string(k + 1), 128, 64 * k + 32, 64, 32, 128, 64 * k);
  masked(s1, "graduation gate", 192, 32, 64, 32, 192, 0);

  const char* s2 = "chip2.png";
  masked(s2, "mood star 0", 0, 80, 80, 80, 0, 0);
  masked(s2, "mood star 1", 80, 0, 80, 80, 0, 160);
  masked(s2, "mood star 2", 80, 160, 80, 80, 80, 80);
  masked(s2, "mood star 3", 160, 80, 80, 80, 160, 0);
  opaque(s2, "portrait", 160, 160, 54, 57);

  const char* s3 = "chip3.png";
  c.push_back({s3, "title lettering", 0, 0, 288, 48, kMaskOnly});
  masked(s3, "title colour", 0, 48, 63, 48, 66, 0);
  masked(s3, "records title", 0, 113, 103, 17, 0, 96);
  masked(s3, "count label", 0, 146, 69, 16, 0, 130);
  masked(s3, "unit label", 69, 146, 14, 16, 69, 130);
  for (int d = 0; d < 10; ++d)
    masked(s3, "digit " + std::to_string(d), 10 * d, 240, 10, 16, 10 * d, 224);
  for (int x : {160, 213})
    for (int y : {131, 153, 175, 197, 219, 241})
      if (x == 213 || y != 241)
        masked(s3, "label " + std::to_string(x) + "," + std::to_string(y), x, y, 52, 11, x, y - 11);

  opaque("logo.png", "logo", 0, 0, 96, 128);
  opaque("icon.png", "icon", 0, 0, 32, 32);
  return c;
}

TEST(Sheets, SizesAndPixelFormat) {
  struct Want {
    const char* File;
    int W, H;
  };
  const Want wants[] = {{"chip0.png", 288, 288}, {"chip1.png", 288, 288}, {"chip2.png", 288, 288},
                        {"chip3.png", 288, 256}, {"logo.png", 96, 128},   {"icon.png", 32, 32}};
  for (const Want& w : wants) {
    SCOPED_TRACE(w.File);
    const SheetFile& s = Sheet(w.File);
    ASSERT_TRUE(s.Ok) << s.Error;
    EXPECT_EQ(s.W, w.W);
    EXPECT_EQ(s.H, w.H);
    EXPECT_EQ(s.BitDepth, 8);
    EXPECT_EQ(s.ColourType, PNG_COLOR_TYPE_RGB);  // 24-bit, no alpha, no palette
    EXPECT_EQ(s.Interlace, PNG_INTERLACE_NONE);
  }
}

// The two-pass sprite: the mask OR-ed in, then the picture AND-ed over it.
// Any grey in a mask, picture colour outside the mask's white or a
// picture ground that is not white shows as a fault on screen.
TEST(Sheets, MasksArePureAndCoverTheirPictures) {
  for (const Cell& c : Catalogue()) {
    if (c.K == kOpaque) continue;
    SCOPED_TRACE(c.File + " " + c.What);
    const SheetFile& s = Sheet(c.File);
    ASSERT_TRUE(s.Ok) << s.Error;
    int mx = c.K == kMasked ? c.MaskX : c.X, my = c.K == kMasked ? c.MaskY : c.Y;
    int impure = 0, outside = 0, shape = 0, ink = 0;
    for (int y = 0; y < c.H; ++y)
      for (int x = 0; x < c.W; ++x) {
        bool on = s.White(mx + x, my + y);
        if (!on && !s.Black(mx + x, my + y)) ++impure;
        shape += on;
        if (c.K != kMasked) continue;
        bool plain = s.White(c.X + x, c.Y + y);
        ink += !plain;
        // Outside the mask's white the picture is its ground, which must be white.
        if (!plain && !on) ++outside;
      }
    EXPECT_EQ(impure, 0) << "mask pixels neither black nor white";
    EXPECT_GT(shape, 0) << "empty mask";
    if (c.K == kMasked) {
      EXPECT_GT(ink, 0) << "empty picture";
      EXPECT_EQ(outside, 0) << "picture pixels outside the mask, or a ground that is not white";
    }
  }
}

TEST(Sheets, UnlistedAreasAreWhite) {
  std::map<std::string, std::vector<std::vector<bool>>> used;
  auto mark = [&](const std::string& file, int x0, int y0, int w, int h) {
    const SheetFile& s = Sheet(file);
    auto& u = used[file];
    if (u.empty()) u.assign(s.H, std::vector<bool>(s.W, false));
    for (int y = y0; y < y0 + h && y < s.H; ++y)
      for (int x = x0; x < x0 + w && x < s.W; ++x) u[y][x] = true;
  };
  for (const Cell& c : Catalogue()) {
    ASSERT_TRUE(Sheet(c.File).Ok) << Sheet(c.File).Error;
    mark(c.File, c.X, c.Y, c.W, c.H);
    if (c.K == kMasked) mark(c.File, c.MaskX, c.MaskY, c.W, c.H);
  }
  for (auto& [file, u] : used) {
    const SheetFile& s = Sheet(file);
    int stray = 0, fx = -1, fy = -1;
    for (int y = 0; y < s.H; ++y)
      for (int x = 0; x < s.W; ++x)
        if (!u[y][x] && !s.White(x, y) && stray++ == 0) fx = x, fy = y;
    EXPECT_EQ(stray, 0) << file << ": first stray pixel at " << fx << "," << fy;
  }
}

// Turned copies must turn clockwise, a quarter per step, as the ability
// icons spin and the mood star turns through them in order.
TEST(Sheets, TurnedCopiesTurnClockwise) {
  struct Turn {
    const char* File;
    int X0, Y0, X1, Y1, Size;
  };
  std::vector<Turn> turns;
  for (int k = 0; k < 4; ++k)
    for (int r = 0; r < 3; ++r)
      turns.push_back({"chip1.png", 32 * k, 64 * r + 32, 32 * k, 64 * r + 96, 32});
  const int star[4][2] = {{0, 80}, {80, 0}, {80, 160}, {160, 80}};
  for (int f = 0; f < 3; ++f)
    turns.push_back({"chip2.png", star[f][0], star[f][1], star[f + 1][0], star[f + 1][1], 80});
  for (const Turn& t : turns) {
    SCOPED_TRACE(std::string(t.File) + " from " + std::to_string(t.X0) + "," +
                 std::to_string(t.Y0));
    const SheetFile& s = Sheet(t.File);
    ASSERT_TRUE(s.Ok) << s.Error;
    int wrong = 0;
    for (int y = 0; y < t.Size; ++y)
      for (int x = 0; x < t.Size; ++x) {
        // A clockwise turn brings the pixel at (x, y) to (size - 1 - y, x).
        const unsigned char* a = s.At(t.X0 + x, t.Y0 + y);
        const unsigned char* b = s.At(t.X1 + t.Size - 1 - y, t.Y1 + x);
        wrong += a[0] != b[0] || a[1] != b[1] || a[2] != b[2];
      }
    EXPECT_EQ(wrong, 0);
  }
}

// The mood panel prints the mood's reading 74 rows below the star's top
// (from row 75 of the cell); no turn of the star may reach into it, the
// point-down turn included, nor touch the row above.
TEST(Sheets, MoodStarLeavesTheReadingClear) {
  const SheetFile& s = Sheet("chip2.png");
  ASSERT_TRUE(s.Ok) << s.Error;
  const int masks[4][2] = {{0, 0}, {0, 160}, {80, 80}, {160, 0}};
  for (const auto& m : masks) {
    int reached = 0;
    for (int y = 74; y < 80; ++y)
      for (int x = 0; x < 80; ++x) reached += s.White(m[0] + x, m[1] + y);
    EXPECT_EQ(reached, 0) << "star mask at " << m[0] << "," << m[1];
  }
}

}  // namespace
