// The numeric locale (LC_NUMERIC) is "C" while a UFO is read or written.
#pragma once

#include <clocale>
#include <string>

namespace ufo {

// Sets LC_NUMERIC to "C" unless it already is, and restores the saved name when
// the object goes.
class NumericLocaleScope {
 public:
  NumericLocaleScope() {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    // setlocale's result may be overwritten by the next call: keep a copy.
    saved_ = current ? current : "C";
    if (saved_ != "C") std::setlocale(LC_NUMERIC, "C");
  }
  ~NumericLocaleScope() {
    if (saved_ != "C") std::setlocale(LC_NUMERIC, saved_.c_str());
  }
  NumericLocaleScope(const NumericLocaleScope&) = delete;
  NumericLocaleScope& operator=(const NumericLocaleScope&) = delete;

 private:
  std::string saved_;
};

}  // namespace ufo
