// The native road on files from the test builder: font lists, output names, fonts that
// cannot be read or written, and a UFO folder that cannot be packed.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/messages.h"
#include "support/qtf_builder.h"
#include "test_helpers.h"

namespace {

using testing_app::RunResult;
using testing_app::runProgram;
using testing_app::TempFolder;
namespace fs = std::filesystem;

std::string nativeFile(std::optional<uint16_t> masters, const std::vector<std::string>& glyphs) {
  qtftest::FileBuilder file;
  file.begin().fontInfo(masters);
  const std::vector<std::pair<int32_t, int32_t>> advances(masters.value_or(1), {500, 0});
  for (const std::string& name : glyphs) file.glyph(qtftest::GlyphRecord().name(name).advance(advances));
  return file.end().str();
}

TEST(NativeRoad, ListsFontsAndNamesTheOutputOfEachMaster) {
  TempFolder folder;
  testing_app::writeFile(folder / "probe.qtf", nativeFile(std::nullopt, {"A", "B"}));
  testing_app::writeFile(folder / "two.qtf", nativeFile(2, {"A", "B", "C"}));
  fs::create_directory(folder / "sub");

  RunResult run = runProgram(folder.path(), {"-s", "-L", "-fo", "sub/../probe.qtf"});
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(run.out, "Untitled Regular;7;probe.qtf;2\n");
  run = runProgram(folder.path(), {"-l", "probe.qtf"});
  EXPECT_EQ(run.out, "TARNWICK Converter\n" + msg::bannerDescription() + "\n" + msg::bannerBuildLine() +
                         "\nSource file was successfully imported.\nUntitled Regular;2\n");
  run = runProgram(folder.path(), {"-s", "-L", "two.qtf"});
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(run.out, "Untitled Regular;7;two.qtf;3\nUntitled Regular;7;two.qtf;3\n");
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"probe.qtf", "sub", "two.qtf"}));

  // Converted, the output path's name serves only a single font.
  run = runProgram(folder.path(), {"-s", "-pp", "two.qtf", "sub/x.ufo"});
  ASSERT_EQ(run.exitCode, 0) << run.out;
  const std::string sub = fs::canonical(folder / "sub").string();
  EXPECT_EQ(run.out, sub + "/two.ufo\n" + sub + "/two-1.ufo\n");
  EXPECT_TRUE(fs::is_regular_file(folder / "sub/two-1.ufo/metainfo.plist"));
}

TEST(NativeRoad, WritesBesideTheTargetAndKeepsAFolderThatCannotBePacked) {
  TempFolder folder;
  testing_app::writeFile(folder / "probe.qtf", nativeFile(std::nullopt, {"A"}));
  const std::string base = fs::canonical(folder.path()).string();

  RunResult run = runProgram(folder.path(), {"-s", "-pp", "probe.qtf", "x.txt"});
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(run.out, base + "/x.ufo\n");
  EXPECT_TRUE(fs::is_regular_file(folder / "x.ufo/metainfo.plist"));

  // A plain file where the folder should go ends the run and stays.
  testing_app::writeFile(folder / "z.ufo", "file");
  run = runProgram(folder.path(), {"-s", "-fo", "probe.qtf", "z.ufo"});
  EXPECT_EQ(run.exitCode, 253);
  EXPECT_EQ(run.out, msg::cannotCreateUfoFolder(base + "/z.ufo") + "\n");
  EXPECT_EQ(testing_app::readFile(folder / "z.ufo"), "file");

  // A folder where the archive should go: the archive cannot be written, the UFO folder
  // stays under its temporary name and is listed, and the run fails.
  fs::create_directory(folder / "y.ufoz");
  run = runProgram(folder.path(), {"-s", "-pp", "-fo", "-z", "probe.qtf", "y.ufo"});
  EXPECT_EQ(run.exitCode, 253);
  const auto cut = run.out.find('\n');
  ASSERT_NE(cut, std::string::npos);
  EXPECT_EQ(run.out.substr(0, 42), "While compressing we got following error: ") << run.out;
  const std::string kept = run.out.substr(cut + 1);
  ASSERT_EQ(kept.size(), base.size() + std::string("/XXXXXXy.ufo\n").size()) << kept;
  EXPECT_EQ(kept.substr(kept.size() - 6), "y.ufo\n");
  EXPECT_TRUE(fs::is_directory(kept.substr(0, kept.size() - 1)));
  EXPECT_TRUE(fs::is_empty(folder / "y.ufoz"));
}

// A file cut inside its font-information block counts no masters: it holds no fonts. A
// font whose folder cannot be written (no file may grow past 0 bytes) cannot be exported
// and leaves nothing behind.
TEST(NativeRoad, NoFontsAndFontsThatCannotBeExported) {
  TempFolder folder;
  qtftest::FileBuilder broken;
  broken.begin().add(257).add(1024, qtftest::Payload().text("Family"));
  testing_app::writeFile(folder / "broken.qtf", broken.str());
  RunResult run = runProgram(folder.path(), {"-s", "broken.qtf"});
  EXPECT_EQ(run.out, msg::noFonts("broken.qtf") + "\n");
  EXPECT_EQ(run.exitCode, 255);

  testing_app::writeFile(folder / "probe.qtf", nativeFile(std::nullopt, {"A"}));
  std::string out;
  const int code = testing_app::runShell(
      folder.path(), "trap '' XFSZ; ulimit -f 0; " + testing_app::quoteForShell(TARNWICK_EXE) + " -s probe.qtf", &out);
  EXPECT_EQ(out, msg::cannotExportFont(fs::canonical(folder.path()).string() + "/probe.ufo") + "\n");
  EXPECT_EQ(code, 253);
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"broken.qtf", "probe.qtf"}));
}

}  // namespace
