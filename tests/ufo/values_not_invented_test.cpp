// UFO -> native -> UFO of font information the source leaves out or that the native
// file has no place for: nothing comes back that the source did not say, a value the
// native file must hold is derived as a font compiler would and announced, and a key
// that is lost is named.
#include <gtest/gtest.h>

#include <sstream>

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

TEST(ValuesNotInvented, BlueArraysAsGiven) {
  const std::pair<const char*, const char*> cases[] = {
      {"<array/>", ""},
      {"<array><integer>-15</integer><integer>0</integer></array>",
       "<array><integer>-15</integer><integer>0</integer></array>"},
      {"<array><integer>-15</integer><integer>0</integer><integer>500</integer><integer>515</integer></array>",
       "<array><integer>-15</integer><integer>0</integer><integer>500</integer><integer>515</integer></array>"},
  };
  for (const auto& [given, expected] : cases) {
    const Converted run = convert(std::string("<key>postscriptBlueValues</key>") + given);
    EXPECT_EQ(valueOf(run.fontinfo, "postscriptBlueValues"), expected) << given << "\n" << run.fontinfo;
  }
  // Without the key at all, none comes back.
  EXPECT_EQ(valueOf(convert("").fontinfo, "postscriptBlueValues"), "");
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
