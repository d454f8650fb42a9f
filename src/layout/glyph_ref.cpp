#include "layout/glyph_ref.h"

#include "layout/registry/glyph_name_registry.h"
#include "model/glyph_groups.h"

namespace otl::GlyphRef {

uint32_t idOf(const vn::GlyphGroup& group) { return glyphIdByName(group.keyGlyph); }

bool resolve(const vn::GlyphGroup& group) {
  const uint32_t id = idOf(group);
  return id != 0 && group.contains(id);
}

}  // namespace otl::GlyphRef
