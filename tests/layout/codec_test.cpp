#include <gtest/gtest.h>

#include "codec_fixture.h"
#include "layout/glyph_indices.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/records.h"

namespace {

using codec_test::words;

int codeOf(const std::function<void()>& read) {
  try {
    read();
  } catch (const ot::Exception& e) {
    return e.code();
  }
  return 0;
}

TEST(CodecCoverage, DecodesAndReencodesBothFormats) {
  codec_test::Glyphs g;
  struct Case {
    std::vector<uint16_t> indices;
    std::string bytes;
  };
  const Case cases[] = {
      {{1, 2, 3, 4, 5, 6}, words({2, 1, 1, 6, 0})},
      {{1, 3, 5}, words({1, 3, 1, 3, 5})},
      {{1, 2, 3}, words({1, 3, 1, 2, 3})},
      {{}, words({2, 0})},
      {{4, 5, 6, 7, 8, 9, 20, 21, 22, 23}, words({2, 2, 4, 9, 0, 20, 23, 6})},
  };
  for (const auto& c : cases) {
    ot::BinaryWriter writer;
    ot::writeCoverageTable(writer, c.indices);
    EXPECT_EQ(writer.str(), c.bytes);
    ot::BinaryReader reader(c.bytes);
    otl::GlyphList glyphs;
    otl::readCoverageTable(glyphs, reader, 0, g.map);
    otl::GlyphList expected;
    for (uint16_t i : c.indices) expected.push_back(g.id(i));
    EXPECT_EQ(glyphs, expected);
  }
}

TEST(CodecClassDef, DecodesAndReencodesBothFormats) {
  codec_test::Glyphs g;
  struct Case {
    std::vector<std::pair<int, int>> pairs;  // glyph index, class
    std::string bytes;
  };
  const Case cases[] = {
      {{{10, 1}, {11, 1}, {12, 1}}, words({1, 10, 3, 1, 1, 1})},
      {{{10, 1}, {11, 1}, {12, 1}, {13, 1}, {14, 1}, {15, 1}, {16, 1}, {17, 1}, {18, 1}, {19, 1}},
       words({2, 1, 10, 19, 1})},
      {{{10, 1}, {13, 2}}, words({1, 10, 4, 1, 0, 0, 2})},
      {{}, words({2, 0})},
  };
  for (const auto& c : cases) {
    otl::ClassDefinitionTable table;
    for (auto [index, cls] : c.pairs) {
      table.glyphs.push_back(g.id(index));
      table.classes.push_back(static_cast<uint16_t>(cls));
    }
    ot::BinaryWriter writer;
    table.writeBinary(writer, g.map);
    EXPECT_EQ(writer.str(), c.bytes);
    ot::BinaryReader reader(c.bytes);
    otl::ClassDefinitionTable read;
    read.readBinary(reader, 0, g.map);
    EXPECT_EQ(read.glyphs, table.glyphs);
    EXPECT_EQ(read.classes, table.classes);
  }
}

TEST(CodecDevice, FormatChoiceAndPacking) {
  struct Case {
    std::vector<std::pair<int, int>> entries;  // ppem, delta (in ppem order)
    std::string bytes;
  };
  const Case cases[] = {
      {{{12, -1}, {13, 1}}, words({12, 13, 1, 0xD000})},
      {{{12, -3}}, words({12, 12, 2, 0xD000})},
      {{{12, 8}, {13, 0}, {14, -1}}, words({12, 14, 3, 0x0800, 0xFF00})},
      {{{9, 1}, {10, 0}, {11, 1}, {12, 0}, {13, 1}, {14, 0}, {15, 1}, {16, 0}, {17, -2}},
       words({9, 17, 1, 0x4444, 0x8000})},
  };
  for (const auto& c : cases) {
    otl::DeviceTable device;
    for (auto [ppem, delta] : c.entries)
      device.entries.push_back({static_cast<uint16_t>(ppem), static_cast<int8_t>(delta)});
    ot::BinaryWriter writer;
    device.pack(writer);
    EXPECT_EQ(writer.str(), c.bytes);
    ot::BinaryReader reader(c.bytes);
    otl::DeviceTable read;
    ASSERT_TRUE(read.readBinary(reader, 0));
    EXPECT_EQ(read, device);
  }
  // A gap in the sizes is filled with 0; unknown formats and reversed ranges are dropped.
  otl::DeviceTable gap;
  gap.entries = {{12, 2}, {14, 2}};
  ot::BinaryWriter writer;
  gap.pack(writer);
  EXPECT_EQ(writer.str(), words({12, 14, 2, 0x2020}));
  for (const std::string& bytes : {words({12, 14, 0x8000}), words({14, 12, 1, 0})}) {
    ot::BinaryReader reader(bytes);
    otl::DeviceTable dropped;
    EXPECT_FALSE(dropped.readBinary(reader, 0));
    EXPECT_TRUE(dropped.entries.empty());
  }
}

TEST(CodecValueRecord, FieldsIdsAndDevices) {
  // A subtable-like block: the record at 0 (XPlacement, XAdvance, XAdvDevice), device at 6.
  const std::string bytes = words({10, -50, 6, 12, 12, 1, 0x4000});
  ot::BinaryReader reader(bytes);
  otl::GPosValue value;
  value.readBinary(reader, 0, 0, 0x0001 | 0x0004 | 0x0040);
  EXPECT_EQ(reader.position(), 6u);
  EXPECT_EQ(value.xPlacement, 10);
  EXPECT_EQ(value.xAdvance, -50);
  ASSERT_TRUE(value.devices[2]);
  EXPECT_EQ(value.valueFormat(), 0x0045);
  ot::BinaryWriter writer;
  std::array<uint32_t, 4> fields{};
  value.writeBinary(writer, value.valueFormat(), fields);
  value.writeDevices(writer, 0, fields);
  EXPECT_EQ(writer.str(), bytes);

  otl::GPosValue other = value;
  EXPECT_TRUE(other == value);
  other.devices[2]->entries[0].delta = 0;
  EXPECT_FALSE(other == value);
  otl::GPosValue idOnly;
  idOnly.ids[0] = 7;
  EXPECT_TRUE(idOnly.isEmpty());
  EXPECT_FALSE(idOnly < otl::GPosValue{});
  EXPECT_FALSE(otl::GPosValue{} < idOnly);
  EXPECT_FALSE(idOnly == otl::GPosValue{});
}

TEST(CodecAnchor, FormatsAndText) {
  struct Case {
    otl::AnchorTable anchor;
    bool xDevice;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {otl::AnchorTable(120, -30), false, words({1, 120, -30}), "<anchor 120 -30>"},
      {otl::AnchorTable(1, 2, 4), false, words({2, 1, 2, 4}), "<anchor 1 2 contourpoint 4>"},
      {otl::AnchorTable(1, 2, 5), true, words({2, 1, 2, 5}), "<anchor 1 2 contourpoint 5 >"},
      {otl::AnchorTable(1, 2), true, words({3, 1, 2, 10, 0, 12, 12, 1, 0x4000}), "<anchor 1 2 >"},
      {otl::AnchorTable(1, 2, 40000), false, words({2, 1, 2, 40000}), "<anchor 1 2>"},
  };
  for (const auto& c : cases) {
    otl::AnchorTable anchor = c.anchor;
    if (c.xDevice) anchor.xDevice = std::make_unique<otl::DeviceTable>(otl::DeviceTable{{{12, 1}}});
    ot::BinaryWriter writer;
    anchor.writeBinary(writer);
    EXPECT_EQ(writer.str(), c.bytes);
    std::ostringstream text;
    anchor.writeFea(text);
    EXPECT_EQ(text.str(), c.text);
    ot::BinaryReader reader(c.bytes);
    otl::AnchorTable read;
    read.readBinary(reader, 0);
    EXPECT_EQ(read.x, anchor.x);
    EXPECT_EQ(read.contourPoint, anchor.contourPoint);
  }
}

TEST(CodecHostile, TruncatedAndMalformedBlocks) {
  codec_test::Glyphs g;
  struct Case {
    const char* what;
    std::string bytes;
    int code;
  };
  const Case coverage[] = {
      {"truncated list", words({1, 5, 1, 2}), 2},
      {"count beyond the data", words({1, 0xFFFF}), 2},
      // Overlapping and unsorted ranges are read as stored (see OverlapsReadAsStored).
      {"overlapping ranges", words({2, 2, 1, 5, 0, 3, 8, 5}), 0},
      {"unsorted ranges", words({2, 2, 10, 12, 0, 1, 2, 3}), 0},
      {"unknown format", words({3, 0}), 26},
      {"empty", "", 2},
  };
  for (const auto& c : coverage) {
    ot::BinaryReader reader(c.bytes);
    otl::GlyphList glyphs;
    EXPECT_EQ(codeOf([&] { otl::readCoverageTable(glyphs, reader, 0, g.map); }), c.code) << c.what;
  }
  const Case classDefs[] = {
      {"truncated classes", words({1, 0, 4, 1}), 2},
      {"overlapping ranges", words({2, 2, 1, 5, 1, 5, 8, 2}), 0},
      {"unknown format", words({7}), 26},
  };
  for (const auto& c : classDefs) {
    ot::BinaryReader reader(c.bytes);
    otl::ClassDefinitionTable table;
    EXPECT_EQ(codeOf([&] { table.readBinary(reader, 0, g.map); }), c.code) << c.what;
  }
  // A range over the whole 16-bit space is capped by the font's glyph count.
  const std::string wideBytes = words({2, 1, 0, 0xFFFF, 0});
  ot::BinaryReader wide(wideBytes);
  otl::GlyphList glyphs;
  otl::readCoverageTable(glyphs, wide, 0, g.map);
  EXPECT_EQ(glyphs.size(), 300u);
  const std::string badAnchorBytes = words({4, 1, 2});
  ot::BinaryReader badAnchor(badAnchorBytes);
  otl::AnchorTable anchor;
  EXPECT_EQ(codeOf([&] { anchor.readBinary(badAnchor, 0); }), 26);
  const std::string shortValueBytes = words({5});
  ot::BinaryReader shortValue(shortValueBytes);
  otl::GPosValue value;
  EXPECT_EQ(codeOf([&] { value.readBinary(shortValue, 0, 0, 0x0005); }), 2);
}

}  // namespace
