// Grammar: the file level, feature and lookup blocks and the statements of a block.
#include <charconv>

#include "feacompiler/feat_layer.h"
#include "feacompiler/grammar.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

namespace {
constexpr size_t kMaxSizeParameters = 256;
}  // namespace

void Grammar::file() {
  int items = 0;
  for (;; ++items) {
    switch (tok()) {
      case T_GCLASS: case K_languagesystem: case K_markClass: case K_anchordef:
      case K_valueRecordDef: case P_SEMI:
        topLevelStatement();
        continue;
      case K_feature: featureBlock(); continue;
      case K_table: tableBlock(); continue;
      case K_anon: anonBlock(); continue;
      case K_lookup: lookupBlockTopLevel(); continue;
      default: break;
    }
    break;
  }
  if (items == 0) coreMsg(g_, 1, "empty data file");
  if (tok() != Eof) featMsg(g_, 3, "%s (text was \"%s\")", "expecting EOF", lex_.text.c_str());
}

void Grammar::topLevelStatement() {
  switch (tok()) {
    case T_GCLASS: glyphClassAssign(); break;
    case K_languagesystem: languageSystem(); break;
    case K_markClass: markClassStatement(); break;
    case K_anchordef: anchorDefStatement(); break;
    case K_valueRecordDef: valueRecordDefStatement(); break;
    default: break;
  }
  expect(P_SEMI);
}

void Grammar::languageSystem() {
  advance();
  if (tok() != T_TAG) syntaxError({T_TAG});
  uint32_t script = tagValue();
  advance(kModeTag);
  if (tok() != T_TAG) syntaxError({T_TAG});
  uint32_t language = tagValue();
  advance();
  featAddLanguageSystem(g_, script, language, true);
}

void Grammar::featureBlock() {
  // Errors report the block they are in, when it is one of the caller's text.
  const int firstLine = g_->line;
  advance();
  if (tok() != T_TAG) syntaxError({T_TAG});
  uint32_t tag = tagValue();
  std::string text = lex_.text;
  blockBegins(text, false, firstLine);
  advance();
  featTagBlock(g_, tag, 1, true, text);
  f_.featNameId = 0;
  if (tok() == K_useExtension) {
    advance();
    featUseExtension(g_, false);
  }
  expect(P_LBRACE);
  int items = 0;
  for (;; ++items) {
    if (tok() == K_lookup) lookupBlockOrUse();
    else if (isFeatureStatementStart()) featureStatement();
    else break;
  }
  if (items == 0 || tok() != P_RBRACE)
    syntaxError(items == 0 ? std::vector<int>{K_lookup, K_substitute, K_position, P_SEMI}
                           : std::vector<int>{P_RBRACE});
  advance(kModeTag);
  if (tok() != T_TAG) syntaxError({T_TAG});
  uint32_t closing = tagValue();
  advance();
  // The end of the block closes its lookups and registers them under the language systems.
  featTagBlock(g_, closing, 1, false, text);
  blockEnds();
  expect(P_SEMI);
}

void Grammar::blockBegins(const std::string& name, bool lookup, int line) {
  if (f_.includes.size() != 1) return;
  f_.blockName = name;
  f_.inLookupBlock = lookup;
  f_.blockLine = line;
}

void Grammar::blockEnds() {
  // The block ends at its ";": what the next token brings is outside it.
  if (tok() != P_SEMI) return;
  f_.blockName.clear();
  f_.blockLine = 0;
}

void Grammar::lookupBody(const std::string& name, bool topLevel, bool useExtension) {
  expect(P_LBRACE);
  featLookupBlock(g_, name, true, topLevel);
  if (useExtension) featUseExtension(g_, true);
  int items = 0;
  for (; isFeatureStatementStart(); ++items) featureStatement();
  if (items == 0 || tok() != P_RBRACE)
    syntaxError(items == 0 ? std::vector<int>{K_substitute, K_position, P_SEMI}
                           : std::vector<int>{P_RBRACE});
  advance(kModeLabel);
  if (tok() != T_LABEL) syntaxError({T_LABEL});
  std::string closing = nameText();
  advance();
  featLookupBlock(g_, closing, false, topLevel);
  if (topLevel) blockEnds();
  expect(P_SEMI);
}

void Grammar::lookupBlockTopLevel() {
  const int firstLine = g_->line;
  advance();
  if (tok() != T_LABEL) syntaxError({T_LABEL});
  std::string name = nameText();
  blockBegins(name, true, firstLine);
  advance();
  bool useExtension = false;
  if (tok() == K_useExtension) {
    useExtension = true;
    advance();
  }
  if (tok() != P_LBRACE) syntaxError({K_useExtension, P_LBRACE});
  lookupBody(name, true, useExtension);
}

void Grammar::lookupBlockOrUse() {
  advance();
  if (tok() != T_LABEL) syntaxError({T_LABEL});
  std::string name = nameText();
  advance();
  if (tok() == P_SEMI) {
    featLookupReference(g_, name);
    advance();
    return;
  }
  bool useExtension = false;
  if (tok() == K_useExtension) {
    useExtension = true;
    advance();
  }
  if (tok() != P_LBRACE) syntaxError({P_SEMI, K_useExtension, P_LBRACE});
  lookupBody(name, false, useExtension);
}

bool Grammar::isFeatureStatementStart() const {
  switch (tok()) {
    case K_feature: case K_script: case K_language: case K_lookupflag: case T_GCLASS:
    case K_ignore: case K_substitute: case K_reverse: case K_except: case K_markClass:
    case K_position: case K_enumerate: case K_parameters: case K_sizemenuname:
    case K_feat_names: case K_subtable: case P_SEMI:
      return true;
    default:
      return false;
  }
}

void Grammar::featureStatement() {
  switch (tok()) {
    case K_feature: {
      advance();
      if (tok() != T_TAG) syntaxError({T_TAG});
      uint32_t tag = tagValue();
      advance();
      featAaltAddFeature(g_, tag);
      break;
    }
    case K_script: scriptAssign(); break;
    case K_language: languageAssign(); break;
    case K_lookupflag: lookupflagAssign(); break;
    case T_GCLASS: glyphClassAssign(); break;
    case K_ignore: ignoreStatement(); break;
    case K_substitute: case K_reverse: case K_except: substituteStatement(); break;
    case K_markClass: markClassStatement(); break;
    case K_position: case K_enumerate: positionStatement(); break;
    case K_parameters: sizeParameters(); break;
    case K_sizemenuname: sizeMenuName(); break;
    case K_feat_names: featureNames(); break;
    case K_subtable:
      advance();
      featSubtableBreak(g_);
      break;
    default: break;
  }
  expect(P_SEMI);
}

void Grammar::scriptAssign() {
  advance();
  if (tok() != T_TAG) syntaxError({T_TAG});
  uint32_t tag = tagValue();
  std::string text = lex_.text;
  advance();
  FeatState& c = f_.curr;
  if (c.feature == ot::kTagAalt || c.feature == ot::kTagSize) {
    featMsg(g_, 2,
            "\"script\" and \"language\" statements not allowed anymore in 'aalt' or 'size' "
            "feature; use \"languagesystem\" statement(s) at beginning of file instead to "
            "specify the language system(s) this feature should be registered under");
    return;
  }
  if (c.feature == kTagStandalone && tag != kTagStandalone)
    featMsg(g_, 2,
            "\"script\" and \"language\" statementsnot allowed in within named lookup blocks; ");
  f_.fFlags |= kSeenScript;
  // Rules written before the first script statement apply to every language system; the
  // statement ends that even when it names the script those rules were built under.
  const bool leavesDefaultMode = (f_.fFlags & kLangSysMode) != 0;
  if (tag == c.script && c.language == kTagDefaultLanguage && !leavesDefaultMode) return;
  f_.fFlags &= ~kLangSysMode;
  // Each script statement starts lookups of its own: rules on either side of it never
  // share one.
  f_.newLookup = true;
  if (tag != c.script) {
    if (tag == kTagDefaultLanguage) {
      featMsg(g_, 1, "'dflt' is not a valid tag for a script statement; using 'DFLT'.");
      tag = ot::kTagDFLT;
    }
    bool listed = false;
    for (uint32_t s : f_.scripts) listed = listed || s == tag;
    if (listed) featMsg(g_, 1, "script behavior already specified (text was \"%s\")", text.c_str());
    else f_.scripts.push_back(tag);
    // The default lookups of the script left behind are not this script's.
    featScriptDefaultLookups(g_, tag);
    // The rules that follow belong to the script named here, also when it is named again.
    c.script = tag;
  }
  // The language list belongs to the script: it starts again at the default language,
  // which takes the script's default rules.
  f_.languages.assign(1, kTagDefaultLanguage);
  c.language = kTagDefaultLanguage;
  f_.includeDflt = true;
  c.lookupFlag = 0;
  c.markSetIndex = 0;
}

void Grammar::languageAssign() {
  advance();
  if (tok() != T_TAG) syntaxError({T_TAG});
  uint32_t tag = tagValue();
  std::string text = lex_.text;
  advance();
  bool include = true, deprecated = false;
  switch (tok()) {
    case K_include_dflt: break;
    case K_exclude_dflt: include = false; break;
    case K_includeDFLT: deprecated = true; break;
    case K_excludeDFLT: include = false; deprecated = true; break;
    default: break;
  }
  if (tok() == K_include_dflt || tok() == K_exclude_dflt || tok() == K_includeDFLT ||
      tok() == K_excludeDFLT)
    advance();
  int result = featTagBlock(g_, tag, 3, true, text);
  if (result != -1) featIncludeDflt(g_, include, result, deprecated);
}

void Grammar::lookupflagAssign() {
  advance();
  uint32_t value = 0;
  int count = 0;
  bool markSetGiven = false;
  for (;; ++count) {
    int t = tok();
    if (t == T_NUM) {
      value = static_cast<uint32_t>(numUInt16());
      continue;
    }
    uint32_t bit = t == K_RightToLeft ? 0x1 : t == K_IgnoreBaseGlyphs ? 0x2
                 : t == K_IgnoreLigatures ? 0x4 : t == K_IgnoreMarks ? 0x8 : 0;
    if (bit) {
      if (value & bit) featMsg(g_, 1, "\"%s\" repeated in this statement; ignoring", lex_.text.c_str());
      value |= bit;
      if (bit != 0x1) f_.gFlags |= kSeenIgnoreFlag;
      advance();
      continue;
    }
    if (t == K_UseMarkFilteringSet) {
      advance();
      if (tok() != T_GCLASS) syntaxError({T_GCLASS});
      std::string name = nameText();
      if (value & 0x10) featMsg(g_, 2, "UseMarkSetType already specified in this statement");
      ClassRecord* r = featClassFind(g_, name);
      if (!r) featLexError(g_, "glyph class not defined");
      f_.curr.markSetIndex = static_cast<uint16_t>(GDEFAddMarkSet(g_, featClassKey(r)));
      markSetGiven = true;
      value |= 0x10;
      f_.gFlags |= kSeenIgnoreFlag;
      advance();
      continue;
    }
    if (t == K_MarkAttachmentType) {
      advance();
      int number;
      if (tok() == T_NUM) {
        number = numUInt8();
      } else if (tok() == T_GCLASS) {
        number = featGetMarkAttachClass(g_, nameText());
        advance();
      } else {
        syntaxError({T_NUM, T_GCLASS});
      }
      f_.gFlags |= kSeenIgnoreFlag;
      if (number == 0) featMsg(g_, 2, "must specify non-zero MarkAttachmentType value");
      else if (value & 0xFF00) featMsg(g_, 2, "MarkAttachmentType already specified in this statement");
      else value |= static_cast<uint32_t>(number & 0xFF) << 8;
      continue;
    }
    break;
  }
  if (count == 0)
    syntaxError({T_NUM, K_RightToLeft, K_IgnoreBaseGlyphs, K_IgnoreLigatures, K_IgnoreMarks,
                 K_UseMarkFilteringSet, K_MarkAttachmentType});
  if (f_.curr.feature == ot::kTagAalt || f_.curr.feature == ot::kTagSize) {
    featMsg(g_, 2, "\"lookupflag\" use not allowed in 'aalt' or 'size' feature");
    return;
  }
  f_.curr.lookupFlag = value;
  if (!markSetGiven && !(value & 0x10)) f_.curr.markSetIndex = 0;
}

void Grammar::sizeParameters() {
  advance();
  std::vector<uint16_t> params;
  while (tok() == T_FONTREV || tok() == T_NUM) {
    if (params.size() == kMaxSizeParameters) featMsg(g_, 3, "Too many size parameter values");
    double v = 0;
    if (tok() == T_FONTREV) {
      const std::string& t = lex_.text;
      auto r = std::from_chars(t.data(), t.data() + t.size(), v);
      v = r.ec == std::errc() ? v * 10 + 0.5 : -1;
    } else {
      int64_t n = numberValue();
      v = static_cast<double>(n);
    }
    if (v < 0 || v >= 65536) featLexError(g_, "not in range 0 .. 65535");
    params.push_back(static_cast<uint16_t>(v));
    advance();
  }
  if (params.size() < 2) syntaxError({T_FONTREV, T_NUM});
  featAddFeatureParams(g_, params);
}

void Grammar::nameIds(int& platform, int& encoding, int& language) {
  platform = encoding = language = -1;
  if (tok() != T_NUM && tok() != T_NUMEXT) return;
  int line = g_->line;
  platform = numUInt16Ext();
  if (platform != 3 && platform != 1)
    coreMsg(g_, 3, "platform id must be %d or %d [%s %d]", 3, 1, featCurrentFile(g_).c_str(),
            line);
  if (tok() != T_NUM && tok() != T_NUMEXT) return;
  encoding = numUInt16Ext();
  language = numUInt16Ext();
}

void Grammar::featureNames() {
  advance();
  expect(P_LBRACE);
  f_.featNameId = 0;
  int entries = 0;
  for (; tok() == K_name; ++entries) {
    advance();
    int platform, encoding, language;
    nameIds(platform, encoding, language);
    expect(T_STRING);  // the string's text is read on the way to the next token
    featAddFeatureNameString(g_, platform, encoding, language);
    expect(P_SEMI);
  }
  if (entries == 0) syntaxError({K_name});
  expect(P_RBRACE);
  featAddFeatureNamesParam(g_, f_.featNameId);
}

void Grammar::sizeMenuName() {
  advance();
  int platform, encoding, language;
  nameIds(platform, encoding, language);
  expect(T_STRING);
  featAddSizeNameString(g_, platform, encoding, language);
}

void Grammar::anonBlock() {
  advance();
  if (tok() != T_TAG) syntaxError({T_TAG});
  advance();  // reads the block's text, then the token after it
  featAnonDataFlush(g_);
  lex_.tagReturn = kModeNormal;
}

}  // namespace fea
