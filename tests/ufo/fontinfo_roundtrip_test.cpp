// Every fontinfo.plist key the native file carries, UFO -> native -> UFO through the
// program: each value distinct, so that a bit or field taken for another shows.
#include <gtest/gtest.h>

#include "roundtrip_support.h"

namespace {

using namespace roundtrip;

struct InfoKey {
  const char* key;
  const char* value;  // the value element as written and as expected back
};

// Head flags: every bit that has a switch. Weight class 350, without a weight name,
// gets one whose class is 300.
// An odd underline thickness puts the top edge the file keeps on a half unit.
constexpr InfoKey kKeys[] = {
    {"familyName", "<string>Fam</string>"},
    {"styleName", "<string>Regular</string>"},
    {"styleMapFamilyName", "<string>Fam SL</string>"},
    {"styleMapStyleName", "<string>italic</string>"},
    {"versionMajor", "<integer>3</integer>"},
    {"versionMinor", "<integer>7</integer>"},
    {"year", "<integer>2015</integer>"},
    {"copyright", "<string>C</string>"},
    {"trademark", "<string>T</string>"},
    {"note", "<string>N</string>"},
    {"unitsPerEm", "<integer>2048</integer>"},
    {"ascender", "<integer>802</integer>"},
    {"descender", "<integer>-302</integer>"},
    {"xHeight", "<integer>503</integer>"},
    {"capHeight", "<integer>701</integer>"},
    {"italicAngle", "<real>-11.5</real>"},
    {"openTypeHeadCreated", "<string>2008/09/12 12:29:34</string>"},
    {"openTypeHeadLowestRecPPEM", "<integer>9</integer>"},
    {"openTypeHeadFlags",
     "<array><integer>0</integer><integer>2</integer><integer>5</integer><integer>7</integer>"
     "<integer>9</integer><integer>10</integer><integer>13</integer></array>"},
    {"openTypeHheaAscender", "<integer>950</integer>"},
    {"openTypeHheaDescender", "<integer>-250</integer>"},
    {"openTypeHheaLineGap", "<integer>33</integer>"},
    {"openTypeNameDesigner", "<string>D</string>"},
    {"openTypeNameDesignerURL", "<string>DU</string>"},
    {"openTypeNameManufacturer", "<string>M</string>"},
    {"openTypeNameManufacturerURL", "<string>MU</string>"},
    {"openTypeNameLicense", "<string>L</string>"},
    {"openTypeNameLicenseURL", "<string>LU</string>"},
    {"openTypeNameVersion", "<string>Version 3.007</string>"},
    {"openTypeNameUniqueID", "<string>UID</string>"},
    {"openTypeNameDescription", "<string>Desc</string>"},
    {"openTypeNameCompatibleFullName", "<string>CF</string>"},
    {"openTypeNameSampleText", "<string>ST</string>"},
    {"openTypeOS2WidthClass", "<integer>3</integer>"},
    {"openTypeOS2WeightClass", "<integer>350</integer>"},
    {"openTypeOS2Selection", "<array><integer>7</integer><integer>8</integer></array>"},
    {"openTypeOS2VendorID", "<string>ABCD</string>"},
    {"openTypeOS2Panose",
     "<array><integer>2</integer><integer>11</integer><integer>5</integer><integer>3</integer><integer>4</integer>"
     "<integer>5</integer><integer>6</integer><integer>7</integer><integer>8</integer><integer>9</integer></array>"},
    {"openTypeOS2FamilyClass", "<array><integer>8</integer><integer>2</integer></array>"},
    {"openTypeOS2UnicodeRanges",
     "<array><integer>0</integer><integer>1</integer><integer>60</integer><integer>127</integer></array>"},
    {"openTypeOS2CodePageRanges", "<array><integer>0</integer><integer>29</integer><integer>63</integer></array>"},
    {"openTypeOS2TypoAscender", "<integer>802</integer>"},
    {"openTypeOS2TypoDescender", "<integer>-302</integer>"},
    {"openTypeOS2TypoLineGap", "<integer>51</integer>"},
    {"openTypeOS2WinAscent", "<integer>1001</integer>"},
    {"openTypeOS2WinDescent", "<integer>402</integer>"},
    {"openTypeOS2Type", "<array><integer>2</integer><integer>8</integer></array>"},
    {"openTypeOS2SubscriptXSize", "<integer>601</integer>"},
    {"openTypeOS2SubscriptYSize", "<integer>602</integer>"},
    {"openTypeOS2SubscriptXOffset", "<integer>3</integer>"},
    {"openTypeOS2SubscriptYOffset", "<integer>-75</integer>"},
    {"openTypeOS2SuperscriptXSize", "<integer>603</integer>"},
    {"openTypeOS2SuperscriptYSize", "<integer>604</integer>"},
    {"openTypeOS2SuperscriptXOffset", "<integer>5</integer>"},
    {"openTypeOS2SuperscriptYOffset", "<integer>350</integer>"},
    {"openTypeOS2StrikeoutSize", "<integer>49</integer>"},
    {"openTypeOS2StrikeoutPosition", "<integer>260</integer>"},
    {"postscriptFontName", "<string>Fam-Regular</string>"},
    {"postscriptFullName", "<string>Fam Regular</string>"},
    {"postscriptUniqueID", "<integer>4001</integer>"},
    {"postscriptUnderlineThickness", "<integer>51</integer>"},
    {"postscriptUnderlinePosition", "<integer>-101</integer>"},
    {"postscriptIsFixedPitch", "<true/>"},
    {"postscriptBlueValues", "<array><integer>-12</integer><integer>0</integer><integer>500</integer><integer>512</integer></array>"},
    {"postscriptOtherBlues", "<array><integer>-250</integer><integer>-240</integer></array>"},
    {"postscriptFamilyBlues", "<array><integer>-13</integer><integer>0</integer><integer>501</integer><integer>513</integer></array>"},
    {"postscriptFamilyOtherBlues", "<array><integer>-251</integer><integer>-241</integer></array>"},
    {"postscriptStemSnapH", "<array><integer>67</integer><integer>78</integer></array>"},
    {"postscriptStemSnapV", "<array><integer>84</integer><integer>95</integer></array>"},
    {"postscriptBlueFuzz", "<integer>2</integer>"},
    {"postscriptBlueShift", "<integer>8</integer>"},
    {"postscriptBlueScale", "<real>0.0375</real>"},
    {"postscriptForceBold", "<true/>"},
    {"postscriptDefaultCharacter", "<string>space</string>"},
    {"macintoshFONDFamilyID", "<integer>129</integer>"},
    {"macintoshFONDName", "<string>FondName</string>"},
};

TEST(FontInfoRoundTrip, EveryCarriedKeyComesBackAsItWent) {
  Folder folder;
  std::string info;
  for (const InfoKey& entry : kKeys) info += std::string("<key>") + entry.key + "</key>" + entry.value;
  writeUfo(folder / "in.ufo", info, {{"a", glif("a", "<outline/>")}});
  const auto [there, back] = convertBothWays(folder);
  ASSERT_EQ(there.code, 0) << there.out;
  ASSERT_EQ(back.code, 0) << back.out;
  const std::string written = readText(folder / "back.ufo" / "fontinfo.plist");
  for (const InfoKey& entry : kKeys) EXPECT_EQ(valueOf(written, entry.key), entry.value) << entry.key;
}

// A weight class that is the default keeps taking its class from the weight name.
TEST(FontInfoRoundTrip, DefaultWeightClassFollowsTheWeightName) {
  Folder folder;
  writeUfo(folder / "in.ufo",
           "<key>familyName</key><string>Fam</string><key>postscriptWeightName</key><string>Bold</string>",
           {{"a", glif("a", "<outline/>")}});
  const auto [there, back] = convertBothWays(folder);
  ASSERT_EQ(back.code, 0) << there.out << back.out;
  EXPECT_EQ(valueOf(readText(folder / "back.ufo" / "fontinfo.plist"), "openTypeOS2WeightClass"),
            "<integer>700</integer>");
}

}  // namespace
