// Failures of the UFO reader that cross from a file reader to the folder reader.
#pragma once

#include <cstdint>

namespace ufo {

// Thrown by value: code 1 a property list of the wrong structure, 2 a glyph file of the
// wrong structure (caught inside the glyph reader).
struct UfoParserException {
  static constexpr std::int32_t kPropertyList = 1;
  static constexpr std::int32_t kGlyphFile = 2;

  std::int32_t code = kPropertyList;
};

}  // namespace ufo
