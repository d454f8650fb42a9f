// Conversions of the sample font through ".ufoz" archives, judged by fontTools. They are
// skipped while the readers and writers cannot yet convert the sample.
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

const std::string kSample = std::string(TARNWICK_SOURCE_DIR) + "/tests/data/Sample.ufo";

std::string summaryOf(const std::string& path) {
  std::string out;
  const std::string script = std::string(TARNWICK_SOURCE_DIR) + "/tests/data/ufo_summary.py";
  const std::string command = std::string(TARNWICK_PYTHON) + " " + quoteForShell(script) + " " +
                              quoteForShell(path) + " 2>&1";
  if (runShell(".", command, &out) != 0) return "summary failed for " + path + ": " + out;
  return out;
}

// A folder holding Sample.ufo and the Sample.qtf converted from it; skips the test when the
// conversion does not work yet.
class SampleConversion : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(kSample, folder_ / "Sample.ufo", fs::copy_options::recursive);
    const RunResult run = runProgram(folder_.path(), {"-s", "Sample.ufo"});
    if (run.exitCode != 0 || !fs::exists(folder_ / "Sample.qtf"))
      GTEST_SKIP() << "the sample does not convert yet: " << run.out;
  }

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
  const std::string archive = fs::canonical(folder_ / "out").string() + "/x.ufoz";
  // The temporary folder's removal lines come first, then the written archive.
  ASSERT_GE(run.out.size(), archive.size() + 1);
  EXPECT_EQ(run.out.substr(run.out.size() - archive.size() - 1), archive + "\n");
  EXPECT_EQ(std::vector<std::string>{"x.ufoz"},
            [&] {
              std::vector<std::string> names;
              for (const auto& item : fs::directory_iterator(folder_ / "out"))
                names.push_back(item.path().filename());
              return names;
            }());
  EXPECT_EQ(runShell(folder_.path(), "unzip -tq out/x.ufoz >/dev/null 2>&1"), 0);
  std::string listing;
  runShell(folder_.path(), "unzip -Z1 out/x.ufoz", &listing);
  EXPECT_EQ(listing.rfind("x.ufo/\n", 0), 0u) << listing;

  // fontTools reads the archive in full, with the same content as the plain folder.
  ASSERT_EQ(runProgram(folder_.path(), {"-s", "Sample.qtf", "plain.ufo"}).exitCode, 0);
  const std::string zipped = summaryOf(folder_ / "out/x.ufoz");
  EXPECT_EQ(zipped, summaryOf(folder_ / "plain.ufo"));
  EXPECT_NE(zipped.find("\"Aacute\""), std::string::npos);

  // Our own archive converts back to the same font.
  ASSERT_EQ(runProgram(folder_.path(), {"-s", "out/x.ufoz", "again.qtf"}).exitCode, 0);
  ASSERT_EQ(runProgram(folder_.path(), {"-s", "again.qtf"}).exitCode, 0);
  EXPECT_EQ(summaryOf(folder_ / "again.ufo"), summaryOf(folder_ / "plain.ufo"));
}

TEST_F(SampleConversion, ArchivesOfOtherToolsConvertLikeTheFolder) {
  ASSERT_EQ(runProgram(folder_.path(), {"-s", "Sample.qtf", "fromFolder.ufo"}).exitCode, 0);
  const std::string expected = summaryOf(folder_ / "fromFolder.ufo");

  // Info-ZIP without folder entries, and fontTools' own zipped form.
  fs::create_directory(folder_ / "zip");
  ASSERT_EQ(runShell(folder_.path(), "zip -qrD zip/Sample.ufoz Sample.ufo"), 0);
  fs::create_directory(folder_ / "ft");
  const std::string copy =
      std::string(TARNWICK_PYTHON) +
      " -c 'from fontTools.ufoLib import UFOReader, UFOWriter, UFOFileStructure\n"
      "class Info: pass\n"
      "r = UFOReader(\"Sample.ufo\")\n"
      "w = UFOWriter(\"ft/Sample.ufoz\", formatVersion=2, structure=UFOFileStructure.ZIP)\n"
      "i = Info(); r.readInfo(i); w.writeInfo(i)\n"
      "w.writeGroups(r.readGroups()); w.writeKerning(r.readKerning()); w.writeLib(r.readLib())\n"
      "w.writeFeatures(r.readFeatures())\n"
      "from fontTools.pens.recordingPen import RecordingPointPen\n"
      "src = r.getGlyphSet(); dst = w.getGlyphSet()\n"
      "for n in src.keys():\n"
      "  g = Info(); p = RecordingPointPen(); src.readGlyph(n, g, p)\n"
      "  dst.writeGlyph(n, g, p.replay)\n"
      "dst.writeContents(); w.close()' >/dev/null 2>&1";
  ASSERT_EQ(runShell(folder_.path(), copy), 0);

  // Each archive converts exactly as its own unpacked folder does.  fontTools' copy is
  // not the same font as ours (it adds its own kerning-group names), so it is compared
  // with its unpacked self rather than with the original folder.
  for (const char* archive : {"zip/Sample.ufoz", "ft/Sample.ufoz"}) {
    const RunResult run = runProgram(folder_.path(), {"-s", "-pp", archive});
    ASSERT_EQ(run.exitCode, 0) << archive << ": " << run.out;
    const std::string folder = fs::path(archive).parent_path().string();
    const fs::path where = folder_ / folder;
    ASSERT_EQ(runProgram(where, {"-s", "Sample.qtf", "back.ufo"}).exitCode, 0);
    const std::string fromArchive = summaryOf(where / "back.ufo");

    fs::create_directory(where / "unpacked");
    ASSERT_EQ(runShell(where, "unzip -q Sample.ufoz -d unpacked"), 0) << archive;
    std::string unpackedUfo;
    for (const auto& item : fs::directory_iterator(where / "unpacked"))
      if (item.path().extension() == ".ufo") unpackedUfo = item.path().string();
    ASSERT_FALSE(unpackedUfo.empty()) << archive;
    ASSERT_EQ(runProgram(where, {"-s", unpackedUfo, "plain.qtf"}).exitCode, 0);
    ASSERT_EQ(runProgram(where, {"-s", "plain.qtf", "plainBack.ufo"}).exitCode, 0);
    EXPECT_EQ(fromArchive, summaryOf(where / "plainBack.ufo")) << archive;
    if (std::string(archive) == "zip/Sample.ufoz") {
      EXPECT_EQ(fromArchive, expected);
    }
  }
}

TEST_F(SampleConversion, SilentHidesTheBannerAndProgressOnly) {
  const RunResult loud = runProgram(folder_.path(), {"-pp", "Sample.qtf", "a.ufo"});
  const RunResult quiet = runProgram(folder_.path(), {"-s", "-pp", "Sample.qtf", "b.ufo"});
  ASSERT_EQ(loud.exitCode, 0);
  ASSERT_EQ(quiet.exitCode, 0);
  const std::string base = fs::canonical(folder_.path()).string();
  const std::string banner =
      "TARNWICK Converter\n" + msg::bannerDescription() + "\n" + msg::bannerBuildLine() + "\n";
  EXPECT_EQ(loud.out, banner + "Source file was successfully imported.\n" +
                          "Processing font: Tarnwick Sample Regular\n" + base + "/a.ufo\n");
  EXPECT_EQ(quiet.out, base + "/b.ufo\n");

  // Replacing with "-fo" prints the removal lines, also when silent.
  const RunResult again = runProgram(folder_.path(), {"-s", "-fo", "Sample.qtf", "b.ufo"});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_NE(again.out.find(base + "/b.ufo/metainfo.plist file\n"), std::string::npos) << again.out;
}

// The TrueType hinting of the sample (zones, stems and the program of "A") as fontTools
// reads it from a UFO, the UFO checked against the format's rules.
std::string hintingOf(const std::string& ufo) {
  std::string out;
  const std::string command =
      std::string(TARNWICK_PYTHON) +
      " -c 'import json, sys\n"
      "from fontTools.ufoLib import UFOReader\n"
      "r = UFOReader(sys.argv[1], validate=True)\n"
      "class G: pass\n"
      "g = G(); r.getGlyphSet().readGlyph(\"A\", g)\n"
      "print(json.dumps({\"font\": r.readLib()[\"com.quorvel.v2.tth\"],\n"
      "  \"A\": g.lib[\"com.quorvel.ttprogram\"].decode()}, sort_keys=True))' " +
      quoteForShell(ufo) + " 2>&1";
  if (runShell(".", command, &out) != 0) return "hinting unreadable in " + ufo + ": " + out;
  return out;
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

TEST_F(SampleConversion, ExistingFolderIsFoundWhenItsFontIsWritten) {
  fs::create_directory(folder_ / "out.ufo");
  testing_app::writeFile(folder_ / "out.ufo/keep.txt", "mine");
  const RunResult run = runProgram(folder_.path(), {"Sample.qtf", "out.ufo"});
  const std::string base = fs::canonical(folder_.path()).string();
  EXPECT_EQ(run.out, "TARNWICK Converter\n" + msg::bannerDescription() + "\n" +
                         msg::bannerBuildLine() + "\nSource file was successfully imported.\n" +
                         "Processing font: Tarnwick Sample Regular\n" + "Output file \"" + base +
                         "/out.ufo\" exists, cannot overwrite.\n");
  EXPECT_EQ(run.exitCode, 255);
  EXPECT_EQ(testing_app::readFile(folder_ / "out.ufo/keep.txt"), "mine");
  EXPECT_EQ(folder_.names(), (std::vector<std::string>{"Sample.qtf", "Sample.ufo", "out.ufo"}));
}

TEST_F(SampleConversion, FontListsConvertNothing) {
  RunResult run = runProgram(folder_.path(), {"-s", "-l", "Sample.qtf"});
  EXPECT_EQ(run.out, "Tarnwick Sample Regular;6\n");
  run = runProgram(folder_.path(), {"-s", "-L", "Sample.qtf"});
  EXPECT_EQ(run.out, "Tarnwick Sample Regular;7;Sample.qtf;6\n");
  EXPECT_EQ(folder_.names(), (std::vector<std::string>{"Sample.qtf", "Sample.ufo"}));
}

}  // namespace
