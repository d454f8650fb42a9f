#include "layout/ligature_subst.h"

#include <iterator>
#include <list>
#include <map>
#include <set>
#include <ostream>
#include <unordered_map>

#include "layout/glyph_id_map.h"
#include "layout/glyph_indices.h"
#include "layout/lookup.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/limits.h"
#include "layout/subtable_split.h"

namespace otl {

void LsLigature::readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap&,
                            const GlyphIdMap& map) {
  ot::BinaryReader r = reader.window(offset);
  const GlyphList firsts = readCoveredGlyphs(r, map, "unknown ligature substitution format");
  const auto setOffsets = readCoveredOffsets(r, firsts.size(), "more ligature sets than covered glyphs");
  // A glyph covered twice keeps the ligatures of its first entry only (the reader noted it).
  const std::vector<bool> used = firstEntries(firsts);
  GlyphList ligatureGlyphs;
  rules.clear();
  for (size_t i = 0; i < setOffsets.size(); ++i) {
    if (!used[i]) continue;
    ot::BinaryReader set = r.window(setOffsets[i]);
    const auto offsets = set.readUInt16Array(set.readUInt16());
    // Both rules of a sequence given twice stay (the feature text shows the later one as
    // never applying); an engine, and so our writer, takes the first.
    std::set<GlyphList> sequences;
    for (uint16_t o : offsets) {
      set.seek(o);
      ligatureGlyphs.push_back(map.idOf(set.readUInt16()));
      const uint16_t components = set.readUInt16();
      if (components == 0) set.fail("ligature without components");
      set.requireRecords(components - 1u, 2);
      set.charge(components);
      // The rule's slot, its components and its ligature glyph, however often shared.
      set.keep(ot::limits::heapBytes(sizeof(GlyphClassSlot) + sizeof(uint32_t) * (components + 1u)));
      set.keepGlyphs(components + 1u);
      GlyphList sequence{firsts[i]};
      for (uint32_t c = 1; c < components; ++c) sequence.push_back(map.idOf(set.readUInt16()));
      if (!sequences.insert(sequence).second) r.note(kLigatureListedTwice);
      rules.emplace_back(holder, sequence);
    }
  }
  ligatures.assign(ligatureGlyphs);
}

namespace {

// The entries of one LigatureSet while they are placed. An entry goes before the first
// entry it extends, else at the end. Entries on one chain of extensions therefore stand
// longest first, so the first one an entry extends is the longest: the deepest node
// holding an entry on the entry's own path through a trie of the sets' components.
struct SetBuilder {
  uint32_t root = 0;
  std::list<LsLigature::LigatureEntry> entries;
};

class LigatureTrie {
 public:
  using Position = std::list<LsLigature::LigatureEntry>::iterator;

  uint32_t addRoot() {
    nodes_.emplace_back();
    return static_cast<uint32_t>(nodes_.size() - 1);
  }

  // Places `entry` in `set`; a sequence given twice keeps its first entry.
  void place(SetBuilder& set, LsLigature::LigatureEntry&& entry) {
    uint32_t node = set.root;
    Position before = set.entries.end();
    for (uint16_t glyph : entry.rest) {
      if (nodes_[node].placed) before = nodes_[node].entry;
      node = child(node, glyph);
    }
    if (nodes_[node].placed) return;
    nodes_[node].entry = set.entries.insert(before, std::move(entry));
    nodes_[node].placed = true;
  }

 private:
  struct Node {
    Position entry;
    bool placed = false;
  };

  uint32_t child(uint32_t node, uint16_t glyph) {
    const auto [it, added] = children_.try_emplace((uint64_t{node} << 16) | glyph, 0);
    if (added) it->second = addRoot();
    return it->second;
  }

  std::vector<Node> nodes_;
  std::unordered_map<uint64_t, uint32_t> children_;  // (node, glyph) -> child node
};

}  // namespace

std::vector<LsLigature::LigatureSet> LsLigature::ligatureSets(const GlyphIdMap& map) const {
  std::map<uint16_t, SetBuilder> sets;  // by first glyph index, the Coverage order
  LigatureTrie trie;
  const size_t n = ruleCount();
  for (size_t i = 0; i < n; ++i) {
    const auto indices = glyphIndices(rules[i].glyphs(), map, rules[i].glyphCount());
    if (indices.empty()) continue;
    auto [found, added] = sets.try_emplace(indices[0]);
    if (added) found->second.root = trie.addRoot();
    trie.place(found->second, LigatureEntry{std::vector<uint16_t>(indices.begin() + 1, indices.end()), i});
  }
  std::vector<LigatureSet> sorted;
  sorted.reserve(sets.size());
  for (auto& [first, set] : sets) {
    sorted.push_back(LigatureSet{first, {}});
    sorted.back().entries.assign(std::make_move_iterator(set.entries.begin()),
                                 std::make_move_iterator(set.entries.end()));
  }
  return sorted;
}

void LsLigature::writeBinary(ot::BinaryWriter& writer, const LookupIndexMap&, const GlyphIdMap& map,
                             uint16_t) const {
  const std::vector<LigatureSet> sets = ligatureSets(map);
  ot::CoveredOffsetsWriter head(writer, sets.size());
  for (size_t k = 0; k < sets.size(); ++k) {
    const auto& set = sets[k];
    head.startTable(k, set.first);
    const uint32_t setStart = writer.position();
    const auto entryFields = ot::reserveOffsetArray(writer, set.entries.size());
    for (size_t j = 0; j < set.entries.size(); ++j) {
      const auto& entry = set.entries[j];
      ot::writeOffset(writer, setStart, entryFields[j]);
      writer.writeUInt16(map.indexOf(ligatures.glyphAt(entry.rule)));
      writer.writeUInt16(static_cast<uint16_t>(entry.rest.size() + 1));
      for (uint16_t g : entry.rest) writer.writeUInt16(g);
    }
  }
  head.finish();
}

bool LsLigature::splitForOffsets(SubtableList& out, const LookupIndexMap& lookups, const GlyphIdMap& map) const {
  RuleGroups groups;
  for (const auto& set : ligatureSets(map)) {
    auto& group = groups.emplace_back();
    for (const auto& entry : set.entries) group.push_back(entry.rule);
  }
  const auto makePiece = [&](const std::vector<size_t>& kept) {
    auto piece = std::make_unique<LsLigature>(holder);
    GlyphList ligatureGlyphs;
    for (size_t k : kept) {
      piece->rules.emplace_back(holder, rules[k]);
      ligatureGlyphs.push_back(ligatures.glyphAt(k));
    }
    piece->ligatures.assign(ligatureGlyphs);
    return piece;
  };
  return splitRuleGroups(out, groups, makePiece, lookups, map);
}

void LsLigature::writeFea(std::ostream& out, const LookupMap&, const LookupNames&) const {
  writeFeaSequenceRules(out, *this, rules, ruleCount());
}

void LsLigature::writeFeaRule(std::ostream& out, uint32_t rule, bool commented) const {
  if (commented) out << "# ";
  out << "      sub ";
  if (rule < rules.size()) rules[rule].writeFea(out, 2);
  out << " by ";
  writeFeaGlyph(out, ligatures.glyphAt(rule));
  out << ";\n";
}

void LsLigature::pruneByGlyphs(const GlyphSet& remove) {
  const GlyphList ligs = ligatures.glyphs();
  std::vector<GlyphClassSlot> kept;
  GlyphList keptLigs;
  bool removed = false;
  for (size_t i = 0; i < rules.size(); ++i) {
    const uint32_t lig = i < ligs.size() ? ligs[i] : 0;
    bool drop = remove.count(lig) != 0;
    for (uint32_t g : rules[i].glyphs()) drop = drop || remove.count(g);
    if (drop) {
      removed = true;
      rules[i].clear();
      continue;
    }
    kept.push_back(std::move(rules[i]));
    if (i < ligs.size()) keptLigs.push_back(lig);
  }
  // The kept records were moved out above: put them back even when nothing went.
  rules = std::move(kept);
  if (removed) ligatures.assign(keptLigs);
}

void LsLigature::collectGlyphs(GlyphSet& out) const {
  for (const auto& r : rules) out.insert(r.glyphs().begin(), r.glyphs().end());
  out.insert(ligatures.glyphs().begin(), ligatures.glyphs().end());
}

void LsLigature::collectGroupRefs(GlyphSet& out) const {
  if (ligatures.classId()) out.insert(ligatures.classId());
  for (const auto& r : rules) {
    if (r.classId()) out.insert(r.classId());
  }
}

void LsLigature::checkSequences(RuleProblems& problems) const {
  for (size_t i = 0; i < rules.size(); ++i) {
    if (rules[i].glyphCount() < 2) problems.add(static_cast<uint32_t>(i), kOnlyGlyphInLigature);
  }
}

void LsLigature::checkDuplicates(RuleProblems& problems) const {
  std::set<GlyphList> seen;
  for (size_t i = 0; i < rules.size(); ++i) {
    if (!seen.insert(rules[i].glyphs()).second) {
      problems.addShadowed(static_cast<uint32_t>(i), kDuplicateLigatureSource);
    }
  }
}

std::unique_ptr<LookupSubtable> LsLigature::clone(GlyphClassHolder classes) const {
  auto copy = std::make_unique<LsLigature>(classes);
  for (const auto& r : rules) copy->rules.emplace_back(classes, r);
  copy->ligatures = ligatures;
  return copy;
}

}  // namespace otl
