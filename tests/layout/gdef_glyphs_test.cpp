// GDEF classes and carets as properties of the font's glyphs: a read table lands on the
// glyphs, and the glyphs' properties are what a written table holds.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "command_output.h"
#include "layout/glyph_id_map.h"
#include "layout/layout_fea.h"
#include "layout/ot/binary_reader.h"
#include "model/font.h"
#include "model/glyph.h"
#include "model/object.h"

#include <unistd.h>

namespace {

struct Bytes {
  std::string b;
  Bytes& u16(uint32_t v) { b += char(v >> 8), b += char(v); return *this; }
  Bytes& u32(uint32_t v) { return u16(v >> 16).u16(v & 0xFFFF); }
};

vn::Ref<vn::Font> makeFont() {
  vn::Ref<vn::Font> font = vn::Ref<vn::Font>::adopt(new vn::Font());
  for (const char* name : {".notdef", "a", "f_i", "acute", "old"}) {
    auto* glyph = new vn::Glyph();
    glyph->name = name;
    font->appendGlyph(glyph);
  }
  return font;
}

TEST(GdefGlyphs, ReadTableSetsTheGlyphsProperties) {
  vn::Ref<vn::Font> font = makeFont();
  vn::Glyph* old = font->glyphByName("old");
  old->glyphClass = 1;
  old->markAttachClass = 2;
  old->ligatureCarets.resize(1);
  // a base, f_i ligature with carets at 250 and on point 5, acute mark of attach class 1.
  Bytes t;
  t.u32(0x00010000).u16(12).u16(0).u16(24).u16(50);
  t.u16(1).u16(1).u16(3).u16(1).u16(2).u16(3);         // 12: ClassDef glyphs 1-3
  t.u16(20).u16(1).u16(6);                             // 24: LigCaretList
  t.u16(2).u16(6).u16(10).u16(1).u16(250).u16(2).u16(5);  // 30: LigGlyph, two CaretValues
  t.u16(1).u16(1).u16(2);                              // 44: Coverage [2]
  t.u16(1).u16(3).u16(1).u16(1);                       // 50: MarkAttachClassDef
  otl::LayoutFea layout(font.get(), "");
  otl::GlyphIdMap map;
  map.fillGlyphs(font->glyphs);
  ot::BinaryReader reader(t.b);
  ASSERT_TRUE(layout.readBinaryTable(reader, 3, map));

  const vn::Glyph* a = font->glyphByName("a");
  const vn::Glyph* ligature = font->glyphByName("f_i");
  const vn::Glyph* acute = font->glyphByName("acute");
  EXPECT_EQ(a->glyphClass, 1);
  EXPECT_EQ(ligature->glyphClass, 2);
  EXPECT_EQ(acute->glyphClass, 3);
  EXPECT_EQ(acute->markAttachClass, 1);
  vn::GlyphCaret byPosition, byPoint;
  byPosition.coordinate = 250;
  byPoint.pointIndex = 5;
  EXPECT_EQ(ligature->ligatureCarets, (std::vector<vn::GlyphCaret>{byPosition, byPoint}));
  // Properties the table does not give are cleared.
  EXPECT_EQ(old->glyphClass, 0);
  EXPECT_EQ(old->markAttachClass, 0);
  EXPECT_TRUE(old->ligatureCarets.empty());
}

TEST(GdefGlyphs, WrittenTableHoldsTheGlyphsProperties) {
  if (std::system(TARNWICK_PYTHON " -c 'import fontTools' 2>/dev/null") != 0) GTEST_SKIP() << "fontTools missing";
  vn::Ref<vn::Font> font = makeFont();
  font->glyphByName("a")->glyphClass = 1;
  vn::Glyph* ligature = font->glyphByName("f_i");
  ligature->glyphClass = 2;
  ligature->ligatureCarets.resize(2);
  ligature->ligatureCarets[0].coordinate = 250;
  ligature->ligatureCarets[0].name = "first";
  ligature->ligatureCarets[1].pointIndex = 5;
  vn::Glyph* acute = font->glyphByName("acute");
  acute->glyphClass = 3;
  acute->markAttachClass = 1;
  // Only the low 16 bits are a class: 0x10004 is a component.
  font->glyphByName("old")->glyphClass = 0x10004;

  otl::LayoutFea layout(font.get(), "");
  otl::GlyphIdMap map;
  map.fillGlyphs(font->glyphs);
  std::ostringstream bytes;
  ASSERT_TRUE(layout.writeBinaryTable(bytes, 3, map));
  const auto path = std::filesystem::temp_directory_path() / ("gdef_glyphs_" + std::to_string(getpid()) + ".bin");
  std::ofstream(path, std::ios::binary) << bytes.str();
  const std::string script =
      "import sys\n"
      "from fontTools.ttLib import TTFont, newTable\n"
      "f = TTFont(); f.setGlyphOrder(['.notdef', 'a', 'f_i', 'acute', 'old'])\n"
      "t = newTable('GDEF'); t.decompile(open(sys.argv[1], 'rb').read(), f); g = t.table\n"
      "print(sorted(g.GlyphClassDef.classDefs.items()))\n"
      "print(sorted(g.MarkAttachClassDef.classDefs.items()))\n"
      "print(g.LigCaretList.Coverage.glyphs, [(c.Format, getattr(c, 'Coordinate', None),"
      " getattr(c, 'CaretValuePoint', None)) for c in g.LigCaretList.LigGlyph[0].CaretValue])\n";
  const std::string decoded = layout_test::commandOutput(std::string(TARNWICK_PYTHON) + " -c \"" + script + "\" '" + path.string() + "'");
  std::filesystem::remove(path);
  EXPECT_EQ(decoded,
            "[('a', 1), ('acute', 3), ('f_i', 2), ('old', 4)]\n"
            "[('acute', 1)]\n"
            "['f_i'] [(1, 250, None), (2, None, 5)]\n");
}

}  // namespace
