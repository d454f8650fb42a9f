#include "layout/glyph_indices.h"

#include <algorithm>
#include <functional>

#include "layout/glyph_id_map.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/class_def.h"
#include "layout/ot/exception.h"
#include "layout/records.h"

namespace otl {

void readCoverageTable(GlyphList& out, ot::BinaryReader& reader, size_t offset, const GlyphIdMap& map,
                       CoverageUse use) {
  std::vector<uint16_t> indices;
  const bool twice = ot::readCoverageIndices(indices, reader, offset, map.glyphCount());
  // Subtables may share one Coverage: each keeps its own glyphs.
  reader.keepGlyphs(indices.size());
  out.clear();
  if (twice && use == CoverageUse::kGlyphSet) {
    const std::vector<size_t> kept = ot::firstOccurrences(indices);
    out.reserve(kept.size());
    for (size_t k : kept) out.push_back(map.idOf(indices[k]));
    return;
  }
  // Indexed: entries stay at their coverage indices until the records are paired with them.
  if (twice) reader.note(ot::kCoveredTwice);
  out.reserve(indices.size());
  for (uint16_t index : indices) out.push_back(map.idOf(index));
}

std::vector<bool> firstEntries(const GlyphList& covered) {
  std::vector<bool> first(covered.size(), true);
  // A Coverage in ascending order, as tables have it, names each glyph once.
  if (std::adjacent_find(covered.begin(), covered.end(), std::greater_equal<>()) == covered.end()) return first;
  GlyphSet seen;
  for (size_t i = 0; i < covered.size(); ++i) first[i] = seen.insert(covered[i]).second;
  return first;
}

GlyphList readCoveredGlyphs(ot::BinaryReader& r, const GlyphIdMap& map, const char* formatError) {
  if (r.readUInt16() != 1) throw ot::Exception(ot::Exception::kUnsupported, formatError);
  GlyphList covered;
  readCoverageTable(covered, r, r.readUInt16(), map);
  return covered;
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

void ClassDefinitionTable::readBinary(ot::BinaryReader& reader, size_t offset, const GlyphIdMap& map) {
  ot::ClassDef read;
  read.readBinary(reader, offset, map.glyphCount());
  reader.keepGlyphs(read.glyphs.size());
  glyphs.reserve(glyphs.size() + read.glyphs.size());
  for (uint16_t index : read.glyphs) glyphs.push_back(map.idOf(index));
  classes.insert(classes.end(), read.classes.begin(), read.classes.end());
}

void ClassDefinitionTable::writeBinary(ot::BinaryWriter& writer, const GlyphIdMap& map) const {
  ot::ClassDef written;
  const size_t n = pairCount();
  written.glyphs = glyphIndices(glyphs, map, n);
  written.classes.assign(classes.begin(), classes.begin() + static_cast<std::ptrdiff_t>(n));
  written.writeBinary(writer);
}

}  // namespace otl
