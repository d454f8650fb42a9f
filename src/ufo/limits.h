// Bounds on what a hostile UFO can make the reader do: nesting, list lengths that are
// checked element by element, and bytes read. Constants only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ufo {

// Property-list containers nested deeper than this are not built from parsed XML.
inline constexpr int kMaxPlistDepth = 256;

// Unicode values of one glyph: each new one is checked against the others.
inline constexpr std::size_t kMaxUnicodesPerGlyph = 256;

// Hints of one layer taken from a hint list (each new stem is compared with all).
inline constexpr std::size_t kMaxHintsPerLayer = 4096;

// TrueType zones or stems taken from one font hinting document, and steps of one of them.
inline constexpr std::size_t kMaxFontHintRecords = 4096;
inline constexpr std::size_t kMaxFontHintSteps = 1024;

// Bytes of glyph files read for one font. Keys of "glyphs/contents.plist" may all name
// one large file; this bounds the work such a list can ask for, far above what real
// fonts need.
inline constexpr std::uint64_t kMaxGlyphFileBytes = std::uint64_t{4} << 30;

}  // namespace ufo
