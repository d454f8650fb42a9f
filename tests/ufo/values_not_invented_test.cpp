// UFO -> native -> UFO of font information the source leaves out or that the native
// file has no place for: nothing comes back that the source did not say, a value the
// native file must hold is derived as a font compiler would and announced, and a key
// that is lost is named.
#include <gtest/gtest.h>

#include <sstream>

#include "ufo/reader_warnings.h"

#include "ufo_fixtures.h"

namespace {

using namespace ufotest;

// A glyph reaching from -200 to 1094.
const char* const kTallOutline =
    "<outline><contour><point x=\"0\" y=\"-200\" type=\"line\"/><point x=\"300\" y=\"-200\" type=\"line\"/>"
    "<point x=\"300\" y=\"1094\" type=\"line\"/></contour></outline>";

struct Converted {
  std::string warnings;  // the warning lines of the run to the native file
  std::string fontinfo;  // fontinfo.plist written back
};

Converted convert(const std::string& fontinfo) {
  TempFolder folder;
  writeUfo(folder.path() / "in.ufo", "<key>familyName</key><string>F</string>" + fontinfo,
           {{"a", glif("a", kTallOutline)}, {"b", glif("b", "")}});
  const auto [there, back] = convertBothWays(folder);
  EXPECT_EQ(there.code, 0) << there.out;
  EXPECT_EQ(back.code, 0) << back.out;
  Converted result;
  result.warnings = warningLines(there.out);
  result.fontinfo = readFile(folder.path() / "back.ufo" / "fontinfo.plist");
  return result;
}

TEST(ValuesNotInvented, WinMetricsComeFromTheGlyphsWhenMissing) {
  struct Case {
    const char* info;
    const char* ascent;   // value element written back
    const char* descent;
    std::vector<std::string> derived;  // named on the warning line
  };
  const Case cases[] = {
      {"", "<integer>1094</integer>", "<integer>200</integer>",
       {"openTypeOS2WinAscent 1094", "openTypeOS2WinDescent 200"}},
      {"<key>openTypeOS2WinAscent</key><integer>900</integer>", "<integer>900</integer>", "<integer>200</integer>",
       {"openTypeOS2WinDescent 200"}},
      {"<key>openTypeOS2WinAscent</key><integer>900</integer><key>openTypeOS2WinDescent</key><integer>300</integer>",
       "<integer>900</integer>", "<integer>300</integer>", {}},
  };
  for (const Case& c : cases) {
    const Converted run = convert(c.info);
    EXPECT_EQ(valueOf(run.fontinfo, "openTypeOS2WinAscent"), c.ascent) << c.info;
    EXPECT_EQ(valueOf(run.fontinfo, "openTypeOS2WinDescent"), c.descent) << c.info;
    const bool warned = run.warnings.find("win metrics") != std::string::npos;
    EXPECT_EQ(warned, !c.derived.empty()) << c.info << "\n" << run.warnings;
    for (const std::string& item : c.derived) EXPECT_NE(run.warnings.find(item), std::string::npos) << run.warnings;
  }
}

// The native file's BlueValues always begin with a baseline pair: a font without one
// gets -20, 0, which comes back, and the conversion says it added it.
TEST(ValuesNotInvented, BlueArraysAsGivenOrWithTheAnnouncedBaselinePair) {
  const char* const kDefaultPair = "<array><integer>-20</integer><integer>0</integer></array>";
  const struct {
    const char* given;  // the key's value, or null for no key
    const char* expected;
    bool added;
  } cases[] = {
      {nullptr, kDefaultPair, true},
      {"<array/>", kDefaultPair, true},
      {"<array><integer>-15</integer><integer>0</integer></array>",
       "<array><integer>-15</integer><integer>0</integer></array>", false},
      {"<array><integer>-15</integer><integer>0</integer><integer>500</integer><integer>515</integer></array>",
       "<array><integer>-15</integer><integer>0</integer><integer>500</integer><integer>515</integer></array>", false},
  };
  for (const auto& c : cases) {
    const Converted run = convert(c.given ? std::string("<key>postscriptBlueValues</key>") + c.given : "");
    const char* label = c.given ? c.given : "(no key)";
    EXPECT_EQ(valueOf(run.fontinfo, "postscriptBlueValues"), c.expected) << label << "\n" << run.fontinfo;
    EXPECT_EQ(countOf(run.warnings, "postscriptBlueValues -20 0 added"), c.added ? 1 : 0) << label << "\n"
                                                                                         << run.warnings;
  }
}

// Name keys the native file holds in another form, and values it must hold that the
// source lacks: each change is named on the one fontinfo line, and what the line says
// is what comes back.
TEST(ValuesNotInvented, FontInfoChangesAreNamed) {
  // Every value the native file must hold, given.
  const std::string complete =
      "<key>openTypeHeadCreated</key><string>2024/01/02 03:04:05</string>"
      "<key>postscriptBlueValues</key><array><integer>-15</integer><integer>0</integer></array>"
      "<key>styleMapFamilyName</key><string>F</string><key>styleMapStyleName</key><string>regular</string>";
  const struct {
    std::string info;
    std::vector<std::string> named;    // on the line, in this order; empty: no line
    std::vector<std::string> absent;   // keys that do not come back
    std::vector<std::pair<std::string, std::string>> back;  // values that come back
  } cases[] = {
      {complete, {}, {}, {{"openTypeHeadCreated", "<string>2024/01/02 03:04:05</string>"}}},
      {"<key>openTypeNamePreferredFamilyName</key><string>F</string>"
       "<key>openTypeNamePreferredSubfamilyName</key><string>Regular</string>"
       "<key>styleName</key><string>Regular</string><key>styleMapStyleName</key><string>regular</string>",
       {"openTypeNamePreferredFamilyName left out (the same as familyName)",
        "openTypeNamePreferredSubfamilyName left out (the same as styleName)", "styleMapFamilyName \"F\" added",
        "openTypeHeadCreated set to the time of the conversion", "postscriptBlueValues -20 0 added"},
       {"openTypeNamePreferredFamilyName", "openTypeNamePreferredSubfamilyName"},
       {{"styleMapFamilyName", "<string>F</string>"}}},
      // The preferred family equal to the family makes it the linking family.
      {complete + "<key>openTypeNamePreferredFamilyName</key><string>F</string>",
       {"openTypeNamePreferredFamilyName left out (the same as familyName)"}, {"openTypeNamePreferredFamilyName"},
       {}},
      {"<key>openTypeHeadCreated</key><string>2024/01/02 03:04:05</string>"
       "<key>postscriptBlueValues</key><array><integer>-15</integer><integer>0</integer></array>"
       "<key>styleMapFamilyName</key><string>F Bold</string><key>openTypeNamePreferredFamilyName</key>"
       "<string>F</string><key>styleMapStyleName</key><string>regular</string>",
       {"openTypeNamePreferredFamilyName left out (the same as familyName)",
        "styleMapFamilyName \"F Bold\" becomes \"F\""},
       {"openTypeNamePreferredFamilyName"}, {{"styleMapFamilyName", "<string>F</string>"}}},
      // Where the linking names differ from the family and style names, the preferred
      // names come back as those: as given, or added.
      {"<key>openTypeHeadCreated</key><string>2024/01/02 03:04:05</string>"
       "<key>postscriptBlueValues</key><array><integer>-15</integer><integer>0</integer></array>"
       "<key>openTypeNamePreferredFamilyName</key><string>F</string><key>styleMapFamilyName</key>"
       "<string>F Bold</string><key>styleMapStyleName</key><string>regular</string>"
       "<key>styleName</key><string>Bold</string>",
       {"openTypeNamePreferredSubfamilyName \"Bold\" added"}, {},
       {{"openTypeNamePreferredFamilyName", "<string>F</string>"},
        {"openTypeNamePreferredSubfamilyName", "<string>Bold</string>"},
        {"styleMapFamilyName", "<string>F Bold</string>"}}},
      {"<key>openTypeHeadCreated</key><string>2024/01/02 03:04:05</string>"
       "<key>postscriptBlueValues</key><array><integer>-15</integer><integer>0</integer></array>",
       {"styleMapFamilyName \"F\" added", "styleMapStyleName \"regular\" added"}, {},
       {{"styleMapFamilyName", "<string>F</string>"}, {"styleMapStyleName", "<string>regular</string>"}}},
  };
  for (const auto& c : cases) {
    const Converted run = convert(c.info);
    std::string line;
    std::istringstream in(run.warnings);
    for (std::string each; std::getline(in, each);) {
      if (each.find(ufo::warning::kFontInfoChangesLine) != std::string::npos) line = each;
    }
    if (c.named.empty()) {
      EXPECT_EQ(line, "") << c.info;
    } else {
      std::string expected = std::string("Warning: ") + ufo::warning::kFontInfoChangesLine + ":";
      for (size_t i = 0; i < c.named.size(); ++i) expected += (i == 0 ? " " : ", ") + c.named[i];
      EXPECT_EQ(line.substr(0, expected.size()), expected) << c.info;
    }
    for (const std::string& key : c.absent) EXPECT_EQ(valueOf(run.fontinfo, key), "") << key << "\n" << c.info;
    for (const auto& [key, value] : c.back) EXPECT_EQ(valueOf(run.fontinfo, key), value) << key << "\n" << c.info;
  }
}

TEST(ValuesNotInvented, PreferredNamesThatCannotTravelAreNamed) {
  struct Case {
    const char* info;
    const char* named;  // on the fontinfo keys warning line, or null for no mention
  };
  const char* const kLine = "fontinfo.plist keys that the native format does not carry";
  const Case cases[] = {
      {"<key>openTypeNamePreferredFamilyName</key><string>F Pro</string>", "openTypeNamePreferredFamilyName"},
      {"<key>openTypeNamePreferredFamilyName</key><string>F</string>", nullptr},
      {"<key>openTypeNamePreferredSubfamilyName</key><string>Bold Cond</string>"
       "<key>styleName</key><string>Bold Condensed</string>",
       "openTypeNamePreferredSubfamilyName"},
      {"<key>styleName</key><string>Bold Condensed</string>"
       "<key>openTypeNamePreferredSubfamilyName</key><string>Bold Cond</string>",
       "styleName"},
      {"<key>styleName</key><string>Bold</string>"
       "<key>openTypeNamePreferredSubfamilyName</key><string>Bold</string>",
       nullptr},
  };
  for (const Case& c : cases) {
    const Converted run = convert(c.info);
    std::string line;
    std::istringstream in(run.warnings);
    for (std::string each; std::getline(in, each);) {
      if (each.find(kLine) != std::string::npos) line = each;
    }
    if (c.named) {
      EXPECT_NE(line.find(c.named), std::string::npos) << c.info << "\n" << run.warnings;
    } else {
      EXPECT_EQ(line.find("Preferred"), std::string::npos) << c.info << "\n" << run.warnings;
      EXPECT_EQ(line.find("styleName"), std::string::npos) << c.info << "\n" << run.warnings;
    }
  }
}

}  // namespace
