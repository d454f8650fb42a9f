// UFO -> native -> UFO of structures the native file cannot hold as they stand: the
// rest of the font is kept, and each change is named on a warning line of its kind.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "ufo/reader_warnings.h"

#include "ufo_fixtures.h"

namespace {

using namespace ufotest;

// The one warning line that holds `part`, or "" when none or several do.
std::string lineWith(const std::string& lines, const std::string& part) {
  std::string found;
  int count = 0;
  std::istringstream in(lines);
  for (std::string line; std::getline(in, line);) {
    if (line.find(part) != std::string::npos) found = line, ++count;
  }
  return count == 1 ? found : std::string();
}

const char* const kKerningGroups =
    "<key>public.kern1.A</key><array><string>A</string><string>B</string></array>"
    "<key>public.kern1.C</key><array><string>C</string></array>"
    "<key>public.kern2.V</key><array><string>V</string><string>W</string></array>"
    "<key>public.kern2.o</key><array><string>o</string><string>e</string></array>";

std::vector<GlyphFile> kerningGlyphs() {
  std::vector<GlyphFile> glyphs;
  for (const char* name : {"A", "B", "C", "V", "W", "o", "e"}) glyphs.push_back({name, glif(name, "")});
  return glyphs;
}

// One pair naming a group that does not exist leaves the class pairs as they were.
TEST(AnnouncedLosses, PairNamingMissingGroupIsDroppedAndClassesKept) {
  struct Case {
    const char* label;
    const char* firstPairs;  // added to the pairs of the first class
    const char* moreSides;   // added after the last first side
  };
  const Case cases[] = {
      {"clean", "", ""},
      {"second side missing", "<key>public.kern2.W_missing</key><integer>-5</integer>", ""},
      {"first side missing", "",
       "<key>public.kern1.Q_missing</key><dict><key>public.kern2.o</key><integer>7</integer></dict>"},
      {"both", "<key>@MMK_R_gone</key><integer>-5</integer>",
       "<key>@MMK_L_gone</key><dict><key>V</key><integer>7</integer></dict>"},
  };
  std::string reference;
  for (const Case& c : cases) {
    TempFolder folder;
    const std::string kerning = "<key>public.kern1.A</key><dict><key>public.kern2.V</key><integer>-80</integer>" +
                                std::string(c.firstPairs) +
                                "</dict><key>public.kern1.C</key><dict><key>public.kern2.o</key><integer>-20</integer>"
                                "</dict>" +
                                c.moreSides;
    writeUfo(folder.path() / "in.ufo", "<key>familyName</key><string>F</string>", kerningGlyphs(), {}, kerning,
             kKerningGroups);
    const auto [there, back] = convertBothWays(folder);
    ASSERT_EQ(there.code, 0) << c.label << there.out;
    ASSERT_EQ(back.code, 0) << c.label << back.out;
    const std::string written = readFile(folder.path() / "back.ufo" / "kerning.plist");
    EXPECT_EQ(countOf(written, "<integer>"), 2) << c.label << "\n" << written;
    EXPECT_NE(written.find("public.kern1.A"), std::string::npos) << c.label << "\n" << written;
    if (reference.empty()) {
      reference = written;
      EXPECT_EQ(lineWith(warningLines(there.out), "group that does not exist"), "") << there.out;
    } else {
      EXPECT_EQ(written, reference) << c.label;
      const std::string line = lineWith(warningLines(there.out), "group that does not exist");
      EXPECT_TRUE(line.find("_missing") != std::string::npos || line.find("_gone") != std::string::npos)
          << c.label << "\n" << there.out;
    }
  }
}

// A coordinate of half a unit, a component of a composite and a component beside a
// contour: the shapes are kept as the native file can hold them, each change named.
TEST(AnnouncedLosses, GlyphStructureChangesAreNamedByKind) {
  TempFolder folder;
  const std::vector<GlyphFile> glyphs = {
      {"a", glif("a", "<outline><contour><point x=\"0\" y=\"0\" type=\"line\"/><point x=\"100.5\" y=\"0\" "
                      "type=\"line\"/><point x=\"100.5\" y=\"100\" type=\"line\"/></contour></outline>")},
      {"b", glif("b", "<outline><component base=\"a\"/></outline>")},
      {"c", glif("c", "<outline><component base=\"b\" xOffset=\"10\"/></outline>")},
      {"d", glif("d", "<outline><component base=\"a\"/><contour><point x=\"0\" y=\"200\" type=\"line\"/>"
                      "<point x=\"50\" y=\"200\" type=\"line\"/><point x=\"50\" y=\"250\" type=\"line\"/></contour>"
                      "</outline>")},
      {"f", glif("f", "<outline><component base=\"a\" xOffset=\"0.5\"/></outline>")},
      {"g", glif("g", "<outline><component base=\"a\" xyScale=\"0.5\"/></outline>")},
  };
  writeUfo(folder.path() / "in.ufo", "<key>familyName</key><string>F</string>", glyphs);
  const auto [there, back] = convertBothWays(folder);
  ASSERT_EQ(there.code, 0) << there.out;
  ASSERT_EQ(back.code, 0) << back.out;
  const std::string lines = warningLines(there.out);
  const struct {
    const char* part;
    std::vector<std::string> named;
    std::vector<std::string> notNamed;
  } kinds[] = {
      {"points that are not whole numbers are rounded", {": a"}, {"b", "c", "d", "f", "g"}},
      {"not whole numbers are truncated", {": f (component offset)"}, {"a", "b", "c", "d", "g"}},
      {"re-pointed", {": c"}, {"a", "b", "d", "f", "g"}},
      {"decomposed", {"d", "g"}, {"a", "b", "c", "f"}},
  };
  for (const auto& kind : kinds) {
    const std::string line = lineWith(lines, kind.part);
    ASSERT_FALSE(line.empty()) << kind.part << "\n" << there.out;
    const std::string names = line.substr(line.rfind(':'));
    for (const std::string& name : kind.named) EXPECT_NE(line.find(name), std::string::npos) << line;
    for (const std::string& name : kind.notNamed) {
      EXPECT_EQ((names + ",").find(" " + name + ","), std::string::npos) << name << " in " << line;
    }
  }
  // The shapes as before: c stands on a with b's offset, d is all contours.
  const std::string c = readFile(folder.path() / "back.ufo" / "glyphs" / "c.glif");
  EXPECT_NE(c.find("base=\"a\""), std::string::npos) << c;
  EXPECT_NE(c.find("xOffset=\"10\""), std::string::npos) << c;
  const std::string d = readFile(folder.path() / "back.ufo" / "glyphs" / "d.glif");
  EXPECT_EQ(d.find("<component"), std::string::npos) << d;
  EXPECT_EQ(countOf(d, "<contour"), 2) << d;
}

// The native file holds whole units: contour points are rounded, advances, anchors and
// component offsets truncated toward zero. The values come back so, and the two warning
// lines say which glyph lost what.
TEST(AnnouncedLosses, WholeUnitsRoundedOrTruncatedAsTheLinesSay) {
  TempFolder folder;
  auto withAdvance = [](const std::string& name, const char* width, const std::string& inner) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<glyph name=\"" + name + "\" format=\"2\">\n"
           "<advance width=\"" + width + "\"/>\n" + inner + "\n</glyph>\n";
  };
  const std::vector<GlyphFile> glyphs = {
      {"a", withAdvance("a", "500.7",
                        "<anchor x=\"99.8\" y=\"-0.6\" name=\"top\"/><outline><contour>"
                        "<point x=\"10.7\" y=\"0\" type=\"line\"/><point x=\"10.7\" y=\"100.6\" type=\"line\"/>"
                        "<point x=\"-20.7\" y=\"100.6\" type=\"line\"/></contour></outline>")},
      {"b", withAdvance("b", "500", "<outline><component base=\"a\" xOffset=\"475.667\" yOffset=\"-10.7\"/>"
                                    "</outline>")},
      {"c", withAdvance("c", "-300.5", "<outline><contour><point x=\"-5.5\" y=\"0\" type=\"line\"/>"
                                       "<point x=\"5\" y=\"0\" type=\"line\"/><point x=\"5\" y=\"5\" type=\"line\"/>"
                                       "</contour></outline>")},
      {"d", withAdvance("d", "600", "<outline><component base=\"a\" xOffset=\"10\"/></outline>")},
  };
  writeUfo(folder.path() / "in.ufo", "<key>familyName</key><string>F</string>", glyphs);
  const auto [there, back] = convertBothWays(folder);
  ASSERT_EQ(there.code, 0) << there.out;
  ASSERT_EQ(back.code, 0) << back.out;
  const std::string lines = warningLines(there.out);
  EXPECT_EQ(lineWith(lines, "rounded"),
            std::string("Warning: ") + ufo::warning::kRoundedCoordinatesLine + ": a, c") << lines;
  EXPECT_EQ(lineWith(lines, "truncated"), std::string("Warning: ") + ufo::warning::kTruncatedValuesLine +
                                              ": a (advance width, anchor), b (component offset), c (advance width)")
      << lines;

  const auto glyph = [&](const char* name) { return readFile(folder.path() / "back.ufo" / "glyphs" / name); };
  const std::string a = glyph("a.glif");
  EXPECT_NE(a.find("<advance width=\"500\""), std::string::npos) << a;
  EXPECT_NE(a.find("x=\"99\" y=\"0\" type=\"move\" name=\"top\""), std::string::npos) << a;
  for (const char* point : {"x=\"11\" y=\"0\"", "x=\"11\" y=\"101\"", "x=\"-21\" y=\"101\""}) {
    EXPECT_NE(a.find(point), std::string::npos) << point << "\n" << a;
  }
  const std::string b = glyph("b.glif");
  EXPECT_NE(b.find("xOffset=\"475\" yOffset=\"-10\""), std::string::npos) << b;
  const std::string c = glyph("c.glif");
  EXPECT_NE(c.find("<advance width=\"-300\""), std::string::npos) << c;
  EXPECT_NE(c.find("x=\"-6\" y=\"0\""), std::string::npos) << c;
}

// Kerning values beyond 32 bits are clamped and fractions truncated, as the native file
// stores them; each gets one line naming its pairs, with the value the file gave.
TEST(AnnouncedLosses, KerningValuesClampedOrTruncatedAreNamed) {
  TempFolder folder;
  std::vector<GlyphFile> glyphs;
  for (const char* name : {"g0", "g1", "g2", "g3", "g4", "g5"}) glyphs.push_back({name, glif(name, "")});
  writeUfo(folder.path() / "in.ufo", "<key>familyName</key><string>F</string>", glyphs, {},
           "<key>g0</key><dict><key>g1</key><integer>1099511627776</integer><key>g4</key><real>-10.7</real>"
           "<key>g5</key><integer>40000</integer></dict>"
           "<key>g2</key><dict><key>g3</key><integer>-1099511627776</integer><key>g5</key><real>2147483647.5</real>"
           "</dict>"
           "<key>public.kern1.L</key><dict><key>g5</key><real>1e12</real></dict>",
           "<key>public.kern1.L</key><array><string>g3</string><string>g4</string></array>");
  const auto [there, back] = convertBothWays(folder);
  ASSERT_EQ(there.code, 0) << there.out;
  ASSERT_EQ(back.code, 0) << back.out;
  const std::string lines = warningLines(there.out);
  EXPECT_EQ(lineWith(lines, "kerning values beyond"),
            std::string("Warning: ") + ufo::warning::kClampedKerningLine +
                ": g0 g1 (1099511627776), g2 g3 (-1099511627776), public.kern1.L g5 (1e12)")
      << lines;
  EXPECT_EQ(lineWith(lines, "kerning values that are not whole"),
            std::string("Warning: ") + ufo::warning::kTruncatedKerningLine + ": g0 g4 (-10.7), g2 g5 (2147483647.5)")
      << lines;
  const std::string kerning = readFile(folder.path() / "back.ufo" / "kerning.plist");
  for (const auto& [first, second, value] :
       {std::tuple{"g0", "g1", "<integer>2147483647</integer>"}, {"g2", "g3", "<integer>-2147483648</integer>"},
        {"g0", "g4", "<integer>-10</integer>"}, {"g0", "g5", "<integer>40000</integer>"},
        {"g2", "g5", "<integer>2147483647</integer>"}}) {
    EXPECT_EQ(valueOf(valueOf(kerning, first), second), value) << first << " " << second << "\n" << kerning;
  }
}

}  // namespace
