// Hint simulation: every command kind against hand-computed F26Dot6 positions at 12 and
// 24 pixels per em (1000 units per em).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "hint_test_support.h"
#include "hinting/tt_interpreter.h"

namespace {

using hinttest::command;

// Font-unit points 0..3, then lsb (4) and rsb (5).
const std::vector<std::pair<int, int>> kPoints = {{0, 0}, {100, 0}, {50, 700}, {237, 500}, {0, 0}, {600, 0}};

// The simulation at a size: points scaled and truncated, stems in whole pixels (vertical
// 110 units, horizontal 90), zones at 700 (top) and 0 (bottom) on the pixel grid.
void prepare(vn::ttSimulation& s, double ppem) {
  const double scale = ppem / 1000.0;
  s = vn::ttSimulation{};
  for (const auto& [x, y] : kPoints) {
    s.original.push_back(vn::ttPoint{static_cast<int32_t>(x * scale * 64), static_cast<int32_t>(y * scale * 64), 1, 0});
  }
  s.current = s.original;
  s.touched.assign(s.original.size(), 0);
  s.verticalStemPixels = {static_cast<int32_t>(std::lround(110 * scale))};
  s.horizontalStemPixels = {static_cast<int32_t>(std::lround(90 * scale))};
  s.topZonePixels = {static_cast<int32_t>(std::lround(700 * scale)) * 64};
  s.bottomZonePixels = {0};
  s.ppem = ppem;
}

TEST(HintSimulation, EachCommandKindAtTwoSizes) {
  // At 12 ppem the originals are p1 (76, 0), p2 (38, 537), p3 (182, 384); stems 1 px
  // both ways; top zone 512. At 24: p1 (153, 0), p2 (76, 1075), p3 (364, 768); stems
  // 3 px vertical, 2 px horizontal; top zone 1088.
  struct Step {
    int32_t code;
    std::vector<int32_t> params;
  };
  const struct {
    std::vector<Step> steps;
    int32_t point;
    bool alongX;
    int32_t at12;
    int32_t at24;
  } cases[] = {
      {{{1, {2, 0}}}, 2, false, 512, 1088},                          // alignt
      {{{2, {3, 0}}}, 3, false, 0, 0},                               // alignb
      {{{7, {3, 0}}}, 3, true, 192, 384},                            // alignh round
      {{{7, {3, 1}}}, 3, true, 128, 320},                            // toward zero
      {{{7, {2, 2}}}, 2, true, 64, 128},                             // away from zero
      {{{8, {3, 3}}}, 3, false, 416, 800},                           // alignv centre
      {{{8, {2, 4}}}, 2, false, 544, 1088},                          // half-pixel grid
      {{{8, {2, -1}}}, 2, false, 537, 1075},                         // no align
      {{{3, {0, 1, 0, -1}}}, 1, true, 64, 192},                      // singleh: stem width
      {{{3, {0, 3, -2, -1}}}, 3, true, 192, 384},                    // rounded distance
      {{{3, {0, 3, -1, -1}}}, 3, true, 182, 364},                    // distance kept
      {{{4, {0, 2, 0, -1}}}, 2, false, 512, 1088},                   // singlev: too far for the stem
      {{{5, {0, 1, 0}}}, 1, true, 64, 192},                          // doubleh
      {{{6, {0, 3, 0}}}, 3, false, 384, 768},                        // doublev
      {{{3, {0, 1, 0, -1}}, {13, {2, 0, 1, -1}}}, 2, true, 32, 95},  // interpolateh
      {{{14, {2, 0, 3, 0}}}, 2, false, 512, 1088},                   // interpolatev, rounded
      {{{20, {3, 8, 12, 12}}}, 3, true, 246, 364},                   // mdeltah at 12 only
      {{{23, {2, -4, 20, 30}}}, 2, false, 537, 1043},                // fdeltav at 20..30
  };
  for (double ppem : {12.0, 24.0}) {
    for (const auto& c : cases) {
      vn::ttInterpreter interpreter;
      prepare(interpreter.simulation(), ppem);
      for (const auto& step : c.steps) command(step.code, step.params)->execute(interpreter);
      const vn::ttPoint& p = interpreter.simulation().current[static_cast<size_t>(c.point)];
      EXPECT_EQ(c.alongX ? p.x : p.y, ppem == 12.0 ? c.at12 : c.at24)
          << "code " << c.steps.back().code << " at " << ppem;
    }
  }

  // Middle deltas mark the point touched, final ones do not; bad indices change nothing.
  vn::ttInterpreter interpreter;
  prepare(interpreter.simulation(), 12);
  command(20, {3, 8, 12, 12})->execute(interpreter);
  command(22, {2, 8, 12, 12})->execute(interpreter);
  command(3, {0, 99, 0, 0})->execute(interpreter);
  command(1, {2, 7})->execute(interpreter);
  EXPECT_EQ(interpreter.simulation().touched, (std::vector<uint8_t>{0, 0, 0, 1, 0, 0}));
}

}  // namespace
