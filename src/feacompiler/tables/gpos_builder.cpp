// GPOS module: lookups, rule intake, value records, 'size' parameters, fill and write.
#include "feacompiler/tables/gpos_builder.h"

#include <algorithm>

#include "feacompiler/feat_nodes.h"
#include "feacompiler/tables/misc_modules.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

std::string gposGlyphName(coreContext* g, uint16_t gid) {
  std::string saved = std::move(g->note);
  g->note.clear();
  featGlyphNoteAppend(g, gid, -1);
  std::string name = std::move(g->note);
  g->note = std::move(saved);
  return name;
}

std::string gposWhere(const std::string& file, int line) {
  if (file.empty()) return std::string();
  return formatf(" [%s %d]", file.c_str(), line);
}

GposValue gposValue(const FeatValueRecord* vr, bool verticalPair) {
  GposValue v;
  if (vr == nullptr || vr->count == 0) return v;
  if (vr->count == 1) {
    v.count = 1;
    v.raw[0] = vr->values[0];
    v.format = verticalPair ? 0x0008 : 0x0004;
    v.field[verticalPair ? 3 : 2] = vr->values[0];
    return v;
  }
  v.count = 4;
  for (int i = 0; i < 4; ++i) {
    v.raw[i] = v.field[i] = vr->values[i];
    if (vr->values[i] != 0) v.format |= static_cast<uint16_t>(1u << i);
  }
  return v;
}

int gposFormatBits(uint16_t format) {
  int bits = 0;
  for (int i = 0; i < 4; ++i) bits += (format >> i) & 1;
  return bits;
}

void gposValueWrite(Bytes& out, uint16_t format, const GposValue& v) {
  for (int i = 0; i < 4; ++i) {
    if (format & (1u << i)) put16(out, static_cast<uint16_t>(v.field[i]));
  }
}

void GPOSNew(coreContext* g) { otlContextNew(g->gpos); }
void GPOSFree(coreContext* g) { otlContextFree(g->gpos); }
void GPOSReuse(coreContext* g) { otlContextReuse(g, *g->gpos); }

void GPOSSetTags(coreContext* g, uint32_t script, uint32_t language, uint32_t feature) {
  LookupParams& p = g->gpos->cur.p;
  p.script = script;
  p.language = language;
  p.feature = feature;
}

void GPOSLookupBegin(coreContext* g, uint32_t type, uint32_t flag, uint16_t label,
                     int useExtension, uint16_t markSetIndex) {
  GPOSContext& h = *g->gpos;
  LookupParams p = h.cur.p;
  h.cur = GposLookupInfo();
  h.cur.p = p;
  h.cur.p.type = static_cast<uint16_t>(type);
  h.cur.p.flag = static_cast<uint16_t>(flag);
  h.cur.p.label = label;
  h.cur.p.useExtension = useExtension != 0;
  h.cur.p.markSetIndex = markSetIndex;
  // A "subtable" statement before the first rule of a lookup breaks nothing.
  h.pairBreak = h.generalBreak = false;
  h.sizeSubtable = SIZE_MAX;
}

void GPOSSetContextTypes(coreContext* g, uint32_t type, uint32_t parentType) {
  g->gpos->cur.p.type = static_cast<uint16_t>(type);
  g->gpos->cur.parentType = static_cast<uint16_t>(parentType);
}

void GPOSSubtableBreak(coreContext* g, bool pairBreak) {
  if (pairBreak) {
    g->gpos->pairBreak = true;
  } else {
    g->gpos->generalBreak = true;
  }
}

void GPOSSetSizeMenuNameId(coreContext* g, uint16_t nameId) { g->gpos->sizeMenuNameId = nameId; }

int GPOSMaxContext(coreContext* g) { return g->gpos->b.maxContext; }

namespace {

bool hasRules(const GposLookupInfo& l) {
  return !l.singles.empty() || !l.pairs.empty() || !l.baseRecords.empty() ||
         !l.chainRules.empty();
}

void clearRules(GposLookupInfo& l) {
  l.chainRules.clear();
  l.markClasses.clear();
  l.baseRecords.clear();
  l.singles.clear();
  l.pairs.clear();
  l.pairFormat = 0;
  l.vf1 = l.vf2 = 0;
}

void sizeNameCheck(coreContext* g, GPOSContext& h) {
  if (h.sizeSubtable == SIZE_MAX || h.sizeSubfamily == 0) return;
  uint16_t id = h.sizeMenuNameId;
  set16(h.b.subtables[h.sizeSubtable].built.bytes, 4, id);
  if (id == 0) return;
  static constexpr NameDefaultsTexts kTexts = {
      "Missing both Mac and Windows default names for size feature menu name nameid %i",
      "Missing Windows default name for size feature menu name nameid %i",
      "Missing Mac default name for size feature menu name nameid %i"};
  nameDefaultsCheck(g, id, kTexts);
}

}  // namespace

void gposBuildLookup(coreContext* g, GPOSContext& h, GposLookupInfo& l) {
  static const char* const kEmpty[] = {
      nullptr, "Empty GPOS Single lookup", "Empty GPOS Pair lookup",
      "Empty GPOS Cursive lookup", "Empty GPOS MarkToBase lookup",
      "Empty GPOS MarkToLigature lookup", "Empty GPOS MarkToMark lookup"};
  uint16_t type = l.p.type;
  if (type >= 1 && type <= 6) {
    bool empty = type == 1 ? l.singles.empty()
                 : type == 2 ? l.pairs.empty() && l.pairFormat == 0
                             : l.baseRecords.empty();
    if (empty) coreMsg(g, kMsgFatal, "%s", kEmpty[type]);
  }
  switch (type) {
    case 1:
      gposSingleFill(g, h, l);
      break;
    case 2:
      gposPairFill(g, h, l);
      h.sides[0] = GposClassSide();
      h.sides[1] = GposClassSide();
      break;
    case 3:
      gposCursiveFill(g, h, l);
      break;
    case 4:
    case 6:
      gposMarkToBaseFill(g, h, l);
      break;
    case 5:
      gposMarkToLigatureFill(g, h, l);
      break;
    case 7:
      coreMsg(g, kMsgFatal, "unsupported GPOS lkpType <%d>\n", type);
      break;
    case 8:
      if (l.chainRules.empty()) coreMsg(g, kMsgFatal, "Empty GPOS Contextual Positioning lookup");
      gposChainFill(g, h, l);
      break;
    case 10:
      if (l.p.feature != ot::kTagSize) {
        coreMsg(g, kMsgFatal, "feature '%c%c%c%c'with FeatureParameter is not supported.",
                OTL_TAG_ARGS(l.p.feature));
      }
      sizeNameCheck(g, h);
      break;
    default:
      coreMsg(g, kMsgFatal, "unknown GPOS lkpType <%d>\n", type);
      break;
  }
  clearRules(l);
}

void GPOSLookupEnd(coreContext* g, uint32_t feature) {
  GPOSContext& h = *g->gpos;
  LookupBuildScope building(g);
  if (otlIsReference(h.cur.p.label)) {
    otlBuilderStart(g, h.b, h.cur.p, h.cur.p.type == 10);
    return;
  }
  if (g->errorFlag) {
    clearRules(h.cur);
    h.pairBreak = h.generalBreak = false;
    return;
  }
  if (feature != h.cur.p.feature) {
    coreMsg(g, kMsgFatal, "Empty lookup in feature '%c%c%c%c'", OTL_TAG_ARGS(feature));
  }
  gposBuildLookup(g, h, h.cur);
  otlBuilderSectionCheck(g, h.b, h.cur.p.feature);
  h.pairBreak = h.generalBreak = false;
}

void GPOSRuleAdd(coreContext* g, GlyphNode* pattern, const std::string& file, int line,
                 int anchorCount, const GpsAnchor* anchors) {
  GPOSContext& h = *g->gpos;
  if (pattern == nullptr) return;
  h.cur.file = file;
  uint16_t type = h.cur.parentType != 0 ? h.cur.parentType : h.cur.p.type;
  if (h.generalBreak && type != 2) {
    h.generalBreak = false;
    if (hasRules(h.cur)) {
      GPOSLookupEnd(g, h.cur.p.feature);
      clearRules(h.cur);
    }
  }
  if (pattern->flags & GN_PATTERN_MARKED) {
    gposContextRuleAdd(g, h, pattern, anchorCount, anchors, line);
    return;
  }
  switch (type) {
    case 1:
      if (!g->errorFlag) gposSingleAdd(g, h.cur, pattern);
      break;
    case 2:
      GPOSAddPair(g, pattern, pattern->nextSeq, file, line);
      break;
    case 3:
      gposCursiveRecordsAdd(h.cur, pattern, anchorCount, anchors, line);
      break;
    case 4:
    case 5:
    case 6:
      gposBaseRecordsAdd(g, h.cur, pattern, anchorCount, anchors, line);
      break;
    default:
      break;
  }
}

void GPOSAddSizeParams(coreContext* g, const uint16_t* params, int count) {
  GPOSContext& h = *g->gpos;
  uint16_t p[4] = {0, 0, 0, 0};
  for (int i = 0; i < count && i < 4; ++i) p[i] = params[i];
  if (p[1] == 0) {
    if (count != 4 && count != 2) {
      coreMsg(g, kMsgFatal, "size feature must have 4 or 2 parameters if sub family code is zero!");
    }
  } else if (count != 4) {
    coreMsg(g, kMsgFatal, "size feature must have 4 parameters if sub family ID code is non-zero!");
  }
  size_t index = otlBuilderStart(g, h.b, h.cur.p, true);
  BuiltSubtable s;
  put16(s.bytes, p[0]);
  put16(s.bytes, p[1]);
  if (p[1] != 0) {
    put16(s.bytes, 0);  // the menu-name id, known at lookup end
    put16(s.bytes, p[2]);
    put16(s.bytes, p[3]);
  } else {
    put16(s.bytes, 0);
    put16(s.bytes, 0);
    put16(s.bytes, 0);
  }
  otlBuilderFinish(g, h.b, index, std::move(s));
  h.sizeSubtable = index;
  h.sizeSubfamily = p[1];
}

int GPOSFill(coreContext* g) {
  GPOSContext& h = *g->gpos;
  if (h.b.subtables.empty() && h.anon.empty()) return 0;
  // Anonymous lookups belong to no language system; they are reached through their labels.
  for (size_t i = 0; i < h.anon.size(); ++i) {
    if (g->errorFlag) break;
    GposLookupInfo& a = h.anon[i];
    a.p.script = a.p.language = a.p.feature = kTagNone;
    gposBuildLookup(g, h, a);
  }
  otlBuilderFill(g, h.b);
  OS_2RaiseMaxContext(g, h.b.maxContext);
  return 1;
}

void GPOSWrite(coreContext* g) { otlBuilderWrite(g, g->gpos->b); }

bool gposIsVerticalKern(const GposLookupInfo& l) { return l.p.feature == ot::kTagVkrn; }

}  // namespace fea
