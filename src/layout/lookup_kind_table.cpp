#include "layout/lookup_kind_table.h"

#include <cstring>

#include "layout/context_subst.h"
#include "layout/cursive_pos.h"
#include "layout/ligature_subst.h"
#include "layout/mark_pos.h"
#include "layout/multiple_subst.h"
#include "layout/pair_pos.h"
#include "layout/reverse_chain.h"
#include "layout/single_pos.h"
#include "layout/single_subst.h"
#include "layout/text/layout_xml_handlers.h"
#include "layout/text/layout_xml_subtables.h"

namespace otl {

namespace {

template <class Kind>
std::unique_ptr<LookupSubtable> make(GlyphClassHolder holder) {
  return std::make_unique<Kind>(holder);
}

// Pair subtables keep their glyph classes apart from the lookup's.
std::unique_ptr<LookupSubtable> makePair(GlyphClassHolder) { return std::make_unique<LpPair>(LpPair::Bare{}); }

using namespace xml;
using namespace xml_out;

// clang-format off
constexpr LookupKindRow kKinds[] = {
  {kGposSingle, kTableGpos, 1, "single adjustment positioning", "Single adjustment", "SinglePos",
   make<LpSingle>, singlePosParser, writeSinglePosXml, false, false, false},
  {kGposPair, kTableGpos, 2, "pair adjustment positioning", "Pair adjustment", "PairPos",
   makePair, pairPosParser, writePairPosXml, false, false, false},
  {kGposCursive, kTableGpos, 3, "cursive attachment positioning", "Cursive attachment", "CursivePos",
   make<LpCursive>, cursivePosParser, writeCursivePosXml, false, false, false},
  {kGposMarkToBase, kTableGpos, 4, "mark-to-base attachment positioning", "MarkToBase attachment", "MarkBasePos",
   make<LpMarkToBase>, markBasePosParser, writeMarkBasePosXml, false, false, true},
  {kGposMarkToLigature, kTableGpos, 5, "mark-to-ligature attachment positioning", "MarkToLigature attachment",
   "MarkLigPos", make<LpMarkToLigature>, markLigPosParser, writeMarkLigPosXml, false, false, true},
  {kGposMarkToMark, kTableGpos, 6, "mark-to-mark attachment positioning", "MarkToMark attachment", "MarkMarkPos",
   make<LpMarkToMark>, markBasePosParser, writeMarkBasePosXml, false, false, true},
  {kGposContext, kTableGpos, 7, "contextual positioning", "Context positioning", "ContextPos",
   make<LpContext>, contextParser, writeContextXml, false, true, false},
  {kGposChainedContext, kTableGpos, 8, "chained contextual positioning", "Chained Context positioning",
   "ChainContextPos", make<LpChainedContext>, contextParser, writeChainedContextXml, false, true, false},
  {kGposExtension, kTableGpos, 9, "extension positioning", "Extension positioning", nullptr,
   nullptr, nullptr, nullptr, true, false, false},
  {kGsubSingle, kTableGsub, 1, "single substitution", "Single", "SingleSubst",
   make<LsSingle>, singleSubstParser, writeSingleSubstXml, false, false, false},
  {kGsubMultiple, kTableGsub, 2, "multiple substitution", "Multiple", "MultipleSubst",
   make<LsMultiple>, multipleSubstParser, writeMultipleSubstXml, false, false, false},
  {kGsubAlternate, kTableGsub, 3, "alternate substitution", "Alternate", "AlternateSubst",
   make<LsAlternate>, alternateSubstParser, writeAlternateSubstXml, false, false, false},
  {kGsubLigature, kTableGsub, 4, "ligature substitution", "Ligature", "LigatureSubst",
   make<LsLigature>, ligatureSubstParser, writeLigatureSubstXml, false, false, false},
  {kGsubContext, kTableGsub, 5, "contextual substitution", "Context", "ContextSubst",
   make<LsContext>, contextParser, writeContextXml, false, true, false},
  {kGsubChainedContext, kTableGsub, 6, "chained contextual substitution", "Chaining Context", "ChainContextSubst",
   make<LsChainedContext>, contextParser, writeChainedContextXml, false, true, false},
  {kGsubExtension, kTableGsub, 7, "extension substitution", "Extension Substitution", nullptr,
   nullptr, nullptr, nullptr, true, false, false},
  {kGsubReverseChainedContext, kTableGsub, 8, "reverse chained contextual substitution",
   "Reverse chaining context single", "ReverseChainSingleSubst",
   make<LsReverseChainedContext>, reverseChainSubstParser, writeReverseChainSubstXml, false, false, false},
};
// clang-format on

}  // namespace

std::span<const LookupKindRow> lookupKinds() { return kKinds; }

const LookupKindRow* findLookupKind(uint32_t tableId, uint32_t typeCode) {
  for (const LookupKindRow& row : kKinds) {
    if (row.tableId == tableId && row.kind == typeCode) return &row;
  }
  return nullptr;
}

const LookupKindRow* findBinaryLookupKind(uint32_t tableId, uint16_t binaryType) {
  for (const LookupKindRow& row : kKinds) {
    if (row.tableId == tableId && row.binaryType == binaryType) return &row;
  }
  return nullptr;
}

const LookupKindRow* findXmlLookupKind(const char* name) {
  for (const LookupKindRow& row : kKinds) {
    if (row.xmlElement && std::strcmp(row.xmlElement, name) == 0) return &row;
  }
  return nullptr;
}

uint32_t fromBinaryLookupType(uint16_t binaryType, uint32_t tableId) {
  const LookupKindRow* row = findBinaryLookupKind(tableId, binaryType);
  return row ? row->kind : kNoLookupKind;
}

uint16_t toBinaryLookupType(uint32_t typeCode, uint32_t tableId) {
  const LookupKindRow* row = findLookupKind(tableId, typeCode);
  return row ? row->binaryType : 0;
}

const char* lookupKindName(uint32_t typeCode) {
  // The numbers of the two tables do not overlap: the code alone names the kind.
  for (uint32_t tableId : {kTableGpos, kTableGsub}) {
    if (const LookupKindRow* row = findLookupKind(tableId, typeCode)) return row->name;
  }
  return "unknown lookup kind";
}

bool isExtensionKind(uint32_t tableId, uint32_t typeCode) {
  const LookupKindRow* row = findLookupKind(tableId, typeCode);
  return row && row->extension;
}

bool isContextualKind(uint32_t tableId, uint32_t typeCode) {
  const LookupKindRow* row = findLookupKind(tableId, typeCode);
  return row && row->contextual;
}

bool isMarkAttachmentKind(uint32_t tableId, uint32_t typeCode) {
  const LookupKindRow* row = findLookupKind(tableId, typeCode);
  return row && row->markAttachment;
}

bool isWritableKind(uint32_t tableId, uint32_t typeCode) {
  const LookupKindRow* row = findLookupKind(tableId, typeCode);
  return row && !row->extension;
}

}  // namespace otl
