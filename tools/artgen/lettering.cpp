// Lettering for the sheets. Masks can only be on or off, so the ink is the
// part of the rendered coverage above a threshold; inside it the picture is
// shaded by coverage against the halo, which keeps curves smooth.
#include <algorithm>
#include <cmath>

#include "art.h"

namespace {

constexpr int kInkThreshold = 100;

// The ink of cov placed at (ox, oy) of a w x h sprite.
Sprite InkSprite(const Coverage& cov, int w, int h, int ox, int oy, Rgb ink, bool withHalo,
                 Rgb halo) {
  Sprite s(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int a = cov.At(x - ox, y - oy);
      if (a >= kInkThreshold)
        s.Set(x, y, withHalo ? Mix(halo, ink, std::min(1.0, a / 200.0)) : ink);
    }
  if (withHalo) Outline(s, halo);
  return s;
}

}  // namespace

Sprite Lettering(Font* font, const std::string& utf8, int w, int h, Rgb ink, bool withHalo,
                 Rgb halo) {
  int room = withHalo ? 1 : 0;
  int iw = w - 2 * room, ih = h - 2 * room;
  // The largest size whose ink is no taller than the cell, then narrowed to
  // fit its width.
  double size = 4;
  Coverage cov;
  for (double px = 2.0 * h; px >= 4; px -= 0.25) {
    cov = RenderText(font, utf8, px);
    size = px;
    if (cov.H <= ih) break;
  }
  for (double sx = static_cast<double>(iw) / std::max(1, cov.W); cov.W > iw && sx > 0.3; sx -= 0.01)
    cov = RenderText(font, utf8, size, sx);
  int ox = (w - cov.W) / 2, oy = (h - cov.H) / 2;
  return InkSprite(cov, w, h, ox, oy, ink, withHalo, halo);
}

Sprite PixelLettering(Font* font, const std::string& utf8, int w, int h, Rgb ink, Rgb halo) {
  constexpr int kEm = 8;
  // One glyph at a time, so each keeps its own pixel columns.
  std::vector<Coverage> glyphs;
  std::vector<int> tops;
  int top = h, bottom = 0, inkW = 0;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    Coverage g = RenderText(font, utf8.substr(i, n), kEm, 1.0, 1);
    i += n;
    int t = -g.Baseline;  // the ink's top row, counted from the baseline
    tops.push_back(t);
    top = std::min(top, t);
    bottom = std::max(bottom, t + g.H);
    inkW += g.W;
    glyphs.push_back(std::move(g));
  }
  int gaps = static_cast<int>(glyphs.size()) - 1;
  int room = w - 2 - inkW;  // the halo takes a column each side
  int space = gaps > 0 ? std::clamp(room / gaps, 1, 2) : 0;
  int x = (w - (inkW + space * gaps)) / 2, y0 = (h - (bottom - top)) / 2 - top;
  Sprite s(w, h);
  for (size_t k = 0; k < glyphs.size(); ++k) {
    const Coverage& g = glyphs[k];
    for (int j = 0; j < g.H; ++j)
      for (int i = 0; i < g.W; ++i)
        if (g.At(i, j) >= 128) s.Set(x + i, y0 + tops[k] + j, ink);
    x += g.W + space;
  }
  Outline(s, halo);
  return s;
}

Title TitleLettering(const Fonts& fonts) {
  Title t;
  t.Lettering = Sprite(288, 48);
  t.Coloured = Sprite(63, 48);
  const Rgb white = kWhite;
  // The capital reaches nearly the top row; the small letters stand on the
  // same baseline.
  Coverage k = RenderText(fonts.Black, "K", 62);
  // Widened to fill the stretch, so the coloured capital leads the word.
  k = RenderText(fonts.Black, "K", 62, 61.0 / k.W);
  Coverage rest;
  for (double px = 48; px > 20; px -= 0.5)
    if ((rest = RenderText(fonts.Black, "urunoa", px)).W <= 153) break;
  const int baseline = 46;
  // The capital fills the coloured stretch, columns 66..128.
  int kx = 66 + (63 - k.W) / 2, ky = baseline - k.Baseline;
  int rx = 132, ry = baseline - rest.Baseline;
  // A star emblem on the left balances the word on the screen's centre.
  auto star = PolygonCoverage(288, 48, StarPolygon(38, 25, 24, 10, 5, 0));
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 288; ++x) {
      bool on = star[static_cast<size_t>(y) * 288 + x] >= 0.5 ||
                k.At(x - kx, y - ky) >= kInkThreshold || rest.At(x - rx, y - ry) >= kInkThreshold;
      if (on) t.Lettering.Set(x, y, white);
    }
  const Rgb salmonDark{222, 88, 80}, salmonLight{255, 176, 164};
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 63; ++x) {
      if (!t.Lettering.IsOn(66 + x, y)) continue;
      // Light along the top, deeper towards the foot of the letter; a bright
      // upper edge and a shaded lower and right edge.
      Rgb c = Mix(salmonLight, salmonDark, std::clamp((y - 6) / 40.0, 0.0, 1.0));
      if (!t.Lettering.IsOn(66 + x, y - 1)) c = Mix(c, kWhite, 0.5);
      if (!t.Lettering.IsOn(66 + x, y + 1) || !t.Lettering.IsOn(66 + x + 1, y)) c = Shade(c, 0.85);
      t.Coloured.Set(x, y, c);
    }
  return t;
}
