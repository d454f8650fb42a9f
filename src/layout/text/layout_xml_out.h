// Line output of the layout XML document: indentation, tags with escaped attribute
// values, count comments, and the shared elements (coverage, class definition, anchor,
// device, value record).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "layout/glyph_slot.h"
#include "layout/records.h"

namespace otl::xml_out {

using Attribute = std::pair<std::string_view, std::string>;
using Attributes = std::initializer_list<Attribute>;

std::string number(int64_t value);
std::string glyphName(uint32_t id);

class LineWriter {
 public:
  explicit LineWriter(std::ostream& out) : out_(out) {}
  void start(int indent, std::string_view name, Attributes attributes = {});
  void empty(int indent, std::string_view name, Attributes attributes = {});
  void end(int indent, std::string_view name);
  void comment(int indent, std::string_view countName, int64_t count);
  void raw(std::string_view line);
  // An empty tag with the one attribute "value".
  void value(int indent, std::string_view name, std::string text) { empty(indent, name, {{"value", std::move(text)}}); }

  // A negative index writes no index attribute.
  void coverage(int indent, std::string_view name, const GlyphList& glyphs, int64_t index = -1);
  void classDef(int indent, std::string_view name, const ClassDefinitionTable& classes);
  void anchor(int indent, std::string_view name, const AnchorTable& anchor, int64_t index = -1);
  void device(int indent, std::string_view name, const DeviceTable& device);
  void valueRecord(int indent, std::string_view name, const GPosValue& value, uint16_t format, int64_t index = -1);

 private:
  void tag(int indent, std::string_view name, Attributes attributes, bool closed);
  std::ostream& out_;
};

}  // namespace otl::xml_out
