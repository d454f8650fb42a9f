// "fontinfo.plist" as read: older spellings, array keys, deferred metrics, and values
// that are out of range or not numbers.
#include <gtest/gtest.h>

#include <cmath>

#include "model/numbers.h"
#include "ufo/reader_warnings.h"
#include "ufo_fixtures.h"

namespace {

using ufotest::ReadResult;
using ufotest::TempUfo;

void readInfo(const std::string& body, ReadResult& result) {
  TempUfo ufo;
  ufo.write("fontinfo.plist", ufotest::plist(body));
  ufotest::readUfo(ufo, result);
  ASSERT_TRUE(result.ok) << result.out << result.err;
}

std::string line(const std::string& first) { return first; }
std::string line(double first) { return vn::formatShortest(std::round(first * 1e6) / 1e6); }
template <class First, class Second, class... Rest>
std::string line(const First& first, const Second& second, const Rest&... rest) {
  return line(first) + " " + line(second, rest...);
}

std::string integers(std::initializer_list<const char*> values, const char* element = "integer") {
  std::string out = "<array>";
  for (const char* v : values) out += std::string("<") + element + ">" + v + "</" + element + ">";
  return out + "</array>";
}

TEST(ReaderFontInfo, NamesMetricsAndDeferredUnitsPerEm) {
  ReadResult r;
  readInfo("<key>openTypeOS2TypoAscender</key><integer>800</integer>"
           "<key>familyName</key><string>Fam</string>"
           "<key>menuName</key><string>Menu</string>"
           "<key>ascender</key><real>712.5</real>"
           "<key>unitsPerEm</key><integer>2048</integer>"
           "<key>xHeight</key><string>not a number</string>"
           "<key>designer</key><string>Old spelling</string>"
           "<key>note</key><string>first</string><key>note</key><string>second</string>"
           "<key>openTypeOS2WeightClass</key><real>700</real>"
           "<key>openTypeOS2WidthClass</key><integer>3</integer>"
           "<key>styleMapStyleName</key><string>BOLD Italic</string>"
           "<key>versionMajor</key><integer>2</integer>"
           "<key>openTypeNamePreferredFamilyName</key><string>Fam</string>"
           "<key>openTypeHheaAscender</key><integer>99999999999999999999</integer>"
           "<key>postscriptForceBold</key><true/><key>trademark</key><string/>",
           r);
  const auto& m = r.style().metrics;
  // The later of two spellings wins; not a number: derived from units per em.
  EXPECT_EQ((std::vector<double>{m.unitsPerEm, m.ascender, m.xHeight, m.weightValue, m.widthValue}),
            (std::vector<double>{2048, 712.5, 1024, 700, 3}));
  EXPECT_FALSE(r.style().names.widthName.empty());
  const auto& n = r.style().names;
  EXPECT_EQ(n.familyName, "Fam");
  EXPECT_EQ(n.styleMapFamilyName, "Fam");  // the preferred family equal to the family name
  EXPECT_EQ(n.namedStrings, (std::map<std::string, std::string>{
                                {"designer", "Old spelling"}, {"note", "first"}, {"trademark", ""},
                                {"pref_family", "Fam"}, {"ufo_creator", "test"}, {"ufo_formatVersion", "2"}}));
  EXPECT_EQ(n.styleMapStyleName, "Bold Italic");
  EXPECT_TRUE(r.style().flags.isBold && r.style().flags.isItalic);
  EXPECT_EQ(n.version, "2.0");
  EXPECT_EQ(r.style().metrics.namedNumbers.count("hhea_ascender"), 1u);  // a huge integer is a real
  EXPECT_EQ(r.font().hinting.forceBold, 1);
  EXPECT_NE(r.out.find("not a number in range"), std::string::npos);
}

TEST(ReaderFontInfo, OutOfRangeValuesKeepTheirDefaults) {
  ReadResult r;
  readInfo("<key>unitsPerEm</key><integer>0</integer>"
           "<key>openTypeHeadCreated</key><string>2008/00/12 12:29:34</string>"
           "<key>postscriptBlueFuzz</key><integer>4294967296</integer>"
           "<key>openTypeOS2WeightClass</key><integer>-5</integer>"
           "<key>macintoshFONDFamilyID</key><integer>70000</integer>"
           "<key>year</key><string>20x1</string>",
           r);
  EXPECT_EQ((std::vector<double>{r.style().metrics.unitsPerEm, r.style().metrics.ascender,
                                 r.style().metrics.weightValue, double(r.font().hinting.blueFuzz),
                                 double(r.font().fileInfo.fondId)}),
            (std::vector<double>{1000, 750, 400, 1, 0}));
  EXPECT_EQ(r.style().namedIntegers.count("year"), 0u);
  EXPECT_EQ(r.style().names.version, "1.0");

  ReadResult dated;
  readInfo("<key>openTypeHeadCreated</key><string>2008/09/12 12:29:34</string>", dated);
  const std::tm& created = dated.font().created;
  EXPECT_EQ((std::vector<int>{created.tm_year, created.tm_mon, created.tm_mday, created.tm_sec}),
            (std::vector<int>{108, 8, 12, 34}));
}

TEST(ReaderFontInfo, ArrayKeys) {
  ReadResult r;
  readInfo("<key>openTypeOS2UnicodeRanges</key>" + integers({"0", "-1", "127", "128", "2147483648"}) +
               "<key>openTypeOS2CodePageRanges</key>" + integers({"-64", "63", "1.9"}, "real") +
               "<key>openTypeHeadFlags</key>" + integers({"0", "6", "13"}) +
               "<key>openTypeOS2Type</key>" + integers({"3", "1", "8"}) +
               "<key>openTypeOS2Selection</key>" + integers({"0", "7", "10"}) +
               "<key>openTypeOS2Panose</key>" + integers({"2", "11", "5", "3", "3", "4", "3", "2", "2", "4"}) +
               "<key>openTypeOS2FamilyClass</key>" + integers({"8", "15"}) +
               "<key>postscriptBlueValues</key>" + integers({"-15", "0", "500", "515", "700.5", "712"}, "real") +
               "<key>postscriptOtherBlues</key>" + integers({"-250", "-240"}) +
               "<key>postscriptStemSnapH</key>" + integers({"80", "x", "90"}),
           r);
  const auto& t = r.style().tables;
  std::vector<int> unicodeBits;
  for (std::size_t i = 0; i < t.unicodeRanges.size(); ++i) {
    if (t.unicodeRanges[i]) unicodeBits.push_back(static_cast<int>(i));
  }
  EXPECT_EQ(unicodeBits, (std::vector<int>{0, 127}));
  EXPECT_TRUE(t.codePageRanges[63] && t.codePageRanges[1]);
  const auto& f = r.style().flags;
  EXPECT_TRUE(f.headFlags.flags[0] && f.headFlags.flags[12]);
  EXPECT_FALSE(f.headFlags.flags[6]);
  EXPECT_EQ(f.embedding.kind, 3u);
  EXPECT_EQ(f.embedding.noSubsetting, 1);
  EXPECT_TRUE(f.selectionFlags.flags[7]);
  EXPECT_FALSE(f.selectionFlags.flags[0]);
  EXPECT_EQ(r.style().names.namedStrings.at("panose"), "2 11 5 3 3 4 3 2 2 4");
  EXPECT_EQ(r.style().namedIntegers.at("ibm_family_class"), 8 * 256 + 15);
  std::string zones;
  for (const vn::Zone& z : r.font().hinting.zones2) zones += line(z.kind, z.position, z.width) + ";";
  EXPECT_EQ(zones, "0 0 15;1 500 15;1 700 12;0 -240 10;");
  EXPECT_EQ(r.font().hinting.stemsH2.size(), 2u);

  ReadResult rejected;
  readInfo("<key>openTypeOS2Panose</key>" + integers({"1", "2", "3", "4", "5", "6", "7", "8", "9"}) +
               "<key>openTypeOS2FamilyClass</key>" + integers({"15", "0"}),
           rejected);
  EXPECT_EQ(rejected.style().names.namedStrings.count("panose"), 0u);
  EXPECT_EQ(rejected.style().namedIntegers.count("ibm_family_class"), 0u);
}

TEST(ReaderFontInfo, Ufo3GuidelinesBecomeFontGuidesAndOtherKeysAreReported) {
  ReadResult r;
  readInfo("<key>woffMajorVersion</key><integer>1</integer>"
           "<key>openTypeNameRecords</key><array><dict><key>nameID</key><integer>9</integer></dict></array>"
           "<key>guidelines</key><array>"
           "<dict><key>x</key><integer>10</integer><key>y</key><integer>0</integer>"
           "<key>angle</key><integer>90</integer><key>name</key><string>stem</string></dict>"
           "<dict><key>y</key><real>-20.5</real></dict>"
           "<dict><key>x</key><integer>3</integer><key>y</key><integer>4</integer></dict>"
           "<string>not a guideline</string></array>",
           r);
  std::string guides;  // a point without an angle makes no line
  for (const vn::Guide& g : r.font().guideLayer()->guides) guides += line(g.name, g.x1, g.y1, g.x2, g.y2) + ";";
  EXPECT_EQ(guides, "stem 10 0 10 100; 0 -20.5 100 -20.5;");
  EXPECT_EQ(r.out.find("guidelines"), std::string::npos) << r.out;
  // Keys this program does not read: one line for all of them; and the guide at -20.5.
  EXPECT_EQ(ufotest::countOf(ufotest::withoutFontInfoChanges(r.out), "Warning: "), 2) << r.out;
  EXPECT_NE(r.out.find(std::string(ufo::warning::kMovedGuidesLine) + ": font\n"), std::string::npos) << r.out;
  EXPECT_EQ(ufotest::countOf(r.out, "woffMajorVersion"), 1) << r.out;
}

}  // namespace
