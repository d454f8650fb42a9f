// The binary forms of context subtables, one reader per format for each of the plain and
// the chained form, over the one rule model (Context). Used by context_subst.cpp only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "layout/records.h"
#include "layout/subtable.h"

namespace otl {

using ContextRules = std::vector<std::unique_ptr<Context>>;

// What every reader needs besides the bytes.
struct ContextReadScope {
  const LookupIndexMap& lookups;  // LookupList index -> model index
  const GlyphIdMap& map;
  GlyphClassHolder holder;
};

// The readers: each reads the rest of a subtable whose format number the reader has just
// passed, appending its rules.
using ContextFormatReader = void (*)(ot::BinaryReader& reader, const ContextReadScope& scope, ContextRules& rules);
void readContextFormat1(ot::BinaryReader& reader, const ContextReadScope& scope, ContextRules& rules);
void readContextFormat2(ot::BinaryReader& reader, const ContextReadScope& scope, ContextRules& rules);
void readContextFormat3(ot::BinaryReader& reader, const ContextReadScope& scope, ContextRules& rules);
void readChainedContextFormat1(ot::BinaryReader& reader, const ContextReadScope& scope, ContextRules& rules);
void readChainedContextFormat2(ot::BinaryReader& reader, const ContextReadScope& scope, ContextRules& rules);
void readChainedContextFormat3(ot::BinaryReader& reader, const ContextReadScope& scope, ContextRules& rules);

// Writes `rule` as format 3, the one form written.
void writeContextFormat3(ot::BinaryWriter& writer, const Context& rule, const LookupIndexMap& lookups,
                         const GlyphIdMap& map);
void writeChainedContextFormat3(ot::BinaryWriter& writer, const Context& rule, const LookupIndexMap& lookups,
                                const GlyphIdMap& map);

// Pieces shared by the readers (context_rules_read.cpp).
namespace context_read {

// The glyph values of a rule's sequences as they stand in the bytes: glyph indices
// (format 1), classes (format 2) or Coverage offsets (format 3).
struct RuleValues {
  std::vector<uint16_t> backtrack, input, lookahead;
  uint16_t lookupCount = 0;
};

// Counts a rule of `positions` glyph positions as kept by the read: rule sets and
// subtables may share rules, and each is kept whole every time it is reached.
void keepRule(const ot::BinaryReader& r, uint64_t positions, uint16_t lookupCount);

// `count` values of one sequence, bounded by the longest context allowed.
std::vector<uint16_t> readGlyphSequence(ot::BinaryReader& r, uint32_t count);

// The lookup records of a rule, mapping LookupList indices to model indices.
void readLookupRecords(ot::BinaryReader& r, uint16_t count, const LookupIndexMap& lookups, Context& rule);

// A rule of a rule set (formats 1 and 2), up to its lookup records; its input values
// leave out the first glyph, which the rule set gives.
RuleValues readRuleSetRule(ot::BinaryReader& r);
RuleValues readChainedRuleSetRule(ot::BinaryReader& r);
using RuleSetRuleReader = RuleValues (*)(ot::BinaryReader& r);

// Turns values into positions: glyph indices through the map, or the glyphs of a class.
// Class 0 of a context ClassDef is every glyph of the font that the definition leaves out;
// the definition lists only the other classes, so the list is made from the glyph map on
// first use. Each use is charged to the reader: a slot compares the whole list.
struct ValueSource {
  const GlyphIdMap* map = nullptr;
  const ClassDefinitionTable* classes = nullptr;  // null: values are glyph indices
  const ot::BinaryReader* reader = nullptr;
  mutable std::optional<GlyphList> unclassed;

  GlyphList glyphsOf(uint16_t value) const;
};

// The rule sets of formats 1 and 2: set i holds the rules whose first input position is
// `firstOf(i)`; a zero offset is a set left out.
struct RuleSets {
  std::vector<uint16_t> offsets;
  std::function<GlyphList(size_t)> firstOf;
  const ValueSource& backtrack;
  const ValueSource& input;
  const ValueSource& lookahead;
};
void readRuleSets(ot::BinaryReader& r, const RuleSets& sets, RuleSetRuleReader readRule,
                  const ContextReadScope& scope, ContextRules& rules);

}  // namespace context_read
}  // namespace otl
