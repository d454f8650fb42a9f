// GSUB builder: the substitution rules of the feature file grouped into lookups and
// subtables, written as a binary GSUB table.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "feacompiler/glyph_node.h"
#include "feacompiler/tables/otl_builder.h"

namespace fea {

// Message texts used in more than one place (printf formats).
#define GSUB_LIGATURE_OVERFLOW \
  "Ligature lookup subtable in GSUB feature '%c%c%c%c' causes offset overflow."

// One substitution: a target sequence (one glyph, or a ligature's components) and its
// replacement glyphs; order is the rule's place in the text.
struct GsubRule {
  std::vector<uint16_t> target;
  std::vector<uint16_t> replacement;
  uint32_t order = 0;
};

// A chain contextual or reverse chaining rule, one subtable each.
struct GsubChainRule {
  std::vector<std::vector<uint16_t>> backtrack, input, lookahead;
  std::vector<std::pair<uint16_t, uint16_t>> records;  // (sequence index, label)
  std::vector<uint16_t> substitutes;                   // reverse chaining: per input glyph
};

struct GsubAnonLookup {
  uint16_t type = 0;  // 1 single, 4 ligature
  uint16_t flag = 0;
  uint16_t markSetIndex = 0;
  uint16_t label = 0;
  std::vector<GsubRule> rules;
};

struct GSUBContext {
  LookupParams cur;
  std::vector<GsubRule> rules;
  std::vector<GsubChainRule> chainRules;
  bool breakFlag = false;
  uint16_t featureNameId = 0;
  uint32_t ruleCounter = 0;
  OtlBuilder b;
  std::vector<GsubAnonLookup> anon;
  std::vector<std::pair<uint32_t, uint16_t>> featureNames;
  int maxContext = 0;
};

// Builders of each lookup type over the collected rules (gsub_subtables.cpp).
void gsubSingleFill(coreContext* g, GSUBContext& h, std::vector<GsubRule>& rules);
void gsubMultipleFill(coreContext* g, GSUBContext& h, std::vector<GsubRule>& rules);
void gsubLigatureFill(coreContext* g, GSUBContext& h, std::vector<GsubRule>& rules);
void gsubChainFill(coreContext* g, GSUBContext& h, bool reverse);

}  // namespace fea
