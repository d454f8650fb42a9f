// A UFO written by fontTools and then made hostile (traversal in contents.plist, an
// entity declaration, "&" and "<" in lib strings, huge and non-finite numbers, empty
// strings) converts cleanly with the built program, saying what it left out.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "corpus/shell.h"

namespace {

namespace fs = std::filesystem;
using corpus_shell::quoted;

int run(const std::string& command, std::string& output, const fs::path& log) {
  const int status = std::system((command + " > " + quoted(log.string()) + " 2>&1").c_str());
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  output = text.str();
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(HostileUfo, ConvertsCleanlyAndReportsWhatItSkipped) {
  if (!fs::exists(TARNWICK_PYTHON) ||
      std::system((std::string(TARNWICK_PYTHON) + " -c 'import fontTools.ufoLib' > /dev/null 2>&1").c_str()) != 0) {
    GTEST_SKIP() << "fontTools is not available to " << TARNWICK_PYTHON;
  }
  const fs::path work = fs::temp_directory_path() / ("tw_hostile_" + std::to_string(::getpid()));
  fs::remove_all(work);
  fs::create_directories(work / "out");
  const fs::path ufo = work / "hostile.ufo";
  std::string output;
  const std::string script = std::string(TARNWICK_SOURCE_DIR) + "/tests/corpus/make_hostile_ufo.py";
  ASSERT_EQ(run(std::string(TARNWICK_PYTHON) + " " + quoted(script) + " " + quoted(ufo.string()), output,
                work / "make.log"),
            0)
      << output;

  const int status = run(quoted(TARNWICK_EXE) + " -fo -p " + quoted((work / "out").string()) + " " +
                             quoted(ufo.string()),
                         output, work / "convert.log");
  EXPECT_EQ(status, 0) << output;
  EXPECT_TRUE(fs::exists(work / "out" / "hostile.qtf")) << output;
  EXPECT_NE(output.find("glyph \"up\" skipped"), std::string::npos) << output;
  EXPECT_NE(output.find("glyph \"enc\" skipped"), std::string::npos) << output;
  EXPECT_NE(output.find("glyph \"b\" skipped"), std::string::npos) << output;
  EXPECT_NE(output.find("outside Windows-1252"), std::string::npos) << output;
  fs::remove_all(work);
}

}  // namespace
