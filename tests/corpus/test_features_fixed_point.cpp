// The corpus fonts' features.fea compiles on the way to the native file (Source Sans'
// includes resolve against the UFO folder) and comes back from UFO -> native -> UFO byte
// for byte.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int run(const std::string& arguments, const fs::path& err) {
  const std::string command = std::string("'") + TARNWICK_EXE + "' -s -fo " + arguments + " > /dev/null 2> '" +
                              err.string() + "'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class FeaturesFixedPoint : public ::testing::TestWithParam<const char*> {};

TEST_P(FeaturesFixedPoint, UfoToNativeAndBack) {
  const fs::path original = fs::path(TARNWICK_CORPUS_DIR) / GetParam();
  if (!fs::is_directory(original)) GTEST_SKIP() << "corpus font missing: " << original;
  const fs::path work = fs::temp_directory_path() / ("tw_fea_fixed_" + std::to_string(::getpid()));
  fs::remove_all(work);
  fs::create_directories(work);

  ASSERT_EQ(run("'" + original.string() + "' '" + (work / "font.qtf").string() + "'", work / "to_native.err"), 0);
  // No compiler message: the text compiled, includes and all.
  EXPECT_EQ(readText(work / "to_native.err"), "");
  ASSERT_EQ(run("'" + (work / "font.qtf").string() + "' '" + (work / "back.ufo").string() + "'", work / "back.err"),
            0)
      << readText(work / "back.err");
  const std::string before = readText(original / "features.fea");
  const std::string after = readText(work / "back.ufo/features.fea");
  EXPECT_EQ(after.size(), before.size());
  EXPECT_TRUE(after == before);
  fs::remove_all(work);
}

INSTANTIATE_TEST_SUITE_P(Corpus, FeaturesFixedPoint,
                         ::testing::Values("source-sans-2.040/Roman/Instances/Regular/font.ufo",
                                           "roboto-2/src/v2/Roboto-Regular.ufo"),
                         [](const auto& info) { return info.index == 0 ? std::string("SourceSans") : std::string("Roboto"); });

}  // namespace
