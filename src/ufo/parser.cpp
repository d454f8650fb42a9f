#include "ufo/parser.h"

#include <clocale>

#include "ufo/folder_access.h"
#include "ufo/reader_font.h"

namespace ufo {
namespace {

// LC_NUMERIC is "C" while the object lives and restored afterwards.
class CNumericLocale {
 public:
  CNumericLocale() {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    saved_ = current ? current : "C";  // the result may be overwritten by the next call
    if (saved_ != "C") std::setlocale(LC_NUMERIC, "C");
  }
  ~CNumericLocale() {
    if (saved_ != "C") std::setlocale(LC_NUMERIC, saved_.c_str());
  }
  CNumericLocale(const CNumericLocale&) = delete;
  CNumericLocale& operator=(const CNumericLocale&) = delete;

 private:
  std::string saved_;
};

}  // namespace

Parser::Parser() : fontParser_(std::make_unique<UfoFontParser>(this)) {}
Parser::~Parser() = default;

bool Parser::openInput(const std::string& member, std::ifstream& in) {
  if (!isSafeMemberName(member)) return false;
  return openInputFile(resolve(member), in);
}

bool Parser::read(FontStylePair& pair, PListNode* libRoot, const std::string& folder,
                  const vn::ImportOptions* options) {
  CNumericLocale locale;
  setBase(folder);
  return fontParser_->read(pair, libRoot, options);
}

}  // namespace ufo
