// The writer's files as scenarios: the files written, kerning runs and their merging,
// groups, the font lib and glyph libs as prepared, features, the numeric locale and failures.
#include <gtest/gtest.h>

#include <clocale>

#include "layout/registry/glyph_name_registry.h"
#include "ufo_fixtures.h"
#include "ufo/parser.h"

namespace {

using ufotest::BuiltFont;

const std::string kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n<dict>\n";
const std::string kFooter = "</dict>\n</plist>\n";

vn::KerningSide glyphSide(const std::string& name) { return vn::KerningSide::ofGlyph(otl::glyphIdByName(name)); }

// Only the files a font needs; an empty font still writes an empty glyph order. (Exact
// bytes of the written files: the corpus output digests.)
TEST(WriterFiles, PlainFontGivesOnlyTheFilesItNeeds) {
  BuiltFont built;
  built.addGlyph("space", 250);
  ufotest::TempFolder temp;
  const auto ufo = temp.path() / "Plain.ufo";
  ASSERT_TRUE(ufotest::writeUfo(built.pair, ufo));
  const std::vector<std::string> expected = {"fontinfo.plist", "glyphs/contents.plist", "glyphs/space.glif",
                                             "lib.plist", "metainfo.plist"};
  EXPECT_EQ(ufotest::listFiles(ufo), expected);
  // The lib holds the glyph order and leaves the (empty) glyph branch out.
  const std::string lib = ufotest::readFile(ufo / "lib.plist");
  EXPECT_NE(lib.find("  <key>public.glyphOrder</key>\n  <array>\n    <string>space</string>\n  </array>\n"),
            std::string::npos);
  EXPECT_EQ(lib.find("glyphs_quorvel_lib"), std::string::npos);

  BuiltFont empty;
  ASSERT_TRUE(ufotest::writeUfo(empty.pair, temp.path() / "Empty.ufo"));
  EXPECT_NE(ufotest::readFile(temp.path() / "Empty.ufo" / "lib.plist")
                .find("  <key>public.glyphOrder</key>\n  <array>\n  </array>\n"),
            std::string::npos);
}

TEST(WriterFiles, KerningRunsStandLastFirstAndSharedNamesMerge) {
  BuiltFont built;
  // Names unique to this test keep the registry ids in the order they are added here.
  for (const char* name : {"kA", "kB", "kV", "kW"}) built.addGlyph(name);
  vn::FontKerning& kerning = built.font().kerning();
  kerning.setPair(glyphSide("kA"), glyphSide("kV"), -10, true);
  kerning.setPair(glyphSide("kA"), glyphSide("kW"), -20, true);
  kerning.setPair(glyphSide("kB"), glyphSide("kV"), 30.5, true);
  // A class named like a glyph kerns on the first side too: one key, the class's pairs first.
  const vn::GlyphId classB = kerning.defineGroup("kB", {otl::glyphIdByName("kB")}, vn::kSideFirst, "kB");
  kerning.setPair(vn::KerningSide::ofClass(classB), glyphSide("kW"), -5, true);
  kerning.setPair(vn::KerningSide::ofClass(classB), glyphSide("kV"), -6, true);

  ufotest::TempFolder temp;
  ASSERT_TRUE(ufotest::writeUfo(built.pair, temp.path() / "K.ufo"));
  EXPECT_EQ(ufotest::readFile(temp.path() / "K.ufo" / "kerning.plist"),
            kHeader +
                "  <key>kB</key>\n  <dict>\n"
                "    <key>kW</key>\n    <integer>-5</integer>\n"
                "    <key>kV</key>\n    <integer>-6</integer>\n"
                "  </dict>\n"
                "  <key>kA</key>\n  <dict>\n"
                "    <key>kW</key>\n    <integer>-20</integer>\n"
                "    <key>kV</key>\n    <integer>-10</integer>\n"
                "  </dict>\n" +
                kFooter);
}

TEST(WriterFiles, GroupsListMembersEscapedAndEachNameOnce) {
  BuiltFont built;
  built.addGlyph("g<1>");
  built.addGlyph("g&2");
  vn::FontKerning& kerning = built.font().kerning();
  kerning.defineGroup("@MMK_L_g\"q\"", {otl::glyphIdByName("g<1>"), otl::glyphIdByName("g&2")}, vn::kSideFirst,
                      "");
  ufotest::TempFolder temp;
  ASSERT_TRUE(ufotest::writeUfo(built.pair, temp.path() / "G.ufo"));
  EXPECT_EQ(ufotest::readFile(temp.path() / "G.ufo" / "groups.plist"),
            kHeader +
                "  <key>@MMK_L_g&quot;q&quot;</key>\n  <array>\n"
                "    <string>g&lt;1&gt;</string>\n    <string>g&amp;2</string>\n"
                "  </array>\n" +
                kFooter);
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "G.ufo" / "kerning.plist"));
}

// Control bytes escape to blanks: names that differ only there would stand twice as
// one key, and readers keep only one of them.
TEST(WriterFiles, NamesThatEscapeAlikeStandOnceInGroupsAndKerning) {
  BuiltFont built;
  for (const char* name : {"e\x01x", "e\x02x", "eV"}) built.addGlyph(name);
  vn::FontKerning& kerning = built.font().kerning();
  kerning.defineGroup("@MMK_L_e\x01", {otl::glyphIdByName("e\x01x")}, vn::kSideFirst, "");
  kerning.defineGroup("@MMK_L_e\x02", {otl::glyphIdByName("e\x02x")}, vn::kSideFirst, "");
  kerning.setPair(glyphSide("e\x01x"), glyphSide("eV"), -10, true);
  kerning.setPair(glyphSide("e\x02x"), glyphSide("eV"), -20, true);
  ufotest::TempFolder temp;
  ASSERT_TRUE(ufotest::writeUfo(built.pair, temp.path() / "E.ufo"));
  const std::string groups = ufotest::readFile(temp.path() / "E.ufo" / "groups.plist");
  EXPECT_EQ(ufotest::countOf(groups, "<key>@MMK_L_e </key>"), 1) << groups;
  EXPECT_EQ(ufotest::readFile(temp.path() / "E.ufo" / "kerning.plist"),
            kHeader + "  <key>e x</key>\n  <dict>\n    <key>eV</key>\n    <integer>-20</integer>\n  </dict>\n" +
                kFooter);
}

TEST(WriterFiles, LibHoldsKeptEntriesThenPreparedEntriesAndGlyphLibsTheirBranch) {
  BuiltFont built;
  built.style().lib["org.example.kept"] = "    <string>as read</string>\n";
  built.font().hinting.params4 = {40, 68, 9, 255};
  built.font().guideLayer()->guides.push_back(vn::Guide{0, 0, 100, 100, "diag", {}});
  vn::Glyph& hue = built.addGlyph("hue");
  hue.markColor = 1;
  hue.varnelData().bodyLayer().guides.push_back(vn::Guide{10, 20, 10, -80, "", {}});
  vn::Glyph& grey = built.addGlyph("grey");
  grey.markColor = 1000;
  grey.varnelData().bodyLayer();
  vn::Glyph& odd = built.addGlyph("odd");
  odd.markColor = 500;
  odd.varnelData().bodyLayer();
  built.addGlyph("nobody").markColor = 5;  // no body layer: no glyph dict

  ufotest::TempFolder temp;
  const auto ufo = temp.path() / "L.ufo";
  ASSERT_TRUE(ufotest::writeUfo(built.pair, ufo));
  EXPECT_EQ(ufotest::readFile(ufo / "lib.plist"),
            kHeader +
                "    <key>org.example.kept</key>\n    <string>as read</string>\n"
                "  <key>com.quorvel.v2.tth</key>\n  <dict>\n"
                "    <key>codeppm</key>\n    <integer>9</integer>\n"
                "    <key>zoneppm</key>\n    <integer>40</integer>\n"
                "  </dict>\n"
                "  <key>com.typemytype.robofont.guides</key>\n  <array>\n    <dict>\n"
                "      <key>angle</key>\n      <real>45</real>\n"
                "      <key>isGlobal</key>\n      <true/>\n"
                "      <key>magnetic</key>\n      <integer>5</integer>\n"
                "      <key>x</key>\n      <real>0</real>\n"
                "      <key>y</key>\n      <real>0</real>\n"
                "      <key>name</key>\n      <string>diag</string>\n"
                "    </dict>\n  </array>\n"
                "  <key>public.glyphOrder</key>\n  <array>\n"
                "    <string>hue</string>\n    <string>grey</string>\n    <string>odd</string>\n"
                "    <string>nobody</string>\n  </array>\n" +
                kFooter);

  auto mark = [](const char* r, const char* g, const char* b) {
    return std::string("  <key>com.typemytype.robofont.mark</key>\n  <array>\n    <real>") + r +
           "</real>\n    <real>" + g + "</real>\n    <real>" + b + "</real>\n    <real>1</real>\n  </array>\n";
  };
  const std::string hueGlif = ufotest::readFile(ufo / "glyphs" / "hue.glif");
  EXPECT_NE(hueGlif.find("  <lib>\n  <dict>\n" + mark("1", "0.6", "0.6") +
                         "  <key>com.typemytype.robofont.guides</key>\n  <array>\n    <dict>\n"
                         "      <key>angle</key>\n      <real>270</real>\n"
                         "      <key>isGlobal</key>\n      <false/>\n"
                         "      <key>magnetic</key>\n      <integer>5</integer>\n"
                         "      <key>x</key>\n      <real>10</real>\n"
                         "      <key>y</key>\n      <real>20</real>\n"
                         "    </dict>\n  </array>\n  </dict>\n  </lib>\n"),
            std::string::npos)
      << hueGlif;
  EXPECT_NE(ufotest::readFile(ufo / "glyphs" / "grey.glif").find(mark("0", "0", "0")), std::string::npos);
  EXPECT_NE(ufotest::readFile(ufo / "glyphs" / "odd.glif").find(mark("-1.961", "-1.961", "-1.961")),
            std::string::npos);
  EXPECT_EQ(ufotest::readFile(ufo / "glyphs" / "nobody.glif").find("<lib>"), std::string::npos);
}

// Model texts are Windows-1252 bytes, or UTF-8 where the reader found no Windows-1252
// form. Every file gives a name the same characters, and reading back restores it
// (line ends too).
TEST(WriterFiles, TextsOutsideWindows1252AreWrittenAsTheirCharactersEverywhere) {
  const std::string cyrillic = "\xD1\x8F";        // kept UTF-8: no Windows-1252 byte
  const std::string latin = "caf\xE9";             // Windows-1252
  const std::string looksUtf8 = "\xC3\xA9";        // Windows-1252 bytes that also read as UTF-8
  const std::string numero = "\xE2\x84\x96 1";     // kept UTF-8
  BuiltFont built;
  built.style().names.familyName = numero;
  built.style().names.styleName = "line\r\nend";  // a raw CR would read back as LF
  for (const std::string& name : {cyrillic, latin, looksUtf8}) built.addGlyph(name).varnelData().bodyLayer();
  built.font().glyphByName(cyrillic)->bodyLayer()->guides.push_back(vn::Guide{0, 0, 10, 0, numero, {}});

  ufotest::TempFolder temp;
  const auto ufo = temp.path() / "T.ufo";
  ASSERT_TRUE(ufotest::writeUfo(built.pair, ufo));
  const std::string contents = ufotest::readFile(ufo / "glyphs" / "contents.plist");
  const std::string lib = ufotest::readFile(ufo / "lib.plist");
  for (const char* escaped : {"&#x44f;", "caf&#xe9;", "&#xc3;&#xa9;"}) {
    EXPECT_NE(contents.find(std::string("<key>") + escaped + "</key>"), std::string::npos) << escaped;
    EXPECT_NE(lib.find(std::string("<string>") + escaped + "</string>"), std::string::npos) << escaped;
  }
  const std::string glif = ufotest::readFile(ufo / "glyphs" / "___.glif");
  EXPECT_NE(glif.find("<glyph name=\"&#x44f;\""), std::string::npos) << glif;
  EXPECT_NE(glif.find("<string>&#x2116; 1</string>"), std::string::npos) << glif;
  EXPECT_NE(ufotest::readFile(ufo / "fontinfo.plist").find("<string>&#x2116; 1</string>"), std::string::npos);

  ufotest::ReadResult back;
  ufotest::readUfo(ufo.string() + "/", back);
  ASSERT_TRUE(back.ok) << back.out;
  EXPECT_EQ(back.style().names.familyName, numero);
  EXPECT_EQ(back.style().names.styleName, "line\r\nend");
  EXPECT_EQ(back.glyphNames(), (std::vector<std::string>{cyrillic, latin, looksUtf8}));
}

TEST(WriterFiles, HintSetsAreXmlTextOrBase64Lines) {
  for (const bool base64 : {false, true}) {
    BuiltFont built;
    vn::Layer& body = built.addGlyph("h").varnelData().bodyLayer();
    body.addContour(ufotest::square(0, 0, 10));
    body.hints.push_back(vn::Hint{});
    body.hints.back().width = 10;
    ufotest::TempFolder temp;
    ufo::WriterOptions options;
    options.base64 = base64;
    ASSERT_TRUE(ufotest::writeUfo(built.pair, temp.path() / "H.ufo", options));
    const std::string glif = ufotest::readFile(temp.path() / "H.ufo" / "glyphs" / "h.glif");
    EXPECT_NE(glif.find(base64 ? "  <data>\nICA8aGludFNldExpc3Q+CiAgICA8aGludHNldCBw\r\n"
                               : "  <data>\n  <hintSetList>\n    <hintset pointTag=\"hr00\">\n"
                                 "      <hstem pos=\"0\" width=\"10\" />\n    </hintset>\n  </hintSetList>\n  </data>\n"),
              std::string::npos)
        << glif;
    EXPECT_NE(glif.find("<point x=\"0\" y=\"0\" type=\"line\" name=\"hr00\"/>"), std::string::npos);
  }
}

TEST(WriterFiles, KeptFeatureTextIsWrittenAndNoEmptyLayoutDocument) {
  BuiltFont built;
  built.addGlyph("a");
  built.font().layout.setFeatureText("feature kern {\n  pos a a -10;\n} kern;\n");
  ufotest::TempFolder temp;
  ufo::WriterOptions options;
  options.ttx = 1;
  ASSERT_TRUE(ufotest::writeUfo(built.pair, temp.path() / "F.ufo", options));
  EXPECT_EQ(ufotest::readFile(temp.path() / "F.ufo" / "features.fea"),
            "feature kern {\n  pos a a -10;\n} kern;\n");
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "F.ufo" / "data"));
}

TEST(WriterFiles, NumericLocaleIsRestoredAfterPreparingAndWriting) {
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  if (!std::setlocale(LC_NUMERIC, "C.UTF-8") && !std::setlocale(LC_NUMERIC, "C.utf8")) {
    GTEST_SKIP() << "no second numeric locale";
  }
  const std::string chosen = std::setlocale(LC_NUMERIC, nullptr);
  BuiltFont built;
  built.addGlyph("half", 250.5);
  ufotest::TempFolder temp;
  ASSERT_TRUE(ufotest::writeUfo(built.pair, temp.path() / "N.ufo"));
  EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), chosen);
  EXPECT_NE(ufotest::readFile(temp.path() / "N.ufo" / "glyphs" / "half.glif").find("width=\"250.5\""),
            std::string::npos);
  std::setlocale(LC_NUMERIC, before.c_str());
}

TEST(WriterFiles, UnwritableMembersAndMissingPairsReportFailure) {
  BuiltFont built;
  built.addGlyph("a");
  ufotest::TempFolder temp;
  const auto ufo = temp.path() / "Blocked.ufo";
  std::filesystem::create_directories(ufo);
  std::ofstream(ufo / "glyphs") << "a file where the glyph folder belongs";
  EXPECT_FALSE(ufotest::writeUfo(built.pair, ufo));

  // A folder that does not exist.
  EXPECT_FALSE(ufo::Writer().write(built.pair, (temp.path() / "missing" / "x.ufo").string() + "/", nullptr, nullptr));

  FontStylePair empty(nullptr, nullptr);
  ufo::PListNode root(ufo::plist::kDict);
  ufo::Writer writer;
  writer.prepareLib(empty, nullptr, &root);
  writer.addGlyphOrder(empty, &root);
  EXPECT_EQ(root.firstChild(), nullptr);
  EXPECT_FALSE(writer.write(empty, temp.str() + "/", nullptr, &root));
}

}  // namespace
