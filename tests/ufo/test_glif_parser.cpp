// The glyph-file reader: contour finishing, point links, Unicode values, the glyph lib
// and its sub-parsers, hostile files.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "model/font.h"
#include "model/glyph_data.h"
#include "model/numbers.h"
#include "ufo/base64.h"
#include "ufo/glif_parser.h"
#include "ufo/reader_warnings.h"
#include "ufo_fixtures.h"

namespace {

using vn::Node;

class GlifTest : public ::testing::Test {
 protected:
  void SetUp() override { glyph_ = new vn::Glyph; }
  void TearDown() override { glyph_->release(); }
  // A fresh glyph for the next case of a table.
  void reset() {
    glyph_->release();
    glyph_ = new vn::Glyph;
  }

  bool parse(const std::string& body, bool wrap = true) {
    std::istringstream in(wrap ? "<glyph name=\"x\" format=\"1\">" + body + "</glyph>" : body);
    ufo::UfoGlyphParser parser;
    parser.setWarnings(&warnings_);
    return parser.parse(in, glyph_);
  }

  // Types of the nodes of contour i of the body layer.
  std::vector<int32_t> types(std::size_t i = 0) const {
    std::vector<int32_t> out;
    for (const Node& n : contour(i).nodes) out.push_back(n.type);
    return out;
  }
  const vn::Contour& contour(std::size_t i) const {
    const auto& contours = glyph_->bodyLayer()->elements.front().contours;
    auto it = contours.begin();
    std::advance(it, static_cast<long>(i));
    return *it;
  }
  std::size_t contourCount() const {
    const vn::Layer* body = glyph_->bodyLayer();
    return body && !body->elements.empty() ? body->elements.front().contours.size() : 0;
  }

  vn::Glyph* glyph_ = nullptr;
  std::ostringstream console_;
  ufo::ReadWarnings warnings_{&console_};
};

std::string num(double value) { return vn::formatShortest(std::round(value * 1e6) / 1e6); }

// The body layer as text: per contour "open:" or "closed:" and its nodes as
// "type@x,y" with "s" when smooth and the name quoted; then links and guides.
std::string bodyText(const vn::Glyph& glyph) {
  std::string out;
  const vn::Layer* body = glyph.bodyLayer();
  if (!body) return out;
  for (const auto& element : body->elements) {
    for (const auto& contour : element.contours) {
      out += contour.flag ? "open:" : "closed:";
      for (const Node& n : contour.nodes) {
        out += " " + num(n.type) + "@" + num(n.x) + "," + num(n.y) + ((n.flags & Node::kFlagSmooth) ? "s" : "");
        if (!n.name.empty()) out += "'" + n.name + "'";
      }
      out += "\n";
    }
  }
  for (const auto& l : body->links) out += "link " + l.name + " " + num(l.first.index) + "," + num(l.second.index) + "\n";
  for (const auto& g : body->guides) {
    out += "guide " + g.name + " " + num(g.x1) + "," + num(g.y1) + " " + num(g.x2) + "," + num(g.y2) + "\n";
  }
  return out;
}

std::string pointsContour(const std::vector<std::string>& types) {
  std::string out = "<outline><contour>";
  int x = 0;
  for (const auto& type : types) {
    out += "<point x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(x * 2) + "\"";
    if (!type.empty()) out += " type=\"" + type + "\"";
    out += "/>";
    x += 10;
  }
  return out + "</contour></outline>";
}

TEST_F(GlifTest, ContourFinishingRules) {
  struct Case {
    std::vector<std::string> points;
    std::vector<int32_t> expected;
    uint8_t flag;
  };
  const std::vector<Case> cases = {
      // Closed polygon: the first point becomes the start.
      {{"line", "line", "line", "line"}, {0, 1, 1, 1}, 0},
      // Starting with off-curve points: the final curve point is copied to the front.
      {{"", "", "curve"}, {0, 3, 3, 1}, 0},
      // A curve point first and its off-curve points at the end (the common case).
      {{"curve", "line", "", "", "curve", "", ""}, {0, 1, 3, 3, 1, 3, 3, 1}, 0},
      // Quadratic runs stay quadratic.
      {{"qcurve", "", "", "qcurve", "", "qcurve"}, {0, 2, 2, 1, 2, 1}, 0},
      // One off-curve point before a curve point stays quadratic.
      {{"line", "", "curve"}, {0, 2, 1}, 0},
      // Open contour.
      {{"move", "line", "", "", "curve"}, {0, 1, 3, 3, 1}, 1},
      // Only off-curve points: a midpoint at both ends.
      {{"", "", ""}, {0, 2, 2, 2, 1}, 0},
  };
  for (const Case& c : cases) {
    reset();
    ASSERT_TRUE(parse(pointsContour(c.points)));
    ASSERT_EQ(contourCount(), 1u);
    EXPECT_EQ(types(), c.expected) << ::testing::PrintToString(c.points);
    EXPECT_EQ(contour(0).flag, c.flag);
  }
}

TEST_F(GlifTest, AllOffCurveMidpointAndCubicSmoothFlag) {
  ASSERT_TRUE(parse("<outline><contour><point x=\"0\" y=\"0\"/><point x=\"100\" y=\"0\"/>"
                    "<point x=\"100\" y=\"100\"/></contour>"
                    "<contour><point x=\"0\" y=\"0\" type=\"line\"/><point x=\"5\" y=\"5\"/>"
                    "<point x=\"6\" y=\"6\"/><point x=\"10\" y=\"0\" type=\"curve\" smooth=\"yes\"/>"
                    "</contour></outline>"));
  // A midpoint at both ends, smooth; the off-curve points of a cubic take the smooth
  // flag of their curve point.
  EXPECT_EQ(bodyText(*glyph_), "closed: 0@50,50s 2@0,0 2@100,0 2@100,100 1@50,50s\nclosed: 0@0,0 3@5,5s 3@6,6s 1@10,0s\n");
}

TEST_F(GlifTest, NamedSinglePointsBecomePointLinks) {
  ASSERT_TRUE(parse("<outline>"
                    "<contour><point x=\"597.9\" y=\"-1290.7\" type=\"move\" name=\"top\"/></contour>"
                    "<contour><point x=\"1\" y=\"2\" type=\"line\"/></contour>"
                    "<contour><point x=\"1\" y=\"2\" name=\"lone\"/></contour>"
                    "<contour><point x=\"1e9\" y=\"2\" type=\"line\" name=\"far\"/></contour>"
                    "</outline>"));
  // Coordinates truncated toward zero and saturated, not wrapped; the unnamed point is a
  // one-node contour, the named off-curve point grows to three nodes.
  EXPECT_EQ(bodyText(*glyph_), "closed: 0@1,2\nclosed: 0@1,2s 2@1,2'lone' 1@1,2s\nlink top 597,-1290\nlink far 32767,2\n");
  EXPECT_EQ(glyph_->bodyLayer()->links[0].first.secondIndex, -1);
}

TEST_F(GlifTest, AdvanceUnicodesAndComponents) {
  ASSERT_TRUE(parse("<advance width=\"512.5\" height=\"1e999\"/>"
                    "<unicode hex=\"0041\"/><unicode hex=\"XYZ\"/><unicode hex=\"41\"/>"
                    "<unicode hex=\" 1F600\"/><unicode hex=\"110000\"/><unicode hex=\"-41\"/>"
                    "<outline><component base=\"A\" xOffset=\"10\" yScale=\"0.5\"/>"
                    "<component/><component xScale=\"nan\"/></outline>"));
  EXPECT_DOUBLE_EQ(glyph_->advanceWidth, 512.5);
  EXPECT_DOUBLE_EQ(glyph_->advanceHeight, 0.0);  // overflow: the default stays
  EXPECT_EQ(glyph_->unicodes, (std::vector<uint32_t>{0x41, 0x1F600}));
  ASSERT_EQ(glyph_->components.size(), 2u);
  const vn::Component& a = glyph_->components.front();
  EXPECT_EQ(a.baseName, "A");
  EXPECT_EQ(a.matrix, (vn::Matrix{1, 0, 0, 0.5, 10, 0}));
  EXPECT_EQ(glyph_->components.back().matrix, vn::Matrix{});  // "nan" is no number
}

TEST_F(GlifTest, StructureFaultsKeepWhatWasRead) {
  // A unicode element without "hex" first: the glyph keeps the advance read before it.
  EXPECT_TRUE(parse("<advance width=\"10\"/><unicode value=\"41\"/><advance width=\"20\"/>"));
  EXPECT_DOUBLE_EQ(glyph_->advanceWidth, 10.0);
  // A root that is not "glyph": an empty glyph, still a success.
  EXPECT_TRUE(parse("<font><advance width=\"30\"/></font>", false));
  EXPECT_DOUBLE_EQ(glyph_->advanceWidth, 10.0);
  // Malformed XML and entity declarations fail the glyph.
  EXPECT_FALSE(parse("<glyph><advance width=\"1\"></glyph>", false));
  EXPECT_FALSE(parse("<!DOCTYPE glyph [<!ENTITY e \"aaaaaaaaaa\">]><glyph><advance width=\"&e;\"/></glyph>",
                     false));
  ufo::UfoGlyphParser parser;
  std::istringstream in("<glyph/>");
  EXPECT_FALSE(parser.parse(in, nullptr));
}

TEST_F(GlifTest, LibTextIsEscapedAgainAndUnknownKeysKept) {
  ASSERT_TRUE(parse("<lib><dict>"
                    "<key>com.example.text</key><string>a &amp; b &lt;c&gt; \"q\"</string>"
                    "<key>com.example.empty</key><string/>"
                    "<key>com.example.list</key><array><integer>1</integer><real>2.5</real></array>"
                    "<key>com.example.raw</key><data><lib><glyph/></lib></data>"
                    "<key>com.example.after</key><true/>"
                    "</dict></lib>"));
  // Elements named "lib" or "glyph" inside a value do not end the glyph's lib.
  ASSERT_EQ(glyph_->lib.size(), 5u);
  EXPECT_NE(glyph_->lib.at("com.example.raw").find("<lib>"), std::string::npos);
  const std::string text = glyph_->lib.at("com.example.text");
  EXPECT_NE(text.find("a &amp; b &lt;c&gt;"), std::string::npos) << text;
  EXPECT_EQ(glyph_->lib.at("com.example.empty"), "    <string></string>\n");
  EXPECT_NE(glyph_->lib.at("com.example.list").find("<real>2.5</real>"), std::string::npos);
  // The stored text is itself well-formed: a second glyph reads it back unchanged.
  reset();
  ASSERT_TRUE(parse("<lib><dict><key>k</key>\n" + text + "</dict></lib>"));
  EXPECT_EQ(glyph_->lib.at("k"), text);
}

constexpr const char* kHintSets =
    "<hintSetList><hintset pointTag=\"hr00\"><hstem pos=\"0\" width=\"20\"/><vstem pos=\"10\" width=\"30\"/>"
    "</hintset><hintset pointTag=\"hr01\"><hstem pos=\"0\" width=\"20\"/>"
    "<hstem3 stem3List=\"1, 2,3,4 ,5,6\"/><vstem3 stem3List=\"1,2,3\"/></hintset></hintSetList>";

std::string hintLib(const std::string& data) {
  return "<outline><contour><point x=\"0\" y=\"0\" type=\"line\" name=\"hr00\"/>"
         "<point x=\"0\" y=\"10\" type=\"line\" name=\"hr01\"/><point x=\"10\" y=\"0\" type=\"line\"/>"
         "</contour></outline><lib><dict><key>com.adobe.type.autohint</key><data>" + data +
         "</data></dict></lib>";
}

TEST_F(GlifTest, HintSetsFromMarkupAndFromBase64) {
  for (const bool base64 : {false, true}) {
    reset();
    ASSERT_TRUE(parse(hintLib(base64 ? ufo::encodeBase64(kHintSets, 40) : std::string(kHintSets))));
    const vn::Layer& body = *glyph_->bodyLayer();
    // Equal stems are shared: hstem 0/20 once, vstem, three stems of hstem3.
    EXPECT_EQ(body.hints.size(), 5u) << base64;
    std::vector<int32_t> kinds;
    for (const auto& record : body.replacements) kinds.push_back(record.kind);
    // No record for the set at point 0 when it comes first.
    EXPECT_EQ(kinds, (std::vector<int32_t>{1, 2, 3, 1, 1, 1, 1})) << base64;
    EXPECT_TRUE(glyph_->lib.empty());
  }
}

TEST_F(GlifTest, MarkColourAndGuides) {
  const std::pair<const char*, int> marks[] = {
      {"<real>1</real><real>0.6</real><real>0.6</real><real>1</real>", 1},
      {"<real>0</real><real>0</real><real>0</real><real>1</real>", 0},
      {"<real>0</real><real>0</real><real>1</real>", 77},  // three values: unchanged
      {"<real>0.5</real><real>0.5</real><real>0.5</real><real>1</real>", 77},  // grey
      {"<real>nan</real><real>1e999</real><real>0</real><real>1</real>", 0},
      {"<real>0</real><real>1</real><real>0</real><real>1</real>", 86},  // green: by its hue, rounded
  };
  for (const auto& [reals, expected] : marks) {
    reset();
    glyph_->markColor = 77;
    EXPECT_TRUE(parse(std::string("<lib><dict><key>com.typemytype.robofont.mark</key><array>") + reals +
                      "</array></dict></lib>"));
    EXPECT_EQ(glyph_->markColor, expected) << reals;
  }
  reset();
  ASSERT_TRUE(parse("<outline><contour><point x=\"0\" y=\"0\" type=\"line\"/><point x=\"1\" y=\"0\" "
                    "type=\"line\"/></contour></outline><lib><dict><key>com.typemytype.robofont.guides</key>"
                    "<array><dict><key>angle</key><real>90</real><key>x</key><real>10</real><key>y</key>"
                    "<integer>0</integer><key>name</key><string>stem</string></dict><string>x</string>"
                    "</array></dict></lib>"));
  EXPECT_EQ(bodyText(*glyph_), "closed: 0@0,0 1@1,0\nguide stem 10,0 10,100\n");
}

TEST_F(GlifTest, Ufo3DataIsReportedOncePerKind) {
  ASSERT_TRUE(parse("<anchor x=\"1.9\" y=\"-2.9\" name=\"top\"/><anchor x=\"3\" y=\"4\" name=\"bottom\"/>"
                    "<anchor x=\"5\" y=\"6\"/><anchor x=\"7\" y=\"8\" name=\"\"/>"
                    "<guideline x=\"1\" y=\"2\" angle=\"0\" name=\"g\"/><guideline x=\"5\"/>"
                    "<guideline y=\"-3\"/><guideline x=\"1\" angle=\"45\"/><guideline/>"
                    "<image fileName=\"a.png\"/><note>hello</note>"
                    "<outline><contour identifier=\"c1\"><point x=\"0\" y=\"0\" type=\"line\" "
                    "identifier=\"p1\"/></contour></outline>"));
  warnings_.flush();  // the lines that name glyphs come at the end of a read
  const std::string text = console_.str();
  for (const char* what : {"anchors without a name", "images", "notes", "identifiers"}) {
    EXPECT_EQ(ufotest::countOf(text, what), 1) << what << "\n" << text;
  }
  // Named anchors are kept as UFO 2 keeps them: point links, coordinates truncated.
  // Guidelines become guides (only x: vertical, only y: horizontal); those that make
  // no line are left out.
  EXPECT_EQ(bodyText(*glyph_), "closed: 0@0,0\nlink top 1,-2\nlink bottom 3,4\nguide g 1,2 101,2\nguide  5,0 5,100\nguide  0,-3 100,-3\n");
}

TEST_F(GlifTest, PointAttributesInAnyOrder) {
  // The identifier is reported before what reading the point's name reports.
  ASSERT_TRUE(parse("<outline><contour>"
                    "<point name=\"\xE4\xB8\x80\" smooth=\"yes\" identifier=\"i\" type=\"curve\" y=\" 20 \" x=\"-0\"/>"
                    "<point xx=\"1\" x=\"3\" y=\"4\" type=\"offcurve\"/><point y=\"5\" x=\"6\" type=\"qcurve\"/>"
                    "<point x=\"7\" y=\"8\" type=\"move\" smooth=\"no\"/><point x=\"1\" y=\"1\" type=\"bogus\"/>"
                    "</contour></outline>"));
  const std::string text = console_.str();
  const auto identifiers = text.find("identifiers");
  const auto encoding = text.find("Windows-1252");
  ASSERT_NE(identifiers, std::string::npos) << text;
  ASSERT_NE(encoding, std::string::npos) << text;
  EXPECT_LT(identifiers, encoding);
  // Any attribute order; "-0" keeps its sign; unknown types and attributes are passed
  // over; a "move" point opens the contour.
  EXPECT_EQ(bodyText(*glyph_).rfind("open: 0@-0,20s'\xE4\xB8\x80' 2@3,4 1@6,5 0@7,8 ", 0), 0u) << bodyText(*glyph_);
  EXPECT_TRUE(std::signbit(contour(0).nodes.front().x));
}

}  // namespace
