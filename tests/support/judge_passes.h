// The whole-font comparisons with the judges (fontTools, ots-sanitize, hb-shape over
// real fonts) take most of the suite's time and exercise the judges more than our code.
// They run once, in the normal pass: a pass that sets TARNWICK_ONE_JUDGE_PASS (the
// sanitizer pass of scripts/test) skips them. Put the macro first in every such test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace testsupport {

inline bool judgesRunElsewhere() {
  const char* value = std::getenv("TARNWICK_ONE_JUDGE_PASS");
  return value != nullptr && std::strcmp(value, "") != 0 && std::strcmp(value, "0") != 0;
}

}  // namespace testsupport

#define TARNWICK_WHOLE_FONT_JUDGES()                                                  \
  do {                                                                                \
    if (::testsupport::judgesRunElsewhere())                                          \
      GTEST_SKIP() << "whole-font judge comparisons run in the normal pass only";    \
  } while (0)
