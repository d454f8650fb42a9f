#include "model/style.h"

namespace vn {

bool Style::findInteger(const std::string& key, int32_t* out) const {
  auto found = namedIntegers.find(key);
  if (found == namedIntegers.end()) return false;
  if (out) *out = found->second;
  return true;
}

}  // namespace vn
