#include "layout/ot/coverage.h"

#include <algorithm>
#include <numeric>

#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"

namespace ot {

uint32_t lastGlyphIndex(uint32_t glyphCount) { return glyphCount == 0 ? 0xFFFF : glyphCount - 1; }

bool readCoverageIndices(std::vector<uint16_t>& out, BinaryReader& reader, size_t offset, uint32_t glyphCount) {
  out.clear();
  BinaryReader r = reader.window(offset);
  const uint16_t format = r.readUInt16();
  // Entries stay where the table puts them (position k is coverage index k); only a list
  // that is not strictly ascending can name a glyph twice.
  bool ascending = true;
  if (format == 1) {
    const uint16_t count = r.readUInt16();
    r.requireRecords(count, 2);
    r.charge(count);
    out.reserve(count);
    for (uint16_t i = 0; i < count; ++i) {
      out.push_back(r.readUInt16());
      if (i != 0 && out[i] <= out[i - 1]) ascending = false;
    }
    return !ascending && coversTwice(out);
  }
  if (format != 2) throw Exception(Exception::kUnsupported, "unknown coverage format");
  const uint16_t rangeCount = r.readUInt16();
  r.requireRecords(rangeCount, 6);
  const uint32_t last = lastGlyphIndex(glyphCount);
  int64_t previousEnd = -1;
  for (uint16_t i = 0; i < rangeCount; ++i) {
    const uint16_t start = r.readUInt16();
    const uint16_t end = r.readUInt16();
    r.readUInt16();  // start coverage index: implied by the ranges
    if (end < start) continue;
    // Ranges that overlap or come out of order are read as stored, as shaping engines
    // and other readers take them (fonts overlap a range's end with the next's start).
    if (static_cast<int64_t>(start) <= previousEnd) ascending = false;
    previousEnd = end;
    if (start > last) continue;
    const uint32_t stop = std::min<uint32_t>(end, last);
    r.charge(stop - start + 1);
    for (uint32_t g = start; g <= stop; ++g) out.push_back(static_cast<uint16_t>(g));
  }
  return !ascending && coversTwice(out);
}

bool coversTwice(const std::vector<uint16_t>& indices) {
  std::vector<bool> seen(size_t{1} << 16);
  for (uint16_t index : indices) {
    if (seen[index]) return true;
    seen[index] = true;
  }
  return false;
}

std::vector<size_t> firstOccurrences(const std::vector<uint16_t>& indices) {
  std::vector<bool> seen(size_t{1} << 16);
  std::vector<size_t> kept;
  kept.reserve(indices.size());
  for (size_t k = 0; k < indices.size(); ++k) {
    if (seen[indices[k]]) continue;
    seen[indices[k]] = true;
    kept.push_back(k);
  }
  return kept;
}

void writeCoverageTable(BinaryWriter& writer, const std::vector<uint16_t>& indices) {
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

void writeCoverageAt(BinaryWriter& writer, uint32_t base, uint32_t slot, const std::vector<uint16_t>& indices) {
  BinaryWriter block;
  writeCoverageTable(block, indices);
  writeSharedBlock(writer, base, slot, block);
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

std::vector<uint16_t> readCoveredOffsets(BinaryReader& r, size_t coveredCount, const char* countError) {
  r.seek(4);
  const uint16_t count = r.readUInt16();
  if (count > coveredCount) throw Exception(Exception::kInconsistent, countError);
  return r.readUInt16Array(count);
}

CoveredOffsetsWriter::CoveredOffsetsWriter(BinaryWriter& writer, size_t count, uint16_t format)
    : writer_(writer), start_(writer.position()) {
  if (format != 0) writer_.writeUInt16(format);
  coverageField_ = writer_.reserveOffset16();
  fields_ = reserveOffsetArray(writer_, count);
}

void CoveredOffsetsWriter::startTable(size_t k, uint16_t glyph) {
  writeOffset(writer_, start_, fields_[k]);
  covered_.push_back(glyph);
}

void CoveredOffsetsWriter::finish() {
  writeOffset(writer_, start_, coverageField_);
  writeCoverageTable(writer_, covered_);
}

}  // namespace ot
