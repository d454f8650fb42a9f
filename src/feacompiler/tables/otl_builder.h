// What the GSUB and GPOS builders share: subtable records with their lookup parameters,
// the subtable section, the Extension form with its own sections, and the table write.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "feacompiler/tables/otl_table.h"

namespace fea {

struct GlyphNode;

// Glyph ids of one pattern element (a glyph or each member of a class), in its order.
std::vector<uint16_t> elementGlyphs(const GlyphNode* element);

// The feature layer's anonymous-label counter (fatal at its limit).
uint16_t featNextAnonLabel(coreContext* g);

struct LookupParams {
  uint32_t script = kTagNone;
  uint32_t language = kTagNone;
  uint32_t feature = kTagNone;
  bool useExtension = false;
  uint16_t type = 0;
  uint16_t flag = 0;
  uint16_t markSetIndex = 0;
  uint16_t label = otlNoLabel;
};

// A 16-bit field of a built subtable that is known only when the sections are laid out.
struct OtlFixup {
  enum Kind : uint8_t { kCoverage, kClass, kLookup };
  uint32_t pos = 0;
  Kind kind = kCoverage;
  uint32_t value = 0;  // offset in the section, or the lookup label
  const char* what = "";
  const char* where = "";
};

struct BuiltSubtable {
  Bytes bytes;
  std::vector<OtlFixup> fixups;
  void coverage(uint32_t pos, uint32_t offset, const char* what, const char* where) {
    fixups.push_back({pos, OtlFixup::kCoverage, offset, what, where});
  }
  void classDef(uint32_t pos, uint32_t offset, const char* what, const char* where) {
    fixups.push_back({pos, OtlFixup::kClass, offset, what, where});
  }
  void lookup(uint32_t pos, uint16_t label) {
    fixups.push_back({pos, OtlFixup::kLookup, label, "", ""});
  }
  // A count, then one Coverage offset a coverage, each placed when the table is laid out.
  void coverageList(const std::vector<uint32_t>& offsets, const char* what, const char* where) {
    put16(bytes, static_cast<uint32_t>(offsets.size()));
    for (uint32_t offset : offsets) {
      coverage(static_cast<uint32_t>(bytes.size()), offset, what, where);
      put16(bytes, 0);
    }
  }
  // A count, then the lookup records: sequence index and the called lookup's label.
  void lookupRecords(const std::vector<std::pair<uint16_t, uint16_t>>& records) {
    put16(bytes, static_cast<uint32_t>(records.size()));
    for (const auto& [sequenceIndex, label] : records) {
      put16(bytes, sequenceIndex);
      lookup(static_cast<uint32_t>(bytes.size()), label);
      put16(bytes, 0);
    }
  }
};

struct BuilderSubtable {
  LookupParams p;
  uint32_t offset = 0;  // in the subtable section (the Extension record's place)
  bool featureParam = false;
  std::unique_ptr<OtlTable> ext;  // the Extension form's own sections
  uint32_t extOffset = 0;         // in the extension region
  // The shared sections' sizes when a plain subtable was placed: the blocks past them are
  // its and its followers', to be given back when they move to the Extension form.
  uint32_t coverageMark = 0, classMark = 0;
  BuiltSubtable built;
};

struct OtlBuilder {
  OtlBuilder(uint16_t extensionType, const char* kind, const char* sectionOverflow)
      : extensionType(extensionType), kind(kind), sectionOverflow(sectionOverflow) {}

  uint16_t extensionType;       // the table's Extension lookup type
  const char* kind;             // "substitution" / "positioning"
  const char* sectionOverflow;  // fatal format: feature tag, then the section's size
  std::vector<BuilderSubtable> subtables;
  uint32_t mainSize = 0;        // the subtable section
  // The smallest the subtable section can be made: every subtable that may take the
  // Extension form in it, as its 8-byte record.
  uint32_t minMainSize = 0;
  uint32_t extSize = 0;         // the extension region
  uint32_t extStart = 0;        // main + coverage + class sections, set by the fill
  int maxContext = 0;           // the longest input plus look-ahead of the rules built
  std::unique_ptr<OtlTable> table;
};

// Appends a record for the lookup; a reference gets nothing else. Returns its index.
size_t otlBuilderStart(coreContext* g, OtlBuilder& b, const LookupParams& p, bool featureParam);
// The table that holds the coverages and classes of a subtable.
OtlTable* otlBuilderSections(coreContext* g, OtlBuilder& b, size_t index);
// Places the built subtable and grows its section. A plain lookup that no longer fits the
// 16-bit offsets of the shared sections moves to the Extension form; when the subtable
// section would pass them even with every lookup in that form, `overflow` (a format taking
// the feature tag) is fatal.
void otlBuilderFinish(coreContext* g, OtlBuilder& b, size_t index, BuiltSubtable built,
                      const char* overflow = nullptr);
// At a lookup's end: a subtable section past 16-bit offsets in any form is fatal.
void otlBuilderSectionCheck(coreContext* g, const OtlBuilder& b, uint32_t feature);
// Lays the subtables out again in their order with the lookups of the `promoted` labels in
// the Extension form; the shared sections keep what the plain subtables use.
void otlBuilderPromote(coreContext* g, OtlBuilder& b, const std::vector<uint16_t>& promoted);
// The largest offset from a plain subtable to one of its coverages or classes.
uint64_t otlBuilderSectionReach(const OtlBuilder& b);
// Moves the plain lookups that take the most room in the subtable section to the Extension
// form, at least `excess` bytes of it; false when no plain lookup is left.
bool otlBuilderShrink(coreContext* g, OtlBuilder& b, uint64_t excess);
void otlBuilderRaiseContext(OtlBuilder& b, size_t context);
// Registers every record, fills the lists and resolves lookup fixups.
void otlBuilderFill(coreContext* g, OtlBuilder& b);
// Writes the finished table through the client's output.
void otlBuilderWrite(coreContext* g, OtlBuilder& b);
void otlBuilderReuse(coreContext* g, OtlBuilder& b);

// Writes a finished table through the client's output.
void otlEmit(coreContext* g, const Bytes& out);

// The life of a GSUB or GPOS context (the table's rule state around its `OtlBuilder b`):
// made with the core, emptied between compiles while the builder keeps its sections'
// storage, and freed with the core.
template <class Context>
void otlContextNew(Context*& context) {
  context = new Context();
}

template <class Context>
void otlContextFree(Context*& context) {
  delete context;
  context = nullptr;
}

template <class Context>
void otlContextReuse(coreContext* g, Context& context) {
  OtlBuilder kept = std::move(context.b);
  context = Context();
  context.b = std::move(kept);
  otlBuilderReuse(g, context.b);
}

}  // namespace fea
