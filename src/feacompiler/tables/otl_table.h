// The common part of a GSUB or GPOS table: header, ScriptList, FeatureList and LookupList
// worked out from the builders' subtable records, and the coverage and class-definition
// sections that sit behind a builder's subtables.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "feacompiler/core_context.h"
#include "layout/ot/big_endian.h"
#include "layout/ot/tag.h"

namespace fea {

constexpr uint16_t otlNoLabel = 0xFFFF;
constexpr uint16_t otlNoLookupIndex = 0xFFFF;

inline bool otlIsReference(uint16_t label) { return label >= 0x8000 && label != otlNoLabel; }

// The lookup flag bit that adds a mark-filtering-set index to a Lookup table.
constexpr uint16_t otlUseMarkFilteringSet = 0x0010;

using Bytes = std::vector<uint8_t>;

// The tables are built with the binary layer's big-endian helpers.
using ot::put16;
using ot::put32;
using ot::set16;

// The one checked 16-bit offset of the compiler, the binary layer's check against the
// compiler's bound (ot::limits::kMaxCompilerOffset16): a value past it is fatal
// "<what> offset overflow (0x..) in <where> <kind>".
uint16_t otlOffset16(coreContext* g, uint64_t value, const char* what, const char* where,
                     const char* kind);

// Four tag characters for "%c%c%c%c".
#define OTL_TAG_ARGS(t)                                                              \
  static_cast<char>(((t) >> 24) & 0xFF), static_cast<char>(((t) >> 16) & 0xFF),     \
      static_cast<char>(((t) >> 8) & 0xFF), static_cast<char>((t) & 0xFF)

struct OtlSubtableRecord {
  uint32_t script = 0, language = 0, feature = 0;
  uint16_t lookupFlag = 0;
  uint16_t lookupType = 0;
  uint16_t extensionType = 0;
  uint32_t offset = 0;  // in the builder's subtable section
  uint16_t markSetIndex = 0;
  uint16_t label = otlNoLabel;
  bool featureParam = false;
  bool seenInFeature = false;
  int featureIndex = -1;
  uint16_t lookupIndex = otlNoLookupIndex;
};

struct OtlLabelRecord {
  uint16_t label = 0;
  uint16_t lookupIndex = 0;
  bool used = false;
};

struct OtlCoverage {
  std::vector<uint16_t> glyphs;
  uint8_t format = 0;
  uint32_t offset = 0;
};

struct OtlClassDef {
  std::vector<std::pair<uint16_t, uint16_t>> pairs;  // (glyph, class)
  uint8_t format = 0;
  uint32_t offset = 0;
};

struct OtlTable {
  std::vector<OtlSubtableRecord> records;
  int noScriptCount = 0, standAloneCount = 0, referenceCount = 0, paramCount = 0;
  std::vector<OtlLabelRecord> labels;  // sorted by label after the fill

  Bytes lists;  // header, ScriptList, FeatureList, LookupList
  bool filled = false;

  std::vector<OtlCoverage> coverages;
  std::vector<uint16_t> currentCoverage;
  std::map<std::vector<uint16_t>, uint32_t> coverageIndex;  // glyphs -> offset
  uint32_t coverageSize = 0;

  std::vector<OtlClassDef> classes;
  std::vector<std::pair<uint16_t, uint16_t>> currentClass;
  std::map<std::vector<std::pair<uint16_t, uint16_t>>, uint32_t> classIndex;
  uint32_t classSize = 0;

  // A section grown past 16-bit offsets is fatal at once; the builders' shared table checks
  // when a subtable is finished instead, after moving its lookup to the Extension form.
  bool checksAtOnce = true;
};

std::unique_ptr<OtlTable> otlNew(coreContext* g);

void otlSubtableAdd(coreContext* g, OtlTable* t, uint32_t script, uint32_t language,
                    uint32_t feature, uint16_t lookupType, uint16_t lookupFlag,
                    uint16_t markSetIndex, uint16_t extensionType, uint32_t offset, uint16_t label,
                    bool featureParam);

void otlCoverageBegin(coreContext* g, OtlTable* t);
void otlCoverageAddGlyph(coreContext* g, OtlTable* t, uint16_t gid);
// Offset of the finished coverage within the table's coverage section.
uint32_t otlCoverageEnd(coreContext* g, OtlTable* t);
// One whole coverage of the glyphs: its offset within the coverage section.
uint32_t otlCoverageOf(coreContext* g, OtlTable* t, const std::vector<uint16_t>& glyphs);

// Fatal "coverage section too large" / "class section too large" past 16-bit offsets.
void otlSectionsCheck(coreContext* g, const OtlTable* t);
// The glyphs of the coverage at `offset` / the pairs of the class definition at `offset`.
const std::vector<uint16_t>& otlCoverageAt(coreContext* g, const OtlTable* t, uint32_t offset);
const std::vector<std::pair<uint16_t, uint16_t>>& otlClassAt(coreContext* g, const OtlTable* t, uint32_t offset);
// Forgets the coverages and class definitions made since the sections had these sizes.
void otlSectionsCut(OtlTable* t, uint32_t coverageSize, uint32_t classSize);

void otlClassBegin(coreContext* g, OtlTable* t);
void otlClassAddMapping(coreContext* g, OtlTable* t, uint16_t gid, uint16_t cls);
uint32_t otlClassEnd(coreContext* g, OtlTable* t);

// Lookup and feature indices and the three lists.
void otlTableFill(coreContext* g, OtlTable* t);
// The largest offset from a Lookup table to one of its subtables that the LookupList of the
// records would hold, with the subtable section right behind it.
uint64_t otlLookupReach(const OtlTable* t);
// Lookup index of a label; marks the lookup used. Fatal when the label is unknown.
uint16_t otlLabelLookupIndex(coreContext* g, OtlTable* t, uint16_t label);
void otlLookupCheck(coreContext* g, OtlTable* t);

void otlTableWrite(coreContext* g, OtlTable* t, Bytes& out);
void otlCoverageWrite(coreContext* g, OtlTable* t, Bytes& out);
void otlClassWrite(coreContext* g, OtlTable* t, Bytes& out);

void otlCoverageReuse(coreContext* g, OtlTable* t);
void otlClassReuse(coreContext* g, OtlTable* t);
void otlListsReuse(coreContext* g, OtlTable* t);

}  // namespace fea
