// GSUB subtables: single, multiple and alternate, ligature, chain contextual and reverse
// chaining single substitution.
#include <algorithm>

#include "feacompiler/feat_nodes.h"
#include "feacompiler/tables/gsub_builder.h"

namespace fea {

void gsubNoteDuplicate(coreContext* g, const char* format, uint32_t feature, const GsubRule& r) {
  for (size_t i = 0; i < r.target.size(); ++i) {
    featGlyphNoteAppend(g, r.target[i], i + 1 < r.target.size() ? ' ' : -1);
  }
  std::string text = g->note;
  coreMsg(g, kMsgNote, format, OTL_TAG_ARGS(feature), text.c_str());
}

namespace {

// Of neighbouring rules that `same` finds alike, the last in text order stays; each one
// dropped is noted with `format`.
template <class Same>
void keepLastOfAlike(coreContext* g, const GSUBContext& h, std::vector<GsubRule>& rules,
                     const char* format, Same same) {
  std::vector<GsubRule> kept;
  kept.reserve(rules.size());
  for (GsubRule& r : rules) {
    if (!kept.empty() && same(kept.back(), r)) {
      gsubNoteDuplicate(g, format, h.cur.feature, kept.back());
      kept.back() = std::move(r);
    } else {
      kept.push_back(std::move(r));
    }
  }
  rules = std::move(kept);
}

// Sorts by target; of rules with the same target the last in text order stays.
void dropDuplicateTargets(coreContext* g, const GSUBContext& h, std::vector<GsubRule>& rules,
                          const char* format) {
  std::stable_sort(rules.begin(), rules.end(), [](const GsubRule& a, const GsubRule& b) {
    return a.target[0] < b.target[0];
  });
  keepLastOfAlike(g, h, rules, format,
                  [](const GsubRule& a, const GsubRule& b) { return a.target[0] == b.target[0]; });
}

}  // namespace

void gsubSingleFill(coreContext* g, GSUBContext& h, std::vector<GsubRule>& rules) {
  otlBuilderRaiseContext(h.b, 1);
  dropDuplicateTargets(g, h, rules, GSUB_SINGLE_DUPLICATE);
  size_t index = otlBuilderStart(g, h.b, h.cur, false);
  OtlTable* t = otlBuilderSections(g, h.b, index);
  std::vector<uint16_t> targets;
  for (const GsubRule& r : rules) targets.push_back(r.target[0]);
  uint32_t cov = otlCoverageOf(g, t, targets);
  int delta = rules.empty() ? 0 : rules[0].replacement[0] - rules[0].target[0];
  bool sameDelta = std::all_of(rules.begin(), rules.end(), [&](const GsubRule& r) {
    return r.replacement[0] - r.target[0] == delta;
  });
  BuiltSubtable s;
  put16(s.bytes, sameDelta ? 1 : 2);
  s.coverage(2, cov, "Coverage", "single");
  put16(s.bytes, 0);
  if (sameDelta) {
    put16(s.bytes, static_cast<uint16_t>(delta));
  } else {
    put16(s.bytes, static_cast<uint32_t>(rules.size()));
    for (const GsubRule& r : rules) put16(s.bytes, r.replacement[0]);
  }
  otlBuilderFinish(g, h.b, index, std::move(s));
}

void gsubMultipleFill(coreContext* g, GSUBContext& h, std::vector<GsubRule>& rules) {
  otlBuilderRaiseContext(h.b, 1);
  dropDuplicateTargets(g, h, rules,
                       "Duplicate target glyph for alternate substitution in '%c%c%c%c' feature: %s");
  const char* where = h.cur.type == 2 ? "multiple" : "alternate";
  size_t first = 0;
  while (first < rules.size()) {
    // Take rules while the subtable stays within 16-bit offsets.
    uint64_t size = 6;
    size_t last = first;
    while (last < rules.size()) {
      uint64_t next = size + 4 + 2 * rules[last].replacement.size();
      if (next > ot::limits::kMaxCompilerOffset16 && last > first) break;
      size = next;
      ++last;
    }
    size_t index = otlBuilderStart(g, h.b, h.cur, false);
    OtlTable* t = otlBuilderSections(g, h.b, index);
    std::vector<uint16_t> targets;
    for (size_t i = first; i < last; ++i) targets.push_back(rules[i].target[0]);
    uint32_t cov = otlCoverageOf(g, t, targets);
    BuiltSubtable s;
    put16(s.bytes, 1);
    s.coverage(2, cov, "Coverage", where);
    put16(s.bytes, 0);
    put16(s.bytes, static_cast<uint32_t>(last - first));
    uint64_t pos = 6 + 2 * (last - first);
    for (size_t i = first; i < last; ++i) {
      put16(s.bytes, otlOffset16(g, pos, "Sequence", where, "substitution"));
      pos += 2 + 2 * rules[i].replacement.size();
    }
    for (size_t i = first; i < last; ++i) {
      put16(s.bytes, static_cast<uint32_t>(rules[i].replacement.size()));
      for (uint16_t gid : rules[i].replacement) put16(s.bytes, gid);
    }
    otlBuilderFinish(g, h.b, index, std::move(s));
    first = last;
  }
}

void gsubLigatureFill(coreContext* g, GSUBContext& h, std::vector<GsubRule>& rules) {
  std::stable_sort(rules.begin(), rules.end(), [](const GsubRule& a, const GsubRule& b) {
    if (a.target[0] != b.target[0]) return a.target[0] < b.target[0];
    if (a.target.size() != b.target.size()) return a.target.size() > b.target.size();
    return a.target < b.target;
  });
  // Equal component sequences: the last in text order stays.
  keepLastOfAlike(g, h, rules, "Removing duplicate ligature substitution in '%c%c%c%c' feature: %s",
                  [](const GsubRule& a, const GsubRule& b) { return a.target == b.target; });
  for (const GsubRule& r : rules) otlBuilderRaiseContext(h.b, r.target.size());

  size_t index = otlBuilderStart(g, h.b, h.cur, false);
  OtlTable* t = otlBuilderSections(g, h.b, index);
  std::vector<size_t> setStart;
  for (size_t i = 0; i < rules.size(); ++i) {
    if (i == 0 || rules[i].target[0] != rules[i - 1].target[0]) setStart.push_back(i);
  }
  std::vector<uint16_t> firsts;
  for (size_t i : setStart) firsts.push_back(rules[i].target[0]);
  uint32_t cov = otlCoverageOf(g, t, firsts);

  BuiltSubtable s;
  put16(s.bytes, 1);
  s.coverage(2, cov, "Coverage", "ligature");
  put16(s.bytes, 0);
  put16(s.bytes, static_cast<uint32_t>(setStart.size()));
  uint64_t pos = 6 + 2 * setStart.size();
  Bytes sets;
  bool overflow = false;
  for (size_t k = 0; k < setStart.size(); ++k) {
    size_t from = setStart[k];
    size_t to = k + 1 < setStart.size() ? setStart[k + 1] : rules.size();
    if (pos > ot::limits::kMaxCompilerOffset16) overflow = true;
    put16(s.bytes, static_cast<uint16_t>(pos));
    uint64_t ligPos = 2 + 2 * (to - from);
    put16(sets, static_cast<uint32_t>(to - from));
    for (size_t i = from; i < to; ++i) {
      if (ligPos > ot::limits::kMaxCompilerOffset16) overflow = true;
      put16(sets, static_cast<uint16_t>(ligPos));
      ligPos += 4 + 2 * (rules[i].target.size() - 1);
    }
    for (size_t i = from; i < to; ++i) {
      put16(sets, rules[i].replacement[0]);
      put16(sets, static_cast<uint32_t>(rules[i].target.size()));
      for (size_t c = 1; c < rules[i].target.size(); ++c) put16(sets, rules[i].target[c]);
    }
    pos += ligPos;
  }
  if (overflow || pos > ot::limits::kMaxCompilerOffset16) {
    coreMsg(g, kMsgFatal, GSUB_LIGATURE_OVERFLOW,
            OTL_TAG_ARGS(h.cur.feature));
  }
  s.bytes.insert(s.bytes.end(), sets.begin(), sets.end());
  otlBuilderFinish(g, h.b, index, std::move(s));
}

void gsubChainFill(coreContext* g, GSUBContext& h, bool reverse) {
  static constexpr ChainTexts kChain = {
      "Coverage", "Coverage", "Coverage",
      "Chain contextual lookup subtable in GSUB feature '%c%c%c%c' causes offset overflow."};
  static constexpr ChainTexts kReverse = {
      "Coverage", "Coverage", "Coverage",
      "Reverse Chain contextual lookup subtable in GSUB feature '%c%c%c%c' causes offset overflow."};
  chainContextFill(g, h.b, h.cur, h.chainRules, reverse ? kReverse : kChain, reverse);
}

}  // namespace fea
