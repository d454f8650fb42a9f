// Context format 1: a Coverage of first glyphs and one rule set per covered glyph, each
// rule a sequence of glyph indices.
#include <utility>
#include <vector>

#include "layout/context_formats.h"
#include "layout/glyph_indices.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/exception.h"
#include "layout/ot/offset_array.h"

namespace otl {

namespace {

void readGlyphRuleSets(ot::BinaryReader& r, const ContextReadScope& scope, context_read::RuleSetRuleReader readRule,
                       ContextRules& rules) {
  GlyphList covered;
  readCoverageTable(covered, r, r.readUInt16(), scope.map);
  const uint16_t setCount = r.readUInt16();
  if (setCount != covered.size())
    throw ot::Exception(ot::Exception::kInconsistent, "rule set count differs from the coverage");
  std::vector<uint16_t> offsets = ot::readOffsets(r, setCount);
  // A glyph covered twice keeps the rules of its first entry only (the reader noted it):
  // a set at offset 0 is skipped.
  const std::vector<bool> used = firstEntries(covered);
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (!used[i]) offsets[i] = 0;
  }
  const context_read::ValueSource glyphs{&scope.map, nullptr, &r, {}};
  const context_read::RuleSets sets{std::move(offsets),
                                    [&](size_t i) { return GlyphList{covered[i]}; }, glyphs, glyphs, glyphs};
  context_read::readRuleSets(r, sets, readRule, scope, rules);
}

}  // namespace

void readContextFormat1(ot::BinaryReader& r, const ContextReadScope& scope, ContextRules& rules) {
  readGlyphRuleSets(r, scope, context_read::readRuleSetRule, rules);
}

void readChainedContextFormat1(ot::BinaryReader& r, const ContextReadScope& scope, ContextRules& rules) {
  readGlyphRuleSets(r, scope, context_read::readChainedRuleSetRule, rules);
}

}  // namespace otl
