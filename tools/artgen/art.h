// The pieces the sheets are assembled from: code-drawn tiles, stars, gates
// and lettering, plus the sheet layout itself.
#pragma once

#include <string>
#include <vector>

#include "fonts.h"
#include "grid.h"
#include "image.h"

// ---- Field and frame tiles (16 x 16, opaque) --------------------------------

enum class FramePiece {
  kCornerTopLeft,
  kCornerTopRight,
  kCornerBottomLeft,
  kCornerBottomRight,
  kBandVertical,
  kBandVerticalRight,
  kBandHorizontal,
  kBandHorizontalTop,
  kJunctionRight,  // ├, the vertical band with a branch to the right
  kJunctionLeft,   // ┤
  kJunctionDown,   // ┬
  kJunctionUp,     // ┴
};
Image FrameTile(FramePiece piece);

enum class RoadPiece { kPlain, kRailLeft, kRailRight };
Image RoadTile(RoadPiece piece);

enum class Season { kSpring, kSummer, kAutumn, kWinter, kOlive1, kOlive2, kOlive3, kOlive4 };
Image VergeTile(Season season);

// A capsule of colour body standing on the left-rail road cell.
Image CapsuleTile(Rgb body);

// The 8 x 8 window-frame kit: four corners, the vertical and the horizontal
// bars, in one colour scheme.
enum class KitPiece { kTopLeft, kTopRight, kBottomLeft, kBottomRight, kVertical, kHorizontal };
Image KitTile(KitPiece piece, Rgb base);

// ---- Code-drawn sprites -----------------------------------------------------

// The share of each pixel of a w x h grid that lies inside the polygon,
// sampled on 4 x 4 points; callers keep the pixels covered at least half.
// StarPolygon gives the corners of a star turned clockwise by turn radians.
struct Point {
  double X, Y;
};
std::vector<double> PolygonCoverage(int w, int h, const std::vector<Point>& poly);
std::vector<Point> StarPolygon(double cx, double cy, double outer, double inner, int points,
                               double turn);

Sprite MoodStar();                         // frame 0, point up, 80 x 80
Sprite Gate(Rgb banner, bool graduation);  // 64 x 32
Sprite ThrownObject();                     // 32 x 32

// ---- Lettering ----------------------------------------------------------------

struct Fonts {
  Font* Black = nullptr;  // Noto Sans CJK JP Black
  Font* Label = nullptr;  // the face of the preview tags
  Font* Pixel = nullptr;  // an 8-pixel bitmap face (drawn on whole pixels)
};

// Text fitted into a w x h cell: the largest size whose ink fits
// (narrowed horizontally when needed), centred. The ink is ink; with a
// halo, a one-pixel ring of halo colour around it belongs to the sprite.
Sprite Lettering(Font* font, const std::string& utf8, int w, int h, Rgb ink, bool withHalo,
                 Rgb halo);

// Pixel lettering for small labels: each glyph of an 8-pixel bitmap face
// drawn one font pixel to one sheet pixel, spaced out by up to two pixels
// where the cell has room, centred, with a one-pixel halo ring.
Sprite PixelLettering(Font* font, const std::string& utf8, int w, int h, Rgb ink, Rgb halo);

// The title lettering: the white silhouette (as a sprite) and its
// salmon-pink stretch, which covers columns 66..128 of it.
struct Title {
  Sprite Lettering;  // 288 x 48
  Sprite Coloured;   // 63 x 48
};
Title TitleLettering(const Fonts& fonts);

// ---- Sheets -------------------------------------------------------------------

struct Region {
  std::string Name;
  int X, Y, W, H;
  enum Kind { kPicture, kMask, kTile } K;
};

struct Sheet {
  std::string File;
  Image Img;
  std::vector<Region> Regions;
};

struct Art {
  SpriteBook Book;
  Fonts Type;
};

// The six files, in order: chip0..chip3, logo, icon. False with a message
// when a sprite the layout needs is missing or has the wrong size.
bool BuildSheets(const Art& art, std::vector<Sheet>* sheets, std::string* error);

// A reviewer's view of a sheet: scaled 3x, a 16-pixel grid, each region
// outlined and named.
Image Preview(const Sheet& sheet, Font* labelFont);
// One region for a before-and-after review: at 3x its picture, its mask and
// the two drawn over a ground colour as the game draws sprites (mask OR-ed,
// picture AND-ed); last the same drawing at 1x, as a player sees it.
Image Zoom(const Image& sheet, int x, int y, int w, int h, int mx, int my, Rgb ground);
