// Corpus fonts converted UFO -> native -> UFO with the built program and compared with
// the original through fontTools (compare_ufo.py): glyph set and order, advances,
// Unicode values, outlines, components, anchors, groups, flattened kerning, font
// information, the font lib and the glyph libs; class kerning must stay class kerning. Differences the formats are known to
// lose are listed by the script, and each must have been reported by the conversion;
// any other difference fails. The native file converted to a UFO and back must keep
// every byte.
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
using corpus_shell::run;
using corpus_shell::readText;

class CorpusRoundTrip : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (!fs::is_directory(TARNWICK_CORPUS_DIR)) GTEST_SKIP() << "no corpus at " << TARNWICK_CORPUS_DIR;
    if (!fs::exists(TARNWICK_PYTHON) ||
        std::system((std::string(TARNWICK_PYTHON) + " -c 'import fontTools.ufoLib' > /dev/null 2>&1").c_str()) != 0) {
      GTEST_SKIP() << "fontTools is not available to " << TARNWICK_PYTHON;
    }
    work_ = fs::temp_directory_path() / ("tw_corpus_" + std::to_string(::getpid()) + "_" +
                                         std::to_string(counter_++));
    fs::remove_all(work_);
    fs::create_directories(work_ / "back");
  }
  void TearDown() override {
    if (!work_.empty()) fs::remove_all(work_);
  }

  fs::path work_;
  static inline int counter_ = 0;
};

TEST_P(CorpusRoundTrip, UfoToNativeAndBack) {
  const fs::path original = fs::path(TARNWICK_CORPUS_DIR) / GetParam();
  if (!fs::is_directory(original)) GTEST_SKIP() << "corpus font missing: " << original;
  const std::string exe = quoted(TARNWICK_EXE);

  // UFO -> native. The reader is this test's subject: a failure here is a failure.
  const fs::path toNativeLog = work_ / "to_native.log";
  const int toNative = run(exe + " -fo -p " + quoted(work_.string()) + " " + quoted(original.string()), toNativeLog);
  fs::path native;
  for (const auto& entry : fs::directory_iterator(work_)) {
    if (entry.path().extension() == ".qtf") native = entry.path();
  }
  ASSERT_EQ(toNative, 0) << readText(toNativeLog);
  ASSERT_FALSE(native.empty()) << "no native file written\n" << readText(toNativeLog);

  // native -> UFO.
  const fs::path toUfoLog = work_ / "to_ufo.log";
  const int toUfo = run(exe + " -fo -p " + quoted((work_ / "back").string()) + " " + quoted(native.string()), toUfoLog);
  fs::path roundTrip;
  for (const auto& entry : fs::directory_iterator(work_ / "back")) {
    if (entry.path().extension() == ".ufo") roundTrip = entry.path();
  }
  ASSERT_EQ(toUfo, 0) << readText(toUfoLog);
  ASSERT_FALSE(roundTrip.empty()) << readText(toUfoLog);

  // And back to a native file: the same bytes.
  const fs::path again = work_ / "again.qtf";
  ASSERT_EQ(run(exe + " -fo " + quoted(roundTrip.string()) + " " + quoted(again.string()), work_ / "again.log"), 0)
      << readText(work_ / "again.log");
  EXPECT_TRUE(readText(native) == readText(again)) << "native -> UFO -> native changed the native file";

  const fs::path compareLog = work_ / "compare.log";
  const std::string script = std::string(TARNWICK_SOURCE_DIR) + "/tests/corpus/compare_ufo.py";
  // Source Sans kerns with classes: they must come back as classes, not flattened.
  const std::string classes = std::string(GetParam()).starts_with("source-sans") ? " --classes" : "";
  const int compared = run(std::string(TARNWICK_PYTHON) + " " + quoted(script) + " " + quoted(original.string()) +
                               " " + quoted(roundTrip.string()) + " " + quoted(toNativeLog.string()) + classes,
                           compareLog);
  const std::string report = readText(compareLog);
  std::cout << report;
  EXPECT_EQ(compared, 0) << report;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusRoundTrip,
                         ::testing::Values("source-sans-2.040/Roman/Instances/Regular/font.ufo",
                                           "roboto-2/src/v2/Roboto-Regular.ufo"),
                         [](const auto& info) { return info.index == 0 ? std::string("SourceSans") : std::string("Roboto"); });

}  // namespace
