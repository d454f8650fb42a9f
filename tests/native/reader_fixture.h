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

// A pair that alone owns its new font and style.
inline std::unique_ptr<FontStylePair> freshPair() {
  auto* f = new vn::Font();
  auto* s = new vn::Style();
  auto pair = std::make_unique<FontStylePair>(s, f);
  f->release();
  s->release();
  return pair;
}

// One master of a built file read into a fresh pair, with the options the driver uses.
struct ReadMaster {
  explicit ReadMaster(const Bytes& file, int32_t master = 0, vn::ImportOptions options = driverOptions())
      : input(asString(file)), pair(freshPair()) {
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

// A square with one cubic side: move (0,0), line (100,0), curve to (100,100) over
// (120,30) (120,70), line (0,100). Move/on-curve points: nodes 0, 1, 4, 5.
inline Bytes squareElement(int32_t masters = 1) {
  return ElementBuilder(masters).moveTo(0, 0).lineTo(100, 0).curveTo(100, 100, 120, 30, 120, 70).lineTo(0, 100).bytes();
}

// Glyph "A", then glyph "B" with every payload kind and every record that may follow a glyph.
inline Bytes everyPayloadFile() {
  const Bytes hints = hintsPayload({{{{0, 20}}}, {{{80, -21}}}}, {{{{40, 10}}}},
                                   {{1, 1}, {2, 0}, {255, -3}, {1, 7}, {9, 0}});
  FileBuilder f;
  f.begin()
      .glyph(GlyphRecord().name("A").advance(600, 0).element(squareElement()))
      .glyph(GlyphRecord()
                 .name("B")
                 .advance(640, 0)
                 .element(squareElement())
                 .hints(hints)
                 .guides(guidesPayload({{{{100, 5000}}}}, {{{{30, 0}}}}))
                 .components({{0, {{10, 20, 1.0, 1.0}}}, {7, {{0, 0, 1.0, 1.0}}}})
                 .kerning({{0, {-50}}, {0, {0}}, {9, {10}}})
                 .commands({1, 2, 3}))
      .add(1250, Payload().u16(0x41).u16(0x42))
      .add(1253, Payload().u32(0x1F600))
      .add(2008, Payload().n(3).n(0).n(3).n(1).n(-1).n(9).n(0).n(2).n(0).n(1).n(1).n(-1))
      .add(2009, Payload().n(1).n(100000000).raw(ElementBuilder().moveTo(5, 5).lineTo(6, 6).bytes()))
      .add(2012, Payload().u16(3))
      .add(2015, Payload().text("blob"))
      .add(2017, Payload().text("a note"))
      .add(2034, Payload().text("a dict"))
      .add(2018, Payload().n(7).n(1).s("pl").n(1).n(-1).n(4).n(-1).n(1).n(3).n(4).n(2).n(10).n(20))
      .add(2020, Payload().n(1).n(33).n(44))
      .add(2029, Payload().n(1).n(1).n(2).n(5))
      .add(2031, guidePropertiesPayload({{1, 0xFF8000, "top"}}, {{1, 0x0000FF, "stem"}}))
      .add(2023, Payload().n(700))
      .add(2027, Payload().i16(-5).i16(12))
      .add(2007, Payload().n(1))
      .add(2013)
      .add(2010, Payload().u32(0x20000000))
      .end();
  return f.bytes();
}

// The older glyph block (1236 ... 1231) with one glyph.
inline Bytes olderGlyphBlockFile() {
  FileBuilder f;
  f.begin()
      .add(1236)
      .add(1235, Payload().u16(1))
      .add(1232, Payload().text("old"))
      .add(1248, Payload().i16(300).i16(-40))
      .add(2002, squareElement())
      .add(2003, hintsPayload({{{{5, 6}}}}, {}, {}))
      .add(2004, guidesPayload({{{{1, 0}}}}, {}))
      .add(2007, Payload().n(1).n(2))
      .add(3333, Bytes(3, 0))
      .add(1231)
      .add(1250, Payload().u16(0x20))
      .end();
  return f.bytes();
}

// The name-table block, a skipped block, the style options and the font-wide guides and
// outline (of two masters, as the glyph's).
inline Bytes nameTableFile() {
  FileBuilder f;
  f.begin()
      .add(262)
      .add(1501, Payload().u16(7).text("second"))
      .add(1500, Payload().u16(3).text("first"))
      .add(1500, Payload().u16(3).text("again"))
      .add(1502, Payload().u16(9))
      .add(518)
      .add(268)
      .add(1500, Payload().u16(1).text("dropped"))
      .add(518)
      .add(1066, Payload().text("space"))
      .add(1743, Payload().b(1).n(31).b(12).n(25000).b(14).n(-2).b(20).n(256 + 8192).b(48).n(4096 + 1).b(100))
      .add(1744, Payload().u16(0))
      .add(1294, guidesPayload({{{{10, 0}}}}, {{{{20, 100}}}}))
      .add(1296, guidePropertiesPayload({{1, 5, "g"}}, {{1, 6, "h"}}))
      .add(1295, ElementBuilder(2).moveTo(1, 2).bytes())
      .glyph(GlyphRecord().name("x").element(ElementBuilder(2).moveTo(0, 0).bytes()))
      .end();
  return f.bytes();
}

// Glyphs A, Aacute, V, W; class _A (first side, key A), _V (second side, key V), a plain
// class and a flagged class without definition; glyph kerning and the per-master block.
inline Bytes keyClassFile() {
  const std::vector<Bytes> info = {
      classDefinition("_A", "A' Aacute"),
      classDefinition("_V", "V' W"),
      classDefinition("vowels", "A Aacute"),
      record(2026, classFlags({{"_A", kFirstSideFlag}, {"_V", kSecondSideFlag}, {"_none", kFirstSideFlag}})),
  };
  FileBuilder f;
  f.begin()
      .fontInfo(std::nullopt, info)
      .glyph(GlyphRecord().name("A").kerning({{2, {-80}}, {3, {-20}}}))
      .glyph(GlyphRecord().name("Aacute").kerning({{3, {-15}}}))
      .glyph(GlyphRecord().name("V"))
      .glyph(GlyphRecord().name("W"))
      .add(272)
      .add(1410, Payload().u32(2).u32(0).i16(-40))  // V A
      .add(528)
      .end();
  return f.bytes();
}

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
