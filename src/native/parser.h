// Reader of the native ".qtf" file: one master per parse into a font/style pair.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>

#include "model/font_info.h"
#include "model/font_style_pair.h"

namespace qtf {

class Parser {
 public:
  // A null pair serves masterCount only.
  Parser(FontStylePair* pair, std::istream* input);
  virtual ~Parser();
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  // 1..16 masters; 0 when the stream fails during the scan; -1 for an unreadable file.
  int32_t masterCount();
  // Reads master `master` into the pair; options may be null.
  [[nodiscard]] bool parse(int32_t master, const vn::ImportOptions* options);
  // After a failed parse, where it stopped: "the file header", "the record header at
  // byte N" or "record T at byte N" (the record's tag and the offset of its header).
  std::string failurePlace() const;
  // Sets the style names of master `master`.
  void applyMaster(vn::Style* style, int32_t master);
  virtual bool isValidFile();

  // The implementation (native/parser_impl.h).
  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace qtf
