// GSUB single substitution (lookup type 1): input glyph i becomes output glyph i.
#pragma once

#include "layout/subtable.h"

namespace otl {

class LsSingle : public LookupSubtable {
 public:
  explicit LsSingle(GlyphClassHolder classes)
      : LookupSubtable(kTableGsub, kGsubSingle, classes), input(classes), output(classes) {}

  void readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups,
                  const GlyphIdMap& glyphs) override;
  // Format 2 when `format` is 2 or the deltas differ.
  void writeBinary(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                   uint16_t format) const override;
  void writeFea(std::ostream& out, const LookupMap& lookups, const LookupNames& names) const override;
  void pruneByGlyphs(const GlyphSet& remove) override;
  void collectGlyphs(GlyphSet& out) const override;
  void collectGroupRefs(GlyphSet& out) const override;
  bool isEmpty() const override { return !input.hasGlyphs(); }
  void appendCoverage(GlyphList& out) const override;
  // Pieces by runs of covered glyphs.
  bool splitForOffsets(SubtableList& out, const LookupIndexMap& lookups, const GlyphIdMap& glyphs) const override;
  void checkDuplicates(RuleProblems& problems) const override;
  std::unique_ptr<LookupSubtable> clone(GlyphClassHolder classes) const override;

  GlyphClassSlot input;
  GlyphClassSlot output;
};

}  // namespace otl
