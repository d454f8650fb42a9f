#include "feacompiler/tables/cmap_module.h"

#include <algorithm>

#include "feacompiler/glyph_map.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

namespace {

constexpr uint16_t kDoubleByte = 2, kFourByte = 4, kDroppable = 4, kRemoved = 8, kGap = 1;

void cmapMsg(coreContext* g, int level, const std::string& text) {
  const CmapContext& c = *g->cmap;
  std::string full = formatf("cmap{plat=%hu,script=%hu,lang=%hu}: %s", c.platform, c.script,
                             c.language, text.c_str());
  coreMsg(g, level, "%s", full.c_str());
}

void beginEncoding(coreContext* g, uint16_t platform, uint16_t script) {
  CmapContext& c = *g->cmap;
  c.platform = platform;
  c.script = script;
  c.language = 0;
  c.maxCode = c.maxGid = 0;
  c.byteSizes = 0;
  c.mappings.clear();
}

void addMapping(coreContext* g, uint32_t code, uint16_t gid, uint16_t size) {
  CmapContext& c = *g->cmap;
  c.mappings.push_back({code, gid, static_cast<uint16_t>(size == 2 ? kDoubleByte : 0)});
  c.byteSizes |= size;
  c.maxCode = std::max(c.maxCode, code);
  c.maxGid = std::max<uint32_t>(c.maxGid, gid);
}

// Sorts, checks duplicates and makes the subtable; false when there are no mappings.
bool endEncoding(coreContext* g) {
  CmapContext& c = *g->cmap;
  if (c.mappings.empty()) {
    cmapMsg(g, 1, "empty encoding");
    if (c.platform != 1) return false;
  }
  int index = c.encodings.empty() ? 0 : c.encodings.back().subtable + 1;
  c.encodings.push_back({c.platform, c.script, c.language, index});
  std::stable_sort(c.mappings.begin(), c.mappings.end(),
                   [](const CmapMapping& a, const CmapMapping& b) {
                     bool ra = a.flags & kRemoved, rb = b.flags & kRemoved;
                     if (ra != rb) return rb;
                     if (a.code != b.code) return a.code < b.code;
                     return (a.flags & kDroppable) > (b.flags & kDroppable);
                   });
  for (size_t i = 1; i < c.mappings.size(); ++i) {
    CmapMapping& a = c.mappings[i - 1];
    CmapMapping& b = c.mappings[i];
    if (a.code != b.code || (a.flags & kDoubleByte) != (b.flags & kDoubleByte)) continue;
    if (a.flags & kDroppable) {
      a.flags |= kRemoved;
      continue;
    }
    g->note.clear();
    std::string names = std::string(g->glyphs[a.gid].name) + " " + g->glyphs[b.gid].name;
    cmapMsg(g, 3, formatf("multiple glyphs %s mapped to code <%hx>", names.c_str(),
                          static_cast<unsigned short>(a.code)));
  }
  std::erase_if(c.mappings, [](const CmapMapping& m) { return m.flags & kRemoved; });
  if ((c.byteSizes & 1) && c.platform == 3) cmapMsg(g, 1, "single-byte codes in MS platform");
  if ((c.byteSizes & kFourByte) && (c.byteSizes & kDoubleByte))
    cmapMsg(g, 1, "2-byte codes in 4-byte MS encoding");
  // Runs of codes: a break in the codes marks the mapping after it.
  for (size_t i = 1; i < c.mappings.size(); ++i) {
    if (c.mappings[i].code != c.mappings[i - 1].code + 1) c.mappings[i].flags |= kGap;
  }
  c.subtables.emplace_back();
  return true;
}

}  // namespace

void cmapNew(coreContext* g) { g->cmap = new CmapContext(); }

void cmapReuse(coreContext* g) {
  g->cmap->encodings.clear();
  g->cmap->subtables.clear();
  g->cmap->mappings.clear();
}

void cmapFree(coreContext* g) {
  delete g->cmap;
  g->cmap = nullptr;
}

void cmapBuildUnicode(coreContext* g) {
  const MapContext& m = *g->map;
  beginEncoding(g, 3, 1);
  for (uint16_t gid : m.byUnicode) {
    const GlyphRecord& r = g->glyphs[gid];
    if (r.flags & kGlyphNoUnicode) continue;
    if (r.code < 0x10000) addMapping(g, r.code, gid, 2);
    for (uint32_t v : r.moreCodes) {
      if (v < 0x10000) addMapping(g, v, gid, 2);
    }
  }
  if (!endEncoding(g)) return;
  CmapContext& c = *g->cmap;
  c.encodings.push_back({0, 3, 0, c.encodings.back().subtable});
  if (m.aboveBmp == 0) return;
  beginEncoding(g, 3, 10);
  for (uint16_t gid : m.byUnicode) {
    const GlyphRecord& r = g->glyphs[gid];
    if (r.flags & kGlyphNoUnicode) continue;
    addMapping(g, r.code, gid, kFourByte);
    for (uint32_t v : r.moreCodes) addMapping(g, v, gid, kFourByte);
  }
  if (endEncoding(g)) c.encodings.push_back({0, 4, 0, c.encodings.back().subtable});
}

}  // namespace fea
