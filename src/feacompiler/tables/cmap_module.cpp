#include "feacompiler/tables/cmap_module.h"

#include <algorithm>

#include "feacompiler/glyph_map.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

namespace {

constexpr uint16_t kDoubleByte = 2, kFourByte = 4, kDroppable = 4, kRemoved = 8, kGap = 1;

void put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}

struct Segment {
  uint32_t start, end;
  bool mixed;           // joined runs: glyph ids in the glyph-id array
  int runLength;        // for the joining rule; 0 once mixed
  int16_t delta;
  size_t firstGlyph;    // index in the glyph-id array
};

// Format 4 from the sorted mappings; false when it would be 65536 bytes or more.
bool makeFormat4(const std::vector<CmapMapping>& maps, uint16_t language,
                 std::vector<uint8_t>& out) {
  std::vector<Segment> segs;
  std::vector<uint16_t> glyphIds;
  size_t i = 0;
  while (i < maps.size()) {
    size_t j = i + 1;
    while (j < maps.size() && maps[j].code == maps[j - 1].code + 1 &&
           maps[j].gid == maps[j - 1].gid + 1)
      ++j;
    const int length = static_cast<int>(j - i);
    Segment* last = segs.empty() ? nullptr : &segs.back();
    if (last && maps[i].code == last->end + 1 && last->runLength + length < 4) {
      if (!last->mixed) {
        // The segment's own run moves to the glyph-id array.
        last->mixed = true;
        last->firstGlyph = glyphIds.size();
        for (uint32_t c = last->start; c <= last->end; ++c)
          glyphIds.push_back(static_cast<uint16_t>(c + static_cast<uint32_t>(last->delta)));
      }
      last->runLength = 0;
      for (size_t k = i; k < j; ++k) glyphIds.push_back(maps[k].gid);
      last->end = maps[j - 1].code;
    } else {
      segs.push_back({maps[i].code, maps[j - 1].code, false, length,
                      static_cast<int16_t>(maps[i].gid - maps[i].code), 0});
    }
    i = j;
  }
  segs.push_back({0xFFFF, 0xFFFF, false, 1, 1, 0});
  const size_t segCount = segs.size();
  const size_t length = 16 + 8 * segCount + 2 * glyphIds.size();
  if (length >= 65536) return false;
  uint32_t searchRange = 2, entrySelector = 0;
  while (searchRange * 2 <= segCount * 2) {
    searchRange *= 2;
    ++entrySelector;
  }
  out.clear();
  put16(out, 4);
  put16(out, static_cast<uint32_t>(length));
  put16(out, language);
  put16(out, static_cast<uint32_t>(segCount * 2));
  put16(out, searchRange);
  put16(out, entrySelector);
  put16(out, static_cast<uint32_t>(segCount * 2 - searchRange));
  for (const Segment& s : segs) put16(out, s.end);
  put16(out, 0);
  for (const Segment& s : segs) put16(out, s.start);
  for (const Segment& s : segs) put16(out, s.mixed ? 0 : static_cast<uint16_t>(s.delta));
  for (size_t k = 0; k < segCount; ++k) {
    const Segment& s = segs[k];
    put16(out, s.mixed ? static_cast<uint32_t>(2 * (segCount - k) + 2 * s.firstGlyph) : 0);
  }
  for (uint16_t gid : glyphIds) put16(out, gid);
  return true;
}

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
  std::vector<uint8_t> table;
  if (c.platform == 3 && !(c.byteSizes & kFourByte) && !makeFormat4(c.mappings, c.language, table)) {
    // Too long: the private-use codes go first.
    std::erase_if(c.mappings, [](const CmapMapping& m) { return m.code >= 0xE000 && m.code <= 0xF8FF; });
    if (!makeFormat4(c.mappings, c.language, table))
      cmapMsg(g, 3, "Length overflow in cmap format 4 subtable - too many segments.");
  }
  c.subtables.push_back(std::move(table));
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
