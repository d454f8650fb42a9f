#include "ufo/parser.h"

#include "ufo/folder_access.h"
#include "ufo/numeric_locale.h"
#include "ufo/reader_font.h"

namespace ufo {

Parser::Parser() : fontParser_(std::make_unique<UfoFontParser>(this)) {}
Parser::~Parser() = default;

bool Parser::openInput(const std::string& member, std::ifstream& in) {
  if (!isSafeMemberName(member)) return false;
  return openInputFile(resolve(member), in);
}

bool Parser::openInput(const std::string& member, InputFile& file) {
  if (!isSafeMemberName(member)) {
    file.close();
    return false;
  }
  return file.open(resolve(member));
}

bool Parser::read(FontStylePair& pair, PListNode* libRoot, const std::string& folder,
                  const vn::ImportOptions* options) {
  NumericLocaleScope locale;
  setBase(folder);
  return fontParser_->read(pair, libRoot, options);
}

}  // namespace ufo
