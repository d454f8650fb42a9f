// GSUB module: lookups, rule intake, anonymous lookups of inline replacements, fill and write.
#include "feacompiler/tables/gsub_builder.h"

#include <algorithm>
#include <cstdio>

#include "feacompiler/feat_nodes.h"
#include "feacompiler/tables/misc_modules.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

std::vector<uint16_t> elementGlyphs(const GlyphNode* element) {
  std::vector<uint16_t> glyphs;
  for (const GlyphNode* n = element; n != nullptr; n = n->nextCl) glyphs.push_back(n->gid);
  return glyphs;
}

void GSUBNew(coreContext* g) { otlContextNew(g->gsub); }
void GSUBFree(coreContext* g) { otlContextFree(g->gsub); }
void GSUBReuse(coreContext* g) { otlContextReuse(g, *g->gsub); }

void GSUBSetTags(coreContext* g, uint32_t script, uint32_t language, uint32_t feature) {
  GSUBContext& h = *g->gsub;
  h.cur.script = script;
  h.cur.language = language;
  h.cur.feature = feature;
}

void GSUBLookupParams(coreContext* g, int useExtension, uint32_t type, uint32_t flag,
                      uint16_t markSetIndex, uint16_t label) {
  GSUBContext& h = *g->gsub;
  h.cur.useExtension = useExtension != 0;
  h.cur.type = static_cast<uint16_t>(type);
  h.cur.flag = static_cast<uint16_t>(flag);
  h.cur.markSetIndex = markSetIndex;
  h.cur.label = label;
  // A "subtable" statement before the first rule of a lookup breaks nothing.
  h.breakFlag = false;
}

void GSUBSubtableBreak(coreContext* g) { g->gsub->breakFlag = true; }

void GSUBAddFeatureName(coreContext* g, uint32_t feature, uint16_t nameId) {
  g->gsub->featureNames.emplace_back(feature, nameId);
}

int GSUBMaxContext(coreContext* g) { return g->gsub->b.maxContext; }

void GSUBFeatureNameParam(coreContext* g, uint16_t nameId) {
  GSUBContext& h = *g->gsub;
  h.featureNameId = nameId;
  size_t index = otlBuilderStart(g, h.b, h.cur, true);
  BuiltSubtable built;
  put16(built.bytes, 0);
  put16(built.bytes, nameId);
  otlBuilderFinish(g, h.b, index, std::move(built));
}

namespace {

// Memory of a block of `bytes` on the heap; the allocator gives no block under 32 bytes.
uint64_t blockBytes(uint64_t bytes) { return ot::limits::heapBytes(std::max<uint64_t>(bytes, 16)); }

// What a rule record takes: itself (twice, for the list's room to grow) and its glyph lists.
uint64_t recordBytes(const GsubRule& r) {
  return 2 * sizeof(GsubRule) + blockBytes(2 * r.target.size()) +
         blockBytes(2 * r.replacement.size());
}
uint64_t recordBytes(const ChainRule& r) {
  uint64_t bytes = 2 * sizeof(ChainRule) + blockBytes(4 * r.records.size()) +
                   blockBytes(2 * r.substitutes.size());
  for (const auto* side : {&r.backtrack, &r.input, &r.lookahead}) {
    bytes += blockBytes(sizeof(std::vector<uint16_t>) * side->size());
    for (const auto& position : *side) bytes += blockBytes(2 * position.size());
  }
  return bytes;
}

std::string lookupRefused(const GSUBContext& h) {
  char text[64];
  std::snprintf(text, sizeof text, "GSUB feature '%c%c%c%c': lookup refused",
                OTL_TAG_ARGS(h.cur.feature));
  return text;
}

// Charges a record kept until its lookup is built; one past the compiler's bound is fatal.
template <class Rule>
void keepRecord(coreContext* g, GSUBContext& h, const Rule& r) {
  const uint64_t bytes = recordBytes(r);
  h.ruleBytes += bytes;
  featTakeRuleBytes(g, bytes, lookupRefused(h));
}

// Adds a single substitution: a target glyph given again keeps one rule, the later
// replacement, and the earlier one is noted as dropped.
void addSingle(coreContext* g, GSUBContext& h, uint16_t target, uint16_t replacement) {
  auto [at, added] = h.singleRuleOf.try_emplace(target, h.rules.size());
  if (!added) {
    GsubRule& old = h.rules[at->second];
    gsubNoteDuplicate(g, GSUB_SINGLE_DUPLICATE, h.cur.feature, old);
    old.replacement[0] = replacement;
    old.order = h.ruleCounter++;
    return;
  }
  h.rules.push_back({{target}, {replacement}, h.ruleCounter++});
  keepRecord(g, h, h.rules.back());
}

// More ligatures than a 16-bit subtable can hold: refused before they are expanded.
constexpr uint64_t kMaxLigatures = ot::limits::kMaxCompilerOffset16 / 6;

// Every component sequence the elements spell, the first element varying fastest. More
// ligatures than a 16-bit subtable can hold are fatal before they are made.
std::vector<std::vector<uint16_t>> ligatureSequences(coreContext* g,
                                                     const std::vector<const GlyphNode*>& elements,
                                                     uint32_t feature) {
  uint64_t count = 1;
  for (const GlyphNode* e : elements) {
    uint64_t n = 0;
    for (const GlyphNode* m = e; m != nullptr; m = m->nextCl) ++n;
    count *= n;
    if (count > kMaxLigatures) coreMsg(g, kMsgFatal, GSUB_LIGATURE_OVERFLOW, OTL_TAG_ARGS(feature));
  }
  std::vector<std::vector<uint16_t>> seqs{{}};
  for (const GlyphNode* e : elements) {
    std::vector<std::vector<uint16_t>> next;
    for (uint16_t gid : elementGlyphs(e)) {
      for (const auto& s : seqs) {
        next.push_back(s);
        next.back().push_back(gid);
      }
    }
    seqs = std::move(next);
  }
  return seqs;
}

// Whether an inline replacement's rules can join an anonymous lookup: no target there with
// another replacement and, for ligatures, no component sequence that is a proper prefix of
// another (sequences already there with the same replacement are skipped).
bool anonRulesFit(const AnonRules& there, const AnonRules& rules) {
  for (const auto& [target, replacement] : rules) {
    auto at = there.lower_bound(target);
    if (at != there.end() && at->first == target) {
      if (at->second != replacement) return false;
      continue;
    }
    // Sequences that start with this one follow it in order.
    if (at != there.end() && at->first.size() > target.size() &&
        std::equal(target.begin(), target.end(), at->first.begin()))
      return false;
    std::vector<uint16_t> prefix;
    for (size_t n = 1; n < target.size(); ++n) {
      prefix.push_back(target[n - 1]);
      if (there.count(prefix) != 0) return false;
    }
  }
  return true;
}

// What an anonymous lookup keeps of a rule: a node of its map and the target's glyphs.
uint64_t anonRecordBytes(const std::vector<uint16_t>& target) {
  return blockBytes(sizeof(AnonRules::value_type) + 4 * sizeof(void*)) +
         blockBytes(2 * target.size());
}

// Stores an inline replacement of a contextual rule in an anonymous lookup; returns its label.
uint16_t gsubAddAnonLookup(coreContext* g, GSUBContext& h, const std::vector<const GlyphNode*>& marked,
                           const GlyphNode* replacement) {
  AnonRules rules;
  uint16_t type;
  if (marked.size() == 1) {
    type = 1;
    std::vector<uint16_t> targets = elementGlyphs(marked[0]);
    std::vector<uint16_t> repl = elementGlyphs(replacement);
    for (size_t i = 0; i < targets.size(); ++i) {
      rules[{targets[i]}] = repl.empty() ? targets[i] : repl[std::min(i, repl.size() - 1)];
    }
  } else {
    type = 4;
    for (auto& s : ligatureSequences(g, marked, h.cur.feature)) rules[std::move(s)] = replacement->gid;
  }
  const auto keep = [&](const std::vector<uint16_t>& target) {
    featTakeRuleBytes(g, anonRecordBytes(target), lookupRefused(h));
  };

  if (!h.anon.empty()) {
    GsubAnonLookup& last = h.anon.back();
    if (last.type == type && last.flag == h.cur.flag && last.markSetIndex == h.cur.markSetIndex &&
        anonRulesFit(last.rules, rules)) {
      for (auto& [target, r] : rules) {
        if (last.rules.emplace(target, r).second) keep(target);
      }
      return last.label;
    }
  }
  for (const auto& rule : rules) keep(rule.first);
  GsubAnonLookup a;
  a.type = type;
  a.flag = h.cur.flag;
  a.markSetIndex = h.cur.markSetIndex;
  a.label = featNextAnonLabel(g);
  a.rules = std::move(rules);
  h.anon.push_back(std::move(a));
  return h.anon.back().label;
}

void gsubChainAdd(coreContext* g, GSUBContext& h, const GlyphNode* target,
                  const GlyphNode* replacement, bool reverse) {
  std::vector<const GlyphNode*> marked;  // the input elements
  ChainRule rule = chainRuleOf(target, [&](const GlyphNode* e) {
    marked.push_back(e);
    return reverse ? -1 : e->lookupLabel;
  });
  if (reverse) {
    // Without a replacement (an ignore clause) every glyph stands for itself.
    std::vector<uint16_t> repl = replacement ? elementGlyphs(replacement) : std::vector<uint16_t>{};
    const std::vector<uint16_t> in = rule.input.empty() ? std::vector<uint16_t>{} : rule.input[0];
    std::vector<std::pair<uint16_t, uint16_t>> pairs;
    for (size_t i = 0; i < in.size(); ++i) {
      uint16_t r = repl.empty() ? in[i] : repl[std::min(i, repl.size() - 1)];
      pairs.emplace_back(in[i], r);
    }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    // One substitute per covered glyph: the last given wins.
    std::vector<std::pair<uint16_t, uint16_t>> unique;
    for (const auto& p : pairs) {
      if (!unique.empty() && unique.back().first == p.first) {
        unique.back() = p;
      } else {
        unique.push_back(p);
      }
    }
    if (!rule.input.empty()) rule.input[0].clear();
    for (const auto& p : unique) {
      rule.input[0].push_back(p.first);
      rule.substitutes.push_back(p.second);
    }
  } else if (replacement != nullptr && !marked.empty()) {
    rule.records.clear();
    rule.records.emplace_back(0, gsubAddAnonLookup(g, h, marked, replacement));
  }
  h.chainRules.push_back(std::move(rule));
  keepRecord(g, h, h.chainRules.back());
}

// Ends the current lookup's rules; their memory goes back (a cleared list would keep it).
void gsubRulesClear(coreContext* g, GSUBContext& h) {
  h.rules = {};
  h.chainRules = {};
  h.singleRuleOf = {};
  featReleaseRuleBytes(g, h.ruleBytes);
  h.ruleBytes = 0;
  h.breakFlag = false;
}

}  // namespace

void GSUBRuleAdd(coreContext* g, GlyphNode* target, GlyphNode* replacement) {
  GSUBContext& h = *g->gsub;
  if (h.breakFlag) {
    h.breakFlag = false;
    if (!h.rules.empty() || !h.chainRules.empty()) GSUBLookupEnd(g, h.cur.feature);
  }
  if (target == nullptr) return;
  switch (h.cur.type) {
    case 1: {
      std::vector<uint16_t> targets = elementGlyphs(target);
      std::vector<uint16_t> repl = elementGlyphs(replacement);
      if (repl.empty()) return;
      for (size_t i = 0; i < targets.size(); ++i) {
        addSingle(g, h, targets[i], repl[std::min(i, repl.size() - 1)]);
      }
      break;
    }
    case 2: {
      std::vector<uint16_t> seq;
      for (const GlyphNode* e = replacement; e != nullptr; e = e->nextSeq) seq.push_back(e->gid);
      h.rules.push_back({{target->gid}, seq, h.ruleCounter++});
      keepRecord(g, h, h.rules.back());
      break;
    }
    case 3:
      h.rules.push_back({{target->gid}, elementGlyphs(replacement), h.ruleCounter++});
      keepRecord(g, h, h.rules.back());
      break;
    case 4: {
      std::vector<const GlyphNode*> elements;
      for (const GlyphNode* e = target; e != nullptr; e = e->nextSeq) elements.push_back(e);
      std::vector<std::vector<uint16_t>> seqs = ligatureSequences(g, elements, h.cur.feature);
      uint16_t lig = replacement ? replacement->gid : 0;
      for (auto& s : seqs) {
        h.rules.push_back({std::move(s), {lig}, h.ruleCounter++});
        keepRecord(g, h, h.rules.back());
      }
      break;
    }
    case 6:
    case 8:
      gsubChainAdd(g, h, target, replacement, h.cur.type == 8);
      break;
    default:
      break;  // refused at lookup end
  }
}

void GSUBLookupEnd(coreContext* g, uint32_t feature) {
  GSUBContext& h = *g->gsub;
  LookupBuildScope building(g);
  if (otlIsReference(h.cur.label)) {
    otlBuilderStart(g, h.b, h.cur, h.cur.type == 9);
    return;
  }
  if (g->errorFlag) {
    gsubRulesClear(g, h);
    return;
  }
  if (feature != h.cur.feature) {
    coreMsg(g, kMsgFatal, "Empty lookup in feature '%c%c%c%c'", OTL_TAG_ARGS(feature));
  }
  if (h.rules.empty() && h.chainRules.empty() && h.cur.type != 9) {
    coreMsg(g, kMsgFatal, "Empty GSUB lookup in feature '%c%c%c%c'", OTL_TAG_ARGS(feature));
  }
  switch (h.cur.type) {
    case 1:
      gsubSingleFill(g, h, h.rules);
      break;
    case 2:
    case 3:
      gsubMultipleFill(g, h, h.rules);
      break;
    case 4:
      gsubLigatureFill(g, h, h.rules);
      break;
    case 6:
      gsubChainFill(g, h, false);
      break;
    case 8:
      gsubChainFill(g, h, true);
      break;
    case 9: {
      static constexpr NameDefaultsTexts kTexts = {
          "Missing both Mac and Windows default names for feature name  nameid %i",
          "Missing Windows default name for for feature name  nameid %i",
          "Missing Mac default name for for feature name  nameid %i"};
      nameDefaultsCheck(g, h.featureNameId, kTexts);
      break;
    }
    case 5:
      coreMsg(g, kMsgFatal, "unsupported GSUB lkpType <%d>", h.cur.type);
      break;
    default:
      coreMsg(g, kMsgFatal, "unknown GSUB lkpType <%d>", h.cur.type);
      break;
  }
  otlBuilderSectionCheck(g, h.b, h.cur.feature);
  gsubRulesClear(g, h);
}

int GSUBFill(coreContext* g) {
  GSUBContext& h = *g->gsub;
  if (h.b.subtables.empty()) return 0;
  std::vector<GsubAnonLookup> anon = std::move(h.anon);
  h.anon.clear();
  for (GsubAnonLookup& a : anon) {
    h.cur = LookupParams();
    h.cur.type = a.type;
    h.cur.flag = a.flag;
    h.cur.markSetIndex = a.markSetIndex;
    h.cur.label = a.label;
    std::vector<GsubRule> rules;
    while (!a.rules.empty()) {
      auto rule = a.rules.extract(a.rules.begin());
      rules.push_back({std::move(rule.key()), {rule.mapped()}, 0});
    }
    if (a.type == 1) {
      gsubSingleFill(g, h, rules);
    } else {
      gsubLigatureFill(g, h, rules);
    }
  }
  otlBuilderFill(g, h.b);
  OS_2RaiseMaxContext(g, h.b.maxContext);
  return 1;
}

void GSUBWrite(coreContext* g) { otlBuilderWrite(g, g->gsub->b); }

}  // namespace fea
