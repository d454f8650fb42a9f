// Reading built native files in tests.
#pragma once

#include <memory>
#include <sstream>
#include <string>

#include "model/font.h"
#include "model/font_style_pair.h"
#include "model/style.h"
#include "native/parser.h"
#include "support/qtf_builder.h"

namespace qtftest {

// One master of a built file read into a fresh pair, with the options the driver uses.
struct ReadMaster {
  explicit ReadMaster(const Bytes& file, int32_t master = 0, vn::ImportOptions options = driverOptions())
      : input(asString(file)) {
    auto* f = new vn::Font();
    auto* s = new vn::Style();
    pair = std::make_unique<FontStylePair>(s, f);
    f->release();
    s->release();
    parser = std::make_unique<qtf::Parser>(pair.get(), &input);
    ok = parser->parse(master, &options);
  }

  static vn::ImportOptions driverOptions() {
    vn::ImportOptions o;
    o.bytes = {0, 0, 1, 1};
    return o;
  }

  vn::Font& font() { return *pair->font; }
  vn::Style& style() { return *pair->style; }
  vn::Glyph& glyph(size_t i) { return **std::next(font().glyphs.begin(), static_cast<long>(i)); }

  std::istringstream input;
  std::unique_ptr<FontStylePair> pair;
  std::unique_ptr<qtf::Parser> parser;
  bool ok = false;
};

// Three masters on a weight/width design space, with two glyphs.
inline Bytes threeMasterFile() {
  FileBuilder f;
  f.begin()
      .fontInfo(3, {record(1024, Payload().text("Fam"))})
      .add(271)
      .add(1513, Payload().u16(2))
      .add(1514, Payload().text("weight"))
      .add(1514, Payload().text("width"));
  for (int m = 0; m < 3; ++m) {
    f.add(1504, Payload().text("M" + std::to_string(m)));
    f.add(1505, Payload().u32(1).d(300.0 * (m + 1)).d(5000).d(0).d(0));
  }
  f.add(527)
      .glyph(GlyphRecord().name("a").advance({{1, 0}, {2, 0}, {3, 0}}))
      .glyph(GlyphRecord().name("b").advance({{1, 0}, {2, 0}, {3, 0}}))
      .end();
  return f.bytes();
}

inline int32_t masterCountOf(const Bytes& file) {
  std::istringstream in(asString(file));
  qtf::Parser parser(nullptr, &in);
  return parser.masterCount();
}

}  // namespace qtftest
