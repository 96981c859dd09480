// Sheets blown up for review: 3x, with the 16-pixel grid, every region
// outlined (pictures blue, masks green, opaque tiles orange) and named.
#include <algorithm>

#include "art.h"

namespace {

constexpr int kScale = 3;

void Frame(Image& img, int x, int y, int w, int h, Rgb c) {
  for (int i = x; i < x + w; ++i) img.Set(i, y, c), img.Set(i, y + h - 1, c);
  for (int j = y; j < y + h; ++j) img.Set(x, j, c), img.Set(x + w - 1, j, c);
}

}  // namespace

Image Preview(const Sheet& sheet, Font* labelFont) {
  Image img = ScaleUp(sheet.Img, kScale);
  const Rgb grid{200, 120, 200};
  for (int y = 0; y < img.H; ++y)
    for (int x = 0; x < img.W; ++x)
      if ((x % (16 * kScale) == 0 || y % (16 * kScale) == 0) && (x + y) % 4 < 2)
        img.At(x, y) = Mix(img.At(x, y), grid, 0.6);
  for (const Region& r : sheet.Regions) {
    Rgb c = r.K == Region::kPicture ? Rgb{0, 90, 255}
            : r.K == Region::kMask  ? Rgb{0, 200, 60}
                                    : Rgb{255, 140, 0};
    Frame(img, r.X * kScale, r.Y * kScale, r.W * kScale, r.H * kScale, c);
    if (r.Name.empty() || !labelFont) continue;
    Coverage text = RenderText(labelFont, r.Name, 10, 1.0, 1);
    int tx = r.X * kScale + 2, ty = r.Y * kScale + 2;
    int tw = std::min(text.W, r.W * kScale - 4);
    // A see-through tag, so the art under it still shows.
    for (int y = -1; y <= text.H; ++y)
      for (int x = -1; x <= tw; ++x)
        if (img.Inside(tx + x, ty + y))
          img.At(tx + x, ty + y) = Mix(img.At(tx + x, ty + y), kWhite, 0.55);
    for (int y = 0; y < text.H; ++y)
      for (int x = 0; x < tw; ++x)
        if (text.At(x, y))
          img.Set(tx + x, ty + y,
                  Mix(img.At(tx + x, ty + y), Shade(c, 0.35), text.At(x, y) / 255.0));
  }
  return img;
}

Image Zoom(const Image& sheet, int x, int y, int w, int h, int mx, int my, Rgb ground) {
  const int gap = 6, k = kScale;
  Image drawn(w, h, ground), picture(w, h), mask(w, h);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      Rgb p = sheet.At(x + i, y + j), m = sheet.At(mx + i, my + j), &d = drawn.At(i, j);
      d = {static_cast<uint8_t>((d.R | m.R) & p.R), static_cast<uint8_t>((d.G | m.G) & p.G),
           static_cast<uint8_t>((d.B | m.B) & p.B)};
      picture.At(i, j) = p;
      mask.At(i, j) = m;
    }
  Image out(3 * (w * k + gap) + w + 2 * gap, h * k + 2 * gap, Rgb{128, 128, 128});
  int left = gap;
  for (const Image* part : {&picture, &mask, &drawn}) {
    Image big = ScaleUp(*part, k);
    for (int j = 0; j < big.H; ++j)
      for (int i = 0; i < big.W; ++i) out.At(left + i, gap + j) = big.At(i, j);
    left += big.W + gap;
  }
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) out.At(left + i, gap + j) = drawn.At(i, j);
  return out;
}
