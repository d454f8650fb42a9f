// Header, record framing, the record loop's structure and the master count scan.
#include <gtest/gtest.h>

#include <sstream>

#include "native/record_framing.h"
#include "native/reader_fixture.h"

namespace qtftest {
namespace {

FileBuilder minimalFile() {
  FileBuilder f;
  f.begin().fontInfo(std::nullopt).glyph(GlyphRecord().name("a").advance(500)).end();
  return f;
}

TEST(NativeFraming, HeaderAndRecordHeaderBytes) {
  const Bytes h = header();
  ASSERT_EQ(h.size(), 44u);
  EXPECT_EQ(Bytes(h.begin(), h.begin() + 12), (Bytes{0x1A, 0x57, 0x4C, 0x46, '1', '0', 3, 0, 44, 0, 0, 0}));
  EXPECT_EQ(qtf::encodeFileHeader(), h);
  // 70000 = 65536 + 4464: tag with bit 15, then 4464, then 1.
  EXPECT_EQ(qtf::encodeRecordHeader(1743, 70000), (Bytes{0xCF, 0x86, 0x70, 0x11, 0x01, 0x00}));
  const Bytes built = record(1743, Bytes(70000, 0));
  EXPECT_EQ(Bytes(built.begin(), built.begin() + 6), qtf::encodeRecordHeader(1743, 70000));
  EXPECT_EQ(qtf::encodeRecordHeader(1743, 65535), (Bytes{0xCF, 0x06, 0xFF, 0xFF}));
  EXPECT_TRUE(qtf::encodeRecordHeader(1, 0x100000000ull).empty());
}

TEST(NativeFraming, HeaderChecks) {
  EXPECT_TRUE(ReadMaster(minimalFile().bytes()).ok);
  for (HeaderFields bad : {HeaderFields{.minor = '1'}, HeaderFields{.version = 2}, HeaderFields{.version = 4},
                           HeaderFields{.magic = 0x464C571B}, HeaderFields{.major = '2'},
                           HeaderFields{.offset = 1u << 30}}) {
    auto file = minimalFile().withHeader(bad).bytes();
    EXPECT_FALSE(ReadMaster(file).ok);
    EXPECT_EQ(masterCountOf(file), -1);
  }
  EXPECT_TRUE(ReadMaster(minimalFile().withHeader(HeaderFields{.unused = 0xEE}).bytes()).ok);
  // An offset other than 44 is honoured: 16 bytes of filler before the records.
  Bytes file = minimalFile().withHeader(HeaderFields{.offset = 60}).bytes();
  file.insert(file.begin() + 44, 16, 0xEE);
  EXPECT_TRUE(ReadMaster(file).ok);
  EXPECT_FALSE(ReadMaster(Bytes(20, 0)).ok);
  EXPECT_FALSE(ReadMaster(Bytes{}).ok);
}

// Files of the given records after the header: whether each reads.
TEST(NativeFraming, RecordLoopRules) {
  auto glyphThen = [](uint16_t tag, Bytes payload) {
    FileBuilder f;
    f.begin().glyph(GlyphRecord().name("a")).add(tag, payload).end();
    return f;
  };
  FileBuilder noStart, startWithPayload, cut, endOnly, twoOnly, skipped;
  noStart.add(1).fontInfo(std::nullopt).end();
  startWithPayload.add(1).add(4, Bytes{0}).end();
  cut.begin().glyph(GlyphRecord().name("a"));  // the next header cannot be read
  endOnly.begin().glyph(GlyphRecord().name("a")).add(5);
  twoOnly.begin().add(2);
  skipped.begin()
      .add(3000, Bytes(7, 0xAB))
      .add(3001, Bytes(5, 1), Framing::longLength())
      .add(1742, Bytes(70000, 0x55))  // long form, loaded and ignored
      .glyph(GlyphRecord().name("x"))
      .end();
  const std::pair<FileBuilder, bool> cases[] = {
      {noStart, false}, {startWithPayload, false}, {cut, false}, {endOnly, true}, {twoOnly, true}, {skipped, true},
      // Fixed lengths of records that follow a glyph.
      {glyphThen(2012, {3, 0}), true}, {glyphThen(2012, {3, 0, 0}), false}, {glyphThen(2027, {1, 0, 2, 0}), true},
      {glyphThen(2027, {1, 0}), false}, {glyphThen(1250, {0x41, 0, 0x42}), false},
      {glyphThen(1253, {0x41, 0, 0}), false}, {glyphThen(1744, {0, 0}), true}, {glyphThen(1744, {0}), false}};
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(ReadMaster(cases[i].first.bytes()).ok, cases[i].second) << i;
  ReadMaster r(skipped.bytes());
  ASSERT_EQ(r.font().glyphCount(), 1u);
  EXPECT_EQ(r.glyph(0).name, "x");
}

TEST(NativeFraming, GlyphRecordsNeedACurrentGlyph) {
  FileBuilder f;
  f.begin().glyph(GlyphRecord().name("a")).add(2006).add(2017, Payload().text("note")).end();
  ReadMaster r(f.bytes());
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.font().glyphCount(), 1u);  // what was read stays
  for (uint16_t tag : {2008, 2012, 2018, 2020, 2023, 2027, 2029, 2031, 1250}) {
    FileBuilder g;
    g.begin().add(tag, Bytes(2, 0)).end();
    EXPECT_FALSE(ReadMaster(g.bytes()).ok) << tag;
  }
}

TEST(NativeFraming, MasterCountScan) {
  auto countWith = [](std::optional<uint16_t> masters) {
    FileBuilder f;
    f.begin().fontInfo(masters).end();
    return masterCountOf(f.bytes());
  };
  EXPECT_EQ(countWith(4), 4);
  EXPECT_EQ(countWith(std::nullopt), 1);
  EXPECT_EQ(countWith(0), -1);
  EXPECT_EQ(countWith(17), -1);
  EXPECT_EQ(countWith(16), 16);
  FileBuilder longCount, noBlock, cut;
  longCount.begin().add(257).add(1503, Payload().u32(4)).add(513).end();
  EXPECT_EQ(masterCountOf(longCount.bytes()), -1);
  noBlock.begin().glyph(GlyphRecord().name("a")).end();
  EXPECT_EQ(masterCountOf(noBlock.bytes()), 1);
  cut.begin().add(257).add(1024, Payload().text("Family"));
  EXPECT_EQ(masterCountOf(cut.bytes()), 0);
  EXPECT_EQ(masterCountOf(truncated(cut.bytes(), cut.bytes().size() - 3)), 0);
}

TEST(NativeFraming, OneStreamServesEveryMaster) {
  // The driver reuses one stream: a failed read must not fail the next one.
  FileBuilder f;
  f.begin().fontInfo(2).glyph(GlyphRecord().name("a").advance({{100, 0}, {200, 0}})).end();
  std::istringstream in(f.str());
  {
    qtf::Parser counter(nullptr, &in);
    EXPECT_EQ(counter.masterCount(), 2);
  }
  in.setstate(std::ios::failbit);
  for (int m = 0; m < 2; ++m) {
    const auto pair = freshPair();
    qtf::Parser parser(pair.get(), &in);
    auto options = ReadMaster::driverOptions();
    ASSERT_TRUE(parser.parse(m, &options)) << m;
    EXPECT_EQ(pair->font->glyphs.front()->advanceWidth, m == 0 ? 100 : 200);
    in.setstate(std::ios::badbit);
  }
}

}  // namespace
}  // namespace qtftest
