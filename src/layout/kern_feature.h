// The font's kerning as the GPOS "kern" feature of a layout, and back.
#pragma once

#include <cstdint>

#include "layout/layout_fea.h"
#include "model/kerning.h"

namespace otl {

// More glyph pairs than this make the kern subtable a class-pair subtable.
inline constexpr size_t kKernGlyphPairLimit = 2048;

// One pair-positioning lookup holding the kerning, named by the feature "kern" of the
// default language of "DFLT" and "latn". False (nothing created) without pairs.
bool addKernFeature(LayoutFea& layout, const vn::FontKerning& kerning);
// Adds the pairs of every "kern" lookup to `kerning` in the given KerningMode.
bool extractKerning(const LayoutFea& layout, vn::FontKerning& kerning, uint32_t mode);

}  // namespace otl
