// Where everything lies on the four sheets, the logo and the icon. The
// positions are fixed by the game's drawing code; masks are made from each
// sprite's silhouette and written beside its picture.
#include <cmath>
#include <stdexcept>

#include "art.h"

namespace {

struct Missing : std::runtime_error {
  using std::runtime_error::runtime_error;
};

const Sprite& Need(const Art& art, const std::string& name, int w, int h) {
  auto it = art.Book.Sprites.find(name);
  if (it == art.Book.Sprites.end()) throw Missing("no sprite named " + name + " in assets/src");
  if (it->second.W != w || it->second.H != h)
    throw Missing("sprite " + name + " is " + std::to_string(it->second.W) + " x " +
                  std::to_string(it->second.H) + ", the sheet needs " + std::to_string(w) + " x " +
                  std::to_string(h));
  return it->second;
}

void PutPicture(Sheet& sh, const Sprite& s, int x, int y, const std::string& name) {
  for (int j = 0; j < s.H; ++j)
    for (int i = 0; i < s.W; ++i) sh.Img.At(x + i, y + j) = s.IsOn(i, j) ? s.Get(i, j) : kWhite;
  sh.Regions.push_back({name, x, y, s.W, s.H, Region::kPicture});
}

void PutMask(Sheet& sh, const Sprite& s, int x, int y, const std::string& name) {
  for (int j = 0; j < s.H; ++j)
    for (int i = 0; i < s.W; ++i) sh.Img.At(x + i, y + j) = s.IsOn(i, j) ? kWhite : kBlack;
  sh.Regions.push_back({name, x, y, s.W, s.H, Region::kMask});
}

// A sprite with its mask at (mx, my).
void Put(Sheet& sh, const Sprite& s, int x, int y, int mx, int my, const std::string& name) {
  PutPicture(sh, s, x, y, name);
  PutMask(sh, s, mx, my, name + " mask");
}

void PutTile(Sheet& sh, const Image& img, int x, int y, const std::string& name) {
  for (int j = 0; j < img.H; ++j)
    for (int i = 0; i < img.W; ++i) sh.Img.At(x + i, y + j) = img.At(i, j);
  sh.Regions.push_back({name, x, y, img.W, img.H, Region::kTile});
}

Sheet Chip0(const Art& art) {
  Sheet sh{"chip0.png", Image(288, 288), {}};
  static const char* kPoses[] = {"stand", "step", "faint", "rest"};
  for (int f = 0; f < 8; ++f) {
    std::string name = std::string("student_") + kPoses[f % 4] + (f >= 4 ? "_summer" : "");
    Put(sh, Need(art, name, 32, 32), 32 * f, 32, 32 * f, 0, name);
  }
  // The frame: medallion quarters, bands and junctions.
  PutTile(sh, FrameTile(FramePiece::kCornerTopLeft), 0, 64, "corner TL");
  PutTile(sh, FrameTile(FramePiece::kCornerTopRight), 16, 64, "corner TR");
  PutTile(sh, FrameTile(FramePiece::kCornerBottomLeft), 0, 80, "corner BL");
  PutTile(sh, FrameTile(FramePiece::kCornerBottomRight), 16, 80, "corner BR");
  PutTile(sh, FrameTile(FramePiece::kBandVertical), 32, 64, "band V");
  PutTile(sh, FrameTile(FramePiece::kBandVerticalRight), 48, 64, "band V right");
  PutTile(sh, FrameTile(FramePiece::kBandHorizontal), 32, 80, "band H");
  PutTile(sh, FrameTile(FramePiece::kBandHorizontalTop), 48, 80, "band H top");
  PutTile(sh, FrameTile(FramePiece::kJunctionRight), 0, 96, "junction right");
  PutTile(sh, FrameTile(FramePiece::kJunctionLeft), 16, 96, "junction left");
  PutTile(sh, FrameTile(FramePiece::kJunctionDown), 0, 112, "junction down");
  PutTile(sh, FrameTile(FramePiece::kJunctionUp), 16, 112, "junction up");
  // The road, the verges and the event-kind capsules.
  PutTile(sh, RoadTile(RoadPiece::kRailLeft), 64, 64, "rail L");
  PutTile(sh, RoadTile(RoadPiece::kPlain), 80, 64, "road");
  PutTile(sh, RoadTile(RoadPiece::kRailRight), 48, 96, "rail R");
  PutTile(sh, VergeTile(Season::kSpring), 96, 64, "spring");
  PutTile(sh, VergeTile(Season::kSummer), 112, 64, "summer");
  PutTile(sh, VergeTile(Season::kAutumn), 96, 80, "autumn");
  PutTile(sh, VergeTile(Season::kWinter), 112, 80, "winter");
  PutTile(sh, CapsuleTile({40, 96, 232}), 64, 96, "test");
  PutTile(sh, CapsuleTile({0, 168, 160}), 80, 96, "sports");
  PutTile(sh, CapsuleTile({244, 132, 28}), 64, 112, "art");
  PutTile(sh, CapsuleTile({150, 22, 44}), 80, 112, "VD");
  PutTile(sh, VergeTile(Season::kOlive1), 96, 96, "olive");
  PutTile(sh, VergeTile(Season::kOlive2), 112, 96, "olive");
  PutTile(sh, VergeTile(Season::kOlive3), 96, 112, "olive");
  PutTile(sh, VergeTile(Season::kOlive4), 112, 112, "olive");
  // The window-frame kit, with two spare colourings beside it.
  const Rgb kits[] = {{150, 146, 40}, {30, 150, 150}, {150, 150, 158}};
  for (int k = 0; k < 3; ++k) {
    int x = 128 + 16 * k;
    std::string n = k == 0 ? "kit" : k == 1 ? "kit teal" : "kit grey";
    PutTile(sh, KitTile(KitPiece::kTopLeft, kits[k]), x, 64, n);
    PutTile(sh, KitTile(KitPiece::kTopRight, kits[k]), x + 8, 64, "");
    PutTile(sh, KitTile(KitPiece::kBottomLeft, kits[k]), x, 72, "");
    PutTile(sh, KitTile(KitPiece::kBottomRight, kits[k]), x + 8, 72, "");
    PutTile(sh, KitTile(KitPiece::kVertical, kits[k]), x, 80, "");
    PutTile(sh, KitTile(KitPiece::kHorizontal, kits[k]), x, 88, "");
  }
  Put(sh, Need(art, "cursor", 16, 16), 32, 112, 32, 96, "cursor");
  Put(sh, Need(art, "icon_book", 16, 16), 32, 128, 0, 128, "book");
  Put(sh, Need(art, "icon_dumbbell", 16, 16), 48, 128, 16, 128, "dumbbell");
  Put(sh, Need(art, "icon_brush", 16, 16), 32, 144, 0, 144, "brush");
  PutTile(sh, Image(16, 16, kBlack), 16, 144, "black");
  // Twinkling stars: the white masks, then green and pink pictures.
  for (int f = 0; f < 4; ++f) {
    int x = 64 + 16 * (f % 2), y = 128 + 16 * (f / 2);
    std::string n = "twinkle" + std::to_string(f);
    const Sprite& green = Need(art, n + "_green", 16, 16);
    const Sprite& pink = Need(art, n + "_pink", 16, 16);
    PutMask(sh, Need(art, n, 16, 16), x, y, "star " + std::to_string(f));
    PutPicture(sh, green, x + 32, y, "green");
    PutPicture(sh, pink, x + 64, y, "pink");
  }
  Put(sh, ThrownObject(), 0, 192, 0, 160, "shot");
  Put(sh, Need(art, "tacks", 32, 32), 32, 192, 32, 160, "tacks");
  Put(sh, Need(art, "student_stand", 32, 32), 64, 192, 64, 160, "figure");
  static const char* kRewards[] = {"reward_mug", "reward_medal", "reward_certificate",
                                   "reward_gift"};
  for (int k = 0; k < 4; ++k)
    Put(sh, Need(art, kRewards[k], 32, 32), 160 + 32 * k, 192, 160 + 32 * k, 160, kRewards[k]);
  static const char* kCast[] = {"teacher_study", "teacher_sports", "teacher_art", "cat_sleep1",
                                "cat_sleep2",    "cat_run1",       "cat_run2"};
  for (int k = 0; k < 7; ++k)
    Put(sh, Need(art, kCast[k], 32, 32), 32 * k, 256, 32 * k, 224, kCast[k]);
  // The two schools share one silhouette and one mask.
  const Sprite& grey = Need(art, "school_grey", 32, 32);
  const Sprite& red = Need(art, "school_red", 32, 32);
  if (grey.On != red.On) throw Missing("school_red and school_grey must have one silhouette");
  PutPicture(sh, red, 224, 256, "school red");
  Put(sh, grey, 256, 256, 256, 224, "school grey");
  return sh;
}

Sheet Chip1(const Art& art) {
  Sheet sh{"chip1.png", Image(288, 288), {}};
  static const char* kPickups[] = {"pickup_book", "pickup_dumbbell", "pickup_brush",
                                   "pickup_mirror"};
  for (int k = 0; k < 4; ++k) {
    Sprite s = Need(art, kPickups[k], 32, 32);
    for (int r = 0; r < 4; ++r) {
      Put(sh, s, 32 * k, 64 * r + 32, 32 * k, 64 * r,
          r == 0 ? std::string(kPickups[k]) : std::to_string(90 * r) + "°");
      s = RotateClockwise(s);
    }
  }
  Put(sh, Need(art, "cake", 32, 32), 256, 32, 256, 0, "cake");
  const Rgb gates[] = {{44, 100, 224}, {0, 152, 148}, {240, 128, 28}, {140, 20, 40}};
  static const char* kGateNames[] = {"gate test", "gate sports", "gate art", "gate VD"};
  for (int k = 0; k < 4; ++k)
    Put(sh, Gate(gates[k], false), 128, 64 * k + 32, 128, 64 * k, kGateNames[k]);
  Put(sh, Gate({214, 28, 40}, true), 192, 32, 192, 0, "gate graduation");
  return sh;
}

Sheet Chip2(const Art& art) {
  Sheet sh{"chip2.png", Image(288, 288), {}};
  Sprite star = MoodStar();
  // (picture, mask) cells of the four turns.
  const int cells[4][4] = {{0, 80, 0, 0}, {80, 0, 0, 160}, {80, 160, 80, 80}, {160, 80, 160, 0}};
  for (int f = 0; f < 4; ++f) {
    Put(sh, star, cells[f][0], cells[f][1], cells[f][2], cells[f][3], "star " + std::to_string(f));
    star = RotateClockwise(star);
  }
  const Sprite& portrait = Need(art, "portrait", 54, 57);
  PutTile(sh, SpriteOn(portrait, kWhite), 160, 160, "portrait");
  return sh;
}

Sheet Chip3(const Art& art) {
  Sheet sh{"chip3.png", Image(288, 256), {}};
  Title title = TitleLettering(art.Type);
  PutMask(sh, title.Lettering, 0, 0, "title");
  PutPicture(sh, title.Coloured, 0, 48, "title colour");
  Font* black = art.Type.Black;
  const Rgb yellow{255, 226, 48}, navy{16, 24, 72}, white = kWhite;
  Put(sh, Lettering(black, "卒業生の記録", 103, 17, yellow, true, navy), 0, 113, 0, 96,
      "records title");
  Put(sh, Lettering(black, "卒業者数：", 69, 16, white, true, navy), 0, 146, 0, 130, "count");
  Put(sh, Lettering(black, "人", 14, 16, white, true, navy), 69, 146, 69, 130, "unit");
  for (int d = 0; d < 10; ++d)
    Put(sh, Lettering(black, std::to_string(d), 10, 16, yellow, true, navy), 10 * d, 240, 10 * d,
        224, d == 0 ? "digits" : "");
  struct Label {
    const char* Text;
    int X, Y;
    Rgb Ink;
  };
  const Rgb blue{16, 32, 140}, red{210, 20, 20}, pink{255, 92, 170}, cyan{224, 255, 255},
      blush{255, 228, 236};
  const Label labels[] = {
      {"写生会", 160, 131, red},      {"体育祭", 213, 131, pink},   {"中間テスト", 160, 153, blue},
      {"演奏会", 213, 153, red},      {"スポ(夏)", 160, 175, pink}, {"スポ(冬)", 213, 175, pink},
      {"期末テスト", 160, 197, blue}, {"V.D", 213, 197, cyan},      {"文化祭", 160, 219, red},
      {"年末テスト", 213, 219, blue}, {"卒業式", 213, 241, blush},
  };

  for (const Label& l : labels) {
    // Dark lettering gets a white ring, pale lettering a dark one, so each
    // reads on its gate's banner.
    bool pale = l.Ink.R + l.Ink.G + l.Ink.B > 600;
    Rgb halo = pale ? Rgb{60, 10, 20} : white;
    Put(sh, PixelLettering(art.Type.Pixel, l.Text, 52, 11, l.Ink, halo), l.X, l.Y, l.X, l.Y - 11,
        l.Text);
  }
  return sh;
}

// The intro logo: the student's capped head inside the mood star, the
// name under it.
Sheet Logo(const Art& art) {
  Sheet sh{"logo.png", Image(96, 128), {}};
  Sprite star(96, 96);
  auto cov = PolygonCoverage(96, 96, StarPolygon(48, 50, 46, 19, 5, 0));
  auto body = PolygonCoverage(96, 96, StarPolygon(48, 50, 39, 15.5, 5, 0));
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 96; ++x) {
      size_t i = static_cast<size_t>(y) * 96 + x;
      if (cov[i] >= 0.5) star.Set(x, y, body[i] >= 0.5 ? Rgb{232, 24, 44} : Rgb{255, 196, 206});
    }
  // The head on a white disc in the middle of the star.
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 96; ++x) {
      double d = std::hypot(x + 0.5 - 48, y + 0.5 - 50);
      if (d <= 21) star.Set(x, y, d > 19.5 ? Rgb{255, 150, 170} : kWhite);
    }
  Stamp(star, Need(art, "head", 32, 32), 32, 33);
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 96; ++x)
      if (star.IsOn(x, y)) sh.Img.At(x, y + 4) = star.Get(x, y);
  Sprite name = Lettering(art.Type.Black, "Kurunoa", 92, 24, {24, 40, 112}, false, kWhite);
  for (int y = 0; y < name.H; ++y)
    for (int x = 0; x < name.W; ++x)
      if (name.IsOn(x, y)) sh.Img.At(2 + x, 100 + y) = name.Get(x, y);
  sh.Regions.push_back({"logo", 0, 0, 96, 128, Region::kTile});
  return sh;
}

// The window icon: the capped head on a blue tile.
Sheet Icon(const Art& art) {
  Sheet sh{"icon.png", Image(32, 32, {24, 64, 150}), {}};
  const Sprite& head = Need(art, "head", 32, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if (head.IsOn(x, y)) sh.Img.At(x, y) = head.Get(x, y);
  sh.Regions.push_back({"icon", 0, 0, 32, 32, Region::kTile});
  return sh;
}

}  // namespace

bool BuildSheets(const Art& art, std::vector<Sheet>* sheets, std::string* error) {
  try {
    sheets->clear();
    sheets->push_back(Chip0(art));
    sheets->push_back(Chip1(art));
    sheets->push_back(Chip2(art));
    sheets->push_back(Chip3(art));
    sheets->push_back(Logo(art));
    sheets->push_back(Icon(art));
  } catch (const Missing& e) {
    *error = e.what();
    return false;
  }
  return true;
}
