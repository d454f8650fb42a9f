// How the reader uses its input stream: the position is never asked per record, so a
// file stream keeps its buffer and makes no system call per glyph.
#include <gtest/gtest.h>

#include <string>

#include "native/reader_fixture.h"

namespace qtftest {
namespace {

// A string buffer that counts the times it is asked to seek or tell.
class CountingBuffer : public std::stringbuf {
 public:
  explicit CountingBuffer(const std::string& bytes) : std::stringbuf(bytes, std::ios::in) {}
  int seeks = 0;

 protected:
  pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override {
    ++seeks;
    return std::stringbuf::seekoff(off, dir, which);
  }
  pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
    ++seeks;
    return std::stringbuf::seekpos(pos, which);
  }
};

Bytes glyphsFile(int count) {
  FileBuilder f;
  f.begin();
  for (int i = 0; i < count; ++i) {
    f.glyph(GlyphRecord().name("g" + std::to_string(i)).advance(500, 0).element(squareElement()));
  }
  f.end();
  return f.bytes();
}

TEST(NativeReaderStream, SeeksDoNotGrowWithTheGlyphs) {
  int seeksOf[2] = {};
  const int counts[2] = {1, 400};
  for (int k = 0; k < 2; ++k) {
    CountingBuffer buffer(asString(glyphsFile(counts[k])));
    std::istream input(&buffer);
    auto pair = freshPair();
    qtf::Parser parser(pair.get(), &input);
    vn::ImportOptions options = ReadMaster::driverOptions();
    ASSERT_TRUE(parser.parse(0, &options)) << counts[k];
    ASSERT_EQ(pair->font->glyphCount(), static_cast<size_t>(counts[k]));
    seeksOf[k] = buffer.seeks;
  }
  EXPECT_EQ(seeksOf[1], seeksOf[0]);
  EXPECT_LE(seeksOf[1], 8);
}

}  // namespace
}  // namespace qtftest
