// libFuzzer target: arbitrary bytes as CFF font data, read glyph by glyph.
#include <cstddef>
#include <cstdint>

#include "cff_reader_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::cffReaderEntry(data, size);
  return 0;
}
