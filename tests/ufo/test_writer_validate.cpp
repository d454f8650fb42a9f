// A font full of hostile names and edge values is written and then read back by
// independent tools: fontTools' validating UFO reader (info, groups, kerning, lib and
// every glyph through a point pen) and xmllint, file by file.
#include <gtest/gtest.h>

#include "hinting/tt_interpreter.h"
#include "layout/registry/glyph_name_registry.h"
#include "ufo_fixtures.h"

namespace {

using vn::Node;
using ufotest::BuiltFont;
using ufotest::node;

const std::string kLongName(300, 'L');

void buildHostileFont(BuiltFont& built) {
  vn::Style& style = built.style();
  style.names.familyName = "Fam & <Co> \"q\" it's";
  style.names.styleName = "Bold";
  style.names.styleMapFamilyName = "Fam";
  style.names.fullName = "Fam Bold";
  style.names.fontName = "Fam-Bold";
  style.names.version = "2.010";  // C integer scanning: octal 010 is 8
  style.names.namedStrings["note"] = std::string("ctl\x01\x02 tab\t <b>&amp;</b> caf\xe9 \x80");
  style.names.namedStrings["panose"] = "2 11 6 4";  // too short: left out
  style.names.namedStrings["vendor_code"] = "QRVL";
  style.metrics.namedNumbers["hhea_ascender"] = 812.4;  // wants an integer
  style.metrics.namedNumbers["postscriptNominalWidthX"] = 0.25;
  style.metrics.widthValue = 12;                         // no width class
  style.namedIntegers["ibm_family_class"] = 20 * 256 + 3;  // class 20: left out
  style.flags.isBold = 1;
  built.font().hinting.blueFuzz = -1;
  built.font().hinting.zones2 = {vn::Zone{"", 0, 15, 0, {}}, vn::Zone{"", 500, 10.5, 1, {}}};
  built.font().hinting.stemsH2 = {vn::Stem{"", 80.4, {}}};
  built.font().hinting.params4[1] = 70;
  built.font().created.tm_year = 126;
  // TrueType zones, stems and a glyph program with names that need escaping.
  built.font().hinting.zones = {vn::Zone{"base<&>", 0, 16, 0, {}}, vn::Zone{"", 700, 12, 1, {{14, 1}}}};
  built.font().hinting.stemsV = {vn::Stem{"stem \"v\"", 80, {}}};

  built.addGlyph(".notdef", 500);
  vn::Glyph& a = built.addGlyph("A", 600);
  a.unicodes = {0x41};
  a.markColor = 1;
  vn::Layer& body = a.varnelData().bodyLayer();
  body.matrix = vn::Matrix{1, 0, 0, 1, 10, 0};
  body.addContour(ufotest::square(0, 0, 100));
  vn::Element second;
  second.matrix = vn::Matrix{2, 0, 0, 2, 0, 0};
  second.contours.push_back(ufotest::contour({node(Node::kMove, 200, 0), node(Node::kOnCurve, 300, 0),
                                                 node(Node::kCubic, 320, 40), node(Node::kCubic, 280, 80)},
                                                true));
  body.elements.push_back(second);
  body.guides.push_back(vn::Guide{0, 500, 100, 500, "x-height \"&\"", {}});
  vn::Hint stem;
  stem.position = 0;
  stem.width = 20;
  body.hints.push_back(stem);
  vn::ttInterpreter program;
  auto align = vn::makeTtCommand(vn::ttCode::kAlignTop);
  align->params[0] = 2;
  align->params[1] = 0;
  program.addCommand(std::move(align));
  program.encodeCommands(a.commandBytes);
  vn::PointLink anchor;
  anchor.name = "top<&>";
  anchor.first.index = 300;
  anchor.second.index = -5;
  body.links.push_back(anchor);

  // Names that clash, climb, hide markup or are reserved.
  built.addGlyph("a", 500);
  built.addGlyph("a.", 500);
  built.addGlyph("../../escape", 500);
  built.addGlyph("dir/sub\\name:x%41", 500);
  built.addGlyph("con", 500);
  built.addGlyph("q\"<&>'", 500).components.push_back(vn::Component{"A", vn::Matrix{1, 0, 0.2, 1, 0, 0}});
  built.addGlyph(std::string("caf\xe9"), 500);
  built.addGlyph(std::string("\x01" "ctl"), 500);
  built.addGlyph(std::string("\x02" "ctl"), 500);  // the same text once escaped
  built.addGlyph(kLongName, 500);
  built.addGlyph("", 500);
  built.addGlyph("dup", 400);
  built.addGlyph("dup", 410);

  // Kerning: a glyph and a class that share the name "A" both kern on the first side.
  vn::FontKerning& kerning = built.font().kerning();
  const vn::GlyphId classA = kerning.defineGroup("A", {a.nameId}, vn::kSideFirst, "A");
  const vn::GlyphId classO = kerning.defineGroup("@MMK_R_O&", {otl::glyphIdByName("a")}, vn::kSideSecond, "a");
  const vn::GlyphId glyphA = a.nameId;
  const vn::GlyphId glyphDup = otl::glyphIdByName("dup");
  kerning.setPair(vn::KerningSide::ofGlyph(glyphA), vn::KerningSide::ofGlyph(glyphDup), -30, true);
  kerning.setPair(vn::KerningSide::ofClass(classA), vn::KerningSide::ofClass(classO), -50, true);
  kerning.setPair(vn::KerningSide::ofGlyph(glyphDup), vn::KerningSide::ofGlyph(glyphA), 12.5, true);
}

TEST(WriterValidate, HostileFontIsReadCompletelyByIndependentTools) {
  if (!ufotest::haveFontTools()) GTEST_SKIP() << "fontTools is not installed";
  BuiltFont built;
  buildHostileFont(built);
  ufotest::TempFolder temp;
  const auto ufo = temp.path() / "Hostile.ufo";
  ufo::WriterOptions options;
  options.base64 = 1;
  ASSERT_TRUE(ufotest::writeUfo(built.pair, ufo, options));

  // Nothing was written outside the folder.
  for (const auto& entry : std::filesystem::directory_iterator(temp.path())) {
    EXPECT_EQ(entry.path().filename(), "Hostile.ufo");
  }

  const std::string json = ufotest::readBackIndependently(ufo);

  // Every glyph came through, under unique names, with the names escaped and read back.
  for (const char* expected :
       {"\"A\": {\"anchors\": [\"top<&>\"]", "\"a.\": {", "\"../../escape\": {", "\"dir/sub\\\\name:x%41\": {",
        "\"q\\\"<&>'\": {", "\"caf\\u00e9\": {", "\" ctl\": {", "\" ctl.dup1\": {", "\"unnamed.1\": {",
        "\"dup.dup1\": {",
        "\"familyName\": \"Fam & <Co> \\\"q\\\" it's\"", "\"openTypeHheaAscender\": 812",
        "\"postscriptBlueFuzz\": -1", "\"postscriptBlueValues\": [-15, 0, 500, 511]",
        "\"postscriptStemSnapH\": [80]", "\"versionMinor\": 8",
        "\"kerning\": {\"A dup\": -30, \"A public.kern2.O&\": -50, \"dup A\": 12.5}",
        "\"com.quorvel.v2.tth\"",
        "\"lib\": [\"com.adobe.type.autohint\", \"com.quorvel.ttprogram\", "
        "\"com.typemytype.robofont.guides\", \"com.typemytype.robofont.mark\"]"}) {
    EXPECT_NE(json.find(expected), std::string::npos) << expected << "\nin " << json;
  }
  EXPECT_NE(json.find("\"" + kLongName + "\": {"), std::string::npos);
  for (const char* absent : {"openTypeOS2Panose", "openTypeOS2FamilyClass", "openTypeOS2WidthClass"}) {
    EXPECT_EQ(json.find(absent), std::string::npos) << absent;
  }
}

}  // namespace
