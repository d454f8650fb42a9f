// GPOS mark attachment (lookup types 4, 5 and 6): marks with their class and anchor,
// and per base (mark2, ligature component) one anchor per mark class.
#pragma once

#include "layout/glyph_indices.h"
#include "layout/records.h"
#include "layout/subtable.h"

namespace otl {

// The process-wide mark-class counter: the feature-file writer sets it to 0 for every
// file; each mark subtable raises it to number its "@MARK_CLASS_" names.
int32_t& markClassCounter();

struct MarkRecord {
  uint16_t markClass = 0;
  AnchorTable anchor;
};

// One anchor per mark class; null for none.
using AnchorRow = std::vector<AnchorPtr>;
AnchorRow copyAnchorRow(const AnchorRow& row);

// The anchor of `markClass` (or "<anchor NULL>") and " mark @MARK_CLASS_<class>_<serial>",
// the serial being the counter's current value.
void writeFeaMarkAnchor(const AnchorRow& anchors, std::ostream& out, uint16_t markClass);

class LpMarkTo : public LookupSubtable {
 public:
  void collectGlyphs(GlyphSet& out) const override;
  void collectGroupRefs(GlyphSet& out) const override;
  bool isEmpty() const override { return markRecords.empty() || baseCount() == 0; }

  virtual size_t baseCount() const = 0;

  // Too large for 16-bit offsets: subtables of the same kind, each with every mark and a
  // run of bases in glyph-index order with all their anchors. A base stands in one piece
  // only, so the lookup attaches as before. False when one base with the marks is too large.
  bool splitForOffsets(SubtableList& out, const LookupIndexMap& lookups, const GlyphIdMap& glyphs) const override;

  GlyphClassSlot marks;
  std::vector<MarkRecord> markRecords;
  uint16_t classCount = 0;
  GlyphClassSlot bases;  // base glyphs, mark2 glyphs or ligatures

 protected:
  LpMarkTo(uint32_t type, GlyphClassHolder classes)
      : LookupSubtable(kTableGpos, type, classes), marks(classes), bases(classes) {}
  // Header and marks; returns the BaseArray (LigatureArray) offset.
  uint16_t readMarks(ot::BinaryReader& r, const GlyphIdMap& map);
  // A base covered twice keeps its first entry's record only, as an engine takes it.
  template <class Records>
  void keepFirstBases(Records& records) {
    GlyphList glyphs = bases.glyphs();
    keepFirstEntries(glyphs, records);
    bases.assign(glyphs);
  }
  // Writes "markClass" lines and returns the class serial of this subtable.
  int32_t writeFeaMarkClasses(std::ostream& out) const;
  // Per class, whether a mark has it (the classes that have "markClass" lines).
  std::vector<bool> classesWithMarks() const;
  // Removes pruned marks; the caller removes its base records by the returned mask.
  std::vector<bool> pruneMarks(const GlyphSet& remove, bool& removed);
  void copyMarksInto(LpMarkTo& copy) const;
  // Bytes that base record i adds to the subtable: its offsets and its anchors.
  virtual uint64_t baseRecordBytes(size_t i) const = 0;
  // Appends a deep copy of base record i to `piece`, a subtable of the same kind.
  virtual void appendBaseRecord(LpMarkTo& piece, size_t i) const = 0;
};

class LpMarkToBase : public LpMarkTo {
 public:
  explicit LpMarkToBase(GlyphClassHolder classes) : LpMarkTo(kGposMarkToBase, classes) {}

  void readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups,
                  const GlyphIdMap& glyphs) override;
  void writeBinary(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                   uint16_t format) const override;
  void writeFea(std::ostream& out, const LookupMap& lookups, const LookupNames& names) const override;
  void pruneByGlyphs(const GlyphSet& remove) override;
  std::unique_ptr<LookupSubtable> clone(GlyphClassHolder classes) const override;
  size_t baseCount() const override { return baseRecords.size(); }

  void pushAnchorRecord(const AnchorRow& row) { baseRecords.push_back(copyAnchorRow(row)); }

  std::vector<AnchorRow> baseRecords;

 protected:
  LpMarkToBase(uint32_t type, GlyphClassHolder classes) : LpMarkTo(type, classes) {}
  uint64_t baseRecordBytes(size_t i) const override;
  void appendBaseRecord(LpMarkTo& piece, size_t i) const override;
};

class LpMarkToMark : public LpMarkToBase {
 public:
  explicit LpMarkToMark(GlyphClassHolder classes) : LpMarkToBase(kGposMarkToMark, classes) {}
  std::unique_ptr<LookupSubtable> clone(GlyphClassHolder classes) const override;
};

class LpMarkToLigature : public LpMarkTo {
 public:
  explicit LpMarkToLigature(GlyphClassHolder classes) : LpMarkTo(kGposMarkToLigature, classes) {}

  void readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups,
                  const GlyphIdMap& glyphs) override;
  void writeBinary(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                   uint16_t format) const override;
  void writeFea(std::ostream& out, const LookupMap& lookups, const LookupNames& names) const override;
  void pruneByGlyphs(const GlyphSet& remove) override;
  std::unique_ptr<LookupSubtable> clone(GlyphClassHolder classes) const override;
  size_t baseCount() const override { return ligatureRecords.size(); }

  // Per ligature, per component, one anchor per class.
  std::vector<std::vector<AnchorRow>> ligatureRecords;

 protected:
  uint64_t baseRecordBytes(size_t i) const override;
  void appendBaseRecord(LpMarkTo& piece, size_t i) const override;
};

}  // namespace otl
