// Damaged native files: every truncation point and thousands of seeded byte flips of
// a set of built files must end in a result or an exception the driver handles,
// never in a crash, a hang or unbounded memory (run under the sanitizers).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "../../fuzz/native_reader/native_reader_entry.h"
#include "native/reader_fixture.h"
#include "support/qtf_builder.h"

namespace qtftest {
namespace {

Bytes square(int32_t masters = 1) {
  ElementBuilder e(masters);
  e.moveTo(0, 0).lineTo(100, 0).curveTo(100, 100, 120, 30, 120, 70).quadTo(50, 120).lineTo(0, 100);
  return e.bytes();
}

std::vector<Bytes> sampleFiles() {
  std::vector<Bytes> files;
  {  // plain glyphs
    FileBuilder f;
    f.begin().fontInfo(std::nullopt).glyph(GlyphRecord().name("a").advance(500).element(square())).end();
    files.push_back(f.bytes());
  }
  {  // one glyph with every payload kind
    FileBuilder f;
    f.begin()
        .glyph(GlyphRecord().name("A").advance(600, 0).element(square()))
        .glyph(GlyphRecord()
                   .name("B")
                   .element(square())
                   .hints(hintsPayload({{{{0, 20}}}}, {{{{40, 10}}}}, {{1, 0}, {2, 0}, {255, -3}}))
                   .guides(guidesPayload({{{{100, 5000}}}}, {{{{30, 0}}}}))
                   .components({{0, {{10, 20, 1.0, 1.0}}}})
                   .kerning({{0, {-50}}})
                   .commands({1, 2, 3}))
        .add(1250, Payload().u16(0x41))
        .add(1253, Payload().u32(0x1F600))
        .add(2008, Payload().n(1).n(0).n(3).n(1).n(0).n(1))
        .add(2009, Payload().n(1).n(100000000).raw(square()))
        .add(2012, Payload().u16(3))
        .add(2015, Payload().text("blob"))
        .add(2017, Payload().text("note"))
        .add(2018, Payload().n(7).n(1).s("pl").n(1).n(-1).n(4).n(-1).n(1).n(3).n(4).n(1).n(10))
        .add(2020, Payload().n(1).n(33).n(44))
        .add(2029, Payload().n(1).n(1).n(2).n(5))
        .add(2031, guidePropertiesPayload({{1, 0xFF8000, "top"}}, {{1, 255, "v"}}))
        .add(2023, Payload().n(700))
        .add(2027, Payload().i16(-5).i16(12))
        .add(2034, Payload().text("dict"))
        .end();
    files.push_back(f.bytes());
  }
  {  // two masters
    FileBuilder f;
    f.begin()
        .fontInfo(2)
        .glyph(GlyphRecord()
                   .name("m")
                   .element(square(2))
                   .advance({{500, 0}, {600, 0}})
                   .kerning({{0, {-10, -20}}})
                   .components({{0, {{1, 2, 1.0, 1.0}, {3, 4, 2.0, 2.0}}}}))
        .add(2023, Payload().n(1).n(2))
        .end();
    files.push_back(f.bytes());
  }
  {  // older glyph block and skipped blocks
    FileBuilder f;
    f.begin()
        .add(1236)
        .add(1235, Payload().u16(1))
        .add(1232, Payload().text("old"))
        .add(1237, Payload().i16(300))
        .add(1248, Payload().i16(300).i16(10))
        .add(2002, square())
        .add(2003, hintsPayload({{{{5, 6}}}}, {}, {{1, 0}}))
        .add(2004, guidesPayload({{{{1, 0}}}}, {}))
        .add(2005, Payload().n(1).n(2))
        .add(2007)
        .add(1231)
        .add(1239)
        .add(3000, Bytes(5, 1))
        .add(1231)
        .add(268)
        .add(1500, Payload().u16(1).text("x"))
        .add(518)
        .end();
    files.push_back(f.bytes());
  }
  {  // classes, class flags, per-master kerning block
    FileBuilder f;
    f.begin()
        .fontInfo(std::nullopt, {classDefinition("_A", "A' Aacute"), classDefinition("_V", "V' W"),
                                 classDefinition("plain", "A W"),
                                 record(2026, classFlags({{"_A", kFirstSideFlag}, {"_V", kSecondSideFlag}}))})
        .glyph(GlyphRecord().name("A").kerning({{2, {-80}}}))
        .glyph(GlyphRecord().name("Aacute"))
        .glyph(GlyphRecord().name("V"))
        .glyph(GlyphRecord().name("W"))
        .add(272)
        .add(1410, Payload().u32(2).u32(0).i16(-40))
        .add(528)
        .end();
    files.push_back(f.bytes());
  }
  {  // name table, style options, font-wide guides and outline
    FileBuilder f;
    f.begin()
        .add(262)
        .add(1501, Payload().u16(7).text("second"))
        .add(1500, Payload().u16(3).text("first"))
        .add(1502, Payload().u16(9))
        .add(518)
        .add(1066, Payload().text("space"))
        .add(1743, Payload().b(1).n(31).b(12).n(25000).b(20).n(256).b(48).n(4097).b(100))
        .add(1744, Payload().u16(0))
        .add(1294, guidesPayload({{{{10, 0}}}}, {{{{20, 100}}}}))
        .add(1296, guidePropertiesPayload({{1, 5, "g"}}, {{1, 6, "h"}}))
        .add(1295, square())
        .glyph(GlyphRecord().name("x"))
        .end();
    files.push_back(f.bytes());
  }
  files.push_back(threeMasterFile());  // three masters with a design space
  {  // long framing and unknown records
    FileBuilder f;
    f.begin()
        .add(3001, Bytes(9, 7), Framing::longLength())
        .add(1742, Bytes(40, 0))
        .glyph(GlyphRecord().name("L").element(square()))
        .add(2006)
        .glyph(GlyphRecord().name("L"))
        .end();
    files.push_back(f.bytes());
  }
  {  // feature text with a class
    FileBuilder f;
    f.begin()
        .fontInfo(std::nullopt, {record(1276, Payload().text("feature liga { sub f i by f_i; } liga;\n")),
                                 classDefinition("@caps", "A B")})
        .glyph(GlyphRecord().name("f"))
        .glyph(GlyphRecord().name("i"))
        .glyph(GlyphRecord().name("f_i"))
        .end();
    files.push_back(f.bytes());
  }
  {  // many small glyphs sharing names
    FileBuilder f;
    f.begin();
    for (int i = 0; i < 30; ++i)
      f.glyph(GlyphRecord().name(i % 3 ? "n" : "n.1").components({{i / 2, {{0, 0, 1.0, 1.0}}}}));
    f.end();
    files.push_back(f.bytes());
  }
  return files;
}

bool readAsDriver(const Bytes& bytes) { return fuzz::nativeReaderEntry(bytes.data(), bytes.size()); }

TEST(NativeMutation, SampleFilesReadWhole) {
  // The undamaged files read cleanly, so the damage below starts from valid data.
  const auto files = sampleFiles();
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_TRUE(ReadMaster(files[i]).ok) << "sample " << i;
    EXPECT_TRUE(readAsDriver(files[i]));
  }
}

TEST(NativeMutation, EveryTruncationPoint) {
  for (const auto& file : sampleFiles()) {
    for (size_t length = 0; length <= file.size(); ++length) ASSERT_TRUE(readAsDriver(truncated(file, length)));
  }
}

TEST(NativeMutation, SeededByteFlips) {
  const auto files = sampleFiles();
  std::mt19937 random(20261206);
  for (int round = 0; round < 4000; ++round) {
    const Bytes& file = files[random() % files.size()];
    Bytes damaged = file;
    const int flips = 1 + static_cast<int>(random() % 3);
    for (int i = 0; i < flips; ++i) {
      // Mostly inside the records, where the structure is.
      const size_t at = 44 + random() % (damaged.size() - 44);
      damaged[at] = static_cast<uint8_t>(random() % 4 == 0 ? 0xFF : damaged[at] ^ (1u << (random() % 8)));
    }
    ASSERT_TRUE(readAsDriver(damaged)) << "round " << round;
  }
}

// Writes the sample files as seeds of the fuzz corpus:
//   QTF_SEED_DIR=fuzz/native_reader/corpus test_native --gtest_also_run_disabled_tests
//     --gtest_filter=*WriteSeedCorpus
TEST(NativeMutation, DISABLED_WriteSeedCorpus) {
  const char* dir = std::getenv("QTF_SEED_DIR");
  if (!dir) GTEST_SKIP() << "QTF_SEED_DIR not set";
  const auto files = sampleFiles();
  for (size_t i = 0; i < files.size(); ++i) {
    std::ofstream out(std::filesystem::path(dir) / ("seed-" + std::to_string(i) + ".qtf"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(files[i].data()), static_cast<std::streamsize>(files[i].size()));
  }
}

}  // namespace
}  // namespace qtftest
