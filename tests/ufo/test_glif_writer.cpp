// The text of glyph files: contour rules, matrices, point links, components,
// numbers, escaping and the glyph lib.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ufo_fixtures.h"
#include "ufo/glif_writer.h"
#include "ufo/writer_numbers.h"

namespace {

using vn::Node;
using ufotest::BuiltFont;
using ufotest::node;

constexpr const char* kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// The lines between "  <outline>" and "  </outline>".
std::string outlineOf(const std::string& glif) {
  const size_t start = glif.find("  <outline>\n");
  const size_t end = glif.find("  </outline>\n");
  if (start == std::string::npos || end == std::string::npos) return "(no outline)";
  return glif.substr(start + 12, end - start - 12);
}

std::string glifOf(const vn::Glyph& glyph, const ufo::PListNode* lib = nullptr) {
  return ufo::GlifWriter().glifText(glyph, glyph.name, lib);
}

TEST(GlifWriter, BareGlyphAdvanceAndUnicodes) {
  BuiltFont built;
  vn::Glyph& bare = built.addGlyph("space", 500);
  EXPECT_EQ(glifOf(bare), std::string(kHead) +
                              "<glyph name=\"space\" format=\"1\">\n  <advance width=\"500\"/>\n"
                              "  <outline>\n  </outline>\n</glyph>\n");

  vn::Glyph& tall = built.addGlyph("emoji", 1000.5);
  tall.advanceHeight = 1000;
  tall.unicodes = {0x41, 0x1F600, 0};
  const std::string glif = glifOf(tall);
  EXPECT_NE(glif.find("  <advance width=\"1000.5\" height=\"1000\"/>\n"
                      "  <unicode hex=\"0041\"/>\n  <unicode hex=\"1F600\"/>\n  <unicode hex=\"0000\"/>\n"),
            std::string::npos)
      << glif;
}

TEST(GlifWriter, OpenContoursStartWithAMoveAndKeepTrailingControls) {
  BuiltFont built;
  vn::Glyph& glyph = built.addGlyph("open");
  vn::Layer& body = glyph.varnelData().bodyLayer();
  // First node off-curve; the last two controls lead nowhere but are kept (readers
  // that cannot use them drop them).
  body.addContour(ufotest::contour({node(Node::kCubic, 0, 0), node(Node::kOnCurve, 10, 0),
                                       node(Node::kCubic, 20, 5), node(Node::kCubic, 30, 5),
                                       node(Node::kOnCurve, 40, 0, "end", Node::kFlagSmooth),
                                       node(Node::kCubic, 50, 5), node(Node::kCubic, 60, 5)},
                                      true));
  EXPECT_EQ(outlineOf(glifOf(glyph)),
            "    <contour>\n"
            "      <point x=\"0\" y=\"0\" type=\"move\"/>\n"
            "      <point x=\"10\" y=\"0\" type=\"line\"/>\n"
            "      <point x=\"20\" y=\"5\"/>\n"
            "      <point x=\"30\" y=\"5\"/>\n"
            "      <point x=\"40\" y=\"0\" type=\"curve\" smooth=\"yes\" name=\"end\"/>\n"
            "      <point x=\"50\" y=\"5\"/>\n"
            "      <point x=\"60\" y=\"5\"/>\n"
            "    </contour>\n");
}

TEST(GlifWriter, ClosedContoursTakeTheirFirstTypeFromTheLastNode) {
  BuiltFont built;
  vn::Glyph& glyph = built.addGlyph("closed");
  vn::Layer& body = glyph.varnelData().bodyLayer();
  // Quadratic: the repeated last node is dropped, its smooth flag and its name (a
  // hint-replacement point) move to the first.
  body.addContour(ufotest::contour({node(Node::kMove, 0, 0), node(Node::kQuadratic, 50, 100),
                                       node(Node::kOnCurve, 100, 0), node(Node::kQuadratic, 50, -100),
                                       node(Node::kOnCurve, 0, 0, "hr01", Node::kFlagSmooth)}));
  // Nodes of unknown types are left out; an empty contour gives nothing.
  body.addContour(ufotest::contour({node(7, 5, 5), node(Node::kOnCurve, 1, 1)}));
  body.addContour(ufotest::contour({}));
  EXPECT_EQ(outlineOf(glifOf(glyph)),
            "    <contour>\n"
            "      <point x=\"0\" y=\"0\" type=\"qcurve\" smooth=\"yes\" name=\"hr01\"/>\n"
            "      <point x=\"50\" y=\"100\"/>\n"
            "      <point x=\"100\" y=\"0\" type=\"qcurve\"/>\n"
            "      <point x=\"50\" y=\"-100\"/>\n"
            "    </contour>\n"
            "    <contour>\n"
            "      <point x=\"1\" y=\"1\" type=\"line\"/>\n"
            "    </contour>\n");
}

TEST(GlifWriter, EveryElementIsWrittenThroughItsOwnAndTheLayerMatrix) {
  BuiltFont built;
  vn::Glyph& glyph = built.addGlyph("two");
  vn::Layer& body = glyph.varnelData().bodyLayer();
  body.matrix = vn::Matrix{1, 0, 0, 1, 10, 0};
  vn::Element first;
  first.contours.push_back(ufotest::contour({node(Node::kMove, 0, 0), node(Node::kOnCurve, 1, 0)}, true));
  vn::Element empty;
  vn::Element scaled;
  scaled.matrix = vn::Matrix{2, 0, 0, 3, 0, 0};
  scaled.contours.push_back(ufotest::contour({node(Node::kMove, 100, 1), node(Node::kOnCurve, 5, 5)}, true));
  body.elements = {first, empty, scaled};
  // The element's own matrix applies first: (100, 1) -> (200, 3) -> (210, 3).
  EXPECT_EQ(outlineOf(glifOf(glyph)),
            "    <contour>\n"
            "      <point x=\"10\" y=\"0\" type=\"move\"/>\n"
            "      <point x=\"11\" y=\"0\" type=\"line\"/>\n"
            "    </contour>\n"
            "    <contour>\n"
            "      <point x=\"210\" y=\"3\" type=\"move\"/>\n"
            "      <point x=\"20\" y=\"15\" type=\"line\"/>\n"
            "    </contour>\n");
}

TEST(GlifWriter, PointLinksAndComponentsWithoutContours) {
  BuiltFont built;
  vn::Glyph& glyph = built.addGlyph("acutecomb");
  vn::Layer& body = glyph.varnelData().bodyLayer();
  vn::PointLink link;
  link.name = "_top\"<&>";
  link.first.index = -32768;
  link.second.index = 32767;
  body.links.push_back(link);
  glyph.components.push_back(vn::Component{"", vn::Matrix{}});
  glyph.components.push_back(vn::Component{"a&b", vn::Matrix{}});
  glyph.components.push_back(vn::Component{"c", vn::Matrix{0.5, 0.25, -0.25, 2, -10, 20.75}});
  EXPECT_EQ(outlineOf(glifOf(glyph)),
            "    <contour>\n"
            "      <point x=\"-32768\" y=\"32767\" type=\"move\" name=\"_top&quot;&lt;&amp;&gt;\"/>\n"
            "    </contour>\n"
            "    <component base=\"a&amp;b\"/>\n"
            "    <component base=\"c\" xScale=\"0.5\" xyScale=\"0.25\" yxScale=\"-0.25\" yScale=\"2\" "
            "xOffset=\"-10\" yOffset=\"20.75\"/>\n");
}

TEST(GlifWriter, GlyphLibHoldsKeptEntriesThenTheBranchEntries) {
  BuiltFont built;
  vn::Glyph& glyph = built.addGlyph("libbed");
  glyph.lib["org.example<x>"] = "    <string>kept</string>\n";
  glyph.lib["org.example.y"] = "    <integer>3</integer>";  // no line end of its own
  ufo::PListNode entries(ufo::plist::kDict, "libbed", "libbed");
  entries.addChild(ufo::plist::kData, "  <hintSetList>\n  </hintSetList>\n", "com.adobe.type.autohint");
  const std::string glif = glifOf(glyph, &entries);
  EXPECT_NE(glif.find("  <lib>\n  <dict>\n"
                      "    <key>org.example.y</key>\n    <integer>3</integer>\n"
                      "    <key>org.example&lt;x&gt;</key>\n    <string>kept</string>\n"
                      "  <key>com.adobe.type.autohint</key>\n  <data>\n  <hintSetList>\n  </hintSetList>\n"
                      "  </data>\n  </dict>\n  </lib>\n</glyph>\n"),
            std::string::npos)
      << glif;
}

TEST(GlifWriter, NumbersAreExactAndFinite) {
  EXPECT_EQ(ufo::glifNumber(0.1), "0.1");
  EXPECT_EQ(ufo::glifNumber(1234567.0), "1234567");
  EXPECT_EQ(ufo::glifNumber(-0.0), "0");
  EXPECT_EQ(ufo::glifNumber(1234.5678), "1234.5678");
  EXPECT_EQ(ufo::glifNumber(std::nan("")), "0");
  EXPECT_EQ(ufo::glifNumber(std::numeric_limits<double>::infinity()), "0");
  EXPECT_EQ(std::stod(ufo::glifNumber(1e300)), 1e300);
}

}  // namespace
