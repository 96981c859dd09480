// The browser's glyph source: the atlas the native build renders with
// FreeType (glyphs.atlas, compiled into the program), so text pixels equal
// the desktop's. A glyph the atlas lacks draws nothing and advances nothing.
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "platform/glyphs.h"
#include "platform/platform.h"

namespace {

struct Atlas {
  std::vector<std::pair<std::string, int32_t>> Names;
  std::vector<GlyphFace> Faces;
  std::unordered_map<uint64_t, Glyph> Glyphs;
  const uint8_t* Coverage = nullptr;
};

Atlas gAtlas;
bool gLoaded = false;
bool gFailed = false;
const Glyph kMissing;

class Reader {
 public:
  Reader(const unsigned char* data, std::size_t size) : p_(data), end_(data + size) {}
  template <typename T>
  T Get() {
    T v = 0;
    if (end_ - p_ < static_cast<std::ptrdiff_t>(sizeof(T))) {
      bad_ = true;
      return v;
    }
    for (std::size_t i = 0; i < sizeof(T); ++i)
      v |= static_cast<T>(static_cast<T>(p_[i]) << (8 * i));
    p_ += sizeof(T);
    return v;
  }
  const unsigned char* Take(std::size_t n) {
    if (static_cast<std::size_t>(end_ - p_) < n) {
      bad_ = true;
      return nullptr;
    }
    const unsigned char* at = p_;
    p_ += n;
    return at;
  }
  bool Bad() const { return bad_; }

 private:
  const unsigned char* p_;
  const unsigned char* end_;
  bool bad_ = false;
};

bool Load() {
  std::size_t size = 0;
  const unsigned char* data = EmbeddedAsset("glyphs.atlas", &size);
  if (data == nullptr || size < 4 || std::memcmp(data, "KGA1", 4) != 0) return false;
  Reader r(data + 4, size - 4);
  for (uint32_t n = r.Get<uint32_t>(); n > 0 && !r.Bad(); --n) {
    const uint32_t len = r.Get<uint32_t>();
    const unsigned char* name = r.Take(len);
    const int32_t face = r.Get<int32_t>();
    if (name)
      gAtlas.Names.emplace_back(std::string(reinterpret_cast<const char*>(name), len), face);
  }
  for (uint32_t n = r.Get<uint32_t>(); n > 0 && !r.Bad(); --n) {
    GlyphFace f;
    f.TypoAscender = r.Get<int32_t>();
    f.UnitsPerEm = r.Get<int32_t>();
    gAtlas.Faces.push_back(f);
  }
  const uint32_t glyphs = r.Get<uint32_t>();
  gAtlas.Glyphs.reserve(glyphs);
  for (uint32_t n = glyphs; n > 0 && !r.Bad(); --n) {
    const uint64_t key = r.Get<uint64_t>();
    Glyph g;
    g.Left = r.Get<int32_t>();
    g.Top = r.Get<int32_t>();
    g.Width = r.Get<int32_t>();
    g.Rows = r.Get<int32_t>();
    g.Advance = r.Get<int32_t>();
    g.Offset = r.Get<uint32_t>();
    gAtlas.Glyphs.emplace(key, g);
  }
  const uint32_t coverage = r.Get<uint32_t>();
  gAtlas.Coverage = r.Take(coverage);
  if (r.Bad()) return false;
  for (const auto& [key, g] : gAtlas.Glyphs) {
    if (g.Offset + static_cast<std::size_t>(g.Width) * g.Rows > coverage) return false;
  }
  for (const auto& [name, face] : gAtlas.Names) {
    if (face >= static_cast<int32_t>(gAtlas.Faces.size())) return false;
  }
  return true;
}

}  // namespace

bool GlyphsInit() {
  if (gLoaded) return true;
  if (gFailed) return false;
  gLoaded = Load();
  if (!gLoaded) {
    gFailed = true;
    gAtlas = Atlas{};
    std::fprintf(stderr, "kurunoa: the glyph atlas is missing or damaged; text is not drawn\n");
  }
  return gLoaded;
}

int32_t GlyphFaceFor(std::string_view name) {
  for (const auto& [n, face] : gAtlas.Names) {
    if (n == name) return face;
  }
  // A name the game never printed with: the desktop's fallback face.
  for (const auto& [n, face] : gAtlas.Names) {
    if (n == "ＭＳ Ｐゴシック") return face;
  }
  return -1;
}

const GlyphFace& GlyphFaceMetrics(int32_t face) { return gAtlas.Faces[face]; }

const Glyph* GlyphFor(int32_t face, int32_t px, bool bold, uint32_t code) {
  auto it = gAtlas.Glyphs.find(GlyphKey(face, px, bold, code));
  return it == gAtlas.Glyphs.end() ? &kMissing : &it->second;
}

const uint8_t* GlyphCoverage(const Glyph& g) { return gAtlas.Coverage + g.Offset; }

GlyphTables GlyphsLoaded() {
  GlyphTables t;
  t.Names = gAtlas.Names;
  t.Faces = gAtlas.Faces;
  t.Glyphs.assign(gAtlas.Glyphs.begin(), gAtlas.Glyphs.end());
  t.Coverage = gAtlas.Coverage;
  return t;
}

std::string FontFileFor(std::string_view name) {
  return GlyphsInit() && GlyphFaceFor(name) >= 0 ? "glyphs.atlas" : std::string();
}
