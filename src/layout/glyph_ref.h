// A glyph group seen as a reference to the glyph its name (key glyph) names.
#pragma once

#include <cstdint>

namespace vn {
class GlyphGroup;
}

namespace otl::GlyphRef {

// The registry id of the group's name, registering a new name.
uint32_t idOf(const vn::GlyphGroup& group);
// False for an empty name (id 0); otherwise whether the group holds the glyph of its name.
bool resolve(const vn::GlyphGroup& group);

}  // namespace otl::GlyphRef
