// artgen: rebuilds the game's sprite sheets, intro logo and window icon from
// the pixel grids in assets/src and the drawing code of this folder.
//
//   artgen --src assets/src --out assets [--preview DIR]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "art.h"

namespace {

constexpr const char* kBlackFace = "/usr/share/fonts/opentype/noto/NotoSansCJK-Black.ttc";
constexpr const char* kLabelFace = "/usr/share/fonts/truetype/rocknroll/RocknRollOne-Regular.ttf";
constexpr const char* kPixelFace = "/usr/share/fonts/truetype/misaki/misaki_gothic.ttf";

int Usage() {
  std::fprintf(stderr,
               "usage: artgen --src DIR --out DIR [--preview DIR]\n"
               "       artgen --zoom SHEET.png X Y W H MASKX MASKY R,G,B OUT.png\n");
  return 2;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "artgen: %s\n", message.c_str());
  CloseFonts();
  return 1;
}

// The --zoom review picture of one region of a committed sheet.
int ZoomRegion(char** arg) {
  int v[6];
  for (int i = 0; i < 6; ++i) v[i] = std::atoi(arg[1 + i]);
  unsigned r = 0, g = 0, b = 0;
  if (std::sscanf(arg[7], "%u,%u,%u", &r, &g, &b) != 3 || r > 255 || g > 255 || b > 255)
    return Usage();
  Image sheet;
  std::string error;
  if (!ReadPng(arg[0], &sheet, &error)) return Fail(error);
  if (v[2] <= 0 || v[3] <= 0 || !sheet.Inside(v[0], v[1]) || !sheet.Inside(v[4], v[5]) ||
      !sheet.Inside(v[0] + v[2] - 1, v[1] + v[3] - 1) ||
      !sheet.Inside(v[4] + v[2] - 1, v[5] + v[3] - 1))
    return Fail("the region or its mask lies outside the sheet");
  Rgb ground{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
  if (!WritePng(arg[8], Zoom(sheet, v[0], v[1], v[2], v[3], v[4], v[5], ground), &error))
    return Fail(error);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 11 && !std::strcmp(argv[1], "--zoom")) return ZoomRegion(argv + 2);
  std::string src, out, preview;
  for (int i = 1; i < argc; ++i) {
    std::string* target = nullptr;
    if (!std::strcmp(argv[i], "--src")) target = &src;
    if (!std::strcmp(argv[i], "--out")) target = &out;
    if (!std::strcmp(argv[i], "--preview")) target = &preview;
    if (!target || i + 1 >= argc) return Usage();
    *target = argv[++i];
  }
  if (src.empty() || out.empty()) return Usage();

  std::string error;
  Art art;
  if (!LoadGrids(src, &art.Book, &error)) return Fail(error);
  art.Type.Black = OpenFont(kBlackFace, "Noto Sans CJK JP", "fonts-noto-cjk-extra", &error);
  if (!art.Type.Black) return Fail(error);
  art.Type.Label = OpenFont(kLabelFace, "", "fonts-rocknroll", &error);
  if (!art.Type.Label) return Fail(error);
  art.Type.Pixel = OpenFont(kPixelFace, "", "fonts-misaki", &error);
  if (!art.Type.Pixel) return Fail(error);

  std::vector<Sheet> sheets;
  if (!BuildSheets(art, &sheets, &error)) return Fail(error);
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  for (const Sheet& s : sheets)
    if (!WritePng(out + "/" + s.File, s.Img, &error)) return Fail(error);
  if (!preview.empty()) {
    std::filesystem::create_directories(preview, ec);
    for (const Sheet& s : sheets)
      if (!WritePng(preview + "/" + s.File, Preview(s, art.Type.Label), &error)) return Fail(error);
  }
  CloseFonts();
  return 0;
}
