// libFuzzer target: unpacking hostile ".ufoz" archives.
#include <cstdlib>

#include "ufoz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!fuzzUfozEntry(data, size)) std::abort();
  return 0;
}
