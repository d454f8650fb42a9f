// The feature side of a table block: scripts hold language systems, which hold features,
// which name lookups by index in the order they apply.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "layout/feature_params.h"
#include "layout/ot/tag.h"

namespace otl {

using LookupIndexSet = std::set<uint32_t>;

class Feature : public ot::TagObject {
 public:
  using ot::TagObject::TagObject;
  std::vector<uint32_t> lookups;
  FeatureParams params;
};

class Language : public ot::TagObject {
 public:
  using ot::TagObject::TagObject;

  // Feature tag 0 means every feature. With a set, the set's indices leave the feature(s)
  // and a feature emptied by that goes; without one, the feature(s) go. True on change.
  bool removeLookups(ot::Tag feature, const LookupIndexSet* indices);

  // False for the required feature when the language system has it only as required,
  // not also among its listed features (its lookups are kept in `features` all the same).
  bool lists(const ot::Tag& feature) const { return !(requiredOnly && feature.sameBytes(required)); }
  // The features the language system lists (FeatureIndex), in tag order.
  std::vector<const Feature*> listedFeatures() const;

  std::map<ot::Tag, Feature> features;
  ot::Tag required;  // zero: no required feature
  bool requiredOnly = false;  // the required feature is not listed as well
};

class Script : public ot::TagObject {
 public:
  using ot::TagObject::TagObject;

  // Language tag 0 means every language. Feature tag 0 deletes the language(s); otherwise
  // the feature loses the set's indices (or goes) and a language left without features
  // goes. True on change.
  bool removeLookups(ot::Tag language, ot::Tag feature, const LookupIndexSet* indices);

  std::map<ot::Tag, Language> languages;
};

// Removes every index of the set, keeping the order of the rest; true when any went.
bool removeLookupIndices(std::vector<uint32_t>& lookups, const LookupIndexSet& indices);

// The first entry tagged "DFLT" or "dflt" in tag order ("DFLT" wins); null when neither.
template <class Map>
auto* findDefaultEntry(Map& map) {
  for (uint32_t value : {ot::kTagDFLT, ot::kTagDflt}) {
    auto found = map.find(ot::Tag::fromUInt32(value));
    if (found != map.end()) return &found->second;
  }
  return static_cast<decltype(&map.begin()->second)>(nullptr);
}

inline bool isDefaultTag(const ot::Tag& tag) {
  return tag.value() == ot::kTagDFLT || tag.value() == ot::kTagDflt;
}

}  // namespace otl
