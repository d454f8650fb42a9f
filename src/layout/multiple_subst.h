// GSUB multiple (type 2) and alternate (type 3) substitution: per covered glyph a
// sequence of replacement glyphs, or a set of alternates. One binary layout for both.
#pragma once

#include "layout/subtable.h"

namespace otl {

class LsMultiple : public LookupSubtable {
 public:
  explicit LsMultiple(GlyphClassHolder classes)
      : LookupSubtable(kTableGsub, kGsubMultiple, classes), coverage(classes) {}

  void readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups,
                  const GlyphIdMap& glyphs) override;
  void writeBinary(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                   uint16_t format) const override;
  void writeFea(std::ostream& out, const LookupMap& lookups, const LookupNames& names) const override;
  void writeFeaRule(std::ostream& out, uint32_t rule, bool commented) const override;
  void pruneByGlyphs(const GlyphSet& remove) override;
  void collectGlyphs(GlyphSet& out) const override;
  void collectGroupRefs(GlyphSet& out) const override;
  bool isEmpty() const override { return !coverage.hasGlyphs(); }
  void appendCoverage(GlyphList& out) const override;
  // Pieces by runs of covered glyphs, of the same kind.
  bool splitForOffsets(SubtableList& out, const LookupIndexMap& lookups, const GlyphIdMap& glyphs) const override;
  void checkSequences(RuleProblems& problems) const override;
  void checkDuplicates(RuleProblems& problems) const override;
  std::unique_ptr<LookupSubtable> clone(GlyphClassHolder classes) const override;

  size_t ruleCount() const { return std::min<size_t>(coverage.glyphCount(), sequences.size()); }

  GlyphClassSlot coverage;
  std::vector<GlyphClassSlot> sequences;

 protected:
  LsMultiple(GlyphClassHolder classes, uint32_t type) : LookupSubtable(kTableGsub, type, classes), coverage(classes) {}
  void copyInto(LsMultiple& copy) const;
};

class LsAlternate : public LsMultiple {
 public:
  explicit LsAlternate(GlyphClassHolder classes) : LsMultiple(classes, kGsubAlternate) {}

  void writeFeaRule(std::ostream& out, uint32_t rule, bool commented) const override;
  void pruneByGlyphs(const GlyphSet& remove) override;
  void checkSequences(RuleProblems&) const override {}
  std::unique_ptr<LookupSubtable> clone(GlyphClassHolder classes) const override;
};

}  // namespace otl
