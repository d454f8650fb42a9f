// Failures that no input can cause, made by a library preloaded into the program: an
// exception while reading a native file or writing one, and a zip library that cannot
// describe an entry or close an archive. Each ends the run with its message and code.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/messages.h"
#include "support/qtf_builder.h"
#include "test_helpers.h"
#include "ufo/reader_warnings.h"

namespace {

namespace fs = std::filesystem;
using testing_app::quoteForShell;
using testing_app::TempFolder;

// Runs the program with the fault; its exit code and standard output.
int runWithFault(const std::string& folder, const std::string& fault, const std::string& arguments,
                 std::string* out) {
  // A run that blocks is ended by the timeout, with its exit code 124.
  const std::string command = "ASAN_OPTIONS=verify_asan_link_order=0 LD_PRELOAD=" + quoteForShell(TARNWICK_FAULTS) +
                              " TW_FAULT=" + quoteForShell(fault) + " timeout 60 " + quoteForShell(TARNWICK_EXE) +
                              " " + arguments + " 2>/dev/null";
  return testing_app::runShell(folder, command, out);
}

TEST(Failures, ExceptionsAndZipLibraryFailuresEndTheRun) {
  TempFolder folder;
  qtftest::FileBuilder file;
  file.begin().fontInfo(1).glyph(qtftest::GlyphRecord().name("a").advance(500)).end();
  testing_app::writeFile(folder / "font.qtf", file.str());
  std::string out;
  EXPECT_EQ(runWithFault(folder.path(), "throw-after-read:.qtf", "-s font.qtf", &out), 253);
  EXPECT_EQ(out, std::string(msg::kImportException) + "\n");

  // The UFO written without fault is read again, and writing its native file throws.
  ASSERT_EQ(testing_app::runShell(folder.path(), quoteForShell(TARNWICK_EXE) + " -s font.qtf >/dev/null 2>&1"), 0);
  EXPECT_EQ(runWithFault(folder.path(), "throw-after-open:.qtf", "-s font.ufo again.qtf", &out), 253);
  // The built native file holds no hhea line gap, so its UFO gives none and the
  // conversion names the one the native file will hold.
  EXPECT_EQ(out, std::string("Warning: ") + ufo::warning::kFontInfoChangesLine + ": openTypeHheaLineGap 0 added\n" +
                     msg::nativeWriteException(fs::canonical(folder.path()).string() + "/again.qtf"));

  testing_app::writeFile(folder / "font.ufo/x", "");
  ASSERT_EQ(testing_app::runShell(folder.path(), "zip -qr font.ufoz font.ufo"), 0);
  EXPECT_EQ(runWithFault(folder.path(), "zip-stat", "-s font.ufoz z.qtf", &out), 104);
  EXPECT_EQ(out, "Cannot read compressed file info.\n");
  EXPECT_EQ(runWithFault(folder.path(), "zip-close", "-s font.ufoz z.qtf", &out), 105);
  EXPECT_EQ(out, "Cannot finalize file decompression.\n");
  // Nothing is left behind.
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"font.qtf", "font.ufo", "font.ufoz"}));
}

// Another process may put a FIFO in the input's place at any moment. The input is opened
// once and read from what was opened, so the run neither blocks on the FIFO nor reads it.
TEST(Failures, InputSwappedForAFifoAfterItWasOpenedIsReadAsOpened) {
  struct Case {
    std::string input;
    std::string output;
  };
  const Case cases[] = {{"font.qtf", "out.ufo"}, {"font.ufoz", "out.qtf"}};
  TempFolder folder;
  qtftest::FileBuilder file;
  file.begin().fontInfo(1).glyph(qtftest::GlyphRecord().name("a").advance(500)).end();
  testing_app::writeFile(folder / "source.qtf", file.str());
  ASSERT_EQ(testing_app::runShell(folder.path(), quoteForShell(TARNWICK_EXE) +
                                                     " -s -z source.qtf font.ufoz >/dev/null 2>&1"),
            0);
  for (const Case& c : cases) {
    if (c.input == "font.qtf") fs::copy_file(folder / "source.qtf", folder / c.input);
    std::string out;
    EXPECT_EQ(runWithFault(folder.path(), "fifo-after-open:" + c.input, "-s " + c.input + " " + c.output, &out),
              0)
        << c.input << ": " << out;
    EXPECT_TRUE(fs::is_fifo(folder / c.input)) << c.input << ": the fault did not happen";
    EXPECT_TRUE(fs::exists(folder / c.output)) << c.input;
  }
}

}  // namespace
