#include <memory>

#include "layout/glyph_id_map.h"
#include "layout/lookup_kind_table.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/subtable.h"

namespace otl {

std::unique_ptr<LookupSubtable> createSubtable(uint32_t tableId, uint32_t typeCode, GlyphClassHolder holder) {
  const LookupKindRow* row = findLookupKind(tableId == kTableGpos ? kTableGpos : kTableGsub, typeCode);
  return row && row->create ? row->create(holder) : nullptr;
}

namespace ot_bin_layout {

bool trialWriteSubtable(const LookupSubtable& subtable, const LookupIndexMap& lookups, const GlyphIdMap& glyphs) {
  ot::BinaryWriter scratch;
  return ot::writesWithinOffsets([&] { subtable.writeBinary(scratch, lookups, glyphs, 0); });
}

}  // namespace ot_bin_layout

}  // namespace otl
