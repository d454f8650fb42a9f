// Glyph data UFO -> native -> UFO through the program: contours that start inside
// their last segment, and mark colours that must settle after the first conversion.
#include <gtest/gtest.h>

#include <regex>

#include "ufo_fixtures.h"

namespace {

using namespace ufotest;
namespace fs = std::filesystem;

// "x,y,type" per point of each contour of a glyph file ("off" for an off-curve point),
// each closed contour turned to its smallest rotation: where a contour starts is not
// compared, its points and their types are.
std::vector<std::vector<std::string>> contours(const std::string& glifText) {
  std::vector<std::vector<std::string>> result;
  const std::regex contour("<contour>([\\s\\S]*?)</contour>");
  const std::regex point("<point([^>]*)/>");
  const std::regex attribute("(\\w+)=\"([^\"]*)\"");
  for (std::sregex_iterator c(glifText.begin(), glifText.end(), contour), end; c != end; ++c) {
    std::vector<std::string> points;
    const std::string body = (*c)[1];
    for (std::sregex_iterator p(body.begin(), body.end(), point); p != end; ++p) {
      std::string x, y, type = "off";
      const std::string attributes = (*p)[1];
      for (std::sregex_iterator a(attributes.begin(), attributes.end(), attribute); a != end; ++a) {
        if ((*a)[1] == "x") x = (*a)[2];
        if ((*a)[1] == "y") y = (*a)[2];
        if ((*a)[1] == "type" && (*a)[2] != "offcurve") type = (*a)[2];
      }
      points.push_back(x + "," + y + "," + type);
    }
    std::vector<std::string> smallest = points;
    for (size_t i = 1; i < points.size(); ++i) {
      std::rotate(points.begin(), points.begin() + 1, points.end());
      smallest = std::min(smallest, points);
    }
    result.push_back(smallest);
  }
  return result;
}

std::string pointsXml(const std::vector<std::string>& points) {
  std::string xml = "<contour>";
  for (const std::string& p : points) {
    const size_t a = p.find(','), b = p.rfind(',');
    xml += "<point x=\"" + p.substr(0, a) + "\" y=\"" + p.substr(a + 1, b - a - 1) + "\"";
    if (p.substr(b + 1) != "off") xml += " type=\"" + p.substr(b + 1) + "\"";
    xml += "/>";
  }
  return xml + "</contour>";
}

// Closed contours listed from inside their last segment, cubic and quadratic, with
// one and two off-curve points before the first on-curve point, and with off-curve
// points at both ends.
const std::vector<std::vector<std::string>> kWrapped = {
    {"476,947,off", "450,934,curve", "450,83,line", "476,58,line", "503,64,off", "539,79,off", "561,89,curve",
     "561,943,line", "537,966,line", "510,959,off"},
    {"20,90,off", "0,60,off", "0,0,curve", "100,0,line", "100,100,line"},
    {"30,100,off", "0,50,qcurve", "0,0,line", "100,0,line"},
    {"40,100,off", "0,80,off", "0,0,qcurve", "100,0,line", "100,100,line"},
    {"30,100,off", "0,50,qcurve", "0,0,line", "100,0,line", "80,90,off"},
};

TEST(FaithfulGlyphs, ContoursStartingWithOffCurvePointsKeepTheirSegments) {
  TempFolder folder;
  std::vector<GlyphFile> glyphs;
  for (size_t i = 0; i < kWrapped.size(); ++i) {
    const std::string name = "g" + std::to_string(i);
    glyphs.push_back({name, glif(name, "<outline>" + pointsXml(kWrapped[i]) + "</outline>")});
  }
  writeUfo(folder.path() / "in.ufo", "<key>familyName</key><string>F</string>", glyphs);
  const auto [there, back] = convertBothWays(folder);
  ASSERT_EQ(back.code, 0) << there.out << back.out;
  for (size_t i = 0; i < kWrapped.size(); ++i) {
    const std::string name = "g" + std::to_string(i);
    const auto expected = contours(glif(name, pointsXml(kWrapped[i])));
    EXPECT_EQ(contours(readFile(folder.path() / "back.ufo" / "glyphs" / (name + ".glif"))), expected) << name;
  }
}

// Closed contours whose last on-curve point stands on their first: the zero-length
// closing segment is a point of its own and must come back, however the contour ends.
// A closed contour of one point (a mark some fonts keep) stays closed.
const std::vector<std::vector<std::string>> kRepeatedStart = {
    {"-512,1147,line"},
    {"419,408,line", "419,408,line"},
    {"0,0,line", "100,0,line", "100,100,line", "0,0,line"},
    {"0,0,line", "100,0,line", "100,60,off", "40,100,off", "0,0,curve"},
    {"0,0,line", "100,0,line", "50,100,off", "0,0,qcurve"},
    {"0,0,line", "100,0,line", "100,100,line", "0,0,line", "0,0,line"},
    {"30,100,off", "0,50,qcurve", "0,0,line", "100,0,line", "0,50,line"},
};

TEST(FaithfulGlyphs, ClosedContoursEndingOnTheirStartKeepEveryPoint) {
  TempFolder folder;
  std::vector<GlyphFile> glyphs;
  for (size_t i = 0; i < kRepeatedStart.size(); ++i) {
    const std::string name = "r" + std::to_string(i);
    glyphs.push_back({name, glif(name, "<outline>" + pointsXml(kRepeatedStart[i]) + "</outline>")});
  }
  writeUfo(folder.path() / "in.ufo", "<key>familyName</key><string>F</string>", glyphs);
  const auto [there, back] = convertBothWays(folder);
  ASSERT_EQ(back.code, 0) << there.out << back.out;
  for (size_t i = 0; i < kRepeatedStart.size(); ++i) {
    const std::string name = "r" + std::to_string(i);
    const auto expected = contours(glif(name, pointsXml(kRepeatedStart[i])));
    EXPECT_EQ(contours(readFile(folder.path() / "back.ufo" / "glyphs" / (name + ".glif"))), expected) << name;
  }
}

std::string markArray(const char* red, const char* green, const char* blue) {
  return std::string("<lib><dict><key>com.typemytype.robofont.mark</key><array><real>") + red + "</real><real>" +
         green + "</real><real>" + blue + "</real><real>1</real></array></dict></lib>";
}

std::string markOf(const fs::path& glifPath) {
  return valueOf(readFile(glifPath), "com.typemytype.robofont.mark");
}

// The first conversion may move a colour onto the format's hue scale; from then on a
// colour stays, and a native file converted to a UFO and back keeps its bytes.
TEST(FaithfulGlyphs, MarkColoursSettleAfterTheFirstConversion) {
  TempFolder folder;
  const std::vector<GlyphFile> glyphs = {
      // One of the Roboto colours (the corpus round trip settles all of its glyphs).
      {"c", glif("c", markArray("0.609", "1", "0.6"))},
      // UFO 3: the mark colour as a string.
      {"f", glif("f", "<lib><dict><key>public.markColor</key><string>0,0.5,1,1</string></dict></lib>", 2)},
  };
  writeUfo(folder.path() / "in.ufo",
           "<key>familyName</key><string>F</string><key>styleName</key><string>Regular</string>"
           "<key>openTypeHeadCreated</key><string>2020/01/02 03:04:05</string>",
           glyphs);
  const auto [there, back] = convertBothWays(folder);
  ASSERT_EQ(back.code, 0) << there.out << back.out;
  const auto path = [&](const char* name) { return shellQuote((folder.path() / name).string()); };
  ASSERT_EQ(tarnwick("-fo " + path("back.ufo") + " " + path("again.qtf")).code, 0);
  ASSERT_EQ(tarnwick("-fo " + path("again.qtf") + " " + path("again.ufo")).code, 0);
  for (const GlyphFile& glyph : glyphs) {
    const std::string first = markOf(folder.path() / "back.ufo" / "glyphs" / (glyph.name + ".glif"));
    EXPECT_NE(first, "") << glyph.name;
    EXPECT_EQ(markOf(folder.path() / "again.ufo" / "glyphs" / (glyph.name + ".glif")), first) << glyph.name;
  }
  EXPECT_TRUE(readFile(folder.path() / "font.qtf") == readFile(folder.path() / "again.qtf"));
}

}  // namespace

namespace {

std::string roundDict(const std::vector<std::pair<int, int>>& entries) {
  std::string dict = "<dict>";
  for (const auto& [ppem, width] : entries) {
    dict += "<key>" + std::to_string(ppem) + "</key><integer>" + std::to_string(width) + "</integer>";
  }
  return dict + "</dict>";
}

std::string stemEntry(const std::string& name, bool horizontal, const std::string& round) {
  return "<key>" + name + "</key><dict><key>horizontal</key>" + (horizontal ? "<true/>" : "<false/>") +
         (round.empty() ? "" : "<key>round</key>" + round) + "<key>width</key><integer>100</integer></dict>";
}

// Stem rounding (pixel width by ppem) travels in the six steps of the native stem record.
TEST(FaithfulGlyphs, StemRoundingComesBackOrIsReported) {
  TempFolder folder;
  const std::string full = roundDict({{0, 1}, {14, 2}, {24, 3}, {33, 4}, {42, 5}, {51, 6}});
  const std::string partial = roundDict({{12, 2}, {30, 4}});
  const std::string lib = "<key>com.quorvel.v2.tth</key><dict><key>stems</key><dict>" +
                          stemEntry("full", false, full) + stemEntry("partial", true, partial) +
                          stemEntry("beyond", true, roundDict({{10, 2}, {20, 2}, {30, 9}})) +
                          stemEntry("plain", true, "") + "</dict></dict>";
  writeUfo(folder.path() / "in.ufo", "<key>familyName</key><string>F</string>", {{"a", glif("a", "<outline/>")}}, lib);
  const auto [there, back] = convertBothWays(folder);
  ASSERT_EQ(back.code, 0) << there.out << back.out;
  const std::string written = readFile(folder.path() / "back.ufo" / "lib.plist");
  const std::string stems = valueOf(written, "stems");
  EXPECT_EQ(valueOf(valueOf(stems, "full"), "round"), full);
  // One pixel from ppem 0 is what a stem without that entry has anyway; it comes back
  // spelled out.
  EXPECT_EQ(valueOf(valueOf(stems, "partial"), "round"), roundDict({{0, 1}, {12, 2}, {30, 4}}));
  EXPECT_EQ(valueOf(valueOf(stems, "beyond"), "round"), roundDict({{0, 1}, {10, 2}}));
  EXPECT_EQ(valueOf(valueOf(stems, "plain"), "round"), "");
  EXPECT_NE(there.out.find("stem rounding entries beyond the six pixel widths the native stem record holds are "
                           "left out: beyond\n"),
            std::string::npos)
      << there.out;
}

}  // namespace
