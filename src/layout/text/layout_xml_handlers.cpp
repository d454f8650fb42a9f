#include "layout/text/layout_xml_handlers.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "layout/lookup_kind_table.h"
#include "layout/ot/exception.h"
#include "layout/registry/glyph_name_registry.h"
#include "model/numbers.h"

namespace otl::xml {

void reject(const std::string& why) { throw ot::Exception(ot::Exception::kReadFailed, why); }

void rejectElement(const char* subject, const std::string& why) { reject(std::string(subject) + " " + why); }

void LayoutObjectParser::pushHandler(LayoutObjectParser& child) {
  child.parent = this;
  child.state = state;
  state->current = &child;
}

void LayoutObjectParser::popHandler() {
  if (parent) state->current = parent;
}

const char* firstAttribute(const char** attributes, const char* name) {
  if (!attributes || !attributes[0] || std::strcmp(attributes[0], name) != 0) return nullptr;
  return attributes[1];
}

int64_t parseNumber(const char* text, int64_t low, int64_t high) {
  std::string_view view(text ? text : "");
  while (!view.empty() && (view.front() == ' ' || view.front() == '\t' || view.front() == '\n')) view.remove_prefix(1);
  while (!view.empty() && (view.back() == ' ' || view.back() == '\t' || view.back() == '\n')) view.remove_suffix(1);
  int64_t value = 0;
  const auto result = std::from_chars(view.data(), view.data() + view.size(), value);
  if (view.empty() || result.ec != std::errc() || result.ptr != view.data() + view.size()) {
    reject("\"" + std::string(view.substr(0, 40)) + "\" is not a number");
  }
  if (value < low || value > high) reject(std::string(view) + " is out of range");
  return value;
}

int16_t parseS16(const char* text) { return static_cast<int16_t>(parseNumber(text, -32768, 32767)); }
int16_t parseMetric(const char* element, const char* text) {
  const int16_t value = parseS16(text);
  if (value == -32768) rejectElement(element, "-32768: feature text reaches -32767 only");
  return value;
}
uint16_t parseU16(const char* text) { return static_cast<uint16_t>(parseNumber(text, 0, 65535)); }

uint32_t glyphOf(const char* name) {
  if (!name || !*name) return 0;
  return glyphNameRegistry().idForName(name);
}

bool nameIs(const char* name, const char* wanted) { return std::strcmp(name, wanted) == 0; }

int64_t indexAttribute(const char** attributes) {
  const char* index = firstAttribute(attributes, "index");
  return index ? parseU16(index) : -1;
}

void readClassDefRecord(const char** attributes, ClassDefinitionTable& table) {
  uint32_t glyph = 0;
  uint16_t cls = 0;
  for (size_t i = 0; attributes && attributes[i]; i += 2) {
    if (nameIs(attributes[i], "glyph")) glyph = glyphOf(attributes[i + 1]);
    if (nameIs(attributes[i], "class")) cls = parseU16(attributes[i + 1]);
  }
  table.glyphs.push_back(glyph);
  table.classes.push_back(cls);
}

bool CoverageXMLParser::startElement(const char* name, const char** attributes) {
  if (nameIs(name, "Coverage")) {
    inside_ = true;
  } else if (nameIs(name, "Glyph") && inside_) {
    if (const char* v = firstAttribute(attributes, "value")) glyphs.push_back(glyphOf(v));
  } else {
    return false;
  }
  return true;
}

bool CoverageXMLParser::endElement(const char* name) {
  if (!nameIs(name, "Coverage")) return false;
  inside_ = false;
  return true;
}

void SubtableXMLParser::endElement(const char* name) {
  const LookupKindRow* kind = findXmlLookupKind(name);
  if (!kind) return;
  if (!lookup || !subtable || lookup->tableId != kind->tableId || lookup->typeCode != kind->kind ||
      subtable->tableId != kind->tableId || subtable->typeCode != kind->kind) {
    reject(kNotOfItsLookupType);
  }
  commit();
  if (!isValid()) reject(invalidReason());
  lookup->addSubtable(std::move(subtable));
  popHandler();
}

std::string SubtableXMLParser::formatNotRead() const { return "Format " + vn::formatInteger(format) + " is not read"; }

std::unique_ptr<SubtableXMLParser> createSubtableParser(std::unique_ptr<LookupSubtable> subtable, int32_t format) {
  if (!subtable) return nullptr;
  const LookupKindRow* kind = findLookupKind(subtable->tableId, subtable->typeCode);
  return kind && kind->xmlReader ? kind->xmlReader(subtable, format) : nullptr;
}

}  // namespace otl::xml
