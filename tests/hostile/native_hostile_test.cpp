// Hostile native files through the program: truncations, lengths of all ones and
// counts of 2^31. Each run must end in order (see Scratch::convert).
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "hostile_run.h"
#include "support/qtf_builder.h"

namespace {

using namespace qtftest;
using hostile::Scratch;

const std::vector<std::string> kOutputs{"in.ufo"};

GlyphRecord outlinedGlyph(const std::string& name) {
  GlyphRecord glyph;
  glyph.name(name).advance(500).element(ElementBuilder().moveTo(10, 0).lineTo(400, 0).lineTo(200, 600).bytes());
  return glyph;
}

// A small sound font: glyphs with outlines, a component, kerning and a hint.
FileBuilder soundFile() {
  FileBuilder file;
  file.begin().fontInfo(1);
  file.glyph(outlinedGlyph("a").hints(hintsPayload({{{{0, 20}}}}, {}, {})).kerning({{1, {-30}}}));
  file.glyph(outlinedGlyph("b"));
  GlyphRecord composite;
  composite.name("c").advance(500).components({{0, {{20, 0, 1.0, 1.0}}}});
  file.glyph(composite);
  return file;
}

// Converts the bytes as "in.qtf" and checks that the run ended in order.
void expectOrderly(const Bytes& bytes, const std::string& what) {
  Scratch scratch;
  scratch.write("in.qtf", bytes);
  scratch.convert("in.qtf", kOutputs, what);
}

class NativeHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    Scratch scratch;
    scratch.write("in.qtf", soundFile().end().bytes());
    const auto result = scratch.convert("in.qtf", kOutputs, "sound file");
    ASSERT_EQ(result.exitCode, 0) << hostile::describe(result);
    ASSERT_TRUE(hostile::fs::exists(scratch.out() / "in.ufo" / "metainfo.plist")) << hostile::describe(result);
  }
};

TEST_F(NativeHostile, TruncatedAtEveryRecord) {
  const FileBuilder file = soundFile().end();
  const Bytes bytes = file.bytes();
  std::vector<size_t> cuts{0, 1, 4, 8, 43, 44};
  for (size_t i = 0; i < file.recordCount(); ++i) {
    const size_t offset = file.recordOffset(i);
    for (size_t extra : {0, 1, 3, 5, 9}) cuts.push_back(offset + extra);
  }
  for (size_t cut : cuts) {
    if (cut >= bytes.size()) continue;
    expectOrderly(truncated(bytes, cut), "cut at " + std::to_string(cut));
  }
}

TEST_F(NativeHostile, RecordLengthsBeyondTheFile) {
  const FileBuilder file = soundFile().end();
  const Bytes bytes = file.bytes();
  for (size_t i = 0; i < file.recordCount(); ++i) {
    for (uint32_t length : {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 0xFFFFu}) {
      expectOrderly(withRecordLength(bytes, file.recordOffset(i), length),
                    "record " + std::to_string(i) + " length " + std::to_string(length));
    }
  }
  // The header's offset of the first record far past the end.
  HeaderFields header;
  header.offset = 0xFFFFFFFF;
  expectOrderly(FileBuilder(soundFile()).withHeader(header).end().bytes(), "first record offset 0xFFFFFFFF");
}

// Every count of the payloads, set to 2^31 - 1 and to -2^31 (2^31 as unsigned), with
// hardly any bytes after it: a reader that trusts the count allocates for it.
TEST_F(NativeHostile, CountsOfTwoToTheThirtyFirst) {
  // Where the payload goes: a key of a glyph record, a record after a glyph, a record of
  // the font-information block or a top-level record.
  enum Place { kGlyphKey, kAfterGlyph, kFontInfo, kTopLevel };
  struct Case {
    const char* what;
    Place place;
    uint16_t tag;
    Bytes (*payload)(int32_t count);
  };
  const Case cases[] = {
      {"glyph name length", kGlyphKey, 1, [](int32_t c) -> Bytes { return Payload().n(c).text("ab"); }},
      {"advance", kGlyphKey, 2, [](int32_t c) -> Bytes { return Payload().n(c); }},
      {"horizontal hints", kGlyphKey, 3, [](int32_t c) -> Bytes { return Payload().n(c).n(1).n(2); }},
      {"hint replacements", kGlyphKey, 3, [](int32_t c) -> Bytes { return Payload().n(0).n(0).n(c).b(1).n(0); }},
      {"guides", kGlyphKey, 4, [](int32_t c) -> Bytes { return Payload().n(c).n(1); }},
      {"components", kGlyphKey, 5, [](int32_t c) -> Bytes { return Payload().n(c).n(0).n(1); }},
      {"kerning pairs", kGlyphKey, 6, [](int32_t c) -> Bytes { return Payload().n(c).n(1).n(-5); }},
      {"outline nodes", kGlyphKey, 8, [](int32_t c) { return ElementBuilder().moveTo(0, 0).recordCount(c).bytes(); }},
      {"element masters", kGlyphKey, 8, [](int32_t c) -> Bytes { return Payload().n(c).n(0).n(1).b(0).n(0).n(0); }},
      {"command bytes", kGlyphKey, 10, [](int32_t c) -> Bytes { return Payload().n(c).text("xyz"); }},
      {"point links", kAfterGlyph, 2018, [](int32_t c) -> Bytes { return Payload().n(0).n(c).s("p").n(1); }},
      {"point pairs", kAfterGlyph, 2018, [](int32_t c) -> Bytes { return Payload().n(0).n(0).n(c).n(1); }},
      {"point values", kAfterGlyph, 2018, [](int32_t c) -> Bytes { return Payload().n(0).n(0).n(0).n(c).n(1); }},
      {"point-link references", kAfterGlyph, 2029, [](int32_t c) -> Bytes { return Payload().n(c).n(c).n(1); }},
      {"point-link repetitions", kAfterGlyph, 2029, [](int32_t c) -> Bytes { return Payload().n(1).n(c).n(1); }},
      {"point-link values", kAfterGlyph, 2020, [](int32_t c) -> Bytes { return Payload().n(c).n(1).n(2); }},
      {"advance heights", kAfterGlyph, 2023, [](int32_t c) -> Bytes { return Payload().n(c); }},
      {"guide properties", kAfterGlyph, 2031, [](int32_t c) -> Bytes { return Payload().n(c).n(0).s("g").n(0); }},
      {"hint links", kAfterGlyph, 2008, [](int32_t c) -> Bytes { return Payload().n(c).n(0).n(1); }},
      {"name records", kFontInfo, 1141, [](int32_t c) -> Bytes { return Payload().n(c).n(1).n(2).n(3).n(4).n(5).s("n"); }},
      {"discarded table", kFontInfo, 1138, [](int32_t c) -> Bytes { return Payload().n(c).n(0).n(0).n(0).n(0).n(1).n(65); }},
      {"discarded table length", kFontInfo, 1138,
       [](int32_t c) -> Bytes { return Payload().n(1).n(0).n(0).n(0).n(0).n(c).n(65); }},
      {"font guides", kTopLevel, 1294, [](int32_t c) -> Bytes { return Payload().n(c).n(1).n(2); }},
      {"font element", kTopLevel, 1295, [](int32_t c) { return ElementBuilder().moveTo(0, 0).recordCount(c).bytes(); }},
      {"font guide properties", kTopLevel, 1296, [](int32_t c) -> Bytes { return Payload().n(c).n(0).s("g").n(0); }},
      {"file information", kTopLevel, 10, [](int32_t c) -> Bytes { return Payload().b(1).n(c).b(0); }},
  };
  for (int32_t count : {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()}) {
    for (const Case& c : cases) {
      const Bytes payload = c.payload(count);
      FileBuilder file = c.place == kFontInfo ? FileBuilder() : soundFile();
      if (c.place == kGlyphKey) file.glyph(outlinedGlyph("x").key(static_cast<uint8_t>(c.tag), payload));
      if (c.place == kAfterGlyph) file.glyph(outlinedGlyph("x")).add(c.tag, payload);
      if (c.place == kFontInfo) file.begin().fontInfo(1, {record(c.tag, payload)}).glyph(outlinedGlyph("a"));
      if (c.place == kTopLevel) file.add(c.tag, payload);
      expectOrderly(file.end().bytes(), std::string(c.what) + " count " + std::to_string(count));
    }
  }
}

// The master count of the font-information block at its limits: every per-master list
// of the glyph records is then read that many times.
TEST_F(NativeHostile, MasterCounts) {
  for (uint16_t masters : {uint16_t{0}, uint16_t{17}, uint16_t{0xFFFF}}) {
    FileBuilder file;
    file.begin().fontInfo(masters);
    file.glyph(outlinedGlyph("a"));
    expectOrderly(file.end().bytes(), "masters " + std::to_string(masters));
  }
}

}  // namespace

// Glyph names that read as paths must not place glyph files outside the glyphs folder.
TEST_F(NativeHostile, GlyphNamesThatLookLikePaths) {
  FileBuilder file;
  file.begin().fontInfo(1);
  for (const std::string& name : {std::string("../../../../../evil"), std::string("/tmp/evil"), std::string(".."),
                                  std::string("a/b"), std::string("..\\..\\evil"), std::string("con"),
                                  std::string(255, '.'), std::string("\x01\x7F"), std::string("evil\nname")}) {
    file.glyph(outlinedGlyph(name));
  }
  Scratch scratch;
  scratch.write("in.qtf", file.end().bytes());
  const auto result = scratch.convert("in.qtf", kOutputs, "glyph names as paths");
  ASSERT_EQ(result.exitCode, 0) << hostile::describe(result);
  size_t glyphFiles = 0;
  for (const auto& [path, size] : hostile::snapshot(scratch.out() / "in.ufo")) {
    if (path.rfind("glyphs/", 0) == 0) {
      EXPECT_EQ(path.find('/', 7), std::string::npos) << "a glyph file below the glyphs folder: " << path;
      EXPECT_GE(size, 0) << "a folder in the glyphs folder: " << path;
      ++glyphFiles;
    } else {
      EXPECT_TRUE(path == "glyphs" || path.find('/') == std::string::npos) << "an unexpected file: " << path;
    }
  }
  EXPECT_EQ(glyphFiles, 10u) << "nine glyph files and contents.plist";
}
