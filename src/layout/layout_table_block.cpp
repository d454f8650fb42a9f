#include "layout/layout_table_block.h"

namespace otl {

LayoutTableBlock& LayoutTableBlock::operator=(const LayoutTableBlock& source) {
  if (this == &source) return *this;
  clear();
  if (!lookups.classes()) lookups.setClasses(source.lookups.classes());
  scripts = source.scripts;
  lookups.copyFrom(source.lookups);
  return *this;
}

void LayoutTableBlock::clear() {
  scripts.clear();
  lookups.clear();
}

bool LayoutTableBlock::hasTableData() const {
  if (scripts.empty()) return false;
  if (!lookups.isEmpty()) return true;
  bool params = false;
  forEachFeature([&](const Script&, const Language&, const Feature& feature) { params |= !feature.params.empty(); });
  return params;
}

bool LayoutTableBlock::hasFeatures() const {
  for (const auto& [scriptTag, script] : scripts)
    for (const auto& [languageTag, language] : script.languages)
      if (!language.features.empty()) return true;
  return false;
}

ot::Tag LayoutTableBlock::requiredFeature(ot::Tag script, ot::Tag language) const {
  const auto foundScript = scripts.find(script);
  if (foundScript == scripts.end()) return {};
  const auto& languages = foundScript->second.languages;
  auto foundLanguage = languages.find(language);
  if (foundLanguage == languages.end() && language.value() == ot::kTagDFLT) {
    foundLanguage = languages.find(ot::Tag::fromUInt32(ot::kTagDflt));
  }
  return foundLanguage == languages.end() ? ot::Tag{} : foundLanguage->second.required;
}

void LayoutTableBlock::collectReferencedLookups(LookupIndexSet& out) const {
  forEachFeature([&](const Script&, const Language&, const Feature& feature) {
    out.insert(feature.lookups.begin(), feature.lookups.end());
  });
  lookups.addReferencedLookups(out);
}

void LayoutTableBlock::collectUnreferencedLookups(LookupIndexSet& out) const {
  LookupIndexSet referenced;
  collectReferencedLookups(referenced);
  for (const auto& [index, lookup] : lookups.lookups()) {
    if (!referenced.count(index)) out.insert(index);
  }
}

void LayoutTableBlock::pruneUnreferencedLookups() {
  LookupIndexSet unreferenced;
  collectUnreferencedLookups(unreferenced);
  lookups.deleteLookups(unreferenced);
}

void LayoutTableBlock::pruneMissingGlyphs(const GlyphSet& glyphs) {
  LookupIndexSet deleted;
  lookups.pruneByGlyphs(deleted, glyphs);
  if (!deleted.empty()) removeLookupRefs(deleted);
}

void LayoutTableBlock::removeLookupRefs(const LookupIndexSet& deleted) {
  // Only what this removal emptied goes; features and language systems that were empty
  // before are kept as they stand.
  for (auto script = scripts.begin(); script != scripts.end();) {
    auto& languages = script->second.languages;
    bool scriptChanged = false;
    for (auto language = languages.begin(); language != languages.end();) {
      auto& features = language->second.features;
      bool languageChanged = false;
      for (auto feature = features.begin(); feature != features.end();) {
        const bool changed = removeLookupIndices(feature->second.lookups, deleted);
        languageChanged |= changed;
        feature = changed && feature->second.lookups.empty() ? features.erase(feature) : std::next(feature);
      }
      scriptChanged |= languageChanged;
      language = languageChanged && features.empty() ? languages.erase(language) : std::next(language);
    }
    script = scriptChanged && languages.empty() ? scripts.erase(script) : std::next(script);
  }
}

}  // namespace otl
