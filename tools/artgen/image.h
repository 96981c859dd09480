// Pixel buffers of the artwork generator: RGB pictures, sprites with a
// silhouette, PNG output and the handful of drawing operations the sheets
// are built from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
  uint8_t R = 255, G = 255, B = 255;
  bool operator==(const Rgb&) const = default;
};

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

Rgb Mix(Rgb a, Rgb b, double t);  // t = 0 gives a, 1 gives b
Rgb Shade(Rgb c, double f);       // f < 1 darker, f > 1 lighter (towards white)

// An opaque picture.
struct Image {
  int W = 0, H = 0;
  std::vector<Rgb> Px;
  Image() = default;
  Image(int w, int h, Rgb fill = kWhite) : W(w), H(h), Px(static_cast<size_t>(w) * h, fill) {}
  Rgb& At(int x, int y) { return Px[static_cast<size_t>(y) * W + x]; }
  Rgb At(int x, int y) const { return Px[static_cast<size_t>(y) * W + x]; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < W && y < H; }
  void Set(int x, int y, Rgb c) {
    if (Inside(x, y)) At(x, y) = c;
  }
  void Fill(int x, int y, int w, int h, Rgb c);
};

// A picture with a silhouette: On marks the pixels that belong to the
// sprite, whatever their colour, so white inside a sprite stays opaque.
struct Sprite {
  int W = 0, H = 0;
  std::vector<Rgb> Px;
  std::vector<uint8_t> On;
  Sprite() = default;
  Sprite(int w, int h)
      : W(w), H(h), Px(static_cast<size_t>(w) * h, kWhite), On(static_cast<size_t>(w) * h, 0) {}
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < W && y < H; }
  bool IsOn(int x, int y) const { return Inside(x, y) && On[static_cast<size_t>(y) * W + x]; }
  Rgb Get(int x, int y) const { return Px[static_cast<size_t>(y) * W + x]; }
  void Set(int x, int y, Rgb c) {
    if (!Inside(x, y)) return;
    Px[static_cast<size_t>(y) * W + x] = c;
    On[static_cast<size_t>(y) * W + x] = 1;
  }
  void Clear(int x, int y) {
    if (!Inside(x, y)) return;
    Px[static_cast<size_t>(y) * W + x] = kWhite;
    On[static_cast<size_t>(y) * W + x] = 0;
  }
};

Sprite RotateClockwise(const Sprite& s);  // a quarter turn, exact for square sprites
Sprite MirrorX(const Sprite& s);
// Copies src into dst at (x, y); only src's opaque pixels are written.
void Stamp(Sprite& dst, const Sprite& src, int x, int y);
// Adds a one-pixel outline of colour c around the silhouette (8-neighbour).
void Outline(Sprite& s, Rgb c);
Image SpriteOn(const Sprite& s, Rgb ground);

// Writes 8-bit RGB without metadata, so equal pictures give equal files.
bool WritePng(const std::string& path, const Image& img, std::string* error);
// Reads an 8-bit RGB PNG such as the ones WritePng writes.
bool ReadPng(const std::string& path, Image* img, std::string* error);
Image ScaleUp(const Image& img, int factor);
