// Files that are there but cannot be used, through the program: FIFOs and devices as the
// input or the output, UFO members that are looping or dangling links, folders, FIFOs or
// too large, a glyphs folder that is none, archive entries past the glyph-file cap and
// property lists that do not parse. Each run ends within the bound with its exit code and
// a message naming the file, and leaves no output behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "layout_road_support.h"
#include "support/qtf_builder.h"
#include "ufo/limits.h"

namespace {

using namespace layout_road;

constexpr int kUfoReadFailure = 252;
constexpr int kConversionFailure = 253;
constexpr int kRefused = 255;
constexpr int kEntryTooLarge = 103;
// A run that blocks is killed here, far sooner than the suite's bound.
constexpr int kHangSeconds = hostile::kSanitized ? 60 : 20;

constexpr const char* kLayoutDocument = "data/com.quorvel.v2.otl.ttx.xml";

enum class Odd { kLoop, kDangling, kFifo, kFolder, kPlainFile, kLinkToRoot, kOverGlyphCap, kMissing, kGarbage };

// Puts the odd thing at `path` in place of what was there.
void makeOdd(const fs::path& path, Odd kind) {
  fs::create_directories(path.parent_path());
  fs::remove_all(path);
  switch (kind) {
    case Odd::kLoop: fs::create_symlink(path.filename(), path); break;
    case Odd::kDangling: fs::create_symlink("nowhere", path); break;
    case Odd::kFifo: makeSpecial(path, Special::kFifo); break;
    case Odd::kFolder: makeSpecial(path, Special::kFolder); break;
    case Odd::kPlainFile: writeFile(path, "x"); break;
    case Odd::kLinkToRoot: fs::create_symlink("/", path); break;
    case Odd::kOverGlyphCap:  // sparse: costs no disk and is never read
      writeFile(path, "");
      fs::resize_file(path, ufo::kMaxOneGlyphFileBytes + 1);
      break;
    case Odd::kMissing: break;
    case Odd::kGarbage: writeFile(path, repeat("garbage ", 100)); break;
  }
}

// A native file of one glyph, from the test builder.
std::string nativeFont() {
  qtftest::FileBuilder file;
  file.begin().fontInfo(std::nullopt);
  file.glyph(qtftest::GlyphRecord().name("a").advance(500));
  return file.end().str();
}

struct Case {
  std::string what;
  // Makes the inputs in the run's folder and gives the arguments after "-s".
  std::function<std::vector<std::string>(const fs::path&)> prepare;
  int exitCode;
  std::string needle;
  std::vector<std::string> leftInOut;  // what "out" holds after the run
};

// A sound UFO "font.ufo" with `member` made odd, converted to out/font.qtf.
Case ufoCase(const std::string& member, Odd kind, const std::string& needle, bool ttx = false) {
  const std::string what = member + " made odd (" + std::to_string(static_cast<int>(kind)) + ")";
  return {what,
          [=](const fs::path& dir) {
            writeUfo(dir / "font.ufo");
            writeFile(dir / "font.ufo/features.fea", "languagesystem DFLT dflt;\n");
            makeOdd(dir / "font.ufo" / member, kind);
            std::vector<std::string> arguments;
            if (ttx) arguments.push_back("-ttx");
            arguments.insert(arguments.end(), {"font.ufo", "out/font.qtf"});
            return arguments;
          },
          kUfoReadFailure, needle, {}};
}

Case fifoInput(const std::string& name) {
  return {"a FIFO as the input " + name,
          [=](const fs::path& dir) {
            makeOdd(dir / name, Odd::kFifo);
            return std::vector<std::string>{"-fo", name, "out/font.qtf"};
          },
          kConversionFailure, "Source font file \"" + name + "\" is not accessible.\n", {}};
}

// A FIFO where the output goes: refused, left as it is, with or without "-fo".
Case fifoOutput(const std::string& input, const std::string& output, std::vector<std::string> options) {
  return {"a FIFO as the output " + output + " of " + input,
          [=](const fs::path& dir) {
            writeUfo(dir / "font.ufo");
            writeFile(dir / "font.qtf", nativeFont());
            makeOdd(dir / "out" / output, Odd::kFifo);
            std::vector<std::string> arguments = options;
            arguments.insert(arguments.end(), {input, "out/" + output});
            return arguments;
          },
          kRefused, "/out/" + output + "\" is not a regular file, cannot overwrite.", {output}};
}

std::vector<Case> cases() {
  std::vector<Case> all{
      fifoInput("in.qtf"),
      fifoInput("in.ufoz"),
      fifoInput("in.ufo"),
      {"a link to /dev/zero as the input",
       [](const fs::path& dir) {
         fs::create_symlink("/dev/zero", dir / "zero.qtf");
         return std::vector<std::string>{"zero.qtf", "out/zero.ufo"};
       },
       kConversionFailure, "Source font file \"zero.qtf\" is not accessible.\n", {}},
      fifoOutput("font.ufo", "font.qtf", {}),
      fifoOutput("font.ufo", "font.qtf", {"-fo"}),
      fifoOutput("font.qtf", "font.ufo", {"-fo"}),
      fifoOutput("font.qtf", "font.ufoz", {"-fo", "-z"}),
      ufoCase("glyphs", Odd::kPlainFile, "\"glyphs\" is not a folder"),
      ufoCase("glyphs", Odd::kDangling, "\"glyphs\" is not a folder"),
      [] { Case c = ufoCase("glyphs", Odd::kLinkToRoot, ""); c.exitCode = 0, c.leftInOut = {"font.qtf"}; return c; }(),
      ufoCase("glyphs/contents.plist", Odd::kMissing, "\"glyphs/contents.plist\" is missing"),
      ufoCase("metainfo.plist", Odd::kMissing, "\"metainfo.plist\" is missing"),
      ufoCase("glyphs/g1.glif", Odd::kFifo, "\"glyphs/g1.glif\" is not a regular file"),
      ufoCase("glyphs/g1.glif", Odd::kFolder, "\"glyphs/g1.glif\" is not a regular file"),
      ufoCase("glyphs/g1.glif", Odd::kOverGlyphCap, "\"glyphs/g1.glif\" is larger than the reader accepts"),
      ufoCase("lib.plist", Odd::kGarbage, "plist parsing error: expected <\nin \"lib.plist\" at line 1 (byte 0)"),
      ufoCase("kerning.plist", Odd::kDangling, "\"kerning.plist\" cannot be opened"),
      ufoCase("glyphs/g2.glif", Odd::kDangling, "\"glyphs/g2.glif\" cannot be opened"),
      {"an archive whose glyph file passes the cap",
       [](const fs::path& dir) {
         writeUfo(dir / "big/font.ufo");
         makeOdd(dir / "big/font.ufo/glyphs/g1.glif", Odd::kOverGlyphCap);
         packFolder(dir / "big/font.ufo", "font.ufo", dir / "font.ufoz");
         fs::remove_all(dir / "big");
         return std::vector<std::string>{"-p", "out", "font.ufoz"};
       },
       kEntryTooLarge, "\"font.ufo/glyphs/g1.glif\": it unpacks to more than the 67108864 bytes", {}},
  };
  // Every member the reader opens, as a looping link: named, never taken as absent.
  for (const char* member : {"metainfo.plist", "fontinfo.plist", "groups.plist", "kerning.plist", "lib.plist",
                             "glyphs/contents.plist", "glyphs/g3.glif", "features.fea", "layercontents.plist"}) {
    all.push_back(ufoCase(member, Odd::kLoop, "\"" + std::string(member) + "\" cannot be opened"));
  }
  // The glyphs link above holds no ".glif" file, and the layer list only names layers: both convert.
  all.back().exitCode = 0, all.back().needle = "\"layercontents.plist\" cannot be read (it cannot be opened";
  all.back().leftInOut = {"font.qtf"};
  all.push_back(ufoCase(kLayoutDocument, Odd::kLoop, "\"" + std::string(kLayoutDocument) + "\" cannot be opened", true));
  return all;
}

TEST(FileAccessHostile, UnusableFilesAreNamedAndStopTheRun) {
  ScratchFolder scratch;
  int index = 0;
  for (const Case& hostileCase : cases()) {
    const fs::path dir = scratch.path() / std::to_string(index++);
    fs::create_directories(dir / "out");
    std::vector<std::string> arguments{"-s"};
    const std::vector<std::string> rest = hostileCase.prepare(dir);
    arguments.insert(arguments.end(), rest.begin(), rest.end());
    RunSetting setting{dir};
    setting.wallSeconds = kHangSeconds;
    const RunResult result = program(arguments, dir, setting);
    expectBounded(result, hostileCase.exitCode, hostileCase.needle, hostileCase.what);
    std::vector<std::string> left = listTree(dir / "out");
    EXPECT_EQ(left, hostileCase.leftInOut) << hostileCase.what;
    for (const std::string& name : hostileCase.exitCode == 0 ? std::vector<std::string>{} : hostileCase.leftInOut) {
      EXPECT_TRUE(fs::is_fifo(dir / "out" / name)) << hostileCase.what << ": the FIFO was replaced";
    }
  }
}

// otltool writes its text into a FIFO (or /dev/null) in place: a finished file moved onto
// it would replace it, and as root that breaks /dev/null for everyone.
TEST(FileAccessHostile, OtltoolWritesIntoAFifoWithoutReplacingIt) {
  ScratchFolder scratch;
  writeGlyphList(scratch.path() / "glyphs.txt", 3);
  fs::create_directories(scratch.path() / "tables");
  const fs::path pipe = scratch.path() / "pipe";
  makeOdd(pipe, Odd::kFifo);
  // A reader is there before the tool opens the FIFO; the short text fits the pipe.
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  RunSetting setting{scratch.path()};
  setting.wallSeconds = kHangSeconds;
  const RunResult result = tool({"fea", "glyphs.txt", "tables", "pipe"}, scratch.path(), setting);
  expectBounded(result, 0, "", "otltool fea into a FIFO");
  std::string text(4096, '\0');
  const ssize_t got = ::read(reader, text.data(), text.size());
  ::close(reader);
  EXPECT_GT(got, 0);
  EXPECT_TRUE(fs::is_fifo(pipe));
}

}  // namespace
