// Exact bytes of the files the writer fixes for a small built font, and the set of
// files a font without groups, kerning and features gives.
#include <gtest/gtest.h>

#include "ufo_fixtures.h"

namespace {

using ufotest::BuiltFont;
using ufotest::node;
using vn::Node;

void buildGoldenFont(BuiltFont& built) {
  built.style().names.familyName = "Golden";
  built.addGlyph(".notdef", 500);

  vn::Glyph& a = built.addGlyph("A", 600);
  a.unicodes = {0x41};
  vn::Layer& body = a.varnelData().bodyLayer();
  body.addContour(ufotest::square(0, 0, 100));
  // A closed contour that ends with two cubic controls: its first point is a curve.
  body.addContour(ufotest::contour({node(Node::kMove, 300, 0, "start"), node(Node::kOnCurve, 400, 0),
                                       node(Node::kCubic, 450, 50.5), node(Node::kCubic, 350, 100),
                                       node(Node::kOnCurve, 300, 100, {}, Node::kFlagSmooth),
                                       node(Node::kCubic, 280, 60), node(Node::kCubic, 280, 20)}));
  vn::PointLink anchor;
  anchor.name = "top";
  anchor.first.index = 250;
  anchor.second.index = 700;
  body.links.push_back(anchor);

  vn::Glyph& aacute = built.addGlyph("Aacute", 600);
  aacute.unicodes = {0xC1};
  aacute.components.push_back(vn::Component{"A", vn::Matrix{}});
  aacute.components.push_back(vn::Component{"acute", vn::Matrix{1, 0, 0, 1, 250, 120}});
  built.addGlyph("acute", 300);
}

TEST(WriterGolden, SmallFontGivesExactMetaInfoContentsAndGlyphFile) {
  BuiltFont built;
  buildGoldenFont(built);
  ufotest::TempFolder temp;
  const auto ufo = temp.path() / "Golden.ufo";
  ASSERT_TRUE(ufotest::writeUfo(built.pair, ufo));

  EXPECT_EQ(ufotest::readFile(ufo / "metainfo.plist"), ufotest::dataFile("writer_golden_metainfo.plist"));
  EXPECT_EQ(ufotest::readFile(ufo / "glyphs" / "contents.plist"),
            ufotest::dataFile("writer_golden_contents.plist"));
  EXPECT_EQ(ufotest::readFile(ufo / "glyphs" / "A_.glif"), ufotest::dataFile("writer_golden_A_.glif"));
  EXPECT_EQ(ufotest::readFile(ufo / "glyphs" / "Aacute_.glif"),
            ufotest::dataFile("writer_golden_Aacute_.glif"));
}

TEST(WriterGolden, PlainFontGivesOnlyTheFilesItNeeds) {
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
}

TEST(WriterGolden, EmptyFontStillWritesAnEmptyGlyphOrder) {
  BuiltFont built;
  ufotest::TempFolder temp;
  ASSERT_TRUE(ufotest::writeUfo(built.pair, temp.path() / "Empty.ufo"));
  EXPECT_NE(ufotest::readFile(temp.path() / "Empty.ufo" / "lib.plist")
                .find("  <key>public.glyphOrder</key>\n  <array>\n  </array>\n"),
            std::string::npos);
}

}  // namespace
