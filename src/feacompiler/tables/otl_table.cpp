// Header, ScriptList, FeatureList and LookupList of a GSUB or GPOS table.
#include "feacompiler/tables/otl_table.h"

#include <algorithm>
#include <numeric>
#include <tuple>

namespace fea {

uint16_t otlOffset16(coreContext* g, uint64_t value, const char* what, const char* where,
                     const char* kind) {
  if (!ot::fitsOffset16(value, ot::limits::kMaxCompilerOffset16)) {
    coreMsg(g, kMsgFatal, "%s offset overflow (0x%lx) in %s %s", what, static_cast<unsigned long>(value),
            where, kind);
  }
  return static_cast<uint16_t>(value);
}

std::unique_ptr<OtlTable> otlNew(coreContext*) { return std::make_unique<OtlTable>(); }

void otlSubtableAdd(coreContext*, OtlTable* t, uint32_t script, uint32_t language,
                    uint32_t feature, uint16_t lookupType, uint16_t lookupFlag,
                    uint16_t markSetIndex, uint16_t extensionType, uint32_t offset, uint16_t label,
                    bool featureParam) {
  OtlSubtableRecord r;
  r.script = script;
  r.language = language;
  r.feature = feature;
  r.lookupType = lookupType;
  r.lookupFlag = lookupFlag;
  r.markSetIndex = markSetIndex;
  r.extensionType = extensionType;
  r.offset = offset;
  r.label = label;
  r.featureParam = featureParam;
  r.seenInFeature = feature != kTagStandalone;
  if (script == kTagNone) ++t->noScriptCount;
  if (feature == kTagStandalone) ++t->standAloneCount;
  if (otlIsReference(label)) {
    ++t->referenceCount;
  } else if (featureParam) {
    ++t->paramCount;
  }
  t->records.push_back(r);
}

namespace {

const char* const kListWhat = "list";

// Records in LookupList order: lookups by where their subtables lie ('aalt' lookups first),
// then feature parameters, then references.
std::vector<size_t> otlLookupOrder(const std::vector<OtlSubtableRecord>& recs) {
  std::vector<size_t> order(recs.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t ia, size_t ib) {
    const OtlSubtableRecord& a = recs[ia];
    const OtlSubtableRecord& b = recs[ib];
    bool ra = otlIsReference(a.label), rb = otlIsReference(b.label);
    if (ra != rb) return rb;
    if (ra) return false;
    if (a.featureParam != b.featureParam) return b.featureParam;
    if (a.feature != b.feature) {
      bool aa = a.feature == ot::kTagAalt, ab = b.feature == ot::kTagAalt;
      if (aa != ab) return aa;
    }
    return a.offset < b.offset;
  });
  return order;
}

uint32_t lookupTableSize(const OtlSubtableRecord& first, size_t subtables) {
  return 6 + 2 * static_cast<uint32_t>(subtables) + ((first.lookupFlag & otlUseMarkFilteringSet) ? 2 : 0);
}

// Lookup order, label records and lookup indices.
void otlLookupIndexes(coreContext* g, OtlTable* t, std::vector<size_t>& order) {
  auto& recs = t->records;
  order = otlLookupOrder(recs);
  uint16_t nextIndex = 0;
  const OtlSubtableRecord* prev = nullptr;
  for (size_t i : order) {
    OtlSubtableRecord& r = recs[i];
    if (otlIsReference(r.label)) break;
    if (prev != nullptr && prev->offset == r.offset) {
      coreMsg(g, kMsgFatal, "[internal] subtables have same offset");
    }
    if (prev != nullptr && prev->label == r.label) {
      r.lookupIndex = prev->lookupIndex;
    } else {
      r.lookupIndex = r.featureParam ? otlNoLookupIndex : nextIndex++;
      t->labels.push_back({r.label, r.lookupIndex, false});
    }
    prev = &r;
  }
  std::stable_sort(t->labels.begin(), t->labels.end(),
                   [](const OtlLabelRecord& a, const OtlLabelRecord& b) { return a.label < b.label; });
  for (size_t i = 1; i < t->labels.size(); ++i) {
    if (t->labels[i].label == t->labels[i - 1].label) {
      coreMsg(g, kMsgFatal, "[internal] duplicate subtable label encountered");
    }
  }
  for (OtlSubtableRecord& r : recs) {
    if (otlIsReference(r.label)) r.lookupIndex = otlLabelLookupIndex(g, t, r.label & 0x7FFF);
  }
}

bool hasTriple(const OtlSubtableRecord& r) {
  return r.script != kTagNone && r.feature != kTagNone &&
         r.feature != kTagStandalone;
}

using Triple = std::tuple<uint32_t, uint32_t, uint32_t>;  // feature, script, language

struct FeatureEntry {
  uint32_t feature, script, language;
  std::vector<uint16_t> lookups;
  const OtlSubtableRecord* param = nullptr;
};

}  // namespace

uint16_t otlLabelLookupIndex(coreContext* g, OtlTable* t, uint16_t label) {
  auto it = std::lower_bound(t->labels.begin(), t->labels.end(), label,
                             [](const OtlLabelRecord& r, uint16_t l) { return r.label < l; });
  if (it == t->labels.end() || it->label != label) {
    coreMsg(g, kMsgFatal, "(internal) label 0x%x not found", label);
    return 0;
  }
  it->used = true;
  return it->lookupIndex;
}

void otlTableFill(coreContext* g, OtlTable* t) {
  std::vector<size_t> order;
  otlLookupIndexes(g, t, order);
  auto& recs = t->records;

  // One Feature table per (script, language, feature), ordered by feature, script, language.
  std::map<Triple, size_t> featureOf;
  for (const auto& r : recs) {
    if (hasTriple(r)) featureOf.emplace(Triple{r.feature, r.script, r.language}, 0);
  }
  std::vector<FeatureEntry> features;
  for (auto& [key, index] : featureOf) {
    index = features.size();
    features.push_back({std::get<0>(key), std::get<1>(key), std::get<2>(key), {}, nullptr});
  }
  for (auto& r : recs) {
    if (!hasTriple(r)) continue;
    FeatureEntry& f = features[featureOf[Triple{r.feature, r.script, r.language}]];
    r.featureIndex = static_cast<int>(featureOf[Triple{r.feature, r.script, r.language}]);
    if (r.featureParam) {
      if (f.param != nullptr) {
        coreMsg(g, kMsgFatal, "GPOS feature '%c%c%c%c' has more than one FeatureParameter subtable! ",
                OTL_TAG_ARGS(r.feature));
      }
      f.param = &r;
    } else if (r.lookupIndex != otlNoLookupIndex) {
      f.lookups.push_back(r.lookupIndex);
    }
  }
  for (FeatureEntry& f : features) {
    std::sort(f.lookups.begin(), f.lookups.end());
    f.lookups.erase(std::unique(f.lookups.begin(), f.lookups.end()), f.lookups.end());
  }

  // Scripts and their language systems: script -> language -> feature indices.
  std::map<uint32_t, std::map<uint32_t, std::vector<uint16_t>>> scripts;
  for (size_t i = 0; i < features.size(); ++i) {
    scripts[features[i].script][features[i].language].push_back(static_cast<uint16_t>(i));
  }
  for (auto& [script, langs] : scripts) {
    for (auto& [lang, idx] : langs) {
      std::sort(idx.begin(), idx.end(), [&](uint16_t a, uint16_t b) {
        return std::tie(features[a].feature, a) < std::tie(features[b].feature, b);
      });
    }
  }

  // Lookups in index order with their subtable records in lookup order.
  std::vector<std::vector<const OtlSubtableRecord*>> lookups;
  for (size_t i : order) {
    const OtlSubtableRecord& r = recs[i];
    if (otlIsReference(r.label) || r.featureParam) continue;
    if (r.lookupIndex >= lookups.size()) lookups.resize(r.lookupIndex + 1u);
    lookups[r.lookupIndex].push_back(&r);
  }

  // ScriptList.
  Bytes scriptList;
  put16(scriptList, static_cast<uint32_t>(scripts.size()));
  uint32_t scriptPos = 2 + 6 * static_cast<uint32_t>(scripts.size());
  Bytes scriptTables;
  for (auto& [script, langs] : scripts) {
    put32(scriptList, script);
    put16(scriptList, otlOffset16(g, scriptPos, "Script", "ScriptList", kListWhat));
    bool hasDefault = langs.begin()->first == kTagDefaultLanguage;
    uint32_t others = static_cast<uint32_t>(langs.size()) - (hasDefault ? 1 : 0);
    Bytes table;
    uint32_t pos = 4 + 6 * others;
    Bytes langSys;
    put16(table, hasDefault ? pos : 0);
    put16(table, others);
    auto addLangSys = [&](const std::vector<uint16_t>& idx) {
      put16(langSys, 0);
      put16(langSys, 0xFFFF);
      put16(langSys, static_cast<uint32_t>(idx.size()));
      for (uint16_t f : idx) put16(langSys, f);
    };
    if (hasDefault) {
      addLangSys(langs.begin()->second);
      pos += 6 + 2 * static_cast<uint32_t>(langs.begin()->second.size());
    }
    for (auto& [lang, idx] : langs) {
      if (lang == kTagDefaultLanguage) continue;
      put32(table, lang);
      put16(table, otlOffset16(g, pos, "LangSys", "ScriptList", kListWhat));
      addLangSys(idx);
      pos += 6 + 2 * static_cast<uint32_t>(idx.size());
    }
    table.insert(table.end(), langSys.begin(), langSys.end());
    scriptPos += static_cast<uint32_t>(table.size());
    scriptTables.insert(scriptTables.end(), table.begin(), table.end());
  }
  scriptList.insert(scriptList.end(), scriptTables.begin(), scriptTables.end());

  // FeatureList layout first (FeatureParams offsets need the LookupList size).
  std::vector<uint32_t> featurePos(features.size());
  uint32_t featureListSize = 2 + 6 * static_cast<uint32_t>(features.size());
  for (size_t i = 0; i < features.size(); ++i) {
    featurePos[i] = featureListSize;
    featureListSize += 4 + 2 * static_cast<uint32_t>(features[i].lookups.size());
  }

  // LookupList.
  std::vector<uint32_t> lookupPos(lookups.size());
  uint32_t lookupListSize = 2 + 2 * static_cast<uint32_t>(lookups.size());
  for (size_t i = 0; i < lookups.size(); ++i) {
    lookupPos[i] = lookupListSize;
    if (lookups[i].empty()) {
      coreMsg(g, kMsgFatal, "Base lookup %d not found", static_cast<int>(i));
      continue;
    }
    lookupListSize += lookupTableSize(*lookups[i].front(), lookups[i].size());
  }
  Bytes lookupList;
  put16(lookupList, static_cast<uint32_t>(lookups.size()));
  for (size_t i = 0; i < lookups.size(); ++i) {
    put16(lookupList, otlOffset16(g, lookupPos[i], "Lookup", "LookupList", kListWhat));
  }
  for (size_t i = 0; i < lookups.size(); ++i) {
    const OtlSubtableRecord* first = lookups[i].front();
    put16(lookupList, first->lookupType);
    put16(lookupList, first->lookupFlag);
    put16(lookupList, static_cast<uint32_t>(lookups[i].size()));
    for (const OtlSubtableRecord* r : lookups[i]) {
      uint64_t off = uint64_t{lookupListSize} - lookupPos[i] + r->offset;
      put16(lookupList, otlOffset16(g, off, "Lookup subtable", "LookupList", kListWhat));
    }
    if (first->lookupFlag & otlUseMarkFilteringSet) put16(lookupList, first->markSetIndex);
  }

  uint32_t featureListOffset = 10 + static_cast<uint32_t>(scriptList.size());
  uint64_t lookupListOffset = uint64_t{featureListOffset} + featureListSize;

  Bytes featureList;
  put16(featureList, static_cast<uint32_t>(features.size()));
  for (size_t i = 0; i < features.size(); ++i) {
    put32(featureList, features[i].feature);
    put16(featureList, otlOffset16(g, featurePos[i], "Feature", "FeatureList", kListWhat));
  }
  for (size_t i = 0; i < features.size(); ++i) {
    const FeatureEntry& f = features[i];
    uint64_t paramOffset = 0;
    if (f.param != nullptr) {
      uint32_t subOffset = f.param->offset;
      if (otlIsReference(f.param->label)) {
        // A registration under a further language system points at the original block.
        for (const auto& r : recs) {
          if (r.featureParam && !otlIsReference(r.label) && r.feature == f.feature &&
              r.label == (f.param->label & 0x7FFF)) {
            subOffset = r.offset;
            break;
          }
        }
      }
      paramOffset = lookupListOffset + lookupListSize - featureListOffset + subOffset - featurePos[i];
    }
    put16(featureList, otlOffset16(g, paramOffset, "FeatureParams", "FeatureList", kListWhat));
    put16(featureList, static_cast<uint32_t>(f.lookups.size()));
    for (uint16_t l : f.lookups) put16(featureList, l);
  }

  t->lists.clear();
  put32(t->lists, 0x00010000);
  put16(t->lists, 10);
  put16(t->lists, otlOffset16(g, featureListOffset, "FeatureList", "header", kListWhat));
  put16(t->lists, otlOffset16(g, lookupListOffset, "LookupList", "header", kListWhat));
  t->lists.insert(t->lists.end(), scriptList.begin(), scriptList.end());
  t->lists.insert(t->lists.end(), featureList.begin(), featureList.end());
  t->lists.insert(t->lists.end(), lookupList.begin(), lookupList.end());
  t->filled = true;
}

uint64_t otlLookupReach(const OtlTable* t) {
  // The lookups: runs of records of one label in LookupList order.
  std::vector<std::vector<const OtlSubtableRecord*>> lookups;
  const OtlSubtableRecord* prev = nullptr;
  for (size_t i : otlLookupOrder(t->records)) {
    const OtlSubtableRecord& r = t->records[i];
    if (otlIsReference(r.label) || r.featureParam) continue;
    if (prev == nullptr || prev->label != r.label) lookups.emplace_back();
    lookups.back().push_back(&r);
    prev = &r;
  }
  uint64_t listSize = 2 + 2 * uint64_t{lookups.size()};
  for (const auto& l : lookups) listSize += lookupTableSize(*l.front(), l.size());
  uint64_t pos = 2 + 2 * uint64_t{lookups.size()}, reach = 0;
  for (const auto& l : lookups) {
    for (const OtlSubtableRecord* r : l) reach = std::max(reach, listSize - pos + r->offset);
    pos += lookupTableSize(*l.front(), l.size());
  }
  return reach;
}

void otlLookupCheck(coreContext* g, OtlTable* t) {
  std::vector<OtlLabelRecord> byIndex = t->labels;
  std::stable_sort(byIndex.begin(), byIndex.end(),
                   [](const OtlLabelRecord& a, const OtlLabelRecord& b) {
                     return a.lookupIndex < b.lookupIndex;
                   });
  std::vector<uint16_t> warned;
  for (const OtlSubtableRecord& r : t->records) {
    if (otlIsReference(r.label) || r.seenInFeature) continue;
    auto it = std::lower_bound(
        byIndex.begin(), byIndex.end(), r.lookupIndex,
        [](const OtlLabelRecord& l, uint16_t index) { return l.lookupIndex < index; });
    if (it == byIndex.end() || it->lookupIndex != r.lookupIndex) {
      coreMsg(g, kMsgFatal, "Base lookup %d not found", r.lookupIndex);
      continue;
    }
    if (!it->used && std::find(warned.begin(), warned.end(), r.lookupIndex) == warned.end()) {
      warned.push_back(r.lookupIndex);
      coreMsg(g, kMsgWarning,
              "Stand-alone lookup with Lookup Index %d was not referenced from within any "
              "feature, and will never be used.",
              r.lookupIndex);
    }
  }
}

void otlTableWrite(coreContext*, OtlTable* t, Bytes& out) {
  out.insert(out.end(), t->lists.begin(), t->lists.end());
}

void otlListsReuse(coreContext*, OtlTable* t) {
  t->records.clear();
  t->labels.clear();
  t->lists.clear();
  t->noScriptCount = t->standAloneCount = t->referenceCount = t->paramCount = 0;
  t->filled = false;
}

}  // namespace fea
