// UFO -> native -> UFO of font information the source leaves out or that the native
// file has no place for: nothing comes back that the source did not say, a value the
// native file must hold is derived as a font compiler would and announced, and a key
// that is lost is named.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "ufo/reader_warnings.h"

#include "ufo_fixtures.h"

namespace {

using namespace ufotest;

// A glyph reaching from -200 to 1094.
const char* const kTallOutline =
    "<outline><contour><point x=\"0\" y=\"-200\" type=\"line\"/><point x=\"300\" y=\"-200\" type=\"line\"/>"
    "<point x=\"300\" y=\"1094\" type=\"line\"/></contour></outline>";

// The values the native file always holds that the cases below do not exercise, as
// they come back: given, a case's line names only what it is about.
const std::vector<std::pair<std::string, std::string>> kHeldValues = {
    {"unitsPerEm", "<integer>1000</integer>"},          {"ascender", "<integer>750</integer>"},
    {"descender", "<integer>-250</integer>"},           {"capHeight", "<integer>750</integer>"},
    {"xHeight", "<integer>500</integer>"},              {"italicAngle", "<integer>0</integer>"},
    {"versionMajor", "<integer>1</integer>"},           {"versionMinor", "<integer>0</integer>"},
    {"openTypeHeadFlags", "<array/>"},                  {"openTypeOS2Selection", "<array/>"},
    {"openTypeOS2Type", "<array/>"},                    {"openTypeOS2WidthClass", "<integer>5</integer>"},
    {"openTypeOS2TypoAscender", "<integer>750</integer>"}, {"openTypeOS2TypoDescender", "<integer>-250</integer>"},
    {"openTypeOS2TypoLineGap", "<integer>0</integer>"}, {"openTypeHheaLineGap", "<integer>0</integer>"},
    {"postscriptBlueFuzz", "<integer>1</integer>"},     {"postscriptBlueScale", "<real>0.039625</real>"},
    {"postscriptBlueShift", "<integer>7</integer>"},    {"postscriptForceBold", "<false/>"},
    {"postscriptIsFixedPitch", "<false/>"},             {"postscriptUnderlinePosition", "<integer>-100</integer>"},
    {"postscriptUnderlineThickness", "<integer>50</integer>"}, {"postscriptFontName", "<string>F-Regular</string>"},
};

// The held values as fontinfo entries, but for the keys left out.
std::string heldValues(const std::set<std::string>& leftOut = {}) {
  std::string entries;
  for (const auto& [key, value] : kHeldValues) {
    if (!leftOut.count(key)) entries += "<key>" + key + "</key>" + value;
  }
  return entries;
}

const std::string kAlwaysHeld = heldValues();

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

// The values the native file holds in another form, given, so that no line names them.
const std::string kGivenOtherwise =
    "<key>openTypeHeadCreated</key><string>2024/01/02 03:04:05</string>"
    "<key>postscriptBlueValues</key><array><integer>-15</integer><integer>0</integer></array>"
    "<key>styleMapFamilyName</key><string>F</string><key>styleMapStyleName</key><string>regular</string>"
    "<key>openTypeOS2WeightClass</key><integer>400</integer><key>postscriptWeightName</key><string>Regular</string>"
    "<key>styleName</key><string>Regular</string><key>postscriptFullName</key><string>F Regular</string>";

// Name keys the native file holds in another form, and values it must hold that the
// source lacks: each change is named on the one fontinfo line, and what the line says
// is what comes back.
TEST(ValuesNotInvented, FontInfoChangesAreNamed) {
  // Every value the native file must hold, given.
  const std::string complete = kAlwaysHeld + kGivenOtherwise;
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

// The fontinfo line of a run, without its "Warning: <line>: " start; empty when none.
std::string fontInfoChanges(const std::string& warnings) {
  const std::string start = std::string("Warning: ") + ufo::warning::kFontInfoChangesLine + ": ";
  std::istringstream in(warnings);
  for (std::string each; std::getline(in, each);) {
    if (each.starts_with(start)) return each.substr(start.size());
  }
  return {};
}

// Values the native file holds otherwise than given: the line names each one, every time
// in full, and what comes back is what it says.
TEST(ValuesNotInvented, EveryChangedValueIsNamedInFull) {
  const std::string names =
      "<key>openTypeHeadCreated</key><string>2024/01/02 03:04:05</string><key>styleName</key><string>Regular</string>"
      "<key>styleMapFamilyName</key><string>F</string><key>styleMapStyleName</key><string>regular</string>"
      "<key>postscriptFullName</key><string>F Regular</string>";
  const std::string given = kAlwaysHeld + names;
  const std::string weight =
      "<key>openTypeOS2WeightClass</key><integer>400</integer><key>postscriptWeightName</key><string>Regular</string>";
  const std::string baseline = "<key>postscriptBlueValues</key><array><integer>-15</integer><integer>0</integer></array>";
  auto array = [](std::vector<int> values) {
    std::string text = "<array>";
    for (int value : values) text += "<integer>" + std::to_string(value) + "</integer>";
    return text + "</array>";
  };
  const std::string kAdded = "postscriptBlueValues -20 0 added (BlueValues begin with a bottom zone whose top edge "
                             "is 0, and none was given)";
  // Numbers given otherwise than the native file holds them, the rest as held.
  auto numbers = [&](const std::set<std::string>& keys, const std::string& values) {
    return heldValues(keys) + values + names + weight + baseline;
  };
  const std::string kWhole = " (the native format holds whole units)";
  const struct {
    std::string info;
    std::vector<std::string> named;  // the whole line, item by item
    std::vector<std::pair<std::string, std::string>> back;  // "" for a key that does not come back
  } cases[] = {
      {given + weight + baseline + "<key>openTypeNameCompatibleFullName</key><string>F Regular</string>",
       {"openTypeNameCompatibleFullName left out (the same as postscriptFullName)"},
       {{"openTypeNameCompatibleFullName", ""}}},
      {given + weight + baseline + "<key>openTypeNameCompatibleFullName</key><string>F Book</string>", {},
       {{"openTypeNameCompatibleFullName", "<string>F Book</string>"}}},
      // Neither weight key: the class and name of the default weight.
      {given + baseline, {"openTypeOS2WeightClass 400 added", "postscriptWeightName \"Regular\" added"},
       {{"openTypeOS2WeightClass", "<integer>400</integer>"}, {"postscriptWeightName", "<string>Regular</string>"}}},
      {given + baseline + "<key>postscriptWeightName</key><string>Bold</string>", {"openTypeOS2WeightClass 700 added"},
       {{"openTypeOS2WeightClass", "<integer>700</integer>"}}},
      {given + baseline + "<key>openTypeOS2WeightClass</key><integer>700</integer>",
       {"postscriptWeightName \"Bold\" added"}, {{"postscriptWeightName", "<string>Bold</string>"}}},
      {given + baseline + "<key>openTypeOS2WeightClass</key><integer>400</integer>"
                          "<key>postscriptWeightName</key><string>Bold</string>",
       {"openTypeOS2WeightClass 400 becomes 700 (the class of postscriptWeightName \"Bold\")"},
       {{"openTypeOS2WeightClass", "<integer>700</integer>"}}},
      // A weight class after the name names the weight anew.
      {given + baseline + "<key>postscriptWeightName</key><string>Heavyish</string>"
                          "<key>openTypeOS2WeightClass</key><integer>400</integer>",
       {"postscriptWeightName \"Heavyish\" becomes \"Regular\""}, {{"postscriptWeightName", "<string>Regular</string>"}}},
      // A first pair away from the baseline is a bottom zone of OtherBlues (before those given).
      {given + weight + "<key>postscriptBlueValues</key>" + array({-20, -10, 0, 0, 500, 510}) +
           "<key>postscriptOtherBlues</key>" + array({-223, -213}),
       {"postscriptBlueValues -20 -10 moved to postscriptOtherBlues (a first pair whose top edge is not 0 is a "
        "bottom zone away from the baseline)",
        kAdded},
       {{"postscriptBlueValues", array({-20, 0, 0, 0, 500, 510})},
        {"postscriptOtherBlues", array({-20, -10, -223, -213})}}},
      {given + weight + "<key>postscriptOtherBlues</key>" + array({-100, -90, -15, 0}),
       {"postscriptOtherBlues -15 0 moved to postscriptBlueValues (a pair whose top edge is 0 is the bottom zone at "
        "the baseline)"},
       {{"postscriptBlueValues", array({-15, 0})}, {"postscriptOtherBlues", array({-100, -90})}}},
      // FamilyBlues have no default pair: the native file reads their first pair as the bottom zone.
      {given + weight + "<key>postscriptFamilyBlues</key>" + array({-20, -10, 600, 610, 700, 710}) + baseline,
       {"postscriptFamilyBlues -20 -10 moved to postscriptFamilyOtherBlues (a first pair whose top edge is not 0 is a "
        "bottom zone away from the baseline)",
        "postscriptFamilyBlues 600 610 moved to postscriptFamilyOtherBlues (FamilyBlues without a pair whose top edge "
        "is 0 begin with it, and a first pair is read back as a bottom zone)"},
       {{"postscriptFamilyBlues", array({700, 710})}, {"postscriptFamilyOtherBlues", array({-20, -10, 600, 610})}}},
      {given + weight + baseline + "<key>postscriptFamilyBlues</key>" + array({-15, 0, 600, 610}) +
           "<key>postscriptFamilyOtherBlues</key>" + array({-200, -190, -195, -185}),
       {"postscriptFamilyOtherBlues -200 -190, -195 -185 left out (FamilyBlues hold at most 14 values and "
        "FamilyOtherBlues 10, in ascending order)",
        "postscriptFamilyOtherBlues -200 -195 added (FamilyOtherBlues are written in ascending order, which pairs "
        "their values anew)",
        "postscriptFamilyOtherBlues -190 -185 added (FamilyOtherBlues are written in ascending order, which pairs "
        "their values anew)"},
       {{"postscriptFamilyBlues", array({-15, 0, 600, 610})},
        {"postscriptFamilyOtherBlues", array({-200, -195, -190, -185})}}},
      // Past the arrays' limits, and a number without its pair.
      {given + weight + baseline + "<key>postscriptOtherBlues</key>" +
           array({-110, -100, -210, -200, -310, -300, -410, -400, -510, -500, -610, -600, -710, -700, 5}),
       {"postscriptOtherBlues -610 -600, -710 -700 left out (BlueValues hold at most 14 values and OtherBlues 10)",
        "postscriptOtherBlues 5 left out (a number without its pair)"},
       {{"postscriptOtherBlues", array({-110, -100, -210, -200, -310, -300, -410, -400, -510, -500})}}},
      {given + weight + "<key>postscriptBlueValues</key>" +
           array({-15, 0, 100, 110, 200, 210, 300, 310, 400, 410, 500, 510, 600, 610, 700, 710}),
       {"postscriptBlueValues 700 710 left out (BlueValues hold at most 14 values and OtherBlues 10)"},
       {{"postscriptBlueValues", array({-15, 0, 100, 110, 200, 210, 300, 310, 400, 410, 500, 510, 600, 610})}}},
      // Whole units: most cut toward zero, the hhea values and the underline's top edge rounded;
      // a value the file does not give comes back as held.
      {numbers({"xHeight", "capHeight", "italicAngle", "openTypeOS2TypoLineGap"},
               "<key>xHeight</key><real>1023.5</real><key>capHeight</key><real>700.25</real>"
               "<key>italicAngle</key><real>-11.5</real><key>openTypeOS2TypoLineGap</key><real>67.5</real>"),
       {"capHeight 700.25 becomes 700" + kWhole, "openTypeOS2TypoLineGap 67.5 becomes 67" + kWhole,
        "xHeight 1023.5 becomes 1023" + kWhole},
       {{"xHeight", "<integer>1023</integer>"}, {"capHeight", "<integer>700</integer>"},
        {"italicAngle", "<real>-11.5</real>"}, {"openTypeOS2TypoLineGap", "<integer>67</integer>"}}},
      {numbers({"openTypeOS2TypoLineGap", "openTypeHheaLineGap"}, "<key>openTypeOS2TypoLineGap</key><real>67.5</real>"),
       {"openTypeOS2TypoLineGap 67.5 becomes 67" + kWhole, "openTypeHheaLineGap 68 added"},
       {{"openTypeOS2TypoLineGap", "<integer>67</integer>"}, {"openTypeHheaLineGap", "<integer>68</integer>"}}},
      {numbers({"ascender", "openTypeOS2TypoAscender", "postscriptUnderlinePosition"},
               "<key>ascender</key><real>750.5</real><key>openTypeHheaAscender</key><real>800.5</real>"
               "<key>postscriptUnderlinePosition</key><real>10.5</real>"
               "<key>openTypeOS2SubscriptYSize</key><real>650.5</real>"),
       {"ascender 750.5 becomes 750" + kWhole, "openTypeHheaAscender 800.5 becomes 801" + kWhole,
        "openTypeOS2SubscriptYSize 650.5 becomes 651" + kWhole,
        "postscriptUnderlinePosition 10.5 becomes 11" + kWhole, "openTypeOS2TypoAscender 750 added"},
       {{"ascender", "<integer>750</integer>"}, {"openTypeOS2TypoAscender", "<integer>750</integer>"},
        {"openTypeHheaAscender", "<integer>801</integer>"}, {"postscriptUnderlinePosition", "<integer>11</integer>"},
        {"openTypeOS2SubscriptYSize", "<integer>651</integer>"}}},
      // Many at once: still every one.
      {"<key>styleName</key><string>Regular</string><key>openTypeNameCompatibleFullName</key><string>F Regular</string>"
       "<key>postscriptWeightName</key>"
       "<string>Bold</string><key>postscriptBlueValues</key>" + array({-20, -10}),
       {"openTypeNameCompatibleFullName left out (the same as postscriptFullName)", "styleMapFamilyName \"F\" added",
        "styleMapStyleName \"regular\" added", "openTypeHeadCreated set to the time of the conversion",
        "postscriptBlueValues -20 -10 moved to postscriptOtherBlues (a first pair whose top edge is not 0 is a "
        "bottom zone away from the baseline)",
        kAdded, "openTypeOS2WeightClass 700 added",
        // and every value the native file holds by default, as it comes back
        "ascender 750 added", "capHeight 750 added", "descender -250 added", "italicAngle 0 added",
        "openTypeHeadFlags (empty) added", "openTypeOS2Selection (empty) added", "openTypeOS2Type (empty) added",
        "openTypeOS2TypoAscender 750 added", "openTypeOS2TypoDescender -250 added", "openTypeOS2TypoLineGap 0 added",
        "openTypeOS2WidthClass 5 added", "postscriptBlueFuzz 1 added", "postscriptBlueScale 0.039625 added",
        "postscriptBlueShift 7 added", "postscriptFontName \"F-Regular\" added", "postscriptForceBold false added",
        "postscriptFullName \"F Regular\" added", "postscriptIsFixedPitch false added",
        "postscriptUnderlinePosition -100 added", "postscriptUnderlineThickness 50 added", "unitsPerEm 1000 added",
        "versionMajor 1 added", "versionMinor 0 added", "xHeight 500 added", "openTypeHheaLineGap 0 added"},
       {{"openTypeNameCompatibleFullName", ""}, {"openTypeOS2WeightClass", "<integer>700</integer>"},
        {"openTypeOS2TypoLineGap", "<integer>0</integer>"}, {"openTypeHheaLineGap", "<integer>0</integer>"},
        {"postscriptFontName", "<string>F-Regular</string>"}, {"openTypeOS2Type", "<array></array>"}}},
  };
  for (const auto& c : cases) {
    const Converted run = convert(c.info);
    std::string expected;
    for (const std::string& item : c.named) expected += (expected.empty() ? "" : ", ") + item;
    EXPECT_EQ(fontInfoChanges(run.warnings), expected) << c.info;
    for (const auto& [key, value] : c.back) EXPECT_EQ(valueOf(run.fontinfo, key), value) << key << "\n" << c.info;
  }
}

// Values the native file always holds and the source leaves out come back as the UFO
// writer gives them from it: each is named with the value that comes back.
TEST(ValuesNotInvented, HeldValuesTheSourceLeavesOutAreNamedAsTheyComeBack) {
  const std::string& rest = kGivenOtherwise;
  const struct {
    std::string info;
    std::string line;  // the whole line; empty: none
    std::vector<std::pair<std::string, std::string>> back;
  } cases[] = {
      {rest + heldValues(), "", {{"openTypeHheaLineGap", "<integer>0</integer>"}}},
      // What fonts made from binary fonts lack: the hhea line gap is the typo one.
      {rest + heldValues({"openTypeHheaLineGap"}), "openTypeHheaLineGap 0 added",
       {{"openTypeHheaLineGap", "<integer>0</integer>"}}},
      {rest + heldValues({"openTypeHheaLineGap", "openTypeOS2TypoLineGap"}) +
           "<key>openTypeOS2TypoLineGap</key><integer>90</integer>",
       "openTypeHheaLineGap 90 added", {{"openTypeHheaLineGap", "<integer>90</integer>"}}},
      // A typo line gap of 0 is read back as the hhea one.
      {rest + heldValues({"openTypeHheaLineGap"}) + "<key>openTypeHheaLineGap</key><integer>67</integer>",
       "openTypeOS2TypoLineGap 0 becomes 67 (the native format reads a typo line gap of 0 as the hhea line gap)",
       {{"openTypeHheaLineGap", "<integer>67</integer>"}, {"openTypeOS2TypoLineGap", "<integer>67</integer>"}}},
      // Numbers, lists, truth values and names, each as written.
      {rest + heldValues({"italicAngle", "openTypeOS2Type", "postscriptForceBold", "postscriptFontName",
                          "postscriptBlueScale", "openTypeOS2TypoDescender"}),
       "italicAngle 0 added, openTypeOS2Type (empty) added, openTypeOS2TypoDescender -250 added, "
       "postscriptBlueScale 0.039625 added, postscriptFontName \"F-Regular\" added, postscriptForceBold false added",
       {{"italicAngle", "<integer>0</integer>"}, {"openTypeOS2Type", "<array></array>"},
        {"postscriptForceBold", "<false/>"}, {"postscriptFontName", "<string>F-Regular</string>"}}},
      // A value that cannot be read keeps its default, named on the line of such values.
      {rest + heldValues({"xHeight"}) + "<key>xHeight</key><string>tall</string>", "",
       {{"xHeight", "<integer>500</integer>"}}},
  };
  for (const auto& c : cases) {
    const Converted run = convert(c.info);
    EXPECT_EQ(fontInfoChanges(run.warnings), c.line) << c.info;
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
