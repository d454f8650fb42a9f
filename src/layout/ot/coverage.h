// Coverage tables (formats 1 and 2), the glyph-index ordering the writers share, and the
// head of GSUB multiple, alternate and ligature substitution: format 1, a Coverage
// offset, then one offset per covered glyph to that glyph's own table.
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

// Points the offset at `slot` (from `base`) at the Coverage of `indices`: written at the
// writer's position, or an identical one shared (see writeSharedBlock).
void writeCoverageAt(ot::BinaryWriter& writer, uint32_t base, uint32_t slot, const std::vector<uint16_t>& indices);

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

// Reads the format and the Coverage of the subtable `r` spans, for kinds with format 1
// only; another format throws ot::Exception 26 with `formatError`.
GlyphList readCoveredGlyphs(ot::BinaryReader& r, const GlyphIdMap& map, const char* formatError);

// Then the offsets (from the subtable's start); more than `coveredCount` throws
// ot::Exception 27 with `countError`.
std::vector<uint16_t> readCoveredOffsets(ot::BinaryReader& r, size_t coveredCount, const char* countError);

// Writes the head for `count` tables at the writer's position; each table follows its
// startTable, and finish writes the Coverage of the glyphs given there. The GDEF
// attachment and caret lists have the same head without the format (`format` 0).
class CoveredOffsetsWriter {
 public:
  CoveredOffsetsWriter(ot::BinaryWriter& writer, size_t count, uint16_t format = 1);
  // Points offset k at the writer's position: the table of covered glyph index `glyph`.
  void startTable(size_t k, uint16_t glyph);
  void finish();

 private:
  ot::BinaryWriter& writer_;
  uint32_t start_;
  uint32_t coverageField_;
  std::vector<uint32_t> fields_;
  std::vector<uint16_t> covered_;
};

}  // namespace otl
