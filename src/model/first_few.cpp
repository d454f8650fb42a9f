#include "model/first_few.h"

#include "model/numbers.h"

namespace vn {

std::string firstFewWithCount(const std::vector<std::string>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size() && i < kItemsNamed; ++i) out += (i ? ", " : "") + items[i];
  if (items.size() > kItemsNamed) out += " and " + formatUnsigned(items.size() - kItemsNamed) + " more";
  return out;
}

}  // namespace vn
