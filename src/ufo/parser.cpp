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
  return vn::openInputFile(in, resolve(member));
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
  if (!openInput(member, file)) return false;
  if (!file.isRegular()) throw MemberError("\"" + member + "\" is not a regular file");
  if (file.size() > limit) {
    throw MemberError("\"" + member + "\" is larger than the reader accepts (" + std::to_string(limit) + " bytes)");
  }
  if (!file.readAll(text)) throw MemberError("\"" + member + "\" cannot be read");
  return true;
}

bool Parser::read(FontStylePair& pair, PListNode* libRoot, const std::string& folder,
                  const vn::ImportOptions* options) {
  NumericLocaleScope locale;
  setBase(folder);
  return fontParser_->read(pair, libRoot, options);
}

}  // namespace ufo
