// The generated feature text's inventory: every feature with its feature-level, script and
// language lookup lists, gathered from the GSUB and GPOS blocks, ordered, with inherited
// lookups factored out, plus the statistics the header prints.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <set>
#include <utility>
#include <vector>

#include "layout/layout_table_block.h"
#include "layout/ot/tag.h"
#include "layout/text/fea_writer.h"

namespace otl::ot_fea_layout {

class LanguageInfo : public ot::TagObject {
 public:
  using ot::TagObject::TagObject;
  std::vector<uint32_t>& list(uint32_t tableId) { return tableId == kTableGsub ? gsub : gpos; }
  const std::vector<uint32_t>& list(uint32_t tableId) const { return tableId == kTableGsub ? gsub : gpos; }
  bool empty() const { return gsub.empty() && gpos.empty(); }

  std::vector<uint32_t> gsub;
  std::vector<uint32_t> gpos;
  bool excludeDflt = false;
};

class ScriptInfo : public ot::TagObject {
 public:
  using ot::TagObject::TagObject;

  std::vector<std::unique_ptr<LanguageInfo>> languages;
  std::unique_ptr<LanguageInfo> defaults;
};

class FeatureInfo : public ot::TagObject {
 public:
  using ot::TagObject::TagObject;
  ScriptInfo* findScript(ot::Tag tag) const;

  std::vector<std::unique_ptr<ScriptInfo>> scripts;
  std::unique_ptr<LanguageInfo> defaults;  // feature-level lookups
};

using FeatureList = std::vector<std::unique_ptr<FeatureInfo>>;
using LanguageSystem = std::pair<ot::Tag, ot::Tag>;

// Per feature: which tables it uses (1 GSUB, 2 GPOS, 3 both) and its lookup references.
struct FeatureCount {
  uint32_t tableMask = 0;
  uint32_t lookups = 0;
};
using FeatureCounts = std::map<ot::Tag, FeatureCount>;

bool isTag(const ot::Tag& tag, const char* text);

// Adds the block's features; a "DFLT" script's other languages stand under a "DFLT" script.
void gatherFeatures(uint32_t tableId, const LayoutTableBlock& block, FeatureList& features);
// "aalt" first, then tag order; "latn" first among scripts, then the tags read little-endian.
void sortFeatures(FeatureList& features);
// Feature-level lookups stay at feature level only when every declared language system
// begins with them; otherwise compilers would hand them to systems the font keeps them
// from, so they move under an explicit "DFLT" script.
void placeFeatureLevelLookups(FeatureList& features, const std::vector<LanguageSystem>& systems);
// Removes inherited leading lookups; a language not beginning with them gets exclude_dflt.
void factorDefaultLookups(FeatureList& features);
// "aalt" is written once for every language system (compilers register it under each):
// its feature-level record gathers the lookups of all its records, each once.
void adoptAaltLookups(FeatureList& features);
// A tag's value as ot::Tag's == compares tags, as text: what follows a zero byte does not count.
uint32_t comparedValue(const ot::Tag& tag);

// Appends each language system to a list the first time it is met (a font may hold tens
// of thousands: looking through the list for each would be quadratic).
class LanguageSystemsMet {
 public:
  void add(std::vector<LanguageSystem>& systems, const LanguageSystem& system);

 private:
  std::set<std::pair<uint32_t, uint32_t>> met_;
};

// The same for the feature tags of one table's list.
class FeatureTagsMet {
 public:
  void add(std::vector<ot::Tag>& tags, const ot::Tag& tag) {
    if (met_.insert(comparedValue(tag)).second) tags.push_back(tag);
  }

 private:
  std::set<uint32_t> met_;
};

// Every (script, language) a record stands for, sorted as the languagesystem section wants.
std::vector<LanguageSystem> collectLanguageSystems(const FeatureList& features);
void collectStatistics(const FeatureList& features, FeaStatistics& statistics, FeatureCounts& counts);
void sortLanguageSystems(std::vector<LanguageSystem>& systems);

// Whether feature a should be written before b by its lookup index sets.
bool compareFeaturesByLookups(const FeatureInfo& a, const FeatureInfo& b);
// Every index of every record of the feature in one table, sorted, duplicates kept once.
std::vector<uint32_t> featureLookupSet(const FeatureInfo& feature, uint32_t tableId);

// The languages whose default lookups must be named again after exclude_dflt.
std::set<const LanguageInfo*> restatedLanguages(const FeatureInfo& feature);

}  // namespace otl::ot_fea_layout
