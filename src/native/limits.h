// Bounds on what a hostile native file (or a hostile font on its way into one) can
// make the reader and writer do: list lengths, name lengths, master counts and kerning
// work. Constants only.
#pragma once

#include <cstdint>

#include "model/limits.h"

namespace qtf {

// Masters of one font.
inline constexpr int32_t kMaxMasters = 16;
// Entries of one hint or guide list.
inline constexpr int32_t kMaxListCount = 5000;
// Bytes of a glyph name: the older glyph block's name record, and glyph record key 1.
inline constexpr uint32_t kMaxOldGlyphName = 40;
inline constexpr uint32_t kMaxGlyphName = vn::kMaxNativeGlyphName;

// Glyph pairs the kerning is written as, and glyph combinations the read-back check
// compares (the font's and the rebuilt ones together, so twice the pairs); past them
// the kerning is hostile and is not written. Real fonts reach millions: a class with a
// zero exception under a class pair travels as glyph pairs (one Debian font comes to
// 2.3 million pairs, checked over 4.8 million combinations). At the bound a conversion
// either way peaks at about 1.2 GB.
inline constexpr uint64_t kMaxWrittenGlyphPairs = uint64_t{1} << 22;
inline constexpr uint64_t kMaxCheckedCombinations = 2 * kMaxWrittenGlyphPairs;

}  // namespace qtf
