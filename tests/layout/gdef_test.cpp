// GDEF data: versions 1.0 and 1.2 read and written, parallel lists kept in Coverage
// order, caret formats, and the feature-file text.
#include <gtest/gtest.h>

#include <sstream>

#include "layout/gdef.h"
#include "layout/glyph_id_map.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"

namespace {

struct Bytes {
  std::string b;
  Bytes& u16(uint32_t v) { b += char(v >> 8), b += char(v); return *this; }
  Bytes& u32(uint32_t v) { return u16(v >> 16).u16(v & 0xFFFF); }
};

otl::GlyphIdMap glyphs() {
  std::vector<std::string> names;
  for (int i = 0; i < 16; ++i) names.push_back("gdt" + std::to_string(i));
  otl::GlyphIdMap map;
  map.fill(names);
  return map;
}

// Version, then GlyphClassDef (glyph 2 mark) and, for 1.2, one mark glyph set {2, 5}.
std::string table(uint32_t version) {
  Bytes t;
  const bool sets = version == 0x00010002;
  const uint16_t header = sets ? 14 : 12;
  t.u32(version).u16(header).u16(0).u16(0).u16(0);
  if (sets) t.u16(header + 8);
  t.u16(1).u16(2).u16(1).u16(3);                          // ClassDef format 1: glyph 2 class 3
  if (sets) t.u16(1).u16(1).u32(8).u16(1).u16(2).u16(2).u16(5);  // MarkGlyphSetsDef + Coverage
  return t.b;
}

std::string write(const otl::GDefTableData& data, const otl::GlyphIdMap& map) {
  ot::BinaryWriter out;
  EXPECT_TRUE(data.writeBinary(out, map));
  return out.str();
}

TEST(Gdef, VersionsAndMarkGlyphSets) {
  const auto map = glyphs();
  otl::GDefTableData v10, v12;
  const std::string b10 = table(0x00010000), b12 = table(0x00010002);
  ot::BinaryReader r10(b10), r12(b12);
  ASSERT_TRUE(v10.readBinary(r10, map));
  ASSERT_TRUE(v12.readBinary(r12, map));
  EXPECT_EQ(v10.glyphClasses.glyphs, v12.glyphClasses.glyphs);
  ASSERT_EQ(v12.markGlyphSets.size(), 1u);
  EXPECT_EQ(v12.markGlyphSets[0], (otl::GlyphList{map.idOf(2), map.idOf(5)}));
  EXPECT_EQ(write(v10, map), table(0x00010000));
  EXPECT_EQ(write(v12, map), table(0x00010002));  // the sets survive the round trip
  EXPECT_EQ(write(otl::GDefTableData(), map), std::string("\0\1\0\0\0\0\0\0\0\0\0\0", 12));
}

TEST(Gdef, AttachAndCaretLists) {
  const auto map = glyphs();
  otl::GDefTableData data;
  data.attachGlyphs = {map.idOf(7), map.idOf(3)};
  data.attachPoints = {{1, 2}, {9}};
  data.caretGlyphs = {map.idOf(4)};
  otl::LigatureCaret byPoint, byPosition, withDevice;
  byPoint.pointIndex = 5;
  byPosition.coordinate = -20;
  withDevice.coordinate = 300;
  withDevice.device.entries = {{12, 1}};
  data.carets = {{byPoint, byPosition, withDevice}};
  const std::string bytes = write(data, map);
  otl::GDefTableData back;
  ot::BinaryReader reader(bytes);
  ASSERT_TRUE(back.readBinary(reader, map));
  EXPECT_EQ(back.attachGlyphs, (otl::GlyphList{map.idOf(3), map.idOf(7)}));  // Coverage order
  EXPECT_EQ(back.attachPoints, (std::vector<std::vector<uint16_t>>{{9}, {1, 2}}));
  ASSERT_EQ(back.carets.size(), 1u);
  EXPECT_EQ(back.carets[0], data.carets[0]);
  std::ostringstream text;
  back.writeFea(false, text);
  EXPECT_NE(text.str().find("    Attach \\gdt3 9;\n    Attach \\gdt7 1 2;\n"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("    LigatureCaretByIndex \\gdt4 5;\n    LigatureCaretByPos \\gdt4 -20 300;\n"),
            std::string::npos)
      << text.str();
}

TEST(Gdef, FeatureText) {
  const auto map = glyphs();
  otl::GDefTableData marks;
  for (uint32_t i = 0; i < 12; ++i) {
    marks.glyphClasses.glyphs.push_back(map.idOf(i));
    marks.glyphClasses.classes.push_back(3);
  }
  std::ostringstream text;
  marks.writeFea(true, text);
  EXPECT_EQ(text.str(),
            "\n#\n# GDEF table classes definitions\n#\n\n@MARKS = [\\gdt0 \\gdt1 \\gdt2 \\gdt3 \\gdt4 \\gdt5 "
            "\\gdt6 \\gdt7 \\gdt8 \\gdt9 \n    \\gdt10 \\gdt11];\n\ntable GDEF {\n    GlyphClassDef , , @MARKS, ;\n"
            "} GDEF;\n");
  otl::GDefTableData attachClasses;
  attachClasses.markAttachClasses.glyphs = {map.idOf(1)};
  attachClasses.markAttachClasses.classes = {1};
  std::ostringstream only;
  attachClasses.writeFea(false, only);
  EXPECT_EQ(only.str(), "\n\ntable GDEF {\n} GDEF;\n");
}

TEST(Gdef, SharedCaretListsPastSixteenBitsAreNotWritten) {
  std::vector<std::string> names;
  for (int i = 0; i < 2000; ++i) names.push_back("gdw" + std::to_string(i));
  otl::GlyphIdMap map;
  map.fill(names);
  Bytes t;  // every ligature glyph shares one LigGlyph of ten carets
  t.u32(0x00010000).u16(0).u16(0).u16(12).u16(0);
  t.u16(4 + 2 * 2000 + 2 + 20 + 40).u16(2000);
  for (int i = 0; i < 2000; ++i) t.u16(4 + 2 * 2000);
  t.u16(10);
  for (int i = 0; i < 10; ++i) t.u16(2 + 20 + 4 * i);
  for (int i = 0; i < 10; ++i) t.u16(1).u16(100 * i);
  t.u16(2).u16(1).u16(0).u16(1999).u16(0);  // Coverage format 2: glyphs 0..1999
  otl::GDefTableData data;
  ot::BinaryReader reader(t.b);
  ASSERT_TRUE(data.readBinary(reader, map));
  EXPECT_EQ(data.carets.size(), 2000u);
  ot::BinaryWriter out;
  EXPECT_FALSE(data.writeBinary(out, map));
  EXPECT_EQ(out.size(), 0u);
}

TEST(Gdef, HostileBytesFailCleanly) {
  const auto map = glyphs();
  const std::string whole = table(0x00010002);
  for (size_t n = 0; n < whole.size(); ++n) {
    otl::GDefTableData data;
    const std::string part = whole.substr(0, n);
    ot::BinaryReader reader(part);
    try {
      (void)data.readBinary(reader, map);
    } catch (const ot::Exception& e) {
      EXPECT_EQ(e.code(), 2);
    }
  }
}

}  // namespace
