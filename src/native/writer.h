// Writer of the native ".qtf" file from a font/style pair.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>

#include "model/font_style_pair.h"

namespace qtf {

class Writer {
 public:
  Writer();
  virtual ~Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Writes the whole file to `out` (opened in binary mode); `options` points at the option
  // byte (not 0: the name-table block is written). True when every step succeeded.
  bool write(FontStylePair& pair, const uint8_t* options, std::ostream* out);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace qtf
