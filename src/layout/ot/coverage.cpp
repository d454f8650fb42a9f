#include "layout/ot/coverage.h"

#include <algorithm>
#include <numeric>

#include "layout/glyph_id_map.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"

namespace otl {

namespace {
// Highest glyph index a range may reach: the font's last glyph.
uint32_t lastIndex(const GlyphIdMap& map) {
  const uint32_t count = map.glyphCount();
  return count == 0 ? 0xFFFF : count - 1;
}
}  // namespace

void readCoverageTable(GlyphList& out, ot::BinaryReader& reader, size_t offset, const GlyphIdMap& map) {
  std::vector<uint16_t> indices;
  readCoverageIndices(indices, reader, offset, map);
  out.clear();
  out.reserve(indices.size());
  for (uint16_t index : indices) out.push_back(map.idOf(index));
}

void readCoverageIndices(std::vector<uint16_t>& out, ot::BinaryReader& reader, size_t offset,
                         const GlyphIdMap& map) {
  out.clear();
  ot::BinaryReader r = reader.window(offset);
  const uint16_t format = r.readUInt16();
  if (format == 1) {
    const uint16_t count = r.readUInt16();
    r.requireRecords(count, 2);
    r.charge(count);
    out.reserve(count);
    for (uint16_t i = 0; i < count; ++i) out.push_back(r.readUInt16());
    return;
  }
  if (format != 2) throw ot::Exception(ot::Exception::kUnsupported, "unknown coverage format");
  const uint16_t rangeCount = r.readUInt16();
  r.requireRecords(rangeCount, 6);
  const uint32_t last = lastIndex(map);
  int64_t previousEnd = -1;
  for (uint16_t i = 0; i < rangeCount; ++i) {
    const uint16_t start = r.readUInt16();
    const uint16_t end = r.readUInt16();
    r.readUInt16();  // start coverage index: implied by the ranges
    if (end < start) continue;
    if (static_cast<int64_t>(start) <= previousEnd) r.fail("coverage ranges out of order or overlapping");
    previousEnd = end;
    if (start > last) continue;
    const uint32_t stop = std::min<uint32_t>(end, last);
    r.charge(stop - start + 1);
    for (uint32_t g = start; g <= stop; ++g) out.push_back(static_cast<uint16_t>(g));
  }
}

void writeCoverageTable(ot::BinaryWriter& writer, const std::vector<uint16_t>& indices) {
  const size_t n = indices.size();
  if (n == 0) {
    writer.writeUInt16(2);
    writer.writeUInt16(0);
    return;
  }
  std::vector<std::pair<uint16_t, uint16_t>> ranges;
  uint16_t start = indices[0];
  for (size_t i = 1; i < n; ++i) {
    if (indices[i] - indices[i - 1] > 1) {
      ranges.emplace_back(start, indices[i - 1]);
      start = indices[i];
    }
  }
  ranges.emplace_back(start, indices[n - 1]);
  if (ranges.size() < n / 3) {
    writer.writeUInt16(2);
    writer.writeUInt16(static_cast<uint16_t>(ranges.size()));
    uint32_t coverageIndex = 0;
    for (auto [first, last] : ranges) {
      writer.writeUInt16(first);
      writer.writeUInt16(last);
      writer.writeUInt16(static_cast<uint16_t>(coverageIndex));
      coverageIndex += last - first + 1u;
    }
    return;
  }
  writer.writeUInt16(1);
  writer.writeUInt16(static_cast<uint16_t>(n));
  for (uint16_t index : indices) writer.writeUInt16(index);
}

void writeCoverageAt(ot::BinaryWriter& writer, uint32_t base, uint32_t slot, const std::vector<uint16_t>& indices) {
  ot::BinaryWriter block;
  writeCoverageTable(block, indices);
  ot_bin_layout::writeSharedBlock(writer, base, slot, block);
}

uint16_t xmlCoverageFormat(const GlyphList& glyphs) {
  const size_t n = glyphs.size();
  if (n < 2) return 1;
  size_t ranges = 1;
  for (size_t i = 1; i < n; ++i) {
    const int32_t step = static_cast<int32_t>(static_cast<uint16_t>(glyphs[i])) -
                         static_cast<int32_t>(static_cast<uint16_t>(glyphs[i - 1]));
    if (step >= 2) ++ranges;
  }
  return ranges <= n / 3 ? 2 : 1;
}

std::vector<size_t> glyphSortOrder(const std::vector<uint16_t>& values) {
  std::vector<size_t> order(values.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return values[a] < values[b]; });
  return order;
}

std::vector<size_t> uniqueSortOrder(const std::vector<uint16_t>& values) {
  std::vector<size_t> order = glyphSortOrder(values);
  std::vector<size_t> unique;
  unique.reserve(order.size());
  for (size_t k : order) {
    if (unique.empty() || values[unique.back()] != values[k]) unique.push_back(k);
  }
  return unique;
}

std::vector<uint16_t> glyphIndices(const GlyphList& glyphs, const GlyphIdMap& map, size_t count) {
  std::vector<uint16_t> indices;
  count = std::min(count, glyphs.size());
  indices.reserve(count);
  for (size_t i = 0; i < count; ++i) indices.push_back(map.indexOf(glyphs[i]));
  return indices;
}

std::vector<uint16_t> sortedIndices(const GlyphList& glyphs, const GlyphIdMap& map) {
  std::vector<uint16_t> indices = glyphIndices(glyphs, map, glyphs.size());
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  return indices;
}

GlyphList readCoveredGlyphs(ot::BinaryReader& r, const GlyphIdMap& map, const char* formatError) {
  if (r.readUInt16() != 1) throw ot::Exception(ot::Exception::kUnsupported, formatError);
  GlyphList covered;
  readCoverageTable(covered, r, r.readUInt16(), map);
  return covered;
}

std::vector<uint16_t> readCoveredOffsets(ot::BinaryReader& r, size_t coveredCount, const char* countError) {
  r.seek(4);
  const uint16_t count = r.readUInt16();
  if (count > coveredCount) throw ot::Exception(ot::Exception::kInconsistent, countError);
  return r.readUInt16Array(count);
}

CoveredOffsetsWriter::CoveredOffsetsWriter(ot::BinaryWriter& writer, size_t count, uint16_t format)
    : writer_(writer), start_(writer.position()) {
  if (format != 0) writer_.writeUInt16(format);
  coverageField_ = writer_.reserveOffset16();
  fields_ = ot_bin_layout::reserveOffsetArray(writer_, count);
}

void CoveredOffsetsWriter::startTable(size_t k, uint16_t glyph) {
  ot_bin_layout::writeOffset(writer_, start_, fields_[k]);
  covered_.push_back(glyph);
}

void CoveredOffsetsWriter::finish() {
  ot_bin_layout::writeOffset(writer_, start_, coverageField_);
  writeCoverageTable(writer_, covered_);
}

}  // namespace otl
