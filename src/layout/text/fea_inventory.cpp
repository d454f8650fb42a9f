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

// The records of the features gathered so far, found by tag. A script may hold thousands
// of languages: walking the vectors to find one would make gathering quadratic in them.
class RecordIndex {
 public:
  explicit RecordIndex(FeatureList& features) : features_(features) {
    for (auto& feature : features) {
      featuresByTag_[feature->tag.value()] = feature.get();
      for (auto& script : feature->scripts) {
        scripts_.try_emplace({feature.get(), script->tag.value()}, script.get());
        for (auto& language : script->languages)
          languages_.try_emplace({script.get(), language->tag.value()}, language.get());
      }
    }
  }

  // Found, or appended to the vector it belongs to.
  FeatureInfo& feature(const ot::Tag& tag) {
    auto [found, added] = featuresByTag_.try_emplace(tag.value(), nullptr);
    if (added) found->second = features_.emplace_back(std::make_unique<FeatureInfo>(tag)).get();
    return *found->second;
  }
  ScriptInfo& script(FeatureInfo& feature, const ot::Tag& tag) {
    auto [found, added] = scripts_.try_emplace({&feature, tag.value()}, nullptr);
    if (added) found->second = feature.scripts.emplace_back(std::make_unique<ScriptInfo>(tag)).get();
    return *found->second;
  }
  LanguageInfo& language(ScriptInfo& script, const ot::Tag& tag) {
    auto [found, added] = languages_.try_emplace({&script, tag.value()}, nullptr);
    if (added) found->second = script.languages.emplace_back(std::make_unique<LanguageInfo>(tag)).get();
    return *found->second;
  }

 private:
  FeatureList& features_;
  std::map<uint32_t, FeatureInfo*> featuresByTag_;
  std::map<std::pair<const FeatureInfo*, uint32_t>, ScriptInfo*> scripts_;
  std::map<std::pair<const ScriptInfo*, uint32_t>, LanguageInfo*> languages_;
};

// A feature's records by the language system each stands for, the feature-level one apart.
std::map<std::pair<uint32_t, uint32_t>, const LanguageInfo*> recordsBySystem(const FeatureInfo& feature) {
  std::map<std::pair<uint32_t, uint32_t>, const LanguageInfo*> records;
  for (const auto& script : feature.scripts) {
    if (script->defaults) records.try_emplace({script->tag.value(), ot::kTagDflt}, script->defaults.get());
    for (const auto& language : script->languages)
      records.try_emplace({script->tag.value(), language->tag.value()}, language.get());
  }
  return records;
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

ScriptInfo* FeatureInfo::findScript(ot::Tag tag) const {
  for (const auto& script : scripts) {
    if (script->tag.sameBytes(tag)) return script.get();
  }
  return nullptr;
}

void gatherFeatures(uint32_t tableId, const LayoutTableBlock& block, FeatureList& features) {
  RecordIndex index(features);
  block.forEachFeature([&](const Script& script, const Language& language, const Feature& feature) {
    FeatureInfo& info = index.feature(feature.tag);
    LanguageInfo* target = nullptr;
    const bool defaultLanguage = isDefaultTag(language.tag);
    if (isTag(script.tag, "DFLT") && defaultLanguage) {
      target = &defaultRecord(info.defaults);
    } else {
      ScriptInfo& scriptInfo = index.script(info, script.tag);
      target = defaultLanguage ? &defaultRecord(scriptInfo.defaults) : &index.language(scriptInfo, language.tag);
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
  // Every system but DFLT's default needs a record of the feature beginning with its
  // feature-level lookups (a record missing has none).
  const size_t checked = static_cast<size_t>(std::count_if(systems.begin(), systems.end(), [](const auto& system) {
    return !(isTag(system.first, "DFLT") && isDefaultTag(system.second));
  }));
  for (auto& feature : features) {
    if (!feature->defaults || feature->defaults->empty() || isTag(feature->tag, "aalt")) continue;
    const auto records = recordsBySystem(*feature);
    bool exact = records.size() >= checked;
    for (size_t i = 0; exact && i < systems.size(); ++i) {
      const auto& [scriptTag, languageTag] = systems[i];
      if (isTag(scriptTag, "DFLT") && isDefaultTag(languageTag)) continue;
      const auto found =
          records.find({scriptTag.value(), isDefaultTag(languageTag) ? ot::kTagDflt : languageTag.value()});
      const LanguageInfo* record = found == records.end() ? nullptr : found->second;
      for (uint32_t tableId : {kTableGsub, kTableGpos}) {
        if (!startsWith(listOf(record, tableId), feature->defaults->list(tableId))) exact = false;
      }
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
  LanguageSystemsMet met;
  const ot::Tag dflt = ot::Tag::fromString("dflt");
  for (const auto& feature : features) {
    if (feature->defaults) met.add(systems, {ot::Tag::fromString("DFLT"), dflt});
    for (const auto& script : feature->scripts) {
      if (script->defaults) met.add(systems, {script->tag, dflt});
      for (const auto& language : script->languages) met.add(systems, {script->tag, language->tag});
    }
  }
  sortLanguageSystems(systems);
  return systems;
}

uint32_t comparedValue(const ot::Tag& tag) {
  const uint32_t value = tag.value();
  for (uint32_t byte = 0xFF000000; byte != 0; byte >>= 8) {
    if ((value & byte) == 0) return value & ~(byte - 1);
  }
  return value;
}

void LanguageSystemsMet::add(std::vector<LanguageSystem>& systems, const LanguageSystem& system) {
  if (met_.insert({comparedValue(system.first), comparedValue(system.second)}).second) systems.push_back(system);
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
  FeatureTagsMet listed[2];  // the tags in gsubFeatures and in gposFeatures
  for (const auto& feature : features) {
    FeatureCount& count = counts[feature->tag];
    auto add = [&](const LanguageInfo* record) {
      if (!record) return;
      for (uint32_t tableId : {kTableGsub, kTableGpos}) {
        const auto& list = record->list(tableId);
        if (list.empty()) continue;
        count.tableMask |= tableId;
        auto& tags = tableId == kTableGsub ? statistics.gsubFeatures : statistics.gposFeatures;
        listed[tableId - 1].add(tags, feature->tag);
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
