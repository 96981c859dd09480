// The opaque 16 x 16 tiles of the play screen. Every tile is a pure
// function of its pixel position, so pieces that meet on screen are drawn
// from the same rules and join without a seam.
#include <algorithm>
#include <cstdlib>

#include "art.h"

namespace {

uint32_t Hash(int x, int y, int salt) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               static_cast<uint32_t>(salt) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

// ---- Frame ----------------------------------------------------------------------

// Across a band, by the distance d (0..7) from its nearer edge: a dark
// outline, the white rim, a teal bevel, the dark teal body and, in the
// middle, two rows of yellow checks.
Rgb FrameColour(int d, int x, int y) {
  switch (d) {
    case 0:
      return {10, 38, 44};
    case 1:
      return {250, 250, 236};
    case 2:
      return {64, 150, 150};
    case 3:
    case 4:
      return {18, 92, 98};
    case 5:
      return {10, 62, 68};
    default:
      // Period 4 along and across, so bands repeat inside every tile.
      return ((x >> 1) + (y >> 1)) % 2 == 0 ? Rgb{250, 206, 52} : Rgb{12, 54, 60};
  }
}

// The distance from the band material's edge. The material of a piece is
// the union of the bands that pass through it; mirrored pieces reuse the
// formulas, while the checks keep the tile's own coordinates.
int FrameDistance(FramePiece p, int x, int y) {
  auto corner = [](int u, int v) { return std::min({u, v, std::max(15 - u, 15 - v)}); };
  auto tee = [](int u, int v) {  // band along v, branch towards +u
    return std::min({u, std::max(15 - u, v), std::max(15 - u, 15 - v)});
  };
  switch (p) {
    case FramePiece::kCornerTopLeft:
      return corner(x, y);
    case FramePiece::kCornerTopRight:
      return corner(15 - x, y);
    case FramePiece::kCornerBottomLeft:
      return corner(x, 15 - y);
    case FramePiece::kCornerBottomRight:
      return corner(15 - x, 15 - y);
    case FramePiece::kBandVertical:
    case FramePiece::kBandVerticalRight:
      return std::min(x, 15 - x);
    case FramePiece::kBandHorizontal:
    case FramePiece::kBandHorizontalTop:
      return std::min(y, 15 - y);
    case FramePiece::kJunctionRight:
      return tee(x, y);
    case FramePiece::kJunctionLeft:
      return tee(15 - x, y);
    case FramePiece::kJunctionDown:
      return tee(y, x);
    case FramePiece::kJunctionUp:
      return tee(15 - y, x);
  }
  return 0;
}

// ---- Road ------------------------------------------------------------------------

constexpr Rgb kRoad{200, 200, 196};

// Sparse dots on a 16 x 16 torus: placed by hand so that no two crowd.
struct Dot {
  int X, Y;
  Rgb C;
};
constexpr Dot kRoadDots[] = {
    {2, 1, {172, 172, 168}},   {9, 2, {182, 182, 178}},   {13, 5, {170, 170, 166}},
    {5, 6, {214, 214, 210}},   {1, 9, {176, 176, 172}},   {10, 9, {168, 168, 164}},
    {6, 12, {180, 180, 176}},  {14, 12, {214, 214, 210}}, {3, 14, {170, 170, 166}},
    {11, 14, {184, 184, 180}}, {7, 3, {188, 188, 184}},
};

Rgb RoadColour(int x, int y) {
  for (const Dot& d : kRoadDots)
    if (d.X == x && d.Y == y) return d.C;
  return kRoad;
}

// The rail, from the verge side inwards; a joint every 16 rows.
Rgb RailColour(int i, int y) {
  static const Rgb kRail[] = {{70, 72, 80},    {150, 152, 162}, {228, 230, 238},
                              {170, 172, 182}, {118, 120, 130}, {80, 82, 90}};
  static const Rgb kJoint[] = {{70, 72, 80},    {110, 112, 122}, {150, 152, 162},
                               {130, 132, 142}, {100, 102, 112}, {80, 82, 90}};
  return (y == 7 || y == 8) ? kJoint[i] : kRail[i];
}
constexpr int kRailWidth = 6;
constexpr Rgb kRailShadow{170, 170, 166};

// ---- Verges ---------------------------------------------------------------------

struct GroundStyle {
  Rgb Base, Dark, Light;
  int Blades;  // grass tufts; 0 for speckled ground
  int Salt;
};

GroundStyle StyleOf(Season s) {
  switch (s) {
    case Season::kSpring:
      return {{140, 214, 96}, {96, 172, 64}, {180, 236, 130}, 9, 1};
    case Season::kSummer:
      return {{72, 156, 52}, {42, 112, 34}, {110, 186, 76}, 10, 2};
    case Season::kAutumn:
      return {{232, 200, 112}, {196, 160, 80}, {248, 226, 156}, 0, 3};
    case Season::kWinter:
      return {{246, 248, 252}, {196, 206, 222}, {255, 255, 255}, 0, 4};
    case Season::kOlive1:
      return {{128, 128, 52}, {96, 96, 36}, {160, 160, 76}, 8, 5};
    case Season::kOlive2:
      return {{118, 122, 48}, {86, 90, 32}, {150, 154, 70}, 0, 6};
    case Season::kOlive3:
      return {{136, 132, 60}, {100, 96, 40}, {166, 162, 88}, 6, 7};
    case Season::kOlive4:
      return {{110, 114, 44}, {80, 84, 28}, {140, 146, 64}, 0, 8};
  }
  return {};
}

}  // namespace

Image FrameTile(FramePiece piece) {
  Image img(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) img.At(x, y) = FrameColour(FrameDistance(piece, x, y), x, y);
  return img;
}

Image RoadTile(RoadPiece piece) {
  Image img(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) img.At(x, y) = RoadColour(x, y);
  if (piece == RoadPiece::kPlain) return img;
  for (int y = 0; y < 16; ++y) {
    for (int i = 0; i < kRailWidth; ++i) {
      int x = piece == RoadPiece::kRailLeft ? i : 15 - i;
      img.At(x, y) = RailColour(i, y);
    }
    // The rail's shadow falls to the right of it.
    if (piece == RoadPiece::kRailLeft) img.At(kRailWidth, y) = kRailShadow;
  }
  return img;
}

Image VergeTile(Season season) {
  GroundStyle st = StyleOf(season);
  Image img(16, 16, st.Base);
  auto wrap = [](int v) { return (v % 16 + 16) % 16; };
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      uint32_t h = Hash(x, y, st.Salt) % 23;
      if (h == 0) img.At(x, y) = st.Dark;
      if (h == 1) img.At(x, y) = st.Light;
      if (h == 2 && st.Blades) img.At(x, y) = Mix(st.Base, st.Dark, 0.5);
    }
  for (int k = 0; k < st.Blades; ++k) {
    // A tuft: two dark blades in a V with a light tip, kept off the tile's
    // edges so that no tuft is cut where tiles meet.
    int bx = 1 + static_cast<int>(Hash(k, 99, st.Salt) % 14);
    int by = 2 + static_cast<int>(Hash(k, 77, st.Salt) % 13);
    img.At(wrap(bx), wrap(by)) = st.Dark;
    img.At(wrap(bx - 1), wrap(by - 1)) = st.Dark;
    img.At(wrap(bx + 1), wrap(by - 1)) = st.Dark;
    img.At(wrap(bx + 1), wrap(by - 2)) = st.Light;
  }
  return img;
}

Image CapsuleTile(Rgb body) {
  Image img = RoadTile(RoadPiece::kRailLeft);
  // 6 x 11 pill at x 8..13, y 2..12, with a shadow below-right.
  static const char* kShape[] = {
      "..oooo..",  //
      ".oLLBBo.",  //
      "oLWBBBBo",  //
      "oLBBBBBo",  //
      "oLBBBBDo",  //
      "oLBBBBDo",  //
      "oddddddo",  //
      "oPPPPPPo",  //
      "oPWPPPqo",  //
      "oPPPPPqo",  //
      ".oPPPqo.",  //
      "..oooos.",  //
      "...ssss.",  //
  };
  Rgb dark = Shade(body, 0.55), light = Shade(body, 1.45), pale = Rgb{246, 244, 236};
  for (int j = 0; j < 13; ++j)
    for (int i = 0; i < 8; ++i) {
      Rgb c;
      switch (kShape[j][i]) {
        case 'o':
          c = {30, 30, 40};
          break;
        case 'B':
          c = body;
          break;
        case 'L':
          c = light;
          break;
        case 'D':
        case 'd':
          c = dark;
          break;
        case 'W':
          c = kWhite;
          break;
        case 'P':
          c = pale;
          break;
        case 'q':
          c = {200, 196, 188};
          break;
        case 's':
          c = {160, 160, 156};
          break;
        default:
          continue;
      }
      img.At(7 + i, 2 + j) = c;
    }
  return img;
}

Image KitTile(KitPiece piece, Rgb base) {
  Rgb dark = Shade(base, 0.5), light = Shade(base, 1.5), deep = Shade(base, 0.3);
  Image img(8, 8, kBlack);
  auto bar = [&](int t) {  // across a bar, rows/columns 2..5
    return t == 2 ? light : t == 5 ? dark : base;
  };
  switch (piece) {
    case KitPiece::kHorizontal:
      for (int y = 2; y <= 5; ++y)
        for (int x = 0; x < 8; ++x) img.At(x, y) = bar(y);
      break;
    case KitPiece::kVertical:
      for (int x = 2; x <= 5; ++x)
        for (int y = 0; y < 8; ++y) img.At(x, y) = bar(x);
      break;
    default: {
      // A raised square stud with a dark centre; stubs of the two bars that
      // leave this corner run from it to the tile's edges.
      bool right = piece == KitPiece::kTopLeft || piece == KitPiece::kBottomLeft;
      bool down = piece == KitPiece::kTopLeft || piece == KitPiece::kTopRight;
      for (int t = 2; t <= 5; ++t) {
        img.At(right ? 7 : 0, t) = bar(t);
        img.At(t, down ? 7 : 0) = bar(t);
      }
      for (int y = 1; y <= 6; ++y)
        for (int x = 1; x <= 6; ++x) {
          Rgb c = base;
          if (x == 1 || y == 1) c = light;
          if (x == 6 || y == 6) c = dark;
          img.At(x, y) = c;
        }
      img.Fill(3, 3, 2, 2, deep);
      img.At(3, 3) = dark;
      break;
    }
  }
  return img;
}
