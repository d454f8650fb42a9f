// The CFF reader fuzz entry: arbitrary bytes as CFF data, every glyph's info asked for.
// Shared by the libFuzzer target and the replay test; true when the read ended cleanly
// (with the glyphs' info or with one of the reader's fatal messages).
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <span>
#include <string>

#include "feacompiler/tables/cff_reader.h"

namespace fuzz {

struct CffFatal : std::exception {};

class CffFuzzClient : public fea::CffMemoryClient {
 public:
  using fea::CffMemoryClient::CffMemoryClient;
  [[noreturn]] void fatal() override { throw CffFatal(); }
  void message(int level, const std::string& text) override {
    lastLevel = level;
    lastText = text;
  }
  int lastLevel = -1;
  std::string lastText;
};

inline bool cffReaderEntry(const std::uint8_t* data, std::size_t size) {
  CffFuzzClient client(std::span<const std::uint8_t>(data, size));
  fea::CffReader reader(client);
  try {
    const std::uint32_t count = fea::cffGlyphCount(reader);
    for (std::uint32_t gid = 0; gid < count; ++gid) (void)fea::cffGetGlyphInfo(reader, gid);
    (void)fea::cffGetGlyphInfo(reader, count);  // out of range: fatal
    return false;
  } catch (const CffFatal&) {
    return client.lastLevel == 3 && !client.lastText.empty();
  }
}

}  // namespace fuzz
