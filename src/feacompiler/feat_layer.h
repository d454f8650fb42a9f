// Operations of the feature layer that the grammar calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "feacompiler/feat_context.h"

namespace fea {

// Language systems, blocks and lookups.
void featAddLanguageSystem(coreContext* g, uint32_t script, uint32_t language, bool mustPrecede);
int featTagBlock(coreContext* g, uint32_t tag, int kind, bool start, const std::string& text);
void featIncludeDflt(coreContext* g, bool include, int changed, bool deprecated);
void featLookupBlock(coreContext* g, const std::string& name, bool start, bool topLevel);
void featLookupReference(coreContext* g, const std::string& name);
void featUseLookup(coreContext* g, const NamedLookupRecord& record);
uint16_t featGetLabelByName(coreContext* g, const std::string& name);
void featUseExtension(coreContext* g, bool inLookup);
void featSubtableBreak(coreContext* g);
void featPrepRule(coreContext* g, uint32_t table, uint32_t type, GlyphNode* target,
                  GlyphNode* replacement);
void featCloseLookup(coreContext* g, const FeatState& state);
void featRegisterDefaultLangSys(coreContext* g);
// The default lookups of a script that a script statement makes current.
void featScriptDefaultLookups(coreContext* g, uint32_t script);
uint16_t featNextAnonLabel(coreContext* g);

// 'aalt'.
void featAaltAddFeature(coreContext* g, uint32_t tag);
void featAaltStore(coreContext* g, GlyphNode* target, GlyphNode* replacement);
void featAaltAddRule(coreContext* g, GlyphNode* target, GlyphNode* replacement);
void featAaltCreate(coreContext* g);
void featAaltCheckFeatures(coreContext* g);

// Glyphs and classes.
uint16_t featGlyphLookup(coreContext* g, const std::string& name);
uint16_t featCIDLookup(coreContext* g, int cid);
ClassRecord* featClassFind(coreContext* g, const std::string& name);
ClassRecord* featClassDefine(coreContext* g, const std::string& name, bool keep);
// The class's first node as its identity for another module; kept through redefinitions.
GlyphNode* featClassKey(ClassRecord* r);
void featClassBegin(coreContext* g, const std::string& name);
void featAddRange(coreContext* g, uint16_t firstId, uint16_t lastId, const std::string& first,
                  const std::string& last);
void featAddClassRef(coreContext* g, const std::string& name, bool selfCheck);
void featAddNodeToClass(coreContext* g, GlyphNode* node);
GlyphNode* featClassEnd(coreContext* g);
FeatValueRecord* featNewValueRecord(coreContext* g);
void featAddValueRecordDef(coreContext* g, const int16_t values[4], const std::string& name);
void featGetValueRecordDef(coreContext* g, const std::string& name, int16_t values[4]);
void featAddAnchorDef(coreContext* g, int16_t x, int16_t y, uint16_t contourPoint,
                      bool hasContourPoint, const std::string& name);
void featAddAnchor(coreContext* g, int16_t x, int16_t y, uint16_t contourPoint, bool isNull,
                   bool hasContourPoint, const std::string* name, int componentIndex);
void featAddMarkClass(coreContext* g, GlyphNode* glyphs, const std::string& name);
void featSetAnchorMarkClass(coreContext* g, const std::string& name);
int featGetMarkAttachClass(coreContext* g, const std::string& name);
void featAddToDefaultClass(coreContext* g, GlyphNode* pattern, const char* className);
// The glyphs of one element, each once, to a default class.
void featAddElementToDefaultClass(coreContext* g, GlyphNode* element, const char* className);
void featSetGDEFGlyphClasses(coreContext* g);

// Rules.
void featSubstitutionRule(coreContext* g, GlyphNode* target, GlyphNode* replacement, int type);
void featPositionRule(coreContext* g, GlyphNode* pattern, int type, bool enumerate);
void featAddFeatureParams(coreContext* g, const std::vector<uint16_t>& params);
void featAddFeatureNamesParam(coreContext* g, uint16_t nameId);

// Table statements.
void featAddAttach(coreContext* g, GlyphNode* target, int index);
void featAddLigCaret(coreContext* g, GlyphNode* target, int value, int format);
void featAddNameString(coreContext* g, int platform, int encoding, int language, int nameId);
void featAddSizeNameString(coreContext* g, int platform, int encoding, int language);
void featAddFeatureNameString(coreContext* g, int platform, int encoding, int language);
void featSetUnicodeRange(coreContext* g, const std::vector<uint32_t>& values);
void featSetCodePageRange(coreContext* g, const std::vector<uint32_t>& values);
void featSetVendor(coreContext* g);
void featSetFontRevision(coreContext* g, const std::string& text);

}  // namespace fea
