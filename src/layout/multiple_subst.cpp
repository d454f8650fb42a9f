#include "layout/multiple_subst.h"

#include <ostream>

#include "layout/glyph_id_map.h"
#include "layout/glyph_indices.h"
#include "layout/lookup.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/limits.h"
#include "layout/subtable_split.h"

namespace otl {

void LsMultiple::readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap&,
                            const GlyphIdMap& map) {
  ot::BinaryReader r = reader.window(offset);
  GlyphList covered = readCoveredGlyphs(r, map, "unknown substitution format");
  coverage.assign(covered);
  const auto offsets = readCoveredOffsets(r, covered.size(), "more sequences than covered glyphs");
  sequences.clear();
  sequences.reserve(offsets.size());
  for (uint16_t o : offsets) {
    r.seek(o);
    const uint16_t glyphCount = r.readUInt16();
    r.requireRecords(glyphCount, 2);
    r.charge(glyphCount + 1u);
    // Sequences may share one offset: each is kept whole.
    r.keep(ot::limits::heapBytes(sizeof(GlyphClassSlot) + sizeof(uint32_t) * uint64_t{glyphCount}));
    r.keepGlyphs(glyphCount);
    GlyphList glyphs;
    glyphs.reserve(glyphCount);
    for (uint16_t i = 0; i < glyphCount; ++i) glyphs.push_back(map.idOf(r.readUInt16()));
    sequences.emplace_back(holder, glyphs);
  }
  // A glyph covered twice keeps its first entry's sequence only, as an engine takes it.
  keepFirstEntries(covered, sequences);
  coverage.assign(covered);
}

void LsMultiple::writeBinary(ot::BinaryWriter& writer, const LookupIndexMap&, const GlyphIdMap& map,
                             uint16_t) const {
  const auto in = glyphIndices(coverage.glyphs(), map, ruleCount());
  const auto order = ot::uniqueSortOrder(in);
  ot::CoveredOffsetsWriter head(writer, order.size());
  for (size_t k = 0; k < order.size(); ++k) {
    head.startTable(k, in[order[k]]);
    const auto& glyphs = sequences[order[k]].glyphs();
    writer.writeUInt16(static_cast<uint16_t>(glyphs.size()));
    for (uint32_t g : glyphs) writer.writeUInt16(map.indexOf(g));
  }
  head.finish();
}

bool LsMultiple::splitForOffsets(SubtableList& out, const LookupIndexMap& lookups, const GlyphIdMap& map) const {
  const auto kept = ot::uniqueSortOrder(glyphIndices(coverage.glyphs(), map, ruleCount()));
  const auto makePiece = [&](const std::vector<size_t>& rules) {
    auto piece = createSubtable(tableId, typeCode, holder);  // multiple or alternate, as this one
    auto& pieceRules = static_cast<LsMultiple&>(*piece);
    GlyphList covered;
    for (size_t k : rules) {
      covered.push_back(coverage.glyphAt(k));
      pieceRules.sequences.emplace_back(holder, sequences[k]);
    }
    pieceRules.coverage.assign(covered);
    return piece;
  };
  return splitRuleGroups(out, singleRuleGroups(kept), makePiece, lookups, map);
}

void LsMultiple::writeFea(std::ostream& out, const LookupMap&, const LookupNames&) const {
  writeFeaSequenceRules(out, *this, sequences, ruleCount());
}

void LsMultiple::writeFeaRule(std::ostream& out, uint32_t rule, bool commented) const {
  if (commented) out << "# ";
  out << "      sub ";
  writeFeaGlyph(out, coverage.glyphAt(rule));
  out << " by ";
  if (rule < sequences.size()) sequences[rule].writeFea(out, 2);
  out << ";\n";
}

void LsAlternate::writeFeaRule(std::ostream& out, uint32_t rule, bool commented) const {
  if (commented) out << "# ";
  out << "      sub ";
  writeFeaGlyph(out, coverage.glyphAt(rule));
  out << " from ";
  if (rule < sequences.size()) sequences[rule].writeFea(out, 1);
  out << ";\n";
}

namespace {

// Drops each rule whose covered glyph is removed or whose `keepRule` says so, keeping the
// coverage and the sequences parallel. `keepRule` may trim its sequence and reports that
// through `changed`.
template <typename KeepRule>
void pruneSequenceRules(GlyphClassSlot& coverage, std::vector<GlyphClassSlot>& sequences, const GlyphSet& remove,
                        KeepRule keepRule) {
  const GlyphList covered = coverage.glyphs();
  GlyphList kept;
  std::vector<GlyphClassSlot> keptSequences;
  bool removed = false;
  for (size_t i = 0; i < covered.size(); ++i) {
    bool drop = remove.count(covered[i]) != 0;
    if (!drop && i < sequences.size()) drop = !keepRule(sequences[i], removed);
    if (drop) {
      removed = true;
      if (i < sequences.size()) sequences[i].clear();
      continue;
    }
    kept.push_back(covered[i]);
    if (i < sequences.size()) keptSequences.push_back(std::move(sequences[i]));
  }
  // The kept sequences were moved out above: put them back even when nothing went.
  sequences = std::move(keptSequences);
  if (removed) coverage.assign(kept);
}

}  // namespace

// A multiple substitution loses the whole rule when any glyph of its sequence goes.
void LsMultiple::pruneByGlyphs(const GlyphSet& remove) {
  pruneSequenceRules(coverage, sequences, remove, [&](GlyphClassSlot& sequence, bool&) {
    for (uint32_t g : sequence.glyphs()) {
      if (remove.count(g)) return false;
    }
    return true;
  });
}

// An alternate substitution loses only the removed alternates, and the rule when none is left.
void LsAlternate::pruneByGlyphs(const GlyphSet& remove) {
  pruneSequenceRules(coverage, sequences, remove, [&](GlyphClassSlot& sequence, bool& changed) {
    GlyphList alternates;
    const auto& list = sequence.glyphs();
    for (uint32_t g : list) {
      if (!remove.count(g)) alternates.push_back(g);
    }
    if (alternates.size() != list.size()) {
      changed = true;
      sequence.assign(alternates);
    }
    return !alternates.empty();
  });
}

void LsMultiple::collectGlyphs(GlyphSet& out) const {
  out.insert(coverage.glyphs().begin(), coverage.glyphs().end());
  for (const auto& s : sequences) out.insert(s.glyphs().begin(), s.glyphs().end());
}

void LsMultiple::collectGroupRefs(GlyphSet& out) const {
  if (coverage.classId()) out.insert(coverage.classId());
  for (const auto& s : sequences) {
    if (s.classId()) out.insert(s.classId());
  }
}

void LsMultiple::appendCoverage(GlyphList& out) const {
  out.insert(out.end(), coverage.glyphs().begin(), coverage.glyphs().end());
}

void LsMultiple::checkSequences(RuleProblems& problems) const {
  for (size_t i = 0; i < sequences.size(); ++i) {
    if (sequences[i].glyphCount() < 2) problems.add(static_cast<uint32_t>(i), kOnlyGlyphInMultiple);
  }
}

void LsMultiple::checkDuplicates(RuleProblems& problems) const {
  GlyphSet seen;
  const auto& covered = coverage.glyphs();
  for (size_t i = 0; i < covered.size(); ++i) {
    if (!seen.insert(covered[i]).second) problems.addShadowed(static_cast<uint32_t>(i), kDuplicateMultipleSource);
  }
}

void LsMultiple::copyInto(LsMultiple& copy) const {
  copy.coverage = coverage;
  copy.sequences.clear();
  for (const auto& s : sequences) copy.sequences.emplace_back(copy.holder, s);
}

std::unique_ptr<LookupSubtable> LsMultiple::clone(GlyphClassHolder classes) const {
  auto copy = std::make_unique<LsMultiple>(classes);
  copyInto(*copy);
  return copy;
}

std::unique_ptr<LookupSubtable> LsAlternate::clone(GlyphClassHolder classes) const {
  auto copy = std::make_unique<LsAlternate>(classes);
  copyInto(*copy);
  return copy;
}

}  // namespace otl
