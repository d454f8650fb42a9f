#include <memory>

#include "layout/glyph_id_map.h"
#include "layout/context_subst.h"
#include "layout/cursive_pos.h"
#include "layout/ligature_subst.h"
#include "layout/mark_pos.h"
#include "layout/multiple_subst.h"
#include "layout/pair_pos.h"
#include "layout/reverse_chain.h"
#include "layout/single_pos.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/single_subst.h"
#include "layout/subtable.h"

namespace otl {

std::unique_ptr<LookupSubtable> createSubtable(uint32_t tableId, uint32_t typeCode, GlyphClassHolder holder) {
  if (tableId == kTableGpos) {
    switch (typeCode) {
      case 1: return std::make_unique<LpSingle>(holder);
      case 2: return std::make_unique<LpPair>(LpPair::Bare{});
      case 3: return std::make_unique<LpCursive>(holder);
      case 4: return std::make_unique<LpMarkToBase>(holder);
      case 5: return std::make_unique<LpMarkToLigature>(holder);
      case 6: return std::make_unique<LpMarkToMark>(holder);
      case 7: return std::make_unique<LpContext>(holder);
      case 8: return std::make_unique<LpChainedContext>(holder);
      default: return nullptr;
    }
  }
  switch (typeCode) {
    case 11: return std::make_unique<LsSingle>(holder);
    case 12: return std::make_unique<LsMultiple>(holder);
    case 13: return std::make_unique<LsAlternate>(holder);
    case 14: return std::make_unique<LsLigature>(holder);
    case 15: return std::make_unique<LsContext>(holder);
    case 16: return std::make_unique<LsChainedContext>(holder);
    case 18: return std::make_unique<LsReverseChainedContext>(holder);
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
