// The table modules of the compiler core: their registry operations and the entry points
// of the GSUB, GPOS and GDEF builders that the feature layer calls.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "feacompiler/core_context.h"

namespace fea {

struct GlyphNode;
struct GpsAnchor;

using ModuleOp = void (*)(coreContext*);
using ModuleFill = int (*)(coreContext*);

struct TableModule {
  uint32_t tag;
  ModuleOp newOp;
  ModuleFill fill;   // null for the modules that are never filled
  ModuleOp write;
  ModuleOp reuse;
  ModuleOp freeOp;
  uint8_t kind;
  uint8_t number;
  uint16_t used;
};

// The nineteen modules in registry order.
const std::vector<TableModule>& tableRegistry();

void sfntNew(coreContext* g);
void sfntReuse(coreContext* g);
void sfntFree(coreContext* g);

void hheaNew(coreContext* g);
void hheaFree(coreContext* g);
void OS_2New(coreContext* g);
void OS_2Free(coreContext* g);
// The largest rule context of the layout, raised by the GSUB and GPOS fills.
void OS_2RaiseMaxContext(coreContext* g, int context);
// The code-page range that the font's encoded characters earn (after mapSetup).
std::array<uint32_t, 2> os2CodePageRange(coreContext* g);
void nameNew(coreContext* g);
void nameFree(coreContext* g);
void cmapNew(coreContext* g);
void cmapReuse(coreContext* g);
void cmapFree(coreContext* g);
void MMFXNew(coreContext* g);
void MMFXFree(coreContext* g);
void BASENew(coreContext* g);
void BASEFree(coreContext* g);

// ---- GSUB builder (fea-B) ----
void GSUBNew(coreContext* g);
int GSUBFill(coreContext* g);
void GSUBWrite(coreContext* g);
void GSUBReuse(coreContext* g);
void GSUBFree(coreContext* g);
// Script, language and feature of the rules that follow.
void GSUBSetTags(coreContext* g, uint32_t script, uint32_t language, uint32_t feature);
// Parameters of the lookup the next rules go to (label may carry 0x8000 = reference).
void GSUBLookupParams(coreContext* g, int useExtension, uint32_t type, uint32_t flag,
                      uint16_t markSetIndex, uint16_t label);
void GSUBRuleAdd(coreContext* g, GlyphNode* target, GlyphNode* replacement);
void GSUBLookupEnd(coreContext* g, uint32_t feature);
// A feature-name parameter subtable {0, nameId} of the current lookup.
void GSUBFeatureNameParam(coreContext* g, uint16_t nameId);
void GSUBSubtableBreak(coreContext* g);
// featureNames: (feature, name id) for the default-names check.
void GSUBAddFeatureName(coreContext* g, uint32_t feature, uint16_t nameId);
int GSUBMaxContext(coreContext* g);

// ---- GPOS builder (fea-B) ----
void GPOSNew(coreContext* g);
int GPOSFill(coreContext* g);
void GPOSWrite(coreContext* g);
void GPOSReuse(coreContext* g);
void GPOSFree(coreContext* g);
void GPOSSetTags(coreContext* g, uint32_t script, uint32_t language, uint32_t feature);
void GPOSLookupBegin(coreContext* g, uint32_t type, uint32_t flag, uint16_t label,
                     int useExtension, uint16_t markSetIndex);
// Before a contextual rule: lookup type 8 with the type of its marked part.
void GPOSSetContextTypes(coreContext* g, uint32_t type, uint32_t parentType);
void GPOSRuleAdd(coreContext* g, GlyphNode* pattern, const std::string& file, int line,
                 int anchorCount, const GpsAnchor* anchors);
void GPOSLookupEnd(coreContext* g, uint32_t feature);
void GPOSAddSizeParams(coreContext* g, const uint16_t* params, int count);
void GPOSSetSizeMenuNameId(coreContext* g, uint16_t nameId);
// subtable statement: pairBreak for a pair lookup, else the general break.
void GPOSSubtableBreak(coreContext* g, bool pairBreak);
int GPOSMaxContext(coreContext* g);

// ---- GDEF builder (fea-B) ----
void GDEFNew(coreContext* g);
int GDEFFill(coreContext* g);
void GDEFWrite(coreContext* g);
void GDEFFree(coreContext* g);
void GDEFSetGlyphClasses(coreContext* g, GlyphNode* base, GlyphNode* ligature, GlyphNode* mark,
                         GlyphNode* component);
int GDEFAddMarkAttachClass(coreContext* g, GlyphNode* cls);
int GDEFAddMarkSet(coreContext* g, GlyphNode* cls);
// Attach / LigatureCaret statements; false when the value is already listed for the glyph.
bool GDEFAddAttachPoint(coreContext* g, uint16_t gid, uint16_t contourIndex);
bool GDEFAddLigCaret(coreContext* g, uint16_t gid, uint16_t format, int16_t value);

}  // namespace fea
