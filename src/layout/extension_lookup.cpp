#include "layout/extension_lookup.h"

#include "layout/lookup.h"
#include "layout/lookup_kind_table.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"

namespace otl {

namespace ot_bin_layout {

namespace {
constexpr uint16_t kExtensionFormat = 1;
}  // namespace

size_t readExtension(ot::BinaryReader& span, size_t offset, Lookup& lookup, const std::string& where) {
  ot::BinaryReader ext = span.window(offset, kExtensionRecordSize);
  ext.setContext(where);
  if (ext.readUInt16() != kExtensionFormat) {
    throw ot::Exception(ot::Exception::kUnsupported, where + ": Extension format not 1");
  }
  const LookupKindRow* kind = findBinaryLookupKind(lookup.tableId, ext.readUInt16());
  // Before the first wrapper the lookup still has the Extension kind.
  const bool held = !isExtensionKind(lookup.tableId, lookup.typeCode);
  if (!kind || kind->extension || (held && kind->kind != lookup.typeCode)) {
    throw ot::Exception(ot::Exception::kUnsupported, where + ": bad Extension lookup type");
  }
  lookup.typeCode = kind->kind;
  const size_t wrapped = offset + ext.readUInt32();  // size_t: no wrap
  if (wrapped > span.size()) {
    throw ot::Exception(ot::Exception::kReadFailed, where + ": Extension offset past the end");
  }
  return wrapped;
}

uint16_t extensionLookupType(uint32_t tableId) {
  const LookupKind kind = tableId == kTableGsub ? kGsubExtension : kGposExtension;
  return toBinaryLookupType(kind, tableId == kTableGsub ? kTableGsub : kTableGpos);
}

void writeExtensionRecord(ot::BinaryWriter& out, uint16_t binaryType) {
  out.writeUInt16(kExtensionFormat);
  out.writeUInt16(binaryType);
  out.writeUInt32(0u);
}

void pointExtension(ot::BinaryWriter& out, uint32_t record, uint32_t subtable) {
  const uint32_t here = out.position();
  out.seek(record + 4);
  out.writeUInt32(subtable - record);
  out.seek(here);
}

}  // namespace ot_bin_layout

void adoptWrappedKind(Lookup& lookup, uint32_t elementTableId, uint32_t elementTypeCode) {
  if (isExtensionKind(lookup.tableId, lookup.typeCode) && lookup.subtables.empty() &&
      elementTableId == lookup.tableId) {
    lookup.typeCode = elementTypeCode;
  }
}

}  // namespace otl
