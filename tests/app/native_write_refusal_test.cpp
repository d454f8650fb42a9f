// A UFO whose native file the writer refuses: the run ends with the fixed message, the
// reason on a line of its own, exit -3, and no file left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/messages.h"
#include "test_helpers.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_app;

std::string plist(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>\n";
}

// Two kerning classes of `members` glyphs each with a class pair and a zero exception
// under it: both travel as glyph pairs, members x members of them.
void writeSpreadClassesUfo(const std::string& ufo, int members) {
  fs::create_directories(ufo + "/glyphs");
  writeFile(ufo + "/metainfo.plist", plist("<dict><key>creator</key><string>test</string><key>formatVersion</key>"
                                           "<integer>2</integer></dict>"));
  std::string contents;
  std::string groups[2];
  for (int side = 0; side < 2; ++side) {
    for (int i = 0; i < members; ++i) {
      const std::string name = std::string(side ? "r" : "l") + std::to_string(i);
      contents += "<key>" + name + "</key><string>" + name + ".glif</string>";
      groups[side] += "<string>" + name + "</string>";
      writeFile(ufo + "/glyphs/" + name + ".glif",
                "<?xml version=\"1.0\"?>\n<glyph name=\"" + name + "\" format=\"1\"><advance width=\"500\"/></glyph>\n");
    }
  }
  writeFile(ufo + "/glyphs/contents.plist", plist("<dict>" + contents + "</dict>"));
  writeFile(ufo + "/groups.plist", plist("<dict><key>@MMK_L_l0</key><array>" + groups[0] +
                                         "</array><key>@MMK_R_r0</key><array>" + groups[1] + "</array></dict>"));
  writeFile(ufo + "/kerning.plist",
            plist("<dict><key>@MMK_L_l0</key><dict><key>@MMK_R_r0</key><integer>-40</integer></dict>"
                  "<key>l1</key><dict><key>r1</key><integer>0</integer></dict></dict>"));
}

TEST(NativeWriteRefusal, KerningPastTheFileBoundSaysWhy) {
  const struct {
    int members;
    bool written;
  } cases[] = {{20, true}, {2100, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.members);
    TempFolder folder;
    writeSpreadClassesUfo(folder / "K.ufo", c.members);
    const RunResult run = runProgram(folder.path(), {"-s", "K.ufo"});
    if (c.written) {
      EXPECT_EQ(run.exitCode, 0) << run.out;
      EXPECT_TRUE(fs::exists(folder / "K.qtf"));
      continue;
    }
    EXPECT_EQ(run.exitCode, 253) << run.out;
    const std::string fixed = msg::cannotWriteNative(fs::canonical(folder.path()).string() + "/K.qtf") + "\n";
    ASSERT_NE(run.out.find(fixed), std::string::npos) << run.out;
    const std::string reason = run.out.substr(run.out.find(fixed) + fixed.size());
    EXPECT_EQ(reason.rfind("Its kerning would take more than ", 0), 0u) << run.out;
    EXPECT_NE(reason.find(" glyph pairs in the native file"), std::string::npos) << run.out;
    EXPECT_EQ(folder.names(), std::vector<std::string>{"K.ufo"});
  }
}

}  // namespace
