#include "ufo/reader_errors.h"

#include <system_error>

namespace ufo {
namespace {
std::string quoted(const std::string& member) { return "\"" + member + "\""; }
}  // namespace

MemberError MemberError::notRegularFile(const std::string& member) {
  return MemberError(quoted(member) + " is not a regular file");
}
MemberError MemberError::notFolder(const std::string& member) {
  return MemberError(quoted(member) + " is not a folder");
}
MemberError MemberError::missing(const std::string& member) {
  return MemberError(quoted(member) + " is missing");
}
MemberError MemberError::cannotOpen(const std::string& member, int error) {
  return MemberError(quoted(member) + " cannot be opened: " + std::generic_category().message(error));
}
MemberError MemberError::cannotRead(const std::string& member) {
  return MemberError(quoted(member) + " cannot be read");
}
MemberError MemberError::tooLarge(const std::string& member, std::uint64_t limit) {
  return MemberError(quoted(member) + " is larger than the reader accepts (" + std::to_string(limit) + " bytes)");
}

}  // namespace ufo
