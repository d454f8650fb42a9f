#include "layout/text/layout_xml_handlers.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "layout/lookup_kind_table.h"
#include "layout/ot/exception.h"
#include "layout/registry/glyph_name_registry.h"
#include "model/numbers.h"
#include "text/xml_text.h"

namespace otl::xml {

namespace {

// The Format values each kind's element is read with, as bits (1 << format): the binary
// formats, and 3 for the reverse chaining substitution, which this system's writer shows.
struct ElementFormats {
  LookupKind kind;
  uint32_t formats;
  bool impliedByContent;  // may be left out
};

constexpr uint32_t kOne = 1u << 1, kOneTwo = kOne | 1u << 2, kOneToThree = kOneTwo | 1u << 3;

constexpr ElementFormats kElementFormats[] = {
    {kGsubSingle, kOneTwo, true},
    {kGsubMultiple, kOne, true},
    {kGsubAlternate, kOne, true},
    {kGsubLigature, kOne, true},
    {kGsubContext, kOneToThree, false},
    {kGsubChainedContext, kOneToThree, false},
    {kGsubReverseChainedContext, kOne | 1u << 3, false},
    {kGposSingle, kOneTwo, false},
    {kGposPair, kOneTwo, false},
    {kGposCursive, kOne, false},
    {kGposMarkToBase, kOne, false},
    {kGposMarkToLigature, kOne, false},
    {kGposMarkToMark, kOne, false},
    {kGposContext, kOneToThree, false},
    {kGposChainedContext, kOneToThree, false},
};

}  // namespace

int32_t subtableFormat(const LookupKindRow& kind, const char* formatText) {
  const ElementFormats* known = nullptr;
  for (const ElementFormats& row : kElementFormats) {
    if (row.kind == kind.kind) known = &row;
  }
  if (!formatText) {
    if (!known || !known->impliedByContent) reject("has no Format");
    return 1;
  }
  const int64_t format = parseNumber(formatText, 0, 65535);
  if (!known || format > 31 || !(known->formats & 1u << format)) reject(formatNotRead(format));
  return static_cast<int32_t>(format);
}

std::string formatNotRead(int64_t format) { return "Format " + vn::formatInteger(format) + " is not read"; }

GlyphList glyphNameList(const char* attribute, const std::string& text, const char* what) {
  GlyphList glyphs;
  for (size_t start = 0; !text.empty();) {
    const size_t comma = text.find(',', start);
    std::string piece = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    ::xml::trimWhitespace(piece);
    if (piece.empty()) rejectElement(attribute, "\"" + text.substr(0, 40) + "\" leaves " + what + " out");
    glyphs.push_back(glyphOf(piece.c_str()));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return glyphs;
}

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
  if (!leftOutWhole()) {
    if (!isValid()) reject(invalidReason());
    lookup->addSubtable(std::move(subtable));
  }
  popHandler();
}

std::unique_ptr<SubtableXMLParser> createSubtableParser(std::unique_ptr<LookupSubtable> subtable, int32_t format) {
  if (!subtable) return nullptr;
  const LookupKindRow* kind = findLookupKind(subtable->tableId, subtable->typeCode);
  return kind && kind->xmlReader ? kind->xmlReader(subtable, format) : nullptr;
}

}  // namespace otl::xml
