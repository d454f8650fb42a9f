// The cmap subtable formats, each built from sorted mappings with distinct codes.
#include <algorithm>

#include "feacompiler/tables/cmap_module.h"
#include "layout/ot/big_endian.h"

namespace fea {

namespace {

using ot::put16;
using ot::put32;
using ot::set16;

struct Segment {
  uint32_t start, end;
  bool mixed;         // joined runs: glyph ids in the glyph-id array
  int runLength;      // for the joining rule; 0 once mixed
  int16_t delta;
  size_t firstGlyph;  // index in the glyph-id array
};

}  // namespace

bool cmapMakeFormat4(const std::vector<CmapMapping>& maps, uint16_t language,
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

void cmapMakeFormat0(const std::vector<CmapMapping>& maps, uint16_t language,
                     std::vector<uint8_t>& out) {
  out.clear();
  put16(out, 0);
  put16(out, 262);
  put16(out, language);
  out.resize(262, 0);
  for (const CmapMapping& m : maps) out[6 + m.code] = static_cast<uint8_t>(m.gid);
}

void cmapMakeFormat6(const std::vector<CmapMapping>& maps, uint16_t language,
                     std::vector<uint8_t>& out) {
  const uint32_t first = maps.empty() ? 0 : maps.front().code;
  const uint32_t count = maps.empty() ? 0 : maps.back().code - first + 1;
  out.clear();
  put16(out, 6);
  put16(out, 10 + 2 * count);
  put16(out, language);
  put16(out, first);
  put16(out, count);
  out.resize(10 + 2 * size_t{count}, 0);
  for (const CmapMapping& m : maps) set16(out, 10 + 2 * (m.code - first), m.gid);
}

bool cmapMakeFormat2(const std::vector<CmapMapping>& maps, uint16_t language,
                     std::vector<uint8_t>& out) {
  // Subheader 0 holds the single-byte codes; every lead byte of double-byte codes gets its
  // own subheader over the range of its trail bytes.
  struct Sub {
    uint32_t first = 256, last = 0;
    size_t glyphIndex = 0;
  };
  std::vector<Sub> subs(1);
  int leadSub[256] = {};
  for (const CmapMapping& m : maps) {
    const bool dbl = m.flags & kCmapDoubleByte;
    Sub* s = &subs[0];
    const uint32_t low = m.code & 0xFF;
    if (dbl) {
      const uint32_t lead = m.code >> 8;
      if (leadSub[lead] == 0) {
        leadSub[lead] = static_cast<int>(subs.size());
        subs.emplace_back();
      }
      s = &subs[static_cast<size_t>(leadSub[lead])];
    }
    s->first = std::min(s->first, low);
    s->last = std::max(s->last, low);
  }
  size_t glyphCount = 0;
  for (Sub& s : subs) {
    if (s.first > s.last) s.first = s.last = 0;  // no single-byte codes: one empty entry
    s.glyphIndex = glyphCount;
    glyphCount += s.last - s.first + 1;
  }
  const size_t subStart = 6 + 512, glyphStart = subStart + 8 * subs.size();
  const size_t length = glyphStart + 2 * glyphCount;
  if (length > 0xFFFF) return false;
  out.assign(length, 0);
  set16(out, 0, 2);
  set16(out, 2, static_cast<uint32_t>(length));
  set16(out, 4, language);
  for (int lead = 0; lead < 256; ++lead)
    set16(out, 6 + 2 * static_cast<size_t>(lead), static_cast<uint32_t>(8 * leadSub[lead]));
  for (size_t k = 0; k < subs.size(); ++k) {
    const Sub& s = subs[k];
    const size_t at = subStart + 8 * k;
    set16(out, at, s.first);
    set16(out, at + 2, s.last - s.first + 1);
    set16(out, at + 4, 0);  // idDelta
    // idRangeOffset counts from its own field to the subheader's first glyph.
    set16(out, at + 6, static_cast<uint32_t>(glyphStart + 2 * s.glyphIndex - (at + 6)));
  }
  for (const CmapMapping& m : maps) {
    const bool dbl = m.flags & kCmapDoubleByte;
    const Sub& s = subs[dbl ? static_cast<size_t>(leadSub[m.code >> 8]) : 0];
    set16(out, glyphStart + 2 * (s.glyphIndex + (m.code & 0xFF) - s.first), m.gid);
  }
  return true;
}

void cmapMakeFormat12(const std::vector<CmapMapping>& maps, uint16_t language,
                      std::vector<uint8_t>& out) {
  out.assign(16, 0);
  set16(out, 0, 12);
  uint32_t groups = 0;
  size_t i = 0;
  while (i < maps.size()) {
    size_t j = i + 1;
    while (j < maps.size() && maps[j].code == maps[j - 1].code + 1 &&
           maps[j].gid == maps[j - 1].gid + 1)
      ++j;
    put32(out, maps[i].code);
    put32(out, maps[j - 1].code);
    put32(out, maps[i].gid);
    ++groups;
    i = j;
  }
  const uint32_t length = 16 + 12 * groups;
  set16(out, 4, length >> 16);
  set16(out, 6, length & 0xFFFF);
  set16(out, 10, language);
  set16(out, 12, groups >> 16);
  set16(out, 14, groups & 0xFFFF);
}

}  // namespace fea
