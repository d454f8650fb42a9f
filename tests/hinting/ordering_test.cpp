// Delta normalisation and the command order, against hand-worked cases and against a
// literal size-by-size model of the normalisation.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

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

// The normalisation done literally: one command per size, merged by walking in
// (point, value, size) order, then neighbouring sizes joined.
vn::ttProgram literalNormalisation(const vn::ttProgram& input) {
  struct Single {
    int32_t code, point, value, size, order;
  };
  std::vector<Single> singles;
  vn::ttProgram others;
  int32_t order = 0;
  for (const auto& c : input) {
    if (!c->isDelta()) continue;
    if (c->params[1] == 0) continue;
    for (int32_t s = c->params[2]; s <= std::max(c->params[2], c->params[3]); ++s) {
      singles.push_back({c->code, c->params[0], c->params[1], s, order++});
    }
  }
  std::stable_sort(singles.begin(), singles.end(), [](const Single& a, const Single& b) {
    return std::tie(a.code, a.point, a.value, a.size) < std::tie(b.code, b.point, b.value, b.size);
  });
  std::vector<Single> merged;
  for (const Single& s : singles) {
    auto found = std::find_if(merged.begin(), merged.end(), [&](const Single& m) {
      return m.code == s.code && m.point == s.point && m.size == s.size;
    });
    if (found == merged.end()) {
      merged.push_back(s);
    } else {
      found->value = found->value >= 1 ? std::max(found->value, s.value) : std::min(found->value, s.value);
    }
  }
  std::stable_sort(merged.begin(), merged.end(), [](const Single& a, const Single& b) {
    return std::tie(a.code, a.point, a.value, a.size) < std::tie(b.code, b.point, b.value, b.size);
  });
  vn::ttProgram out;
  for (const Single& s : merged) {
    auto found = std::find_if(out.begin(), out.end(), [&](const auto& c) {
      return c->code == s.code && c->params[0] == s.point && c->params[1] == s.value &&
             c->params[2] - 1 <= s.size && s.size <= c->params[3] + 1;
    });
    if (found != out.end()) {
      (*found)->params[2] = std::min((*found)->params[2], s.size);
      (*found)->params[3] = std::max((*found)->params[3], s.size);
    } else {
      out.push_back(command(s.code, {s.point, s.value, s.size, s.size}));
    }
  }
  return out;
}

TEST(DeltaNormalisation, AgreesWithTheSizeBySizeModel) {
  std::mt19937 random(77);
  const int32_t codes[] = {code::kMiddleDeltaH, code::kMiddleDeltaV, code::kFinalDeltaH, code::kFinalDeltaV};
  for (int round = 0; round < 400; ++round) {
    vn::ttProgram program;
    const int count = 1 + static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) {
      const int32_t first = 8 + static_cast<int32_t>(random() % 12);
      program.push_back(command(codes[random() % 2 + (round % 2) * 2],
                                {static_cast<int32_t>(random() % 3),
                                 static_cast<int32_t>(random() % 5) * 8 - 16, first,
                                 first + static_cast<int32_t>(random() % 6) - 1}));
    }
    vn::ttProgram expected = literalNormalisation(program);
    vn::orderProgram(expected, 0);
    ASSERT_EQ(normalized(std::move(program)), describe(expected)) << "round " << round;
  }
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
