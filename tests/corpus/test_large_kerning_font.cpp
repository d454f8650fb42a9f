// A Debian font whose kerning the native file can only keep as 2.3 million glyph pairs
// (zero exceptions under class pairs make its large classes travel as glyph pairs):
// made into a UFO, converted to a native file and back, its groups and kerning checked
// by kerning_roundtrip.py. Skipped when the font or fontTools is absent.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/judge_passes.h"
#include "corpus/shell.h"

namespace {

namespace fs = std::filesystem;
using corpus_shell::quoted;
using corpus_shell::run;
using corpus_shell::readText;

constexpr const char* kFont = "/usr/share/fonts/opentype/junicode/JunicodeTwoBeta-BoldItalic.otf";

TEST(LargeKerningFont, MillionsOfGlyphPairsConvertAndComeBack) {
  TARNWICK_WHOLE_FONT_JUDGES();
  if (!fs::exists(kFont)) GTEST_SKIP() << "font missing: " << kFont;
  if (std::system(TARNWICK_PYTHON " -c 'import fontTools.ufoLib' > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "fontTools is not available to " << TARNWICK_PYTHON;
  }
  const fs::path work = fs::temp_directory_path() / ("tw_large_kerning_" + std::to_string(::getpid()));
  fs::remove_all(work);
  fs::create_directories(work / "back");
  const std::string python = TARNWICK_PYTHON;
  const std::string scripts = std::string(TARNWICK_SOURCE_DIR) + "/tests/corpus/";
  const std::string exe = quoted(TARNWICK_EXE);
  const fs::path ufo = work / "J.ufo";

  ASSERT_EQ(run(python + " " + quoted(scripts + "make_ufo_from_font.py") + " " + quoted(TARNWICK_OTLTOOL) + " " +
                    quoted(kFont) + " " + quoted(ufo.string()),
                work / "make.log"),
            0)
      << readText(work / "make.log");
  EXPECT_EQ(run(exe + " -s " + quoted(ufo.string()) + " " + quoted((work / "J.qtf").string()), work / "to_native.log"),
            0)
      << readText(work / "to_native.log");
  EXPECT_EQ(run(exe + " -s -p " + quoted((work / "back").string()) + " " + quoted((work / "J.qtf").string()),
                work / "to_ufo.log"),
            0)
      << readText(work / "to_ufo.log");
  EXPECT_EQ(run(python + " " + quoted(scripts + "kerning_roundtrip.py") + " " + quoted(ufo.string()) + " " +
                    quoted((work / "back/J.ufo").string()),
                work / "compare.log"),
            0)
      << readText(work / "compare.log");
  fs::remove_all(work);
}

}  // namespace
