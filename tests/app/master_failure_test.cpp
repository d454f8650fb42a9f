// A native file whose masters cannot be read: each is named by its number, and the run
// ends as a failed read instead of succeeding with fewer fonts than the file holds.
#include <gtest/gtest.h>

#include "support/qtf_builder.h"
#include "test_helpers.h"

namespace {

using testing_app::RunResult;
using testing_app::runProgram;
using testing_app::TempFolder;

TEST(MasterFailure, EveryUnreadableMasterIsNamedAndTheRunFails) {
  TempFolder folder;
  qtftest::FileBuilder file;
  file.begin().fontInfo(2);
  for (const char* name : {"a", "b", "c"}) file.glyph(qtftest::GlyphRecord().name(name).advance({{500, 0}, {600, 0}}));
  std::string bytes = file.end().str();
  testing_app::writeFile(folder / "sound.qtf", bytes);
  ASSERT_EQ(runProgram(folder.path(), {"-s", "-l", "sound.qtf"}).exitCode, 0);

  // Cut inside the glyph records: the master count is still found, no master reads.
  bytes.resize(bytes.size() - 12);
  testing_app::writeFile(folder / "cut.qtf", bytes);
  const RunResult run = runProgram(folder.path(), {"-s", "cut.qtf"});
  EXPECT_EQ(run.exitCode, 253) << run.out;  // -3, a failed read
  for (const char* line : {"Master 1 of 2 (\"", "Master 2 of 2 (\""}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }
  EXPECT_NE(run.out.find("in source font file \"cut.qtf\" cannot be read.\n"), std::string::npos) << run.out;
}

}  // namespace
