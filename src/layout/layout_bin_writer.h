// Writes one table block as a binary GSUB or GPOS table: ScriptList, FeatureList and
// LookupList with 16-bit offsets patched after the data they point to, each subtable
// written into its own buffer and placed by its lookup, lookups beyond the offset budget
// as Extension lookups, and a second attempt from a repaired copy when an offset
// overflows anyway (the subtable's identical Coverage blocks shared, else the subtable
// split, else dropped).
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "layout/diagnostics.h"
#include "layout/layout_table_block.h"

namespace ot {
class BinaryWriter;
}

namespace otl {
class GlyphIdMap;
}

namespace otl::ot_bin_layout {

// (script, language, feature) by their 32-bit tag values.
using TagTriple = std::tuple<uint32_t, uint32_t, uint32_t>;

// The subtable in a buffer of its own, for its parent to place (the kind chooses its
// format); with `shareBlocks` identical Coverage blocks are written once. An offset
// overflow inside it comes out as the ot::Exception that says so (isOffsetOverflow).
ot::BinaryWriter subtableBytes(const LookupSubtable& subtable, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                               bool shareBlocks = false);

// Replaces, in every lookup of the block, each subtable that cannot be written alone
// (blocks unshared) by the pieces it splits into, as the table writer's repair does, so
// that compilers of feature text build pieces that fit; a subtable that cannot be split,
// or not written at all, stays.
void splitUnfitSubtables(LayoutTableBlock& block, const LookupIndexMap& lookups, const GlyphIdMap& glyphs);

class LayoutBinWriter {
 public:
  struct FeatureRecord {
    ot::Tag script, language, feature;
    const Feature* data = nullptr;
  };

  LayoutBinWriter() = default;
  virtual ~LayoutBinWriter() = default;

  // Appends the table at the writer's position. False when the block is null, the font
  // has more glyphs than 16-bit indices reach, a list cannot be written, or offsets
  // overflow even after the repair; nothing is appended then. Every subtable or lookup
  // the repair had to drop, and every lookup without a writable kind, is reported in
  // diagnostics(). ot::Exception passes through.
  [[nodiscard]] bool write(const LayoutTableBlock* block, ot::BinaryWriter& writer, const GlyphIdMap& glyphs);

  // Feature records (FeatureList order) and the index maps of the current block.
  void buildIndices();

  const std::vector<FeatureRecord>& featureRecords() const { return records_; }
  const std::map<TagTriple, uint16_t>& featureIndexMap() const { return featureIndex_; }
  // Model lookup index -> LookupList index.
  const LookupIndexMap& lookupIndexMap() const { return lookupIndex_; }
  const Diagnostics& diagnostics() const { return diagnostics_; }
  // True when the table was written from a repaired copy.
  bool recovered() const { return recovered_; }

 private:
  bool writeTable(ot::BinaryWriter& out);
  bool writeScriptList(ot::BinaryWriter& out);
  void writeScript(ot::BinaryWriter& out, const Script& script);
  void writeLangSys(ot::BinaryWriter& out, const Script& script, const ot::Tag& languageTag, const Language& language);
  bool writeFeatureList(ot::BinaryWriter& out);
  struct PlacedLookup;
  // Which lookups are Extensions, and the plain ones' subtables written.
  std::vector<PlacedLookup> planLookups() const;
  // Which Extension lookups have their records after all lookup tables.
  static void placeRecords(std::vector<PlacedLookup>& placed);
  void writeLookupTable(ot::BinaryWriter& out, PlacedLookup& placed) const;
  // The subtable's bytes, sharing blocks when the repair chose that for it.
  ot::BinaryWriter bytesOf(const LookupSubtable& subtable) const;
  void writeLookupList(ot::BinaryWriter& out);
  // Lookups whose kind has no binary form (type 0, bare Extension), or empty subtables.
  static bool needsCleaning(const LayoutTableBlock& block);
  // Drops those lookups and empty subtables; true when a lookup went.
  static bool dropUnwritable(LayoutTableBlock& block, Diagnostics& diagnostics);
  // Each subtable that cannot be written alone shares its identical blocks, or else is
  // split, or else dropped; emptied lookups go.
  void recover(LayoutTableBlock& copy);
  // True when the subtable fits once its identical blocks are shared.

  const LayoutTableBlock* block_ = nullptr;
  const GlyphIdMap* glyphs_ = nullptr;
  std::vector<FeatureRecord> records_;
  std::map<TagTriple, uint16_t> featureIndex_;
  LookupIndexMap lookupIndex_;
  Diagnostics diagnostics_;
  bool recovered_ = false;
  // Subtables of the repaired copy written with shared blocks.
  std::set<const LookupSubtable*> sharingBlocks_;
};

}  // namespace otl::ot_bin_layout
