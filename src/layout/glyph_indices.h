// The layout model's glyph ids to and from the glyph indices of the binary tables
// (layout/ot works on indices only): coverages of glyph lists and the font's map.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "layout/glyph_slot.h"
#include "layout/ot/coverage.h"

namespace otl {

class GlyphIdMap;

// What a Coverage is read for: its coverage indices select records (a glyph covered
// twice keeps its entries, for the subtable's reader to pair with its records and keep
// the first one's, and the reader gets a note), or it is a set of glyphs (a glyph covered
// twice is kept once).
enum class CoverageUse { kIndexed, kGlyphSet };

// Reads the Coverage at `offset` of the reader's span into glyph ids (an index the map
// lacks gives id 0). Ranges are capped by the map's glyph count; ranges out of order or
// overlapping are read as stored; an unknown format throws ot::Exception 26.
void readCoverageTable(GlyphList& out, ot::BinaryReader& reader, size_t offset, const GlyphIdMap& map,
                       CoverageUse use = CoverageUse::kIndexed);

// Whether each entry of a Coverage read for its indices is its glyph's first: an engine
// takes a glyph's first coverage index, so what a later entry selects is never applied.
std::vector<bool> firstEntries(const GlyphList& covered);

// Drops from a list read by coverage index (the covered glyphs themselves, or the records
// paired with them by position) the entries that are not their glyph's first; entries past
// the Coverage stay.
template <class List>
void dropLaterEntries(List& list, const std::vector<bool>& first) {
  size_t kept = 0;
  for (size_t k = 0; k < list.size(); ++k) {
    if (k < first.size() && !first[k]) continue;
    if (kept != k) list[kept] = std::move(list[k]);
    ++kept;
  }
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(kept), list.end());
}

// Keeps each covered glyph's first entry only, with the records paired with the entries.
template <class Records>
void keepFirstEntries(GlyphList& covered, Records& records) {
  const std::vector<bool> first = firstEntries(covered);
  dropLaterEntries(covered, first);
  dropLaterEntries(records, first);
}

// Reads the format and the Coverage of the subtable `r` spans, for kinds with format 1
// only; another format throws ot::Exception 26 with `formatError`.
GlyphList readCoveredGlyphs(ot::BinaryReader& r, const GlyphIdMap& map, const char* formatError);

// The glyph indices of the first `count` of `glyphs` through the map (absent ids give 0).
std::vector<uint16_t> glyphIndices(const GlyphList& glyphs, const GlyphIdMap& map, size_t count);

// Sorted distinct glyph indices of a list of glyph ids (a context position's coverage).
std::vector<uint16_t> sortedIndices(const GlyphList& glyphs, const GlyphIdMap& map);

// The format the layout XML states for a list of glyph ids.
uint16_t xmlCoverageFormat(const GlyphList& glyphs);

}  // namespace otl
