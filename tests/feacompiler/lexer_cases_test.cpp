// The lexer's longest match and modes, seen through `otltool compile`.
#include "front_run.h"

namespace front_test {
namespace {

struct Case {
  const char* text;
  int exitCode;
  std::string err;
};

TEST(LexerCases, LongestMatch) {
  const std::string F = "FEA compiler error: [F] <Font> ";
  const std::string at1 = "FEA compiler error: [F] font \"otltool\" in file \"features\" at line 1\n";
  const std::vector<Case> cases = {
      // A keyword followed by a name character is a name.
      {"@C = [sub1 NULLx subtablex];", 0, ""},
      // -1.5 is the number -1 followed by the name .5.
      {"feature kern { pos a -1.5; } kern;", 1,
       F + "invalid first character in name (text was \".5\")\n" + at1},
      // Hexadecimal and octal ids.
      {"table name { nameid 0x9 \"x\"; nameid 011 3 1 0x409 \"y\"; } name;", 0, ""},
      {"table name { nameid 0x1g \"x\"; } name;", 1,
       "syntax error at \"0x1g\" missing { NUM NUMEXT }\n" + F +
           "aborting because of errors\n" + at1},
      // A comment at the end without a line end; tabs and the three line ends.
      {"feature liga {\tsub a by b; } liga;\r\n\r\n# last", 0, ""},
      // The tag mode stops at ";" (and "{", "}", ","): language DEU; works.
      {"feature liga { script latn; language DEU; sub a by b; } liga;", 0, ""},
      {"feature ligat { sub a by b; } ligat;", 1,
       "syntax error at \"t\" missing \"{\"\n" + F + "aborting because of errors\n" + at1},
      {"table name { nameid 9 \"tab\tinside\"; } name;", 1,
       F + "invalid token (text was \"\t\")\n" + at1},
      {"feature liga { sub a by b; } liga; $", 1, F + "invalid token (text was \"$\")\n" + at1},
      {"@ = [a];", 1, F + "invalid token (text was \"@\")\n" + at1},
      {"feature liga { sub \\123 by b; } liga;", 1,
       F + "CID specified for a non-CID font (text was \"\\123\")\n" + at1},
      {"feature liga { sub \\sub by b; } liga;", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CompileRun run = compileText(tenGlyphs(), c.text, "lexer");
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.err, c.err);
    fs::remove_all(run.dir);
  }
}

}  // namespace
}  // namespace front_test
