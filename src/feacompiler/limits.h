// Bounds on the work a hostile feature file can ask of the compiler's input: include
// nesting, include files opened and bytes read from them. Constants only.
#pragma once

#include <cstdint>

namespace fea {

// Files open in the include stack: the main text and four nested includes.
inline constexpr int kMaxIncludeDepth = 5;

// Include statements followed in one compile. Each include closes its parent and opens
// it again afterwards, so a few small files including each other many times would
// otherwise make millions of opens.
inline constexpr std::uint32_t kMaxIncludeOpens = 10000;

// Bytes read from include files in one compile (a file read again after each of its
// includes counts again), and so also the largest include file.
inline constexpr std::uint64_t kMaxIncludeBytes = std::uint64_t{256} << 20;

}  // namespace fea
