#include "ufo/reader_warnings.h"

namespace ufo {

void ReadWarnings::report(const std::string& kind, const std::string& line) {
  if (!kinds_.insert(kind).second) return;
  if (out_) *out_ << "Warning: " << line << '\n' << std::flush;
}

namespace warning {

std::string notCarried(const std::string& what) {
  return what + " are not carried by the native format and are left out";
}

}  // namespace warning

}  // namespace ufo
