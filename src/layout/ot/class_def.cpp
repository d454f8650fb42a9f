#include "layout/ot/class_def.h"

#include <algorithm>

#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/coverage.h"
#include "layout/ot/exception.h"

namespace ot {

void ClassDef::readBinary(BinaryReader& reader, size_t offset, uint32_t glyphCount) {
  BinaryReader r = reader.window(offset);
  const uint16_t format = r.readUInt16();
  const uint32_t last = lastGlyphIndex(glyphCount);
  if (format == 1) {
    const uint16_t start = r.readUInt16();
    const uint16_t count = r.readUInt16();
    r.requireRecords(count, 2);
    r.charge(count);
    for (uint32_t i = 0; i < count; ++i) {
      const uint16_t cls = r.readUInt16();
      const uint32_t index = start + i;
      if (cls == 0 || index > last) continue;
      glyphs.push_back(static_cast<uint16_t>(index));
      classes.push_back(cls);
    }
    return;
  }
  if (format != 2) throw Exception(Exception::kUnsupported, "unknown class definition format");
  const uint16_t rangeCount = r.readUInt16();
  r.requireRecords(rangeCount, 6);
  int64_t previousEnd = -1;
  for (uint16_t i = 0; i < rangeCount; ++i) {
    const uint16_t start = r.readUInt16();
    const uint16_t end = r.readUInt16();
    const uint16_t cls = r.readUInt16();
    if (start > end) return;
    if (static_cast<int64_t>(start) <= previousEnd) r.fail("class ranges out of order or overlapping");
    previousEnd = end;
    if (start > last) continue;
    const uint32_t stop = std::min<uint32_t>(end, last);
    r.charge(stop - start + 1);
    for (uint32_t g = start; g <= stop; ++g) {
      glyphs.push_back(static_cast<uint16_t>(g));
      classes.push_back(cls);
    }
  }
}

void ClassDef::writeBinary(BinaryWriter& writer) const {
  const size_t n = std::min(glyphs.size(), classes.size());
  const auto order = glyphSortOrder(glyphs);
  // Pairs in index order; a glyph index given twice keeps its first class.
  std::vector<std::pair<uint16_t, uint16_t>> pairs;
  pairs.reserve(n);
  for (size_t k : order) {
    if (k >= n) continue;  // a glyph without a class
    if (!pairs.empty() && pairs.back().first == glyphs[k]) continue;
    pairs.emplace_back(glyphs[k], classes[k]);
  }
  if (pairs.empty()) {
    writer.writeUInt16(2);
    writer.writeUInt16(0);
    return;
  }
  struct Range {
    uint16_t start, end, cls;
  };
  std::vector<Range> ranges;
  Range current{pairs[0].first, pairs[0].first, pairs[0].second};
  for (size_t i = 1; i < pairs.size(); ++i) {
    if (pairs[i].first - current.end < 2 && pairs[i].second == current.cls) {
      current.end = pairs[i].first;
    } else {
      ranges.push_back(current);
      current = Range{pairs[i].first, pairs[i].first, pairs[i].second};
    }
  }
  ranges.push_back(current);
  const uint32_t first = pairs.front().first;
  const uint32_t span = pairs.back().first - first + 1u;
  if (ranges.size() < span / 3) {
    writer.writeUInt16(2);
    writer.writeUInt16(static_cast<uint16_t>(ranges.size()));
    for (const auto& range : ranges) {
      writer.writeUInt16(range.start);
      writer.writeUInt16(range.end);
      writer.writeUInt16(range.cls);
    }
    return;
  }
  std::vector<uint16_t> table(span, 0);
  for (auto [index, cls] : pairs) table[index - first] = cls;
  writer.writeUInt16(1);
  writer.writeUInt16(static_cast<uint16_t>(first));
  writer.writeUInt16(static_cast<uint16_t>(span));
  for (uint16_t cls : table) writer.writeUInt16(cls);
}

}  // namespace ot
