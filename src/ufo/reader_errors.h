// Failures of the UFO reader that cross from a file reader to the folder reader.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace ufo {

// Thrown by value: code 1 a property list of the wrong structure, 2 a glyph file of the
// wrong structure (caught inside the glyph reader).
struct UfoParserException {
  static constexpr std::int32_t kPropertyList = 1;
  static constexpr std::int32_t kGlyphFile = 2;

  std::int32_t code = kPropertyList;
};

// A member of the folder that is there but cannot be taken: not a regular file (a FIFO,
// a device, a folder), larger than the reader's limit, or unreadable. what() names it.
class MemberError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace ufo
