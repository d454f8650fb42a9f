// Grammar: substitution and positioning rules, value records, anchors, mark classes and the
// definitions of named anchors and value records.
#include "feacompiler/feat_layer.h"
#include "feacompiler/feat_nodes.h"
#include "feacompiler/grammar.h"

namespace fea {

GlyphNode* Grammar::element() {
  if (tok() == T_GNAME || tok() == T_CID) {
    uint16_t gid = glyph(nullptr);
    GlyphNode* n = featNewNode(g_);
    n->gid = gid;
    return n;
  }
  return glyphClass(false);
}

GlyphNode* Grammar::pattern(bool marksAllowed) {
  GlyphNode* head = nullptr;
  GlyphNode** place = &head;
  while (isGlyphStart()) {
    GlyphNode* e = element();
    if (tok() == P_QUOTE) {
      if (!marksAllowed) featLexError(g_, "cannot mark a replacement glyph pattern");
      e->flags |= GN_MARKED;
      advance();
    }
    *place = e;
    place = &e->nextSeq;
    if (tok() == K_lookup) {
      advance();
      if (tok() != T_LABEL) syntaxError({T_LABEL});
      e->lookupLabel = featGetLabelByName(g_, nameText());
      head->flags |= GN_LOOKUP_REF;
      advance();
    }
  }
  return head;
}

void Grammar::ignoreStatement() {
  advance();
  int kind = tok();
  if (kind != K_substitute && kind != K_reverse && kind != K_position)
    syntaxError({K_substitute, K_reverse, K_position});
  advance();
  f_.anchors.clear();
  for (;;) {
    GlyphNode* p = pattern(true);
    if (!p) syntaxError({T_GNAME, T_GCLASS, P_LBRACKET});
    p->flags |= GN_IGNORE;
    if (kind == K_substitute) featSubstitutionRule(g_, p, nullptr, 6);
    else if (kind == K_reverse) featSubstitutionRule(g_, p, nullptr, 8);
    else featPositionRule(g_, p, 0, false);
    if (tok() != P_COMMA) break;
    advance();
  }
}

void Grammar::substituteStatement() {
  int type = 0;
  if (tok() == K_except) {
    ++f_.exceptCount;
    advance();
    for (;;) {
      GlyphNode* p = pattern(true);
      if (!p) syntaxError({T_GNAME, T_GCLASS, P_LBRACKET});
      p->flags |= GN_IGNORE;
      featSubstitutionRule(g_, p, nullptr, 6);
      if (tok() != P_COMMA) break;
      advance();
    }
    type = 6;
  }
  bool reverse = tok() == K_reverse;
  if (!reverse && tok() != K_substitute) syntaxError({K_substitute, K_reverse});
  advance();
  GlyphNode* target = pattern(true);
  if (!target) syntaxError({T_GNAME, T_GCLASS, P_LBRACKET});
  GlyphNode* repl = nullptr;
  bool given = false;
  if (tok() == K_by || (!reverse && tok() == K_from)) {
    if (tok() == K_from) type = 3;
    given = true;
    advance();
    if (tok() == K_NULL) {
      advance();
    } else {
      repl = pattern(false);
      if (!repl) syntaxError({K_NULL, T_GNAME, T_GCLASS, P_LBRACKET});
    }
  }
  if (reverse) {
    // Without "by" a reverse statement gives nothing to build.
    if (given) featSubstitutionRule(g_, target, repl, 8);
    return;
  }
  featSubstitutionRule(g_, target, repl, type);
}

GlyphNode* Grammar::posItem() {
  GlyphNode* e = element();
  if (tok() == P_QUOTE) {
    e->flags |= GN_MARKED;
    advance();
  }
  return e;
}

void Grammar::valueRecord(GlyphNode* e) {
  FeatValueRecord* v = featNewValueRecord(g_);
  if (tok() == T_NUM) {
    v->count = 1;
    v->values[0] = static_cast<int16_t>(metricValue());
  } else {
    expect(K_BeginValue);
    v->count = 4;
    if (tok() == T_GNAME) {
      featGetValueRecordDef(g_, nameText(), v->values);
      advance();
    } else if (tok() == T_NUM) {
      for (int i = 0; i < 4; ++i) v->values[i] = static_cast<int16_t>(metricValue());
    } else {
      syntaxError({T_GNAME, T_NUM});
    }
    expect(K_EndValue);
  }
  e->valueRecord = v;
}

void Grammar::anchor(int componentIndex) {
  expect(K_BeginValue);
  expect(K_anchor);
  if (tok() == T_NUM) {
    int16_t x = static_cast<int16_t>(metricValue());
    int16_t y = static_cast<int16_t>(metricValue());
    uint16_t cp = 0;
    bool has = false;
    if (tok() == K_contourpoint) {
      advance();
      cp = static_cast<uint16_t>(numUInt16());
      has = true;
    }
    featAddAnchor(g_, x, y, cp, false, has, nullptr, componentIndex);
  } else if (tok() == K_NULL) {
    advance();
    featAddAnchor(g_, 0, 0, 0, true, false, nullptr, componentIndex);
  } else if (tok() == T_GNAME) {
    std::string name = nameText();
    advance();
    featAddAnchor(g_, 0, 0, 0, false, false, &name, componentIndex);
  } else {
    syntaxError({T_NUM, K_NULL, T_GNAME});
  }
  expect(K_EndValue);
}

// The glyphs of an attachment part; the last one carries the anchors.
GlyphNode* Grammar::attachElements(GlyphNode**& place) {
  GlyphNode* last = nullptr;
  while (isGlyphStart()) {
    last = posItem();
    *place = last;
    place = &last->nextSeq;
  }
  if (!last) syntaxError({T_GNAME, T_GCLASS, P_LBRACKET});
  last->flags |= GN_HAS_ANCHOR;
  return last;
}

void Grammar::markParts(GlyphNode**& place, bool ligature) {
  int component = 0;
  GlyphNode* lastCopy = nullptr;
  bool firstCopy = true;
  if (tok() != K_BeginValue) syntaxError({K_BeginValue});
  while (tok() == K_BeginValue) {
    anchor(component);
    expect(K_mark);
    if (tok() != T_GCLASS) syntaxError({T_GCLASS});
    std::string name = nameText();
    featSetAnchorMarkClass(g_, name);
    advance();
    if (ligature && tok() == K_LigatureComponent) {
      ++component;
      advance();
    }
    if (tok() == P_QUOTE) {
      ClassRecord* r = featClassFind(g_, name);
      if (!r || !r->head) featLexError(g_, "glyph class not defined");
      GlyphNode* copy = nullptr;
      featGlyphClassCopy(g_, &copy, r->head);
      copy->flags = static_cast<uint16_t>(GN_CLASS | (firstCopy ? GN_MARKED : 0));
      firstCopy = false;
      *place = copy;
      place = &copy->nextSeq;
      lastCopy = copy;
      advance();
    }
  }
  if (lastCopy) lastCopy->flags |= GN_LAST_MARK;
}

void Grammar::positionStatement() {
  bool enumerate = false;
  if (tok() == K_enumerate) {
    enumerate = true;
    advance();
  }
  expect(K_position);
  f_.anchors.clear();
  GlyphNode* head = nullptr;
  GlyphNode** place = &head;
  GlyphNode* last = nullptr;
  while (isGlyphStart()) {
    last = posItem();
    *place = last;
    place = &last->nextSeq;
  }
  int type;
  switch (tok()) {
    case K_lookup:
      if (!last)
        featLexError(g_, "Glyph or glyph class must precede a lookup reference in a contextual rule.");
      type = 8;
      for (bool labelled = false;;) {
        if (tok() == K_lookup) {
          // One lookup per marked glyph, as in a substitution rule.
          if (labelled) syntaxError({P_SEMI});
          labelled = true;
          advance();
          if (tok() != T_LABEL) syntaxError({T_LABEL});
          last->lookupLabel = featGetLabelByName(g_, nameText());
          advance();
        } else if (isGlyphStart()) {
          labelled = false;
          last = posItem();
          *place = last;
          place = &last->nextSeq;
        } else {
          break;
        }
      }
      break;
    case K_BeginValue:
    case T_NUM:
      if (!last) featLexError(g_, "Glyph or glyph class must precede a value record.");
      type = 1;
      valueRecord(last);
      while (isGlyphStart()) {
        last = posItem();
        *place = last;
        place = &last->nextSeq;
        if (tok() == K_BeginValue || tok() == T_NUM) valueRecord(last);
      }
      break;
    case K_cursive: {
      advance();
      type = 3;
      GlyphNode* e = posItem();
      e->flags |= GN_HAS_ANCHOR;
      *place = e;
      place = &e->nextSeq;
      anchor(0);
      anchor(0);
      break;
    }
    case K_markBase:
    case K_mark:
      type = tok() == K_markBase ? 4 : 6;
      advance();
      attachElements(place);
      markParts(place, false);
      break;
    case K_markLigature:
      type = 5;
      advance();
      attachElements(place);
      markParts(place, true);
      break;
    default:
      syntaxError({K_lookup, K_BeginValue, T_NUM, K_cursive, K_markBase, K_markLigature, K_mark});
  }
  if (type >= 3 && type <= 6) {
    while (isGlyphStart()) {
      GlyphNode* e = posItem();
      *place = e;
      place = &e->nextSeq;
    }
  }
  featPositionRule(g_, head, type, enumerate);
}

void Grammar::markClassStatement() {
  advance();
  f_.anchors.clear();
  GlyphNode* glyphs = element();
  anchor(0);
  if (tok() != T_GCLASS) syntaxError({T_GCLASS});
  std::string name = nameText();
  advance();
  featAddMarkClass(g_, glyphs, name);
}

void Grammar::anchorDefStatement() {
  advance();
  int16_t x = static_cast<int16_t>(metricValue());
  int16_t y = static_cast<int16_t>(metricValue());
  uint16_t cp = 0;
  bool has = false;
  while (tok() == K_contourpoint) {
    advance();
    cp = static_cast<uint16_t>(numUInt16());
    has = true;
  }
  if (tok() != T_GNAME) syntaxError({K_contourpoint, T_GNAME});
  std::string name = nameText();
  advance();
  featAddAnchorDef(g_, x, y, cp, has, name);
}

void Grammar::valueRecordDefStatement() {
  advance();
  int16_t values[4] = {0, 0, 0, 0};
  if (tok() == K_BeginValue) {
    advance();
    for (int i = 0; i < 4; ++i) values[i] = static_cast<int16_t>(metricValue());
    expect(K_EndValue);
  } else if (tok() == T_NUM) {
    values[2] = static_cast<int16_t>(metricValue());
  } else {
    syntaxError({K_BeginValue, T_NUM});
  }
  if (tok() != T_GNAME) syntaxError({T_GNAME});
  std::string name = nameText();
  advance();
  featAddValueRecordDef(g_, values, name);
}

}  // namespace fea
