// The writer's file as a whole: record order, fixed records, round trips through
// the reader and byte-identical rewrites.
#include <gtest/gtest.h>

#include <sstream>

#include "native/stream/stream.h"
#include "native/tags.h"
#include "test_writer_support.h"

namespace {

using namespace writertest;

TEST(WriterFile, MinimalFontHasTheFixedRecordOrder) {
  TestFont f;
  f.addGlyph("A");
  const Bytes file = writeNative(*f.pair);
  ASSERT_FALSE(file.empty());
  const Bytes header(file.begin(), file.begin() + 12);
  EXPECT_EQ(header, (Bytes{0x1A, 0x57, 0x4C, 0x46, '1', '0', 3, 0, 44, 0, 0, 0}));
  const auto records = listRecords(file);
  const auto tags = tagsOf(records);
  ASSERT_GE(tags.size(), 8u);
  EXPECT_EQ(tags[0], 1);
  EXPECT_EQ(tags[1], 4);
  EXPECT_EQ(tags[2], 10);
  EXPECT_EQ(records[2].payload, (Bytes{0x01, 0x8B, 0x02, 0xFF, 0x05, 0x00, 0x00, 0x01, 0x03, 0x8B, 0x00}));
  EXPECT_EQ(tags[3], 262);
  EXPECT_EQ(tags[tags.size() - 2], 5);
  EXPECT_EQ(tags.back(), 2);
  EXPECT_TRUE(records.back().payload.empty());
}

TEST(WriterFile, RefusesMissingPartsAndBadStreams) {
  TestFont f;
  qtf::Writer writer;
  const uint8_t option = 1;
  std::ostringstream out;
  FontStylePair noStyle(nullptr, &f.font());
  EXPECT_FALSE(writer.write(noStyle, &option, &out));
  EXPECT_FALSE(writer.write(*f.pair, &option, nullptr));
  std::ostringstream failed;
  failed.setstate(std::ios::badbit);
  EXPECT_FALSE(writer.write(*f.pair, &option, &failed));
  EXPECT_TRUE(out.str().empty());
  // The same writer writes twice the same bytes.
  std::ostringstream first, second;
  ASSERT_TRUE(writer.write(*f.pair, &option, &first));
  ASSERT_TRUE(writer.write(*f.pair, &option, &second));
  EXPECT_EQ(first.str(), second.str());
}

TEST(WriterFile, StyleOptionKeysInTheirOrder) {
  TestFont f;
  const auto records = listRecords(writeNative(*f.pair));
  const Record* options = findRecord(records, 1743);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(findRecord(records, 1744)->payload, (Bytes{0, 0}));
  qtf::Stream in;
  in.attach(options->payload.data(), options->payload.size());
  std::vector<int> keys;
  while (!in.atEnd()) {
    const uint8_t key = in.readByte();
    keys.push_back(key);
    if (key == 100) break;
    in.readInt();
  }
  EXPECT_TRUE(in.atEnd());
  EXPECT_EQ(keys, (std::vector<int>{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 114, 15, 115, 16, 17, 19, 20,
                                    21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 44, 51, 32, 33, 46, 42, 35, 36, 47, 37,
                                    38, 39, 40, 41, 43, 45, 48, 50, 49, 100}));
}

TEST(WriterFile, FeatureTextTravelsVerbatim) {
  TestFont f;
  const std::string text = "languagesystem DFLT dflt;\nfeature liga { sub f i by f_i; } liga;\n";
  f.font().layout.setFeatureText(text);
  const Bytes file = writeNative(*f.pair);
  ASSERT_NE(findRecord(listRecords(file), 1276), nullptr);
  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.font().layout.featureText(), text);
}

TEST(WriterFile, GuidePropertiesLandOnTheirGuides) {
  TestFont f;
  vn::Layer& body = f.addGlyph("g").varnelData().bodyLayer();
  auto guide = [](double x1, double y1, double x2, double y2, const char* name) {
    vn::Guide g;
    g.x1 = x1;
    g.y1 = y1;
    g.x2 = x2;
    g.y2 = y2;
    g.name = name;
    if (*name) g.color = {0, 0, 1, 1};
    return g;
  };
  // The first horizontal guide has neither name nor colour, so it has no entry.
  body.guides = {guide(0, 10, 100, 10, ""), guide(0, 20, 100, 20, "b"), guide(30, 0, 30, 100, "c"),
                 guide(40, 0, 40, 100, "")};
  qtftest::ReadMaster read(writeNative(*f.pair));
  ASSERT_TRUE(read.ok);
  const auto& guides = read.glyph(0).bodyLayer()->guides;
  ASSERT_EQ(guides.size(), 4u);
  EXPECT_EQ(guides[0].name, "");
  EXPECT_EQ(guides[1].name, "b");
  EXPECT_EQ(guides[2].name, "c");
  EXPECT_EQ(guides[2].x1, 30);
  EXPECT_EQ(guides[3].name, "");
  EXPECT_EQ(guides[3].color[3], 0.0);
}

}  // namespace
