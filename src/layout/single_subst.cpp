#include "layout/single_subst.h"

#include <ostream>

#include "layout/glyph_id_map.h"
#include "layout/glyph_indices.h"
#include "layout/lookup.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/subtable_split.h"

namespace otl {

void LsSingle::readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap&, const GlyphIdMap& map) {
  ot::BinaryReader r = reader.window(offset);
  const uint16_t format = r.readUInt16();
  const uint16_t coverageOffset = r.readUInt16();
  std::vector<uint16_t> indices;
  const bool twice = ot::readCoverageIndices(indices, r, coverageOffset, map.glyphCount());
  // Subtables may share one Coverage: each keeps its input glyphs and their substitutes.
  r.keepGlyphs(indices.size());
  GlyphList in, out;
  in.reserve(indices.size());
  for (uint16_t index : indices) in.push_back(map.idOf(index));
  r.seek(4);
  if (format == 1) {
    const uint16_t delta = r.readUInt16();
    r.keepGlyphs(indices.size());
    out.reserve(indices.size());
    for (uint16_t index : indices) out.push_back(map.idOf(static_cast<uint16_t>(index + delta)));
  } else if (format == 2) {
    if (twice) r.note(ot::kCoveredTwice);  // a glyph keeps its first substitute
    const uint16_t count = r.readUInt16();
    r.requireRecords(count, 2);
    r.charge(count);
    r.keepGlyphs(count);
    out.reserve(count);
    for (uint16_t i = 0; i < count; ++i) out.push_back(map.idOf(r.readUInt16()));
    // Both lists pair up position by position: keep what pairs.
    const size_t n = std::min(in.size(), out.size());
    in.resize(n);
    out.resize(n);
    if (twice) keepFirstEntries(in, out);
  } else {
    input.assign(in);
    throw ot::Exception(ot::Exception::kUnsupported, "unknown single substitution format");
  }
  input.assign(in);
  output.assign(out);
}

void LsSingle::writeBinary(ot::BinaryWriter& writer, const LookupIndexMap&, const GlyphIdMap& map,
                           uint16_t requested) const {
  const size_t n = std::min(input.glyphCount(), output.glyphCount());
  const auto in = glyphIndices(input.glyphs(), map, n);
  const auto out = glyphIndices(output.glyphs(), map, n);
  const auto order = ot::uniqueSortOrder(in);
  bool sameDelta = requested != 2 && input.glyphCount() == output.glyphCount() && !order.empty();
  const uint32_t delta = order.empty() ? 0 : uint32_t{out[order[0]]} - in[order[0]];
  for (size_t k : order) {
    if (uint32_t{out[k]} - in[k] != delta) sameDelta = false;
  }
  const uint32_t start = writer.position();
  writer.writeUInt16(sameDelta ? 1 : 2);
  const uint32_t coverageField = writer.reserveOffset16();
  if (sameDelta) {
    writer.writeUInt16(static_cast<uint16_t>(delta));
  } else {
    writer.writeUInt16(static_cast<uint16_t>(order.size()));
    for (size_t k : order) writer.writeUInt16(out[k]);
  }
  ot::writeOffset(writer, start, coverageField);
  std::vector<uint16_t> covered;
  covered.reserve(order.size());
  for (size_t k : order) covered.push_back(in[k]);
  writeCoverageTable(writer, covered);
}

bool LsSingle::splitForOffsets(SubtableList& out, const LookupIndexMap& lookups, const GlyphIdMap& map) const {
  const size_t n = std::min(input.glyphCount(), output.glyphCount());
  // The rules the writer keeps, in its order.
  const auto kept = ot::uniqueSortOrder(glyphIndices(input.glyphs(), map, n));
  const auto makePiece = [&](const std::vector<size_t>& rules) {
    auto piece = std::make_unique<LsSingle>(holder);
    GlyphList in, out;
    for (size_t k : rules) {
      in.push_back(input.glyphAt(k));
      out.push_back(output.glyphAt(k));
    }
    piece->input.assign(in);
    piece->output.assign(out);
    return piece;
  };
  return splitRuleGroups(out, singleRuleGroups(kept), makePiece, lookups, map);
}

void LsSingle::writeFea(std::ostream& out, const LookupMap&, const LookupNames&) const {
  const size_t n = input.glyphCount();
  for (size_t k = 0; k < n; k += 4) {
    out << "      sub ";
    input.writeFea(out, 0, k, 4);
    out << " by ";
    output.writeFea(out, 0, k, 4);
    out << ";\n";
  }
}

void LsSingle::pruneByGlyphs(const GlyphSet& remove) {
  GlyphList in = input.glyphs(), out = output.glyphs();
  GlyphList keptIn, keptOut;
  const size_t n = std::max(in.size(), out.size());
  bool removed = false;
  for (size_t i = 0; i < n; ++i) {
    const uint32_t a = i < in.size() ? in[i] : 0;
    const uint32_t b = i < out.size() ? out[i] : 0;
    if (remove.count(a) || remove.count(b)) {
      removed = true;
      continue;
    }
    if (i < in.size()) keptIn.push_back(a);
    if (i < out.size()) keptOut.push_back(b);
  }
  if (!removed) return;
  input.assign(keptIn);
  output.assign(keptOut);
}

void LsSingle::collectGlyphs(GlyphSet& out) const {
  out.insert(input.glyphs().begin(), input.glyphs().end());
  out.insert(output.glyphs().begin(), output.glyphs().end());
}

void LsSingle::collectGroupRefs(GlyphSet& out) const {
  if (input.classId()) out.insert(input.classId());
  if (output.classId()) out.insert(output.classId());
}

void LsSingle::appendCoverage(GlyphList& out) const {
  out.insert(out.end(), input.glyphs().begin(), input.glyphs().end());
}

void LsSingle::checkDuplicates(RuleProblems& problems) const {
  GlyphSet seen;
  const auto& in = input.glyphs();
  for (size_t i = 0; i < in.size(); ++i) {
    if (!seen.insert(in[i]).second) problems.addShadowed(static_cast<uint32_t>(i), kDuplicateSingleSource);
  }
}

std::unique_ptr<LookupSubtable> LsSingle::clone(GlyphClassHolder classes) const {
  auto copy = std::make_unique<LsSingle>(classes);
  copy->input = input;
  copy->output = output;
  return copy;
}

}  // namespace otl
