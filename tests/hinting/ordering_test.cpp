// Delta normalisation and the command order, against hand-worked cases.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "hint_test_support.h"
#include "hinting/tt_interpreter.h"
#include "hinting/tt_ordering.h"

namespace {

using hinttest::command;
using hinttest::describe;
namespace code = vn::ttCode;

std::string normalized(vn::ttProgram program) {
  vn::normalizeDeltas(program);
  vn::orderProgram(program, 0);
  return describe(program);
}

template <class... Commands>
vn::ttProgram programOf(Commands... commands) {
  vn::ttProgram program;
  (program.push_back(std::move(commands)), ...);
  return program;
}

TEST(DeltaNormalisation, HugeRangesCostNothing) {
  vn::ttProgram program;
  for (int i = 0; i < 2000; ++i) {
    program.push_back(command(code::kMiddleDeltaH, {i % 5, 8, 0, 2147483647}));
    program.push_back(command(code::kMiddleDeltaH, {i % 5, -8, -2147483647 - 1, 5}));
  }
  vn::normalizeDeltas(program);
  EXPECT_EQ(describe(program),
            "mdeltah(0,-8,-2147483648,5) mdeltah(0,8,6,2147483647) "
            "mdeltah(1,-8,-2147483648,5) mdeltah(1,8,6,2147483647) "
            "mdeltah(2,-8,-2147483648,5) mdeltah(2,8,6,2147483647) "
            "mdeltah(3,-8,-2147483648,5) mdeltah(3,8,6,2147483647) "
            "mdeltah(4,-8,-2147483648,5) mdeltah(4,8,6,2147483647)");
}

// Deltas of one point and kind become one command per run of sizes with one value: a
// size given twice keeps the larger positive value or the more negative one, a negative
// value beats a positive one, zeros go, a reversed range means its first size.
TEST(DeltaNormalisation, SizesMergeIntoRunsOfOneValue) {
  const std::pair<std::vector<std::vector<int32_t>>, const char*> cases[] = {
      {{{0, 8, 9, 12}, {0, 8, 11, 15}}, "mdeltah(0,8,9,15)"},
      {{{0, 8, 9, 10}, {0, 8, 11, 12}}, "mdeltah(0,8,9,12)"},
      {{{0, 8, 10, 10}, {0, 16, 10, 10}}, "mdeltah(0,16,10,10)"},
      {{{0, -8, 10, 10}, {0, -16, 10, 10}}, "mdeltah(0,-16,10,10)"},
      {{{0, 8, 10, 10}, {0, -8, 10, 10}}, "mdeltah(0,-8,10,10)"},
      {{{0, 8, 9, 12}, {0, 16, 11, 11}}, "mdeltah(0,16,11,11) mdeltah(0,8,12,12) mdeltah(0,8,9,10)"},
      {{{0, 0, 9, 9}}, ""},
      {{{0, 8, 12, 10}}, "mdeltah(0,8,12,12)"},
      {{{1, 8, 9, 9}, {0, 8, 10, 10}}, "mdeltah(0,8,10,10) mdeltah(1,8,9,9)"},
  };
  for (const auto& [deltas, expected] : cases) {
    vn::ttProgram program;
    for (const auto& params : deltas) program.push_back(command(code::kMiddleDeltaH, params));
    EXPECT_EQ(normalized(std::move(program)), expected);
  }
  // The final deltas of a point are a kind of their own.
  EXPECT_EQ(normalized(programOf(command(code::kFinalDeltaH, {0, 8, 9, 9}), command(code::kMiddleDeltaH, {0, 8, 10, 10}))),
            "mdeltah(0,8,10,10) fdeltah(0,8,9,9)");
}

TEST(CommandOrder, PriorityOrderThenReferencesBeforeTheirUsers) {
  EXPECT_EQ(normalized(programOf(command(code::kFinalDeltaV, {1, 8, 9, 9}), command(code::kAlignBottom, {4, 0}),
                                 command(code::kAlignTop, {3, 0}), command(code::kAlignV, {5, 0}),
                                 command(code::kAlignTop, {1, 0}), command(code::kDoubleLinkH, {0, 2, -1}),
                                 command(code::kAlignH, {7, 1}))),
            "alignh(7,1) doubleh(0,2,-1) alignv(5,0) alignt(3,0) alignt(1,0) alignb(4,0) fdeltav(1,8,9,9)");
  // The link's reference point 5 is moved by an interpolation listed after it.
  EXPECT_EQ(normalized(programOf(command(code::kSingleLinkH, {5, 1, -1, -1}),
                                 command(code::kInterpolateH, {5, 0, 9, -1}),
                                 command(code::kSingleLinkH, {1, 2, -1, -1}))),
            "interpolateh(5,0,9,-1) singleh(5,1,-1,-1) singleh(1,2,-1,-1)");
  // The vertical pass is separate: a horizontal mover does not pull a vertical link.
  EXPECT_EQ(normalized(programOf(command(code::kSingleLinkV, {5, 1, -1, -1}), command(code::kSingleLinkH, {0, 5, -1, -1}))),
            "singleh(0,5,-1,-1) singlev(5,1,-1,-1)");
}

TEST(CommandOrder, MutualDependenciesEmitEachCommandOnce) {
  EXPECT_EQ(normalized(programOf(command(code::kSingleLinkV, {2, 1, -1, -1}), command(code::kSingleLinkV, {1, 2, -1, -1}),
                                 command(code::kInterpolateV, {0, 1, 2, -1}))),
            "singlev(1,2,-1,-1) singlev(2,1,-1,-1) interpolatev(0,1,2,-1)");
}

TEST(CommandOrder, ALongReferenceChainNeedsNoDeepRecursion) {
  // Link k moves point k from point k + 1, so the last link must come first.
  const int32_t length = 60000;
  vn::ttProgram program;
  for (int32_t k = 0; k < length; ++k) program.push_back(command(code::kSingleLinkH, {k + 1, k, -1, -1}));
  vn::orderProgram(program, 0);
  ASSERT_EQ(program.size(), static_cast<size_t>(length));
  for (int32_t k = 0; k < length; ++k) ASSERT_EQ(program[k]->params[1], length - 1 - k);
}

TEST(CommandOrder, PointsOutsideAnyGlyphKeepEveryCommand) {
  vn::ttProgram program;
  program.push_back(command(code::kSingleLinkH, {0, 2147483647, -1, -1}));
  program.push_back(command(code::kInterpolateH, {-5, -7, 3, -1}));
  program.push_back(command(code::kSingleLinkH, {1, 0, -1, -1}));
  program.push_back(command(code::kMiddleDeltaH, {-1, 8, 9, 9}));
  vn::orderProgram(program, 0);
  EXPECT_EQ(describe(program),
            "singleh(1,0,-1,-1) mdeltah(-1,8,9,9) singleh(0,2147483647,-1,-1) interpolateh(-5,-7,3,-1)");
}

}  // namespace
