// Sprites drawn by code: the mood star, the gates and the thrown object. Turned copies are made by
// exact quarter turns of these.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "art.h"

std::vector<double> PolygonCoverage(int w, int h, const std::vector<Point>& poly) {
  std::vector<double> cov(static_cast<size_t>(w) * h, 0);
  auto inside = [&](double px, double py) {
    bool in = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
      const Point &a = poly[i], &b = poly[j];
      if ((a.Y > py) != (b.Y > py) && px < (b.X - a.X) * (py - a.Y) / (b.Y - a.Y) + a.X) in = !in;
    }
    return in;
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int n = 0;
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) n += inside(x + (i + 0.5) / 4, y + (j + 0.5) / 4);
      cov[static_cast<size_t>(y) * w + x] = n / 16.0;
    }
  return cov;
}

std::vector<Point> StarPolygon(double cx, double cy, double outer, double inner, int points,
                               double turn) {
  std::vector<Point> p;
  for (int k = 0; k < 2 * points; ++k) {
    double a = turn + k * std::numbers::pi / points;
    double r = k % 2 ? inner : outer;
    p.push_back({cx + r * std::sin(a), cy - r * std::cos(a)});
  }
  return p;
}

Sprite MoodStar() {
  // Centred on the cell's centre, so the quarter turns turn in place. Small
  // enough that no turn reaches row 74: the panel prints the mood's reading
  // from row 75 of the cell down, and the point-down turn must stay clear.
  const double c = 40, outer = 34, inner = 14.4;
  auto shape = StarPolygon(c, c, outer, inner, 5, 0);
  auto body = StarPolygon(c, c, outer - 5.5, inner - 2.5, 5, 0);
  auto shine = StarPolygon(c - 3.5, c - 4, 11, 4.7, 5, 0);
  auto all = PolygonCoverage(80, 80, shape);
  auto red = PolygonCoverage(80, 80, body);
  auto glow = PolygonCoverage(80, 80, shine);
  Sprite s(80, 80);
  const Rgb pink{255, 196, 206}, edge{236, 140, 160}, deep{176, 0, 24}, mid{226, 18, 40},
      hi{255, 96, 104}, ink{56, 10, 24};
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 80; ++x) {
      size_t i = static_cast<size_t>(y) * 80 + x;
      if (all[i] < 0.5) continue;
      Rgb col = pink;
      if (red[i] >= 0.5) {
        // Lit from the upper left; a soft highlight star near the middle.
        double t = std::clamp(((x - c) + (y - c)) / 60.0 + 0.5, 0.0, 1.0);
        col = Mix(hi, deep, t);
        col = Mix(col, mid, 0.35);
        if (glow[i] > 0) col = Mix(col, Rgb{255, 150, 150}, glow[i] * 0.8);
      } else if (red[i] > 0) {
        col = edge;  // the seam between outline and body, half covered
      }
      s.Set(x, y, col);
    }
  // The dark rim every sprite has, so the pale edge reads on the dark panel.
  Outline(s, ink);
  return s;
}

Sprite Gate(Rgb banner, bool graduation) {
  Sprite s(64, 32);
  const Rgb ink{28, 20, 30};
  const Rgb wood{150, 96, 52}, woodDark{104, 62, 32}, woodLight{196, 140, 86};
  const Rgb gold{246, 204, 64}, goldDark{196, 144, 30};
  Rgb face = banner, faceDark = Shade(banner, 0.72), faceLight = Shade(banner, 1.35);
  // Posts with round caps.
  for (int px : {3, 57}) {
    for (int y = 4; y < 32; ++y)
      for (int x = px; x < px + 4; ++x) {
        Rgb c = x == px ? woodLight : x == px + 3 ? woodDark : wood;
        if (x == px - 1 || x == px + 4) c = ink;
        s.Set(x, y, c);
      }
    for (int y = 4; y < 32; ++y) s.Set(px - 1, y, ink), s.Set(px + 4, y, ink);
    // The cap: a gold knob.
    static const char* kKnob[] = {".oooo.", "oGGgGo", "oGggGo", ".oooo."};
    for (int j = 0; j < 4; ++j)
      for (int i = 0; i < 6; ++i) {
        char ch = kKnob[j][i];
        if (ch == '.') continue;
        s.Set(px - 1 + i, j, ch == 'o' ? ink : ch == 'G' ? gold : goldDark);
      }
  }
  // The banner: a dark outline, a light rim, the face, a shadowed lower edge.
  const int x0 = 1, x1 = 62, y0 = 3, y1 = 19;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      Rgb c = face;
      if (y == y0 + 1 || x == x0 + 1) c = faceLight;
      if (y == y1 - 1 || x == x1 - 1) c = faceDark;
      if (x == x0 || x == x1 || y == y0 || y == y1) c = ink;
      s.Set(x, y, c);
    }
  // Gold cord ends hanging under the banner.
  for (int x : {8, 16, 24, 32, 40, 48, 56}) {
    s.Set(x, 20, gold), s.Set(x, 21, goldDark), s.Set(x - 1, 20, ink), s.Set(x + 1, 20, ink);
    s.Set(x, 22, ink);
  }
  if (graduation) {
    // Red-and-white ribbon rosettes on the posts.
    static const char* kRose[] = {"..oo..", ".oWWo.", "oWRRWo", "oWRRWo", ".oWWo.",
                                  "..oo..", ".oRRo.", ".oRRo.", ".o..o."};
    for (int px : {3, 57})
      for (int j = 0; j < 9; ++j)
        for (int i = 0; i < 6; ++i) {
          char ch = kRose[j][i];
          if (ch == '.') continue;
          s.Set(px - 1 + i, 21 + j, ch == 'o' ? ink : ch == 'W' ? kWhite : Rgb{230, 30, 48});
        }
  }
  return s;
}

Sprite ThrownObject() {
  // Two jagged strokes side by side, like a pair of thrown darts.
  Sprite s(32, 32);
  const Rgb ink{16, 16, 20}, grey{96, 96, 104};
  for (int k = 0; k < 2; ++k) {
    int base = 10 + k * 9;
    for (int y = 6; y < 28; ++y) {
      int phase = (y - 6) % 8;
      int off = phase < 4 ? phase : 8 - phase;  // a zigzag of 3 pixels
      int x = base + off - 1;
      s.Set(x, y, ink);
      s.Set(x + 1, y, ink);
      s.Set(x + 2, y, grey);
    }
  }
  return s;
}
