// Bounds on what a hostile document can make the XML parser do. Constants only.
#pragma once

#include <cstddef>

namespace xml {

// Elements nested deeper than this end the parse with a failure.
inline constexpr int kMaxElementDepth = 1024;

// Bytes of one document read from a stream (it is parsed from one buffer).
inline constexpr std::size_t kMaxDocumentBytes = std::size_t{1} << 30;

// Bytes of one attribute value, and of one run of character data between two tags.
// Names, numbers and glyph lists stay far below; a property list's data entry can
// hold a whole embedded document, hence the larger text bound.
inline constexpr std::size_t kMaxAttributeBytes = std::size_t{1} << 20;
inline constexpr std::size_t kMaxTextBytes = std::size_t{256} << 20;

}  // namespace xml
