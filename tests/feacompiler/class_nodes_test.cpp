// Glyph classes made of copies of classes, class definitions included again and again, and
// rules over large classes: what the node cap refuses and what still compiles.
#include "front_run.h"

namespace {

using front_test::compileFiles;

std::string repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// @A holds g0..g9; @B, @C and @D are ten copies each of the class before (10,000 nodes).
std::string nested() {
  return "languagesystem DFLT dflt;\n@A = [g0 g1 g2 g3 g4 g5 g6 g7 g8 g9];\n@B = [" +
         repeat(" @A", 10) + "];\n@C = [" + repeat(" @B", 10) + "];\n@D = [" + repeat(" @C", 10) + "];\n";
}

TEST(ClassNodes, NestedAndRepeatedClasses) {
  const struct {
    const char* name;
    std::map<std::string, std::string> files;
    int exitCode;
    const char* message;  // on the standard error stream
  } cases[] = {
      // 2.5 million copies in one class: past the node cap.
      {"copies", {{"main.fea", nested() + "@E = [" + repeat(" @D", 10) + "];\n@G = [" + repeat(" @E", 25) + "];\n"}},
       1, "too many glyph nodes: glyph classes and rule patterns would hold more than "},
      // 500,000 redefinitions of one class from 2,000 includes: each empties the one before.
      {"includes",
       {{"main.fea", "languagesystem DFLT dflt;\n" + repeat("include(k.fea);\n", 2000) +
                         "feature kern { pos @K @K -1; } kern;\n"},
        {"k.fea", repeat("@K = [g0 g1 g2 g3 g4 g5 g6 g7 g8 g9];\n", 250)}},
       0, ""},
      // Rules over a class of a million nodes each give back every node they took.
      {"rules", {{"main.fea", nested() + "@R = [" + repeat(" @D", 100) + "];\nfeature kern {\n" +
                                  "lookup S { pos @R -1; } S;\nlookup T { pos @R -1; } T;\n" +
                                  "lookup U { pos @R -1; } U;\nlookup V { pos @R -1; } V;\n" +
                                  "lookup W { pos @R g0 -1; } W;\n} kern;\n"}},
       0, "Vevazer [WARNING]: Timeout in featRecycleNode. Possible error.\n"},
      // One single substitution of 800,000 copies of ten glyphs keeps ten rules.
      {"single",
       {{"main.fea", nested() + "@R = [" + repeat(" @D", 80) + "];\nfeature liga { sub @R by g0; } liga;\n"}},
       0, ""},
      // 125 rules of 10,000 ligatures each: their records and the nodes pass the node cap.
      {"ligatures",
       {{"main.fea", nested() + "feature liga {\n" + repeat("sub @B @B by g0;\n", 125) + "} liga;\n"}},
       1, "GSUB feature 'liga': lookup refused: its rules would hold more glyphs than fit beside the "},
  };
  std::vector<std::string> glyphs;
  for (int i = 0; i < 10; ++i) glyphs.push_back("g" + std::to_string(i));
  for (const auto& c : cases) {
    front_test::CompileRun run = compileFiles(glyphs, c.files, c.name);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.name << "\n" << run.err.substr(0, 2000);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << "\n" << run.err.substr(0, 2000);
    std::filesystem::remove_all(run.dir);
  }
}

}  // namespace
