// An 'aalt' whose listed features give it nothing is named: the compiler takes into 'aalt'
// only rules written inside it or inside the features it lists after it, so a listed
// feature that only references a named lookup gives it no alternate, and an 'aalt' without
// any rule is left out of the layout.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "test_helpers.h"

namespace {

using namespace testing_app;

constexpr const char* kTakes =
    "'aalt' takes alternates only from rules that substitute one glyph, written inside it or inside the features "
    "it lists after it, not from lookups those features reference";

std::string builtLine(const std::string& listed) {
  return std::string("Warning: layout: the feature text's ") + kTakes + "; features it lists that gave it none: " +
         listed + "\n";
}

std::string leftOutLine(const std::string& listed) {
  return std::string("Warning: layout: the feature text's 'aalt' got no rule and is left out (") + kTakes + ")" +
         (listed.empty() ? "" : "; features it lists that gave it none: " + listed) + "\n";
}

std::string layoutWarnings(const std::string& out) {
  std::string lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("Warning: layout: ")) lines += line + "\n";
  }
  return lines;
}

TEST(AaltWarnings, FeaturesThatGaveAaltNothingAreNamed) {
  const std::string lookup = "lookup SMCP_A { sub A by Aacute; } SMCP_A;\n";
  const struct {
    std::string text;  // after "languagesystem DFLT dflt;"
    bool built;        // the layout has 'aalt'
    std::string warnings;
  } cases[] = {
      // A listed feature that only references a lookup.
      {lookup + "feature aalt { feature smcp; } aalt;\nfeature smcp { lookup SMCP_A; } smcp;\n", false,
       leftOutLine("smcp")},
      // Its rules written inside the feature: kept.
      {"feature aalt { feature smcp; } aalt;\nfeature smcp { sub A by Aacute; } smcp;\n", true, ""},
      {"feature aalt { sub A from [Aacute V]; } aalt;\n", true, ""},
      // One of two listed features gives it nothing; one is not defined at all.
      {lookup + "feature aalt { feature smcp; feature ss01; feature liga; } aalt;\n"
                "feature smcp { sub A by Aacute; } smcp;\nfeature ss01 { lookup SMCP_A; } ss01;\n",
       true, builtLine("ss01, liga")},
      // The feature before 'aalt': its rules are not taken.
      {"feature smcp { sub A by Aacute; } smcp;\nfeature aalt { feature smcp; } aalt;\n", false,
       leftOutLine("smcp")},
      // A ligature inside 'aalt' is not taken.
      {"feature aalt { sub A V by O; } aalt;\n", false, leftOutLine("")},
      {"feature smcp { sub A by Aacute; } smcp;\n", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TempFolder folder;
    ASSERT_EQ(runShell(folder.path(), "cp -r " + quoteForShell(std::string(TARNWICK_SOURCE_DIR) + "/tests/data/Sample.ufo") +
                                          " in.ufo"),
              0);
    writeFile(folder / "in.ufo/features.fea", "languagesystem DFLT dflt;\n" + c.text);
    const RunResult there = runProgram(folder.path(), {"-s", "in.ufo", "font.qtf"});
    ASSERT_EQ(there.exitCode, 0) << there.out << there.err;
    EXPECT_EQ(layoutWarnings(there.out), c.warnings) << there.out;
    const RunResult back = runProgram(folder.path(), {"-s", "-ttx", "font.qtf", "back.ufo"});
    ASSERT_EQ(back.exitCode, 0) << back.out << back.err;
    EXPECT_EQ(layoutWarnings(back.out), c.warnings) << back.out;
    const std::string document = readFile(folder / "back.ufo/data/com.quorvel.v2.otl.ttx.xml");
    EXPECT_EQ(document.find("<FeatureTag value=\"aalt\"/>") != std::string::npos, c.built) << document;
  }
}

}  // namespace
