// The program run end to end: exact standard output and exit codes of the command line.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>

#include "app/messages.h"
#include "test_helpers.h"

namespace {

using testing_app::RunResult;
using testing_app::runProgram;
using testing_app::TempFolder;
using testing_app::writeFile;
namespace fs = std::filesystem;

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

TEST(CommandLine, BannerCarriesTheBuildDateAsYearMonthDay) {
  const std::string line = msg::bannerBuildLine();
  ASSERT_EQ(line.size(), std::string("Build 2026-12-06 ").size());
  EXPECT_EQ(line.substr(0, 6), "Build ");
  EXPECT_EQ(line.back(), ' ');
  EXPECT_EQ(msg::isoDate("Feb  3 2027"), "2027-02-03");
  EXPECT_EQ(msg::isoDate("Dec 25 2026"), "2026-12-25");
}

// One folder of inputs serves every case; in the expected texts "@B" stands for the
// banner and "@D" for the folder's real path. A case whose output only has to end with
// the text says so (the UFO reader may print its own lines first).
TEST(CommandLine, MessagesAndExitCodes) {
  TempFolder folder;
  for (const char* name : {"notes.txt", "X.QTF", "in.qtf", "other.qtf"}) writeFile(folder / name, "not a font");
  writeFile(folder / "plain", "a file");
  writeFile(folder / "in.ufo", "old file");
  writeFile(folder / "in.ufoz", "old archive");
  writeFile(folder / "Font.qtf", "old output");
  for (const char* name : {"Empty.UFO", "Font.ufo", "other.ufo", "out"}) fs::create_directory(folder / name);
  writeFile(folder / "out/x.qtf", "old output");
  const auto before = folder.names();

  struct Case {
    std::vector<std::string> arguments;
    std::string out;
    int exitCode;
    bool tail = false;
  };
  const std::string readProblem = msg::ufoReadProblem("Empty");
  const Case cases[] = {
      {{}, "Please, enter source filename: tarnwick [options] inputpath [outputpath]\n", 255},
      {{"-h"}, "@B\n" + std::string(kUsage), 0},
      {{"missing.qtf", "-fo", "-h", "-bogus"}, "@B\n" + std::string(kUsage), 0},
      // Unknown options end the run before the banner; options compare case-sensitively.
      {{"-x", "-h"}, "Option \"-x\" is unknown.\n", 255},
      {{"in.qtf", "-"}, "Option \"-\" is unknown.\n", 255},
      {{"-FO", "in.qtf"}, "Option \"-FO\" is unknown.\n", 255},
      {{"in.qtf", "-p"}, "Option \"-p\" requires a value.\n", 255},
      // "--foo" is ignored, so the run reaches the input test.
      {{"--foo", "sub/missing.qtf"}, "@BSource font file \"missing.qtf\" is not accessible.\n", 253},
      {{"-fo", "-64", "-ttx"}, "@BSource font file \"\" is not accessible.\n", 253},
      // "-s" hides only the banner.
      {{"-s", "missing.qtf"}, "Source font file \"missing.qtf\" is not accessible.\n", 253},
      {{"notes.txt", "-s"}, "Source file is not QTF or UFO.\n", 255},
      {{"notes.txt"}, "@BSource file is not QTF or UFO.\n", 255},
      // The kind comes from the extension in any case; a trailing separator names the folder.
      {{"X.QTF"}, "@BInput file \"X.QTF\" cannot be opened as QTF file.\n", 255},
      {{"Empty.UFO"}, readProblem, 252, true},
      {{"Empty.UFO//"}, readProblem, 252, true},
      {{"in.qtf", "-p", "plain/sub"}, "@BDestination folder \"plain/sub\" is not accessible\n", 254},
      // Native road: an existing plain file is found before reading, a folder only when its
      // font comes to be written.
      {{"in.qtf"}, "@BOutput file \"@D/in.ufo\" exists, cannot overwrite.\n", 255},
      {{"-z", "in.qtf"}, "@BOutput file \"@D/in.ufoz\" exists, cannot overwrite.\n", 255},
      {{"other.qtf"}, "@BInput file \"other.qtf\" cannot be opened as QTF file.\n", 255},
      // UFO road, also with "-l"; the output path's extension is replaced.
      {{"Font.ufo"}, "@BOutput file \"@D/Font.qtf\" exists, cannot overwrite.\n", 255},
      {{"-L", "Font.ufo/"}, "@BOutput file \"@D/Font.qtf\" exists, cannot overwrite.\n", 255},
      {{"-s", "Font.ufo", "out/x.txt"}, "Output file \"@D/out/x.qtf\" exists, cannot overwrite.\n", 255},
      // A failed read leaves the old output in place.
      {{"-fo", "-pp", "Font.ufo"}, msg::ufoReadProblem("Font"), 252, true},
  };
  const std::string real = fs::canonical(folder.path()).string();
  for (const Case& c : cases) {
    std::string expected = c.out;
    for (size_t at; (at = expected.find("@B")) != std::string::npos;) expected.replace(at, 2, banner());
    for (size_t at; (at = expected.find("@D")) != std::string::npos;) expected.replace(at, 2, real);
    const RunResult run = runProgram(folder.path(), c.arguments);
    const std::string label = c.arguments.empty() ? "(none)" : c.arguments.front() + " ...";
    if (c.tail) {
      ASSERT_GE(run.out.size(), expected.size()) << label;
      EXPECT_EQ(run.out.substr(run.out.size() - expected.size()), expected) << label;
      EXPECT_EQ(run.out.substr(0, banner().size()), banner()) << label;
    } else {
      EXPECT_EQ(run.out, expected) << label;
    }
    EXPECT_EQ(run.exitCode, c.exitCode) << label;
  }
  EXPECT_EQ(folder.names(), before);
  for (const char* name : {"Font.qtf", "out/x.qtf"}) EXPECT_EQ(testing_app::readFile(folder / name), "old output");
  EXPECT_EQ(testing_app::readFile(folder / "in.ufoz"), "old archive");

  // "-p" makes the output folder.
  runProgram(folder.path(), {"in.qtf", "-p", "made"});
  EXPECT_TRUE(fs::is_directory(folder / "made"));
}

// A FIFO, socket or device given as the input is not accessible, whatever its extension,
// and is never opened (opening a FIFO without a writer would block the run).
TEST(CommandLine, SpecialFilesAsTheInputAreNotAccessible) {
  TempFolder folder;
  const auto fifo = [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); };
  const auto socketFile = [](const std::string& path) {
    const int handle = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(handle, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(::bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(handle);
  };
  const auto device = [](const char* target) {
    return [target](const std::string& path) { fs::create_symlink(target, path); };
  };
  struct Case {
    const char* name;
    std::function<void(const std::string&)> make;
    std::vector<std::string> options;
  };
  const Case cases[] = {
      {"in.qtf", fifo, {}},
      {"in.ufo", fifo, {"-fo"}},
      {"in.ufoz", fifo, {"-ttx"}},
      {"s.qtf", socketFile, {}},
      {"null.qtf", device("/dev/null"), {"-fo"}},
      {"zero.ufoz", device("/dev/zero"), {}},
      {"null.ufo", device("/dev/null"), {}},
  };
  for (const Case& c : cases) {
    c.make(folder / c.name);
    std::vector<std::string> arguments = c.options;
    arguments.push_back(c.name);
    const RunResult run = runProgram(folder.path(), arguments);
    EXPECT_EQ(run.out, banner() + "Source font file \"" + c.name + "\" is not accessible.\n") << c.name;
    EXPECT_EQ(run.exitCode, 253) << c.name;
    const RunResult silent = runProgram(folder.path(), {"-s", c.name, "out.qtf"});
    EXPECT_EQ(silent.out, "Source font file \"" + std::string(c.name) + "\" is not accessible.\n") << c.name;
    EXPECT_EQ(silent.exitCode, 253) << c.name;
  }
  std::vector<std::string> expected;
  for (const Case& c : cases) expected.push_back(c.name);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(folder.names(), expected);
}

}  // namespace
