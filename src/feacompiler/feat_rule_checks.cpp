// Checks of substitution and positioning rules, and the element positions of contexts.
#include "feacompiler/feat_rule_checks.h"

#include "feacompiler/feat_layer.h"

namespace fea {

bool isClassElement(const GlyphNode* e) { return (e->flags & GN_CLASS) || e->nextCl; }

int elementCount(const GlyphNode* p) {
  int n = 0;
  for (; p; p = p->nextSeq) ++n;
  return n;
}

int memberCount(const GlyphNode* e) {
  int n = 0;
  for (; e; e = e->nextCl) ++n;
  return n;
}

int markedCount(const GlyphNode* p) {
  int n = 0;
  for (; p; p = p->nextSeq) n += (p->flags & GN_MARKED) ? 1 : 0;
  return n;
}

void setPositions(GlyphNode* p) {
  bool seenMarked = false;
  for (GlyphNode* e = p; e; e = e->nextSeq) {
    e->flags &= static_cast<uint16_t>(~(GN_BACKTRACK | GN_INPUT | GN_LOOKAHEAD));
    if (e->flags & GN_MARKED) {
      seenMarked = true;
      e->flags |= GN_INPUT;
    } else {
      e->flags |= seenMarked ? GN_LOOKAHEAD : GN_BACKTRACK;
    }
  }
}

// True when an unmarked element is followed by a marked one after a marked run.
static bool secondMarkedRun(const GlyphNode* p) {
  bool inRun = false, runEnded = false;
  for (; p; p = p->nextSeq) {
    if (p->flags & GN_MARKED) {
      if (runEnded) return true;
      inRun = true;
    } else if (inRun) {
      runEnded = true;
    }
  }
  return false;
}

static void markAll(GlyphNode* p) {
  for (; p; p = p->nextSeq) p->flags |= GN_MARKED;
}

bool featCheckClassLengths(coreContext* g, const GlyphNode* target, const GlyphNode* repl,
                           const char* sub) {
  int t = memberCount(target), r = memberCount(repl);
  if (t == r) return true;
  featMsg(g, kMsgError,
          "Target glyph class in %srule doesn't have the same number of elements as the "
          "replacement class; the target has %d, the replacement, %d",
          sub, t, r);
  return false;
}

bool featCheckSingleSub(coreContext* g, GlyphNode* t, GlyphNode* r) {
  if (markedCount(t)) {
    featMsg(g, kMsgError, "Target must not be marked in this rule");
    return false;
  }
  if (!isClassElement(t)) {
    if (isClassElement(r) || r->nextSeq) {
      featMsg(g, kMsgError, "Replacement in %srule must be a single glyph", "");
      return false;
    }
    return true;
  }
  if (isClassElement(r)) return featCheckClassLengths(g, t, r, "");
  return true;
}

bool featCheckMultipleSub(coreContext* g, GlyphNode* t, GlyphNode* r) {
  if (markedCount(t)) {
    featMsg(g, kMsgError, "Target must not be marked in this rule");
    return false;
  }
  bool ok = !isClassElement(t) && elementCount(r) >= 2 && !markedCount(r);
  for (GlyphNode* e = r; e && ok; e = e->nextSeq) ok = !isClassElement(e);
  if (!ok) featMsg(g, kMsgError, "Invalid multiple substitution rule");
  return ok;
}

bool featCheckAlternateSub(coreContext* g, GlyphNode* t, GlyphNode* r) {
  if (markedCount(t)) {
    featMsg(g, kMsgError, "Target must not be marked in this rule");
    return false;
  }
  if (t->nextSeq || isClassElement(t)) {
    featMsg(g, kMsgError, "Target of alternate substitution %srule must be a single unmarked glyph", "");
    return false;
  }
  if (!r || r->nextSeq || !isClassElement(r)) {
    featMsg(g, kMsgError, "Replacement of alternate substitution %srule must be a glyph class", "");
    return false;
  }
  return true;
}

// An ignore clause: leading unmarked = backtrack, the marked run = input, the rest look-ahead;
// unmarked: the first element is the input.
static bool markIgnoreClause(coreContext* g, GlyphNode* p) {
  if (!markedCount(p)) {
    p->flags |= GN_MARKED;
  } else if (secondMarkedRun(p)) {
    featMsg(g, kMsgError, "ignore clause may have at most one run of marked glyphs");
    return false;
  }
  setPositions(p);
  return true;
}

bool featCheckReverseSub(coreContext* g, GlyphNode* t, GlyphNode* r) {
  if (!r) return markIgnoreClause(g, t);
  const char* onlyOne =
      "Reverse contextual GSUB rule may must have one and only one glyph or class marked for "
      "replacement";
  if (secondMarkedRun(t)) {
    featMsg(g, kMsgError, "%s", onlyOne);
    return false;
  }
  if (!markedCount(t)) markAll(t);
  if (r->nextSeq) {
    featMsg(g, kMsgError, "Reverse contextual GSUB replacement sequence may have only one glyph or class");
    return false;
  }
  if (markedCount(t) != 1) {
    featMsg(g, kMsgError, "%s", onlyOne);
    return false;
  }
  setPositions(t);
  GlyphNode* marked = t;
  while (!(marked->flags & GN_MARKED)) marked = marked->nextSeq;
  return featCheckClassLengths(g, marked, r, "");
}

bool featCheckContextSub(coreContext* g, GlyphNode* t, GlyphNode* r) {
  const char* mustMark =
      "The  direct lookup reference in a contextual substitution clause must be marked as part "
      "of a contextual input sequence.";
  if (t->flags & GN_IGNORE) return markIgnoreClause(g, t);
  if (!r) {
    if (!(t->flags & GN_LOOKUP_REF)) {
      featMsg(g, kMsgError,
              "contextual substitution clause must have a replacement rule or direct lookup "
              "reference.");
      return false;
    }
    if (!markedCount(t)) {
      featMsg(g, kMsgError, "%s", mustMark);
      return false;
    }
  } else if (t->flags & GN_LOOKUP_REF) {
    featMsg(g, kMsgError,
            "contextual substitution clause cannot both have a replacement rule and a direct "
            "lookup reference.");
    return false;
  }
  for (GlyphNode* e = t; e; e = e->nextSeq) {
    if (!(e->flags & GN_MARKED) && e->lookupLabel >= 0) {
      featMsg(g, kMsgError, "%s", mustMark);
      return false;
    }
  }
  if (secondMarkedRun(t)) {
    featMsg(g, kMsgError, "Unsupported contextual GSUB target sequence");
    return false;
  }
  if (!markedCount(t)) markAll(t);
  if (r) {
    if (r->nextSeq) {
      featMsg(g, kMsgError, "Unsupported contextual GSUB replacement sequence");
      return false;
    }
    GlyphNode* first = t;
    while (!(first->flags & GN_MARKED)) first = first->nextSeq;
    if (markedCount(t) > 1) {
      if (isClassElement(r)) {
        featMsg(g, kMsgError, "Invalid ligature %srule replacement", "sub-");
        return false;
      }
    } else if (!first->nextSeq && !isClassElement(first) && isClassElement(r)) {
      featMsg(g, kMsgError, "Contextual alternate rule not yet supported");
      return false;
    } else if (isClassElement(r) && !featCheckClassLengths(g, first, r, "sub-")) {
      return false;
    }
  }
  setPositions(t);
  return true;
}

bool featCheckContextPos(coreContext* g, GlyphNode* p) {
  const int marked = markedCount(p);
  int values = 0, anchors = 0, labels = 0;
  bool seenMarked = false;
  GlyphNode* lastMarked = nullptr;
  bool ok = true;
  for (GlyphNode* e = p; e; e = e->nextSeq) {
    if (e->flags & GN_HAS_ANCHOR) ++anchors;
    if (e->flags & GN_MARKED) {
      seenMarked = true;
      lastMarked = e;
      if (e->valueRecord) ++values;
      if (e->lookupLabel >= 0) ++labels;
      continue;
    }
    if (e->lookupLabel >= 0) {
      featMsg(g, kMsgError,
              "Lookup references are allowed only in the input sequencee: this is the sequence "
              "of marked glyphs.");
      ok = false;
    }
    if (e->flags & GN_LAST_MARK) {
      featMsg(g, kMsgError,
              "The final mark class must be marked as part of the input sequence: this is the "
              "sequence of marked glyphs.");
      ok = false;
    }
    if (e->valueRecord) {
      if (!seenMarked) {
        featMsg(g, kMsgError,
                "Positioning cannot be applied in the bactrack glyph sequence, before the "
                "marked glyph sequence.");
        ok = false;
      } else if (e->nextSeq || marked > 1) {
        featMsg(g, kMsgError,
                "Positioning values are allowed only in the marked glyph sequence, or after "
                "the final glyph node when only one glyph node is marked.");
        ok = false;
      } else {
        lastMarked->valueRecord = e->valueRecord;
        e->valueRecord = nullptr;
        ++values;
      }
    }
  }
  if (secondMarkedRun(p)) {
    featMsg(g, kMsgError,
            "Unsupported contextual GPOS target sequence: only one run of marked glyphs  is "
            "supported.");
    ok = false;
  }
  if (p->flags & GN_IGNORE) {
    if (!marked) p->flags |= GN_MARKED;
  } else if (!values && !anchors && !labels) {
    featMsg(g, kMsgError,
            "Contextual positioning rule must specify a positioning value or a mark attachent "
            "rule ro a direct lookup reference.");
    ok = false;
  }
  setPositions(p);
  return ok;
}

}  // namespace fea
