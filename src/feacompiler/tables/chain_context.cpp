// Chain contextual subtables of GSUB and GPOS.
#include "feacompiler/tables/chain_context.h"

#include <algorithm>

#include "feacompiler/glyph_node.h"

namespace fea {

namespace {

constexpr const char* kWhere = "chain contextual";

}  // namespace

ChainRule chainRuleOf(const GlyphNode* pattern, const std::function<int(const GlyphNode*)>& labelOf) {
  ChainRule rule;
  for (const GlyphNode* e = pattern; e != nullptr; e = e->nextSeq) {
    if (e->flags & GN_BACKTRACK) {
      rule.backtrack.push_back(elementGlyphs(e));
    } else if (e->flags & GN_LOOKAHEAD) {
      rule.lookahead.push_back(elementGlyphs(e));
    } else {
      int label = labelOf(e);
      if (label >= 0) {
        rule.records.emplace_back(static_cast<uint16_t>(rule.input.size()),
                                  static_cast<uint16_t>(label));
      }
      rule.input.push_back(elementGlyphs(e));
    }
  }
  return rule;
}

void chainContextFill(coreContext* g, OtlBuilder& b, const LookupParams& p,
                      const std::vector<ChainRule>& rules, const ChainTexts& texts, bool reverse) {
  bool textOrder = (g->optionFlags & kOptBacktrackInTextOrder) != 0;
  for (const ChainRule& r : rules) {
    size_t index = otlBuilderStart(g, b, p, false);
    OtlTable* t = otlBuilderSections(g, b, index);
    std::vector<uint32_t> bt, in, la;
    for (const auto& e : r.backtrack) bt.push_back(otlCoverageOf(g, t, e));
    for (const auto& e : r.input) in.push_back(otlCoverageOf(g, t, e));
    for (const auto& e : r.lookahead) la.push_back(otlCoverageOf(g, t, e));
    // The backtrack is matched away from the input: the position next to it comes first.
    if (!textOrder) std::reverse(bt.begin(), bt.end());
    otlBuilderRaiseContext(b, r.input.size() + r.lookahead.size());

    BuiltSubtable s;
    if (reverse) {
      put16(s.bytes, 1);
      s.coverage(2, in.empty() ? 0 : in[0], texts.input, kWhere);
      put16(s.bytes, 0);
      s.coverageList(bt, texts.backtrack, kWhere);
      s.coverageList(la, texts.lookahead, kWhere);
      put16(s.bytes, static_cast<uint32_t>(r.substitutes.size()));
      for (uint16_t gid : r.substitutes) put16(s.bytes, gid);
    } else {
      put16(s.bytes, 3);
      s.coverageList(bt, texts.backtrack, kWhere);
      s.coverageList(in, texts.input, kWhere);
      s.coverageList(la, texts.lookahead, kWhere);
      s.lookupRecords(r.records);
    }
    otlBuilderFinish(g, b, index, std::move(s), texts.overflow);
  }
}

}  // namespace fea
