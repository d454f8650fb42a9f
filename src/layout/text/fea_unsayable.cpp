#include "layout/text/fea_unsayable.h"

#include <algorithm>
#include <string>

#include "layout/ligature_subst.h"
#include "layout/lookup.h"

namespace otl::ot_fea_layout {

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

}  // namespace otl::ot_fea_layout
