// The lexer's keyword table and the token names that syntax errors print.
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "feacompiler/lexer_tokens.h"

namespace fea {

namespace {

struct Keyword {
  const char* text;
  int token;
};

// Keywords made of name characters, matched against a whole name run.
constexpr Keyword kKeywords[] = {
    {"include", K_include}, {"feature", K_feature}, {"table", K_table}, {"script", K_script},
    {"language", K_language}, {"languagesystem", K_languagesystem}, {"subtable", K_subtable},
    {"lookup", K_lookup}, {"lookupflag", K_lookupflag}, {"RightToLeft", K_RightToLeft},
    {"IgnoreBaseGlyphs", K_IgnoreBaseGlyphs}, {"IgnoreLigatures", K_IgnoreLigatures},
    {"IgnoreMarks", K_IgnoreMarks}, {"UseMarkFilteringSet", K_UseMarkFilteringSet},
    {"MarkAttachmentType", K_MarkAttachmentType}, {"anon", K_anon}, {"anonymous", K_anon},
    {"includeDFLT", K_includeDFLT}, {"excludeDFLT", K_excludeDFLT},
    {"include_dflt", K_include_dflt}, {"exclude_dflt", K_exclude_dflt},
    {"useExtension", K_useExtension}, {"enum", K_enumerate}, {"enumerate", K_enumerate},
    {"except", K_except}, {"ignore", K_ignore}, {"sub", K_substitute},
    {"substitute", K_substitute}, {"rsub", K_reverse}, {"reversesub", K_reverse}, {"by", K_by},
    {"from", K_from}, {"pos", K_position}, {"position", K_position},
    {"parameters", K_parameters}, {"featureNames", K_feat_names},
    {"sizemenuname", K_sizemenuname}, {"contourpoint", K_contourpoint}, {"device", K_device},
    {"anchor", K_anchor}, {"anchorDef", K_anchordef}, {"valueRecordDef", K_valueRecordDef},
    {"mark", K_mark}, {"markClass", K_markClass}, {"cursive", K_cursive}, {"base", K_markBase},
    {"lig", K_markLigature}, {"ligature", K_markLigature},
    {"ligComponent", K_LigatureComponent}, {"caret", K_caret}, {"NULL", K_NULL},
    {"BASE", K_BASE}, {"HorizAxis.BaseTagList", K_HorizAxis_BaseTagList},
    {"HorizAxis.BaseScriptList", K_HorizAxis_BaseScriptList},
    {"VertAxis.BaseTagList", K_VertAxis_BaseTagList},
    {"VertAxis.BaseScriptList", K_VertAxis_BaseScriptList}, {"GDEF", K_GDEF},
    {"GlyphClassDef", K_GlyphClassDef}, {"Attach", K_Attach},
    {"MarkAttachClass", K_GDEFMarkAttachClass}, {"LigatureCaretByPos", K_LigatureCaret1},
    {"LigatureCaretByIndex", K_LigatureCaret2}, {"LigatureCaretByDev", K_LigatureCaret3},
    {"head", K_head}, {"FontRevision", K_FontRevision}, {"hhea", K_hhea},
    {"Ascender", K_Ascender}, {"Descender", K_Descender}, {"LineGap", K_LineGap},
    {"CaretOffset", K_CaretOffset}, {"name", K_name}, {"nameid", K_nameid},
    {"FSType", K_FSType}, {"fsType", K_FSType2}, {"Panose", K_Panose},
    {"TypoAscender", K_TypoAscender}, {"TypoDescender", K_TypoDescender},
    {"TypoLineGap", K_TypoLineGap}, {"winAscent", K_winAscent}, {"winDescent", K_winDescent},
    {"XHeight", K_XHeight}, {"CapHeight", K_CapHeight}, {"UnicodeRange", K_UnicodeRange},
    {"CodePageRange", K_CodePageRange}, {"WeightClass", K_WeightClass},
    {"WidthClass", K_WidthClass}, {"Vendor", K_Vendor}, {"vhea", K_vhea},
    {"VertTypoAscender", K_VertTypoAscender}, {"VertTypoDescender", K_VertTypoDescender},
    {"VertTypoLineGap", K_VertTypoLineGap}, {"vmtx", K_vmtx}, {"VertOriginY", K_VertOriginY},
    {"VertAdvanceY", K_VertAdvanceY},
};

// Names of the tokens as the grammar knows them (syntax errors print them rewritten).
constexpr const char* kTokenNames[kTokenCount] = {
    "EOF", "K_include", "K_feature", "K_table", "K_script", "K_language", "K_languagesystem",
    "K_subtable", "K_lookup", "K_lookupflag", "K_RightToLeft", "K_IgnoreBaseGlyphs",
    "K_IgnoreLigatures", "K_IgnoreMarks", "K_UseMarkFilteringSet", "K_MarkAttachmentType",
    "K_anon", "K_includeDFLT", "K_excludeDFLT", "K_include_dflt", "K_exclude_dflt",
    "K_useExtension", "<", ">", "K_enumerate", "K_except", "K_ignore", "K_substitute",
    "K_reverse", "K_by", "K_from", "K_position", "K_parameters", "K_feat_names",
    "K_sizemenuname", "K_contourpoint", "K_device", "K_anchor", "K_anchordef",
    "K_valueRecordDef", "K_mark", "K_markClass", "K_cursive", "K_markBase", "K_markLigature",
    "K_LigatureComponent", "K_caret", "K_NULL", "K_BASE", "K_HorizAxis_BaseTagList",
    "K_HorizAxis_BaseScriptList", "K_VertAxis_BaseTagList", "K_VertAxis_BaseScriptList",
    "K_GDEF", "K_GlyphClassDef", "K_Attach", "K_GDEFMarkAttachClass", "K_LigatureCaret1",
    "K_LigatureCaret2", "K_LigatureCaret3", "K_head", "K_FontRevision", "K_hhea",
    "K_Ascender", "K_Descender", "K_LineGap", "K_CaretOffset", "K_name", "K_nameid", "K_OS_2",
    "K_FSType", "K_FSType2", "K_Panose", "K_TypoAscender", "K_TypoDescender", "K_TypoLineGap",
    "K_winAscent", "K_winDescent", "K_XHeight", "K_CapHeight", "K_UnicodeRange",
    "K_CodePageRange", "K_WeightClass", "K_WidthClass", "K_Vendor", "K_vhea",
    "K_VertTypoAscender", "K_VertTypoDescender", "K_VertTypoLineGap", "K_vmtx",
    "K_VertOriginY", "K_VertAdvanceY", "T_NUM", "T_NUMEXT", "T_FONTREV", "T_GCLASS", "T_CID",
    "T_GNAME", "T_STRING", "\\[", "\\-", "\\]", ",", "'", ";", "\\{", "\\}", "=", "T_TAG",
    "T_LABEL", "INCLFILE",
};

}  // namespace

int keywordToken(std::string_view text) {
  // Built on first use; looked up once per name run.
  static const std::unordered_map<std::string_view, int> map = [] {
    std::unordered_map<std::string_view, int> m;
    for (const Keyword& k : kKeywords) m.emplace(k.text, k.token);
    return m;
  }();
  auto it = map.find(text);
  return it == map.end() ? -1 : it->second;
}

std::string tokenDisplayName(int token) {
  if (token < 0 || token >= kTokenCount) return "?";
  std::string name = kTokenNames[token];
  if (name == "K_OS_2") return "OS/2";
  if (name.size() >= 3 && (name.rfind("K_", 0) == 0 || name.rfind("T_", 0) == 0))
    return name.substr(2);
  if (name.size() == 2 && name[0] == '\\' && std::strchr("[]{}-", name[1]))
    return std::string("\"") + name[1] + "\"";
  if (name.size() == 1 && std::strchr(";,'@=<>", name[0])) return "\"" + name + "\"";
  return name;
}

}  // namespace fea
