// The binary layer on its own: this suite links the ot library alone, so a primitive
// that reached into the layout model would not link. Glyphs are indices throughout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout/ot/big_endian.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/class_def.h"
#include "layout/ot/coverage.h"
#include "layout/ot/exception.h"
#include "layout/ot/tag.h"

namespace {

using Words = std::vector<uint16_t>;

Words wordsOf(const std::string& bytes) {
  Words words;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    words.push_back(static_cast<uint16_t>((static_cast<uint8_t>(bytes[i]) << 8) |
                                          static_cast<uint8_t>(bytes[i + 1])));
  }
  return words;
}

std::string bytesOf(const Words& words) {
  std::string bytes;
  for (uint16_t w : words) bytes += {static_cast<char>(w >> 8), static_cast<char>(w)};
  return bytes;
}

// The free functions the compiler builds its tables with and ot::BinaryWriter give the
// same bytes; 16-bit writes keep the low half of wider values.
TEST(OtBigEndian, FreeFunctionsAndWriterAgree) {
  struct Case {
    uint32_t value;
    std::vector<uint8_t> as16, as32;
  } cases[] = {
      {0, {0, 0}, {0, 0, 0, 0}},
      {0x1234, {0x12, 0x34}, {0, 0, 0x12, 0x34}},
      {0xFFFF, {0xFF, 0xFF}, {0, 0, 0xFF, 0xFF}},
      {0x89ABCDEF, {0xCD, 0xEF}, {0x89, 0xAB, 0xCD, 0xEF}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> out;
    ot::put16(out, c.value);
    EXPECT_EQ(out, c.as16) << c.value;
    out.clear();
    ot::put32(out, c.value);
    EXPECT_EQ(out, c.as32) << c.value;
    ot::BinaryWriter writer;
    writer.writeUInt16(c.value);
    writer.writeUInt32(c.value);
    std::vector<uint8_t> both = c.as16;
    both.insert(both.end(), c.as32.begin(), c.as32.end());
    EXPECT_EQ(writer.buffer(), both) << c.value;
    std::vector<uint8_t> patched = {0xAA, 0xAA, 0xAA, 0xAA};
    ot::set16(patched, 1, c.value);
    EXPECT_EQ(patched, (std::vector<uint8_t>{0xAA, c.as16[0], c.as16[1], 0xAA})) << c.value;
  }
}

// One check, two bounds: the layout writer keeps 65535 back, the compiler does not.
TEST(OtBigEndian, OffsetBoundsOfWriterAndCompiler) {
  struct Case {
    uint64_t distance;
    bool layoutFits, compilerFits;
  } cases[] = {
      {0, true, true},
      {65534, true, true},
      {65535, false, true},
      {65536, false, false},
      {uint64_t{1} << 32, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ot::fitsOffset16(c.distance), c.layoutFits) << c.distance;
    EXPECT_EQ(ot::fitsOffset16(c.distance, ot::limits::kMaxCompilerOffset16), c.compilerFits) << c.distance;
    ot::BinaryWriter writer;
    const uint32_t slot = writer.reserveOffset16();
    if (c.layoutFits) {
      ot::writeOffsetValue(writer, slot, c.distance);
      EXPECT_EQ(wordsOf(writer.str()), Words{static_cast<uint16_t>(c.distance)});
    } else {
      EXPECT_FALSE(ot::writesWithinOffsets([&] { ot::writeOffsetValue(writer, slot, c.distance); })) << c.distance;
    }
  }
}

TEST(OtTag, NamedTagsAreTheirText) {
  const std::pair<uint32_t, const char*> cases[] = {
      {ot::kTagDFLT, "DFLT"}, {ot::kTagDflt, "dflt"}, {ot::kTagGSUB, "GSUB"}, {ot::kTagGPOS, "GPOS"},
      {ot::kTagAalt, "aalt"}, {ot::kTagSize, "size"}, {ot::kTagVkrn, "vkrn"},
  };
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(ot::Tag::fromUInt32(value).text(), text);
    EXPECT_EQ(ot::Tag::fromString(text).value(), value) << text;
  }
}

// A ClassDef written from (index, class) pairs and read back with a glyph count.
TEST(OtClassDef, WriteThenReadOverIndices) {
  struct Case {
    const char* what;
    Words glyphs, classes;
    Words bytes;         // as written
    uint32_t glyphCount;  // for reading
    Words readGlyphs, readClasses;
  } cases[] = {
      {"index order, first class of a glyph given twice, a glyph without a class left out",
       {7, 3, 7, 9}, {1, 2, 5}, {1, 3, 5, 2, 0, 0, 0, 1}, 0, {3, 7}, {2, 1}},
      {"class 0 is not read back", {4, 5, 6}, {1, 0, 2}, {1, 4, 3, 1, 0, 2}, 0, {4, 6}, {1, 2}},
      {"a long run of one class as one range", {10, 11, 12, 13, 14, 15}, {3, 3, 3, 3, 3, 3},
       {2, 1, 10, 15, 3}, 0, {10, 11, 12, 13, 14, 15}, {3, 3, 3, 3, 3, 3}},
      {"glyphs past the font's last are not read", {10, 11, 12, 13, 14, 15}, {3, 3, 3, 3, 3, 3},
       {2, 1, 10, 15, 3}, 13, {10, 11, 12}, {3, 3, 3}},
      {"nothing", {}, {}, {2, 0}, 0, {}, {}},
  };
  for (const Case& c : cases) {
    ot::ClassDef def;
    def.glyphs = c.glyphs;
    def.classes = c.classes;
    ot::BinaryWriter writer;
    def.writeBinary(writer);
    EXPECT_EQ(wordsOf(writer.str()), c.bytes) << c.what;
    const std::string bytes = writer.str();
    ot::BinaryReader reader(bytes);
    ot::ClassDef read;
    read.readBinary(reader, 0, c.glyphCount);
    EXPECT_EQ(read.glyphs, c.readGlyphs) << c.what;
    EXPECT_EQ(read.classes, c.readClasses) << c.what;
  }
}

TEST(OtCoverage, IndicesCappedByTheGlyphCount) {
  struct Case {
    const char* what;
    Words bytes;
    uint32_t glyphCount;
    Words indices;
    int code;  // ot::Exception code, 0 for none
  } cases[] = {
      {"format 1 as stored", {1, 3, 9, 2, 70}, 5, {9, 2, 70}, 0},
      {"format 2 ranges", {2, 2, 3, 5, 0, 8, 8, 3}, 0, {3, 4, 5, 8}, 0},
      {"a range past the last glyph is cut", {2, 2, 3, 5, 0, 8, 8, 3}, 5, {3, 4}, 0},
      // Read as stored, as shaping engines read them: glyph 5 at coverage indices 2 and 3.
      {"overlapping ranges", {2, 2, 3, 5, 0, 5, 8, 3}, 0, {3, 4, 5, 5, 6, 7, 8}, 0},
      {"ranges out of order", {2, 2, 7, 8, 0, 1, 2, 2}, 0, {7, 8, 1, 2}, 0},
      {"unknown format", {3, 0}, 0, {}, ot::Exception::kUnsupported},
  };
  for (const Case& c : cases) {
    const std::string bytes = bytesOf(c.bytes);
    ot::BinaryReader reader(bytes);
    std::vector<uint16_t> indices;
    int code = 0;
    bool twice = false;
    try {
      twice = ot::readCoverageIndices(indices, reader, 0, c.glyphCount);
    } catch (const ot::Exception& e) {
      code = e.code();
    }
    EXPECT_EQ(code, c.code) << c.what;
    if (c.code == 0) {
      EXPECT_EQ(indices, c.indices) << c.what;
      EXPECT_EQ(twice, ot::coversTwice(c.indices)) << c.what;
    }
  }
}

// Overlapping ClassDef ranges are read as stored; a glyph two ranges give keeps the first
// range's class, and the reader is told when the two classes differ.
TEST(OtClassDef, OverlappingRangesKeepTheFirstClass) {
  struct Case {
    const char* what;
    Words bytes;
    Words glyphs, classes;
    bool noted;
  } cases[] = {
      {"glyph 5 in classes 1 and 2", {2, 2, 3, 5, 1, 5, 6, 2}, {3, 4, 5, 6}, {1, 1, 1, 2}, true},
      {"glyph 5 twice in class 1", {2, 2, 3, 5, 1, 5, 6, 1}, {3, 4, 5, 6}, {1, 1, 1, 1}, false},
      {"ranges out of order", {2, 2, 8, 9, 2, 3, 4, 1}, {8, 9, 3, 4}, {2, 2, 1, 1}, false},
  };
  for (const Case& c : cases) {
    const std::string bytes = bytesOf(c.bytes);
    ot::BinaryReader reader(bytes);
    reader.startBudget();
    reader.setContext("here");
    ot::ClassDef def;
    def.readBinary(reader, 0, 0);
    EXPECT_EQ(def.glyphs, c.glyphs) << c.what;
    EXPECT_EQ(def.classes, c.classes) << c.what;
    const auto notes = reader.takeNotes();
    EXPECT_EQ(notes.size(), c.noted ? 1u : 0u) << c.what;
    if (c.noted && !notes.empty()) {
      EXPECT_EQ(notes[0].where, "here");
      EXPECT_EQ(notes[0].message, ot::kGlyphInTwoClasses);
    }
  }
}

}  // namespace
