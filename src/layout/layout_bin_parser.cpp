#include "layout/layout_bin_parser.h"

#include <algorithm>
#include <map>
#include <utility>

#include "layout/extension_lookup.h"
#include "layout/glyph_id_map.h"
#include "layout/lookup_kind_table.h"
#include "layout/ot/binary_reader.h"

namespace otl::ot_bin_layout {

namespace {
constexpr uint16_t kNoFeature = 0xFFFF;
const char* const kUnsupportedKind = "lookup kind not supported: ";
const char* const kParamsDropped = "feature parameters cannot be read; dropped";
const char* const kSubtableDropped = "subtable cannot be read; dropped";
const char* const kLookupRefused = "lookup refused: ";
}  // namespace

const char* tableName(uint32_t tableId) {
  return tableId == kTableGsub ? "GSUB" : tableId == kTableGpos ? "GPOS" : tableId == kTableGdef ? "GDEF" : "table";
}

template <class Read>
int32_t LayoutBinParser::readList(ot::BinaryReader& table, uint16_t offset, const char* name, Read&& read) {
  if (offset == 0) return 0;
  try {
    ot::BinaryReader list = table.window(offset);
    list.setContext(table_ + " " + name);
    read(list);
    return 0;
  } catch (const ot::Exception& e) {
    diagnostics_.add(Severity::kError, table_ + " " + name, e.message());
    return errorCode(e);
  }
}

bool LayoutBinParser::parse(LayoutTableBlock* block, ot::BinaryReader& reader, uint32_t& tableId,
                            const GlyphIdMap& glyphs, uint64_t recordsLeft) {
  block_ = block;
  if (!isValid()) return false;
  featureRecords_.clear();
  featureTables_.clear();
  lookupIndexMap_.clear();
  diagnostics_.clear();
  unsupported_.clear();
  refusedLookup_ = false;
  table_ = tableName(tableId);
  reader.startBudget(recordsLeft);
  reader.setContext(table_);
  reader.seek(4);  // the version is not looked at
  const uint16_t scriptList = reader.readUInt16();
  const uint16_t featureList = reader.readUInt16();
  const uint16_t lookupList = reader.readUInt16();
  // Lookups first: language systems refer to features, features to lookups.
  const bool lookupsOk = readLookupList(reader, lookupList, tableId, glyphs) == 0;
  const bool featuresOk = readFeatureList(reader, featureList) == 0;
  const bool scriptsOk = readScriptList(reader, scriptList) == 0;
  for (const ot::ReadNote& note : reader.takeNotes()) diagnostics_.add(Severity::kWarning, note.where, note.message);
  return lookupsOk && featuresOk && scriptsOk && unsupported_.empty() && !refusedLookup_;
}

int32_t LayoutBinParser::readLookupList(ot::BinaryReader& table, uint16_t offset, uint32_t tableId,
                                        const GlyphIdMap& glyphs) {
  return readList(table, offset, "LookupList", [&](ot::BinaryReader& list) {
    const uint16_t count = list.readUInt16();
    list.requireRecords(count, 2);
    for (uint16_t i = 0; i < count; ++i) {
      Lookup* lookup = block_->lookups.createLookup();
      lookup->tableId = tableId;
      lookupIndexMap_[i] = lookup->index;
    }
    for (uint16_t i = 0; i < count; ++i) readLookup(list, i, tableId, glyphs);
  });
}

void LayoutBinParser::readLookup(ot::BinaryReader& list, uint16_t i, uint32_t tableId, const GlyphIdMap& glyphs) {
  list.seek(2 + 2u * i);
  ot::BinaryReader reader = list.window(list.readUInt16());
  const std::string where = table_ + " lookup " + std::to_string(i);
  reader.setContext(where);
  Lookup* lookup = block_->lookups.findLookup(lookupIndexMap_.at(i));
  const uint16_t binaryType = reader.readUInt16();
  const LookupKindRow* kind = findBinaryLookupKind(tableId, binaryType);
  if (!kind) {
    throw ot::Exception(ot::Exception::kUnsupported, where + ": unknown lookup type " + std::to_string(binaryType));
  }
  lookup->typeCode = kind->kind;
  lookup->flag = reader.readUInt16();
  const bool extension = kind->extension;
  const uint16_t subtableCount = reader.readUInt16();
  reader.requireRecords(subtableCount, 2);
  if (lookup->flag & kUseMarkFilteringSet) {
    reader.seek(6 + 2u * subtableCount);
    lookup->markFilteringSet = reader.readUInt16();
  }
  size_t skipped = 0;
  const uint64_t recordsBefore = reader.recordsLeft();
  for (uint16_t j = 0; j < subtableCount; ++j) {
    reader.charge();
    reader.seek(6 + 2u * j);
    size_t subtableOffset = reader.readUInt16();
    const std::string subtableWhere = where + " subtable " + std::to_string(j);
    if (extension) subtableOffset = readExtension(reader, subtableOffset, *lookup, subtableWhere);
    auto subtable = lookup->createSubtable();
    if (!subtable) {
      ++skipped;
      continue;
    }
    reader.setContext(subtableWhere);
    try {
      subtable->readBinary(reader, subtableOffset, lookupIndexMap_, glyphs);
    } catch (const ot::Exception& e) {
      // A lookup whose records would pass the model's budget is refused whole (the line names
      // the subtable that passed it), and what it took goes back: the lookups after it are read.
      if (reader.recordsPassed()) {
        lookup->subtables.clear();
        reader.restoreRecords(recordsBefore);
        refusedLookup_ = true;
        diagnostics_.add(Severity::kError, subtableWhere, kLookupRefused + ot::modelBudgetPassed());
        return;
      }
      // A defect inside one subtable costs that subtable, not the table; a table that used
      // up its reading or kept-bytes budget stops here. Either way the failure names its
      // lookup and subtable, also where the record readers raised it.
      const bool named = e.message().starts_with(subtableWhere + ": ");
      if (reader.budgetExhausted()) {
        if (named) throw;
        throw e.within(subtableWhere);
      }
      std::string why = e.message();
      if (named) why.erase(0, subtableWhere.size() + 2);
      diagnostics_.add(Severity::kWarning, subtableWhere, kSubtableDropped + std::string(" (") + why + ")");
      continue;
    }
    lookup->addSubtable(std::move(subtable));
  }
  if (skipped != 0) {
    unsupported_.push_back(lookupKindName(lookup->typeCode));
    diagnostics_.add(Severity::kError, where, kUnsupportedKind + std::string(lookupKindName(lookup->typeCode)));
  }
}

int32_t LayoutBinParser::readFeatureList(ot::BinaryReader& table, uint16_t offset) {
  return readList(table, offset, "FeatureList", [&](ot::BinaryReader& list) {
    const uint16_t count = list.readUInt16();
    list.requireRecords(count, 6);
    featureRecords_.reserve(count);
    // A Feature table is read once per kind of parameters its records' tags give it.
    std::map<std::pair<uint16_t, FeatureParams::Kind>, size_t> read;
    for (uint16_t i = 0; i < count; ++i) {
      list.seek(2 + 6u * i);
      FeatureRecord record;
      record.tag = ot::Tag::read(list);
      if (record.tag.sameBytes(ot::Tag::fromString("    "))) record.tag = ot::Tag::fromString("REQD");
      const uint16_t featureOffset = list.readUInt16();
      const auto known = read.find({featureOffset, FeatureParams::kindOf(record.tag)});
      if (known != read.end()) {
        record.table = known->second;
        featureRecords_.push_back(record);
        continue;
      }
      ot::BinaryReader feature = list.window(featureOffset);
      feature.setContext(table_ + " feature " + std::to_string(i) + " '" + record.tag.text() + "'");
      FeatureTable data;
      const uint16_t paramsOffset = feature.readUInt16();
      if (paramsOffset != 0) readFeatureParams(list, feature, paramsOffset, record.tag, data.params);
      feature.seek(2);
      const uint16_t lookups = feature.readUInt16();
      feature.requireRecords(lookups, 2);
      feature.charge(lookups);
      data.lookups.resize(lookups);
      for (auto& index : data.lookups) index = feature.readUInt16();
      // A record enters only with its table read: a failure leaves no record without one.
      record.table = featureTables_.size();
      read.emplace(std::make_pair(featureOffset, FeatureParams::kindOf(record.tag)), record.table);
      featureTables_.push_back(std::move(data));
      featureRecords_.push_back(record);
    }
  });
}

void LayoutBinParser::readFeatureParams(ot::BinaryReader& list, ot::BinaryReader& feature, uint16_t offset,
                                        const ot::Tag& tag, FeatureParams& params) {
  // Some fonts place the 'size' block relative to the FeatureList: that is tried second.
  for (ot::BinaryReader* base : {&feature, &list}) {
    try {
      params.readBinary(*base, offset, tag);
      if (params.plausible()) return;
    } catch (const ot::Exception&) {
    }
    if (FeatureParams::kindOf(tag) != FeatureParams::Kind::kSize) break;
  }
  params = FeatureParams();
  diagnostics_.add(Severity::kWarning, table_ + " feature " + tag.text(), kParamsDropped);
}

int32_t LayoutBinParser::readScriptList(ot::BinaryReader& table, uint16_t offset) {
  FeatureListing listing(table.size());
  const int32_t result = readList(table, offset, "ScriptList", [&](ot::BinaryReader& list) {
    const uint16_t count = list.readUInt16();
    list.requireRecords(count, 6);
    for (uint16_t i = 0; i < count; ++i) {
      list.seek(2 + 6u * i);
      const ot::Tag tag = ot::Tag::read(list);
      ot::BinaryReader script = list.window(list.readUInt16());
      const std::string scriptWhere = table_ + " script '" + tag.text() + "'";
      script.setContext(scriptWhere);
      Script& target = block_->scripts.try_emplace(tag, tag).first->second;
      const uint16_t defaultOffset = script.readUInt16();
      if (defaultOffset != 0) {
        Language* language = findDefaultEntry(target.languages);
        if (!language) {
          const ot::Tag dflt = ot::Tag::fromUInt32(ot::kTagDflt);
          language = &target.languages.try_emplace(dflt, dflt).first->second;
        }
        ot::BinaryReader langSys = script.window(defaultOffset);
        langSys.setContext(scriptWhere + " default language");
        readLangSys(langSys, *language, listing);
      }
      const uint16_t languages = script.readUInt16();
      script.requireRecords(languages, 6);
      for (uint16_t j = 0; j < languages; ++j) {
        script.seek(4 + 6u * j);
        const ot::Tag languageTag = ot::Tag::read(script);
        ot::BinaryReader langSys = script.window(script.readUInt16());
        langSys.setContext(scriptWhere + " language '" + languageTag.text() + "'");
        readLangSys(langSys, target.languages.try_emplace(languageTag, languageTag).first->second, listing);
      }
    }
  });
  if (const std::string note = listing.repeatsNote(); !note.empty()) {
    diagnostics_.add(Severity::kWarning, table_ + " ScriptList", note);
  }
  return result;
}

void LayoutBinParser::readLangSys(ot::BinaryReader& reader, Language& language, FeatureListing& listing) {
  reader.readUInt16();  // LookupOrder: not kept
  const uint16_t required = reader.readUInt16();
  language.required = ot::Tag();
  const bool hasRequired = required != kNoFeature && required < featureRecords_.size();
  if (hasRequired) language.required = featureRecords_[required].tag;
  const uint16_t count = reader.readUInt16();
  reader.requireRecords(count, 2);
  std::vector<uint16_t> indices(count);
  for (auto& index : indices) index = reader.readUInt16();
  // The required feature applies whether listed or not; the model keeps its lookups among
  // the language's features, and an unlisted one stays unlisted when written.
  language.requiredOnly = hasRequired && std::find(indices.begin(), indices.end(), required) == indices.end();
  if (language.requiredOnly) indices.push_back(required);
  try {
    fillLanguage(reader, language, indices, listing);
  } catch (const ot::Exception& e) {
    // The bound of the listing names no place: this language system is where it ran out.
    if (e.message().starts_with(reader.context())) throw;
    throw e.within(reader.context());
  }
}

void LayoutBinParser::fillLanguage(const ot::BinaryReader& reader, Language& language,
                                   const std::vector<uint16_t>& indices, FeatureListing& listing) {
  listing.startLanguage();
  for (uint16_t index : indices) {
    if (index >= featureRecords_.size() || !listing.firstListing(index)) continue;
    const FeatureRecord& record = featureRecords_[index];
    const FeatureTable& data = featureTables_[record.table];
    reader.charge(1 + data.lookups.size());
    listing.add(language, record.tag, data.lookups, data.params, [&](uint16_t lookupIndex) {
      const auto found = lookupIndexMap_.find(lookupIndex);
      if (found == lookupIndexMap_.end()) {
        throw ot::Exception(ot::Exception::kUnresolved, reader.context() + ": feature " + record.tag.text() +
                                                            " names lookup " + std::to_string(lookupIndex) +
                                                            " beyond the LookupList");
      }
      return found->second;
    });
  }
}

}  // namespace otl::ot_bin_layout
