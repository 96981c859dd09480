// The glyph source behind our text drawing (internal to the platform layer):
// FreeType on the desktop, a glyph atlas made from it at build time in the
// browser. The drawing itself (text.cpp) is shared, so both give the same pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct Glyph {
  int32_t Left = 0, Top = 0, Width = 0, Rows = 0, Advance = 0;
  std::size_t Offset = 0;  // into the coverage store
};

struct GlyphFace {
  int32_t TypoAscender = 0;  // font units
  int32_t UnitsPerEm = 1000;
};

// False when no text can be drawn at all.
bool GlyphsInit();
// The face a font name resolves to; negative when there is none.
int32_t GlyphFaceFor(std::string_view name);
const GlyphFace& GlyphFaceMetrics(int32_t face);
const Glyph* GlyphFor(int32_t face, int32_t px, bool bold, uint32_t code);
// Width * Rows coverage bytes, row by row.
const uint8_t* GlyphCoverage(const Glyph& g);

// The key a glyph is stored under, shared by the cache and the atlas.
inline uint64_t GlyphKey(int32_t face, int32_t px, bool bold, uint32_t code) {
  return (static_cast<uint64_t>(face & 0xFF) << 56) | (static_cast<uint64_t>(px & 0x7FFF) << 40) |
         (static_cast<uint64_t>(bold) << 39) | code;
}

// Everything loaded so far, for the atlas tool (the FreeType source only).
struct GlyphTables {
  std::vector<std::pair<std::string, int32_t>> Names;  // font name, face
  std::vector<GlyphFace> Faces;
  std::vector<std::pair<uint64_t, Glyph>> Glyphs;  // by GlyphKey
  const uint8_t* Coverage = nullptr;
};
GlyphTables GlyphsLoaded();
