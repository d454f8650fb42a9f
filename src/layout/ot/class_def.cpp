#include "layout/ot/class_def.h"

#include <algorithm>

#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/coverage.h"
#include "layout/ot/exception.h"

namespace ot {

namespace {

// Keeps each glyph read from `first` on once, with its first class; says so when a later
// range gave it another class.
void keepFirstClasses(ClassDef& def, const BinaryReader& r, size_t first) {
  auto& glyphs = def.glyphs;
  auto& classes = def.classes;
  const std::vector<uint16_t> read(glyphs.begin() + static_cast<std::ptrdiff_t>(first), glyphs.end());
  const std::vector<size_t> kept = firstOccurrences(read);
  if (kept.size() == read.size()) return;
  // A glyph in two ranges: the first range's class is the one used.
  std::vector<bool> keptAt(read.size());
  for (size_t k : kept) keptAt[k] = true;
  std::vector<uint16_t> firstClass(size_t{1} << 16);
  for (size_t k : kept) firstClass[read[k]] = classes[first + k];
  bool differs = false;
  for (size_t k = 0; k < read.size(); ++k) {
    if (!keptAt[k] && classes[first + k] != firstClass[read[k]]) differs = true;
  }
  std::vector<uint16_t> keptClasses;
  keptClasses.reserve(kept.size());
  glyphs.resize(first);
  for (size_t k : kept) {
    glyphs.push_back(read[k]);
    keptClasses.push_back(classes[first + k]);
  }
  classes.resize(first);
  classes.insert(classes.end(), keptClasses.begin(), keptClasses.end());
  if (differs) r.note(kGlyphInTwoClasses);
}

}  // namespace

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
  const size_t first = glyphs.size();
  int64_t previousEnd = -1;
  bool ascending = true;
  for (uint16_t i = 0; i < rangeCount; ++i) {
    const uint16_t start = r.readUInt16();
    const uint16_t end = r.readUInt16();
    const uint16_t cls = r.readUInt16();
    if (start > end) break;
    // Overlapping or unordered ranges are read as stored (as shaping engines do).
    if (static_cast<int64_t>(start) <= previousEnd) ascending = false;
    previousEnd = end;
    if (start > last) continue;
    const uint32_t stop = std::min<uint32_t>(end, last);
    r.charge(stop - start + 1);
    for (uint32_t g = start; g <= stop; ++g) {
      glyphs.push_back(static_cast<uint16_t>(g));
      classes.push_back(cls);
    }
  }
  if (!ascending) keepFirstClasses(*this, r, first);
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
