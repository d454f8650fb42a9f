// Context format 2: a Coverage of first glyphs, ClassDefs (the input one; the chained form
// adds backtrack and lookahead) and one rule set per input class, each rule a sequence of
// classes.
#include "layout/context_formats.h"
#include "layout/glyph_indices.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/offset_array.h"

namespace otl {

namespace {

struct ContextClasses {
  ClassDefinitionTable backtrack, input, lookahead;
};

// A class definition left out (offset 0) puts every glyph in class 0: fonts leave out the
// backtrack or lookahead one when no rule looks there.
void readClasses(ClassDefinitionTable& classes, ot::BinaryReader& r, uint16_t offset, const GlyphIdMap& map) {
  if (offset != 0) classes.readBinary(r, offset, map);
}

// The rule sets after the ClassDefs. Input class 0 is every covered glyph that the input
// ClassDef leaves out.
void readClassRuleSets(ot::BinaryReader& r, const ContextReadScope& scope, const GlyphList& covered,
                       ContextClasses& classes, context_read::RuleSetRuleReader readRule, ContextRules& rules) {
  GlyphSet classed;  // a range may name class 0 explicitly
  for (size_t i = 0; i < classes.input.glyphs.size() && i < classes.input.classes.size(); ++i) {
    if (classes.input.classes[i] != 0) classed.insert(classes.input.glyphs[i]);
  }
  for (uint32_t g : covered) {
    if (!classed.count(g)) classes.input.class0.push_back(g);
  }
  const context_read::ValueSource backtrack{&scope.map, &classes.backtrack, &r, {}};
  const context_read::ValueSource input{&scope.map, &classes.input, &r, {}};
  const context_read::ValueSource lookahead{&scope.map, &classes.lookahead, &r, {}};
  auto firstOf = [&](size_t i) {
    GlyphList first;
    classes.input.glyphsOfClass(first, static_cast<uint16_t>(i));
    return first;
  };
  const context_read::RuleSets sets{ot::readOffsetArray(r), firstOf, backtrack, input, lookahead};
  context_read::readRuleSets(r, sets, readRule, scope, rules);
}

}  // namespace

void readContextFormat2(ot::BinaryReader& r, const ContextReadScope& scope, ContextRules& rules) {
  GlyphList covered;
  readCoverageTable(covered, r, r.readUInt16(), scope.map, CoverageUse::kGlyphSet);
  ContextClasses classes;
  readClasses(classes.input, r, r.readUInt16(), scope.map);
  readClassRuleSets(r, scope, covered, classes, context_read::readRuleSetRule, rules);
}

void readChainedContextFormat2(ot::BinaryReader& r, const ContextReadScope& scope, ContextRules& rules) {
  GlyphList covered;
  readCoverageTable(covered, r, r.readUInt16(), scope.map, CoverageUse::kGlyphSet);
  ContextClasses classes;
  readClasses(classes.backtrack, r, r.readUInt16(), scope.map);
  readClasses(classes.input, r, r.readUInt16(), scope.map);
  readClasses(classes.lookahead, r, r.readUInt16(), scope.map);
  readClassRuleSets(r, scope, covered, classes, context_read::readChainedRuleSetRule, rules);
}

}  // namespace otl
