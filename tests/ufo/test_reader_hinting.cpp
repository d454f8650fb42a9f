// TrueType hinting in the font lib: the older XML entry and the dict entry.
#include <gtest/gtest.h>

#include "test_reader_support.h"
#include "ufo/font_hints_parser.h"

namespace {

using readertest::plist;
using readertest::ReadResult;
using readertest::TempUfo;

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
  readertest::readUfo(ufo, r);
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
