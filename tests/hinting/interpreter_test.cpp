// The interpreter as a Transfer consumer: which zones and stems it takes, their names,
// PostScript stems mapped to point pairs, and stem fitting.
#include <gtest/gtest.h>

#include "hint_test_support.h"
#include "hinting/tt_interpreter.h"
#include "hinting/ufo_hinting.h"
#include "model/font_info.h"

namespace {

using hinttest::command;
using Pairs = std::vector<vn::ttPointPair>;
namespace code = vn::ttCode;

vn::Stem stem(const std::string& name, double width) { return vn::Stem{name, width, {}}; }
vn::Zone zone(const std::string& name, double position, uint8_t kind) {
  return vn::Zone{name, position, 16, kind, {}};
}

TEST(Interpreter, TakesOnlyTheTrueTypeZonesAndStems) {
  vn::FontHinting hinting;
  hinting.stemsH = {stem("h", 50)};
  hinting.stemsV = {stem("v", 70)};
  hinting.stemsH2 = {stem("psh", 1)};
  hinting.stemsV2 = {stem("psv", 2)};
  hinting.zones = {zone("b", 0, 0), zone("t", 700, 1)};
  hinting.zones[1].steps = {{12, 1}, {13, 65535}};
  hinting.zones2 = {zone("ps", 500, 1)};
  hinting.zones3 = {zone("family", 400, 0)};
  vn::FontMetrics metrics;
  metrics.setUnitsPerEm(2048);

  vn::ttInterpreter interpreter;
  interpreter.topZones().push_back({"stale", 1, 1, 1, {}});
  vn::storeFontHinting(interpreter, &metrics, &hinting);
  EXPECT_EQ(interpreter.unitsPerEm(), 2048);
  ASSERT_EQ(interpreter.topZones().size(), 1u);
  EXPECT_EQ(interpreter.topZones()[0].name, "t");
  EXPECT_EQ(interpreter.topZones()[0].extras, (std::map<int32_t, int32_t>{{12, 1}, {13, 65535}}));
  ASSERT_EQ(interpreter.bottomZones().size(), 1u);
  EXPECT_EQ(interpreter.bottomZones()[0].name, "b");
  ASSERT_EQ(interpreter.horizontalStems().size(), 1u);
  EXPECT_EQ(interpreter.horizontalStems()[0].name, "h");
  ASSERT_EQ(interpreter.verticalStems().size(), 1u);
  EXPECT_EQ(interpreter.verticalStems()[0].width, 70);
}

TEST(Interpreter, NamesUnnamedZonesAndStemsWithoutClashes) {
  vn::ttInterpreter interpreter;
  for (int i = 0; i < 13; ++i) interpreter.topZones().push_back({i == 5 ? "x-height" : "", 0, 0, 1, {}});
  interpreter.bottomZones().push_back({"top01", 0, 0, 0, {}});  // a name the top list would give
  interpreter.bottomZones().push_back({"", 0, 0, 0, {}});
  interpreter.horizontalStems().push_back({"", 0, {}});
  interpreter.verticalStems().push_back({"", 0, {}});
  interpreter.verticalStems().push_back({"", 0, {}});
  interpreter.nameZonesAndStems();
  EXPECT_EQ(interpreter.topZones()[0].name, "top00");
  EXPECT_EQ(interpreter.topZones()[1].name, "top01.1");
  EXPECT_EQ(interpreter.topZones()[5].name, "x-height");
  EXPECT_EQ(interpreter.topZones()[12].name, "top12");
  EXPECT_EQ(interpreter.bottomZones()[0].name, "top01");
  EXPECT_EQ(interpreter.bottomZones()[1].name, "bottom01");
  EXPECT_EQ(interpreter.horizontalStems()[0].name, "h00");
  EXPECT_EQ(interpreter.verticalStems()[1].name, "v01");
}

// A box 100 wide and 700 high, and one off-curve point that is never a candidate.
void drawBox(vn::ttInterpreter& interpreter) {
  interpreter.beginGlyph();
  interpreter.moveTo({0, 0}, 0);
  interpreter.lineTo({100, 0}, 0);
  interpreter.lineTo({100, 700}, 0);
  interpreter.offCurve({50, 350}, 0);
  interpreter.lineTo({0, 700}, 0);
}

Pairs pairsFor(double position, double width, uint8_t horizontal) {
  vn::ttInterpreter interpreter;
  drawBox(interpreter);
  interpreter.hint(position, width, horizontal);
  return horizontal ? interpreter.horizontalPairs() : interpreter.verticalPairs();
}

TEST(Interpreter, MapsPostScriptStemsToPointPairs) {
  const struct {
    double position, width;
    uint8_t horizontal;
    Pairs expected;
  } cases[] = {
      {0, 700, 1, {{0, 4}}},  // both edges on points: the pair nearest each other
      {0, 100, 0, {{0, 1}}},
      {700, -700, 1, {{0, 4}}},
      {700, -20, 1, {{2, -2}}},  // ghosts: -20 marks its one point with -2, -21 with -1
      {21, -21, 1, {{0, -1}}},
      {650, 50, 1, {{2, -2}}},  // one edge on a point: -2 for the upper edge, -1 the lower
      {0, 50, 1, {{0, -1}}},
      {300, 50, 1, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(pairsFor(c.position, c.width, c.horizontal), c.expected) << c.position;

  vn::ttInterpreter interpreter;
  drawBox(interpreter);
  interpreter.hint(0, 700, 1);
  interpreter.hint(0, 700, 1);
  EXPECT_EQ(interpreter.horizontalPairs().size(), 1u);

  vn::ttInterpreter offOnly;
  offOnly.beginGlyph();
  offOnly.offCurve({0, 0}, 0);
  offOnly.hint(0, -20, 1);
  double distance = 0;
  EXPECT_EQ(offOnly.nearestPoint(0, true, distance), -1);
  EXPECT_TRUE(offOnly.horizontalPairs().empty());

  // Clearing the program forgets the glyph but keeps the font's zones.
  interpreter.pointName("top");
  interpreter.addCommand(command(code::kAlignH, {0, 0}));
  interpreter.topZones().push_back({"kept", 0, 0, 1, {}});
  interpreter.clearProgram();
  EXPECT_TRUE(interpreter.program().empty());
  EXPECT_TRUE(interpreter.outlinePoints().empty());
  EXPECT_TRUE(interpreter.horizontalPairs().empty());
  EXPECT_TRUE(interpreter.pointNames().empty());
  EXPECT_EQ(interpreter.topZones().size(), 1u);
}

TEST(Interpreter, StemFittingDropsStemsThatDoNotMatchTheDistance) {
  vn::ttInterpreter interpreter;
  interpreter.verticalStems().push_back({"v", 10, {}});    // 640 in F26Dot6
  interpreter.horizontalStems().push_back({"h", 30, {}});  // 1920
  interpreter.beginGlyph();
  interpreter.moveTo({0, 0}, 0);
  interpreter.lineTo({11.9, 0}, 0);  // truncated to 11: 704
  interpreter.lineTo({25, 0}, 0);
  interpreter.lineTo({0, 35}, 0);

  auto fitted = [&](int32_t code, std::vector<int32_t> params) {
    auto made = command(code, params);
    made->fitStem(interpreter);  // links measure along their own direction
    return made->params[2];
  };
  EXPECT_EQ(fitted(code::kSingleLinkH, {0, 1, 0, -1}), 0);
  EXPECT_EQ(fitted(code::kSingleLinkH, {0, 2, 0, -1}), -1);   // 1600 vs 640
  EXPECT_EQ(fitted(code::kSingleLinkH, {0, 0, 0, -1}), -1);   // no distance
  EXPECT_EQ(fitted(code::kSingleLinkH, {0, 1, -2, -1}), -2);  // rounded: stays
  EXPECT_EQ(fitted(code::kSingleLinkH, {0, 0, -2, -1}), -1);  // rounded, no distance
  EXPECT_EQ(fitted(code::kDoubleLinkH, {0, 2, 0}), -1);       // 1600 vs 640
  EXPECT_EQ(fitted(code::kDoubleLinkV, {0, 3, 0}), 0);        // 2240 vs 1920
  EXPECT_EQ(fitted(code::kDoubleLinkV, {0, 9, 0}), 0);        // no such point: unchanged
  EXPECT_EQ(fitted(code::kInterpolateH, {0, 2, 7, -1}), 7);   // not a link
  EXPECT_EQ(interpreter.fitStem(-2, 5000, true), -2);
}

}  // namespace
