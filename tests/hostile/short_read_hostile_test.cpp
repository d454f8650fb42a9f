// UFO members that procfs files stand for, through the program: one whose size reads as
// 0 while it holds text is read whole, as any file is; one whose read fails ends the run
// naming it, never read as empty.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout_road_support.h"
#include "platform/procfs_text.h"

namespace {

using namespace layout_road;
using testing_platform::ProcfsText;

constexpr int kUfoReadFailure = 252;
constexpr const char* kLayoutDocument = "data/com.quorvel.v2.otl.ttx.xml";
constexpr const char* kHead = "<?xml version=\"1.0\"?><plist version=\"1.0\">";

std::string dictList(const std::string& body) { return std::string(kHead) + "<dict>" + body + "</dict></plist>"; }

// Runs the program on "font.ufo" of the scratch folder into "out/font.qtf".
RunResult convert(const fs::path& scratch, bool ttx) {
  fs::remove_all(scratch / "out");
  fs::create_directories(scratch / "out");
  std::vector<std::string> arguments{"-s"};
  if (ttx) arguments.push_back("-ttx");
  arguments.insert(arguments.end(), {(scratch / "font.ufo").string(), (scratch / "out/font.qtf").string()});
  return program(arguments, scratch);
}

TEST(ShortReads, ProcfsMembersAreReadWholeAndFailedReadsNamed) {
  ScratchFolder scratch;
  const fs::path ufo = scratch.path() / "font.ufo";

  // Each text shows in the native file, or in the line naming what it left out.
  struct Read {
    const char* member;
    std::string text;
    std::string marker;
  };
  const Read reads[] = {
      {"features.fea", "languagesystem DFLT dflt;\n# procfs text\nfeature ss01 { sub g1 by g2; } ss01;\n",
       "# procfs text"},
      {"fontinfo.plist", dictList("<key>familyName</key><string>ProcfsFamily</string>"), "ProcfsFamily"},
      {"groups.plist", dictList("<key>procfsGroup</key><array><string>g1</string></array>"), "procfsGroup"},
      {"lib.plist", dictList("<key>com.test.procfs</key><string>x</string>"), "com.test.procfs"},
      {"glyphs/contents.plist",
       dictList("<key>procfsGlyph</key><string>g1.glif</string><key>g2</key><string>g2.glif</string>"),
       "procfsGlyph"},
      {"glyphs/g2.glif",
       "<?xml version=\"1.0\"?><glyph name=\"g2\" format=\"1\"><advance width=\"500\"/>"
       "<guideline x=\"10\" name=\"procfsGuide\"/></glyph>",
       "procfsGuide"},
      {"layercontents.plist",
       std::string(kHead) + "<array><array><string>procfsLayer</string><string>glyphs.b</string></array>"
                            "</array></plist>",
       "left out: procfsLayer"},
  };
  for (const Read& read : reads) {
    const std::string what = std::string(read.member) + " as a procfs file";
    ProcfsText text(read.text);
    if (!text.ready()) GTEST_SKIP() << "no procfs file of known text could be made";
    fs::remove_all(ufo);
    writeUfo(ufo);
    fs::remove(ufo / read.member);
    fs::create_symlink(text.path(), ufo / read.member);
    const RunResult result = convert(scratch.path(), false);
    expectBounded(result, 0, "", what);
    const std::string seen = readAll(scratch.path() / "out/font.qtf") + result.output;
    EXPECT_NE(seen.find(read.marker), std::string::npos) << what << ": " << result.output;
  }

  // Reading the process's own memory from its start fails.
  for (const char* member : {"metainfo.plist", "fontinfo.plist", "groups.plist", "kerning.plist", "lib.plist",
                             "glyphs/contents.plist", "glyphs/g2.glif", "features.fea", "layercontents.plist",
                             kLayoutDocument}) {
    const std::string what = std::string(member) + " as /proc/self/mem";
    fs::remove_all(ufo);
    writeUfo(ufo);
    fs::create_directories((ufo / member).parent_path());
    fs::remove(ufo / member);
    fs::create_symlink("/proc/self/mem", ufo / member);
    const RunResult result = convert(scratch.path(), member == std::string(kLayoutDocument));
    const bool layers = member == std::string("layercontents.plist");  // only named: the font converts
    const char* const problem = layers ? "\" cannot be read (it cannot be read: " : "\" cannot be read: ";
    expectBounded(result, layers ? 0 : kUfoReadFailure, "\"" + std::string(member) + problem + "Input/output error", what);
    EXPECT_EQ(listTree(scratch.path() / "out").empty(), !layers) << what;
  }
}

}  // namespace
