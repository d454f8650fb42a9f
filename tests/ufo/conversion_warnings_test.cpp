// What a UFO -> native conversion leaves out or defaults is said before the output is
// trusted: one warning line per kind, naming the keys or glyphs concerned (the first five,
// then how many more). (Mentioning
// TARNWICK_EXE here makes the suite wait for the program, which ufotest::tarnwick runs.)
#include <gtest/gtest.h>

#include <sstream>

#include "ufo_fixtures.h"

namespace {

using namespace ufotest;
namespace fs = std::filesystem;

struct Expected {
  const char* line;                  // a part of the kind's warning line
  std::vector<std::string> items;    // each named on that line
};

const Expected kWarnings[] = {
    {"fontinfo.plist keys that the native format does not carry",
     {"openTypeHheaCaretOffset, openTypeHheaCaretSlopeRise, openTypeVheaVertTypoAscender, "
      "openTypeVheaCaretOffset, openTypeNameWWSFamilyName and 5 more"}},
    {"one ascender and one descender", {"ascender 700 (openTypeOS2TypoAscender 800 kept)"}},
    {"not a number in range", {"capHeight \"abc\""}},
    {"lib.plist entries", {"public.postscriptNames", "public.skipExportGlyphs", "public.unicodeVariationSequences"}},
    {"glyph notes", {"a", "b"}},
    {"glyph lib entries", {"public.truetype.instructions", "com.example.other"}},
    {"components naming a glyph the font lacks", {"b (missing)", "d (gone)"}},
    {"without their file", {"c", "e"}},
    {"numbers in glyph files", {"d \"1x\"", "d \"y2\""}},
    {"group that does not exist", {"@MMK_L_nothing", "@MMK_R_none"}},
};

TEST(ConversionWarnings, OneLinePerKindNamingEveryItem) {
  TempFolder folder;
  const std::string info =
      "<key>familyName</key><string>F</string>"
      "<key>ascender</key><integer>700</integer><key>openTypeOS2TypoAscender</key><integer>800</integer>"
      "<key>capHeight</key><real>abc</real>"
      "<key>openTypeHheaCaretOffset</key><integer>1</integer><key>openTypeHheaCaretSlopeRise</key><integer>1</integer>"
      "<key>openTypeVheaVertTypoAscender</key><integer>1</integer><key>openTypeVheaCaretOffset</key><integer>1</integer>"
      "<key>openTypeNameWWSFamilyName</key><string>W</string><key>openTypeNameWWSSubfamilyName</key><string>S</string>"
      "<key>postscriptDefaultWidthX</key><integer>500</integer><key>postscriptNominalWidthX</key><integer>400</integer>"
      "<key>openTypeGaspRangeRecords</key><array><dict><key>rangeMaxPPEM</key><integer>8</integer>"
      "<key>rangeGaspBehavior</key><array><integer>1</integer></array></dict></array>"
      "<key>openTypeNameRecords</key><array><dict><key>nameID</key><integer>9</integer><key>platformID</key>"
      "<integer>3</integer><key>encodingID</key><integer>1</integer><key>languageID</key><integer>1033</integer>"
      "<key>string</key><string>x</string></dict></array>";
  const std::string lib =
      "<key>public.postscriptNames</key><dict><key>a</key><string>uni0061</string></dict>"
      "<key>public.skipExportGlyphs</key><array><string>b</string></array>"
      "<key>public.unicodeVariationSequences</key><dict/>";
  const std::vector<GlyphFile> glyphs = {
      {"a", glif("a", "<note>n</note><lib><dict><key>public.truetype.instructions</key><dict/></dict></lib>", 2)},
      {"b", glif("b", "<note>m</note><outline><component base=\"missing\"/></outline>"
                      "<lib><dict><key>com.example.other</key><string>x</string></dict></lib>", 2)},
      {"c", ""},
      {"d", glif("d", "<outline><contour><point x=\"1x\" y=\"y2\" type=\"line\"/><point x=\"5\" y=\"0\" "
                      "type=\"line\"/></contour><component base=\"gone\"/></outline>")},
      {"e", ""},
  };
  writeUfo(folder.path() / "in.ufo", info, glyphs, lib,
           "<key>@MMK_L_nothing</key><dict><key>a</key><integer>-10</integer></dict>"
           "<key>a</key><dict><key>@MMK_R_none</key><integer>5</integer></dict>");
  const ufotest::Run run = tarnwick(shellQuote((folder.path() / "in.ufo").string()) + " " + shellQuote((folder.path() / "font.qtf").string()));
  ASSERT_EQ(run.code, 0) << run.out;

  std::vector<std::string> lines;
  std::istringstream in(run.out);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("Warning: ")) lines.push_back(line);
  }
  for (const Expected& expected : kWarnings) {
    int found = 0;
    for (const std::string& line : lines) {
      if (line.find(expected.line) == std::string::npos) continue;
      ++found;
      for (const std::string& item : expected.items) EXPECT_NE(line.find(item), std::string::npos) << item << "\n" << line;
    }
    EXPECT_EQ(found, 1) << expected.line << "\n" << run.out;
  }
}

// A kind with hundreds of items still gives one short line: the first five, then the count.
TEST(ConversionWarnings, ListsOfHundredsNameTheFirstFiveAndCountTheRest) {
  constexpr int kMany = 600;
  auto name = [](const char* stem, int i) {
    std::string digits = std::to_string(i);
    return stem + std::string(3 - digits.size(), '0') + digits;
  };
  std::string unknownKeys, kerning;
  std::vector<GlyphFile> fractional, plain;
  for (int i = 0; i < kMany; ++i) {
    unknownKeys += "<key>" + name("key", i) + "</key><integer>1</integer>";
    fractional.push_back({name("g", i), glif(name("g", i), "<outline><contour><point x=\"0.5\" y=\"0\" "
                                                           "type=\"line\"/></contour></outline>")});
    plain.push_back({name("g", i), glif(name("g", i), "")});
    kerning += "<key>" + name("g", i) + "</key><dict><key>g000</key><real>1.5</real></dict>";
  }
  const struct {
    const char* line;  // a part of the kind's warning line
    std::string fontinfo;
    const std::vector<GlyphFile>* glyphs;
    std::string kerning;
    std::string named;  // how the line ends
  } cases[] = {
      {"keys that the native format does not carry", unknownKeys, &plain, "",
       ": key000, key001, key002, key003, key004 and 595 more"},
      {"rounded to the nearest unit", "", &fractional, "", ": g000, g001, g002, g003, g004 and 595 more"},
      {"kerning values that are not whole numbers", "", &plain, kerning,
       ": g000 g000 (1.5), g001 g000 (1.5), g002 g000 (1.5), g003 g000 (1.5), g004 g000 (1.5) and 595 more"},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    writeUfo(folder.path() / "in.ufo", "<key>familyName</key><string>F</string>" + c.fontinfo, *c.glyphs, {},
             c.kerning);
    const ufotest::Run run = tarnwick(shellQuote((folder.path() / "in.ufo").string()) + " " +
                                      shellQuote((folder.path() / "font.qtf").string()));
    ASSERT_EQ(run.code, 0) << run.out;
    std::string line;
    std::istringstream in(run.out);
    for (std::string each; std::getline(in, each);) {
      if (each.starts_with("Warning: ") && each.find(c.line) != std::string::npos) line = each;
    }
    EXPECT_TRUE(line.ends_with(c.named)) << c.line << "\n" << line.substr(0, 400);
    EXPECT_LT(line.size(), 300u) << c.line;
  }
}

}  // namespace
