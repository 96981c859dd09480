// The opaque tiles meet edge to edge on the play screen and in the speech
// window; wherever two of them meet, the join must not show.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>

#include "sheet_file.h"

namespace {

struct Tile {
  int X, Y, Size;
};

// Chip(0) cells by what the field and frame drawing calls them.
constexpr Tile kCornerTL{0, 64, 16}, kCornerTR{16, 64, 16}, kCornerBL{0, 80, 16},
    kCornerBR{16, 80, 16}, kBandV{32, 64, 16}, kBandVRight{48, 64, 16}, kBandH{32, 80, 16},
    kBandHTop{48, 80, 16}, kJoinRight{0, 96, 16}, kJoinLeft{16, 96, 16}, kJoinDown{0, 112, 16},
    kJoinUp{16, 112, 16};
constexpr Tile kRailL{64, 64, 16}, kRoad{80, 64, 16}, kRailR{48, 96, 16};
constexpr Tile kVerges[] = {{96, 64, 16}, {112, 64, 16}, {96, 80, 16}, {112, 80, 16}};
constexpr Tile kCapsules[] = {{64, 96, 16}, {80, 96, 16}, {64, 112, 16}, {80, 112, 16}};
constexpr Tile kKitTL{128, 64, 8}, kKitTR{136, 64, 8}, kKitBL{128, 72, 8}, kKitBR{136, 72, 8},
    kKitV{128, 80, 8}, kKitH{128, 88, 8};

using Px = std::array<int, 3>;

const SheetFile& Chip0() {
  static SheetFile s = ReadSheet(AssetPath("chip0.png"));
  return s;
}

Px At(const Tile& t, int x, int y) {
  const unsigned char* p = Chip0().At(t.X + x, t.Y + y);
  return {p[0], p[1], p[2]};
}

int Distance(const Px& a, const Px& b) {
  return std::max({std::abs(a[0] - b[0]), std::abs(a[1] - b[1]), std::abs(a[2] - b[2])});
}

// A line of pixels across the join: row r of a tile (vertical joins) or
// column r (horizontal joins).
std::vector<Px> Line(const Tile& t, int r, bool vertical) {
  std::vector<Px> line;
  for (int i = 0; i < t.Size; ++i) line.push_back(vertical ? At(t, i, r) : At(t, r, i));
  return line;
}

// Bands and bars are patterns: across a join, the last line of the first
// tile and the first line of the second must be a pair of neighbouring
// lines that occurs inside one of the tiles, so the pattern runs on.
bool Continues(const Tile& a, const Tile& b, bool vertical) {
  auto last = Line(a, a.Size - 1, vertical), first = Line(b, 0, vertical);
  for (const Tile& t : {a, b})
    for (int r = 0; r + 1 < t.Size; ++r)
      if (Line(t, r, vertical) == last && Line(t, r + 1, vertical) == first) return true;
  return false;
}

struct Join {
  const char* What;
  Tile A, B;  // A above B, or A left of B
  bool Vertical;
};

TEST(Seams, FrameBandsRunThroughCornersAndJunctions) {
  ASSERT_TRUE(Chip0().Ok) << Chip0().Error;
  const Join joins[] = {
      // The left edge, the middle band and the right edge, top to bottom.
      {"left band", kBandV, kBandV, true},
      {"corner TL over band", kCornerTL, kBandV, true},
      {"band over corner BL", kBandV, kCornerBL, true},
      {"junction down over band", kJoinDown, kBandV, true},
      {"band over junction right", kBandV, kJoinRight, true},
      {"junction right over band", kJoinRight, kBandV, true},
      {"band over junction up", kBandV, kJoinUp, true},
      {"right band", kBandVRight, kBandVRight, true},
      {"corner TR over right band", kCornerTR, kBandVRight, true},
      {"right band over junction left", kBandVRight, kJoinLeft, true},
      {"junction left over right band", kJoinLeft, kBandVRight, true},
      {"right band over corner BR", kBandVRight, kCornerBR, true},
      // The schedule panel lays the left band over the right edge's junction.
      {"right band over band", kBandVRight, kBandV, true},
      {"band over right band", kBandV, kBandVRight, true},
      // The top band, the divider and the bottom band, left to right.
      {"corner TL, top band", kCornerTL, kBandHTop, false},
      {"top band", kBandHTop, kBandHTop, false},
      {"top band, junction down", kBandHTop, kJoinDown, false},
      {"junction down, top band", kJoinDown, kBandHTop, false},
      {"top band, corner TR", kBandHTop, kCornerTR, false},
      {"junction right, divider", kJoinRight, kBandH, false},
      {"divider", kBandH, kBandH, false},
      {"divider, junction left", kBandH, kJoinLeft, false},
      {"corner BL, bottom band", kCornerBL, kBandH, false},
      {"bottom band, junction up", kBandH, kJoinUp, false},
      {"junction up, bottom band", kJoinUp, kBandH, false},
      {"bottom band, corner BR", kBandH, kCornerBR, false},
      // The speech window's frame kit.
      {"kit: corner TL, top bar", kKitTL, kKitH, false},
      {"kit: bar", kKitH, kKitH, false},
      {"kit: top bar, corner TR", kKitH, kKitTR, false},
      {"kit: corner BL, bottom bar", kKitBL, kKitH, false},
      {"kit: bottom bar, corner BR", kKitH, kKitBR, false},
      {"kit: corner TL over side bar", kKitTL, kKitV, true},
      {"kit: side bar", kKitV, kKitV, true},
      {"kit: side bar over corner BL", kKitV, kKitBL, true},
      {"kit: corner TR over side bar", kKitTR, kKitV, true},
      {"kit: side bar over corner BR", kKitV, kKitBR, true},
  };
  for (const Join& j : joins) EXPECT_TRUE(Continues(j.A, j.B, j.Vertical)) << j.What;
}

// The rail is solid structure: column for column, each pixel of a tile's
// bottom row that is not road surface continues unchanged into the next
// tile's top row. Road surface may change there, as it is a texture.
TEST(Seams, RailsLineUpColumnForColumn) {
  ASSERT_TRUE(Chip0().Ok) << Chip0().Error;
  std::set<Px> road;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) road.insert(At(kRoad, x, y));
  std::vector<Join> joins = {{"left rail", kRailL, kRailL, true},
                             {"right rail", kRailR, kRailR, true}};
  for (const Tile& c : kCapsules) {
    joins.push_back({"capsule over left rail", c, kRailL, true});
    joins.push_back({"left rail over capsule", kRailL, c, true});
  }
  for (const Join& j : joins) {
    SCOPED_TRACE(j.What);
    for (int x = 0; x < 16; ++x) {
      Px a = At(j.A, x, 15), b = At(j.B, x, 0);
      bool surface = road.count(a) && road.count(b);
      EXPECT_TRUE(a == b || surface) << "column " << x;
    }
  }
  // A rail, and the event capsules' own bit of it, is more than road.
  for (const Tile& t : {kRailL, kRailR, kCapsules[0]}) {
    int structure = 0;
    for (int x = 0; x < 16; ++x) structure += !road.count(At(t, x, 0));
    EXPECT_GE(structure, 3);
  }
}

// Textures: no pixel changes across a join by more than neighbouring
// pixels ever differ inside the two tiles, and the join as a whole is not
// much rougher than the roughest pair of neighbouring lines inside them.
// Sparse dots make single line pairs vary, hence the allowance of twice;
// an edge line of another shade or a shading that does not wrap is far
// above it.
void ExpectNoSeam(const Join& j) {
  SCOPED_TRACE(std::string(j.What) + " at " + std::to_string(j.A.X) + "," + std::to_string(j.A.Y));
  const int n = j.A.Size;
  // line r of a tile across the join direction, pixel i along it
  auto pixel = [&](const Tile& t, int r, int i) { return j.Vertical ? At(t, i, r) : At(t, r, i); };
  int contrast = 0;
  double roughest = 0;
  for (const Tile& t : {j.A, j.B})
    for (int r = 0; r + 1 < n; ++r) {
      double line = 0;
      for (int i = 0; i < n; ++i) {
        int d = Distance(pixel(t, r, i), pixel(t, r + 1, i));
        line += d;
        contrast = std::max(contrast, d);
        if (i + 1 < n) contrast = std::max(contrast, Distance(pixel(t, r, i), pixel(t, r, i + 1)));
      }
      roughest = std::max(roughest, line);
    }
  double seam = 0;
  for (int i = 0; i < n; ++i) {
    int jump = Distance(pixel(j.A, n - 1, i), pixel(j.B, 0, i));
    EXPECT_LE(jump, contrast) << "at " << i;
    seam += jump;
  }
  EXPECT_LE(seam, 2 * roughest);
}

TEST(Seams, RoadAndVergeTexturesShowNoSeam) {
  ASSERT_TRUE(Chip0().Ok) << Chip0().Error;
  std::vector<Join> joins = {
      {"road below road", kRoad, kRoad, true},       {"road beside road", kRoad, kRoad, false},
      {"left rail, road", kRailL, kRoad, false},     {"road, right rail", kRoad, kRailR, false},
      {"capsule, road", kCapsules[0], kRoad, false},
  };
  for (const Tile& v : kVerges) {
    joins.push_back({"verge below verge", v, v, true});
    joins.push_back({"verge beside verge", v, v, false});
  }
  for (const Join& j : joins) ExpectNoSeam(j);
}

}  // namespace
