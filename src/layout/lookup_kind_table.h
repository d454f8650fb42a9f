// One row per lookup kind: everything that differs between kinds outside the subtable
// classes themselves (binary type, names, XML element, the factory and the XML entries).
// Code asks this table instead of comparing type codes.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "layout/lookup_kind.h"
#include "layout/subtable.h"

namespace otl {

namespace xml {
class SubtableXMLParser;
}
namespace xml_out {
struct SubtableXml;
}

struct LookupKindRow {
  LookupKind kind;
  uint32_t tableId;
  uint16_t binaryType;
  // The kind in words, as messages name it ("ligature substitution").
  const char* name;
  // The kind as the feature writer's lookup list names it ("Ligature").
  const char* listName;
  // The subtable element of the layout XML document; null for the Extension forms,
  // which have no subtable of their own (nor a factory or XML entries).
  const char* xmlElement;
  std::unique_ptr<LookupSubtable> (*create)(GlyphClassHolder holder);
  std::unique_ptr<xml::SubtableXMLParser> (*xmlReader)(std::unique_ptr<LookupSubtable>& subtable, int32_t format);
  void (*xmlWriter)(const xml_out::SubtableXml& element);
  bool extension;
  bool contextual;
  bool markAttachment;
};

std::span<const LookupKindRow> lookupKinds();
// The row of (table id, type code); null when the table has no such kind.
const LookupKindRow* findLookupKind(uint32_t tableId, uint32_t typeCode);
// The row of a binary lookup type of the table; null for an unknown type.
const LookupKindRow* findBinaryLookupKind(uint32_t tableId, uint16_t binaryType);
// The row whose XML element is `name`; null for any other name.
const LookupKindRow* findXmlLookupKind(const char* name);

// Binary lookup type <-> type code; 0 for a pair the table does not have.
uint32_t fromBinaryLookupType(uint16_t binaryType, uint32_t tableId);
uint16_t toBinaryLookupType(uint32_t typeCode, uint32_t tableId);
// The kind in words, whatever the table ("unknown lookup kind" for none).
const char* lookupKindName(uint32_t typeCode);

bool isExtensionKind(uint32_t tableId, uint32_t typeCode);
bool isContextualKind(uint32_t tableId, uint32_t typeCode);
bool isMarkAttachmentKind(uint32_t tableId, uint32_t typeCode);
// A kind of the table with a binary form of its own: not the Extension wrapper.
bool isWritableKind(uint32_t tableId, uint32_t typeCode);

}  // namespace otl
