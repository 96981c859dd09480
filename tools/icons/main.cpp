// The desktop icons: the 32-pixel artwork enlarged by whole numbers, so
// every size keeps its square pixels. Usage: icons ICON.png OUTDIR SIZE...
// writes OUTDIR/SIZExSIZE/kurunoa.png.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/platform.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: icons ICON.png OUTDIR SIZE...\n");
    return 2;
  }
  Surface icon;
  std::string error;
  if (!SurfaceLoadPngFile(icon, argv[1], &error)) {
    std::fprintf(stderr, "icons: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < icon.Width || size % icon.Width != 0 || icon.Width != icon.Height) {
      std::fprintf(stderr, "icons: %d is not a whole multiple of %d\n", size, icon.Width);
      return 1;
    }
    const int k = size / icon.Width;
    Surface big;
    SurfaceResize(big, size, size, 0);
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x)
        big.Pixels[y * size + x] = icon.Pixels[(y / k) * icon.Width + x / k];
    }
    const std::string n = std::to_string(size);
    const std::filesystem::path dir = std::filesystem::path(argv[2]) / (n + "x" + n);
    std::filesystem::create_directories(dir);
    if (!SurfaceSavePng(big, size, size, (dir / "kurunoa.png").string(), &error)) {
      std::fprintf(stderr, "icons: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}
