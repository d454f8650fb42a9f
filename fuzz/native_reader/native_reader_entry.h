// Reads bytes as a native file the way the driver does: the master count first,
// then every master into a fresh pair over the same stream. Shared by the fuzz
// target and the replay of its regression inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "model/font.h"
#include "model/font_style_pair.h"
#include "model/style.h"
#include "native/parser.h"

namespace fuzz {

// True when the read ended in a way the driver handles (a count, a result or an
// exception); crashes, hangs and leaks are what the fuzzer looks for.
inline bool nativeReaderEntry(const std::uint8_t* data, std::size_t size) {
  std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
  int32_t count = 0;
  {
    qtf::Parser counter(nullptr, &input);
    count = counter.masterCount();
  }
  if (count < 1) return count >= -1;
  for (int32_t master = 0; master < count; ++master) {
    auto* font = new vn::Font();
    auto* style = new vn::Style();
    FontStylePair pair(style, font);
    font->release();
    style->release();
    try {
      qtf::Parser parser(&pair, &input);
      vn::ImportOptions options;
      options.bytes = {0, 0, 1, 1};
      if (parser.parse(master, &options) && count > 1) parser.applyMaster(pair.style, master);
    } catch (...) {
      // The driver reports any exception of a read as a failed import.
    }
  }
  return true;
}

}  // namespace fuzz
