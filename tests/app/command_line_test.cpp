// The program run end to end: exact standard output and exit codes of the command line,
// each scenario in a fresh folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/messages.h"
#include "test_helpers.h"

namespace {

using testing_app::RunResult;
using testing_app::runProgram;
using testing_app::TempFolder;
using testing_app::writeFile;

constexpr int kMinusOne = 255;
constexpr int kMinusTwo = 254;
constexpr int kMinusThree = 253;
constexpr int kMinusFour = 252;

std::string banner() {
  return "TARNWICK Converter\n" + msg::bannerDescription() + "\n" + msg::bannerBuildLine() + "\n";
}

const char* const kUsage =
    "Usage: tarnwick [options] inputpath [outputpath]\n"
    "\n"
    "DISPLAY OPTIONS\n"
    "-h    : display this help message\n"
    "-l    : display font list (no conversion)\n"
    "-L    : display font list (extended format)\n"
    "-pp   : display list of written file paths\n"
    "-s    : no display (silent mode)\n"
    "\n"
    "CONVERSION OPTIONS\n"
    "-p <path>\n"
    "      : output folder\n"
    "-fo   : force overwrite\n"
    "-ttx  : convert binary OpenType Layout data using TTX-like format\n"
    "\n"
    "UFO OUTPUT OPTIONS\n"
    "-64   : write GLIF lib 'data' section using base64 (recommended)\n"
    "-z    : write UFOZ (compressed UFO)\n";

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string realFolder(const TempFolder& folder) {
  return std::filesystem::canonical(folder.path()).string();
}

TEST(CommandLine, BannerCarriesTheBuildDateAsYearMonthDay) {
  const std::string line = msg::bannerBuildLine();
  ASSERT_EQ(line.size(), std::string("Build 2026-12-06 ").size());
  EXPECT_EQ(line.substr(0, 6), "Build ");
  EXPECT_EQ(line[10], '-');
  EXPECT_EQ(line[13], '-');
  EXPECT_EQ(line.back(), ' ');
  EXPECT_EQ(msg::isoDate("Feb  3 2027"), "2027-02-03");
  EXPECT_EQ(msg::isoDate("Dec 25 2026"), "2026-12-25");
}

TEST(CommandLine, WithoutArgumentsAsksForTheSource) {
  TempFolder folder;
  const RunResult run = runProgram(folder.path(), {});
  EXPECT_EQ(run.out,
            "Please, enter source filename: tarnwick [options] inputpath [outputpath]\n");
  EXPECT_EQ(run.exitCode, kMinusOne);
}

TEST(CommandLine, HelpStopsReadingAndPrintsUsage) {
  TempFolder folder;
  for (const auto& arguments : {std::vector<std::string>{"-h"},
                                std::vector<std::string>{"missing.qtf", "-fo", "-h", "-bogus"}}) {
    const RunResult run = runProgram(folder.path(), arguments);
    EXPECT_EQ(run.out, banner() + "\n" + kUsage);
    EXPECT_EQ(run.exitCode, 0);
  }
  EXPECT_TRUE(folder.names().empty());
}

TEST(CommandLine, UnknownOptionsEndTheRunBeforeTheBanner) {
  TempFolder folder;
  RunResult run = runProgram(folder.path(), {"-x", "-h"});
  EXPECT_EQ(run.out, "Option \"-x\" is unknown.\n");
  EXPECT_EQ(run.exitCode, kMinusOne);

  run = runProgram(folder.path(), {"in.qtf", "-"});
  EXPECT_EQ(run.out, "Option \"-\" is unknown.\n");
  EXPECT_EQ(run.exitCode, kMinusOne);

  // Options compare case-sensitively.
  run = runProgram(folder.path(), {"-FO", "in.qtf"});
  EXPECT_EQ(run.out, "Option \"-FO\" is unknown.\n");
  EXPECT_EQ(run.exitCode, kMinusOne);
}

TEST(CommandLine, OutputFolderOptionNeedsAValue) {
  TempFolder folder;
  const RunResult run = runProgram(folder.path(), {"in.qtf", "-p"});
  EXPECT_EQ(run.out, "Option \"-p\" requires a value.\n");
  EXPECT_EQ(run.exitCode, kMinusOne);
}

TEST(CommandLine, MissingInputIsNotAccessible) {
  TempFolder folder;
  // "--foo" is ignored, so the run reaches the input test.
  RunResult run = runProgram(folder.path(), {"--foo", "sub/missing.qtf"});
  EXPECT_EQ(run.out, banner() + "Source font file \"missing.qtf\" is not accessible.\n");
  EXPECT_EQ(run.exitCode, kMinusThree);

  run = runProgram(folder.path(), {"-fo", "-64", "-ttx"});
  EXPECT_EQ(run.out, banner() + "Source font file \"\" is not accessible.\n");
  EXPECT_EQ(run.exitCode, kMinusThree);
  EXPECT_TRUE(folder.names().empty());
}

TEST(CommandLine, SilentHidesOnlyTheBanner) {
  TempFolder folder;
  RunResult run = runProgram(folder.path(), {"-s", "missing.qtf"});
  EXPECT_EQ(run.out, "Source font file \"missing.qtf\" is not accessible.\n");
  EXPECT_EQ(run.exitCode, kMinusThree);

  writeFile(folder / "notes.txt", "text");
  run = runProgram(folder.path(), {"notes.txt", "-s"});
  EXPECT_EQ(run.out, "Source file is not QTF or UFO.\n");
  EXPECT_EQ(run.exitCode, kMinusOne);
}

TEST(CommandLine, InputKindComesFromTheExtension) {
  TempFolder folder;
  writeFile(folder / "x.txt", "text");
  RunResult run = runProgram(folder.path(), {"x.txt"});
  EXPECT_EQ(run.out, banner() + "Source file is not QTF or UFO.\n");
  EXPECT_EQ(run.exitCode, kMinusOne);

  // Upper case selects the same road: a file that is not a native file...
  writeFile(folder / "X.QTF", "not a font");
  run = runProgram(folder.path(), {"X.QTF"});
  EXPECT_EQ(run.out, banner() + "Input file \"X.QTF\" cannot be opened as QTF file.\n");
  EXPECT_EQ(run.exitCode, kMinusOne);

  // ...and an empty folder that is not a UFO; a trailing separator names the same folder.
  std::filesystem::create_directory(folder / "Empty.UFO");
  for (const char* input : {"Empty.UFO", "Empty.UFO/", "Empty.UFO//"}) {
    run = runProgram(folder.path(), {input});
    // The reader may print its own lines; the driver's message ends the output.
    EXPECT_TRUE(endsWith(run.out, "While opening UFO font folder \"Empty\" we've got a problem."))
        << run.out;
    EXPECT_EQ(run.out.substr(0, banner().size()), banner());
    EXPECT_EQ(run.exitCode, kMinusFour) << input;
  }
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"Empty.UFO", "X.QTF", "x.txt"}));
}

TEST(CommandLine, OutputFolderUnderAFileIsNotAccessible) {
  TempFolder folder;
  writeFile(folder / "in.qtf", "not a font");
  writeFile(folder / "plain", "a file");
  const RunResult run = runProgram(folder.path(), {"in.qtf", "-p", "plain/sub"});
  EXPECT_EQ(run.out, banner() + "Destination folder \"plain/sub\" is not accessible\n");
  EXPECT_EQ(run.exitCode, kMinusTwo);
}

TEST(CommandLine, OutputFolderIsCreated) {
  TempFolder folder;
  writeFile(folder / "in.qtf", "not a font");
  const RunResult run = runProgram(folder.path(), {"in.qtf", "-p", "made"});
  EXPECT_TRUE(std::filesystem::is_directory(folder / "made"));
  EXPECT_EQ(run.out, banner() + "Input file \"in.qtf\" cannot be opened as QTF file.\n");
}

TEST(CommandLine, ExistingOutputIsKeptWithoutForce) {
  TempFolder folder;
  const std::string base = realFolder(folder);
  // Native road: a plain file where the output goes is found before reading; an existing
  // folder only when its font comes to be written (see the sample conversions).
  writeFile(folder / "in.qtf", "not a font");
  writeFile(folder / "in.ufo", "old file");
  RunResult run = runProgram(folder.path(), {"in.qtf"});
  EXPECT_EQ(run.out, banner() + "Output file \"" + base + "/in.ufo\" exists, cannot overwrite.\n");
  EXPECT_EQ(run.exitCode, kMinusOne);
  std::filesystem::remove(folder / "in.ufo");
  std::filesystem::create_directory(folder / "in.ufo");
  run = runProgram(folder.path(), {"in.qtf"});
  EXPECT_EQ(run.out, banner() + "Input file \"in.qtf\" cannot be opened as QTF file.\n");

  writeFile(folder / "in.ufoz", "old archive");
  run = runProgram(folder.path(), {"-z", "in.qtf"});
  EXPECT_EQ(run.out, banner() + "Output file \"" + base + "/in.ufoz\" exists, cannot overwrite.\n");
  EXPECT_EQ(run.exitCode, kMinusOne);
  EXPECT_EQ(testing_app::readFile(folder / "in.ufoz"), "old archive");

  // UFO road, also when "-l" is given.
  std::filesystem::create_directory(folder / "Font.ufo");
  writeFile(folder / "Font.qtf", "old output");
  for (const auto& arguments : {std::vector<std::string>{"Font.ufo"},
                                std::vector<std::string>{"-l", "Font.ufo"},
                                std::vector<std::string>{"-L", "Font.ufo/"}}) {
    run = runProgram(folder.path(), arguments);
    EXPECT_EQ(run.out,
              banner() + "Output file \"" + base + "/Font.qtf\" exists, cannot overwrite.\n");
    EXPECT_EQ(run.exitCode, kMinusOne);
  }
  EXPECT_EQ(testing_app::readFile(folder / "Font.qtf"), "old output");

  // The output path names the folder and the name; its extension is replaced.
  std::filesystem::create_directory(folder / "out");
  writeFile(folder / "out/x.qtf", "old output");
  run = runProgram(folder.path(), {"-s", "Font.ufo", "out/x.txt"});
  EXPECT_EQ(run.out, "Output file \"" + base + "/out/x.qtf\" exists, cannot overwrite.\n");
}

TEST(CommandLine, FailedReadLeavesNoOutputBehind) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "Font.ufo");
  writeFile(folder / "Font.qtf", "old output");
  const RunResult run = runProgram(folder.path(), {"-fo", "-pp", "Font.ufo"});
  EXPECT_EQ(run.exitCode, kMinusFour);
  EXPECT_TRUE(endsWith(run.out, "While opening UFO font folder \"Font\" we've got a problem."));
  EXPECT_EQ(testing_app::readFile(folder / "Font.qtf"), "old output");
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"Font.qtf", "Font.ufo"}));
}

}  // namespace
