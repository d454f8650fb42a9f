// Bounds on what a hostile input can make the driver do. Constants only.
#pragma once

#include <cstdint>

namespace vn {

// Total of unpacked bytes accepted from one archive.
inline constexpr std::uint64_t kMaxUnpackedBytes = std::uint64_t{4} << 30;

}  // namespace vn
