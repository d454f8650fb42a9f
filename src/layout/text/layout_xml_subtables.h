// One subtable element of the layout XML document per model subtable.
#pragma once

#include <cstdint>

#include "layout/subtable.h"
#include "layout/text/layout_xml_out.h"

namespace otl::xml_out {

// Writes the subtable's element at indentation 6. Most kinds show their binary form,
// read back into a scratch subtable; the contexts are written from their first rule.
void writeSubtableXml(LineWriter& w, const LookupSubtable& subtable, int64_t index, const LookupIndexMap& lookups,
                      const GlyphIdMap& glyphs);

}  // namespace otl::xml_out
