#include "feacompiler/tables/cmap_module.h"

#include <algorithm>

#include "feacompiler/glyph_map.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

namespace {

constexpr uint16_t kWindows = 3, kMacintosh = 1, kCustom = 4;

bool isSingle(const CmapMapping& m) { return !(m.flags & kCmapDoubleByte); }

// Single-byte encodings show the tab and return codes with the space glyph unless a glyph
// of their own has them.
void addControlAliases(coreContext* g) {
  CmapContext& c = *g->cmap;
  if (!(c.byteSizes & kCmapSingle)) return;
  auto space = std::find_if(c.mappings.begin(), c.mappings.end(),
                            [](const CmapMapping& m) { return m.code == 32 && isSingle(m); });
  if (space == c.mappings.end()) return;
  const uint16_t gid = space->gid;
  for (uint32_t code : {9u, 13u}) c.mappings.push_back({code, gid, kCmapDroppable});
}

void sortMappings(CmapContext& c) {
  const bool mixed = (c.byteSizes & kCmapSingle) && (c.byteSizes & kCmapDouble);
  std::stable_sort(c.mappings.begin(), c.mappings.end(),
                   [mixed](const CmapMapping& a, const CmapMapping& b) {
                     const bool ra = a.flags & kCmapRemoved, rb = b.flags & kCmapRemoved;
                     if (ra != rb) return rb;
                     if (a.code != b.code) return a.code < b.code;
                     if (mixed && isSingle(a) != isSingle(b)) return isSingle(a);
                     return (a.flags & kCmapDroppable) > (b.flags & kCmapDroppable);
                   });
}

void cutRemoved(CmapContext& c) {
  sortMappings(c);
  std::erase_if(c.mappings, [](const CmapMapping& m) { return m.flags & kCmapRemoved; });
}

void checkDuplicateCodes(coreContext* g) {
  CmapContext& c = *g->cmap;
  for (size_t i = 1; i < c.mappings.size(); ++i) {
    CmapMapping& a = c.mappings[i - 1];
    const CmapMapping& b = c.mappings[i];
    if (a.code != b.code || isSingle(a) != isSingle(b)) continue;
    if (a.flags & kCmapDroppable) {
      a.flags |= kCmapRemoved;
      continue;
    }
    g->note = std::string(coreGlyphName(g, a.gid)) + " " + coreGlyphName(g, b.gid);
    cmapMsg(g, kMsgFatal, formatf("multiple glyphs %s mapped to code <%hx>", g->note.c_str(),
                          static_cast<unsigned short>(a.code)));
  }
  cutRemoved(c);
}

void makeWindows(coreContext* g, std::vector<uint8_t>& table) {
  CmapContext& c = *g->cmap;
  if (c.byteSizes & kCmapSingle) cmapMsg(g, kMsgWarning, "single-byte codes in MS platform");
  if (c.byteSizes & kCmapFour) {
    if (c.byteSizes & kCmapDouble) cmapMsg(g, kMsgWarning, "2-byte codes in 4-byte MS encoding");
    cmapMakeFormat12(c.mappings, c.language, table);
    return;
  }
  if (cmapMakeFormat4(c.mappings, c.language, table)) return;
  // Too long: the private-use codes go first.
  for (CmapMapping& m : c.mappings) {
    if (m.code >= 0xE000 && m.code <= 0xF8FF) m.flags |= kCmapRemoved;
  }
  cutRemoved(c);
  if (!cmapMakeFormat4(c.mappings, c.language, table))
    cmapMsg(g, kMsgFatal, "Length overflow in cmap format 4 subtable - too many segments.");
}

void makeOther(coreContext* g, std::vector<uint8_t>& table) {
  CmapContext& c = *g->cmap;
  if ((c.byteSizes & kCmapSingle) && (c.byteSizes & kCmapDouble)) {
    if (c.platform != kMacintosh)
      cmapMsg(g, kMsgWarning, formatf("platform %hd cmap is mixed-byte", static_cast<short>(c.platform)));
    // Lead bytes with many trail bytes can pass the 16-bit length.
    if (!cmapMakeFormat2(c.mappings, c.language, table))
      cmapMsg(g, kMsgFatal, "Length overflow in cmap format 2 subtable - too many codes.");
    return;
  }
  if (c.maxCode >= 0x10000) cmapMsg(g, kMsgFatal, "[internal] maxCode > 0xFFFF");
  if (c.maxCode < 256 && c.maxGid < 256) {
    cmapMakeFormat0(c.mappings, c.language, table);
    return;
  }
  if (c.platform == kCustom) cmapMsg(g, kMsgNote, "format 6 custom cmap created");
  cmapMakeFormat6(c.mappings, c.language, table);
}

}  // namespace

void cmapMsg(coreContext* g, int level, const std::string& text) {
  const CmapContext& c = *g->cmap;
  std::string full = formatf("cmap{plat=%hu,script=%hu,lang=%hu}: %s", c.platform, c.script,
                             c.language, text.c_str());
  coreMsg(g, level, "%s", full.c_str());
}

void cmapBeginEncoding(coreContext* g, uint16_t platform, uint16_t script, uint16_t language) {
  CmapContext& c = *g->cmap;
  c.platform = platform;
  c.script = script;
  c.language = language;
  c.maxCode = c.maxGid = 0;
  c.byteSizes = 0;
  c.mappings.clear();
}

void cmapAddMapping(coreContext* g, uint32_t code, uint16_t gid, uint16_t size) {
  CmapContext& c = *g->cmap;
  if (size == kCmapDouble && code > 0xFFFF)
    cmapMsg(g, kMsgFatal, formatf("code <%lx> is not double-byte", static_cast<unsigned long>(code)));
  c.mappings.push_back({code, gid, static_cast<uint16_t>(size == kCmapDouble ? kCmapDoubleByte : 0)});
  c.byteSizes |= size;
  c.maxCode = std::max(c.maxCode, code);
  c.maxGid = std::max<uint32_t>(c.maxGid, gid);
}

bool cmapEndEncoding(coreContext* g) {
  CmapContext& c = *g->cmap;
  if (c.mappings.empty()) {
    cmapMsg(g, kMsgWarning, "empty encoding");
    if (c.platform != kMacintosh) return false;
  }
  const int index = c.encodings.empty() ? 0 : c.encodings.back().subtable + 1;
  c.encodings.push_back({c.platform, c.script, c.language, index});
  addControlAliases(g);
  sortMappings(c);
  checkDuplicateCodes(g);
  for (size_t i = 1; i < c.mappings.size(); ++i) {
    if (c.mappings[i].code != c.mappings[i - 1].code + 1) c.mappings[i].flags |= kCmapGap;
  }
  std::vector<uint8_t> table;
  if (c.platform == kWindows)
    makeWindows(g, table);
  else
    makeOther(g, table);
  c.subtables.push_back(std::move(table));
  return true;
}

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
  cmapBeginEncoding(g, 3, 1, 0);
  for (uint16_t gid : m.byUnicode) {
    const GlyphRecord& r = g->glyphs[gid];
    if (r.flags & kGlyphNoUnicode) continue;
    if (r.code < 0x10000) cmapAddMapping(g, r.code, gid, kCmapDouble);
    for (uint32_t v : r.moreCodes) {
      if (v < 0x10000) cmapAddMapping(g, v, gid, kCmapDouble);
    }
  }
  if (!cmapEndEncoding(g)) return;
  CmapContext& c = *g->cmap;
  c.encodings.push_back({0, 3, 0, c.encodings.back().subtable});
  if (m.aboveBmp == 0) return;
  cmapBeginEncoding(g, 3, 10, 0);
  for (uint16_t gid : m.byUnicode) {
    const GlyphRecord& r = g->glyphs[gid];
    if (r.flags & kGlyphNoUnicode) continue;
    cmapAddMapping(g, r.code, gid, kCmapFour);
    for (uint32_t v : r.moreCodes) cmapAddMapping(g, v, gid, kCmapFour);
  }
  if (cmapEndEncoding(g)) c.encodings.push_back({0, 4, 0, c.encodings.back().subtable});
}

}  // namespace fea
