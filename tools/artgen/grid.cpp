#include "grid.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

using Palette = std::map<char, Rgb>;
using Grid = GridSource;

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

// "K 20 20 30" with an optional trailing comment.
bool ParseColour(const std::string& line, char* key, Rgb* c) {
  std::istringstream in(line);
  std::string k;
  int r, g, b;
  if (!(in >> k >> r >> g >> b) || k.size() != 1 || k[0] == '.') return false;
  if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) return false;
  std::string rest;
  if (in >> rest && rest[0] != '#') return false;
  *key = k[0];
  *c = {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
  return true;
}

bool Build(const Grid& g, const std::string& where, Sprite* out, std::string* error) {
  int h = static_cast<int>(g.Rows.size());
  int w = h ? static_cast<int>(g.Rows[0].size()) : 0;
  if (h == 0 || w == 0) {
    *error = where + ": empty grid";
    return false;
  }
  Sprite s(w, h);
  for (int y = 0; y < h; ++y) {
    if (static_cast<int>(g.Rows[y].size()) != w) {
      *error = where + ": row " + std::to_string(y) + " is " + std::to_string(g.Rows[y].size()) +
               " wide, not " + std::to_string(w);
      return false;
    }
    for (int x = 0; x < w; ++x) {
      char ch = g.Rows[y][x];
      if (ch == '.') continue;
      auto it = g.Colours.find(ch);
      if (it == g.Colours.end()) {
        *error = where + ": row " + std::to_string(y) + " uses '" + std::string(1, ch) +
                 "', which the palette does not define";
        return false;
      }
      s.Set(x, y, it->second);
    }
  }
  *out = s;
  return true;
}

}  // namespace

bool ParseGrids(const std::string& text, const std::string& file, SpriteBook* book,
                std::string* error) {
  auto& grids = book->Sources;
  Palette palette;
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  enum { kTop, kPalette, kSprite, kVariant } state = kTop;
  std::string name;
  Grid current;
  int startLine = 0;
  auto where = [&](int n) { return file + ":" + std::to_string(n); };
  while (std::getline(in, raw)) {
    ++lineNo;
    std::string line = Trim(raw);
    if (state != kSprite && (line.empty() || line[0] == '#')) continue;
    if (state == kSprite) {
      if (line == "end") {
        Sprite s;
        if (!Build(current, where(startLine) + " sprite " + name, &s, error)) return false;
        grids[name] = current;
        book->Sprites[name] = s;
        state = kTop;
      } else if (!line.empty() && line[0] != '#') {
        current.Rows.push_back(line);
      }
      continue;
    }
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (state == kTop) {
      if (word == "palette") {
        state = kPalette;
      } else if (word == "sprite" || word == "variant") {
        std::string base;
        if (!(words >> name) || (word == "variant" && !(words >> base))) {
          *error = where(lineNo) + ": " + word + " needs a name";
          return false;
        }
        if (book->Sprites.count(name)) {
          *error = where(lineNo) + ": sprite " + name + " is defined twice";
          return false;
        }
        startLine = lineNo;
        if (word == "sprite") {
          current = Grid{{}, palette};
          state = kSprite;
        } else {
          auto it = grids.find(base);
          if (it == grids.end()) {
            *error = where(lineNo) + ": variant " + name + " of unknown sprite " + base;
            return false;
          }
          current = it->second;
          state = kVariant;
        }
      } else {
        *error = where(lineNo) + ": expected palette, sprite or variant, not '" + line + "'";
        return false;
      }
      continue;
    }
    // Palette and variant blocks hold colour lines.
    if (line == "end") {
      if (state == kVariant) {
        Sprite s;
        if (!Build(current, where(startLine) + " variant " + name, &s, error)) return false;
        grids[name] = current;
        book->Sprites[name] = s;
      }
      state = kTop;
      continue;
    }
    char key;
    Rgb c;
    if (!ParseColour(line, &key, &c)) {
      *error = where(lineNo) + ": expected 'char r g b', not '" + line + "'";
      return false;
    }
    (state == kPalette ? palette : current.Colours)[key] = c;
  }
  if (state != kTop) {
    *error = file + ": block opened at line " + std::to_string(startLine) + " has no end";
    return false;
  }
  return true;
}

bool LoadGrids(const std::string& dir, SpriteBook* book, std::string* error) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec))
    if (e.path().extension() == ".txt") files.push_back(e.path());
  if (ec) {
    *error = "cannot read the sprite folder " + dir + ": " + ec.message();
    return false;
  }
  std::sort(files.begin(), files.end());
  for (const auto& p : files) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream text;
    text << f.rdbuf();
    if (!f) {
      *error = "cannot read " + p.string();
      return false;
    }
    if (!ParseGrids(text.str(), p.filename().string(), book, error)) return false;
  }
  return true;
}
