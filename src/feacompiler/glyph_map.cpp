#include "feacompiler/glyph_map.h"

#include <algorithm>
#include <cstring>

#include "feacompiler/tables/cmap_module.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

void mapNew(coreContext* g) { g->map = new MapContext(); }

void mapReuse(coreContext* g) { *g->map = MapContext(); }

void mapFree(coreContext* g) {
  delete g->map;
  g->map = nullptr;
}

void mapAddUV(coreContext* g, uint16_t gid, uint32_t value) {
  MapContext& m = *g->map;
  GlyphRecord& r = g->glyphs[gid];
  if (r.code == kNoCode) {
    r.code = value;
    m.byUnicode.push_back(gid);
  } else {
    if (r.moreCodes.empty()) m.withMore.push_back(gid);
    r.moreCodes.push_back(value);
    m.moreMin = std::min(m.moreMin, value);
    m.moreMax = std::max(m.moreMax, value);
    ++m.moreCount;
  }
  mapCountRange(m, value);
  if (value < 0x10000) {
    if (!(r.flags & kGlyphNoUnicode)) {
      m.bmpMin = std::min<int64_t>(m.bmpMin, value);
      m.bmpMax = std::max<int64_t>(m.bmpMax, value);
    }
  } else {
    ++m.aboveBmp;
  }
}

void mapSetup(coreContext* g) {
  MapContext& m = *g->map;
  const size_t count = g->glyphs.size();
  m.byName.clear();
  m.byName.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    GlyphRecord& r = g->glyphs[i];
    m.byName.push_back(static_cast<uint16_t>(i));
    if (r.code != kNoCode) {
      uint32_t code = r.code;
      r.code = kNoCode;
      mapAddUV(g, static_cast<uint16_t>(i), code);
    }
  }
  // Stable: among equal names the lowest glyph id comes first and wins every lookup.
  std::stable_sort(m.byName.begin(), m.byName.end(), [g](uint16_t a, uint16_t b) {
    return std::strcmp(g->glyphs[a].name, g->glyphs[b].name) < 0;
  });
  m.index.clear();
  m.index.reserve(count);
  for (size_t i = 0; i < count; ++i) m.index.emplace(g->glyphs[i].name, static_cast<uint32_t>(i));
  std::stable_sort(m.byUnicode.begin(), m.byUnicode.end(), [g](uint16_t a, uint16_t b) {
    return g->glyphs[a].code < g->glyphs[b].code;
  });
}

int mapCheck(coreContext* g) {
  cmapBuildUnicode(g);
  mapCharRanges(*g->map);
  g->map->ranges.codePageRange = os2CodePageRange(g);
  return 1;
}

uint32_t mapName2Glyph(coreContext* g, const char* name) {
  const char* alias = g->client->nameAlias(name);
  // The same answer as a search of the sorted table: the lowest id of the name.
  const MapContext& m = *g->map;
  auto it = m.index.find(alias);
  if (it == m.index.end()) return kNoGlyph;
  return it->second >= kNoGlyph ? kGlyphPastIds : it->second;
}

uint32_t mapUV2Glyph(coreContext* g, uint32_t value) {
  if (value == kNoCode) return kNoGlyph;
  const MapContext& m = *g->map;
  auto it = std::lower_bound(m.byUnicode.begin(), m.byUnicode.end(), value,
                             [g](uint16_t gid, uint32_t key) { return g->glyphs[gid].code < key; });
  if (it != m.byUnicode.end() && g->glyphs[*it].code == value) return *it;
  if (value >= m.moreMin && value <= m.moreMax) {
    for (uint16_t gid : m.withMore) {
      for (uint32_t v : g->glyphs[gid].moreCodes) {
        if (v == value) return gid;
      }
    }
  }
  return kNoGlyph;
}

}  // namespace fea
