// One GSUB or GPOS table of the layout model: the features by script and language, and
// the lookups by index.
#pragma once

#include <cstdint>
#include <map>

#include "layout/lookups_table.h"
#include "layout/script_tree.h"

namespace otl {

class LayoutTableBlock {
 public:
  LayoutTableBlock(uint32_t tableId, vn::FeaGlyphGroups* classes) : tableId(tableId), lookups(classes) {}
  LayoutTableBlock(const LayoutTableBlock&) = delete;
  // Empties this block, then copies the scripts and deep-copies every lookup (bound to
  // this block's classes; a block without classes takes the source's).
  LayoutTableBlock& operator=(const LayoutTableBlock& source);

  void clear();
  bool hasFeatures() const;
  // Worth a table: scripts and lookups, or scripts with a feature that has parameters and
  // no lookup (a 'size' feature has none).
  bool hasTableData() const;
  // The required feature of a language system; "DFLT" falls back to "dflt"; zero when none.
  ot::Tag requiredFeature(ot::Tag script, ot::Tag language) const;
  bool removeScript(ot::Tag tag) { return scripts.erase(tag) != 0; }

  // Every index a feature names, with every lookup those call, however deep.
  void collectReferencedLookups(LookupIndexSet& out) const;
  void collectUnreferencedLookups(LookupIndexSet& out) const;
  void pruneUnreferencedLookups();
  // Removes rules that use the glyphs, and the lookups and features left empty.
  void pruneMissingGlyphs(const GlyphSet& glyphs);
  // Removes the indices from every feature; empty features, languages and scripts go.
  void removeLookupRefs(const LookupIndexSet& deleted);

  // Calls `visit(script, language, feature)` for every feature in tag order.
  template <class Visit>
  void forEachFeature(Visit&& visit) const {
    for (const auto& [scriptTag, script] : scripts)
      for (const auto& [languageTag, language] : script.languages)
        for (const auto& [featureTag, feature] : language.features) visit(script, language, feature);
  }

  uint32_t tableId;
  std::map<ot::Tag, Script> scripts;
  LookupsTable lookups;
};

}  // namespace otl
