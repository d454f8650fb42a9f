// The folder reader: which files are read, in which order, what fails the read, and
// hostile folders (traversal, texts in other encodings; entities and huge numbers:
// tests/hostile and the glyph-file and fontinfo tests).
#include <gtest/gtest.h>

#include "layout/registry/glyph_name_registry.h"
#include "ufo_fixtures.h"

namespace {

using ufotest::countOf;
using ufotest::glif;
using ufotest::plist;
using ufotest::ReadResult;
using ufotest::TempUfo;

const std::string kSquare = glif(
    "<advance width=\"500\"/><outline><contour><point x=\"0\" y=\"0\" type=\"line\"/>"
    "<point x=\"0\" y=\"10\" type=\"line\"/><point x=\"10\" y=\"10\" type=\"line\"/></contour></outline>");

TEST(ReaderFolder, MinimalFolderAndMissingOrBrokenLists) {
  TempUfo ufo;
  ReadResult empty;
  ufotest::readUfo(ufo, empty);
  EXPECT_TRUE(empty.ok);
  EXPECT_EQ(empty.font().glyphCount(), 0u);
  EXPECT_EQ(empty.style().names.version, "1.0");
  EXPECT_EQ(empty.style().names.namedStrings.at("ufo_formatVersion"), "2");

  // A broken list fails the read before anything is applied.
  ufo.write("fontinfo.plist", plist("<key>familyName</key><string>F</string>"));
  ufo.write("kerning.plist", plist("<key>a</key><dict>"));
  ufo.contents({{"a", "a.glif"}});
  ufo.write("glyphs/a.glif", kSquare);
  ReadResult broken;
  ufotest::readUfo(ufo, broken);
  EXPECT_FALSE(broken.ok);
  EXPECT_NE(broken.out.find("plist parsing error: "), std::string::npos);
  EXPECT_TRUE(broken.style().names.familyName.empty());
  EXPECT_EQ(broken.font().glyphCount(), 0u);

  // A wrong structure: reported with its code on the standard error stream.
  ufo.write("kerning.plist", plist("<key>a</key><string>b</string>"));
  ReadResult wrong;
  ufotest::readUfo(ufo, wrong);
  EXPECT_FALSE(wrong.ok);
  EXPECT_EQ(wrong.err, "Error while opening UFO: 1\n");

  ufo.remove("metainfo.plist");
  ReadResult noMeta;
  ufotest::readUfo(ufo, noMeta);
  EXPECT_FALSE(noMeta.ok);
}

TEST(ReaderFolder, GlyphOrderThenNameOrder) {
  TempUfo ufo;
  ufo.contents({{"c", "c.glif"}, {"b", "b.glif"}, {"a", "a.glif"}, {"A_", "A_.glif"}, {"gone", "gone.glif"}});
  for (const char* file : {"a", "A_", "b", "c"}) ufo.write(std::string("glyphs/") + file + ".glif", kSquare);
  ufo.write("lib.plist", plist("<key>public.glyphOrder</key><array><string>b</string><string>zz</string>"
                               "</array><key>com.example.kept</key><string>x &amp; y</string>"));
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok) << r.out;
  // The missing file is skipped.
  EXPECT_EQ(r.glyphNames(), (std::vector<std::string>{"b", "A_", "a", "c"}));
  EXPECT_EQ(r.glyph("c")->index, 3);
  EXPECT_EQ(r.style().lib.count("public.glyphOrder"), 0u);
  EXPECT_EQ(r.style().lib.at("com.example.kept"), "    <string>x &amp; y</string>\n");
  EXPECT_NE(r.lib.findChild(ufo::plist::kDict, "FontLibDict"), nullptr);
}

TEST(ReaderFolder, ClassMembersFollowTheGlyphOrder) {
  // Classes keep their members in name-id order; ids follow the glyph order, not the
  // order of glyphs/contents.plist, as they do when the native file is read back.
  TempUfo ufo;
  ufo.write("lib.plist", plist("<key>public.glyphOrder</key><array><string>ord_z</string>"
                               "<string>ord_y</string><string>ord_x</string></array>"));
  for (const char* name : {"ord_x", "ord_y", "ord_z"}) ufo.write(std::string("glyphs/") + name + ".glif", kSquare);
  ufo.contents({{"ord_x", "ord_x.glif"}, {"ord_y", "ord_y.glif"}, {"ord_z", "ord_z.glif"}});
  ufo.write("groups.plist", plist("<key>@MMK_L_ord</key><array><string>ord_x</string><string>ord_z</string>"
                                  "<string>ord_y</string></array>"));
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok) << r.out;
  const vn::KerningGlyphGroup* group = r.font().kerningGroups()->find(otl::glyphIdByName("@MMK_L_ord"));
  ASSERT_NE(group, nullptr);
  std::vector<std::string> members;
  for (const vn::GlyphId id : group->members()) members.push_back(otl::glyphNameOf(id));
  EXPECT_EQ(members, (std::vector<std::string>{"ord_z", "ord_y", "ord_x"}));
}

TEST(ReaderFolder, TraversalInContentsIsRefusedAndTheReadGoesOn) {
  TempUfo ufo;
  // A file outside the UFO that the hostile names point at.
  std::ofstream(ufo.root() / "secret.glif") << kSquare;
  std::filesystem::create_directories(ufo.folder() / "glyphs" / "sub");
  ufo.write("glyphs/sub/inner.glif", kSquare);
  ufo.write("glyphs/a%2Eb.glif", kSquare);
  ufo.write("glyphs/ok.glif", kSquare);
  ufo.contents({{"up", "../../secret.glif"},
                {"encoded", "..%2F..%2Fsecret.glif"},
                {"nested", "sub/inner.glif"},
                {"backslash", "..\\secret.glif"},
                {"dots", ".."},
                {"literal", "a%2Eb.glif"},
                {"ok", "ok.glif"}});
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.glyphNames(), (std::vector<std::string>{"literal", "ok"}));
  for (const char* name : {"\"up\"", "\"encoded\"", "\"nested\"", "\"backslash\"", "\"dots\""}) {
    EXPECT_EQ(countOf(r.out, std::string("glyph ") + name + " skipped"), 1) << name << r.out;
  }
}

TEST(ReaderFolder, PercentEncodedNamesOfOlderFilesAreDecodedAfterTheLiteralName) {
  TempUfo ufo;
  ufo.write("glyphs/A_.glif", kSquare);
  ufo.contents({{"A", "A%5F.glif"}});
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.glyphNames(), (std::vector<std::string>{"A"}));
}

TEST(ReaderFolder, GroupsSidesAndKerning) {
  TempUfo ufo;
  ufo.write("groups.plist",
            plist("<key>@MMK_L_o</key><array><string>o</string><string>e'</string></array>"
                  "<key>second</key><array><string>v</string><string>w</string></array>"
                  "<key>both</key><array><string>x</string></array>"
                  "<key>plain</key><array><string>p</string></array>"
                  "<key>empty</key><array><string></string></array>"
                  "<key>@MMK_L_E</key><array><string>E</string><string>F</string></array>"
                  "<key>@MMK_R_I</key><array><string>i</string><string>j</string></array>"));
  // Zero exceptions come before the class pair they cancel; the first value of a
  // repeated pair wins; an overflowing value is left out.
  ufo.write("kerning.plist",
            plist("<key>@MMK_L_o</key><dict><key>second</key><integer>-20</integer></dict>"
                  "<key>both</key><dict><key>both</key><real>5.5</real></dict>"
                  "<key>A</key><dict><key>Y</key><integer>-30</integer></dict>"
                  "<key>A</key><dict><key>W</key><integer>-10</integer><key>V</key><real>1e999</real>"
                  "<key>Y</key><integer>99</integer></dict>"
                  "<key>@MMK_L_E</key><dict><key>i</key><integer>0</integer></dict>"
                  "<key>F</key><dict><key>j</key><integer>0</integer><key>@MMK_R_I</key><integer>-7</integer></dict>"
                  "<key>E</key><dict><key>j</key><integer>3</integer></dict>"
                  "<key>@MMK_L_E</key><dict><key>@MMK_R_I</key><integer>20</integer></dict>"));
  ufo.glyphs({"A", "E", "F", "V", "W", "Y", "e", "i", "j", "o", "p", "v", "w", "x"});
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok) << r.out << r.err;
  auto sideOf = [&](const char* name) {
    const auto* group = r.font().kerningGroups()->find(otl::glyphIdByName(name));
    return group ? static_cast<int>(group->side) : -1;
  };
  EXPECT_EQ(sideOf("@MMK_L_o"), 1);
  EXPECT_EQ(sideOf("second"), 2);
  EXPECT_EQ(sideOf("both"), 3);
  EXPECT_EQ(sideOf("plain"), -1);  // a plain glyph class, not a kerning class
  EXPECT_EQ(r.font().kerningGroups()->groups.size(), 5u);
  const ufotest::FlatKerning expected = {
      {{"A", "Y"}, -30}, {{"A", "W"}, -10}, {{"o", "v"}, -20}, {{"o", "w"}, -20}, {{"e", "v"}, -20},
      {{"e", "w"}, -20}, {{"x", "x"}, 5.5},
      // Class-glyph zero; glyph-glyph beats the class pair; glyph-class beats the
      // class-glyph zero; glyph-glyph zero.
      {{"E", "i"}, 0},   {{"E", "j"}, 3},   {{"F", "i"}, -7},  {{"F", "j"}, 0}};
  EXPECT_EQ(ufotest::flatKerning(r.font()), expected);
}

TEST(ReaderFolder, TextsBecomeWindows1252WhenTheyCan) {
  TempUfo ufo;
  ufo.write("fontinfo.plist", plist("<key>familyName</key><string>Caf\xC3\xA9 &#x20AC;</string>"
                                    "<key>copyright</key><string>\xE2\x84\x96 kept</string>"));
  ufo.write("glyphs/e.glif", kSquare);
  ufo.contents({{"\xC3\xA9", "e.glif"}});
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.style().names.familyName, "Caf\xE9 \x80");
  EXPECT_EQ(r.glyphNames(), (std::vector<std::string>{"\xE9"}));
  // No Windows-1252 form: kept as UTF-8 and reported once.
  EXPECT_EQ(r.style().names.namedStrings.at("copyright"), "\xE2\x84\x96 kept");
  EXPECT_EQ(countOf(r.out, "outside Windows-1252"), 1) << r.out;
}

TEST(ReaderFolder, OtherLayersAreReportedOnceNamedAnchorsNot) {
  TempUfo ufo;
  ufo.write("layercontents.plist",
            std::string(ufotest::kPlistHead) +
                "<array><array><string>public.default</string><string>glyphs</string></array>"
                "<array><string>back</string><string>glyphs.back</string></array></array></plist>");
  // A named anchor is kept (as a point link) and reports nothing.
  ufo.write("glyphs/a.glif", glif("<anchor x=\"1\" y=\"2\" name=\"top\"/>"));
  ufo.contents({{"a", "a.glif"}});
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(countOf(ufotest::withoutFontInfoChanges(r.out), "Warning: "), 1) << r.out;
  EXPECT_EQ(countOf(r.out, "layers"), 1);
}

}  // namespace

