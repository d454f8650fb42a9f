// The compiler's front end through `otltool compile`: the compile sequence, glyph mapping,
// includes and the exact messages of rejected texts.
#include <sys/stat.h>

#include <cstdio>

#include "front_run.h"

namespace front_test {
namespace {

const std::string kFatalLine = "FEA compiler error: [F] font \"otltool\" in file \"";

struct Case {
  const char* name;
  std::vector<std::string> glyphs;
  std::map<std::string, std::string> files;
  int exitCode;
  const char* out;  // null: not checked
  std::string err;  // {DIR}: the scratch folder
};

std::map<std::string, std::string> includeChain(int levels) {
  std::map<std::string, std::string> files = {{"main.fea", "include(inc1.fea);\n"}};
  for (int i = 1; i <= levels; ++i) {
    files["inc" + std::to_string(i) + ".fea"] =
        "include(inc" + std::to_string(i + 1) + ".fea);\n";
  }
  files["inc" + std::to_string(levels + 1) + ".fea"] = "@X = [a];\n";
  return files;
}

// `count` named lookups, one a line; without rules, so that no table has to hold them.
std::string namedLookups(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += "lookup L" + std::to_string(i) + " { lookupflag IgnoreMarks; } L" + std::to_string(i) + ";\n";
  }
  return text;
}

// `count` contextual rules whose inline lookups cannot be shared: each asks for an
// anonymous lookup of its own, besides the one contextual lookup that holds them.
std::string inlineLookups(bool positioning, int count) {
  std::string text = positioning ? "feature kern {\n" : "feature calt {\n";
  for (int i = 0; i < count; ++i) {
    text += positioning ? "pos a' " + std::to_string(i + 1) + " b;\n"
                        : std::string("sub a' b by ") + (i % 2 ? "c" : "f") + ";\n";
  }
  return text + (positioning ? "} kern;\n" : "} calt;\n");
}

// 5,000 language systems: their ScriptList passes the 16-bit offsets.
std::string manyLanguageSystems() {
  std::string text;
  for (int language = 0; language < 5; ++language) {
    for (int script = 0; script < 1000; ++script) {
      char line[64];
      std::snprintf(line, sizeof line, "languagesystem s%03d l%03d;\n", script, language);
      text += line;
    }
  }
  return text + "feature liga { sub f i by f_i; } liga;\n";
}

std::vector<std::string> manyGlyphs(int count) {
  std::vector<std::string> names = {".notdef"};
  for (int i = 0; i < count; ++i) names.push_back("g" + std::to_string(i));
  return names;
}

// 40 carets on each of `count` glyphs, on one line: the LigCaretList passes its offsets.
std::string manyCarets(int count) {
  std::string text = "table GDEF {\n";
  for (int i = 0; i < count; ++i) {
    text += "LigatureCaretByPos g" + std::to_string(i);
    for (int k = 1; k <= 40; ++k) text += " " + std::to_string(k);
    text += "; ";
  }
  return text + "\n} GDEF;\n";
}

TEST(FrontCompile, Cases) {
  const std::string aborting = "FEA compiler error: [F] <Font> aborting because of errors\n";
  const std::vector<Case> cases = {
      {"empty text", tenGlyphs(), {{"main.fea", ""}}, 0, "maxContext 0\n", ""},
      {"two glyphs named A", {"A", "A"}, {{"main.fea", ""}}, 1, "",
       "FEA compiler error: [F] <Font> cmap{plat=3,script=1,lang=0}: multiple glyphs A A "
       "mapped to code <41>\n" + kFatalLine + "\" at line 1\n"},
      // By name, in order of first use: their provisional ids are no glyphs of the list.
      {"missing glyphs are named", tenGlyphs(),
       {{"main.fea", "feature liga { sub a by new1; sub b by new2; sub c by new1; } liga;"}}, 0,
       "missing new1\nmissing new2\nmaxContext 1\n", ""},
      {"four nested includes", tenGlyphs(), includeChain(3), 0, "maxContext 0\n", ""},
      {"a fifth include level", tenGlyphs(), includeChain(4), 1, "",
       "FEA compiler error: [F] <Font> Can't include [inc5.fea]; maximum include levels <5> "
       "reached\n" + kFatalLine + "{DIR}/inc4.fea\" at line 1\n"},
      {"text after an include", tenGlyphs(),
       {{"main.fea", "include(part.fea);\nfeature liga { sub @X by c; } liga;\n"},
        {"part.fea", "@X = [b];\n"}}, 0, "maxContext 1\n", ""},
      // The include statement's ";" is its own: a block with one statement can include it.
      {"include in a head block", tenGlyphs(),
       {{"main.fea", "table head {\n  include(version.fea);\n} head;\n"},
        {"version.fea", "FontRevision 2.040;\n"}}, 0, "maxContext 0\n", ""},
      // The text ends with a line end of its own; the fatal report names the path the
      // include stood for, at the line of the include statement.
      {"missing include", tenGlyphs(), {{"main.fea", "\n\ninclude(nothere.fea);\n"}}, 1, "",
       "FEA compiler error: [F] feature file is not accessible\n\n" + kFatalLine + "{DIR}/nothere.fea\" at line 3\n"},
      {"missing include by an absolute path", tenGlyphs(),
       {{"main.fea", "include({DIR}/nothere.fea);\n"}}, 1, "",
       "FEA compiler error: [F] feature file is not accessible\n\n" + kFatalLine + "{DIR}/nothere.fea\" at line 1\n"},
      {"missing include of an include", tenGlyphs(),
       {{"main.fea", "include(part.fea);\n"}, {"part.fea", "@X = [a];\n\ninclude(sub/nothere.fea);\n"}}, 1, "",
       "FEA compiler error: [F] feature file is not accessible\n\n" + kFatalLine +
           "{DIR}/sub/nothere.fea\" at line 3\n"},
      {"a named lookup too many", tenGlyphs(), {{"main.fea", namedLookups(8193)}}, 1, "",
       "FEA compiler error: [F] <Font> [internal] maximum number of named lookups reached: 8192\n" +
           kFatalLine + "features\" at line 8193\n"},
      {"as many named lookups as allowed", tenGlyphs(), {{"main.fea", namedLookups(8192)}}, 0, nullptr, ""},
      // 24,575 anonymous lookups at most; the contextual lookup takes one of them.
      {"an inline substitution lookup too many", tenGlyphs(), {{"main.fea", inlineLookups(false, 24575)}}, 1, "",
       "FEA compiler error: [F] <Font> [internal] maximum number of lookups reached: 24575\n" + kFatalLine +
           "features\" at line 24576\n"},
      {"an inline positioning lookup too many", tenGlyphs(), {{"main.fea", inlineLookups(true, 24575)}}, 1, "",
       "FEA compiler error: [F] <Font> [internal] maximum number of lookups reached: 24575\n" + kFatalLine +
           "features\" at line 24576\n"},
      // Offsets overflow while the tables are built, after the parse: the main text and its
      // last line are named.
      {"a ScriptList past its offsets", tenGlyphs(), {{"main.fea", manyLanguageSystems()}}, 1, "",
       "FEA compiler error: [F] <Font> Script offset overflow (0x10024) in ScriptList list\n" + kFatalLine +
           "features\" at line 5001\n"},
      {"the same overflow from an include", tenGlyphs(),
       {{"main.fea", "include(systems.fea);\n"}, {"systems.fea", manyLanguageSystems()}}, 1, "",
       "FEA compiler error: [F] <Font> Script offset overflow (0x10024) in ScriptList list\n" + kFatalLine +
           "features\" at line 1\n"},
      {"a LigCaretList past its offsets", manyGlyphs(400), {{"main.fea", manyCarets(400)}}, 1, "",
       "FEA compiler error: [F] <Font> LigGlyph offset overflow (0x1007c) in LigCaretList GDEF\n" +
           kFatalLine + "features\" at line 3\n"},
      {"unterminated string", tenGlyphs(), {{"main.fea", "table name {\n nameid 9 \"abc"}}, 1,
       "",
       "FEA compiler error: [F] <Font> Unexpected end of file (text was \"\")\n" + kFatalLine +
           "features\" at line 2\n"},
      {"unterminated anon block", tenGlyphs(), {{"main.fea", "anon sbit {\n stuff\n"}}, 1, "",
       "FEA compiler error: [F] <Font> Unexpected end of file (text was \"\")\n" + kFatalLine +
           "features\" at line 3\n"},
      {"64-character name", tenGlyphs(),
       {{"main.fea", "feature liga { sub " + std::string(64, 'a') + " by b; } liga;"}}, 1, "",
       "FEA compiler error: [F] <Font> token too long; max length is 63 (text was \"" +
           std::string(64, 'a') + "\")\n" + kFatalLine + "features\" at line 1\n"},
      {"63-character name", tenGlyphs(),
       {{"main.fea", "feature liga { sub a by " + std::string(63, 'z') + "; } liga;"}}, 0,
       nullptr, ""},
      {"syntax error at the end", tenGlyphs(),
       {{"main.fea", "feature liga { sub a by b; } liga"}}, 1, "",
       "syntax error at \"EOF\" missing \";\"\n" + aborting + kFatalLine +
           "features\" at line 1\n"},
      {"syntax error in an include", tenGlyphs(),
       {{"main.fea", "include(bad.fea);\n"}, {"bad.fea", "\nfeature liga { } liga;\n"}}, 1, "",
       "syntax error at \"}\" missing { lookup substitute position \";\" }\n" + aborting +
           kFatalLine + "{DIR}/bad.fea\" at line 2\n"},
      {"level 2 errors stop after the parse", tenGlyphs(),
       {{"main.fea",
         "languagesystem latn dflt;\nlanguagesystem DFLT dflt;\nfeature liga { sub a by b; } "
         "liga;\n"}}, 1, "",
       "FEA compiler error: [E] <Font> The languagesystem DFLT dlft; statement must preceed "
       "all other language system statements.\n" + aborting + kFatalLine +
           "features\" at line 3\n"},
      {"flags 1 and 0 compile the same text", tenGlyphs(),
       {{"main.fea", "feature calt { sub a' b by c; } calt;"}}, 0, "maxContext 2\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CompileRun run = compileFiles(c.glyphs, c.files, "case");
    EXPECT_EQ(run.exitCode, c.exitCode);
    if (c.out) {
      EXPECT_EQ(run.out, c.out);
    }
    EXPECT_EQ(run.err, replaceAll(c.err, "{DIR}", run.dir.string()));
    fs::remove_all(run.dir);
  }
}

TEST(FrontCompile, EmptyTextWritesNoTables) {
  CompileRun run = compileText(tenGlyphs(), "# nothing but a comment", "notables");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(fs::is_directory(run.dir / "tables"));
  EXPECT_TRUE(fs::is_empty(run.dir / "tables"));
  fs::remove_all(run.dir);
}

TEST(FrontCompile, OnlyPairPositioningGivesGposAlone) {
  CompileRun run = compileText(tenGlyphs(), "feature kern { pos A B -50; } kern;", "gpos");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(fs::exists(run.dir / "tables" / "GPOS"));
  EXPECT_FALSE(fs::exists(run.dir / "tables" / "GSUB"));
  EXPECT_FALSE(fs::exists(run.dir / "tables" / "GDEF"));
  fs::remove_all(run.dir);
}

// An include that names a FIFO would block the run: only regular files are read.
TEST(FrontCompile, IncludeOfAFifoIsRefused) {
  CompileRun setup = compileText(tenGlyphs(), "", "fifo");
  ASSERT_EQ(::mkfifo((setup.dir / "pipe.fea").c_str(), 0600), 0);
  writeFile(setup.dir / "main.fea", "include(pipe.fea);\n");
  std::string cmd = std::string(TARNWICK_OTLTOOL) + " compile " + quote(setup.dir / "glyphs.txt") +
                    " " + quote(setup.dir / "main.fea") + " " + quote(setup.dir / "tables") +
                    " 2>" + quote(setup.dir / "stderr");
  int status = std::system(cmd.c_str());
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(readFile(setup.dir / "stderr").find("feature file is not accessible"),
            std::string::npos);
  fs::remove_all(setup.dir);
}

// `import` takes a conversion's road: the rules naming glyphs the list lacks go, and the
// converter's warning names them, while `compile` lists the names.
TEST(FrontCompile, ImportNamesTheGlyphsWhoseRulesWent) {
  CompileRun run = compileText(tenGlyphs(), "feature liga {\n  sub f i by f_i;\n  sub f zz by f_i;\n} liga;\n", "import");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "missing zz\nmaxContext 2\n");
  std::string cmd = std::string(TARNWICK_OTLTOOL) + " import " + quote(run.dir / "glyphs.txt") + " " +
                    quote(run.dir / "main.fea") + " " + quote(run.dir / "imported") + " 2>" + quote(run.dir / "stderr");
  int status = std::system(cmd.c_str());
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(readFile(run.dir / "stderr"),
            "otltool: warning: feature text names glyphs the font lacks (zz); the rules using them were left out "
            "of GSUB lookup 1 (liga)\n");
  EXPECT_TRUE(fs::exists(run.dir / "imported" / "GSUB"));
  fs::remove_all(run.dir);
}

// An include that is a loop of symbolic links: the compiler's fatal text names the path,
// and the record a conversion reports names the include with what is wrong.
TEST(FrontCompile, IncludeOfASymlinkLoopIsNamed) {
  CompileRun setup = compileText(tenGlyphs(), "", "symloop");
  fs::create_symlink("b.fea", setup.dir / "a.fea");
  fs::create_symlink("a.fea", setup.dir / "b.fea");
  writeFile(setup.dir / "main.fea", "languagesystem DFLT dflt;\ninclude(a.fea);\n");
  const std::string fatal = "FEA compiler error: [F] feature file is not accessible\n\n";
  for (const char* verb : {"compile", "import"}) {
    std::string cmd = std::string(TARNWICK_OTLTOOL) + " " + verb + " " + quote(setup.dir / "glyphs.txt") + " " +
                      quote(setup.dir / "main.fea") + " " + quote(setup.dir / "tables") + " 2>" +
                      quote(setup.dir / "stderr");
    int status = std::system(cmd.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::string expected = fatal + kFatalLine + setup.dir.string() + "/a.fea\" at line 2\n";
    if (std::string(verb) == "import") {
      expected += "otltool: FEA compilation fatal error: feature file is not accessible: include \"a.fea\", searched in "
                 "folder \"" + setup.dir.string() + "\": a loop of symbolic links. (top level, line 2)\n";
    }
    EXPECT_EQ(readFile(setup.dir / "stderr"), expected) << verb;
  }
  fs::remove_all(setup.dir);
}

}  // namespace
}  // namespace front_test
