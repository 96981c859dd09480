// artgen: rebuilds the game's sprite sheets, intro logo and window icon from
// the pixel grids in assets/src and the drawing code of this folder.
//
//   artgen --src assets/src --out assets [--preview DIR]
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "art.h"

namespace {

constexpr const char* kBlackFace = "/usr/share/fonts/opentype/noto/NotoSansCJK-Black.ttc";
constexpr const char* kLabelFace = "/usr/share/fonts/truetype/rocknroll/RocknRollOne-Regular.ttf";

int Usage() {
  std::fprintf(stderr, "usage: artgen --src DIR --out DIR [--preview DIR]\n");
  return 2;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "artgen: %s\n", message.c_str());
  CloseFonts();
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
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
