#include <memory>

#include "layout/glyph_id_map.h"
#include "layout/multiple_subst.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/single_subst.h"
#include "layout/subtable.h"

namespace otl {

std::unique_ptr<LookupSubtable> createSubtable(uint32_t tableId, uint32_t typeCode, GlyphClassHolder holder) {
  if (tableId == kTableGpos) {
    switch (typeCode) {
      default: return nullptr;
    }
  }
  switch (typeCode) {
    case 11: return std::make_unique<LsSingle>(holder);
    case 12: return std::make_unique<LsMultiple>(holder);
    case 13: return std::make_unique<LsAlternate>(holder);
    default: return nullptr;
  }
}

namespace ot_bin_layout {

bool trialWriteSubtable(const LookupSubtable& subtable, const LookupIndexMap& lookups, const GlyphIdMap& glyphs) {
  ot::BinaryWriter scratch;
  try {
    subtable.writeBinary(scratch, lookups, glyphs, 0);
  } catch (const SubtableOffsetException&) {
    return false;
  }
  return true;
}

}  // namespace ot_bin_layout

}  // namespace otl
