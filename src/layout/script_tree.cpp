#include "layout/script_tree.h"

#include <algorithm>

namespace otl {

bool removeLookupIndices(std::vector<uint32_t>& lookups, const LookupIndexSet& indices) {
  const auto end = std::remove_if(lookups.begin(), lookups.end(),
                                  [&](uint32_t index) { return indices.count(index) != 0; });
  const bool changed = end != lookups.end();
  lookups.erase(end, lookups.end());
  return changed;
}

std::vector<const Feature*> Language::listedFeatures() const {
  std::vector<const Feature*> listed;
  for (const auto& [tag, feature] : features) {
    if (lists(tag)) listed.push_back(&feature);
  }
  return listed;
}

bool Language::removeLookups(ot::Tag feature, const LookupIndexSet* indices) {
  if (feature.value() != 0) {
    auto found = features.find(feature);
    if (found == features.end()) return false;
    if (!indices) {
      features.erase(found);
      return true;
    }
    if (!removeLookupIndices(found->second.lookups, *indices)) return false;
    if (found->second.lookups.empty()) features.erase(found);
    return true;
  }
  bool changed = false;
  for (auto it = features.begin(); it != features.end();) {
    if (!indices) {
      it = features.erase(it);
      changed = true;
      continue;
    }
    if (removeLookupIndices(it->second.lookups, *indices)) {
      changed = true;
      if (it->second.lookups.empty()) {
        it = features.erase(it);
        continue;
      }
    }
    ++it;
  }
  return changed;
}

bool Script::removeLookups(ot::Tag language, ot::Tag feature, const LookupIndexSet* indices) {
  auto handle = [&](std::map<ot::Tag, Language>::iterator it, bool& erased) {
    erased = false;
    if (feature.value() == 0) {
      languages.erase(it);
      erased = true;
      return true;
    }
    const bool changed = it->second.removeLookups(feature, indices);
    if (changed && it->second.features.empty()) {
      languages.erase(it);
      erased = true;
    }
    return changed;
  };
  bool erased = false;
  if (language.value() != 0) {
    auto found = languages.find(language);
    return found != languages.end() && handle(found, erased);
  }
  bool changed = false;
  for (auto it = languages.begin(); it != languages.end();) {
    auto next = std::next(it);
    changed |= handle(it, erased);
    it = next;
  }
  return changed;
}

}  // namespace otl
