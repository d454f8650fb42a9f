// "fontinfo.plist" keys: order and presence rules, values the UFO conventions
// reject, derived values and escaping.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "ufo_fixtures.h"
#include "ufo/fontinfo_writer.h"

namespace {

using ufotest::BuiltFont;

std::string keysOf(BuiltFont& built) {
  std::string out;
  ufo::FontInfoWriter(&built.font(), &built.style()).appendKeys(out);
  return out;
}

// The value lines after "  <key>key</key>", up to the next key line; nullopt when the
// key is absent.
std::optional<std::string> valueOf(const std::string& keys, const std::string& key) {
  const std::string line = "  <key>" + key + "</key>\n";
  const size_t start = keys.find(line);
  if (start == std::string::npos) return std::nullopt;
  const size_t valueStart = start + line.size();
  const size_t next = keys.find("  <key>", valueStart);
  return keys.substr(valueStart, (next == std::string::npos ? keys.size() : next) - valueStart);
}

std::vector<std::string> keyNames(const std::string& keys) {
  std::vector<std::string> names;
  size_t pos = 0;
  while ((pos = keys.find("  <key>", pos)) != std::string::npos) {
    const size_t end = keys.find("</key>", pos);
    names.push_back(keys.substr(pos + 7, end - pos - 7));
    pos = end;
  }
  return names;
}

TEST(FontInfoWriter, FreshFontWritesTheAlwaysKeysInTableOrder) {
  BuiltFont built;
  built.font().created = std::tm{};
  built.font().created.tm_year = 126;
  built.font().created.tm_mday = 6;
  const std::string keys = keysOf(built);
  const std::vector<std::string> expected = {
      "ascender", "capHeight", "descender", "familyName", "italicAngle", "openTypeHeadCreated",
      "openTypeHeadFlags", "openTypeOS2Selection", "openTypeOS2Type", "openTypeOS2TypoAscender",
      "openTypeOS2TypoDescender", "openTypeOS2TypoLineGap", "openTypeOS2WeightClass", "openTypeOS2WidthClass",
      "openTypeOS2WinAscent", "openTypeOS2WinDescent", "postscriptBlueFuzz", "postscriptBlueScale",
      "postscriptBlueShift", "postscriptBlueValues", "postscriptFontName", "postscriptForceBold",
      "postscriptIsFixedPitch", "postscriptUnderlinePosition", "postscriptUnderlineThickness",
      "styleMapFamilyName", "styleMapStyleName", "styleName", "unitsPerEm", "versionMajor", "versionMinor",
      "xHeight"};
  EXPECT_EQ(keyNames(keys), expected);
  EXPECT_EQ(valueOf(keys, "openTypeHeadCreated"), "  <string>2026/01/06 00:00:00</string>\n");
  EXPECT_EQ(valueOf(keys, "openTypeHeadFlags"), "  <array>\n  </array>\n");
  // No zones: BlueValues are the default baseline pair.
  EXPECT_EQ(valueOf(keys, "postscriptBlueValues"),
            "  <array>\n    <integer>-20</integer>\n    <integer>0</integer>\n  </array>\n");
  EXPECT_EQ(valueOf(keys, "postscriptBlueScale"), "  <real>0.039625</real>\n");
  EXPECT_EQ(valueOf(keys, "styleMapStyleName"), "  <string>regular</string>\n");
}

TEST(FontInfoWriter, NamedValuesAreWrittenWhenPresentEvenEmpty) {
  BuiltFont built;
  built.style().names.namedStrings["copyright"] = "";
  built.style().names.namedStrings["trademark"] = "T&M <x>";
  built.style().metrics.namedNumbers["strikeout_size"] = 0;
  built.style().namedIntegers["year"] = 0;
  built.style().namedIntegers["postscriptUniqueID"] = -7;
  const std::string keys = keysOf(built);
  EXPECT_EQ(valueOf(keys, "copyright"), "  <string></string>\n");
  EXPECT_EQ(valueOf(keys, "trademark"), "  <string>T&amp;M &lt;x&gt;</string>\n");
  EXPECT_EQ(valueOf(keys, "openTypeOS2StrikeoutSize"), "  <integer>0</integer>\n");
  EXPECT_EQ(valueOf(keys, "year"), "  <integer>0</integer>\n");
  EXPECT_EQ(valueOf(keys, "postscriptUniqueID"), "  <integer>-7</integer>\n");
  EXPECT_FALSE(valueOf(keys, "note"));
  EXPECT_FALSE(valueOf(keys, "openTypeHheaAscender"));
}

TEST(FontInfoWriter, NameRulesAndEscapingOfWindows1252Text) {
  BuiltFont built;
  vn::FontNames& names = built.style().names;
  names.familyName = std::string("Caf\xe9");
  names.styleMapFamilyName = std::string("Caf\xe9");
  names.styleName = "Bold";
  names.styleMapStyleName = "Bold";
  names.fullName = "Same";
  names.compatibleFullName = "Same";
  std::string keys = keysOf(built);
  EXPECT_EQ(valueOf(keys, "familyName"), "  <string>Caf&#xe9;</string>\n");
  EXPECT_FALSE(valueOf(keys, "openTypeNameCompatibleFullName"));
  EXPECT_FALSE(valueOf(keys, "openTypeNamePreferredFamilyName"));
  EXPECT_FALSE(valueOf(keys, "openTypeNamePreferredSubfamilyName"));

  names.styleMapFamilyName = "Other";
  names.compatibleFullName = "Different";
  names.namedStrings["pref_subfamily"] = "Sub";
  keys = keysOf(built);
  EXPECT_EQ(valueOf(keys, "openTypeNamePreferredFamilyName"), "  <string>Caf&#xe9;</string>\n");
  EXPECT_EQ(valueOf(keys, "openTypeNamePreferredSubfamilyName"), "  <string>Sub</string>\n");
  EXPECT_EQ(valueOf(keys, "openTypeNameCompatibleFullName"), "  <string>Different</string>\n");
}

TEST(FontInfoWriter, VersionTextIsScannedAsCIntegers) {
  const std::pair<const char*, std::optional<std::pair<int, int>>> cases[] = {
      {"2.5", std::pair{2, 5}},   {"2", std::pair{2, 0}},     {" 1.010", std::pair{1, 8}},
      {"1.08", std::pair{1, 0}},  {"0x10.2", std::pair{16, 2}}, {"Version 2.5", std::nullopt},
      {"", std::nullopt},         {"3.-1", std::nullopt},     {"3.", std::nullopt},
  };
  for (const auto& [text, expected] : cases) {
    BuiltFont built;
    built.style().names.version = text;
    const std::string keys = keysOf(built);
    if (expected) {
      EXPECT_EQ(valueOf(keys, "versionMajor"), "  <integer>" + std::to_string(expected->first) + "</integer>\n")
          << text;
      EXPECT_EQ(valueOf(keys, "versionMinor"), "  <integer>" + std::to_string(expected->second) + "</integer>\n")
          << text;
    } else {
      EXPECT_FALSE(valueOf(keys, "versionMajor")) << text;
      EXPECT_FALSE(valueOf(keys, "versionMinor")) << text;
    }
  }
}

TEST(FontInfoWriter, ValuesTheConventionsRejectAreLeftOutOrMadeValid) {
  BuiltFont built;
  vn::Style& style = built.style();
  vn::FontHinting& hinting = built.font().hinting;
  style.metrics.widthValue = 10;
  style.metrics.weightValue = -3;
  style.metrics.winDescent = -1;
  style.metrics.namedNumbers["hhea_ascender"] = 800.5;
  style.metrics.namedNumbers["postscriptDefaultWidthX"] = 512.25;
  style.namedIntegers["ibm_family_class"] = 15 * 256 + 2;
  style.namedIntegers["ftagHEAD_LOWESTRECPPEM"] = -9;
  style.names.namedStrings["panose"] = "2 11 6 4 5";
  hinting.blueFuzz = -2;
  hinting.blueShift = -1;
  hinting.blueScale = std::nan("");
  for (int i = 0; i < 9; ++i) hinting.zones2.push_back(vn::Zone{"", 100.0 * (i + 1), 10.4, 1, {}});
  built.font().created.tm_mon = 1;
  built.font().created.tm_mday = 30;  // 30 February
  const std::string keys = keysOf(built);
  for (const char* absent : {"openTypeOS2WidthClass", "openTypeOS2WeightClass", "openTypeOS2WinDescent",
                             "openTypeOS2FamilyClass", "openTypeHeadLowestRecPPEM", "openTypeOS2Panose",
                             "postscriptBlueScale", "openTypeHeadCreated"}) {
    EXPECT_FALSE(valueOf(keys, absent)) << absent;
  }
  EXPECT_EQ(valueOf(keys, "openTypeHheaAscender"), "  <integer>801</integer>\n");
  EXPECT_EQ(valueOf(keys, "postscriptDefaultWidthX"), "  <real>512.25</real>\n");
  EXPECT_EQ(valueOf(keys, "postscriptBlueFuzz"), "  <integer>-2</integer>\n");
  EXPECT_EQ(valueOf(keys, "postscriptBlueShift"), "  <integer>-1</integer>\n");
  // At most 14 blue values, all integers: the default pair and six top zones.
  const std::string blues = *valueOf(keys, "postscriptBlueValues");
  EXPECT_EQ(std::count(blues.begin(), blues.end(), '\n'), 16) << blues;
  EXPECT_NE(blues.find("    <integer>110</integer>\n"), std::string::npos) << blues;
}

TEST(FontInfoWriter, DerivedArraysAndClasses) {
  BuiltFont built;
  vn::Style& style = built.style();
  style.names.weightName = "Extra Light Italic";
  style.names.widthName = "Condensed";
  style.flags.isItalic = 1;
  style.flags.isFixedPitch = 1;
  style.flags.headFlags.fromMask(0x1 | 0x8 | 0x2000);  // packed bit 13 is head bit 8
  style.flags.selectionFlags.flags[0] = true;
  style.flags.selectionFlags.flags[7] = true;
  style.flags.embedding = vn::Embedding{2, 1, 1};
  style.tables.codePageRanges[29] = true;
  style.tables.unicodeRanges[0] = true;
  style.tables.unicodeRanges[127] = true;
  style.namedIntegers["ibm_family_class"] = 8 * 256 + 1;
  style.names.namedStrings["panose"] = " 2 11 6 4 5 5 2 2 4 65535 trailing";
  built.font().fileInfo.fondId = 65535;
  built.font().hinting.forceBold = 1;
  built.font().hinting.stemsV2 = {vn::Stem{"", 88.6, {}}, vn::Stem{"", -4, {}}};
  const std::string keys = keysOf(built);
  auto array = [](std::vector<int64_t> values) {
    std::string out = "  <array>\n";
    for (int64_t v : values) out += "    <integer>" + std::to_string(v) + "</integer>\n";
    return out + "  </array>\n";
  };
  EXPECT_EQ(valueOf(keys, "openTypeOS2WeightClass"), "  <integer>200</integer>\n");
  EXPECT_EQ(valueOf(keys, "openTypeOS2WidthClass"), "  <integer>3</integer>\n");
  EXPECT_EQ(valueOf(keys, "openTypeHeadFlags"), array({0, 3, 8}));
  EXPECT_EQ(valueOf(keys, "openTypeOS2Selection"), array({7}));
  EXPECT_EQ(valueOf(keys, "openTypeOS2Type"), array({2, 8, 9}));
  EXPECT_EQ(valueOf(keys, "openTypeOS2CodePageRanges"), array({29}));
  EXPECT_EQ(valueOf(keys, "openTypeOS2UnicodeRanges"), array({0, 127}));
  EXPECT_EQ(valueOf(keys, "openTypeOS2FamilyClass"), array({8, 1}));
  EXPECT_EQ(valueOf(keys, "openTypeOS2Panose"), array({2, 11, 6, 4, 5, 5, 2, 2, 4, 65535}));
  EXPECT_EQ(valueOf(keys, "postscriptStemSnapV"), array({89, -4}));
  EXPECT_EQ(valueOf(keys, "macintoshFONDFamilyID"), "  <integer>65535</integer>\n");
  EXPECT_EQ(valueOf(keys, "postscriptForceBold"), "  <true/>\n");
  EXPECT_EQ(valueOf(keys, "postscriptIsFixedPitch"), "  <true/>\n");
  EXPECT_EQ(valueOf(keys, "styleMapStyleName"), "  <string>italic</string>\n");
  EXPECT_EQ(valueOf(keys, "postscriptWeightName"), "  <string>Extra Light Italic</string>\n");
}

}  // namespace
