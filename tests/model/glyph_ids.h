#pragma once
// Registry ids of glyph names, for the group and kerning tests.

#include <initializer_list>
#include <string>

#include "layout/registry/glyph_name_registry.h"
#include "model/glyph_groups.h"

namespace vn::testids {

inline GlyphId id(const std::string& name) { return otl::glyphIdByName(name); }

inline GlyphIdList ids(std::initializer_list<const char*> names) {
  GlyphIdList out;
  for (const char* name : names) out.push_back(id(name));
  return out;
}

}  // namespace vn::testids
