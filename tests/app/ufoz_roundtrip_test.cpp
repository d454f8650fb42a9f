// Conversions of the sample font, through folders and ".ufoz" archives, judged by
// fontTools; the console texts of "-s", "-fo" and the font lists on a real font.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/messages.h"
#include "test_helpers.h"

namespace {

using testing_app::quoteForShell;
using testing_app::RunResult;
using testing_app::runProgram;
using testing_app::runShell;
using testing_app::TempFolder;
namespace fs = std::filesystem;

// Runs fontTools on a UFO (`script` reads sys.argv[1]); its output, or a failure text.
std::string judge(const std::string& script, const std::string& path) {
  std::string out;
  const std::string command = std::string(TARNWICK_PYTHON) + " " + script + " " + quoteForShell(path) + " 2>&1";
  if (runShell(".", command, &out) != 0) return "fontTools failed on " + path + ": " + out;
  return out;
}

std::string summaryOf(const std::string& path) {
  return judge(quoteForShell(std::string(TARNWICK_SOURCE_DIR) + "/tests/data/ufo_summary.py"), path);
}

// A folder holding Sample.ufo and the Sample.qtf converted from it.
class SampleConversion : public ::testing::Test {
 protected:
  void SetUp() override {
    if (runShell(".", std::string(TARNWICK_PYTHON) + " -c 'import fontTools.ufoLib' 2>/dev/null") != 0)
      GTEST_SKIP() << "fontTools is not installed";
    fs::copy(std::string(TARNWICK_SOURCE_DIR) + "/tests/data/Sample.ufo", folder_ / "Sample.ufo",
             fs::copy_options::recursive);
    const RunResult run = runProgram(folder_.path(), {"-s", "Sample.ufo"});
    ASSERT_EQ(run.exitCode, 0) << run.out;
    ASSERT_TRUE(fs::exists(folder_ / "Sample.qtf"));
  }
  std::string base() const { return fs::canonical(folder_.path()).string(); }

  TempFolder folder_;
};

TEST_F(SampleConversion, ZippedOutputIsAReadableArchive) {
  // The output path's folder is not created.
  RunResult run = runProgram(folder_.path(), {"-s", "-pp", "-z", "Sample.qtf", "out/x.ufo"});
  EXPECT_EQ(run.exitCode, 253);
  EXPECT_EQ(run.out, "Cannot create output UFO folder \"out/x.ufoz\"\n");
  fs::create_directory(folder_ / "out");
  run = runProgram(folder_.path(), {"-s", "-pp", "-z", "Sample.qtf", "out/x.ufo"});
  ASSERT_EQ(run.exitCode, 0) << run.out;
  // The temporary folder's removal lines come first, then the written archive.
  const std::string archive = fs::canonical(folder_ / "out").string() + "/x.ufoz\n";
  ASSERT_GE(run.out.size(), archive.size());
  EXPECT_EQ(run.out.substr(run.out.size() - archive.size()), archive);
  EXPECT_EQ(fs::directory_iterator(folder_ / "out")->path().filename(), "x.ufoz");
  std::string listing;
  EXPECT_EQ(runShell(folder_.path(), "unzip -Z1 out/x.ufoz", &listing), 0);
  EXPECT_EQ(listing.rfind("x.ufo/\n", 0), 0u) << listing;

  // fontTools reads the archive in full, with the same content as the plain folder, and
  // our own archive converts back to the same font.
  ASSERT_EQ(runProgram(folder_.path(), {"-s", "Sample.qtf", "plain.ufo"}).exitCode, 0);
  const std::string plain = summaryOf(folder_ / "plain.ufo");
  EXPECT_NE(plain.find("\"Aacute\""), std::string::npos);
  EXPECT_EQ(summaryOf(folder_ / "out/x.ufoz"), plain);
  ASSERT_EQ(runProgram(folder_.path(), {"-s", "out/x.ufoz", "again.qtf"}).exitCode, 0);
  ASSERT_EQ(runProgram(folder_.path(), {"-s", "again.qtf"}).exitCode, 0);
  EXPECT_EQ(summaryOf(folder_ / "again.ufo"), plain);
}

TEST_F(SampleConversion, ConsoleTextsOfSilentForceAndLists) {
  const std::string banner =
      "TARNWICK Converter\n" + msg::bannerDescription() + "\n" + msg::bannerBuildLine() + "\n";
  const std::string imported = banner + "Source file was successfully imported.\n";
  struct Case {
    std::vector<std::string> arguments;
    std::string out;
    int exitCode;
  };
  fs::create_directory(folder_ / "kept.ufo");
  testing_app::writeFile(folder_ / "kept.ufo/keep.txt", "mine");
  const Case cases[] = {
      {{"-pp", "Sample.qtf", "a.ufo"}, imported + "Processing font: Tarnwick Sample Regular\n" + base() + "/a.ufo\n", 0},
      {{"-s", "-pp", "Sample.qtf", "b.ufo"}, base() + "/b.ufo\n", 0},
      {{"-s", "-l", "Sample.qtf"}, "Tarnwick Sample Regular;6\n", 0},
      {{"-s", "-L", "Sample.qtf"}, "Tarnwick Sample Regular;7;Sample.qtf;6\n", 0},
      // An existing folder is found when its font comes to be written.
      {{"Sample.qtf", "kept.ufo"},
       imported + "Processing font: Tarnwick Sample Regular\nOutput file \"" + base() +
           "/kept.ufo\" exists, cannot overwrite.\n",
       255},
  };
  for (const Case& c : cases) {
    const RunResult run = runProgram(folder_.path(), c.arguments);
    EXPECT_EQ(run.out, c.out) << c.arguments[1];
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments[1];
  }
  EXPECT_EQ(testing_app::readFile(folder_ / "kept.ufo/keep.txt"), "mine");
  EXPECT_EQ(folder_.names(), (std::vector<std::string>{"Sample.qtf", "Sample.ufo", "a.ufo", "b.ufo", "kept.ufo"}));

  // Replacing with "-fo" prints the removal lines, also when silent.
  const RunResult again = runProgram(folder_.path(), {"-s", "-fo", "Sample.qtf", "b.ufo"});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_NE(again.out.find(base() + "/b.ufo/metainfo.plist file\n"), std::string::npos) << again.out;
}

// The TrueType hinting of the sample (zones, stems and the program of "A") as fontTools
// reads it from a UFO, the UFO checked against the format's rules.
std::string hintingOf(const std::string& ufo) {
  return judge("-c 'import json, sys\n"
               "from fontTools.ufoLib import UFOReader\n"
               "r = UFOReader(sys.argv[1], validate=True)\n"
               "class G: pass\n"
               "g = G(); r.getGlyphSet().readGlyph(\"A\", g)\n"
               "print(json.dumps({\"font\": r.readLib()[\"com.quorvel.v2.tth\"],\n"
               "  \"A\": g.lib[\"com.quorvel.ttprogram\"].decode()}, sort_keys=True))'",
               ufo);
}

TEST_F(SampleConversion, TrueTypeHintingSurvivesBothDirections) {
  ASSERT_EQ(runProgram(folder_.path(), {"-s", "-64", "Sample.qtf", "a.ufo"}).exitCode, 0);
  ASSERT_EQ(runProgram(folder_.path(), {"-s", "a.ufo", "b.qtf"}).exitCode, 0);
  ASSERT_EQ(runProgram(folder_.path(), {"-s", "-64", "b.qtf", "c.ufo"}).exitCode, 0);
  const std::string first = hintingOf(folder_ / "a.ufo");
  // The native file names no points: the program names them after the command that first
  // uses them, and stores in its normalised order. Stems whose six rounding steps are all
  // 0 have no "round" entries.
  EXPECT_EQ(first,
            R"({"A": "  <ttProgram>\n)"
            R"(    <ttc code=\"singleh\" point1=\"sh01\" point2=\"sh02\" stem=\"stem80\" align=\"round\"/>\n)"
            R"(    <ttc code=\"alignt\" point=\"at01\" zone=\"cap\"/>\n)"
            R"(    <ttc code=\"alignb\" point=\"sh01\" zone=\"baseline\"/>\n)"
            R"(    <ttc code=\"doublev\" point1=\"dv01\" point2=\"dv02\" stem=\"bar70\"/>\n)"
            R"(    <ttc code=\"interpolatev\" point=\"iv01\" point1=\"sh01\" point2=\"at01\" align=\"left\"/>\n)"
            R"(    <ttc code=\"mdeltav\" point=\"iv01\" delta=\"8\" ppm1=\"12\" ppm2=\"14\"/>\n)"
            R"(    <ttc code=\"fdeltah\" point=\"rsb\" delta=\"-8\" ppm1=\"20\" ppm2=\"20\"/>\n)"
            R"(  </ttProgram>\n", "font": {"stems": {"bar70": {"horizontal": true, )"
                R"("width": 70}, "stem80": {"horizontal": false, )"
                R"("width": 80}}, "stemsnaplimit": 30, "zones": {"baseline": {"position": 0, )"
                R"("top": false, "width": -16}, "cap": {"delta": {"14": 1}, "position": 700, )"
                R"("top": true, "width": 16}}}})"
                "\n");
  // UFO -> native -> UFO gives the same entries again.
  EXPECT_EQ(hintingOf(folder_ / "c.ufo"), first);
}

}  // namespace
