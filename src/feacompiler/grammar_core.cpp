// Token matching, the attributes of tokens and the number rules of the grammar.
#include <charconv>
#include <limits>

#include "feacompiler/feat_layer.h"
#include "feacompiler/feat_nodes.h"
#include "feacompiler/glyph_map.h"
#include "feacompiler/grammar.h"

namespace fea {

namespace {
constexpr size_t kMaxTokenText = 63;
const char* const kEmptyClass = "empty glyph class";
}  // namespace

void featRuleFile(coreContext* g) {
  Grammar grammar(g);
  grammar.file();
}

void Grammar::syntaxError(std::vector<int> expected) { featSyntaxError(g_, expected); }

void Grammar::expect(int token, int nextMode) {
  if (tok() != token) syntaxError({token});
  advance(nextMode);
}

bool Grammar::isGlyphStart() const {
  int t = tok();
  return t == T_GNAME || t == T_CID || t == T_GCLASS || t == P_LBRACKET;
}

std::string Grammar::nameText() {
  const std::string& t = lex_.text;
  if (lex_.overflow || t.size() > kMaxTokenText) {
    featLexErrorf(g_, "token too long; max length is %d", static_cast<int>(kMaxTokenText));
  }
  std::string name = t;
  if (tok() == T_GNAME && !name.empty() && name[0] == '\\') name.erase(0, 1);
  if (tok() == T_GCLASS && !name.empty() && name[0] == '@') name.erase(0, 1);
  bool badFirst = !name.empty() && ((name[0] >= '0' && name[0] <= '9') || name[0] == '.');
  if (tok() == T_GNAME && name == ".notdef") badFirst = false;
  // A glyph the font has may begin with a period (".null" is common); a leading digit
  // stays refused whatever the font holds.
  if (badFirst && tok() == T_GNAME && name[0] == '.' && mapName2Glyph(g_, name.c_str()) != kNoGlyph)
    badFirst = false;
  if (badFirst) featLexError(g_, "invalid first character in name");
  return name;
}

uint32_t Grammar::tagValue() { return featStringToTag(lex_.text); }

int64_t Grammar::numberValue() {
  const std::string& t = lex_.text;
  int64_t value = 0;
  const char* b = t.data();
  const char* e = t.data() + t.size();
  std::from_chars_result r{};
  if (tok() == T_NUMEXT && t.size() > 2 && t[1] == 'x') r = std::from_chars(b + 2, e, value, 16);
  else if (tok() == T_NUMEXT) r = std::from_chars(b + 1, e, value, 8);
  else r = std::from_chars(b, e, value, 10);
  // Out of range (or not a number at all): the caller's range check refuses it.
  if (r.ec != std::errc() || r.ptr != e) return std::numeric_limits<int64_t>::max();
  return value;
}

int Grammar::numUInt8() {
  if (tok() != T_NUM) syntaxError({T_NUM});
  int64_t v = numberValue();
  if (v < 0 || v > 255) featLexError(g_, "not in range 0 .. 255");
  advance();
  return static_cast<int>(v);
}

int Grammar::numInt16() {
  if (tok() != T_NUM) syntaxError({T_NUM});
  int64_t v = numberValue();
  if (v < -32767 || v > 32767) featLexError(g_, "not in range -32767 .. 32767");
  advance();
  return static_cast<int>(v);
}

int Grammar::numUInt16() {
  if (tok() != T_NUM) syntaxError({T_NUM});
  int64_t v = numberValue();
  if (v < 0 || v > 65535) featLexError(g_, "not in range 0 .. 65535");
  advance();
  return static_cast<int>(v);
}

int Grammar::numUInt16Ext() {
  if (tok() != T_NUM && tok() != T_NUMEXT) syntaxError({T_NUM, T_NUMEXT});
  int64_t v = numberValue();
  if (v < 0 || v > 65535) featLexError(g_, "not in range 0 .. 65535");
  advance();
  return static_cast<int>(v);
}

uint16_t Grammar::glyph(std::string* name) {
  if (tok() == T_CID) {
    int64_t v = 0;
    const std::string& t = lex_.text;
    auto r = std::from_chars(t.data() + 1, t.data() + t.size(), v);
    if (r.ec != std::errc() || v < 0 || v > 65535) featLexError(g_, "not in range 0 .. 65535");
    uint16_t gid = featCIDLookup(g_, static_cast<int>(v));
    advance();
    return gid;
  }
  if (tok() != T_GNAME) syntaxError({T_GNAME, T_CID});
  std::string text = nameText();
  uint16_t gid = featGlyphLookup(g_, text);
  if (name) *name = text;
  advance();
  return gid;
}

// The members of a bracketed list, added to the class being built.
void Grammar::classItems() {
  int items = 0;
  while (tok() == T_GNAME || tok() == T_CID || tok() == T_GCLASS) {
    ++items;
    if (tok() == T_GCLASS) {
      std::string name = nameText();
      featAddClassRef(g_, name, true);
      advance();
      continue;
    }
    std::string first;
    uint16_t firstId = glyph(&first);
    if (tok() == P_HYPHEN) {
      advance();
      std::string last;
      uint16_t lastId = glyph(&last);
      featAddRange(g_, firstId, lastId, first, last);
    } else {
      GlyphNode* n = featNewNode(g_);
      n->gid = firstId;
      featAddNodeToClass(g_, n);
    }
  }
  if (items == 0) syntaxError({T_GNAME, T_CID, T_GCLASS});
}

GlyphNode* Grammar::glyphClass(bool defining) {
  if (tok() == T_GCLASS) {
    std::string name = nameText();
    if (defining) {
      featAddClassRef(g_, name, true);
      advance();
      return nullptr;
    }
    ClassRecord* r = featClassFind(g_, name);
    if (!r) featLexError(g_, "glyph class not defined");
    if (!r->head) featLexError(g_, kEmptyClass);
    GlyphNode* copy = nullptr;
    featGlyphClassCopy(g_, &copy, r->head);
    copy->flags |= GN_CLASS;
    advance();
    return copy;
  }
  if (tok() != P_LBRACKET) syntaxError({T_GCLASS, P_LBRACKET});
  advance();
  if (defining) {
    classItems();
    if (f_.building && f_.building->head) f_.building->head->flags |= GN_CLASS;
    expect(P_RBRACKET);
    return nullptr;
  }
  featClassBegin(g_, "");
  classItems();
  GlyphNode* head = featClassEnd(g_);
  // A range that runs backwards adds nothing: a rule cannot use the empty class.
  if (!head) featLexError(g_, kEmptyClass);
  head->flags |= GN_CLASS;
  expect(P_RBRACKET);
  return head;
}

void Grammar::glyphClassAssign() {
  std::string name = nameText();
  advance();
  expect(P_EQUALS);
  featClassDefine(g_, name, false);
  featClassBegin(g_, name);
  glyphClass(true);
  featClassEnd(g_);
}

}  // namespace fea
