#include "layout/text/fea_lookup_names.h"

#include <algorithm>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "model/numbers.h"

namespace otl::ot_fea_layout {

namespace {

constexpr size_t kMaxNameLength = 31;
constexpr size_t kLongName = 27;

void trimBlanks(std::string& text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
}

// The names the records hold, as a base name and a number ("liga_latn" and 2 for
// "liga_latn_2"; a name splits only one way, at its last "_"). A record named again gets
// the lowest number that no other record holds with its base: each base keeps the numbers
// it let go in order, so that number is found without trying every number against every
// record.
class NameNumbers {
 public:
  // The record's new name for `base`; the name it held is let go first, since a record's
  // own name never stands in its way.
  std::string name(const LookupInfoKey& record, const std::string& base) {
    auto held = held_.find(record);
    if (held != held_.end()) {
      bases_[held->second.first].free.insert(held->second.second);
    } else {
      held = held_.emplace(record, std::pair<std::string, uint32_t>{}).first;
    }
    Numbers& numbers = bases_[base];
    uint32_t number = 0;
    if (numbers.free.empty()) {
      number = ++numbers.highest;
    } else {
      number = *numbers.free.begin();
      numbers.free.erase(numbers.free.begin());
    }
    held->second = {base, number};
    return base + "_" + vn::formatUnsigned(number);
  }

 private:
  struct Numbers {
    uint32_t highest = 0;     // every number up to it is held or let go
    std::set<uint32_t> free;  // let go, none above `highest`
  };
  std::unordered_map<std::string, Numbers> bases_;
  std::map<LookupInfoKey, std::pair<std::string, uint32_t>> held_;
};

void registerLookupUser(LookupInfoMap& lookups, NameNumbers& names, const Lookup& lookup, const LanguageSystem& user,
                        ot::Tag feature, bool referenced) {
  const LookupInfoKey key{lookup.tableId, lookup.index};
  auto& slot = lookups[key];
  if (!slot) {
    slot = std::make_unique<LookupInfo>();
    slot->tableId = lookup.tableId;
    slot->flag = lookup.flag;
    slot->typeCode = lookup.typeCode;
    slot->index = lookup.index;
    slot->name = (lookup.tableId == kTableGsub ? "GSUB_" : "GPOS_") + vn::formatUnsigned(lookup.index);
  }
  LookupInfo& info = *slot;
  info.referenced = info.referenced || referenced;
  auto& pairs = info.users[feature];
  // Each user's records are visited once, and everything registered for a user is
  // registered during its visit: a pair listed already is the last one.
  if (!pairs.empty() && pairs.back() == user) return;
  if (pairs.empty() || !pairs.back().first.sameBytes(user.first)) info.scriptRuns[feature].push_back(user);
  pairs.push_back(user);
  // Every name carries a number, unique or not.
  info.name = names.name(key, makeLookupName(info));
}

void registerList(LookupInfoMap& lookups, NameNumbers& names, const LayoutTableBlock& block,
                  const std::vector<uint32_t>& list, const LanguageSystem& user, ot::Tag feature) {
  // A lookup listed again for the same user changes nothing but that it is written in two
  // places: each index is registered at its first place only.
  std::unordered_set<uint32_t> seen;
  for (uint32_t index : list) {
    const Lookup* lookup = block.lookups.findLookup(index);
    if (!lookup) continue;
    if (!seen.insert(index).second) {
      lookups[{block.tableId, index}]->repeated = true;
      continue;
    }
    registerLookupUser(lookups, names, *lookup, user, feature, false);
    // The whole closure: a called lookup must be defined, whatever the depth.
    LookupSet direct;
    lookup->collectLookupRefs(direct);
    LookupIndexSet called(direct.begin(), direct.end());
    block.lookups.addReferencedLookups(called);
    for (uint32_t calledIndex : called) {
      if (const Lookup* target = block.lookups.findLookup(calledIndex))
        registerLookupUser(lookups, names, *target, user, feature, true);
    }
  }
}

// The name of a record from its users: the feature tags in order, each followed (with
// scripts) by its (script, language) pairs up to one of script "DFLT". Without repeated
// scripts, a script that repeats the one before is left out, so `users` may hold only the
// first pair of each run of one script. Once the name passes kMaxNameLength it is cut
// short there (it is only measured then), so that a lookup of thousands of users is
// named in a few steps each time it gains one.
std::string buildLookupName(const std::map<ot::Tag, std::vector<LanguageSystem>>& users, bool withScripts,
                            bool keepRepeatedScripts) {
  std::string text;
  std::optional<ot::Tag> previous;
  for (const auto& [feature, pairs] : users) {
    if (!text.empty()) text += '_';
    // A blank inside a tag (the font's own " RQD") cannot stand in a name.
    for (char c : feature.padded()) {
      if (c != ' ') text += c;
    }
    if (text.size() > kMaxNameLength) return text;
    if (!withScripts) continue;
    for (const auto& [script, language] : pairs) {
      if (isTag(script, "DFLT")) break;
      if (!keepRepeatedScripts && previous && previous->sameBytes(script)) continue;
      text += '_';
      text += script.padded();
      trimBlanks(text);
      if (!isDefaultTag(language)) {
        text += language.padded();
        trimBlanks(text);
      }
      previous = script;
      // Each pair adds at least its "_": the text never gets shorter.
      if (text.size() > kMaxNameLength) return text;
    }
  }
  return text;
}

}  // namespace

std::string makeLookupName(const LookupInfo& info) {
  std::string name = buildLookupName(info.users, true, true);
  // Within a run of one script every pair after the first repeats it.
  if (name.size() > kMaxNameLength) name = buildLookupName(info.scriptRuns, true, false);
  if (name.size() > kMaxNameLength) name = buildLookupName(info.users, false, false);
  if (name.size() >= kLongName) name = info.tableId == kTableGsub ? "gsub_lookup" : "gpos_lookup";
  return name;
}

void collectLookupUsers(const FeatureList& features, const LayoutTableBlock& gsub, const LayoutTableBlock& gpos,
                        LookupInfoMap& lookups) {
  NameNumbers names;
  const ot::Tag dflt = ot::Tag::fromString("DFLT");
  for (const auto& feature : features) {
    if (isTag(feature->tag, "aalt")) continue;
    auto visit = [&](const LanguageInfo* record, const LanguageSystem& user) {
      if (!record) return;
      registerList(lookups, names, gsub, record->gsub, user, feature->tag);
      registerList(lookups, names, gpos, record->gpos, user, feature->tag);
    };
    visit(feature->defaults.get(), {dflt, dflt});
    for (const auto& script : feature->scripts) {
      visit(script->defaults.get(), {script->tag, dflt});
      for (const auto& language : script->languages) visit(language.get(), {script->tag, language->tag});
    }
  }
}

void decideNamed(LookupInfoMap& lookups, bool inlineLookups) {
  for (auto& [key, info] : lookups) {
    info->named = true;
    if (!inlineLookups || info->referenced || info->useExtension || info->repeated) continue;
    size_t pairs = 0;
    for (const auto& [feature, list] : info->users) pairs += list.size();
    info->named = info->users.size() >= 2 || pairs >= 2;
  }
}

bool keepLookupOrder(const FeatureList& features, LookupInfoMap& lookups) {
  std::optional<uint32_t> maxIndex[3];
  for (const auto& feature : features) {
    if (isTag(feature->tag, "aalt")) continue;
    for (uint32_t tableId : {kTableGsub, kTableGpos}) {
      const auto set = featureLookupSet(*feature, tableId);
      if (set.size() < 2 || set.back() - set.front() + 1 == set.size()) continue;
      if (!maxIndex[tableId] || *maxIndex[tableId] < set.back()) maxIndex[tableId] = set.back();
    }
  }
  bool someInline = false;
  for (uint32_t tableId : {kTableGsub, kTableGpos}) {
    bool namingRest = false;
    for (auto it = lookups.rbegin(); it != lookups.rend(); ++it) {
      LookupInfo& info = *it->second;
      if (info.tableId != tableId || info.referenced) continue;
      if (namingRest) {
        info.named = true;
        continue;
      }
      if (maxIndex[tableId] && info.index == *maxIndex[tableId]) info.named = true;
      if (!info.named) {
        someInline = true;
        continue;
      }
      namingRest = true;
    }
  }
  return someInline;
}

}  // namespace otl::ot_fea_layout
