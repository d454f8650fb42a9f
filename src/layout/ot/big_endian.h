// Big-endian bytes: the one set of store, append and patch functions for 16- and 32-bit
// values (ot::BinaryWriter and the feature-file compiler's tables both use them), and
// the one check of a 16-bit offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "layout/ot/limits.h"

namespace ot {

// The low 16 (32) bits of `value` at `at`, most significant byte first.
inline void store16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value);
}
inline void store32(uint8_t* at, uint32_t value) {
  store16(at, value >> 16);
  store16(at + 2, value);
}

// Appends the low 16 (32) bits of `value`.
inline void put16(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t bytes[2];
  store16(bytes, value);
  out.insert(out.end(), bytes, bytes + 2);
}
inline void put32(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t bytes[4];
  store32(bytes, value);
  out.insert(out.end(), bytes, bytes + 4);
}

// Overwrites the two bytes at `position` (already written) with the low 16 bits.
inline void set16(std::vector<uint8_t>& out, size_t position, uint32_t value) { store16(&out[position], value); }

// True when `distance` fits a 16-bit offset that may hold at most `bound`: the layout
// writer's limits::kMaxOffset16 or the compiler's limits::kMaxCompilerOffset16.
constexpr bool fitsOffset16(uint64_t distance, uint32_t bound = limits::kMaxOffset16) { return distance <= bound; }

}  // namespace ot
