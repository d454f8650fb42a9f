// GSUB reverse chained single substitution (lookup type 8): one input position whose
// glyphs are replaced one by one, within a backtrack and lookahead context.
#pragma once

#include "layout/records.h"
#include "layout/subtable.h"

namespace otl {

class LsReverseChainedContext : public LookupSubtable {
 public:
  explicit LsReverseChainedContext(GlyphClassHolder classes)
      : LookupSubtable(kTableGsub, kGsubReverseChainedContext, classes), input(classes), substitutes(classes) {}

  void readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups,
                  const GlyphIdMap& glyphs) override;
  void writeBinary(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                   uint16_t format) const override;
  void writeFea(std::ostream& out, const LookupMap& lookups, const LookupNames& names) const override;
  void pruneByGlyphs(const GlyphSet& remove) override;
  void collectGlyphs(GlyphSet& out) const override;
  void collectGroupRefs(GlyphSet& out) const override;
  bool isEmpty() const override { return !input.hasGlyphs() || !substitutes.hasGlyphs(); }
  std::unique_ptr<LookupSubtable> clone(GlyphClassHolder classes) const override;

  void clear();

  Sequence backtrack, lookahead;  // nearest position first
  GlyphClassSlot input;
  GlyphClassSlot substitutes;
};

}  // namespace otl
