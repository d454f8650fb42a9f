// Coverage tables (formats 1 and 2) and the glyph-index ordering the writers share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "layout/glyph_slot.h"

namespace ot {
class BinaryReader;
class BinaryWriter;
}  // namespace ot

namespace otl {

class GlyphIdMap;

// Reads the Coverage at `offset` of the reader's span into glyph ids (an index the map
// lacks gives id 0). Ranges are capped by the map's glyph count; ranges out of order or
// overlapping throw ot::Exception 2, an unknown format 26.
void readCoverageTable(GlyphList& out, ot::BinaryReader& reader, size_t offset, const GlyphIdMap& map);

// The same as glyph indices, as stored.
void readCoverageIndices(std::vector<uint16_t>& out, ot::BinaryReader& reader, size_t offset,
                         const GlyphIdMap& map);

// Writes sorted, distinct glyph indices; format 2 when it has fewer than n / 3 ranges.
void writeCoverageTable(ot::BinaryWriter& writer, const std::vector<uint16_t>& indices);

// The format the layout XML states for a list of glyph ids.
uint16_t xmlCoverageFormat(const GlyphList& glyphs);

// Positions 0..n-1 ordered by ascending value; equal values keep their order.
std::vector<size_t> glyphSortOrder(const std::vector<uint16_t>& values);

// Positions in ascending index order, each index once: of rules for one glyph the first
// is kept (a Coverage lists a glyph once).
std::vector<size_t> uniqueSortOrder(const std::vector<uint16_t>& values);

// The glyph indices of `glyphs` through the map (absent ids give 0).
std::vector<uint16_t> glyphIndices(const GlyphList& glyphs, const GlyphIdMap& map, size_t count);

// Sorted distinct glyph indices of a list of glyph ids (a context position's coverage).
std::vector<uint16_t> sortedIndices(const GlyphList& glyphs, const GlyphIdMap& map);

}  // namespace otl
