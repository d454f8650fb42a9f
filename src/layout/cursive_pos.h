// GPOS cursive attachment (lookup type 3): entry and exit anchors per covered glyph.
#pragma once

#include "layout/records.h"
#include "layout/subtable.h"

namespace otl {

struct EntryExitRecord {
  AnchorPtr entry, exit;

  EntryExitRecord() = default;
  EntryExitRecord(const EntryExitRecord& other) { *this = other; }
  EntryExitRecord(EntryExitRecord&&) noexcept = default;
  EntryExitRecord& operator=(const EntryExitRecord& other) {
    copyAnchor(entry, other.entry);
    copyAnchor(exit, other.exit);
    return *this;
  }
  EntryExitRecord& operator=(EntryExitRecord&&) noexcept = default;
};

class LpCursive : public LookupSubtable {
 public:
  explicit LpCursive(GlyphClassHolder classes) : LookupSubtable(kTableGpos, kGposCursive, classes), coverage(classes) {}

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
  std::vector<EntryExitRecord> records;
};

}  // namespace otl
