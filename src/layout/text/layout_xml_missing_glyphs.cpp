// Rules of a layout XML document that name glyphs the font lacks: they go after reading,
// and one warning names the glyphs and the lookups they went from, as on the feature-text
// road.
#include <list>
#include <string>
#include <vector>

#include "layout/compile_report.h"
#include "layout/diagnostics.h"
#include "layout/layout_fea.h"
#include "layout/registry/glyph_name_registry.h"
#include "layout/text/layout_xml.h"
#include "layout/text/layout_xml_handlers.h"

namespace otl::xml {

namespace {

// A glyph's name as the warning shows it: an empty name would vanish from the list.
std::string shownName(uint32_t glyph) {
  const std::string& name = glyphNameById(glyph);
  return name.empty() ? "\"\"" : name;
}

}  // namespace

void leaveOutMissingGlyphs(LayoutFea& layout, const ReaderState& state) {
  GlyphSet named = state.leftOutGlyphs;
  std::vector<std::string> places;
  for (uint32_t tableId : {kTableGsub, kTableGpos}) {
    LayoutTableBlock& block = *layout.block(tableId);
    GlyphSet missing;
    if (state.glyphs) block.lookups.collectMissingGlyphs(missing, *state.glyphs);
    const auto leftOut = state.leftOutLookups.find(tableId);
    const LookupSet noLookups;
    const LookupSet& emptied = leftOut == state.leftOutLookups.end() ? noLookups : leftOut->second;
    placesUsingGlyphs(block, missing, places, emptied);
    named.insert(missing.begin(), missing.end());
    // A lookup a handler left without rules goes too, with its feature references.
    if (!missing.empty() || !emptied.empty()) block.pruneMissingGlyphs(missing);
  }
  if (named.empty()) return;
  std::list<std::string> names;
  for (uint32_t glyph : named) names.push_back(shownName(glyph));
  layout.reports.add(Severity::kWarning, {}, missingGlyphsWarning(kLayoutXmlDocument, names, places));
}

}  // namespace otl::xml
