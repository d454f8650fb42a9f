#include "layout/compile_report.h"

#include <algorithm>

#include "layout/layout_bin_parser.h"
#include "layout/lookup.h"
#include "model/numbers.h"

namespace otl {

namespace {
constexpr const char* kMissingGlyphs = " names glyphs the font lacks (";
constexpr const char* kRulesLeftOut = "); the rules using them were left out of ";
constexpr const char* kNoRuleLeftOut = "); no rule used them";
constexpr const char* kIncludesNotCarried =
    "feature text reads include files that the written font does not carry (its text keeps the include "
    "statements, so it compiles only where those files are found): ";
constexpr const char* kAaltTakes =
    "'aalt' takes alternates only from rules that substitute one glyph, written inside it or inside the features "
    "it lists after it, not from lookups those features reference";
constexpr const char* kAaltLeftOut = "the feature text's 'aalt' got no rule and is left out (";
constexpr const char* kAaltListed = "; features it lists that gave it none: ";
}  // namespace

void placesUsingGlyphs(const LayoutTableBlock& block, const GlyphSet& glyphs, std::vector<std::string>& places,
                       const LookupIndexSet& leftOut) {
  if (glyphs.empty() && leftOut.empty()) return;
  for (const auto& [index, lookup] : block.lookups.lookups()) {
    if (!lookup) continue;
    GlyphSet used;
    lookup->collectGlyphs(used);
    if (!leftOut.count(index) && std::none_of(used.begin(), used.end(), [&](uint32_t g) { return glyphs.count(g) != 0; }))
      continue;
    std::vector<std::string> features;
    block.forEachFeature([&, index = index](const Script&, const Language&, const Feature& feature) {
      const std::string tag = feature.tag.text();
      if (std::find(feature.lookups.begin(), feature.lookups.end(), index) != feature.lookups.end() &&
          std::find(features.begin(), features.end(), tag) == features.end())
        features.push_back(tag);
    });
    std::string place = std::string(ot_bin_layout::tableName(block.tableId)) + " lookup " + vn::formatUnsigned(index);
    if (!features.empty()) place += " (" + firstFewWithCount(features) + ")";
    places.push_back(std::move(place));
  }
}

std::string missingGlyphsWarning(const char* source, const std::list<std::string>& names,
                                 const std::vector<std::string>& places) {
  const std::string glyphs = source + std::string(kMissingGlyphs) +
                             firstFewWithCount(std::vector<std::string>(names.begin(), names.end()));
  if (places.empty()) return glyphs + kNoRuleLeftOut;
  return glyphs + kRulesLeftOut + firstFewWithCount(places);
}

std::string includesNotCarriedWarning(const std::vector<std::string>& includes) {
  return kIncludesNotCarried + firstFewWithCount(includes);
}

std::string aaltWarning(const fea::AaltOutcome& aalt) {
  if (!aalt.defined || (aalt.built && aalt.listedWithoutRule.empty())) return {};
  std::string line = aalt.built ? std::string("the feature text's ") + kAaltTakes
                                 : std::string(kAaltLeftOut) + kAaltTakes + ")";
  if (!aalt.listedWithoutRule.empty()) line += kAaltListed + firstFewWithCount(aalt.listedWithoutRule);
  return line;
}

}  // namespace otl
