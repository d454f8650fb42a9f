// Substitution and positioning rules: their lookup type, their checks and the hand-over to
// the GSUB and GPOS builders.
#include "feacompiler/feat_layer.h"
#include "feacompiler/feat_nodes.h"
#include "feacompiler/feat_rule_checks.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

namespace {

const char* const kOnlyInAalt =
    "Only single and alternate substitutions are allowed within an 'aalt' feature";

void ruleDone(coreContext* g) {
  FeatContext& f = *g->feat;
  f.prev = f.curr;
  f.newLookup = false;
}

void featAddGSUBRule(coreContext* g, uint32_t type, GlyphNode* target, GlyphNode* repl) {
  FeatContext& f = *g->feat;
  if (f.curr.feature == ot::kTagAalt) {
    if (type == 1 || type == 3) featAaltAddRule(g, target, repl);
    else featMsg(g, kMsgWarning, "%s", kOnlyInAalt);
    return;
  }
  featPrepRule(g, ot::kTagGSUB, type, target, repl);
  if (!g->errorFlag) GSUBRuleAdd(g, target, repl);
  ruleDone(g);
  featRecycleNode(g, target);
  featRecycleNode(g, repl);
}

void featAddGPOSRule(coreContext* g, uint32_t type, GlyphNode* pattern) {
  FeatContext& f = *g->feat;
  bool marked = pattern->flags & GN_PATTERN_MARKED;
  featPrepRule(g, ot::kTagGPOS, marked ? 8 : type, pattern, nullptr);
  if (!g->errorFlag) {
    if (marked) GPOSSetContextTypes(g, 8, type);
    GPOSRuleAdd(g, pattern, featCurrentFile(g), g->line, static_cast<int>(f.anchors.size()),
                f.anchors.data());
  }
  ruleDone(g);
  featRecycleNode(g, pattern);
}

}  // namespace

void featSubstitutionRule(coreContext* g, GlyphNode* target, GlyphNode* repl, int type) {
  FeatContext& f = *g->feat;
  if (markedCount(target)) {
    target->flags |= GN_PATTERN_MARKED;
    type = type == 8 ? 8 : 6;
  }
  if (repl && type != 6 && !(target->flags & GN_IGNORE)) {
    if (type == 8) {
      if (featCheckReverseSub(g, target, repl)) featAddGSUBRule(g, 8, target, repl);
    } else if (type == 3) {
      if (featCheckAlternateSub(g, target, repl)) featAddGSUBRule(g, 3, target, repl);
    } else if (!target->nextSeq) {
      if (repl->nextSeq) {
        if (featCheckMultipleSub(g, target, repl)) featAddGSUBRule(g, 2, target, repl);
      } else if (featCheckSingleSub(g, target, repl)) {
        featAddGSUBRule(g, 1, target, repl);
      }
    } else {
      if (repl->nextSeq || isClassElement(repl)) {
        featMsg(g, kMsgError, "Invalid ligature %srule replacement", "");
        return;
      }
      for (GlyphNode* e = target; e; e = e->nextSeq)
        featAddElementToDefaultClass(g, e, "ZUZ_DEFAULT_COMPONENT_CLASS");
      featAddElementToDefaultClass(g, repl, "ZUZ_LIGATURE_CLASS");
      featAddGSUBRule(g, 4, target, repl);
    }
    return;
  }
  if (g->errorFlag) return;
  // An ignored reverse chain stays a reverse chain.
  uint32_t lookupType = 6;
  if (type == 8 && !repl) {
    if (!featCheckReverseSub(g, target, nullptr)) return;
    lookupType = 8;
  } else if (!featCheckContextSub(g, target, repl)) {
    return;
  }
  if (f.curr.feature == ot::kTagAalt) {
    featMsg(g, kMsgWarning, "%s", kOnlyInAalt);
    return;
  }
  featPrepRule(g, ot::kTagGSUB, lookupType, target, repl);
  if (!g->errorFlag) GSUBRuleAdd(g, target, repl);
  ruleDone(g);
  featRecycleNode(g, target);
  featRecycleNode(g, repl);
}

void featPositionRule(coreContext* g, GlyphNode* pattern, int type, bool enumerate) {
  if (enumerate) pattern->flags |= GN_ENUMERATE;
  const int elements = elementCount(pattern);
  for (GlyphNode* e = pattern; e; e = e->nextSeq) {
    if (e->lookupLabel >= 0 && !(e->flags & GN_MARKED))
      featMsg(g, kMsgError,
              "the glyph which precedes the 'lookup' keyword must be marked as part of the "
              "contextual input sequence");
  }
  if (type == 0) {
    type = 8;
    if (!markedCount(pattern)) pattern->flags |= GN_MARKED;
  }
  const int marked = markedCount(pattern);
  if (marked) pattern->flags |= GN_PATTERN_MARKED;
  if (elements == 2 && !marked && type == 1) type = 2;
  else if (enumerate) featMsg(g, kMsgError, "\"enumerate\" only allowed with pair positionings,");
  const size_t anchorCount = g->feat->anchors.size();
  switch (type) {
    case 1:
      break;
    case 2:
      if (isClassElement(pattern)) featSortGlyphClass(g, &pattern, true);
      if (isClassElement(pattern->nextSeq)) featSortGlyphClass(g, &pattern->nextSeq, true);
      break;
    case 3:
      if (anchorCount != 2) {
        featMsg(g, kMsgError, "The 'cursive' statement requires two anchors. This has %d. Skipping rule.",
                static_cast<int>(anchorCount));
        return;
      }
      if (!marked && (!(pattern->flags & GN_HAS_ANCHOR) || pattern->nextSeq)) {
        featMsg(g, kMsgError,
                "This statement has contextual glyphs around the cursive statement, but no "
                "glyphs are marked as part of the input sequence. Skipping rule.");
        return;
      }
      break;
    case 4:
    case 5:
    case 6: {
      // The glyph that a mark attaches to in a mark-to-mark rule is itself a mark.
      featAddToDefaultClass(g, pattern, type == 5   ? "ZUZ_LIGATURE_CLASS"
                                        : type == 6 ? "ZUZ_DEFAULT_MARK_CLASS"
                                                    : "ZUZ_BASE_CLASS");
      if (!marked && (!(pattern->flags & GN_HAS_ANCHOR) || elements >= 3)) {
        const char* what = type == 4 ? "base-to-mark" : type == 5 ? "ligature" : "mark-to-mark";
        featMsg(g, kMsgError,
                "This statement has contextual glyphs around the %s statement, but no glyphs "
                "are marked as part of the input sequence. Skipping rule.",
                what);
        return;
      }
      if (type == 5 && marked) {
        for (GlyphNode** place = &pattern; *place; place = &(*place)->nextSeq) {
          if ((*place)->flags & GN_LAST_MARK) {
            featSortGlyphClass(g, place, false);
            break;
          }
        }
      }
      break;
    }
    case 8:
      if (!marked) {
        featMsg(g, kMsgError,
                "The 'lookup' keyword can be used only in a contextual statement. At least one "
                "glyph in the sequence must be marked. Skipping rule.");
        return;
      }
      if (!featCheckContextPos(g, pattern)) return;
      break;
    default:
      featMsg(g, kMsgError, "This rule type is not recognized..");
      return;
  }
  // A marked rule of any kind is contextual: its positions are set (and checked) here.
  if (marked && type != 8 && !featCheckContextPos(g, pattern)) return;
  featAddGPOSRule(g, static_cast<uint32_t>(type), pattern);
}

void featAddFeatureParams(coreContext* g, const std::vector<uint16_t>& params) {
  FeatContext& f = *g->feat;
  uint32_t t = f.curr.feature;
  if (t != ot::kTagSize) {
    featMsg(g, kMsgError, "Feature parameter not supported for feature '%c%c%c%c'",
            static_cast<char>(t >> 24), static_cast<char>(t >> 16), static_cast<char>(t >> 8),
            static_cast<char>(t));
    return;
  }
  featPrepRule(g, ot::kTagGPOS, 10, nullptr, nullptr);
  GPOSAddSizeParams(g, params.data(), static_cast<int>(params.size()));
  ruleDone(g);
}

void featAddFeatureNamesParam(coreContext* g, uint16_t nameId) {
  featPrepRule(g, ot::kTagGSUB, 9, nullptr, nullptr);
  GSUBFeatureNameParam(g, nameId);
  ruleDone(g);
}

}  // namespace fea
