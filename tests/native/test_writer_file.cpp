// The writer refuses what it cannot write and writes the same font to the same bytes.
#include <gtest/gtest.h>

#include <sstream>

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

}  // namespace
