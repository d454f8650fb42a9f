// Grammar: the table blocks (BASE, GDEF, head, hhea, name, OS/2, vhea, vmtx).
#include <algorithm>

#include "feacompiler/feat_layer.h"
#include "feacompiler/grammar.h"
#include "feacompiler/tables/misc_modules.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

void Grammar::tableBlock() {
  advance();
  const int kind = tok();
  switch (kind) {
    case K_BASE: case K_GDEF: case K_head: case K_hhea: case K_name: case K_OS_2: case K_vhea:
    case K_vmtx:
      break;
    default:
      syntaxError({K_BASE, K_GDEF, K_head, K_hhea, K_name, K_OS_2, K_vhea, K_vmtx});
  }
  uint32_t tag = tagValue();
  if (std::find(f_.tables.begin(), f_.tables.end(), tag) != f_.tables.end())
    featMsg(g_, 3, "table already specified");
  f_.tables.push_back(tag);
  advance();
  expect(P_LBRACE);
  switch (kind) {
    case K_BASE: tableBASE(); break;
    case K_GDEF: tableGDEF(); break;
    case K_head: tableHead(); break;
    case K_hhea: tableHhea(); break;
    case K_name: tableName(); break;
    case K_OS_2: tableOS2(); break;
    case K_vhea: tableVhea(); break;
    default: tableVmtx(); break;
  }
  if (tok() != P_RBRACE) syntaxError({P_RBRACE});
  advance(kModeTag);
  if (tok() != T_TAG) syntaxError({T_TAG});
  if (tagValue() != f_.tables.back()) featMsg(g_, 3, "doesn't match starting tag of block");
  advance();
  expect(P_SEMI);
}

void Grammar::tableBASE() {
  baseAxis();
  if (tok() == K_HorizAxis_BaseTagList || tok() == K_VertAxis_BaseTagList) baseAxis();
}

void Grammar::baseAxis() {
  if (tok() != K_HorizAxis_BaseTagList && tok() != K_VertAxis_BaseTagList)
    syntaxError({K_HorizAxis_BaseTagList, K_VertAxis_BaseTagList});
  const bool vertical = tok() == K_VertAxis_BaseTagList;
  advance();
  std::vector<uint32_t> tags;
  // Each tag in tag mode; the ";" after the last one is taken by the tag mode itself.
  while (tok() == T_TAG) {
    tags.push_back(tagValue());
    advance(kModeTag);
  }
  if (tags.empty()) syntaxError({T_TAG});
  BASESetTagList(g_, vertical, tags);
  const int expected = vertical ? K_VertAxis_BaseScriptList : K_HorizAxis_BaseScriptList;
  const int other = vertical ? K_HorizAxis_BaseScriptList : K_VertAxis_BaseScriptList;
  if (tok() == other)
    featMsg(g_, 3, vertical ? "expecting \"VertAxis.BaseScriptList\""
                            : "expecting \"HorizAxis.BaseScriptList\"");
  if (tok() != expected) syntaxError({expected});
  advance();
  for (;;) {
    if (tok() != T_TAG) syntaxError({T_TAG});
    uint32_t script = tagValue();
    advance(kModeTag);
    if (tok() != T_TAG) syntaxError({T_TAG});
    uint32_t baseline = tagValue();
    advance();
    std::vector<int16_t> coords;
    while (tok() == T_NUM) coords.push_back(static_cast<int16_t>(metricValue()));
    if (coords.empty()) syntaxError({T_NUM});
    if (coords.size() != tags.size())
      featMsg(g_, 3, "number of coordinates not equal to number of baseline tags");
    BASEAddScript(g_, vertical, script, baseline, coords);
    if (tok() != P_COMMA) break;
    advance(kModeTag);
  }
  expect(P_SEMI);
}

GlyphNode* Grammar::gdefClassSlot() {
  if (tok() == P_COMMA || tok() == P_SEMI) return nullptr;
  return glyphClass(false);
}

void Grammar::tableGDEF() {
  for (;;) {
    switch (tok()) {
      case K_GlyphClassDef: {
        advance();
        GlyphNode* slots[4];
        for (int i = 0; i < 4; ++i) {
          if (i > 0) expect(P_COMMA);
          slots[i] = gdefClassSlot();
        }
        f_.gFlags |= kSeenGlyphClassDef;
        GDEFSetGlyphClasses(g_, slots[0], slots[1], slots[2], slots[3]);
        break;
      }
      case K_Attach:
      case K_LigatureCaret1:
      case K_LigatureCaret2: {
        const int kind = tok();
        advance();
        GlyphNode* target = pattern(false);
        if (!target) syntaxError({T_GNAME, T_GCLASS, P_LBRACKET});
        if (tok() != T_NUM) syntaxError({T_NUM});
        while (tok() == T_NUM) {
          int v = metricValue();
          if (kind == K_Attach) featAddAttach(g_, target, v);
          else featAddLigCaret(g_, target, v, kind == K_LigatureCaret1 ? 1 : 2);
        }
        break;
      }
      case P_SEMI:
        break;
      default:
        return;
    }
    expect(P_SEMI);
  }
}

void Grammar::tableHead() {
  if (tok() == K_FontRevision) {
    advance();
    if (tok() != T_FONTREV) syntaxError({T_FONTREV});
    featSetFontRevision(g_, lex_.text);
    advance();
  }
  expect(P_SEMI);
}

void Grammar::tableHhea() {
  int count = 0;
  for (;; ++count) {
    int16_t* field = nullptr;
    switch (tok()) {
      case K_CaretOffset: field = &g_->hhea->caretOffset; break;
      case K_Ascender: field = &g_->metrics.hheaAscender; break;
      case K_Descender: field = &g_->metrics.hheaDescender; break;
      case K_LineGap: field = &g_->metrics.hheaLineGap; break;
      case P_SEMI: break;
      default: goto done;
    }
    if (field) {
      advance();
      *field = static_cast<int16_t>(metricValue());
    }
    expect(P_SEMI);
  }
done:
  if (count == 0) syntaxError({K_CaretOffset, K_Ascender, K_Descender, K_LineGap, P_SEMI});
}

void Grammar::tableVhea() {
  int count = 0;
  for (;; ++count) {
    int16_t* field = nullptr;
    switch (tok()) {
      case K_VertTypoAscender: field = &g_->metrics.vertTypoAscender; break;
      case K_VertTypoDescender: field = &g_->metrics.vertTypoDescender; break;
      case K_VertTypoLineGap: field = &g_->metrics.vertTypoLineGap; break;
      case P_SEMI: break;
      default: goto done;
    }
    if (field) {
      advance();
      *field = static_cast<int16_t>(metricValue());
    }
    expect(P_SEMI);
  }
done:
  if (count == 0) syntaxError({K_VertTypoAscender, K_VertTypoDescender, K_VertTypoLineGap, P_SEMI});
}

void Grammar::tableName() {
  int count = 0;
  for (;; ++count) {
    if (tok() == K_nameid) {
      advance();
      int id = numUInt16Ext();
      bool drop = id != 0 && (id < 7 || id > 255);
      if (drop)
        coreMsg(g_, 1, "name id not in registered range; ignoring record [%s %d]",
                featCurrentFile(g_).c_str(), g_->line);
      int platform, encoding, language;
      nameIds(platform, encoding, language);
      expect(T_STRING);
      if (!drop) featAddNameString(g_, platform, encoding, language, id);
    } else if (tok() != P_SEMI) {
      break;
    }
    expect(P_SEMI);
  }
  if (count == 0) syntaxError({K_nameid, P_SEMI});
}

void Grammar::tableOS2() {
  OS2Context& os2 = *g_->os2;
  FontMetrics& m = g_->metrics;
  int count = 0;
  for (;; ++count) {
    const int t = tok();
    int16_t* metric = t == K_TypoAscender ? &m.typoAscender : t == K_TypoDescender ? &m.typoDescender
                    : t == K_TypoLineGap ? &m.typoLineGap : t == K_winAscent ? &m.winAscent
                    : t == K_winDescent ? &m.winDescent : t == K_XHeight ? &m.xHeight
                    : t == K_CapHeight ? &m.capHeight : nullptr;
    if (metric) {
      advance();
      *metric = static_cast<int16_t>(metricValue());
    } else if (t == K_Panose) {
      advance();
      for (int i = 0; i < 10; ++i) os2.panose[static_cast<size_t>(i)] = static_cast<uint8_t>(numUInt8());
      os2.panoseGiven = 1;
    } else if (t == K_FSType || t == K_FSType2 || t == K_WeightClass || t == K_WidthClass) {
      advance();
      uint16_t v = static_cast<uint16_t>(numUInt16());
      if (t == K_WeightClass) os2.weightClass = v, os2.weightGiven = 1;
      else if (t == K_WidthClass) os2.widthClass = v, os2.widthGiven = 1;
      else os2.fsType = v, os2.fsTypeGiven = 1;
    } else if (t == K_UnicodeRange || t == K_CodePageRange) {
      advance();
      std::vector<uint32_t> values;
      if (tok() != T_NUM) syntaxError({T_NUM});
      while (tok() == T_NUM) values.push_back(static_cast<uint32_t>(numUInt16()));
      if (t == K_UnicodeRange) featSetUnicodeRange(g_, values);
      else featSetCodePageRange(g_, values);
    } else if (t == K_Vendor) {
      advance();
      expect(T_STRING);
      featSetVendor(g_);
    } else if (t != P_SEMI) {
      break;
    }
    expect(P_SEMI);
  }
  if (count == 0) syntaxError({K_WeightClass, K_Vendor, P_SEMI});
}

void Grammar::tableVmtx() {
  int count = 0;
  for (;; ++count) {
    const int t = tok();
    if (t == K_VertOriginY || t == K_VertAdvanceY) {
      advance();
      uint16_t gid = glyph(nullptr);
      int16_t v = static_cast<int16_t>(metricValue());
      if (t == K_VertOriginY) coreSetVertOrigin(g_, gid, v, featCurrentFile(g_));
      else coreSetVertAdvance(g_, gid, v, featCurrentFile(g_));
    } else if (t != P_SEMI) {
      break;
    }
    expect(P_SEMI);
  }
  if (count == 0) syntaxError({K_VertOriginY, K_VertAdvanceY, P_SEMI});
}

}  // namespace fea
