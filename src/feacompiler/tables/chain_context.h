// Chain contextual rules as GSUB and GPOS share them: a pattern split into backtrack, input
// and look-ahead positions, and one subtable per rule (format 3 over coverages, or the
// reverse chaining single substitution).
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "feacompiler/tables/otl_builder.h"

namespace fea {

struct ChainRule {
  std::vector<std::vector<uint16_t>> backtrack, input, lookahead;
  std::vector<std::pair<uint16_t, uint16_t>> records;  // (input index, label)
  std::vector<uint16_t> substitutes;                   // reverse chaining: per input glyph
};

// What a table says of its chain subtables: the names of the three coverage lists in
// offset-overflow messages, and the fatal format (taking the feature tag) for a subtable
// section grown past 16-bit offsets.
struct ChainTexts {
  const char* backtrack;
  const char* input;
  const char* lookahead;
  const char* overflow;
};

// The positions of a pattern in text order. `labelOf` tells, for each input element, the
// label of the lookup it calls there, or a negative value for none.
ChainRule chainRuleOf(const GlyphNode* pattern, const std::function<int(const GlyphNode*)>& labelOf);

// One subtable per rule under the lookup `p`: format 3 with its lookup records, or with
// `reverse` format 1 of the reverse chaining single substitution.
void chainContextFill(coreContext* g, OtlBuilder& b, const LookupParams& p,
                      const std::vector<ChainRule>& rules, const ChainTexts& texts, bool reverse);

}  // namespace fea
