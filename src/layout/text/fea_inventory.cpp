#include "layout/text/fea_inventory.h"

#include <algorithm>
#include <set>

namespace otl::ot_fea_layout {

namespace {

// The tag's four bytes as a little-endian number: the last character decides first.
uint32_t littleEndian(const ot::Tag& tag) {
  const auto& b = tag.bytes();
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

bool startsWith(const std::vector<uint32_t>& list, const std::vector<uint32_t>& head, size_t from = 0) {
  return list.size() >= from + head.size() && std::equal(head.begin(), head.end(), list.begin() + from);
}

LanguageInfo& defaultRecord(std::unique_ptr<LanguageInfo>& slot) {
  if (!slot) slot = std::make_unique<LanguageInfo>(ot::Tag::fromString("DFLT"));
  return *slot;
}

const std::vector<uint32_t> kNoLookups;

const std::vector<uint32_t>& listOf(const LanguageInfo* info, uint32_t tableId) {
  return info ? info->list(tableId) : kNoLookups;
}

void addSystem(std::vector<LanguageSystem>& systems, const LanguageSystem& system) {
  if (std::find(systems.begin(), systems.end(), system) == systems.end()) systems.push_back(system);
}

bool lessSets(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, bool& decided) {
  decided = true;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] != b[i]) return a[i] < b[i];
  }
  if (a.size() != b.size()) return a.size() < b.size();
  decided = false;
  return false;
}

}  // namespace

bool isTag(const ot::Tag& tag, const char* text) { return tag.sameBytes(ot::Tag::fromString(text)); }

LanguageInfo* ScriptInfo::findLanguage(ot::Tag tag) const {
  for (const auto& language : languages) {
    if (language->tag.sameBytes(tag)) return language.get();
  }
  return nullptr;
}

ScriptInfo* FeatureInfo::findScript(ot::Tag tag) const {
  for (const auto& script : scripts) {
    if (script->tag.sameBytes(tag)) return script.get();
  }
  return nullptr;
}

void gatherFeatures(uint32_t tableId, const LayoutTableBlock& block, FeatureList& features) {
  block.forEachFeature([&](const Script& script, const Language& language, const Feature& feature) {
    FeatureInfo* info = nullptr;
    for (const auto& existing : features) {
      if (existing->tag.sameBytes(feature.tag)) info = existing.get();
    }
    if (!info) info = features.emplace_back(std::make_unique<FeatureInfo>(feature.tag)).get();
    LanguageInfo* target = nullptr;
    const bool defaultLanguage = isDefaultTag(language.tag);
    if (isTag(script.tag, "DFLT") && defaultLanguage) {
      target = &defaultRecord(info->defaults);
    } else {
      ScriptInfo* scriptInfo = info->findScript(script.tag);
      if (!scriptInfo) scriptInfo = info->scripts.emplace_back(std::make_unique<ScriptInfo>(script.tag)).get();
      if (defaultLanguage) {
        target = &defaultRecord(scriptInfo->defaults);
      } else {
        target = scriptInfo->findLanguage(language.tag);
        if (!target)
          target = scriptInfo->languages.emplace_back(std::make_unique<LanguageInfo>(language.tag)).get();
      }
    }
    auto& list = target->list(tableId);
    list.insert(list.end(), feature.lookups.begin(), feature.lookups.end());
  });
}

void sortFeatures(FeatureList& features) {
  std::sort(features.begin(), features.end(), [](const auto& a, const auto& b) {
    const bool aa = isTag(a->tag, "aalt");
    const bool ba = isTag(b->tag, "aalt");
    return aa != ba ? aa : a->tag < b->tag;
  });
  for (auto& feature : features) {
    std::sort(feature->scripts.begin(), feature->scripts.end(), [](const auto& a, const auto& b) {
      // An explicit "DFLT" section goes first: our compiler drops one after other scripts.
      auto rank = [](const ot::Tag& tag) { return isTag(tag, "DFLT") ? 0 : isTag(tag, "latn") ? 1 : 2; };
      const int ra = rank(a->tag), rb = rank(b->tag);
      return ra != rb ? ra < rb : littleEndian(a->tag) < littleEndian(b->tag);
    });
    for (auto& script : feature->scripts) {
      std::sort(script->languages.begin(), script->languages.end(),
                [](const auto& a, const auto& b) { return littleEndian(a->tag) < littleEndian(b->tag); });
    }
  }
}

void placeFeatureLevelLookups(FeatureList& features, const std::vector<LanguageSystem>& systems) {
  for (auto& feature : features) {
    if (!feature->defaults || feature->defaults->empty() || isTag(feature->tag, "aalt")) continue;
    bool exact = true;
    for (const auto& [scriptTag, languageTag] : systems) {
      if (isTag(scriptTag, "DFLT") && isDefaultTag(languageTag)) continue;
      const ScriptInfo* script = feature->findScript(scriptTag);
      const LanguageInfo* record = nullptr;
      if (script) record = isDefaultTag(languageTag) ? script->defaults.get() : script->findLanguage(languageTag);
      for (uint32_t tableId : {kTableGsub, kTableGpos}) {
        if (!startsWith(listOf(record, tableId), feature->defaults->list(tableId))) exact = false;
      }
      if (!exact) break;
    }
    if (exact) continue;
    ScriptInfo* dflt = feature->findScript(ot::Tag::fromString("DFLT"));
    if (!dflt)
      dflt = feature->scripts.insert(feature->scripts.begin(), std::make_unique<ScriptInfo>(ot::Tag::fromString("DFLT")))
                 ->get();
    dflt->defaults = std::move(feature->defaults);
  }
}

void factorDefaultLookups(FeatureList& features) {
  sortFeatures(features);
  for (auto& feature : features) {
    const LanguageInfo* top = feature->defaults.get();
    for (auto& script : feature->scripts) {
      LanguageInfo* scriptDefaults = script->defaults.get();
      if (top && scriptDefaults && startsWith(scriptDefaults->gsub, top->gsub) &&
          startsWith(scriptDefaults->gpos, top->gpos)) {
        for (uint32_t tableId : {kTableGsub, kTableGpos}) {
          auto& list = scriptDefaults->list(tableId);
          list.erase(list.begin(), list.begin() + static_cast<long>(top->list(tableId).size()));
        }
      }
      for (auto& language : script->languages) {
        // Without a script default record a language inherits nothing reliably.
        bool inherits = !(top && !top->empty() && !scriptDefaults);
        for (uint32_t tableId : {kTableGsub, kTableGpos}) {
          const auto& head = listOf(top, tableId);
          if (!startsWith(language->list(tableId), head) ||
              !startsWith(language->list(tableId), listOf(scriptDefaults, tableId), head.size()))
            inherits = false;
        }
        if (!inherits) {
          language->excludeDflt = true;
          continue;
        }
        for (uint32_t tableId : {kTableGsub, kTableGpos}) {
          auto& list = language->list(tableId);
          const size_t drop = listOf(top, tableId).size() + listOf(scriptDefaults, tableId).size();
          list.erase(list.begin(), list.begin() + static_cast<long>(drop));
        }
      }
    }
  }
}

void adoptAaltLookups(FeatureList& features) {
  if (features.empty() || !isTag(features.front()->tag, "aalt")) return;
  FeatureInfo& aalt = *features.front();
  auto merged = std::make_unique<LanguageInfo>(ot::Tag::fromString("DFLT"));
  std::set<uint32_t> taken[2];  // GSUB's and GPOS's indices in `merged`
  auto take = [&](const LanguageInfo* record) {
    if (!record) return;
    for (uint32_t tableId : {kTableGsub, kTableGpos}) {
      auto& list = merged->list(tableId);
      for (uint32_t index : record->list(tableId)) {
        if (taken[tableId - 1].insert(index).second) list.push_back(index);
      }
    }
  };
  take(aalt.defaults.get());
  for (const auto& script : aalt.scripts) {
    take(script->defaults.get());
    for (const auto& language : script->languages) take(language.get());
  }
  if (!merged->empty()) aalt.defaults = std::move(merged);
  aalt.scripts.clear();
}

std::vector<LanguageSystem> collectLanguageSystems(const FeatureList& features) {
  std::vector<LanguageSystem> systems;
  const ot::Tag dflt = ot::Tag::fromString("dflt");
  for (const auto& feature : features) {
    if (feature->defaults) addSystem(systems, {ot::Tag::fromString("DFLT"), dflt});
    for (const auto& script : feature->scripts) {
      if (script->defaults) addSystem(systems, {script->tag, dflt});
      for (const auto& language : script->languages) addSystem(systems, {script->tag, language->tag});
    }
  }
  sortLanguageSystems(systems);
  return systems;
}

void sortLanguageSystems(std::vector<LanguageSystem>& systems) {
  auto rank = [](const ot::Tag& tag) { return isTag(tag, "DFLT") ? 0 : isTag(tag, "latn") ? 1 : 2; };
  std::sort(systems.begin(), systems.end(), [&](const LanguageSystem& a, const LanguageSystem& b) {
    if (!a.first.sameBytes(b.first)) {
      const int ra = rank(a.first);
      const int rb = rank(b.first);
      return ra != rb ? ra < rb : a.first < b.first;
    }
    const bool da = isDefaultTag(a.second);
    const bool db = isDefaultTag(b.second);
    return da != db ? da : a.second < b.second;
  });
}

void collectStatistics(const FeatureList& features, FeaStatistics& statistics, FeatureCounts& counts) {
  statistics = FeaStatistics{};
  counts.clear();
  statistics.languageSystems = collectLanguageSystems(features);
  for (const auto& feature : features) {
    FeatureCount& count = counts[feature->tag];
    auto add = [&](const LanguageInfo* record) {
      if (!record) return;
      for (uint32_t tableId : {kTableGsub, kTableGpos}) {
        const auto& list = record->list(tableId);
        if (list.empty()) continue;
        count.tableMask |= tableId;
        auto& tags = tableId == kTableGsub ? statistics.gsubFeatures : statistics.gposFeatures;
        if (std::find(tags.begin(), tags.end(), feature->tag) == tags.end()) tags.push_back(feature->tag);
        (tableId == kTableGsub ? statistics.gsubReferences : statistics.gposReferences) +=
            static_cast<uint32_t>(list.size());
        count.lookups += static_cast<uint32_t>(list.size());
      }
    };
    add(feature->defaults.get());
    for (const auto& script : feature->scripts) {
      add(script->defaults.get());
      for (const auto& language : script->languages) add(language.get());
    }
  }
  std::sort(statistics.gsubFeatures.begin(), statistics.gsubFeatures.end());
  std::sort(statistics.gposFeatures.begin(), statistics.gposFeatures.end());
}

std::vector<uint32_t> featureLookupSet(const FeatureInfo& feature, uint32_t tableId) {
  std::set<uint32_t> set;
  auto add = [&](const LanguageInfo* record) {
    if (record) set.insert(record->list(tableId).begin(), record->list(tableId).end());
  };
  add(feature.defaults.get());
  for (const auto& script : feature.scripts) {
    add(script->defaults.get());
    for (const auto& language : script->languages) add(language.get());
  }
  return {set.begin(), set.end()};
}

bool compareFeaturesByLookups(const FeatureInfo& a, const FeatureInfo& b) {
  const auto ag = featureLookupSet(a, kTableGsub), ap = featureLookupSet(a, kTableGpos);
  const auto bg = featureLookupSet(b, kTableGsub), bp = featureLookupSet(b, kTableGpos);
  const bool aOnlyGsub = !ag.empty() && ap.empty(), aOnlyGpos = ag.empty() && !ap.empty();
  const bool bOnlyGsub = !bg.empty() && bp.empty(), bOnlyGpos = bg.empty() && !bp.empty();
  if (aOnlyGsub && bOnlyGpos) return true;
  if (aOnlyGpos && bOnlyGsub) return false;
  bool decided = false;
  const bool gsubLess = lessSets(ag, bg, decided);
  if (decided) return gsubLess;
  return lessSets(ap, bp, decided);
}

// Our compiler hands a language the default lookups of the last script that had rules
// when its own script has none yet, where feaLib gives it the feature-level ones: such a
// language states exclude_dflt and names the feature-level lookups.
std::set<const LanguageInfo*> restatedLanguages(const FeatureInfo& feature) {
  std::set<const LanguageInfo*> restated;
  bool otherScriptDefaults = false;
  for (const auto& script : feature.scripts) {
    const bool ownDefaults = script->defaults && !script->defaults->empty();
    bool inherited = otherScriptDefaults && !ownDefaults;
    bool wroteRule = false;
    for (const auto& language : script->languages) {
      if (inherited && !language->excludeDflt) restated.insert(language.get());
      // A rule of this script starts our compiler's list afresh.
      if (restated.count(language.get()) || !language->empty()) {
        inherited = false;
        wroteRule = true;
      }
    }
    otherScriptDefaults = ownDefaults || (otherScriptDefaults && !wroteRule);
  }
  return restated;
}

}  // namespace otl::ot_fea_layout
