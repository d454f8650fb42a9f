// libFuzzer target: layout XML documents through the reader and writer.
#include "layout_xml_entry.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzz::layoutXmlEntry(data, size)) std::abort();
  return 0;
}
