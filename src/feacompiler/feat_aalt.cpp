// The 'aalt' feature: alternates collected from the features it names, built at the end.
#include <algorithm>

#include "feacompiler/feat_layer.h"
#include "feacompiler/feat_nodes.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

namespace {

int aaltIndexOf(const FeatContext& f, uint32_t tag) {
  for (size_t i = 0; i < f.aaltFeatures.size(); ++i) {
    if (f.aaltFeatures[i].tag == tag) return static_cast<int>(i);
  }
  return -1;
}

std::vector<uint16_t> members(const GlyphNode* element) {
  std::vector<uint16_t> ids;
  for (const GlyphNode* n = element; n; n = n->nextCl) ids.push_back(n->gid);
  return ids;
}

}  // namespace

void featAaltAddFeature(coreContext* g, uint32_t tag) {
  FeatContext& f = *g->feat;
  if (f.curr.feature != ot::kTagAalt) {
    featMsg(g, kMsgError, "\"feature\" statement allowed only in 'aalt' feature");
    return;
  }
  if (tag == ot::kTagAalt || aaltIndexOf(f, tag) >= 0) return;
  f.aaltFeatures.push_back({tag, false});
}

void featAaltStore(coreContext* g, GlyphNode* target, GlyphNode* replacement) {
  FeatContext& f = *g->feat;
  if (f.curr.table == ot::kTagGPOS || !replacement) return;
  int index = -1;
  if (f.curr.feature != ot::kTagAalt) {
    index = aaltIndexOf(f, f.curr.feature);
    if (index < 0) return;
  }
  switch (f.curr.lookupType) {
    case 1:
    case 3:
      break;
    case 6: {
      GlyphNode* marked = nullptr;
      for (GlyphNode* e = target; e; e = e->nextSeq) {
        if (e->flags & GN_MARKED) {
          marked = e;
          break;
        }
      }
      if (!marked || (marked->nextSeq && (marked->nextSeq->flags & GN_MARKED))) return;
      target = marked;
      break;
    }
    default:
      return;
  }
  if (index >= 0) {
    AaltFeature& listed = f.aaltFeatures[static_cast<size_t>(index)];
    listed.used = listed.gaveRule = true;
  }
  featAaltAddRule(g, target, replacement);
}

void featAaltAddRule(coreContext* g, GlyphNode* target, GlyphNode* replacement) {
  FeatContext& f = *g->feat;
  int order = f.curr.feature == ot::kTagAalt ? -1 : aaltIndexOf(f, f.curr.feature);
  std::vector<uint16_t> targets = members(target);
  std::vector<uint16_t> repl = members(replacement);
  bool singleTarget = targets.size() == 1 && !(target->flags & GN_CLASS);
  for (size_t i = 0; i < targets.size(); ++i) {
    auto it = std::lower_bound(f.aaltRules.begin(), f.aaltRules.end(), targets[i],
                               [](const AaltRule& r, uint16_t gid) { return r.target < gid; });
    if (it == f.aaltRules.end() || it->target != targets[i])
      it = f.aaltRules.insert(it, AaltRule{targets[i], {}});
    std::vector<uint16_t> alternates;
    if (singleTarget) alternates = repl;
    else if (repl.size() == 1) alternates.push_back(repl[0]);
    else if (i < repl.size()) alternates.push_back(repl[i]);
    for (uint16_t alt : alternates) {
      auto a = std::find_if(it->alternates.begin(), it->alternates.end(),
                            [alt](const AaltAlternate& x) { return x.gid == alt; });
      if (a != it->alternates.end()) a->order = std::min(a->order, order);
      else it->alternates.push_back({alt, order});
    }
  }
}

void featAaltCreate(coreContext* g) {
  FeatContext& f = *g->feat;
  if (f.aaltRules.empty()) return;
  std::vector<AaltRule> rules = f.aaltRules;
  std::stable_partition(rules.begin(), rules.end(),
                        [](const AaltRule& r) { return r.alternates.size() == 1; });
  size_t singles = 0;
  while (singles < rules.size() && rules[singles].alternates.size() == 1) ++singles;
  auto isMultiTarget = [&](uint16_t gid) {
    auto first = rules.begin() + static_cast<long>(singles);
    auto it = std::lower_bound(first, rules.end(), gid,
                               [](const AaltRule& r, uint16_t v) { return r.target < v; });
    return it != rules.end() && it->target == gid;
  };
  // A single alternate that itself has alternates goes to the alternate lookup.
  size_t boundary = singles;
  for (size_t i = singles; i-- > 0;) {
    if (isMultiTarget(rules[i].alternates[0].gid)) {
      AaltRule moved = rules[i];
      rules.erase(rules.begin() + static_cast<long>(i));
      --boundary;
      rules.insert(rules.begin() + static_cast<long>(boundary), moved);
    }
  }
  singles = boundary;
  if (f.langSys.empty()) {
    if (f.fFlags & kLangSysMode) coreMsg(g, kMsgWarning, "[internal] aalt language system unspecified");
    featAddLanguageSystem(g, ot::kTagDFLT, kTagDefaultLanguage, false);
  }
  const LangSysRecord first = f.langSys.front();
  GSUBSetTags(g, first.script, first.language, ot::kTagAalt);
  int ext = f.aaltUseExtension ? 1 : 0;
  uint16_t singleLabel = kLabelNone, altLabel = kLabelNone;
  auto node = [g](uint16_t gid) {
    GlyphNode* n = featNewNode(g);
    n->gid = gid;
    return n;
  };
  if (singles > 0) {
    singleLabel = featNextAnonLabel(g);
    GSUBLookupParams(g, ext, 1, 0, 0, singleLabel);
    for (size_t i = 0; i < singles; ++i) {
      if (g->errorFlag) break;
      GSUBRuleAdd(g, node(rules[i].target), node(rules[i].alternates[0].gid));
    }
    GSUBLookupEnd(g, ot::kTagAalt);
  }
  if (singles < rules.size()) {
    altLabel = featNextAnonLabel(g);
    GSUBLookupParams(g, ext, 3, 0, 0, altLabel);
    for (size_t i = singles; i < rules.size(); ++i) {
      if (g->errorFlag) break;
      std::vector<AaltAlternate> alts = rules[i].alternates;
      std::stable_sort(alts.begin(), alts.end(), [](const AaltAlternate& a, const AaltAlternate& b) {
        return a.order < b.order;
      });
      GlyphNode* head = nullptr;
      GlyphNode** place = &head;
      for (const AaltAlternate& a : alts) {
        *place = node(a.gid);
        place = &(*place)->nextCl;
      }
      head->flags |= GN_CLASS;
      GSUBRuleAdd(g, node(rules[i].target), head);
    }
    GSUBLookupEnd(g, ot::kTagAalt);
  }
  for (size_t i = 1; i < f.langSys.size(); ++i) {
    GSUBSetTags(g, f.langSys[i].script, f.langSys[i].language, ot::kTagAalt);
    if (singleLabel != kLabelNone) {
      GSUBLookupParams(g, ext, 1, 0, 0, static_cast<uint16_t>(singleLabel | kLabelRef));
      GSUBLookupEnd(g, ot::kTagAalt);
    }
    if (altLabel != kLabelNone) {
      GSUBLookupParams(g, ext, 3, 0, 0, static_cast<uint16_t>(altLabel | kLabelRef));
      GSUBLookupEnd(g, ot::kTagAalt);
    }
  }
}

void featAaltCheckFeatures(coreContext* g) {
  const FeatContext& f = *g->feat;
  if (std::find(f.features.begin(), f.features.end(), ot::kTagAalt) != f.features.end()) {
    std::vector<uint32_t> withoutRule;
    for (const AaltFeature& a : f.aaltFeatures) {
      if (!a.gaveRule) withoutRule.push_back(a.tag);
    }
    g->client->aaltOutcome(withoutRule, !f.aaltRules.empty());
  }
  for (const AaltFeature& a : f.aaltFeatures) {
    if (a.used) continue;
    coreMsg(g, kMsgWarning,
            "feature '%c%c%c%c', referenced in aalt feature, either is not defined or had no "
            "rules which could be included in the aalt feature.",
            static_cast<char>(a.tag >> 24), static_cast<char>(a.tag >> 16),
            static_cast<char>(a.tag >> 8), static_cast<char>(a.tag));
  }
}

}  // namespace fea
