// Glyph mapping: glyph name -> glyph id and Unicode value -> glyph id over the core's
// glyph records.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "feacompiler/core_context.h"

namespace fea {

constexpr size_t kUnicodeBlockCount = 70;

// OS/2 character-range values of the font's Unicode values (nothing writes OS/2 yet).
struct CharRanges {
  uint16_t firstChar = 0, lastChar = 0;
  std::array<uint32_t, 4> unicodeRange{};
  std::array<uint32_t, 2> codePageRange{};
};

struct MapContext {
  std::vector<uint16_t> byName;     // glyph ids sorted by name, lowest id first among equals
  std::unordered_map<std::string_view, uint32_t> index;  // name -> lowest id, for lookups
  std::vector<uint16_t> byUnicode;  // glyphs with a first value, sorted by it
  std::vector<uint16_t> withMore;   // glyphs that have further values
  uint32_t moreMin = 0xFFFF, moreMax = 0;
  uint32_t moreCount = 0;
  uint32_t aboveBmp = 0;
  int64_t bmpMin = 2147483647, bmpMax = -2147483648LL;
  std::array<uint32_t, kUnicodeBlockCount> blockCounts{};  // values per OS/2 range block
  CharRanges ranges;  // set by mapCheck
};

constexpr uint32_t kNoGlyph = 0xFFFF;
// What mapName2Glyph gives for a glyph of the font whose id is past the 16-bit glyph ids.
constexpr uint32_t kGlyphPastIds = 0x10000;

void mapNew(coreContext* g);
void mapSetup(coreContext* g);
void mapAddUV(coreContext* g, uint16_t gid, uint32_t value);
int mapCheck(coreContext* g);
// Glyph id of a name, kNoGlyph when the font lacks it, kGlyphPastIds when its id is 0xFFFF or more.
uint32_t mapName2Glyph(coreContext* g, const char* name);
uint32_t mapUV2Glyph(coreContext* g, uint32_t value);
// OS/2 range bookkeeping (glyph_map_ranges.cpp).
void mapCountRange(MapContext& m, uint32_t value);
void mapCharRanges(MapContext& m);
void mapReuse(coreContext* g);
void mapFree(coreContext* g);

}  // namespace fea
