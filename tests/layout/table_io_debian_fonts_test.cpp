// Debian's fonts through `otltool roundtrip`, judged rule by rule by fontTools (feature
// parameters included), by ots-sanitize and by hb-shape (the work is done by
// data/table_io_font_roundtrip.py; see its header).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include <unistd.h>

#include "command_output.h"
#include "debian_fonts.h"
#include "support/judge_passes.h"

namespace {

namespace fs = std::filesystem;

class TableIoDebianFont : public ::testing::TestWithParam<const char*> {};

TEST_P(TableIoDebianFont, RoundTripKeepsRulesAndShapes) {
  const char* font = GetParam();
  TARNWICK_WHOLE_FONT_JUDGES();
  if (const std::string missing = layout_test::missingJudge(); !missing.empty()) GTEST_SKIP() << missing << " missing";
  if (!fs::exists(font)) GTEST_SKIP() << font << " is not installed";
  const fs::path dir = fs::temp_directory_path() / ("otl_roundtrip_" + std::to_string(::getpid())) /
                       fs::path(font).stem();
  const std::string script = std::string(TARNWICK_TEST_DATA_DIR) + "/table_io_font_roundtrip.py";
  const std::string result = layout_test::commandLine(std::string(TARNWICK_PYTHON) + " '" + script + "' '" +
                                                      TARNWICK_OTLTOOL + "' '" + font + "' '" + dir.string() + "' 2>&1");
  std::cout << fs::path(font).filename().string() << ": " << result << "\n";
  fs::remove_all(dir);
  // Lookup kinds whose subtables are not carried yet are shown, not hidden.
  if (result.rfind("UNBUILT ", 0) == 0) {
    RecordProperty("unbuilt", result);
    GTEST_SKIP() << result;
  }
  EXPECT_EQ(result.rfind("OK ", 0), 0u) << font << ": " << result;
}

INSTANTIATE_TEST_SUITE_P(Debian, TableIoDebianFont, ::testing::ValuesIn(layout_test::kDebianFonts),
                         layout_test::fontTestName);

}  // namespace
