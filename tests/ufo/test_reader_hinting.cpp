// TrueType hinting in the font lib: the older XML entry and the dict entry.
#include <gtest/gtest.h>

#include "hinting/tt_interpreter.h"
#include "ufo_fixtures.h"
#include "ufo/font_hints_parser.h"

namespace {

using ufotest::plist;
using ufotest::ReadResult;
using ufotest::TempUfo;

constexpr const char* kOldHinting =
    "<tthinting stemsnaplimit=\"70\" codeppm=\"9\" zoneppm=\"40\">"
    "<zones><zone location=\"bottom\" position=\"-10\" width=\"10\" name=\"base\"><delta ppm=\"12\" value=\"1\"/>"
    "</zone><zone position=\"500\" width=\"12\" name=\"x\"/><zone position=\"700\" width=\"9\" name=\"cap\"/></zones>"
    "<stems><stem orientation=\"vertical\" width=\"80\" name=\"v\"><round ppm=\"20\" width=\"2\"/>"
    "<round ppm=\"99999\" width=\"2\"/></stem><stem width=\"60\" name=\"h\"/></stems></tthinting>";

TEST(ReaderHinting, OlderXmlEntryWinsOverTheDict) {
  TempUfo ufo;
  ufo.write("lib.plist", plist(std::string("<key>com.quorvel.tthinting</key><data>") + kOldHinting +
                               "</data><key>com.quorvel.v2.tth</key><dict><key>zoneppm</key>"
                               "<integer>1</integer></dict>"));
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok) << r.out;
  const vn::FontHinting& h = r.font().hinting;
  EXPECT_EQ(h.params4[0], 40);
  EXPECT_EQ(h.params4[1], 70);
  EXPECT_EQ(h.params4[2], 9);
  ASSERT_EQ(h.zones.size(), 3u);
  // Top zones first, then bottom zones, each in reading order.
  EXPECT_EQ(h.zones[0].name, "x");
  EXPECT_EQ(h.zones[1].name, "cap");
  EXPECT_EQ(h.zones[2].name, "base");
  EXPECT_EQ(h.zones[2].kind, 0);
  EXPECT_EQ(h.zones[2].steps.at(12), 1);
  ASSERT_EQ(h.stemsV.size(), 1u);
  EXPECT_EQ(h.stemsV[0].steps.size(), 1u);  // the ppem beyond 16 bits is dropped
  ASSERT_EQ(h.stemsH.size(), 1u);
  // The dict that was not read is kept for writing back.
  EXPECT_EQ(r.style().lib.count("com.quorvel.v2.tth"), 1u);
  EXPECT_EQ(r.style().lib.count("com.quorvel.tthinting"), 0u);
}

TEST(ReaderHinting, ZoneAndStemNamesMatchTheProgramsOutsideAscii) {
  // The names come back in the model's single-byte form on both sides, so a program
  // still finds the zone and the stem it names.
  TempUfo ufo;
  ufo.write("lib.plist", plist(
      "<key>com.quorvel.v2.tth</key><dict><key>zones</key><dict><key>z&#xe9;</key><dict>"
      "<key>position</key><integer>700</integer><key>width</key><integer>10</integer></dict></dict>"
      "<key>stems</key><dict><key>s&#xe9;</key><dict><key>width</key><integer>80</integer>"
      "<key>horizontal</key><false/></dict></dict></dict>"));
  ufo.contents({{"a", "a.glif"}});
  ufo.write("glyphs/a.glif", ufotest::glif(
      "<outline><contour><point x=\"0\" y=\"0\" type=\"line\" name=\"p&#xe9;\"/>"
      "<point x=\"0\" y=\"700\" type=\"line\" name=\"q\"/><point x=\"90\" y=\"0\" type=\"line\"/>"
      "</contour></outline><lib><dict><key>com.quorvel.ttprogram</key><data><ttProgram>"
      "<ttc code=\"alignt\" point=\"q\" zone=\"z&#xe9;\"/>"
      "<ttc code=\"singleh\" point1=\"p&#xe9;\" point2=\"q\" stem=\"s&#xe9;\"/>"
      "</ttProgram></data></dict></lib>"));
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok) << r.out;
  ASSERT_EQ(r.font().hinting.zones.size(), 1u);
  EXPECT_EQ(r.font().hinting.zones[0].name, "z\xE9");
  ASSERT_EQ(r.font().hinting.stemsV.size(), 1u);
  EXPECT_EQ(r.font().hinting.stemsV[0].name, "s\xE9");

  vn::ttInterpreter& interpreter = vn::sharedTtInterpreter();
  interpreter.decodeCommands(r.glyph("a")->commandBytes, 0);
  ASSERT_EQ(interpreter.program().size(), 2u);
  for (const auto& command : interpreter.program()) {
    const std::int32_t at = command->zoneIndex() >= 0 ? command->zoneIndex() : command->stemIndex();
    ASSERT_GE(at, 0);
    EXPECT_EQ(command->param(static_cast<std::size_t>(at)), 0) << "command " << command->code;
  }
  interpreter.clearProgram();
}

TEST(ReaderHinting, FontHintsParserOnHostileInput) {
  vn::Font* font = new vn::Font;
  ufo::FontHintsXMLParser parser;
  std::istringstream bad("<tthinting><zones><zone position=\"1e999\"/></zones>");
  EXPECT_FALSE(parser.parse(bad, font));
  std::istringstream none("<tthinting/>");
  EXPECT_FALSE(parser.parse(none, nullptr));
  font->release();
}

}  // namespace
