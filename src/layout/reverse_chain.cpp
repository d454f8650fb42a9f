#include "layout/reverse_chain.h"

#include <ostream>

#include "layout/glyph_id_map.h"
#include "layout/glyph_indices.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/limits.h"

namespace otl {

namespace {
std::vector<uint16_t> readOffsets(ot::BinaryReader& r) {
  const uint16_t count = r.readUInt16();
  if (count > ot::limits::kMaxContextGlyphs) r.fail("context longer than allowed");
  return r.readUInt16Array(count);
}
}  // namespace

void LsReverseChainedContext::readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap&,
                                         const GlyphIdMap& map) {
  ot::BinaryReader r = reader.window(offset);
  GlyphList covered = readCoveredGlyphs(r, map, "unknown reverse chaining format");
  r.seek(4);
  const auto backtrackOffsets = readOffsets(r);
  const auto lookaheadOffsets = readOffsets(r);
  const uint16_t count = r.readUInt16();
  r.requireRecords(count, 2);
  r.keepGlyphs(count);
  GlyphList subs;
  subs.reserve(count);
  for (uint16_t i = 0; i < count; ++i) subs.push_back(map.idOf(r.readUInt16()));
  // Input glyph i pairs with substitute i: keep what pairs.
  const size_t n = std::min(covered.size(), subs.size());
  covered.resize(n);
  subs.resize(n);
  // A glyph covered twice keeps its first entry's substitute only, as an engine takes it.
  keepFirstEntries(covered, subs);
  input.assign(covered);
  substitutes.assign(subs);
  backtrack.clear();
  lookahead.clear();
  for (uint16_t o : backtrackOffsets) {
    GlyphList glyphs;
    readCoverageTable(glyphs, r, o, map, CoverageUse::kGlyphSet);
    backtrack.emplace_back(holder, glyphs);
  }
  for (uint16_t o : lookaheadOffsets) {
    GlyphList glyphs;
    readCoverageTable(glyphs, r, o, map, CoverageUse::kGlyphSet);
    lookahead.emplace_back(holder, glyphs);
  }
}

void LsReverseChainedContext::writeBinary(ot::BinaryWriter& writer, const LookupIndexMap&, const GlyphIdMap& map,
                                          uint16_t) const {
  const size_t n = std::min(input.glyphCount(), substitutes.glyphCount());
  const auto in = glyphIndices(input.glyphs(), map, n);
  const auto out = glyphIndices(substitutes.glyphs(), map, n);
  const auto order = ot::uniqueSortOrder(in);
  const uint32_t start = writer.position();
  writer.writeUInt16(1);
  const uint32_t coverageField = writer.reserveOffset16();
  const auto backtrackFields = ot::reserveOffsetArray(writer, backtrack.size());
  const auto lookaheadFields = ot::reserveOffsetArray(writer, lookahead.size());
  writer.writeUInt16(static_cast<uint16_t>(order.size()));
  std::vector<uint16_t> covered;
  for (size_t k : order) {
    writer.writeUInt16(out[k]);
    covered.push_back(in[k]);
  }
  writeCoverageAt(writer, start, coverageField, covered);
  for (size_t i = 0; i < backtrack.size(); ++i) {
    writeCoverageAt(writer, start, backtrackFields[i], sortedIndices(backtrack[i].glyphs(), map));
  }
  for (size_t i = 0; i < lookahead.size(); ++i) {
    writeCoverageAt(writer, start, lookaheadFields[i], sortedIndices(lookahead[i].glyphs(), map));
  }
}

void LsReverseChainedContext::writeFea(std::ostream& out, const LookupMap&, const LookupNames&) const {
  if (!input.hasGlyphs()) return;
  const bool substituted = substitutes.hasGlyphs();
  out << (substituted ? "      rsub" : "      ignore rsub");
  for (auto it = backtrack.rbegin(); it != backtrack.rend(); ++it) {
    out << ' ';
    it->writeFea(out);
  }
  out << ' ';
  input.writeFea(out);
  out << '\'';
  for (const auto& slot : lookahead) {
    out << ' ';
    slot.writeFea(out);
  }
  if (substituted) {
    out << " by ";
    substitutes.writeFea(out);
  }
  out << ";\n";
}

void LsReverseChainedContext::clear() {
  for (auto& slot : backtrack) slot.clear();
  for (auto& slot : lookahead) slot.clear();
  backtrack.clear();
  lookahead.clear();
  input.clear();
  substitutes.clear();
}

void LsReverseChainedContext::pruneByGlyphs(const GlyphSet& remove) {
  if (pruneSequences({&backtrack, &lookahead}, remove)) {
    clear();
    return;
  }
  const GlyphList in = input.glyphs(), subs = substitutes.glyphs();
  GlyphList keptIn, keptSubs;
  bool removed = false;
  // A pair goes with either of its glyphs: a substitute the font lacks cannot be written.
  for (size_t i = 0; i < in.size(); ++i) {
    if (remove.count(in[i]) || (i < subs.size() && remove.count(subs[i]))) {
      removed = true;
      continue;
    }
    keptIn.push_back(in[i]);
    if (i < subs.size()) keptSubs.push_back(subs[i]);
  }
  if (!removed) return;
  if (keptIn.empty()) {
    clear();
    return;
  }
  input.assign(keptIn);
  substitutes.assign(keptSubs);
}

void LsReverseChainedContext::collectGlyphs(GlyphSet& out) const {
  for (const auto& slot : backtrack) out.insert(slot.glyphs().begin(), slot.glyphs().end());
  out.insert(input.glyphs().begin(), input.glyphs().end());
  out.insert(substitutes.glyphs().begin(), substitutes.glyphs().end());
  for (const auto& slot : lookahead) out.insert(slot.glyphs().begin(), slot.glyphs().end());
}

void LsReverseChainedContext::collectGroupRefs(GlyphSet& out) const {
  for (const auto& slot : backtrack) {
    if (slot.classId()) out.insert(slot.classId());
  }
  if (input.classId()) out.insert(input.classId());
  if (substitutes.classId()) out.insert(substitutes.classId());
  for (const auto& slot : lookahead) {
    if (slot.classId()) out.insert(slot.classId());
  }
}

std::unique_ptr<LookupSubtable> LsReverseChainedContext::clone(GlyphClassHolder classes) const {
  auto copy = std::make_unique<LsReverseChainedContext>(classes);
  copySequence(copy->backtrack, backtrack, classes);
  copySequence(copy->lookahead, lookahead, classes);
  copy->input = input;
  copy->substitutes = substitutes;
  return copy;
}

}  // namespace otl
