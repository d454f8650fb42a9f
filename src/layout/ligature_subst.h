// GSUB ligature substitution (lookup type 4): a component sequence becomes one glyph.
#pragma once

#include "layout/subtable.h"

namespace otl {

// The note when a LigatureSet holds one component sequence twice.
inline constexpr const char* kLigatureListedTwice =
    "ligature set lists a component sequence twice; its first entry is used";

class LsLigature : public LookupSubtable {
 public:
  explicit LsLigature(GlyphClassHolder classes)
      : LookupSubtable(kTableGsub, kGsubLigature, classes), ligatures(classes) {}

  void readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups,
                  const GlyphIdMap& glyphs) override;
  void writeBinary(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                   uint16_t format) const override;
  void writeFea(std::ostream& out, const LookupMap& lookups, const LookupNames& names) const override;
  void writeFeaRule(std::ostream& out, uint32_t rule, bool commented) const override;
  void pruneByGlyphs(const GlyphSet& remove) override;
  void collectGlyphs(GlyphSet& out) const override;
  void collectGroupRefs(GlyphSet& out) const override;
  bool isEmpty() const override { return rules.empty(); }
  // Pieces by runs of first glyphs; a set too large alone is shared out by its ligatures.
  bool splitForOffsets(SubtableList& out, const LookupIndexMap& lookups, const GlyphIdMap& glyphs) const override;
  void checkSequences(RuleProblems& problems) const override;
  void checkDuplicates(RuleProblems& problems) const override;
  std::unique_ptr<LookupSubtable> clone(GlyphClassHolder classes) const override;

  size_t ruleCount() const { return std::min<size_t>(rules.size(), ligatures.glyphCount()); }

  // A LigatureSet as written: its first glyph's index and its rules, longer matches first.
  struct LigatureEntry {
    std::vector<uint16_t> rest;  // components after the first
    size_t rule;
  };
  struct LigatureSet {
    uint16_t first;
    std::vector<LigatureEntry> entries;
  };
  // The sets by ascending first glyph; a sequence given twice keeps its first rule.
  std::vector<LigatureSet> ligatureSets(const GlyphIdMap& glyphs) const;

  // Each rule's whole component sequence, first component included.
  std::vector<GlyphClassSlot> rules;
  // The ligature glyph of each rule.
  GlyphClassSlot ligatures;
};

}  // namespace otl
