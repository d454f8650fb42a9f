// Reads one binary GSUB or GPOS table into a table block of the layout model: the
// LookupList (Extension lookups unwrapped), the FeatureList and the ScriptList.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "layout/diagnostics.h"
#include "layout/feature_listing.h"
#include "layout/layout_table_block.h"
#include "layout/ot/exception.h"

namespace ot {
class BinaryReader;
}

namespace otl {
class GlyphIdMap;
}

namespace otl::ot_bin_layout {

// "GSUB", "GPOS" or "GDEF".
const char* tableName(uint32_t tableId);

class LayoutBinParser {
 public:
  // What a Feature table holds; records sharing one table (and one kind of parameters)
  // share it, so shared offsets are read once.
  struct FeatureTable {
    std::vector<uint16_t> lookups;
    FeatureParams params;
  };
  struct FeatureRecord {
    ot::Tag tag;
    size_t table = 0;  // in featureTables_
  };

  LayoutBinParser() = default;
  virtual ~LayoutBinParser() = default;

  virtual bool isValid() const { return block_ != nullptr; }
  virtual int32_t errorCode(const ot::Exception& e) const { return e.code(); }

  // Reads the table into the block. False when there is no block, or when a list could
  // not be read completely (what was read before stays; diagnostics() says where), or
  // when a lookup's kind is not supported. A header that cannot be read throws code 2.
  // `recordsLeft`: what the model may still hold (layout/ot/limits.h); reader.recordsLeft()
  // tells what is left after the read.
  [[nodiscard]] bool parse(LayoutTableBlock* block, ot::BinaryReader& reader, uint32_t& tableId,
                           const GlyphIdMap& glyphs, uint64_t recordsLeft = ot::limits::kMaxModelRecords);

  const Diagnostics& diagnostics() const { return diagnostics_; }
  // Names of the lookup kinds whose subtables could not be carried, one per lookup.
  const std::vector<std::string>& unsupportedKinds() const { return unsupported_; }

 private:
  int32_t readLookupList(ot::BinaryReader& table, uint16_t offset, uint32_t tableId, const GlyphIdMap& glyphs);
  void readLookup(ot::BinaryReader& list, uint16_t i, uint32_t tableId, const GlyphIdMap& glyphs);
  int32_t readFeatureList(ot::BinaryReader& table, uint16_t offset);
  void readFeatureParams(ot::BinaryReader& list, ot::BinaryReader& feature, uint16_t offset, const ot::Tag& tag,
                         FeatureParams& params);
  int32_t readScriptList(ot::BinaryReader& table, uint16_t offset);
  void readLangSys(ot::BinaryReader& reader, Language& language, FeatureListing& listing);
  // Adds the listed feature records (FeatureList indices) to the language.
  void fillLanguage(const ot::BinaryReader& reader, Language& language, const std::vector<uint16_t>& indices,
                    FeatureListing& listing);
  // Reads the list at `offset` of the table (none at 0) with `read`; a failure becomes
  // an error under the list's `name`. 0, or the failure's code.
  template <class Read>
  int32_t readList(ot::BinaryReader& table, uint16_t offset, const char* name, Read&& read);

  LayoutTableBlock* block_ = nullptr;
  std::vector<FeatureRecord> featureRecords_;
  std::vector<FeatureTable> featureTables_;
  LookupIndexMap lookupIndexMap_;
  Diagnostics diagnostics_;
  std::vector<std::string> unsupported_;
  bool refusedLookup_ = false;  // a lookup passed the model's budget
  std::string table_;
};

}  // namespace otl::ot_bin_layout
