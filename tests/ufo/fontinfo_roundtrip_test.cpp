// fontinfo.plist keys UFO -> native -> UFO through the program: the bit arrays, the
// shared metrics and the keys the corpus fonts do not carry (the corpus round trip
// compares the others); each value distinct, so that a bit or field taken for another shows.
#include <gtest/gtest.h>

#include "ufo_fixtures.h"

namespace {

using namespace ufotest;
namespace fs = std::filesystem;

struct InfoKey {
  const char* key;
  const char* value;  // the value element as written and as expected back
};

// Head flags: every bit that has a switch. Weight class 350, without a weight name,
// gets one whose class is 300.
// An odd underline thickness puts the top edge the file keeps on a half unit.
constexpr InfoKey kKeys[] = {
    {"familyName", "<string>Fam</string>"},
    {"styleMapFamilyName", "<string>Fam SL</string>"},
    {"styleMapStyleName", "<string>italic</string>"},
    {"note", "<string>N</string>"},
    {"ascender", "<integer>802</integer>"},
    {"descender", "<integer>-302</integer>"},
    {"openTypeHeadFlags",
     "<array><integer>0</integer><integer>2</integer><integer>5</integer><integer>7</integer>"
     "<integer>9</integer><integer>10</integer><integer>13</integer></array>"},
    {"openTypeNameVersion", "<string>Version 3.007</string>"},
    {"openTypeNameUniqueID", "<string>UID</string>"},
    {"openTypeNameCompatibleFullName", "<string>CF</string>"},
    {"openTypeOS2WeightClass", "<integer>350</integer>"},
    {"openTypeOS2Selection", "<array><integer>7</integer><integer>8</integer></array>"},
    {"openTypeOS2Panose",
     "<array><integer>2</integer><integer>11</integer><integer>5</integer><integer>3</integer><integer>4</integer>"
     "<integer>5</integer><integer>6</integer><integer>7</integer><integer>8</integer><integer>9</integer></array>"},
    {"openTypeOS2FamilyClass", "<array><integer>8</integer><integer>2</integer></array>"},
    {"openTypeOS2UnicodeRanges",
     "<array><integer>0</integer><integer>1</integer><integer>60</integer><integer>127</integer></array>"},
    {"openTypeOS2CodePageRanges", "<array><integer>0</integer><integer>29</integer><integer>63</integer></array>"},
    {"openTypeOS2Type", "<array><integer>2</integer><integer>8</integer></array>"},
    {"postscriptFullName", "<string>Fam Regular</string>"},
    {"postscriptUnderlineThickness", "<integer>51</integer>"},
    {"macintoshFONDFamilyID", "<integer>129</integer>"},
    {"macintoshFONDName", "<string>FondName</string>"},
};

TEST(FontInfoRoundTrip, EveryCarriedKeyComesBackAsItWent) {
  TempFolder folder;
  std::string info;
  for (const InfoKey& entry : kKeys) info += std::string("<key>") + entry.key + "</key>" + entry.value;
  writeUfo(folder.path() / "in.ufo", info, {{"a", glif("a", "<outline/>")}});
  const auto [there, back] = convertBothWays(folder);
  ASSERT_EQ(there.code, 0) << there.out;
  ASSERT_EQ(back.code, 0) << back.out;
  const std::string written = readFile(folder.path() / "back.ufo" / "fontinfo.plist");
  for (const InfoKey& entry : kKeys) EXPECT_EQ(valueOf(written, entry.key), entry.value) << entry.key;
}

// A weight class that is the default keeps taking its class from the weight name.
TEST(FontInfoRoundTrip, DefaultWeightClassFollowsTheWeightName) {
  TempFolder folder;
  writeUfo(folder.path() / "in.ufo",
           "<key>familyName</key><string>Fam</string><key>postscriptWeightName</key><string>Bold</string>",
           {{"a", glif("a", "<outline/>")}});
  const auto [there, back] = convertBothWays(folder);
  ASSERT_EQ(back.code, 0) << there.out << back.out;
  EXPECT_EQ(valueOf(readFile(folder.path() / "back.ufo" / "fontinfo.plist"), "openTypeOS2WeightClass"),
            "<integer>700</integer>");
}

}  // namespace
