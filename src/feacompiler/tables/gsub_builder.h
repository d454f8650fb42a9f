// GSUB builder: the substitution rules of the feature file grouped into lookups and
// subtables, written as a binary GSUB table.
#pragma once

#include <cstdint>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "feacompiler/glyph_node.h"
#include "feacompiler/tables/chain_context.h"
#include "feacompiler/tables/otl_builder.h"

namespace fea {

// Message texts used in more than one place (printf formats).
#define GSUB_LIGATURE_OVERFLOW \
  "Ligature lookup subtable in GSUB feature '%c%c%c%c' causes offset overflow."
#define GSUB_SINGLE_DUPLICATE "Removing duplicate single substitution in '%c%c%c%c' feature: %s"

constexpr uint16_t kGsubExtensionType = 7;

// One substitution: a target sequence (one glyph, or a ligature's components) and its
// replacement glyphs; order is the rule's place in the text.
struct GsubRule {
  std::vector<uint16_t> target;
  std::vector<uint16_t> replacement;
  uint32_t order = 0;
};

// The rules of an anonymous lookup: target sequence -> replacement glyph, one per target.
using AnonRules = std::map<std::vector<uint16_t>, uint16_t>;

struct GsubAnonLookup {
  uint16_t type = 0;  // 1 single, 4 ligature
  uint16_t flag = 0;
  uint16_t markSetIndex = 0;
  uint16_t label = 0;
  AnonRules rules;
};

struct GSUBContext {
  LookupParams cur;
  std::vector<GsubRule> rules;
  std::vector<ChainRule> chainRules;  // chain contextual or reverse chaining, one subtable each
  // Single substitutions keep one rule per target glyph: its place in `rules`.
  std::unordered_map<uint16_t, size_t> singleRuleOf;
  uint64_t ruleBytes = 0;  // what `rules` and `chainRules` hold, charged beside the glyph nodes
  bool breakFlag = false;
  uint16_t featureNameId = 0;
  uint32_t ruleCounter = 0;
  OtlBuilder b{kGsubExtensionType, "substitution",
               "GSUB feature '%c%c%c%c' causes overflow of offset to a subtable (0x%lx)"};
  std::vector<GsubAnonLookup> anon;
  std::vector<std::pair<uint32_t, uint16_t>> featureNames;
};

// Notes a rule dropped for a later one with the same target (`format` takes tag and glyphs).
void gsubNoteDuplicate(coreContext* g, const char* format, uint32_t feature, const GsubRule& r);

// Builders of each lookup type over the collected rules (gsub_subtables.cpp).
void gsubSingleFill(coreContext* g, GSUBContext& h, std::vector<GsubRule>& rules);
void gsubMultipleFill(coreContext* g, GSUBContext& h, std::vector<GsubRule>& rules);
void gsubLigatureFill(coreContext* g, GSUBContext& h, std::vector<GsubRule>& rules);
void gsubChainFill(coreContext* g, GSUBContext& h, bool reverse);

}  // namespace fea
