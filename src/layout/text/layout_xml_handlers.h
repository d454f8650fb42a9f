// The handler stack of the layout XML reader: exactly one element handler is current;
// a handler hands control to a child when the child's element begins and takes it back
// at the child's end tag.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "layout/glyph_slot.h"
#include "layout/lookup.h"
#include "layout/records.h"

namespace otl::xml {

struct ReaderState;

class LayoutObjectParser {
 public:
  virtual ~LayoutObjectParser() = default;
  virtual void startElement(const char* /*name*/, const char** /*attributes*/) {}
  virtual void endElement(const char* /*name*/) {}

  // Makes the child current with this handler as its parent.
  void pushHandler(LayoutObjectParser& child);
  // Gives control back to the parent.
  void popHandler();

  LayoutObjectParser* parent = nullptr;
  ReaderState* state = nullptr;
};

struct ReaderState {
  LayoutObjectParser* current = nullptr;
};

// Reads nothing until its own element ends: the content of a skipped element.
class SkipParser : public LayoutObjectParser {
 public:
  void startElement(const char*, const char**) override { ++depth_; }
  void endElement(const char*) override {
    if (depth_-- == 0) popHandler();
  }

 private:
  uint64_t depth_ = 0;
};

// The value of the first attribute when it has that name; null otherwise.
const char* firstAttribute(const char** attributes, const char* name);
// Decimal integer in [low, high]; anything else rejects the document (ot::Exception 2).
int64_t parseNumber(const char* text, int64_t low, int64_t high);
int16_t parseS16(const char* text);
uint16_t parseU16(const char* text);
// The registry id of a glyph name; 0 for the empty name.
uint32_t glyphOf(const char* name);
bool nameIs(const char* name, const char* wanted);

// (table id, type code) of a subtable element name; found false for other names.
struct SubtableKind {
  bool found = false;
  uint32_t tableId = 0, typeCode = 0;
};
SubtableKind subtableTypeFromName(const char* name);

class SubtableXMLParser : public LayoutObjectParser {
 public:
  SubtableXMLParser(int32_t format, std::unique_ptr<LookupSubtable> subtable)
      : format(format), subtable(std::move(subtable)) {}
  // The shared protocol: at the subtable's own end tag, commit, validate, add or drop.
  void endElement(const char* name) override;
  virtual bool isValid() const = 0;
  virtual void commit() = 0;
  // Drops the subtable; the rest of its element is skipped.
  void abort();

  int32_t format;
  std::unique_ptr<LookupSubtable> subtable;
  Lookup* lookup = nullptr;
  bool failed = false;

 protected:
  GlyphClassHolder holder() const { return subtable->holder; }

 private:
  SkipParser skip_;
};

// The handler for the model subtable's kind, or null for a kind without one.
std::unique_ptr<SubtableXMLParser> createSubtableParser(std::unique_ptr<LookupSubtable> subtable, int32_t format);
std::unique_ptr<SubtableXMLParser> createSubstParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format);
std::unique_ptr<SubtableXMLParser> createPosParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format);
std::unique_ptr<SubtableXMLParser> createContextParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format);

}  // namespace otl::xml
