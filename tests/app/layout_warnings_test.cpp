// What the layout reports reaches the user as warning lines: a UFO read with "-ttx" whose
// features.fea was edited after its layout XML document was written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_helpers.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_app;

constexpr const char* kDocumentUsed =
    "Warning: layout: features.fea and the layout XML document name different features; the document's layout "
    "was used: layout XML document\n";

TEST(LayoutWarnings, EditedFeatureTextBesideTheDocumentIsReported) {
  const struct {
    const char* edit;  // appended to features.fea after the document was written
    bool warned;
  } cases[] = {{"", false}, {"feature salt { sub V by A; } salt;\n", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.edit);
    TempFolder folder;
    fs::copy(std::string(TARNWICK_SOURCE_DIR) + "/tests/data/Sample.ufo", folder / "Sample.ufo",
             fs::copy_options::recursive);
    writeFile(folder / "Sample.ufo/features.fea",
              "table GDEF { GlyphClassDef [A V O], , [acute], ; } GDEF;\n"
              "feature ss01 { sub A by Aacute; } ss01;\n");
    ASSERT_EQ(runProgram(folder.path(), {"-s", "Sample.ufo"}).exitCode, 0);
    ASSERT_EQ(runProgram(folder.path(), {"-s", "-ttx", "Sample.qtf", "T.ufo"}).exitCode, 0);
    ASSERT_TRUE(fs::exists(folder / "T.ufo/data/com.quorvel.v2.otl.ttx.xml"));
    writeFile(folder / "T.ufo/features.fea", readFile(folder / "T.ufo/features.fea") + c.edit);
    const RunResult run = runProgram(folder.path(), {"-s", "-ttx", "T.ufo", "T2.qtf"});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.out.find(kDocumentUsed) != std::string::npos, c.warned) << run.out;
  }
}

}  // namespace
