// Prepares what the browser build cannot take from system libraries:
//   glyphs.atlas   every glyph the game prints, rendered by our FreeType layer
//   *.png          the artwork, decoded and stored without compression
// Usage: webdata OUT_DIR GAME_DIR ASSETS_DIR KEYS...
// The glyphs are found by playing the game headless with each key script
// (in a child process each, as the program runs once per process), on top
// of the warm-up of every play text; each font and size seen then also gets
// the digits and the name syllables, which vary from run to run.
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <tuple>

#include "frame/frame.h"
#include "platform/glyphs.h"
#include "platform/platform.h"
#include "platform/png_stored.h"

namespace fs = std::filesystem;

namespace {

// Shown on the title when a save failed; no scripted run reaches it.
constexpr const char* kSaveFailedLine = "卒業生の記録を保存できませんでした";
constexpr const char* kTitleFont = "ＭＳ Ｐゴシック";

using Combo = std::tuple<std::string, int32_t, bool>;  // font name, pixels, bold

int32_t PointsFor(int32_t px) {
  for (int32_t p = 1; p < 200; ++p) {
    if (std::lround(p * 96.0 / 72.0) == px) return p;
  }
  return -1;
}

void Measure(const Combo& c, std::string_view text) {
  Surface s;
  s.Width = 1 << 20;  // measuring stops at the surface's edge; no pixels are touched
  s.FontName = std::get<0>(c);
  const int32_t points = PointsFor(std::get<1>(c));
  if (points > 0) SurfaceTextWidth(s, points, std::get<2>(c), text);
}

std::set<Combo> CombosLoaded(const GlyphTables& t) {
  std::set<Combo> combos;
  for (const auto& [key, g] : t.Glyphs) {
    const int32_t face = static_cast<int32_t>(key >> 56);
    for (const auto& [name, f] : t.Names) {
      if (f == face)
        combos.emplace(name, static_cast<int32_t>((key >> 40) & 0x7FFF), (key >> 39) & 1);
    }
  }
  return combos;
}

// Runs the game with a key script in a child, which writes every text it
// could print as lines "font TAB points TAB bold TAB text".
bool PlayScript(const std::string& game, const std::string& keys, const std::string& out) {
  const fs::path dir = fs::temp_directory_path() / ("kurunoa_webdata_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(fs::path(game) / "da", dir / "da", fs::copy_options::recursive);
  fs::remove(dir / "da" / "da1.txt");
  fs::remove(dir / "da" / "da2.txt");
  const pid_t pid = fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::string appDir = dir.string();
    const char* argv[] = {"kurunoa",      "--headless", "--seed",     "1",    "--app-dir",
                          appDir.c_str(), "--input",    keys.c_str(), nullptr};
    const int status = Main(8, const_cast<char**>(argv));
    std::ofstream o(out, std::ios::app);
    const GlyphTables t = GlyphsLoaded();
    for (const auto& [key, g] : t.Glyphs) {
      const int32_t face = static_cast<int32_t>(key >> 56);
      for (const auto& [name, f] : t.Names) {
        if (f != face) continue;
        char text[8] = {};
        const uint32_t cp = static_cast<uint32_t>(key & 0x1FFFFF);
        // UTF-8 of the code point.
        if (cp < 0x80) {
          text[0] = static_cast<char>(cp);
        } else if (cp < 0x800) {
          text[0] = static_cast<char>(0xC0 | (cp >> 6));
          text[1] = static_cast<char>(0x80 | (cp & 63));
        } else if (cp < 0x10000) {
          text[0] = static_cast<char>(0xE0 | (cp >> 12));
          text[1] = static_cast<char>(0x80 | ((cp >> 6) & 63));
          text[2] = static_cast<char>(0x80 | (cp & 63));
        } else {
          text[0] = static_cast<char>(0xF0 | (cp >> 18));
          text[1] = static_cast<char>(0x80 | ((cp >> 12) & 63));
          text[2] = static_cast<char>(0x80 | ((cp >> 6) & 63));
          text[3] = static_cast<char>(0x80 | (cp & 63));
        }
        o << name << '\t' << ((key >> 40) & 0x7FFF) << '\t' << ((key >> 39) & 1) << '\t' << text
          << '\n';
      }
    }
    // The syllables of this game folder's names.
    for (const auto& [name, px, bold] : CombosLoaded(t)) {
      for (const std::string& s : Syllable) {
        if (!s.empty()) o << name << '\t' << px << '\t' << bold << '\t' << s << '\n';
      }
    }
    o.close();
    std::fflush(nullptr);
    _exit(status == 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  fs::remove_all(dir);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

template <typename T>
void Put(std::string& out, T v) {
  for (std::size_t i = 0; i < sizeof(T); ++i)
    out.push_back(static_cast<char>((v >> (8 * i)) & 255));
}

// Little-endian: "KGA1", names (length, bytes, face), faces (ascender,
// units per em), glyphs (key, left, top, width, rows, advance, offset),
// then the coverage bytes.
std::string Atlas(const GlyphTables& t) {
  std::string out = "KGA1";
  Put<uint32_t>(out, static_cast<uint32_t>(t.Names.size()));
  for (const auto& [name, face] : t.Names) {
    Put<uint32_t>(out, static_cast<uint32_t>(name.size()));
    out += name;
    Put<int32_t>(out, face);
  }
  Put<uint32_t>(out, static_cast<uint32_t>(t.Faces.size()));
  for (const GlyphFace& f : t.Faces) {
    Put<int32_t>(out, f.TypoAscender);
    Put<int32_t>(out, f.UnitsPerEm);
  }
  // Coverage is copied glyph by glyph, so only what the atlas holds is kept.
  std::string coverage;
  Put<uint32_t>(out, static_cast<uint32_t>(t.Glyphs.size()));
  for (const auto& [key, g] : t.Glyphs) {
    Put<uint64_t>(out, key);
    for (int32_t v : {g.Left, g.Top, g.Width, g.Rows, g.Advance}) Put<int32_t>(out, v);
    Put<uint32_t>(out, static_cast<uint32_t>(coverage.size()));
    coverage.append(reinterpret_cast<const char*>(t.Coverage + g.Offset),
                    static_cast<std::size_t>(g.Width) * g.Rows);
  }
  Put<uint32_t>(out, static_cast<uint32_t>(coverage.size()));
  return out + coverage;
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream o(path, std::ios::binary);
  o << bytes;
  return static_cast<bool>(o);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: webdata OUT_DIR GAME_DIR ASSETS_DIR KEYS...\n");
    return 2;
  }
  const fs::path out = argv[1];
  fs::create_directories(out);
  const std::string texts = (out / "texts.tmp").string();
  fs::remove(texts);
  for (int i = 4; i < argc; ++i) {
    if (!PlayScript(argv[2], argv[i], texts)) {
      std::fprintf(stderr, "webdata: the run with %s failed\n", argv[i]);
      return 1;
    }
  }
  // The same texts again in this process, then the extras for every size.
  std::ifstream in(texts);
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string name, px, bold, text;
    std::getline(fields, name, '\t');
    std::getline(fields, px, '\t');
    std::getline(fields, bold, '\t');
    std::getline(fields, text);
    Measure({name, std::stoi(px), bold == "1"}, text);
  }
  fs::remove(texts);
  Measure({kTitleFont, 12, false}, kSaveFailedLine);
  for (const Combo& c : CombosLoaded(GlyphsLoaded())) Measure(c, " -.0123456789");
  const GlyphTables t = GlyphsLoaded();
  if (!WriteFile(out / "glyphs.atlas", Atlas(t))) return 1;

  for (const auto& entry : fs::directory_iterator(argv[3])) {
    if (entry.path().extension() != ".png") continue;
    Surface s;
    std::string error;
    if (!SurfaceLoadPngFile(s, entry.path().string(), &error)) {
      std::fprintf(stderr, "webdata: %s: %s\n", entry.path().c_str(), error.c_str());
      return 1;
    }
    if (!WriteFile(out / entry.path().filename(), EncodeStoredPng(s, s.Width, s.Height))) return 1;
  }
  std::printf("webdata: %zu glyphs in %zu sizes\n", t.Glyphs.size(), CombosLoaded(t).size());
  return 0;
}
