#include "ufo/parser.h"

#include "platform/file_system.h"
#include "platform/files.h"
#include "platform/path_parts.h"
#include "ufo/numeric_locale.h"
#include "ufo/reader_font.h"

namespace ufo {

Parser::Parser() : fontParser_(std::make_unique<UfoFontParser>(this)) {}
Parser::~Parser() = default;

bool Parser::openInput(const std::string& member, std::ifstream& in) {
  if (!vn::isSafeMemberName(member)) return false;
  // A stream would block on a FIFO before anything could be checked.
  const std::string path = resolve(member);
  if (vn::pathKind(path) != vn::PathKind::kFile) return false;
  return vn::openInputFile(in, path);
}

bool Parser::openInput(const std::string& member, vn::InputFile& file) {
  if (!vn::isSafeMemberName(member)) {
    file.close();
    return false;
  }
  return file.open(resolve(member));
}

bool Parser::readMember(const std::string& member, std::string& text, std::uint64_t limit) {
  text.clear();
  vn::InputFile file;
  if (!openInput(member, file)) {
    // Only a member that is not there at all is absent; a looping link is not.
    if (!vn::isSafeMemberName(member) || file.absent()) return false;
    throw MemberError::cannotOpen(member, file.openError());
  }
  if (!file.isRegular()) throw MemberError::notRegularFile(member);
  if (file.size() > limit) throw MemberError::tooLarge(member, limit);
  switch (file.readAll(text, limit)) {
    case vn::InputFile::ReadOutcome::kTooLarge:
      throw MemberError::tooLarge(member, limit);
    case vn::InputFile::ReadOutcome::kFailed:
      throw MemberError::cannotRead(member, file.readError());
    case vn::InputFile::ReadOutcome::kRead:
      break;
  }
  return true;
}

vn::PathKind Parser::memberKind(const std::string& member) {
  if (!vn::isSafeMemberName(member)) return vn::PathKind::kAbsent;
  return vn::pathKind(resolve(member));
}

void Parser::setPlistNodeLimit(std::size_t nodes) { fontParser_->setPlistNodeLimit(nodes); }

bool Parser::read(FontStylePair& pair, PListNode* libRoot, const std::string& folder,
                  const vn::ImportOptions* options) {
  NumericLocaleScope locale;
  setBase(folder);
  return fontParser_->read(pair, libRoot, options);
}

}  // namespace ufo
