#include <memory>

#include "layout/lookup_kind_table.h"
#include "layout/subtable.h"

namespace otl {

std::unique_ptr<LookupSubtable> createSubtable(uint32_t tableId, uint32_t typeCode, GlyphClassHolder holder) {
  const LookupKindRow* row = findLookupKind(tableId == kTableGpos ? kTableGpos : kTableGsub, typeCode);
  return row && row->create ? row->create(holder) : nullptr;
}

}  // namespace otl
