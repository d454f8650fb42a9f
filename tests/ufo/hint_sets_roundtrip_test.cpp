// PostScript hint sets UFO -> native -> UFO through the program, and the sets the
// autohinter makes: every set comes back, at its point, with its stems.
#include <gtest/gtest.h>

#include <regex>

#include "hinting/autohint_glyph.h"
#include "model/layer.h"
#include "support/qtf_builder.h"
#include "ufo/hint_sets.h"
#include "ufo_fixtures.h"

namespace {

using namespace ufotest;

// One hint set as (index of the point its tag names, its stem lines in order).
using HintSet = std::pair<int, std::vector<std::string>>;

// The hint sets of a glyph file, with each tag turned into its point's index.
std::vector<HintSet> hintSets(const std::string& glifText) {
  std::map<std::string, int> pointIndex;
  const std::regex point("<point([^>]*)/>");
  const std::regex name("name=\"([^\"]*)\"");
  int index = 0;
  for (std::sregex_iterator p(glifText.begin(), glifText.end(), point), end; p != end; ++p, ++index) {
    std::smatch found;
    const std::string attributes = (*p)[1];
    if (std::regex_search(attributes, found, name)) pointIndex.emplace(found[1], index);
  }
  std::vector<HintSet> sets;
  const std::regex set("<hintset pointTag=\"([^\"]*)\">([\\s\\S]*?)</hintset>");
  const std::regex stem("<([hv]stem3?)([^/]*)/>");
  for (std::sregex_iterator s(glifText.begin(), glifText.end(), set), end; s != end; ++s) {
    const auto at = pointIndex.find((*s)[1]);
    HintSet entry{at == pointIndex.end() ? -1 : at->second, {}};
    const std::string body = (*s)[2];
    for (std::sregex_iterator t(body.begin(), body.end(), stem); t != end; ++t) {
      std::string attributes = (*t)[2];
      attributes.erase(std::remove(attributes.begin(), attributes.end(), ' '), attributes.end());
      entry.second.push_back(std::string((*t)[1]) + attributes);
    }
    sets.push_back(entry);
  }
  return sets;
}

// Three squares of four points: contours start at points 0, 4 and 8.
std::string threeSquares() {
  std::string text = "<outline>";
  for (int k = 0; k < 3; ++k) {
    const int x = 300 * k;
    const int y = 100 * k;
    text += "<contour>";
    const int corners[4][2] = {{x, y}, {x + 100, y}, {x + 100, y + 200}, {x, y + 200}};
    for (int i = 0; i < 4; ++i) {
      text += "<point x=\"" + std::to_string(corners[i][0]) + "\" y=\"" + std::to_string(corners[i][1]) +
              "\" type=\"line\" name=\"p" + std::to_string(4 * k + i) + "\"/>";
    }
    text += "</contour>";
  }
  return text + "</outline>";
}

std::string hintSetList(const std::vector<HintSet>& sets) {
  std::string text = "<hintSetList>";
  for (const auto& [point, stems] : sets) {
    text += "<hintset pointTag=\"p" + std::to_string(point) + "\">";
    for (const std::string& stem : stems) {
      const size_t pos = stem.find("pos="), width = stem.find("width=");
      text += "<" + stem.substr(0, pos) + " " + stem.substr(pos, width - pos) + " " + stem.substr(width) + "/>";
    }
    text += "</hintset>";
  }
  return text + "</hintSetList>";
}

struct HintCase {
  const char* label;
  std::vector<HintSet> sets;
};

const std::vector<HintCase> kHintCases = {
    {"one set at point 0", {{0, {"hstempos=\"0\"width=\"200\"", "vstempos=\"0\"width=\"100\""}}}},
    {"one set later", {{4, {"hstempos=\"100\"width=\"200\""}}}},
    {"two sets, the first at point 0",
     {{0, {"hstempos=\"0\"width=\"200\"", "vstempos=\"0\"width=\"100\""}},
      {4, {"hstempos=\"100\"width=\"200\"", "vstempos=\"300\"width=\"100\""}}}},
    {"two sets, the first later", {{4, {"vstempos=\"300\"width=\"100\""}}, {8, {"vstempos=\"600\"width=\"100\""}}}},
    {"three sets, the first at point 0",
     {{0, {"hstempos=\"0\"width=\"200\""}},
      {4, {"hstempos=\"100\"width=\"200\""}},
      {8, {"hstempos=\"200\"width=\"200\"", "vstempos=\"600\"width=\"100\""}}}},
    {"three sets, the first later",
     {{2, {"vstempos=\"0\"width=\"100\""}}, {4, {"vstempos=\"300\"width=\"100\""}},
      {8, {"hstempos=\"200\"width=\"200\""}}}},
};

TEST(HintSetsRoundTrip, EverySetComesBackAtItsPoint) {
  for (const HintCase& c : kHintCases) {
    TempFolder folder;
    const std::string lib = "<lib><dict><key>com.adobe.type.autohint</key><data>" + hintSetList(c.sets) +
                            "</data></dict></lib>";
    writeUfo(folder.path() / "in.ufo", "<key>familyName</key><string>F</string>",
             {{"o", glif("o", threeSquares() + lib)}});
    const auto [there, back] = convertBothWays(folder);
    ASSERT_EQ(there.code, 0) << c.label << there.out;
    ASSERT_EQ(back.code, 0) << c.label << back.out;
    const std::string written = readFile(folder.path() / "back.ufo" / "glyphs" / "o.glif");
    EXPECT_EQ(hintSets(written), c.sets) << c.label << "\n" << written;
  }
}

// A native file whose first set stands before any replacement point, as hinting tools
// write it: native -> UFO gives that set at point 0, and UFO -> native -> UFO again.
TEST(HintSetsRoundTrip, NativeFirstSetBeforeAnyReplacementPoint) {
  using namespace qtftest;
  const Bytes outline = twoSquaresElement();
  FileBuilder file;
  file.begin()
      .glyph(GlyphRecord().name("o").advance(400, 0).element(outline).hints(hintsPayload(
          {{{{0, 200}}}, {{{150, 200}}}}, {{{{0, 100}}}}, {{1, 0}, {2, 0}, {255, 4}, {1, 1}, {2, 0}})))
      .end();
  TempFolder folder;
  std::ofstream(folder.path() / "in.qtf", std::ios::binary) << file.str();
  const auto path = [&](const char* name) { return shellQuote((folder.path() / name).string()); };
  const std::vector<HintSet> expected = {{0, {"hstempos=\"0\"width=\"200\"", "vstempos=\"0\"width=\"100\""}},
                                         {4, {"hstempos=\"150\"width=\"200\"", "vstempos=\"0\"width=\"100\""}}};
  const ufotest::Run first = tarnwick("-fo " + path("in.qtf") + " " + path("first.ufo"));
  ASSERT_EQ(first.code, 0) << first.out;
  EXPECT_EQ(hintSets(readFile(folder.path() / "first.ufo" / "glyphs" / "o.glif")), expected);
  const ufotest::Run there = tarnwick("-fo " + path("first.ufo") + " " + path("again.qtf"));
  const ufotest::Run back = tarnwick("-fo " + path("again.qtf") + " " + path("back.ufo"));
  ASSERT_EQ(back.code, 0) << there.out << back.out;
  EXPECT_EQ(hintSets(readFile(folder.path() / "back.ufo" / "glyphs" / "o.glif")), expected);
}

// The autohinter starts its first set with stems before any replacement point; the
// written list holds that set at point 0 and the next one where it starts.
TEST(HintSetsRoundTrip, AutohintedLayerKeepsItsFirstSet) {
  vn::Layer layer("Body");
  vn::Element element;
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{200, 150}}) {
    element.contours.push_back(contour({node(vn::Node::kMove, x, y), node(vn::Node::kOnCurve, x + 100, y),
                                        node(vn::Node::kOnCurve, x + 100, y + 200),
                                        node(vn::Node::kOnCurve, x, y + 200)}));
  }
  layer.elements.push_back(element);
  vn::Hint h1, h2, v;
  h1.position = 0, h1.width = 200;
  h2.position = 150, h2.width = 200;
  v.position = 0, v.width = 100, v.horizontal = 0;
  layer.hints = {h1, h2, v};
  vn::AutohintOptions options;
  vn::AutohintGlyphQuorvel autohinter(options, nullptr);
  autohinter.autohint(&layer);
  ASSERT_FALSE(layer.replacements.empty());
  ASSERT_NE(layer.replacements.front().kind, 3);  // the first set has no replacement point

  const std::string text = ufo::hintSetListText(layer);
  const std::vector<HintSet> sets = hintSets(
      "<point name=\"" + layer.pointName(0) + "\"/><point/><point/><point/><point name=\"" + layer.pointName(4) +
      "\"/>" + text);
  ASSERT_EQ(sets.size(), 2u) << text;
  EXPECT_EQ(sets[0].first, 0) << text;
  EXPECT_EQ(sets[1].first, 4) << text;
  for (const HintSet& set : sets) {
    EXPECT_EQ(set.second.size(), 2u) << text;  // one horizontal and the vertical stem each
  }
}

}  // namespace
