// Where the rules of a feature land (scripts, languages, default rules, named lookups), which
// texts are refused and why, and the glyph classes inferred for GDEF: each scenario compiled
// by `otltool compile`, its tables dumped rule by rule and, where the language agrees,
// compared with feaLib's build of the same text.
#include <cstdio>

#include "front_run.h"

namespace front_test {
namespace {

const fs::path kJudge = fs::path(TARNWICK_TEST_DATA_DIR) / "builder_judge.py";

const std::vector<std::string>& glyphs() {
  static const std::vector<std::string> g = {".notdef", "a",    "b",     "c",     "d",
                                             "e",       "f",    ".null", "acute", "grave",
                                             "lam",     "alef", "lamalef", "fatha", "1a"};
  return g;
}

bool judgesPresent() {
  return std::system((std::string(TARNWICK_PYTHON) + " -c 'import fontTools' >/dev/null 2>&1").c_str()) == 0;
}

// Runs the judge on a compile's tables; returns its output, ok set to its exit status == 0.
std::string judge(const CompileRun& run, const std::string& mode, bool& ok) {
  std::string cmd = std::string(TARNWICK_PYTHON) + " " + quote(kJudge) + " " + mode + " " +
                    quote(run.dir / "glyphs.txt") + " ";
  if (mode == "compare") cmd += quote(run.dir / "main.fea") + " ";
  cmd += quote(run.dir / "tables") + " >" + quote(run.dir / "judge") + " 2>&1";
  ok = std::system(cmd.c_str()) == 0;
  return readFile(run.dir / "judge");
}

struct Scenario {
  const char* name;
  std::string text;
  int exitCode;
  std::string errHas;  // text the standard error stream holds ("": an empty stream)
  std::string dump;    // the tables rule by rule ("": not checked)
  bool sameAsFeaLib;
};

const std::string kGdefText =
    "languagesystem DFLT dflt;\nlanguagesystem arab dflt;\n"
    "feature rlig {\n  lookupflag IgnoreMarks;\n  sub lam alef by lamalef;\n} rlig;\n";

const std::vector<Scenario>& scenarios() {
  static const std::vector<Scenario> cases = {
      {"a script statement takes the rules after it to its own script",
       "languagesystem arab dflt;\nlanguagesystem latn dflt;\n"
       "feature ccmp {\n  script latn;\n  sub c by d;\n  script arab;\n  sub e by f;\n} ccmp;\n",
       0, "",
       "GSUB arab/dflt/ccmp 1 ((0,), (('e', 'f'),))\n"
       "GSUB latn/dflt/ccmp 1 ((0,), (('c', 'd'),))\n",
       true},
      {"default rules, then two scripts, then a language of the second",
       "languagesystem arab dflt;\nlanguagesystem arab KIR;\nlanguagesystem latn dflt;\n"
       "feature ccmp {\n  sub a by b;\n  script latn;\n  sub c by d;\n  script arab;\n  sub e by f;\n"
       "  language KIR;\n} ccmp;\n",
       0, "",
       "GSUB arab/KIR/ccmp 1 ((0,), (('a', 'b'),))\n"
       "GSUB arab/KIR/ccmp 1 ((0,), (('e', 'f'),))\n"
       "GSUB arab/dflt/ccmp 1 ((0,), (('a', 'b'),))\n"
       "GSUB arab/dflt/ccmp 1 ((0,), (('e', 'f'),))\n"
       "GSUB latn/dflt/ccmp 1 ((0,), (('a', 'b'),))\n"
       "GSUB latn/dflt/ccmp 1 ((0,), (('c', 'd'),))\n",
       true},
      {"a language takes the default rules of its own script only",
       "languagesystem latn dflt;\nlanguagesystem cyrl dflt;\nlanguagesystem cyrl SRB;\n"
       "feature liga {\n  script latn;\n  sub a by b;\n  script cyrl;\n  language SRB;\n  sub c by d;\n"
       "} liga;\n",
       0, "",
       "GSUB cyrl/SRB/liga 1 ((0,), (('c', 'd'),))\n"
       "GSUB latn/dflt/liga 1 ((0,), (('a', 'b'),))\n",
       true},
      {"a language takes its script's default rules written before any script statement",
       "languagesystem DFLT dflt;\nlanguagesystem arab dflt;\n"
       "feature liga {\n  sub a by b;\n  script arab;\n  sub c by d;\n  language URD;\n} liga;\n",
       0, "",
       "GSUB DFLT/dflt/liga 1 ((0,), (('a', 'b'),))\n"
       "GSUB arab/URD/liga 1 ((0,), (('a', 'b'),))\n"
       "GSUB arab/URD/liga 1 ((0,), (('c', 'd'),))\n"
       "GSUB arab/dflt/liga 1 ((0,), (('a', 'b'),))\n"
       "GSUB arab/dflt/liga 1 ((0,), (('c', 'd'),))\n",
       true},
      {"a script named again takes back its default rules",
       "languagesystem cyrl dflt;\nlanguagesystem latn dflt;\n"
       "feature liga {\n  script cyrl;\n  sub a by b;\n  script latn;\n  sub c by d;\n  script cyrl;\n"
       "  language SRB;\n  sub e by f;\n} liga;\n",
       0, "",
       "GSUB cyrl/SRB/liga 1 ((0,), (('a', 'b'),))\n"
       "GSUB cyrl/SRB/liga 1 ((0,), (('e', 'f'),))\n"
       "GSUB cyrl/dflt/liga 1 ((0,), (('a', 'b'),))\n"
       "GSUB latn/dflt/liga 1 ((0,), (('c', 'd'),))\n",
       true},
      {"the first language system's own script and language named again",
       "languagesystem latn TRK;\nlanguagesystem latn dflt;\n"
       "feature liga {\n  script latn;\n  language TRK;\n  sub a by b;\n} liga;\n",
       0, "", "GSUB latn/TRK/liga 1 ((0,), (('a', 'b'),))\n", true},
      {"exclude_dflt in one script, then the default language of the next",
       "languagesystem latn dflt;\nlanguagesystem latn TRK;\nlanguagesystem cyrl dflt;\n"
       "feature liga {\n  script latn;\n  language TRK exclude_dflt;\n  sub a by b;\n  script cyrl;\n"
       "  language dflt;\n  sub c by d;\n} liga;\n",
       0, "",
       "GSUB cyrl/dflt/liga 1 ((0,), (('c', 'd'),))\n"
       "GSUB latn/TRK/liga 1 ((0,), (('a', 'b'),))\n",
       true},
      {"rules under script DFLT in a feature with names apply to DFLT only",
       "languagesystem DFLT dflt;\nlanguagesystem latn dflt;\nlanguagesystem cyrl dflt;\n"
       "feature ss01 {\n  featureNames { name \"Alt\"; };\n  script DFLT;\n  sub a by b;\n  script latn;\n"
       "  sub c by d;\n} ss01;\n",
       0, "",
       // The names, written before the first script statement, go with the feature under
       // every language system (feaLib leaves them where the feature has lookups).
       "GSUB DFLT/dflt/ss01 1 ((0,), (('a', 'b'),))\n"
       "GSUB DFLT/dflt/ss01 params [('UINameID', 256), ('Version', 0)]\n"
       "GSUB cyrl/dflt/ss01 params [('UINameID', 256), ('Version', 0)]\n"
       "GSUB latn/dflt/ss01 1 ((0,), (('c', 'd'),))\n"
       "GSUB latn/dflt/ss01 params [('UINameID', 256), ('Version', 0)]\n",
       false},
      {"default rules, then the first script named: two lookups",
       "languagesystem DFLT dflt;\nlanguagesystem latn dflt;\n"
       "feature liga {\n  sub a by b;\n  script DFLT;\n  sub c by d;\n} liga;\n",
       0, "",
       "GSUB DFLT/dflt/liga 1 ((0,), (('a', 'b'),))\n"
       "GSUB DFLT/dflt/liga 1 ((0,), (('c', 'd'),))\n"
       "GSUB latn/dflt/liga 1 ((0,), (('a', 'b'),))\n",
       true},
      {"an empty named lookup after one with rules and the same flag",
       "languagesystem DFLT dflt;\n@F = [c d];\n"
       "lookup FULL {\n  lookupflag UseMarkFilteringSet @F;\n  sub a c by e;\n} FULL;\n"
       "lookup EMPTY {\n  lookupflag UseMarkFilteringSet @F;\n} EMPTY;\n"
       "feature rlig {\n  lookup EMPTY;\n} rlig;\n",
       0, "", "", true},
      {"a contextual rule calling an empty named lookup",
       "lookup FULL { sub a by c; } FULL;\nlookup EMPTY { lookupflag IgnoreMarks; } EMPTY;\n"
       "feature calt { sub a' lookup EMPTY b; } calt;\n",
       1, "FEA compiler error: [E] <Font> lookup \"EMPTY\" has no rules; a contextual rule cannot call it",
       "", false},
      {"a glyph whose name starts with a period",
       "@X = [a .null];\nfeature liga { sub @X by b; } liga;\n", 0, "",
       "GSUB DFLT/dflt/liga 1 ((0,), (('.null', 'b'), ('a', 'b')))\n", true},
      {"a name starting with a period that the font lacks",
       "feature liga { sub .nothere by b; } liga;\n", 1,
       "FEA compiler error: [F] <Font> invalid first character in name (text was \".nothere\")", "",
       false},
      // Only a leading period is taken from the font's glyph set; a leading digit is refused
      // even for a glyph the font holds.
      {"a name starting with a digit that the font holds", "feature liga { sub a by 1a; } liga;\n", 1,
       "FEA compiler error: [F] <Font> invalid first character in name (text was \"1a\")", "", false},
      {"an escaped name starting with a digit", "feature liga { sub \\1a by b; } liga;\n", 1,
       "FEA compiler error: [F] <Font> invalid first character in name (text was \"\\1a\")", "", false},
      {"the base of a mark-to-mark rule is a mark",
       "markClass acute <anchor 0 500> @TOP;\n"
       "feature mkmk { pos mark grave <anchor 0 700> mark @TOP; } mkmk;\n",
       0, "",
       "GPOS DFLT/dflt/mkmk 6 ((0,), ((('grave', 'acute'), ((0, 700), (0, 500))),))\n"
       "GDEF classes [('acute', 3), ('grave', 3)]\n",
       true},
      {"no inferred glyph classes without marks", kGdefText, 0, "",
       "GSUB DFLT/dflt/rlig 4 ((8,), ((('lam', 'alef'), 'lamalef'),))\n"
       "GSUB arab/dflt/rlig 4 ((8,), ((('lam', 'alef'), 'lamalef'),))\n",
       true},
      {"inferred glyph classes with marks",
       kGdefText + "markClass fatha <anchor 0 0> @TOP;\n"
                   "feature mark { pos base alef <anchor 0 0> mark @TOP; } mark;\n",
       0, "", "", true},
      {"two lookups after one marked glyph in a positioning rule",
       "lookup L1 { pos a 10; } L1;\nlookup L2 { pos b 10; } L2;\n"
       "feature kern { pos a' lookup L1 lookup L2 b; } kern;\n",
       1, "syntax error at \"lookup\" missing \";\"", "", false},
      {"two lookups after one marked glyph in a substitution rule",
       "lookup L1 { sub a by b; } L1;\nlookup L2 { sub b by c; } L2;\n"
       "feature calt { sub a' lookup L1 lookup L2 b; } calt;\n",
       1, "syntax error at \"lookup\" missing \";\"", "", false},
      {"one lookup after each marked glyph in a positioning rule",
       "lookup L1 { pos a 10; } L1;\nlookup L2 { pos b 10; } L2;\n"
       "feature kern { pos a' lookup L1 b' lookup L2; } kern;\n",
       0, "", "", true},
      {"a mark class redefined as a glyph class",
       "markClass c <anchor 0 0> @M;\n@M = [d];\nmarkClass e <anchor 1 1> @M;\n"
       "feature mark { pos base a <anchor 100 200> mark @M; } mark;\n",
       1, "FEA compiler error: [E] <Font> Mark class @M cannot be redefined as a glyph class", "",
       false},
  };
  return cases;
}

TEST(FeatureScope, Scenarios) {
  const bool judges = judgesPresent();
  int n = 0;
  for (const Scenario& s : scenarios()) {
    SCOPED_TRACE(s.name);
    CompileRun run = compileText(glyphs(), s.text, "scope" + std::to_string(n++));
    EXPECT_EQ(run.exitCode, s.exitCode) << run.err;
    if (s.errHas.empty()) {
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_NE(run.err.find(s.errHas), std::string::npos) << run.err;
    }
    if (judges && s.exitCode == 0) {
      bool ok = false;
      if (!s.dump.empty()) {
        EXPECT_EQ(judge(run, "dump", ok), s.dump);
      }
      if (s.sameAsFeaLib) {
        std::string diffs = judge(run, "compare", ok);
        EXPECT_TRUE(ok) << diffs;
      }
    }
    fs::remove_all(run.dir);
  }
}

// 400 lookups of single positioning pass the 16-bit offsets of the subtable section: the
// later lookups take the Extension form, and the tables hold every rule.
TEST(FeatureScope, LookupsPastTheOffsetRangeTakeTheExtensionForm) {
  std::vector<std::string> names = {".notdef"};
  for (int i = 0; i < 300; ++i) names.push_back("g" + std::to_string(i));
  std::string text = "languagesystem DFLT dflt;\nfeature kern {\n";
  for (int k = 0; k < 400; ++k) {
    text += "lookup L" + std::to_string(k) + " {\n";
    for (int i = 0; i < 60; ++i) {
      text += "  pos g" + std::to_string((i * 7 + k) % 300) + " <" + std::to_string(-i - 1) + " 0 " +
              std::to_string(-k - i - 1) + " 0>;\n";
    }
    text += "} L" + std::to_string(k) + ";\n";
  }
  text += "} kern;\n";
  CompileRun run = compileText(names, text, "scope_ext");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  if (judgesPresent() && run.exitCode == 0) {
    bool ok = false;
    std::string diffs = judge(run, "compare", ok);
    EXPECT_TRUE(ok) << diffs.substr(0, 2000);
    std::string ots = judge(run, "ots", ok);
    EXPECT_TRUE(ok) << ots;
  }
  fs::remove_all(run.dir);
}

}  // namespace
}  // namespace front_test
