#include "layout/text/layout_xml_handlers.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

#include "layout/lookup_kind_table.h"
#include "layout/ot/class_def.h"
#include "layout/ot/coverage.h"
#include "layout/ot/exception.h"
#include "layout/ot/limits.h"
#include "layout/registry/glyph_name_registry.h"
#include "layout/text/layout_xml.h"
#include "model/numbers.h"
#include "text/xml_text.h"

namespace otl::xml {

namespace {

// The Format values each kind's element is read with. Most kinds read every format from 1
// the same way; pair positioning and the contexts read theirs by format, so a format they
// do not know would lose the subtable.
struct ElementFormats {
  LookupKind kind;
  int64_t lastFormat;     // 0: any
  bool impliedByContent;  // may be left out
};

constexpr ElementFormats kElementFormats[] = {
    {kGsubSingle, 0, true},
    {kGsubMultiple, 0, true},
    {kGsubAlternate, 0, true},
    {kGsubLigature, 0, true},
    {kGsubContext, 3, false},
    {kGsubChainedContext, 3, false},
    {kGsubReverseChainedContext, 0, false},
    {kGposSingle, 0, false},
    {kGposPair, 2, false},
    {kGposCursive, 0, false},
    {kGposMarkToBase, 0, false},
    {kGposMarkToLigature, 0, false},
    {kGposMarkToMark, 0, false},
    {kGposContext, 3, false},
    {kGposChainedContext, 3, false},
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
  if (!known || format < 1 || (known->lastFormat != 0 && format > known->lastFormat)) reject(formatNotRead(format));
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

std::string ReaderState::placeOf(const char* element, uint64_t line) {
  return std::string(element) + " on line " + vn::formatUnsigned(line) + " of " + kLayoutXmlDocument;
}

void ReaderState::warn(const std::string& place, const std::string& message) {
  if (warnings.entries().size() < ot::limits::kMaxReadNotes) warnings.add(Severity::kWarning, place, message);
}

void ReaderState::keepRecords(uint64_t count) {
  if (!records.take(count)) reject(lookupPlace + ": lookup refused: " + ot::modelBudgetPassed());
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

bool keepFirstClasses(ClassDefinitionTable& table) {
  const size_t n = std::min(table.glyphs.size(), table.classes.size());
  std::map<uint32_t, uint16_t> classOf;
  GlyphList glyphs;
  std::vector<uint16_t> classes;
  bool differs = false;
  for (size_t k = 0; k < n; ++k) {
    const auto [found, added] = classOf.emplace(table.glyphs[k], table.classes[k]);
    if (!added) {
      differs = differs || found->second != table.classes[k];
      continue;
    }
    glyphs.push_back(table.glyphs[k]);
    classes.push_back(table.classes[k]);
  }
  table.glyphs = std::move(glyphs);
  table.classes = std::move(classes);
  return differs;
}

bool CoverageXMLParser::startElement(const char* name, const char** attributes) {
  if (nameIs(name, "Coverage")) {
    inside_ = true;
  } else if (nameIs(name, "Glyph") && inside_) {
    if (const char* v = firstAttribute(attributes, "value")) {
      glyphs.push_back(glyphOf(v));
      first_.emplace(glyphs.back(), glyphs.size() - 1);
    }
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

void CoverageXMLParser::clear() {
  glyphs.clear();
  first_.clear();
}

bool CoverageXMLParser::firstAt(size_t k) const {
  const auto found = first_.find(glyphs.at(k));
  return found != first_.end() && found->second == k;
}

void SubtableXMLParser::noteCoveredTwice() {
  if (notedTwice_) return;
  notedTwice_ = true;
  state->warn(place, ot::kCoveredTwice);
}

void SubtableXMLParser::keepFirstClassesOf(ClassDefinitionTable& table) {
  if (keepFirstClasses(table)) state->warn(place, ot::kGlyphInTwoClasses);
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
