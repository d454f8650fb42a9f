// One subtable element of the layout XML document per model subtable.
#pragma once

#include <cstdint>

#include "layout/subtable.h"
#include "layout/text/layout_xml_out.h"

namespace otl {
struct LookupKindRow;
}

namespace otl::xml_out {

// One subtable element to write, as each kind's writer gets it.
struct SubtableXml {
  LineWriter& w;
  const LookupKindRow& kind;
  const LookupSubtable& subtable;
  int64_t index;
  const LookupIndexMap& lookups;
  const GlyphIdMap& glyphs;
};

// Writes the subtable's element at indentation 6. Most kinds show their binary form,
// read back into a scratch subtable; the contexts are written from their first rule.
void writeSubtableXml(LineWriter& w, const LookupSubtable& subtable, int64_t index, const LookupIndexMap& lookups,
                      const GlyphIdMap& glyphs);

// Each kind's writer; the lookup kinds table names the one of each kind.
void writeSingleSubstXml(const SubtableXml& e);
void writeMultipleSubstXml(const SubtableXml& e);
void writeAlternateSubstXml(const SubtableXml& e);
void writeLigatureSubstXml(const SubtableXml& e);
void writeContextXml(const SubtableXml& e);
void writeChainedContextXml(const SubtableXml& e);
void writeReverseChainSubstXml(const SubtableXml& e);
void writeSinglePosXml(const SubtableXml& e);
void writePairPosXml(const SubtableXml& e);
void writeCursivePosXml(const SubtableXml& e);
void writeMarkBasePosXml(const SubtableXml& e);
void writeMarkLigPosXml(const SubtableXml& e);

}  // namespace otl::xml_out
