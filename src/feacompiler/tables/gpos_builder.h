// GPOS builder: the positioning rules of the feature file grouped into lookups and
// subtables, written as a binary GPOS table.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "feacompiler/glyph_node.h"
#include "feacompiler/tables/chain_context.h"
#include "feacompiler/tables/otl_builder.h"
#include "layout/ot/model_budget.h"

namespace fea {

// Message texts used in more than one place (printf formats).
#define GPOS_PAIR_OVERFLOW \
  "Pair positioning subtable in GPOS feature '%c%c%c%c' causes offset overflow."
#define GPOS_LIGATURE_CONFLICT                                                         \
  "MarkToLigature statement for glyph '%s' contains a duplicate or conflicting mark " \
  "class assignment. Skipping rule. %s"

constexpr uint16_t kGposExtensionType = 9;

// A value record as given (count 0, 1 or 4 numbers) with its value format and the four
// fields it sets (XPlacement, YPlacement, XAdvance, YAdvance).
struct GposValue {
  uint8_t count = 0;
  int16_t raw[4] = {0, 0, 0, 0};
  uint16_t format = 0;
  int16_t field[4] = {0, 0, 0, 0};
};

struct GposSingleRecord {
  uint16_t gid = 0;
  GposValue value;
};

struct GposPairRecord {
  uint16_t first = 0, second = 0;  // glyphs, or class indices for class pairs
  GposValue v1, v2;
  bool removed = false;
};

// A base, ligature-component or cursive glyph with its anchors.
struct GposBaseRecord {
  uint16_t gid = 0;
  std::vector<GpsAnchor> anchors;  // markClassIndex filled; cursive: entry, exit
  int line = 0;
};

struct GposMarkClass {
  const GlyphNode* key = nullptr;  // identity of the mark class
  std::string name;
  std::vector<std::pair<uint16_t, GpsAnchor>> members;  // glyph and its anchor
};

struct GposClassEntry {
  uint16_t index = 0;
  std::vector<uint16_t> glyphs;  // in the class's order; glyphs[0] is its first glyph
};

struct GposClassSide {
  std::vector<GposClassEntry> classes;
  std::vector<uint16_t> glyphs;  // every glyph of those classes, sorted
};

struct GposLookupInfo {
  LookupParams p;
  uint16_t parentType = 0;
  std::vector<ChainRule> chainRules;
  std::vector<GposMarkClass> markClasses;
  std::vector<GposBaseRecord> baseRecords;
  std::vector<GposSingleRecord> singles;
  std::vector<GposPairRecord> pairs;
  int pairFormat = 0;  // 0 none, 1 glyph pairs, 2 class pairs
  uint16_t vf1 = 0, vf2 = 0;
  std::string file;
};

struct GPOSContext {
  GposLookupInfo cur;
  OtlBuilder b{kGposExtensionType, "positioning",
               "GPOS feature '%c%c%c%c' causes overflow of offset to a subtable (0x%lx)"};
  uint16_t sizeMenuNameId = 0;
  bool pairBreak = false;
  bool generalBreak = false;
  GposClassSide sides[2];
  std::vector<GposLookupInfo> anon;
  // 'size' parameters of the current lookup: subtable index and subfamily identifier.
  size_t sizeSubtable = SIZE_MAX;
  uint16_t sizeSubfamily = 0;
  // What the layout model will hold of the pairs compiled so far (glyph pairs, and the
  // glyphs of each class pair's classes and of the subtables' coverages and classes).
  ot::ModelBudget records;
};

// Value formats and records.
GposValue gposValue(const FeatValueRecord* vr, bool verticalPair);
void gposValueWrite(Bytes& out, uint16_t format, const GposValue& v);
int gposFormatBits(uint16_t format);
bool gposIsVerticalKern(const GposLookupInfo& l);

// Single and pair positioning (gpos_single_pair.cpp).
void gposSingleAdd(coreContext* g, GposLookupInfo& l, const GlyphNode* element);
void gposSingleFill(coreContext* g, GPOSContext& h, GposLookupInfo& l);
void GPOSAddPair(coreContext* g, GlyphNode* first, GlyphNode* second, const std::string& file,
                 int line);
void gposPairFill(coreContext* g, GPOSContext& h, GposLookupInfo& l);

// Cursive and mark attachment (gpos_attach.cpp).
void gposCursiveRecordsAdd(GposLookupInfo& l, const GlyphNode* element, int anchorCount,
                           const GpsAnchor* anchors, int line);
void gposBaseRecordsAdd(coreContext* g, GposLookupInfo& l, const GlyphNode* element,
                        int anchorCount, const GpsAnchor* anchors, int line);
void gposCursiveFill(coreContext* g, GPOSContext& h, GposLookupInfo& l);
void gposMarkToBaseFill(coreContext* g, GPOSContext& h, GposLookupInfo& l);
void gposMarkToLigatureFill(coreContext* g, GPOSContext& h, GposLookupInfo& l);

// Contextual rules and anonymous lookups (gpos_context.cpp).
void gposContextRuleAdd(coreContext* g, GPOSContext& h, GlyphNode* pattern, int anchorCount,
                        const GpsAnchor* anchors, int line);
void gposChainFill(coreContext* g, GPOSContext& h, GposLookupInfo& l);

// Builds the lookup's subtables (lookup end and anonymous lookups).
void gposBuildLookup(coreContext* g, GPOSContext& h, GposLookupInfo& l);

// Glyph name for messages; " [file line]" or nothing.
std::string gposGlyphName(coreContext* g, uint16_t gid);
std::string gposWhere(const std::string& file, int line);

}  // namespace fea
