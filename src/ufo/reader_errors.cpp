#include "ufo/reader_errors.h"

#include <system_error>

namespace ufo {
namespace {
std::string quoted(const std::string& member) { return "\"" + member + "\""; }
}  // namespace

MemberError::MemberError(const std::string& member, const std::string& problem)
    : std::runtime_error(quoted(member) + " " + problem), problem_(problem) {}

MemberError MemberError::notRegularFile(const std::string& member) {
  return MemberError(member, "is not a regular file");
}
MemberError MemberError::notFolder(const std::string& member) {
  return MemberError(member, "is not a folder");
}
MemberError MemberError::missing(const std::string& member) {
  return MemberError(member, "is missing");
}
MemberError MemberError::cannotOpen(const std::string& member, int error) {
  return MemberError(member, "cannot be opened: " + std::generic_category().message(error));
}
MemberError MemberError::cannotRead(const std::string& member, int error) {
  return MemberError(member, "cannot be read: " + std::generic_category().message(error));
}
MemberError MemberError::tooLarge(const std::string& member, std::uint64_t limit) {
  return MemberError(member, "is larger than the reader accepts (" + std::to_string(limit) + " bytes)");
}
MemberError MemberError::emptyList(const std::string& member) {
  return MemberError(member, "is empty");
}
MemberError MemberError::wrongRoot(const std::string& member, const std::string& root) {
  const char* article = root == "array" ? "an " : "a ";
  return MemberError(member, std::string("is not a property list holding ") + article + root);
}
MemberError MemberError::sharedGlyphFile(const std::string& fileName, const std::string& first,
                                         const std::string& second) {
  return MemberError("glyphs/contents.plist",
                     "names the file " + quoted(fileName) + " for two glyphs, " + quoted(first) + " and " + quoted(second));
}

}  // namespace ufo
