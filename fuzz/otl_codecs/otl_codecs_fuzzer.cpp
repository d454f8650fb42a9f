#include "otl_codecs_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!fuzz::otlCodecsEntry(data, size)) __builtin_trap();
  return 0;
}
