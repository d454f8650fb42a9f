// Arrays of 16-bit offsets (rule sets, pair sets, rules): the count bounded by the bytes
// left and each offset charged to the read budget, as the subtables behind them are
// visited in turn.
#pragma once

#include <cstdint>
#include <vector>

#include "layout/ot/binary_reader.h"

namespace ot {

// `count` offsets at the reader's position (the count itself read by the caller, which
// may check it against something else first).
std::vector<uint16_t> readOffsets(BinaryReader& reader, uint64_t count);

// A 16-bit count followed by that many offsets.
std::vector<uint16_t> readOffsetArray(BinaryReader& reader);

}  // namespace ot
