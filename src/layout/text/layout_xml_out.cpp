#include "layout/text/layout_xml_out.h"

#include <charconv>
#include <map>

#include "layout/glyph_indices.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/registry/glyph_name_registry.h"
#include "text/xml_text.h"

namespace otl::xml_out {

std::string number(int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string glyphName(uint32_t id) { return id == 0 ? std::string() : glyphNameById(id); }

void LineWriter::tag(int indent, std::string_view name, Attributes attributes, bool closed) {
  std::string line(static_cast<size_t>(indent), ' ');
  line += '<';
  line += name;
  for (const auto& [key, text] : attributes) ::xml::appendAttribute(line, key, text);
  line += closed ? "/>" : ">";
  raw(line);
}

void LineWriter::start(int indent, std::string_view name, Attributes attributes) {
  tag(indent, name, attributes, false);
}

void LineWriter::empty(int indent, std::string_view name, Attributes attributes) {
  tag(indent, name, attributes, true);
}

void LineWriter::end(int indent, std::string_view name) {
  std::string line(static_cast<size_t>(indent), ' ');
  line += "</";
  line += name;
  line += '>';
  raw(line);
}

void LineWriter::comment(int indent, std::string_view countName, int64_t count) {
  std::string line(static_cast<size_t>(indent), ' ');
  line += "<!-- ";
  line += countName;
  line += '=';
  line += number(count);
  line += " -->";
  raw(line);
}

void LineWriter::raw(std::string_view line) {
  out_ << line << '\n';
}

void LineWriter::coverage(int indent, std::string_view name, const GlyphList& glyphs, int64_t index) {
  const std::string format = number(xmlCoverageFormat(glyphs));
  if (index >= 0) {
    start(indent, name, {{"index", number(index)}, {"Format", format}});
  } else {
    start(indent, name, {{"Format", format}});
  }
  for (uint32_t glyph : glyphs) value(indent + 2, "Glyph", glyphName(glyph));
  end(indent, name);
}

void LineWriter::classDef(int indent, std::string_view name, const ClassDefinitionTable& classes) {
  start(indent, name, {{"Format", "2"}});
  for (size_t i = 0; i < classes.pairCount(); ++i) {
    empty(indent + 2, "ClassDef", {{"glyph", glyphName(classes.glyphs[i])}, {"class", number(classes.classes[i])}});
  }
  end(indent, name);
}

void LineWriter::anchor(int indent, std::string_view name, const AnchorTable& anchor, int64_t index) {
  const bool point = anchor.contourPoint != AnchorTable::kNoPoint;
  const bool devices = !point && (anchor.xDevice || anchor.yDevice);
  const std::string format = point ? "2" : devices ? "3" : "1";
  if (index >= 0) {
    start(indent, name, {{"index", number(index)}, {"Format", format}});
  } else {
    start(indent, name, {{"Format", format}});
  }
  value(indent + 2, "XCoordinate", number(anchor.x));
  value(indent + 2, "YCoordinate", number(anchor.y));
  if (point) value(indent + 2, "AnchorPoint", number(static_cast<int16_t>(anchor.contourPoint)));
  if (devices && anchor.xDevice) device(indent + 2, "XDeviceTable", *anchor.xDevice);
  if (devices && anchor.yDevice) device(indent + 2, "YDeviceTable", *anchor.yDevice);
  end(indent, name);
}

void LineWriter::device(int indent, std::string_view name, const DeviceTable& device) {
  // The packer chooses the sizes and the delta format; the deltas come from the entries.
  ot::BinaryWriter packed;
  device.pack(packed);
  const std::string bytes = packed.str();
  ot::BinaryReader header(bytes);
  const uint16_t startSize = header.readUInt16();
  const uint16_t endSize = header.readUInt16();
  const uint16_t deltaFormat = header.readUInt16();
  std::map<uint16_t, int> deltas;
  for (const auto& entry : device.entries) deltas[entry.ppem] = entry.delta;
  std::string list = "[";
  for (uint32_t size = startSize; size <= endSize && !bytes.empty(); ++size) {
    if (size != startSize) list += ", ";
    const auto found = deltas.find(static_cast<uint16_t>(size));
    list += number(found == deltas.end() ? 0 : found->second);
  }
  list += "]";
  start(indent, name);
  value(indent + 2, "StartSize", number(startSize));
  value(indent + 2, "EndSize", number(endSize));
  value(indent + 2, "DeltaFormat", number(deltaFormat));
  value(indent + 2, "DeltaValue", list);
  end(indent, name);
}

void LineWriter::valueRecord(int indent, std::string_view name, const GPosValue& value, uint16_t format,
                             int64_t index) {
  std::string line(static_cast<size_t>(indent), ' ');
  line += '<';
  line += name;
  if (index >= 0) ::xml::appendAttribute(line, "index", number(index));
  static constexpr std::pair<uint16_t, const char*> kFields[] = {
      {ot::kXPlacement, "XPlacement"}, {ot::kYPlacement, "YPlacement"}, {ot::kXAdvance, "XAdvance"}, {ot::kYAdvance, "YAdvance"}};
  const int16_t numbers[] = {value.xPlacement, value.yPlacement, value.xAdvance, value.yAdvance};
  for (size_t i = 0; i < 4; ++i) {
    if (format & kFields[i].first) ::xml::appendAttribute(line, kFields[i].second, number(numbers[i]));
  }
  static constexpr std::pair<uint16_t, const char*> kDevices[] = {
      {ot::kXPlaDevice, "XPlaDevice"}, {ot::kYPlaDevice, "YPlaDevice"}, {ot::kXAdvDevice, "XAdvDevice"}, {ot::kYAdvDevice, "YAdvDevice"}};
  bool anyDevice = false;
  for (size_t i = 0; i < 4; ++i) anyDevice = anyDevice || ((format & kDevices[i].first) && value.devices[i]);
  line += anyDevice ? ">" : "/>";
  raw(line);
  if (!anyDevice) return;
  for (size_t i = 0; i < 4; ++i) {
    if ((format & kDevices[i].first) && value.devices[i]) device(indent + 2, kDevices[i].second, *value.devices[i]);
  }
  end(indent, name);
}

}  // namespace otl::xml_out
