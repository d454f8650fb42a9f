// The writer's file as a whole: record order, fixed records, round trips through
// the reader and byte-identical rewrites.
#include <gtest/gtest.h>

#include <sstream>

#include "native/stream/stream.h"
#include "native/tags.h"
#include "test_writer_support.h"

namespace {

using namespace writertest;

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

}  // namespace
