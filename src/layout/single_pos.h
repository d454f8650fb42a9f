// GPOS single adjustment (lookup type 1): one value record per covered glyph.
#pragma once

#include "layout/records.h"
#include "layout/subtable.h"

namespace otl {

class LpSingle : public LookupSubtable {
 public:
  explicit LpSingle(GlyphClassHolder classes) : LookupSubtable(kTableGpos, kGposSingle, classes), coverage(classes) {}

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
  std::unique_ptr<LookupSubtable> clone(GlyphClassHolder classes) const override;

  GlyphClassSlot coverage;
  std::vector<GPosValue> values;
};

}  // namespace otl
