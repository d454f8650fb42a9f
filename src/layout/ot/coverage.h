// Coverage tables (formats 1 and 2) over glyph indices, the ordering the writers share,
// and the head of GSUB multiple, alternate and ligature substitution: format 1, a
// Coverage offset, then one offset per covered glyph to that glyph's own table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ot {

class BinaryReader;
class BinaryWriter;

// Highest glyph index a range may reach: the font's last glyph, or any index when the
// glyph count is 0 (not known).
uint32_t lastGlyphIndex(uint32_t glyphCount);

// Reads the glyph indices of the Coverage at `offset` of the reader's span, as stored:
// entry k is coverage index k. Ranges are capped at lastGlyphIndex(glyphCount); ranges
// out of order or overlapping are read as they stand. True when a glyph is covered twice
// (at two coverage indices). An unknown format throws ot::Exception 26.
bool readCoverageIndices(std::vector<uint16_t>& out, BinaryReader& reader, size_t offset, uint32_t glyphCount);

// The note when a Coverage whose index selects a record covers a glyph twice.
inline constexpr const char* kCoveredTwice = "coverage lists a glyph twice; its first entry is used";

// True when some index stands twice in the list.
bool coversTwice(const std::vector<uint16_t>& indices);

// The positions of the first entry of each index, in list order.
std::vector<size_t> firstOccurrences(const std::vector<uint16_t>& indices);

// Writes sorted, distinct glyph indices; format 2 when it has fewer than n / 3 ranges.
void writeCoverageTable(BinaryWriter& writer, const std::vector<uint16_t>& indices);

// Points the offset at `slot` (from `base`) at the Coverage of `indices`: written at the
// writer's position, or an identical one shared (see writeSharedBlock).
void writeCoverageAt(BinaryWriter& writer, uint32_t base, uint32_t slot, const std::vector<uint16_t>& indices);

// Positions 0..n-1 ordered by ascending value; equal values keep their order.
std::vector<size_t> glyphSortOrder(const std::vector<uint16_t>& values);

// Positions in ascending index order, each index once: of rules for one glyph the first
// is kept (a Coverage lists a glyph once).
std::vector<size_t> uniqueSortOrder(const std::vector<uint16_t>& values);

// The offsets (from the subtable's start) after a covered-offsets head; more than
// `coveredCount` throws ot::Exception 27 with `countError`.
std::vector<uint16_t> readCoveredOffsets(BinaryReader& r, size_t coveredCount, const char* countError);

// Writes the head for `count` tables at the writer's position; each table follows its
// startTable, and finish writes the Coverage of the glyphs given there. The GDEF
// attachment and caret lists have the same head without the format (`format` 0).
class CoveredOffsetsWriter {
 public:
  CoveredOffsetsWriter(BinaryWriter& writer, size_t count, uint16_t format = 1);
  // Points offset k at the writer's position: the table of covered glyph index `glyph`.
  void startTable(size_t k, uint16_t glyph);
  void finish();

 private:
  BinaryWriter& writer_;
  uint32_t start_;
  uint32_t coverageField_;
  std::vector<uint32_t> fields_;
  std::vector<uint16_t> covered_;
};

}  // namespace ot
