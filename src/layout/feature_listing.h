// Filling the features of language systems from the feature records they list, the same
// way for the binary reader and the layout XML reader. Engines apply a feature once per
// language system and a lookup once per feature, so a record listed again by one language
// system, or a second record of the same tag, adds only the lookups the feature lacks
// (repeats inside one record stay as the table has them: real fonts hold some, and the
// writers give them back). What the language systems keep is counted against the table's
// bound, so shared tables and repeated indices cannot multiply it.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "layout/ot/exception.h"
#include "layout/ot/limits.h"
#include "layout/script_tree.h"

namespace otl {

class FeatureListing {
 public:
  // `inputBytes`: the size of the table or document the language systems are read from;
  // `spent`: what earlier listings from the same input kept.
  explicit FeatureListing(uint64_t inputBytes, uint64_t spent = 0);
  uint64_t spent() const { return limit_ - left_; }

  // A language system is read (again): counted, and its listed records forgotten.
  void startLanguage();
  // False when the language system being read listed this record already: it adds nothing.
  bool firstListing(uint32_t record);
  // Adds a record of the FeatureList to the language: its tag, parameters and lookups, each
  // lookup through `translate` (FeatureList index -> model index; it may throw).
  template <class Translate>
  void add(Language& language, const ot::Tag& tag, const std::vector<uint16_t>& lookups,
           const FeatureParams& params, Translate&& translate);

  // The one warning about features listed again (empty when none was).
  std::string repeatsNote() const;

 private:
  void charge(uint64_t entries);

  uint64_t limit_;
  uint64_t left_;
  std::set<uint32_t> listed_;  // records the language system being read listed
  uint64_t repeats_ = 0;       // listings that added less than their record holds
};

template <class Translate>
void FeatureListing::add(Language& language, const ot::Tag& tag, const std::vector<uint16_t>& lookups,
                         const FeatureParams& params, Translate&& translate) {
  const auto [entry, fresh] = language.features.try_emplace(tag, tag);
  Feature& feature = entry->second;
  if (fresh) charge(ot::limits::kEntriesPerFeatureNode);
  if (!params.empty() && !(feature.params == params)) {
    charge(params.characters.size());
    feature.params = params;
  }
  if (fresh) {
    charge(lookups.size());
    feature.lookups.reserve(lookups.size());
    for (uint16_t lookup : lookups) feature.lookups.push_back(translate(lookup));
    return;
  }
  std::unordered_set<uint32_t> held(feature.lookups.begin(), feature.lookups.end());
  bool trimmed = false;
  for (uint16_t lookup : lookups) {
    const uint32_t index = translate(lookup);
    if (!held.insert(index).second) {
      trimmed = true;
      continue;
    }
    charge(1);
    feature.lookups.push_back(index);
  }
  if (trimmed) ++repeats_;
}

}  // namespace otl
