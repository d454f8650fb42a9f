// The files the layout road opens, through the program and otltool: special files in a
// UFO and as includes, include bombs, relative include paths, an archive entry past the
// reader's limits, a file-size limit while writing and a folder in the output's place.
// Every run ends in order within layout_road::kSecondsBound.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "layout_road_support.h"
#include "ufo/limits.h"

namespace {

using namespace layout_road;

constexpr int kUfoReadFailure = 252;   // the read of the UFO failed
constexpr int kConversionFailure = 253;
constexpr int kRefused = 255;          // the output cannot be written there
constexpr int kEntryTooLarge = 103;    // an archive entry past the reader's limits

constexpr const char* kFeatures = "languagesystem DFLT dflt;\nfeature liga { sub g1 g2 by g3; } liga;\n";
constexpr const char* kLayoutDocument = "data/com.quorvel.v2.otl.ttx.xml";

class LayoutRoadFiles : public ::testing::Test {
 protected:
  fs::path path(const std::string& name) const { return scratch_.path() / name; }
  ScratchFolder scratch_;
};

// A member of the UFO that is no regular file is refused with its name, whatever it is.
TEST_F(LayoutRoadFiles, SpecialMembersOfAUfoAreRefusedByName) {
  struct Case {
    const char* member;
    bool ttx;  // the layout XML document is read with "-ttx" only
  };
  const Case members[] = {{"features.fea", false},        {"layercontents.plist", false},
                          {kLayoutDocument, true},        {"fontinfo.plist", false},
                          {"glyphs/contents.plist", false}};
  for (const Case& member : members) {
    for (Special kind : {Special::kFifo, Special::kZeroLink, Special::kRandomLink, Special::kFolder}) {
      const std::string what = std::string(member.member) + " as " + specialName(kind);
      const fs::path ufo = path("font.ufo");
      fs::remove_all(ufo);
      writeUfo(ufo);
      writeFile(ufo / "features.fea", kFeatures);
      makeSpecial(ufo / member.member, kind);
      std::vector<std::string> arguments{"-s"};
      if (member.ttx) arguments.push_back("-ttx");
      arguments.insert(arguments.end(), {ufo.string(), path("out/font.qtf").string()});
      fs::create_directories(path("out"));
      const RunResult result = program(arguments, scratch_.path());
      const bool layers = member.member == std::string("layercontents.plist");  // only named: the font converts
      const char* const problem = layers ? "\" cannot be read (it is not a regular file" : "\" is not a regular file";
      expectBounded(result, layers ? 0 : kUfoReadFailure, "\"" + std::string(member.member) + problem, what);
      EXPECT_EQ(listTree(path("out")).empty(), !layers) << what;
      fs::remove_all(path("out"));
    }
  }
}

// Includes that are no regular file or too large stop the compile with a message: the
// compiler's own line, and the conversion's record of why (what `import` prints).
TEST_F(LayoutRoadFiles, SpecialAndHugeIncludesStopTheCompile) {
  writeGlyphList(path("glyphs.txt"), 10);
  struct Case {
    std::string what;
    std::function<void(const fs::path&)> make;
    std::string needle;
  };
  const std::vector<Case> cases = {
      {"a FIFO", [](const fs::path& p) { makeSpecial(p, Special::kFifo); }, "not a regular file"},
      {"a link to /dev/zero", [](const fs::path& p) { makeSpecial(p, Special::kZeroLink); }, "not a regular file"},
      {"a folder", [](const fs::path& p) { makeSpecial(p, Special::kFolder); }, "not a regular file"},
      // An anon block opened in a sparse file of 3 GiB: its text would be collected whole.
      {"a 3 GiB sparse file",
       [](const fs::path& p) {
         writeFile(p, "anon ANON {\n");
         fs::resize_file(p, std::uintmax_t{3} << 30);
       },
       "larger than the compiler reads"},
  };
  for (const Case& hostileCase : cases) {
    const fs::path folder = path("fea");
    fs::remove_all(folder);
    writeFile(folder / "features.fea", std::string("include(inc.fea);\n") + kFeatures);
    hostileCase.make(folder / "inc.fea");
    const RunResult result =
        tool({"import", path("glyphs.txt").string(), (folder / "features.fea").string(), path("tables").string()},
             scratch_.path());
    const std::string what = "an include of " + hostileCase.what;
    expectBounded(result, 1, "FEA compiler error: [F] feature file is not accessible\n", what);
    expectBounded(result, 1, hostileCase.needle, what);
  }
}

// Five small files, each including the next 60 times: 13 million include statements.
void writeIncludeBomb(const fs::path& folder) {
  writeFile(folder / "l4.fea", "# leaf\n");
  for (int level = 3; level >= 1; --level) {
    writeFile(folder / ("l" + std::to_string(level) + ".fea"),
              repeat("include(l" + std::to_string(level + 1) + ".fea);\n", 60));
  }
  writeFile(folder / "features.fea", repeat("include(l1.fea);\n", 60) + "feature liga { sub g1 by g2; } liga;\n");
}

TEST_F(LayoutRoadFiles, AnIncludeBombStopsEarlyAndTheTextStaysVerbatim) {
  writeGlyphList(path("glyphs.txt"), 10);
  writeIncludeBomb(path("bomb"));
  const RunResult compiled = tool(
      {"compile", path("glyphs.txt").string(), path("bomb/features.fea").string(), path("tables").string()},
      scratch_.path());
  expectBounded(compiled, 1, "include files opened", "otltool compile of the include bomb");

  // Through the program: the compile fails, the feature text comes back byte for byte.
  const fs::path ufo = path("font.ufo");
  writeUfo(ufo);
  writeIncludeBomb(ufo);
  const RunResult there = program({"-s", ufo.string(), path("font.qtf").string()}, scratch_.path());
  expectBounded(there, 0, "", "the include bomb, UFO -> native");
  const RunResult home = program({"-s", path("font.qtf").string(), path("back.ufo").string()}, scratch_.path());
  expectBounded(home, 0, "", "the include bomb, native -> UFO");
  EXPECT_EQ(readAll(path("back.ufo/features.fea")), readAll(ufo / "features.fea"));
}

// An include inside an include, the main file named by a relative path: the including file
// is opened again at the path it was first opened at.
TEST_F(LayoutRoadFiles, NestedIncludesUnderARelativePathCompile) {
  writeGlyphList(path("glyphs.txt"), 10);
  const std::string a = "include(b.fea);\n@A = [g3];\n";
  const std::string b = "@B = [g4];\n";
  const std::string main = "include(a.fea);\nfeature liga { sub g1 by g2; sub @A by @B; } liga;\n";
  writeFile(path("fea/features.fea"), main);
  writeFile(path("fea/a.fea"), a);
  writeFile(path("fea/b.fea"), b);
  const RunSetting here{scratch_.path()};
  for (const std::string verb : {"compile", "import"}) {
    const RunResult result = tool({verb, "glyphs.txt", "fea/features.fea", "tables-" + verb}, scratch_.path(), here);
    expectBounded(result, 0, "", "otltool " + verb + " under a relative path");
  }

  // The program, with the UFO and the output named relatively, from a folder and an archive.
  const fs::path ufo = path("font.ufo");
  writeUfo(ufo);
  writeFile(ufo / "features.fea", main);
  writeFile(ufo / "a.fea", a);
  writeFile(ufo / "b.fea", b);
  packFolder(ufo, "font.ufo", path("font.ufoz"));
  for (const std::string input : {"font.ufo", "font.ufoz"}) {
    fs::remove_all(path("out"));
    const RunResult result = program({"-s", "-p", "out", input}, scratch_.path(), here);
    expectBounded(result, 0, "", input + " under a relative path");
    EXPECT_EQ(result.output.find("not compiled"), std::string::npos) << input << ": " << result.output;
    EXPECT_TRUE(fs::exists(path("out/font.qtf"))) << input;
  }
}

// An archive of 300 KB whose features.fea unpacks past the reader's limit is refused before
// anything is unpacked, naming the entry.
TEST_F(LayoutRoadFiles, AnArchiveEntryPastTheReadersLimitIsRefusedBeforeUnpacking) {
  const fs::path ufo = path("big/font.ufo");
  writeUfo(ufo);
  {
    std::ofstream out(ufo / "features.fea", std::ios::binary);
    const std::string line(1023, ' ');
    for (std::uint64_t written = 0; written <= ufo::kMaxFeatureTextBytes; written += 1024) out << line << '\n';
  }
  packFolder(ufo, "font.ufo", path("font.ufoz"));
  fs::remove_all(path("big"));
  fs::create_directories(path("out"));
  const RunResult result = program({"-s", "-p", path("out").string(), path("font.ufoz").string()}, scratch_.path());
  expectBounded(result, kEntryTooLarge, "font.ufo/features.fea", "an archive holding a huge features.fea");
  EXPECT_LE(result.peakKilobytes, 256 * 1024);
  EXPECT_TRUE(listTree(path("out")).empty());
}

// Past "ulimit -f" the write fails and its clean-up runs: no signal, nothing left behind.
TEST_F(LayoutRoadFiles, AFileSizeLimitFailsTheWriteAndLeavesNothing) {
  const fs::path ufo = path("font.ufo");
  writeUfo(ufo);
  // A long feature text makes the native file larger than the limit.
  writeFile(ufo / "features.fea", std::string(kFeatures) + repeat("# padding to make the file larger\n", 2000));
  fs::create_directories(path("out"));
  RunSetting limited;
  limited.fileSizeLimit = 16 * 1024;
  const RunResult result = program({"-s", ufo.string(), path("out/font.qtf").string()}, scratch_.path(), limited);
  expectBounded(result, kConversionFailure, "font.qtf", "writing past the file-size limit");
  EXPECT_TRUE(listTree(path("out")).empty());
}

// A folder where the native file is to be written is left as it was, with or without "-fo".
TEST_F(LayoutRoadFiles, AFolderInTheOutputsPlaceIsLeftUntouched) {
  const fs::path ufo = path("font.ufo");
  writeUfo(ufo);
  writeFile(path("out/font.qtf/keep.txt"), "kept");
  for (const bool force : {false, true}) {
    std::vector<std::string> arguments{"-s"};
    if (force) arguments.push_back("-fo");
    arguments.insert(arguments.end(), {ufo.string(), path("out/font.qtf").string()});
    const RunResult result = program(arguments, scratch_.path());
    expectBounded(result, kRefused, "is a folder", force ? "-fo onto a folder" : "onto a folder");
    EXPECT_EQ(listTree(path("out")), (std::vector<std::string>{"font.qtf", "font.qtf/keep.txt"}));
    EXPECT_EQ(readAll(path("out/font.qtf/keep.txt")), "kept");
  }
}

}  // namespace
