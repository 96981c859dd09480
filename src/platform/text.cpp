// Text on our surfaces with FreeType. Fonts are found through a private
// fontconfig configuration of our own (never the desktop's rules), which
// maps the Japanese font names the game asks for to faces Debian ships.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "platform/platform.h"

namespace {

// The faces the game's font names stand for. Each spelling is its own name
// (the ideographic-space form differs from the ordinary one).
const char kFontConfig[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts</dir>
  <dir>/usr/local/share/fonts</dir>
  <cachedir>/var/cache/fontconfig</cachedir>
  <cachedir prefix="xdg">fontconfig</cachedir>
  <match target="pattern">
    <test name="family"><string>ＭＳ Ｐゴシック</string></test>
    <edit name="family" mode="assign" binding="strong"><string>IPAPGothic</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>ＭＳ　Ｐゴシック</string></test>
    <edit name="family" mode="assign" binding="strong"><string>IPAPGothic</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>HGS創英角ｺﾞｼｯｸUB</string></test>
    <edit name="family" mode="assign" binding="strong"><string>Noto Sans CJK JP Black</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>HGP創英角ﾎﾟｯﾌﾟ体</string></test>
    <edit name="family" mode="assign" binding="strong"><string>RocknRoll One</string></edit>
  </match>
</fontconfig>
)";

constexpr const char* kFallbackFamily = "IPAPGothic";

struct Face {
  FT_Face Handle = nullptr;
  std::string File;
  int32_t TypoAscender = 0;  // font units
  int32_t UnitsPerEm = 1000;
  bool HasBold = false;
};

struct NamedFace {
  std::string Name;
  int32_t FaceIndex = -1;  // into gFaces
};

struct Glyph {
  int32_t Left = 0, Top = 0, Width = 0, Rows = 0, Advance = 0;
  std::size_t Offset = 0;  // into gCoverage
};

FT_Library gLibrary = nullptr;
FcConfig* gConfig = nullptr;
bool gInitFailed = false;
std::vector<Face> gFaces;
std::vector<NamedFace> gNames;
int32_t gFallbackFace = -1;
std::unordered_map<uint64_t, Glyph> gGlyphs;
std::vector<uint8_t> gCoverage;

bool Init() {
  if (gLibrary) return true;
  if (gInitFailed) return false;
  if (FT_Init_FreeType(&gLibrary) != 0) {
    std::fprintf(stderr, "kurunoa: FreeType could not start; text is not drawn\n");
    gInitFailed = true;
    return false;
  }
  gConfig = FcConfigCreate();
  if (!gConfig ||
      !FcConfigParseAndLoadFromMemory(gConfig, reinterpret_cast<const FcChar8*>(kFontConfig),
                                      FcTrue) ||
      !FcConfigBuildFonts(gConfig)) {
    std::fprintf(stderr, "kurunoa: the font configuration could not be loaded\n");
  }
  gGlyphs.reserve(2048);
  gCoverage.reserve(1 << 20);
  return true;
}

int32_t OpenFace(const std::string& file, int index) {
  for (std::size_t i = 0; i < gFaces.size(); ++i) {
    if (gFaces[i].File == file && gFaces[i].Handle->face_index == index) {
      return static_cast<int32_t>(i);
    }
  }
  FT_Face face = nullptr;
  if (FT_New_Face(gLibrary, file.c_str(), index, &face) != 0) return -1;
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);
  Face f;
  f.Handle = face;
  f.File = file;
  f.UnitsPerEm = face->units_per_EM ? face->units_per_EM : 1000;
  TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  f.TypoAscender = os2 ? os2->sTypoAscender : face->ascender;
  f.HasBold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  gFaces.push_back(f);
  return static_cast<int32_t>(gFaces.size() - 1);
}

bool FamilyMatches(FcPattern* pattern, const char* family) {
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
    if (FcStrCmpIgnoreCase(value, reinterpret_cast<const FcChar8*>(family)) == 0) return true;
  }
  return false;
}

// Finds the face for a family name; -1 when fontconfig has no such family.
int32_t MatchFamily(const std::string& name, bool requireExact) {
  if (!gConfig) return -1;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcConfigSubstitute(gConfig, pattern, FcMatchPattern);
  // The family after our aliases is what the match must deliver.
  FcChar8* wanted = nullptr;
  std::string target = name;
  if (FcPatternGetString(pattern, FC_FAMILY, 0, &wanted) == FcResultMatch) {
    target = reinterpret_cast<const char*>(wanted);
  }
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(gConfig, pattern, &result);
  FcPatternDestroy(pattern);
  int32_t faceIndex = -1;
  if (match) {
    FcChar8* file = nullptr;
    int index = 0;
    if ((!requireExact || FamilyMatches(match, target.c_str())) &&
        FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
      faceIndex = OpenFace(reinterpret_cast<const char*>(file), index);
    }
    FcPatternDestroy(match);
  }
  return faceIndex;
}

int32_t FallbackFace() {
  if (gFallbackFace >= 0) return gFallbackFace;
  gFallbackFace = MatchFamily(kFallbackFamily, true);
  if (gFallbackFace < 0) {
    std::fprintf(stderr, "kurunoa: font %s not found; using any available font\n", kFallbackFamily);
    gFallbackFace = MatchFamily(kFallbackFamily, false);
  }
  if (gFallbackFace < 0) gFallbackFace = -2;  // nothing at all: text is left out
  return gFallbackFace;
}

int32_t FaceForName(std::string_view name) {
  for (const NamedFace& n : gNames) {
    if (n.Name == name) return n.FaceIndex;
  }
  NamedFace entry;
  entry.Name = std::string(name);
  entry.FaceIndex = name.empty() ? -1 : MatchFamily(entry.Name, true);
  if (entry.FaceIndex < 0) {
    entry.FaceIndex = FallbackFace();
    if (!name.empty()) {
      std::fprintf(stderr, "kurunoa: font \"%s\" not found; using %s\n", entry.Name.c_str(),
                   kFallbackFamily);
    }
  }
  gNames.push_back(entry);
  return entry.FaceIndex;
}

inline int32_t PixelSize(int32_t points) {
  return static_cast<int32_t>(std::lround(points * 96.0 / 72.0));
}

const Glyph* GlyphFor(int32_t faceIndex, int32_t px, bool bold, uint32_t code) {
  const uint64_t key = (static_cast<uint64_t>(faceIndex & 0xFF) << 56) |
                       (static_cast<uint64_t>(px & 0x7FFF) << 40) |
                       (static_cast<uint64_t>(bold) << 39) | code;
  auto it = gGlyphs.find(key);
  if (it != gGlyphs.end()) return &it->second;

  int32_t useFace = faceIndex;
  FT_Face face = gFaces[useFace].Handle;
  FT_UInt index = FT_Get_Char_Index(face, code);
  if (index == 0) {
    const int32_t fb = FallbackFace();
    if (fb >= 0 && FT_Get_Char_Index(gFaces[fb].Handle, code) != 0) {
      useFace = fb;
      face = gFaces[fb].Handle;
      index = FT_Get_Char_Index(face, code);
    }
  }
  Glyph g;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(px));
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) == 0) {
    FT_GlyphSlot slot = face->glyph;
    FT_Pos boldShift = 0;
    if (bold && !gFaces[useFace].HasBold && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      // Synthetic bold, widened horizontally only.
      boldShift = FT_MulFix(face->units_per_EM, face->size->metrics.y_scale) / 24;
      FT_Outline_EmboldenXY(&slot->outline, boldShift, 0);
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0) {
      const FT_Bitmap& bm = slot->bitmap;
      g.Left = slot->bitmap_left;
      g.Top = slot->bitmap_top;
      g.Width = static_cast<int32_t>(bm.width);
      g.Rows = static_cast<int32_t>(bm.rows);
      g.Offset = gCoverage.size();
      for (int32_t r = 0; r < g.Rows; ++r) {
        const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(r) * bm.pitch;
        gCoverage.insert(gCoverage.end(), row, row + g.Width);
      }
    }
    g.Advance = static_cast<int32_t>((slot->advance.x + boldShift + 32) >> 6);
  }
  return &gGlyphs.emplace(key, g).first->second;
}

// Decodes one UTF-8 code point; malformed bytes stand for themselves.
uint32_t NextCodePoint(std::string_view s, std::size_t* i) {
  const unsigned char c = static_cast<unsigned char>(s[*i]);
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  if (extra && *i + extra >= s.size()) extra = 0;
  uint32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
  for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[*i + k]) & 0x3F);
  *i += 1 + extra;
  return cp;
}

inline uint32_t Blend(uint32_t dst, uint32_t colour, uint32_t a) {
  auto mix = [a](uint32_t d, uint32_t c) { return (d * (255 - a) + c * a + 127) / 255; };
  return (mix((dst >> 16) & 255, (colour >> 16) & 255) << 16) |
         (mix((dst >> 8) & 255, (colour >> 8) & 255) << 8) | mix(dst & 255, colour & 255);
}

}  // namespace

void SurfaceText(Surface& s, int32_t x, int32_t y, int32_t points, bool bold, uint32_t colour,
                 std::string_view utf8) {
  if (utf8.empty() || !Init()) return;
  const int32_t faceIndex = FaceForName(s.FontName);
  if (faceIndex < 0) return;
  const Face& face = gFaces[faceIndex];
  const int32_t px = PixelSize(points);
  // The baseline lies one typographic ascender below the top of the line.
  const int32_t baseline = y + static_cast<int32_t>(std::lround(
                                   static_cast<double>(face.TypoAscender) * px / face.UnitsPerEm));
  int32_t pen = x;
  // A glyph never starts more than an em left of its pen, so once the pen is
  // that far past the right edge nothing more can show: a name of megabytes
  // costs no more than a line across the surface.
  const int32_t stop = s.Width + px;
  for (std::size_t i = 0; i < utf8.size() && pen < stop;) {
    const uint32_t cp = NextCodePoint(utf8, &i);
    const Glyph* g = GlyphFor(faceIndex, px, bold, cp);
    const int32_t gx = pen + g->Left, gy = baseline - g->Top;
    for (int32_t r = 0; r < g->Rows; ++r) {
      const int32_t yy = gy + r;
      if (yy < 0 || yy >= s.Height) continue;
      const uint8_t* cov = &gCoverage[g->Offset + static_cast<std::size_t>(r) * g->Width];
      uint32_t* row = &s.Pixels[static_cast<std::size_t>(yy) * s.Width];
      for (int32_t c = 0; c < g->Width; ++c) {
        const int32_t xx = gx + c;
        if (xx < 0 || xx >= s.Width || cov[c] == 0) continue;
        row[xx] = cov[c] == 255 ? colour : Blend(row[xx], colour, cov[c]);
      }
    }
    pen += g->Advance;
  }
  s.Dirty = true;
}

int32_t SurfaceTextWidth(const Surface& s, int32_t points, bool bold, std::string_view utf8) {
  if (utf8.empty() || !Init()) return 0;
  const int32_t faceIndex = FaceForName(s.FontName);
  if (faceIndex < 0) return 0;
  const int32_t px = PixelSize(points);
  int32_t width = 0;
  // As in drawing, measuring stops once the text is wider than the surface.
  for (std::size_t i = 0; i < utf8.size() && width <= s.Width + px;) {
    width += GlyphFor(faceIndex, px, bold, NextCodePoint(utf8, &i))->Advance;
  }
  return width;
}

std::string FontFileFor(std::string_view name) {
  if (!Init()) return std::string();
  const int32_t faceIndex = FaceForName(name);
  return faceIndex >= 0 ? gFaces[faceIndex].File : std::string();
}
