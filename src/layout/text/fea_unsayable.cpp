#include "layout/text/fea_unsayable.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "layout/ligature_subst.h"
#include "layout/lookup.h"
#include "layout/multiple_subst.h"

namespace otl::ot_fea_layout {

namespace {

const ot::Tag kDflt = ot::Tag::fromString("dflt");
const ot::Tag kDFLT = ot::Tag::fromString("DFLT");

LanguageSystem normalized(const ot::Tag& script, const ot::Tag& language) {
  return {script, isDefaultTag(language) ? kDflt : language};
}

bool hasOneGlyphAlternates(const Lookup& lookup) {
  for (const auto& subtable : lookup.subtables) {
    const auto* alternates = dynamic_cast<const LsAlternate*>(subtable.get());
    if (!alternates) continue;
    for (size_t i = 0; i < alternates->ruleCount(); ++i) {
      if (alternates->sequences[i].glyphCount() == 1) return true;
    }
  }
  return false;
}

// Compilers build 'aalt' as a single substitution lookup, an alternate one, or the two in
// this order.
bool compilersForm(const LayoutTableBlock& gsub, const std::vector<uint32_t>& list) {
  std::vector<uint32_t> types;
  for (uint32_t index : list) {
    const Lookup* lookup = gsub.lookups.findLookup(index);
    types.push_back(lookup ? lookup->typeCode : 0);
  }
  const std::vector<std::vector<uint32_t>> forms = {
      {kGsubSingle}, {kGsubAlternate}, {kGsubSingle, kGsubAlternate}};
  return std::find(forms.begin(), forms.end(), types) != forms.end();
}

}  // namespace

bool oneGlyphLigatureOfOutput(const Lookup& lookup) {
  GlyphSet made, taken;
  for (const auto& subtable : lookup.subtables) {
    const auto* ligatures = dynamic_cast<const LsLigature*>(subtable.get());
    if (!ligatures) continue;
    for (size_t i = 0; i < ligatures->ruleCount(); ++i) {
      const GlyphList& components = ligatures->rules[i].glyphs();
      if (components.size() == 1) taken.insert(components.front());
      else made.insert(ligatures->ligatures.glyphAt(i));
    }
  }
  return std::any_of(taken.begin(), taken.end(), [&](uint32_t glyph) { return made.count(glyph) != 0; });
}

void reportFeaturelessLanguageSystems(const LayoutTableBlock& block, Diagnostics& reports) {
  const char* table = block.tableId == kTableGsub ? "GSUB" : "GPOS";
  for (const auto& [scriptTag, script] : block.scripts) {
    for (const auto& [languageTag, language] : script.languages) {
      const bool featureless = std::all_of(language.features.begin(), language.features.end(),
                                           [](const auto& entry) { return entry.second.lookups.empty(); });
      if (!featureless || language.required.value() != 0) continue;
      reports.add(Severity::kWarning,
                  std::string(table) + " script " + scriptTag.text() + " language " + languageTag.text(),
                  kFeaturelessLanguageSystem);
    }
  }
}

void reportAaltChanges(const LayoutTableBlock& gsub, const std::vector<LanguageSystem>& textSystems,
                       Diagnostics& reports) {
  std::map<LanguageSystem, std::vector<uint32_t>> fontSystems;
  gsub.forEachFeature([&](const Script& script, const Language& language, const Feature& feature) {
    if (isTag(feature.tag, "aalt") && !feature.lookups.empty())
      fontSystems[normalized(script.tag, language.tag)] = feature.lookups;
  });
  if (fontSystems.empty()) return;
  // The language systems compilers register 'aalt' under: every one the text states.
  std::set<LanguageSystem> registered{{kDFLT, kDflt}};
  for (const auto& [script, language] : textSystems) {
    if (!script.sameBytes(kDFLT) || isDefaultTag(language)) registered.insert(normalized(script, language));
  }
  std::set<LanguageSystem> font;
  std::set<uint32_t> lookups;
  bool sameLists = true;
  for (const auto& [system, list] : fontSystems) {
    font.insert(system);
    lookups.insert(list.begin(), list.end());
    sameLists = sameLists && list == fontSystems.begin()->second;
  }
  std::vector<std::string> changes;
  if (font != registered || !sameLists) changes.push_back("it comes back under every language system of the text");
  if (std::any_of(lookups.begin(), lookups.end(), [&](uint32_t index) {
        const Lookup* lookup = gsub.lookups.findLookup(index);
        return lookup && hasOneGlyphAlternates(*lookup);
      }))
    changes.push_back("its sets of one alternate come back as single substitutions");
  if (!compilersForm(gsub, fontSystems.begin()->second))
    changes.push_back("its lookups come back as one single and one alternate substitution lookup");
  if (changes.empty()) return;
  std::string message = "the generated feature text cannot keep 'aalt' as it is (compilers build it their way): ";
  for (size_t i = 0; i < changes.size(); ++i) message += (i ? "; " : "") + changes[i];
  reports.add(Severity::kWarning, "feature aalt", message);
}

}  // namespace otl::ot_fea_layout
