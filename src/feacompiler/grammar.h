// The feature-file grammar: recursive descent over one token of lookahead. The current token
// is the lexer's; a rule consumes it with advance(), naming the mode of the next token when
// the grammar (not the lexer) knows it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "feacompiler/feat_context.h"

namespace fea {

class Grammar {
 public:
  explicit Grammar(coreContext* g) : g_(g), f_(*g->feat), lex_(g->feat->lex) {}

  void file();

 private:
  // Tokens.
  int tok() const { return lex_.token; }
  void advance(int mode = -1) { lexNext(g_, mode); }
  [[noreturn]] void syntaxError(std::vector<int> expected);
  void expect(int token, int nextMode = -1);
  bool isGlyphStart() const;

  // Attributes of the current token (checked as they are made).
  std::string nameText();   // glyph name, class name (without "@") or label
  uint32_t tagValue();
  int64_t numberValue();    // T_NUM or T_NUMEXT; INT64_MAX when it does not fit
  int numUInt8();
  int numInt16();
  int numUInt16();
  int numUInt16Ext();
  int metricValue() { return numInt16(); }

  // The file level: top-level statements, feature, lookup and anon blocks, and the
  // statements of a block.
  void topLevelStatement();
  void languageSystem();
  void featureBlock();
  void lookupBlockTopLevel();
  // The block of the main text the parse is in, which errors name.
  void blockBegins(const std::string& name, bool lookup, int line);
  void blockEnds();
  void lookupBlockOrUse();
  void lookupBody(const std::string& name, bool topLevel, bool useExtension);
  bool isFeatureStatementStart() const;
  void featureStatement();
  void scriptAssign();
  void languageAssign();
  void lookupflagAssign();
  void sizeParameters();
  void featureNames();
  void sizeMenuName();
  void nameIds(int& platform, int& encoding, int& language);
  void anonBlock();
  void glyphClassAssign();
  uint16_t glyph(std::string* name);
  GlyphNode* glyphClass(bool defining);
  void classItems();

  // Substitution, positioning and ignore rules, and the mark class, anchor and value
  // record definitions they use.
  GlyphNode* element();
  GlyphNode* pattern(bool marksAllowed);
  void ignoreStatement();
  void substituteStatement();
  void positionStatement();
  GlyphNode* posItem();
  void valueRecord(GlyphNode* element);
  void anchor(int componentIndex);
  GlyphNode* attachElements(GlyphNode**& place);
  void markParts(GlyphNode**& place, bool ligature);
  void markClassStatement();
  void anchorDefStatement();
  void valueRecordDefStatement();

  // Table blocks (BASE, GDEF, head, hhea, name, OS/2, vhea, vmtx).
  void tableBlock();
  void tableBASE();
  void baseAxis();
  void tableGDEF();
  void tableHead();
  void tableHhea();
  void tableName();
  void tableOS2();
  void tableVhea();
  void tableVmtx();
  GlyphNode* gdefClassSlot();

  coreContext* g_;
  FeatContext& f_;
  Lexer& lex_;
};

}  // namespace fea
