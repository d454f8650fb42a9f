// Bounds on what hostile input can make the font model do: recursion depths, work
// counts and sizes. Constants only; every check of the model uses these.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vn {

// Nodes of one outline: room is left for the two phantom points after the last node.
inline constexpr int64_t kMaxPointCount = INT32_MAX - 2;
// Bytes of one pixel bitmap; a larger one is refused.
inline constexpr int64_t kMaxBitmapBytes = int64_t{1} << 28;

// Component levels followed when a glyph's box is measured, and when it is decomposed.
inline constexpr int kMaxComponentBoxDepth = 10;
inline constexpr int kMaxDecomposeDepth = 16;
// Work of one flattening or decomposition (hostile component graphs).
inline constexpr size_t kMaxFlatComponents = 65536;
inline constexpr size_t kMaxDecomposedItems = 262144;
// Component boxes measured for one font.
inline constexpr int64_t kMaxComponentBoxSteps = int64_t{1} << 22;

// Glyph combinations that expanding kerning classes produces by default; class pairs
// beyond it are left out (glyph pairs are always kept).
inline constexpr uint64_t kMaxExpandedKerningPairs = uint64_t{1} << 24;

// What a native file holds of a glyph: its writer keeps to these, and the UFO reader
// names what goes beyond them. Bytes of a glyph name; the largest coordinate magnitude
// (larger ones are clamped so that the deltas between points stay within 32 bits).
inline constexpr uint32_t kMaxNativeGlyphName = 255;
inline constexpr int32_t kMaxNativeCoordinate = 1 << 29;

}  // namespace vn
