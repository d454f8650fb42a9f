// What the writers of subtable elements share: the indentation of a subtable's children,
// the subtable read back from its binary form, and the element around a kind's body.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "layout/lookup_kind_table.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/text/layout_xml_subtables.h"
#include "model/glyph_groups.h"

namespace otl::xml_out {

inline constexpr int kIn = 8;  // a subtable's direct children

// The subtable's binary form read back through its own reader: the document shows what
// the binary table holds, in its order. Classes of the copy go to a scratch collection.
struct ReadBack {
  vn::FeaGlyphGroups classes;
  vn::FeaGlyphGroups* classesPtr = &classes;
  std::unique_ptr<LookupSubtable> subtable;

  ReadBack(const SubtableXml& e, uint16_t format) {
    ot::BinaryWriter writer;
    e.subtable.writeBinary(writer, e.lookups, e.glyphs, format);
    const std::string bytes = writer.str();
    ot::BinaryReader reader(bytes);
    subtable = e.kind.create(&classesPtr);
    subtable->readBinary(reader, 0, {}, e.glyphs);
  }
  template <class Kind>
  const Kind& as() const {
    return static_cast<const Kind&>(*subtable);
  }
};

inline void openElement(LineWriter& w, const char* name, int64_t index, int format) {
  w.start(6, name, {{"index", number(index)}, {"Format", number(format)}});
}

// The kind's element, shown with `format`, around what `body` writes.
template <class Body>
void element(const SubtableXml& e, int format, Body&& body) {
  openElement(e.w, e.kind.xmlElement, e.index, format);
  body();
  e.w.end(6, e.kind.xmlElement);
}

}  // namespace otl::xml_out
