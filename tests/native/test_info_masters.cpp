// Multiple-master content of the information blocks: the metrics record of the
// selected master, the design-space records and the per-master kerning block.
#include <gtest/gtest.h>

#include "test_writer_support.h"

namespace {

using namespace writertest;
using qtftest::FileBuilder;
using qtftest::Payload;

Bytes metricsRecord(int32_t ascender) {
  Bytes record(400, 0);
  for (size_t i = 0; i < 4; ++i) record[384 + i] = static_cast<uint8_t>(ascender >> (8 * i));
  return record;
}

TEST(InfoMasters, SelectedMasterAndDesignSpace) {
  Payload mapping;
  for (int axis = 0; axis < 4; ++axis) {
    for (int point = 0; point < 10; ++point) mapping.d(point * 100.0 + axis).d(point * 10.0);
  }
  Payload designs;
  designs.n(2).s("first").n(10000).n(-5000).n(0).n(1).s("short").n(30000);  // the last one ends early
  FileBuilder file;
  file.begin()
      .fontInfo(3)
      .add(271)
      .add(1513, Payload().u16(2))
      .add(1514, Payload().text("weight"))
      .add(1514, Payload().text("width"))
      .add(1515, Payload().u32(2).u32(1))
      .add(1516, mapping)
      .add(1504, Payload().text("Light"))
      .add(1505, Payload().u32(7).d(0).d(0).d(0).d(0))
      .add(1504, Payload().text("Bold"))
      .add(1505, Payload().u32(8).d(1000).d(0).d(0).d(0))
      .add(1536, metricsRecord(700))
      .add(1536, Bytes(10, 0))  // wrong size: skipped, not counted
      .add(1536, metricsRecord(710))
      .add(1536, metricsRecord(720))
      .add(1247, Payload().d(1).d(2).d(3).d(4))
      .add(1254, designs)
      .add(527)
      .end();
  qtftest::ReadMaster read(file.bytes(), 2);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.style().metrics.ascender, 720);
  // Master "Bold" sits at 1000 on the weight axis, whose map (0, 0), (100, 10) takes
  // it far beyond the heaviest class.
  read.parser->applyMaster(&read.style(), 1);
  EXPECT_EQ(read.style().metrics.weightValue, 950);

  qtftest::ReadMaster first(file.bytes(), 0);
  ASSERT_TRUE(first.ok);
  EXPECT_EQ(first.style().metrics.ascender, 700);

}

TEST(InfoMasters, BrokenDesignSpaceSequencesFail) {
  const std::vector<Bytes> bad[] = {
      // 1513 announces two axes but the second name record is missing
      {qtftest::record(1513, Payload().u16(2)), qtftest::record(1514, Payload().text("weight")),
       qtftest::record(1536, Bytes(400, 0))},
      // more master positions than masters
      {qtftest::record(1505, Payload().u32(1).d(0).d(0).d(0).d(0)),
       qtftest::record(1505, Payload().u32(1).d(0).d(0).d(0).d(0))},
      // a design-record stream with a count beyond its data
      {qtftest::record(1254, Payload().n(1000000))},
  };
  for (const auto& records : bad) {
    FileBuilder file;
    file.begin().fontInfo(1).add(271);
    for (const Bytes& record : records) file.raw(record);
    file.add(527).end();
    qtftest::ReadMaster read(file.bytes());
    EXPECT_FALSE(read.ok);
  }
}

TEST(InfoMasters, PerMasterKerningBlock) {
  auto glyph = [](const char* name, int32_t width) {
    return qtftest::GlyphRecord()
        .name(name)
        .element(qtftest::ElementBuilder(3).moveTo(0, 0).lineTo(width, 0).bytes())
        .advance({{width, 0}, {width + 10, 0}, {width + 20, 0}});
  };
  FileBuilder file;
  file.begin()
      .fontInfo(3)
      .glyph(glyph("A", 500))
      .glyph(glyph("V", 600))
      .add(272)
      .add(1410, Payload().u32(0).u32(1).i16(-10).i16(-20).i16(-30))
      .add(1410, Payload().u32(1).u32(7).i16(5).i16(5).i16(5))  // no glyph 7
      .add(1410, Payload().u32(1).u32(0).i16(0))                // too short for three masters
      .add(528)
      .end();
  qtftest::ReadMaster read(file.bytes(), 2);
  ASSERT_TRUE(read.ok);
  std::list<vn::NamedGlyphPair> pairs;
  read.font().kerning().flatGlyphPairs(pairs);
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs.front().first, "A");
  EXPECT_EQ(pairs.front().second, "V");
  EXPECT_EQ(pairs.front().value, -30);
  EXPECT_EQ(read.glyph(1).advanceWidth, 620);
}

}  // namespace
