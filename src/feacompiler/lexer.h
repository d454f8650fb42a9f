// The feature-file lexer: eight modes, longest match, one token at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fea {

struct coreContext;

// Token numbers, in the order of the token-name table.
enum Token : int {
  Eof = 0,
  K_include, K_feature, K_table, K_script, K_language, K_languagesystem, K_subtable, K_lookup,
  K_lookupflag, K_RightToLeft, K_IgnoreBaseGlyphs, K_IgnoreLigatures, K_IgnoreMarks,
  K_UseMarkFilteringSet, K_MarkAttachmentType, K_anon, K_includeDFLT, K_excludeDFLT,
  K_include_dflt, K_exclude_dflt, K_useExtension, K_BeginValue, K_EndValue, K_enumerate,
  K_except, K_ignore, K_substitute, K_reverse, K_by, K_from, K_position, K_parameters,
  K_feat_names, K_sizemenuname, K_contourpoint, K_device, K_anchor, K_anchordef,
  K_valueRecordDef, K_mark, K_markClass, K_cursive, K_markBase, K_markLigature,
  K_LigatureComponent, K_caret, K_NULL, K_BASE, K_HorizAxis_BaseTagList,
  K_HorizAxis_BaseScriptList, K_VertAxis_BaseTagList, K_VertAxis_BaseScriptList, K_GDEF,
  K_GlyphClassDef, K_Attach, K_GDEFMarkAttachClass, K_LigatureCaret1, K_LigatureCaret2,
  K_LigatureCaret3, K_head, K_FontRevision, K_hhea, K_Ascender, K_Descender, K_LineGap,
  K_CaretOffset, K_name, K_nameid, K_OS_2, K_FSType, K_FSType2, K_Panose, K_TypoAscender,
  K_TypoDescender, K_TypoLineGap, K_winAscent, K_winDescent, K_XHeight, K_CapHeight,
  K_UnicodeRange, K_CodePageRange, K_WeightClass, K_WidthClass, K_Vendor, K_vhea,
  K_VertTypoAscender, K_VertTypoDescender, K_VertTypoLineGap, K_vmtx, K_VertOriginY,
  K_VertAdvanceY,
  T_NUM, T_NUMEXT, T_FONTREV, T_GCLASS, T_CID, T_GNAME, T_STRING,
  P_LBRACKET, P_HYPHEN, P_RBRACKET, P_COMMA, P_QUOTE, P_SEMI, P_LBRACE, P_RBRACE, P_EQUALS,
  T_TAG, T_LABEL, INCLFILE,
  kTokenCount
};

// Lexer modes.
enum LexMode : int {
  kModeNormal = 0, kModeTag = 1, kModeLabel = 2, kModeInclude = 3, kModeAnonTag = 4,
  kModeAnonFirstLine = 5, kModeAnonBody = 6, kModeString = 7
};

struct Lexer {
  int token = Eof;
  std::string text;
  bool overflow = false;
  int mode = kModeNormal;
  int tagReturn = kModeNormal;      // mode after a tag (anon: the block's modes)
  int includeReturn = kModeNormal;  // mode after an include's file name
  std::vector<int> pushback;        // characters read ahead, last read on top
};

// The token text buffer's size; a longer token is cut and flagged.
constexpr size_t kTokenBufferSize = 4096;

// Reads the next token into the lexer; mode >= 0 switches the mode first.
void lexNext(coreContext* g, int mode = -1);
// Resets the lexer for a new compile.
void lexReset(Lexer& lex);
// A new file: characters read ahead belong to the previous one.
void lexRestart(Lexer& lex);
// The token's name as syntax errors print it.
std::string tokenDisplayName(int token);

}  // namespace fea
