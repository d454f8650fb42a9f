// Pair subtables hand each call to the form they hold; malformed or missing forms fail
// with their own message.
#include <gtest/gtest.h>

#include <sstream>

#include "codec_fixture.h"
#include "layout/lookup.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/pair_pos.h"

namespace {

using codec_test::Glyphs;
using codec_test::words;

TEST(PairForms, MalformedBytesFailWithTheirMessage) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* message;
  };
  const Case cases[] = {
      {"format 3", words({3, 0, 0, 0}), "unknown pair format"},
      {"format 0", words({0}), "unknown pair format"},
      {"more pair sets than glyphs", words({1, 12, 4, 0, 3, 0, 1, 1, 5}), "more pair sets than covered glyphs"},
      {"pair sets past the data", words({1, 10, 4, 0, 100, 2, 1, 1, 200, 0}), "count larger than the data"},
      {"pairs past the data", words({1, 12, 4, 0, 1, 18, 1, 1, 5, 9, 7, 0}), "count larger than the data"},
      {"class matrix past the data", words({2, 16, 4, 0, 20, 20, 9, 9, 1, 0, 2, 0}), "count larger than the data"},
  };
  for (const auto& c : cases) {
    Glyphs g;
    otl::LpPair pair(otl::LpPair::Bare{});
    ot::BinaryReader reader(c.bytes);
    try {
      pair.readBinary(reader, 0, {}, g.map);
      ADD_FAILURE() << c.name << ": read";
    } catch (const ot::Exception& e) {
      EXPECT_EQ(e.message(), c.message) << c.name;
    }
  }
}

// Each call reaches the form `format` names; without it, the calls that need a form fail
// and the others do nothing.
TEST(PairForms, CallsReachTheFormHeld) {
  Glyphs g;
  otl::GPosValue kern;
  kern.xAdvance = -30;
  const std::string glyphPairs = words({1, 12, 4, 0, 1, 18, 1, 1, 5, 1, 7, -30});
  const std::string classPairs = words({2, 24, 4, 0, 30, 38, 2, 2, 0, 0, 0, -30, 1, 1, 5, 1, 5, 1, 1, 1, 7, 1, 1});
  struct Case {
    const char* name;
    std::string bytes;
    uint16_t format;
    otl::GlyphSet glyphs;
    otl::GlyphList coverage;
  };
  const Case cases[] = {
      {"glyph pairs", glyphPairs, 1, {g.id(5), g.id(7)}, g.ids({5})},
      {"class pairs", classPairs, 2, {g.id(5), g.id(7)}, {}},
  };
  for (const auto& c : cases) {
    otl::LpPair pair(otl::LpPair::Bare{});
    ot::BinaryReader reader(c.bytes);
    pair.readBinary(reader, 0, {}, g.map);
    EXPECT_EQ(pair.format, c.format) << c.name;
    EXPECT_EQ(pair.pairCount(), 1u) << c.name;
    otl::GlyphSet glyphs;
    pair.collectGlyphs(glyphs);
    EXPECT_EQ(glyphs, c.glyphs) << c.name;
    otl::GlyphList coverage;
    pair.appendCoverage(coverage);
    EXPECT_EQ(coverage, c.coverage) << c.name;
    ot::BinaryWriter same, other;
    pair.writeBinary(same, {}, g.map, c.format);
    EXPECT_EQ(same.str().substr(0, 2), words({c.format})) << c.name;
    EXPECT_THROW(pair.writeBinary(other, {}, g.map, c.format == 1 ? 2 : 1), ot::Exception) << c.name;
    pair.pruneByGlyphs({g.id(7)});
    EXPECT_TRUE(pair.isEmpty()) << c.name;
  }
  // The factory's subtable before it is read holds no form.
  otl::LpPair bare(otl::LpPair::Bare{});
  EXPECT_EQ(bare.pairCount(), 0u);
  std::ostringstream text;
  bare.writeFea(text, {}, {});
  EXPECT_EQ(text.str(), "");
  otl::GlyphSet glyphs;
  EXPECT_THROW(bare.isEmpty(), ot::Exception);
  EXPECT_THROW(bare.collectGlyphs(glyphs), ot::Exception);
  EXPECT_THROW(bare.pruneByGlyphs({}), ot::Exception);
  ot::BinaryWriter writer;
  EXPECT_THROW(bare.writeBinary(writer, {}, g.map, 0), ot::Exception);
}

}  // namespace
