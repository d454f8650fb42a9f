// Writer of the native ".qtf" file from a font/style pair.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "model/font_style_pair.h"

namespace qtf {

class Writer {
 public:
  Writer();
  virtual ~Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Writes the whole file to `out` (opened in binary mode); `options` points at the option
  // byte (not 0, or no byte: the name-table block is written). False, writing nothing,
  // without a font, a style or a good stream; otherwise true when every record was
  // written. The stream is neither flushed at the end nor closed: the caller writes to
  // a temporary file and moves it into place.
  bool write(FontStylePair& pair, const uint8_t* options, std::ostream* out);
  // Why the last write failed, where the font itself is the cause (a line for the user);
  // empty otherwise.
  const std::string& failure() const;
  // What the last write changed in the font's form (warning lines without their prefix).
  const std::vector<std::string>& warnings() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace qtf
