#include "fea_compiler_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!fuzz::feaCompilerEntry(data, size)) __builtin_trap();
  return 0;
}
