// Hostile native files through the program: truncations, lengths of all ones and
// counts of 2^31. Each run must end in order (see endedInOrder).
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
  const auto before = hostile::snapshot(scratch.root());
  const auto result = scratch.convert("in.qtf");
  EXPECT_TRUE(hostile::endedInOrder(scratch, before, result, kOutputs)) << what;
}

class NativeHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    Scratch scratch;
    scratch.write("in.qtf", soundFile().end().bytes());
    const auto before = hostile::snapshot(scratch.root());
    const auto result = scratch.convert("in.qtf");
    ASSERT_TRUE(hostile::endedInOrder(scratch, before, result, kOutputs));
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
  for (int32_t count : {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()}) {
    const std::string label = " count " + std::to_string(count);
    auto glyphWithKey = [&](uint8_t key, const Bytes& payload) {
      FileBuilder file = soundFile();
      GlyphRecord glyph = outlinedGlyph("x");
      glyph.key(key, payload);
      file.glyph(glyph);
      return file.end().bytes();
    };
    expectOrderly(glyphWithKey(1, Payload().n(count).text("ab")), "glyph name length" + label);
    expectOrderly(glyphWithKey(2, Payload().n(count)), "advance" + label);
    expectOrderly(glyphWithKey(3, Payload().n(count).n(1).n(2)), "horizontal hints" + label);
    expectOrderly(glyphWithKey(3, Payload().n(0).n(0).n(count).b(1).n(0)), "hint replacements" + label);
    expectOrderly(glyphWithKey(4, Payload().n(count).n(1)), "guides" + label);
    expectOrderly(glyphWithKey(5, Payload().n(count).n(0).n(1)), "components" + label);
    expectOrderly(glyphWithKey(6, Payload().n(count).n(1).n(-5)), "kerning pairs" + label);
    expectOrderly(glyphWithKey(8, ElementBuilder().moveTo(0, 0).recordCount(count).bytes()), "outline nodes" + label);
    expectOrderly(glyphWithKey(8, Payload().n(count).n(0).n(1).b(0).n(0).n(0)), "element masters" + label);
    expectOrderly(glyphWithKey(10, Payload().n(count).text("xyz")), "command bytes" + label);

    // Records that follow a glyph.
    auto afterGlyph = [&](uint16_t tag, const Bytes& payload) {
      FileBuilder file = soundFile();
      file.glyph(outlinedGlyph("x"));
      file.add(tag, payload);
      return file.end().bytes();
    };
    expectOrderly(afterGlyph(2018, Payload().n(0).n(count).s("p").n(1)), "point links" + label);
    expectOrderly(afterGlyph(2018, Payload().n(0).n(0).n(count).n(1)), "point pairs" + label);
    expectOrderly(afterGlyph(2018, Payload().n(0).n(0).n(0).n(count).n(1)), "point values" + label);
    expectOrderly(afterGlyph(2029, Payload().n(count).n(count).n(1)), "point-link references" + label);
    expectOrderly(afterGlyph(2029, Payload().n(1).n(count).n(1)), "point-link repetitions" + label);
    expectOrderly(afterGlyph(2020, Payload().n(count).n(1).n(2)), "point-link values" + label);
    expectOrderly(afterGlyph(2023, Payload().n(count)), "advance heights" + label);
    expectOrderly(afterGlyph(2031, Payload().n(count).n(0).s("g").n(0)), "guide properties" + label);
    expectOrderly(afterGlyph(2008, Payload().n(count).n(0).n(1)), "hint links" + label);

    // Records of the font-information block.
    auto inFontInfo = [&](uint16_t tag, const Bytes& payload) {
      FileBuilder file;
      file.begin().fontInfo(1, {record(tag, payload)});
      file.glyph(outlinedGlyph("a"));
      return file.end().bytes();
    };
    expectOrderly(inFontInfo(1141, Payload().n(count).n(1).n(2).n(3).n(4).n(5).s("name")), "name records" + label);
    expectOrderly(inFontInfo(1138, Payload().n(count).n(0).n(0).n(0).n(0).n(1).n(65)), "discarded table" + label);
    expectOrderly(inFontInfo(1138, Payload().n(1).n(0).n(0).n(0).n(0).n(count).n(65)), "discarded table length" + label);

    // Top-level records.
    auto topLevel = [&](uint16_t tag, const Bytes& payload) {
      FileBuilder file = soundFile();
      file.add(tag, payload);
      return file.end().bytes();
    };
    expectOrderly(topLevel(1294, Payload().n(count).n(1).n(2)), "font guides" + label);
    expectOrderly(topLevel(1295, ElementBuilder().moveTo(0, 0).recordCount(count).bytes()), "font element" + label);
    expectOrderly(topLevel(1296, Payload().n(count).n(0).s("g").n(0)), "font guide properties" + label);
    expectOrderly(topLevel(10, Payload().b(1).n(count).b(0)), "file information" + label);
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
  const auto before = hostile::snapshot(scratch.root());
  const auto result = scratch.convert("in.qtf");
  ASSERT_TRUE(hostile::endedInOrder(scratch, before, result, kOutputs));
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
