// The "ttProgram" text: exact form, point naming, commands that cannot be written, and
// what reading accepts.
#include <gtest/gtest.h>

#include "hint_test_support.h"
#include "hinting/tt_interpreter.h"
#include "hinting/ufo_hinting.h"

namespace {

using hinttest::command;
using hinttest::describe;
using hinttest::makeLayer;
namespace code = vn::ttCode;

void addZonesAndStems(vn::ttInterpreter& interpreter) {
  interpreter.topZones().push_back({"cap & top", 700, 16, 1, {}});
  interpreter.bottomZones().push_back({"base<line>", 0, 16, 0, {}});
  interpreter.horizontalStems().push_back({"bar \"h\"", 60, {}});
  interpreter.verticalStems().push_back({"it's v", 80, {}});
}

TEST(ProgramText, ExactAttributesPerKind) {
  vn::ttInterpreter interpreter;
  addZonesAndStems(interpreter);
  interpreter.addCommand(command(code::kAlignTop, {0, 0}));
  interpreter.addCommand(command(code::kAlignBottom, {1, 5}));     // zone out of range
  interpreter.addCommand(command(code::kSingleLinkH, {0, 1, -2, 0}));
  interpreter.addCommand(command(code::kSingleLinkV, {1, 2, 0, -1}));
  interpreter.addCommand(command(code::kDoubleLinkH, {2, 3, -1}));
  interpreter.addCommand(command(code::kAlignH, {3, 9}));          // any other align: round
  interpreter.addCommand(command(code::kInterpolateV, {4, 5, 6, 3}));
  interpreter.addCommand(command(code::kFinalDeltaV, {6, -16, 9, 12}));
  vn::Layer layer = makeLayer({"", "", "", "", "", ""});
  interpreter.namePoints(layer);
  std::string text;
  interpreter.writeProgramXml(text, 2);
  EXPECT_EQ(text,
            "  <ttProgram>\n"
            "    <ttc code=\"alignt\" point=\"at01\" zone=\"cap &amp; top\"/>\n"
            "    <ttc code=\"alignb\" point=\"ab01\"/>\n"
            "    <ttc code=\"singleh\" point1=\"at01\" point2=\"ab01\" round=\"true\" align=\"round\"/>\n"
            "    <ttc code=\"singlev\" point1=\"ab01\" point2=\"sv01\" stem=\"bar &quot;h&quot;\"/>\n"
            "    <ttc code=\"doubleh\" point1=\"sv01\" point2=\"dh01\"/>\n"
            "    <ttc code=\"alignh\" point=\"dh01\" align=\"round\"/>\n"
            "    <ttc code=\"interpolatev\" point=\"iv01\" point1=\"iv02\" point2=\"lsb\" align=\"center\"/>\n"
            "    <ttc code=\"fdeltav\" point=\"lsb\" delta=\"-16\" ppm1=\"9\" ppm2=\"12\"/>\n"
            "  </ttProgram>\n");
  // Names given to the outline stay with it.
  EXPECT_EQ(layer.pointName(0), "at01");
  EXPECT_EQ(layer.pointName(5), "iv02");
}

TEST(ProgramText, NamingKeepsNamesAndSkipsTakenNumbers) {
  vn::ttInterpreter interpreter;
  interpreter.addCommand(command(code::kSingleLinkH, {0, 1, -1, -1}));
  interpreter.addCommand(command(code::kSingleLinkH, {2, 3, -1, -1}));
  interpreter.addCommand(command(code::kAlignH, {4, -1}));
  interpreter.addCommand(command(code::kAlignH, {5, -1}));
  // "sh01" is taken; "sh02,x" makes "sh02" resolve to point 3 already.
  vn::Layer layer = makeLayer({"", "sh01", "", "sh02,x", "keep"});
  interpreter.namePoints(layer);
  std::string text;
  interpreter.writeProgramXml(text, 0);
  EXPECT_EQ(text,
            "<ttProgram>\n"
            "  <ttc code=\"singleh\" point1=\"sh03\" point2=\"sh01\"/>\n"
            "  <ttc code=\"singleh\" point1=\"sh04\" point2=\"sh02,x\"/>\n"
            "  <ttc code=\"alignh\" point=\"keep\"/>\n"
            "  <ttc code=\"alignh\" point=\"lsb\"/>\n"
            "</ttProgram>\n");
}

TEST(ProgramText, CommandsWhosePointsCannotBeNamedAreLeftOut) {
  vn::ttInterpreter interpreter;
  interpreter.addCommand(command(code::kAlignH, {0, -1}));
  interpreter.addCommand(command(code::kAlignH, {9, -1}));         // no such node (rsb is 5)
  interpreter.addCommand(command(code::kAlignV, {-3, -1}));
  interpreter.addCommand(command(code::kAlignV, {2, -1}));         // second node named "twin"
  interpreter.addCommand(command(code::kAlignV, {3, -1}));         // outline node named "lsb"
  interpreter.addCommand(command(code::kSingleLinkV, {0, 5, -1, -1}));
  vn::Layer layer = makeLayer({"", "twin", "twin", "lsb"});
  interpreter.namePoints(layer);
  std::string text;
  interpreter.writeProgramXml(text, 0);
  EXPECT_EQ(text,
            "<ttProgram>\n"
            "  <ttc code=\"alignh\" point=\"ah01\"/>\n"
            "  <ttc code=\"singlev\" point1=\"ah01\" point2=\"rsb\"/>\n"
            "</ttProgram>\n");
  EXPECT_EQ(text.find("\"\""), std::string::npos);

  // Nothing writable: no text at all.
  vn::ttInterpreter empty;
  empty.addCommand(command(code::kAlignH, {40, -1}));
  empty.namePoints(layer);
  std::string none;
  empty.writeProgramXml(none, 2);
  EXPECT_EQ(none, "");
}

TEST(ProgramText, ReadingPlacesNamesAndRejectsWhatItCannot) {
  vn::Layer layer = makeLayer({"", "p1", "p2"});
  vn::ttInterpreter reader;
  addZonesAndStems(reader);
  using Attributes = std::map<std::string, std::string>;
  const std::pair<Attributes, bool> cases[] = {
      // An empty name is a missing point, not the first unnamed node.
      {{{"code", "alignh"}, {"point", ""}}, false},
      {{{"code", "alignh"}}, false},
      {{{"code", "alignh"}, {"point", "nope"}}, false},
      {{{"code", "bogus"}, {"point", "p1"}}, false},
      {{{"point", "p1"}}, false},
      {{{"code", "singleh"}, {"point1", "p1"}}, false},
      // Stem by name, else round; unknown zones and stems read as -1; lsb and rsb.
      {{{"code", "singleh"}, {"point1", "p1"}, {"point2", "p2"}, {"stem", ""}, {"round", "true"}}, true},
      {{{"code", "doublev"}, {"point1", "p1"}, {"point2", "rsb"}}, true},
      {{{"code", "singlev"}, {"point1", "lsb"}, {"point2", "p2"}, {"stem", "bar \"h\""}, {"align", "left"}}, true},
      {{{"code", "singleh"}, {"point1", "p1"}, {"point2", "p2"}, {"stem", "bar \"h\""}, {"round", "true"}}, true},
      {{{"code", "alignt"}, {"point", "p2"}, {"zone", "base<line>"}}, true},
      {{{"code", "alignb"}, {"point", "p2"}, {"zone", "base<line>"}}, true},
      {{{"code", "fdeltah"}, {"point", "p1"}, {"delta", " -16x"}, {"ppm1", "9"}, {"ppm2", "99999999999"}}, true},
  };
  for (const auto& [attributes, placed] : cases) {
    EXPECT_EQ(reader.addCommandFromXml(attributes, layer), placed) << ::testing::PrintToString(attributes);
  }
  const char* expat[] = {"code", "interpolatev", "point", "p1", "point1", "lsb", "point2", "rsb", nullptr};
  EXPECT_TRUE(reader.addCommandFromXml(expat, layer));
  EXPECT_EQ(describe(reader.program()),
            "singleh(1,2,-2,-1) doublev(1,4,-1) singlev(3,2,0,1) singleh(1,2,-1,-1) alignt(2,-1) "
            "alignb(2,0) fdeltah(1,-16,9,2147483647) interpolatev(1,3,4,-1)");
}

TEST(ProgramText, StoredProgramReadsBackInNormalisedOrder) {
  vn::Layer layer = makeLayer({"a", "b", "c", "d"});
  vn::ttInterpreter reader;
  const std::string text =
      "<ttProgram>\n"
      "  <ttc code=\"fdeltav\" point=\"a\" delta=\"8\" ppm1=\"12\" ppm2=\"14\"/>\n"
      "  <ttc code=\"singleh\" point1=\"c\" point2=\"d\"/>\n"
      "  <ttc code=\"interpolateh\" point=\"c\" point1=\"a\" point2=\"b\"/>\n"
      "  <ttc code=\"alignh\" point=\"a\" align=\"double\"/>\n"
      "</ttProgram>\n";
  ASSERT_EQ(hinttest::readProgramText(reader, text, layer), 4);
  std::vector<uint8_t> bytes;
  reader.encodeCommands(bytes);

  std::string again = vn::glyphProgramLibText(reader, bytes, layer);
  EXPECT_EQ(again,
            "  <ttProgram>\n"
            "    <ttc code=\"alignh\" point=\"a\" align=\"double\"/>\n"
            "    <ttc code=\"interpolateh\" point=\"c\" point1=\"a\" point2=\"b\"/>\n"
            "    <ttc code=\"singleh\" point1=\"c\" point2=\"d\"/>\n"
            "    <ttc code=\"fdeltav\" point=\"a\" delta=\"8\" ppm1=\"12\" ppm2=\"14\"/>\n"
            "  </ttProgram>\n");
  EXPECT_EQ(vn::glyphProgramLibText(reader, {}, layer), "");
}

TEST(ProgramText, NamesAreEscapedAsAttributeValues) {
  vn::ttInterpreter interpreter;
  addZonesAndStems(interpreter);
  interpreter.addCommand(command(code::kAlignTop, {0, 0}));
  vn::Layer layer = makeLayer({"p\t\x80\x01"});
  EXPECT_EQ(vn::glyphProgramLibText(interpreter, std::vector<uint8_t>{140, 1, 139, 139}, layer),
            "  <ttProgram>\n    <ttc code=\"alignt\" point=\"p&#x9;&#x20ac; \" zone=\"cap &amp; top\"/>\n"
            "  </ttProgram>\n");
}

}  // namespace
