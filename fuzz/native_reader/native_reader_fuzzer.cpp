// libFuzzer target: arbitrary bytes as a native ".qtf" file.
#include <cstddef>
#include <cstdint>

#include "native_reader_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::nativeReaderEntry(data, size);
  return 0;
}
