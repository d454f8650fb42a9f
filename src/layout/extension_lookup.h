// The Extension lookup: a wrapper that holds one real kind behind 32-bit offsets. The
// model keeps no Extension lookups; the binary reader and the XML reader unwrap them,
// and the binary writer wraps lookups whose subtables lie beyond 16-bit reach.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ot {
class BinaryReader;
class BinaryWriter;
}  // namespace ot

namespace otl {

class Lookup;

namespace ot_bin_layout {

// One wrapper: format, the real lookup type, the offset of the wrapped subtable.
inline constexpr uint32_t kExtensionRecordSize = 8;

// Reads the wrapper at `offset` of the lookup's span, gives the lookup the kind it
// holds (every wrapper of a lookup must hold the same one) and returns the wrapped
// subtable's offset in the span.
size_t readExtension(ot::BinaryReader& span, size_t offset, Lookup& lookup, const std::string& where);
// The binary type of the table's Extension lookups.
uint16_t extensionLookupType(uint32_t tableId);
// A wrapper for a subtable of `binaryType`; pointExtension fills in its offset.
void writeExtensionRecord(ot::BinaryWriter& out, uint16_t binaryType);
void pointExtension(ot::BinaryWriter& out, uint32_t record, uint32_t subtable);

}  // namespace ot_bin_layout

// An Extension lookup of the XML document takes the kind of the first subtable element
// it holds, when that element belongs to the lookup's table.
void adoptWrappedKind(Lookup& lookup, uint32_t elementTableId, uint32_t elementTypeCode);

}  // namespace otl
