// Failures of the UFO reader that cross from a file reader to the folder reader.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ufo {

// Thrown by value: code 1 a property list of the wrong structure, 2 a glyph file of the
// wrong structure (caught inside the glyph reader).
struct UfoParserException {
  static constexpr std::int32_t kPropertyList = 1;
  static constexpr std::int32_t kGlyphFile = 2;

  std::int32_t code = kPropertyList;
};

// A member of the folder that is there but cannot be taken: not a regular file (a FIFO,
// a device, a folder), larger than the reader's limit, unopenable (a looping or dangling
// link) or unreadable; a member the folder must have; a glyph list that holds no dict
// while the glyphs folder holds files. what() names it.
class MemberError : public std::runtime_error {
 public:
  // What is wrong with the member, without its name ("is not a regular file").
  const std::string& problem() const { return problem_; }

  static MemberError notRegularFile(const std::string& member);
  static MemberError notFolder(const std::string& member);
  static MemberError missing(const std::string& member);
  // `error` is the system's error number of the failed open.
  static MemberError cannotOpen(const std::string& member, int error);
  // `error` is the system's error number of the failed read.
  static MemberError cannotRead(const std::string& member, int error);
  static MemberError tooLarge(const std::string& member, std::uint64_t limit);
  // A property list without a root element, or whose root is not the one it must hold
  // (`root`: "dict").
  static MemberError emptyList(const std::string& member);
  static MemberError wrongRoot(const std::string& member, const std::string& root);
  // Two glyphs of "glyphs/contents.plist" that name the same glyph file.
  static MemberError sharedGlyphFile(const std::string& fileName, const std::string& first, const std::string& second);

 private:
  MemberError(const std::string& member, const std::string& problem);

  std::string problem_;
};

}  // namespace ufo
