// `otltool compile` against feaLib's build of the same feature text: the same lookups per
// script, language and feature rule by rule, ots-sanitize on the tables in a font, and
// hb-shape over probe texts. The intended differences are listed in builder_judge.py.
#include <filesystem>
#include <fstream>

#include "builder_harness.h"

namespace fs = std::filesystem;
using builder_test::judgesPresent;

namespace {

const char* const kGlyphs[] = {
    ".notdef", "a", "b", "c", "d", "e", "f", "i", "l", "x", "y", "A", "B", "C", "D",
    "fi", "ff", "f_f_i", "acutecomb", "gravecomb", "one", "two", "period", "hyphen"};

struct Case {
  const char* name;
  const char* text;
  std::vector<const char*> probes;
};

const Case kCases[] = {
    {"substitutions",
     "languagesystem DFLT dflt;\nlanguagesystem latn dflt;\nlanguagesystem latn TRK;\n"
     "feature liga { sub f f i by f_f_i; sub f i by fi; sub f f by ff; } liga;\n"
     "feature smcp { sub [a b c] by [A B C]; sub d by D; } smcp;\n"
     "feature ccmp { sub fi by f i; } ccmp;\n"
     "feature salt { sub a from [A b]; } salt;\n"
     "feature case { script latn; language TRK exclude_dflt; sub i by A; } case;\n",
     {"ffi", "fi", "abc", "ffx"}},
    {"contextual substitutions",
     "lookup UP { sub b by B; } UP;\n"
     "feature calt {\n sub a' b by A;\n sub [a c]' d by C;\n ignore sub x a';\n sub a' e by B;\n"
     " sub c b' lookup UP d;\n} calt;\n"
     "feature rclt { rsub [a b]' c by [A B]; } rclt;\n",
     {"ab", "ad", "xa", "ae", "cbd", "ac", "bc"}},
    {"positioning",
     "feature kern {\n pos a b -50;\n pos [c d] [e f] -20;\n enum pos a [c d] 30;\n"
     " pos A <10 0 20 0>;\n pos x' 15 y;\n} kern;\n"
     "feature cpsp { pos [A B C] 10; pos D <5 0 10 0>; } cpsp;\n",
     {"ab", "ce", "ac", "AB", "xy", "CD"}},
    {"attachment",
     "markClass [acutecomb gravecomb] <anchor 0 500> @TOP;\n"
     "feature mark {\n pos base [a e] <anchor 250 450> mark @TOP;\n"
     " pos ligature f_f_i <anchor 100 600> mark @TOP ligComponent <anchor 300 600> mark @TOP"
     " ligComponent <anchor NULL> mark @TOP;\n} mark;\n"
     "feature mkmk { pos mark acutecomb <anchor 0 700> mark @TOP; } mkmk;\n"
     "feature curs { pos cursive a <anchor NULL> <anchor 500 20>; pos cursive b <anchor 0 0> <anchor 400 0>; } curs;\n",
     {"a\u0301", "e\u0300", "ab", "a\u0301\u0301"}},
    {"lookup flags and GDEF",
     "@MARKS = [acutecomb gravecomb];\n@TOPM = [acutecomb];\n"
     "table GDEF { GlyphClassDef [a b], [f_f_i fi], @MARKS, [ff]; Attach c 3 1; Attach a 7;"
     " LigatureCaretByIndex f_f_i 4 3; LigatureCaretByPos fi 500 250; } GDEF;\n"
     "feature liga { lookupflag IgnoreMarks; sub f f i by f_f_i; } liga;\n"
     "feature kern { lookupflag UseMarkFilteringSet @TOPM; pos a b 20; } kern;\n"
     "feature mark { lookupflag MarkAttachmentType @MARKS; pos a b 10; } mark;\n",
     {"ffi", "ab"}},
    {"feature names with a Windows name only",
     "feature ss01 { featureNames { name \"Alternate a\"; }; sub a by A; } ss01;\n",
     {"a"}},
    {"extension lookups, subtable breaks, ligatures in context, two mark classes",
     "languagesystem DFLT dflt;\nlanguagesystem latn dflt;\n"
     "markClass [acutecomb] <anchor 0 500> @TOP;\nmarkClass [gravecomb] <anchor 0 -50> @BOT;\n"
     "lookup EXT useExtension { sub a by A; subtable; sub b by B; } EXT;\n"
     "lookup KEXT useExtension { pos a b -20; pos [c d] [e f] -30; } KEXT;\n"
     "feature liga { lookup EXT; } liga;\n"
     "feature kern { lookup KEXT; pos x' 10 y; pos x' y' 5; } kern;\n"
     "feature mark { pos base a <anchor 100 400> mark @TOP <anchor 100 0> mark @BOT;"
     " pos base [e] <anchor 200 450> mark @TOP; } mark;\n"
     "feature calt { sub [a b]' c' by f_f_i; sub d' [e f] by D; sub d' x by C; } calt;\n",
     {"ab", "ce", "xy", "a\u0301\u0300", "bc", "de", "dx"}},
    {"pairs of classes and glyphs, ignore and contextual positioning, lookup flags",
     "languagesystem DFLT dflt;\n"
     "feature vkrn { pos a b 50; } vkrn;\n"
     "feature kern {\n enum pos [a b] [x y] 7;\n pos [a b] c -10;\n pos d [e f] -15;\n"
     " ignore pos x a';\n pos a' 12 b;\n lookupflag IgnoreMarks;\n pos A B -40;\n"
     " pos [C D] [A B] <0 0 -20 0>;\n} kern;\n"
     "feature ss02 { sub a by A; sub b by B; sub [c d] by [C D]; sub e by A; } ss02;\n"
     "feature ss03 { sub [a b c] by A; } ss03;\n",
     {"ac", "ae", "ax", "by", "ab", "xab", "AB", "CA"}},
    {"size parameters under two language systems",
     "languagesystem DFLT dflt;\nlanguagesystem latn dflt;\n"
     "feature size { parameters 10.0 3 80 139; sizemenuname \"Text\"; } size;\n"
     "feature kern { pos a b -10; } kern;\n",
     {"ab"}},
};

std::string writeInputs(const fs::path& dir, const Case& c) {
  fs::create_directories(dir);
  std::ofstream glyphs(dir / "glyphs.txt");
  for (const char* g : kGlyphs) glyphs << g << "\n";
  std::ofstream(dir / "features.fea") << c.text;
  return dir.string();
}

TEST(BuilderFeaLib, SameLayoutAsFeaLib) {
  if (!judgesPresent()) GTEST_SKIP() << "fontTools absent";
  builder_test::Harness judge({});
  int n = 0;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    fs::path dir = fs::temp_directory_path() / ("builder_fealib_" + std::to_string(getpid()) + "_" + std::to_string(n++));
    fs::remove_all(dir);
    std::string d = writeInputs(dir, c);
    std::string cmd = std::string(TARNWICK_OTLTOOL) + " compile " + d + "/glyphs.txt " + d +
                      "/features.fea " + d + "/out 2>&1";
    if (std::system(cmd.c_str()) != 0) {
      ADD_FAILURE() << cmd;
      fs::remove_all(dir);
      continue;
    }
    std::string tables = d + "/out";
    std::string glyphs = d + "/glyphs.txt";
    bool ok = false;
    std::string out = judge.judge("compare " + glyphs + " " + d + "/features.fea " + tables, &ok);
    EXPECT_TRUE(ok) << out;
    out = judge.judge("ots " + glyphs + " " + tables, &ok);
    EXPECT_TRUE(ok) << out;
    std::string probes;
    for (const char* p : c.probes) probes += std::string(" '") + p + "'";
    out = judge.judge("shape " + glyphs + " " + d + "/features.fea " + tables + probes, &ok);
    EXPECT_TRUE(ok) << out;
    fs::remove_all(dir);
  }
}

// Two chain lookups of 1,700 rules, each within 16-bit offsets alone, that pass them
// together: the second moves to the Extension form and the text compiles, with the rules
// feaLib builds (a shared named lookup is defined outside the features, as generated text
// defines it).
TEST(BuilderFeaLib, ChainLookupsPastTheOffsetsTogether) {
  if (!judgesPresent()) GTEST_SKIP() << "fontTools absent";
  const fs::path dir = fs::temp_directory_path() / ("builder_fealib_chains_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  {
    std::ofstream glyphs(dir / "glyphs.txt");
    glyphs << ".notdef\n";
    for (int i = 0; i < 60; ++i) glyphs << "g" << i << "\n";
    std::ofstream text(dir / "features.fea");
    text << "languagesystem DFLT dflt;\nlookup MOVE { pos g1 10; } MOVE;\n";
    for (const char* name : {"C1", "C2"}) {
      text << "lookup " << name << " {\n";
      for (int i = 0; i < 1700; ++i) text << "  pos g" << 2 + i % 50 << " g1' lookup MOVE g" << 2 + i / 50 << ";\n";
      text << "} " << name << ";\n";
    }
    text << "feature kern { lookup C1; lookup C2; } kern;\nfeature dist { lookup C1; lookup C2; } dist;\n";
  }
  const std::string d = dir.string();
  const std::string cmd = std::string(TARNWICK_OTLTOOL) + " compile " + d + "/glyphs.txt " + d + "/features.fea " + d +
                          "/out 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  builder_test::Harness judge({});
  bool ok = false;
  const std::string out = judge.judge("compare " + d + "/glyphs.txt " + d + "/features.fea " + d + "/out", &ok);
  EXPECT_TRUE(ok) << out;
  fs::remove_all(dir);
}

// `count` rules of a chain lookup, each with an input glyph marked to call `called`, then a
// look-ahead glyph and a second look-ahead position: one glyph from `seed` on, or for the
// first `wide` rules a class of 500 glyphs (a coverage of about 1,000 bytes each).
std::string chainLookup(const std::string& name, const char* verb, const char* called, int count, int seed,
                        int wide = 0) {
  std::string text = "lookup " + name + " {\n";
  for (int i = 0; i < count; ++i) {
    const int k = seed + i;
    std::string last = "g" + std::to_string(2 + (k / 2500) % 50);
    if (i < wide) {
      last = "[";
      for (int j = 0; j < 500; ++j) last += " g" + std::to_string(100 + i + 2 * j);
      last += "]";
    }
    text += std::string("  ") + verb + " g" + std::to_string(2 + k % 50) + "' lookup " + called + " g" +
            std::to_string(2 + (k / 50) % 50) + " " + last + ";\n";
  }
  return text + "} " + name + ";\n";
}

// Two plain lookups of about 40,000 bytes of subtables (before the point where lookups take
// the Extension form), then the lookup MANY, as a font's generated text defines its lookups.
std::string afterTwoPlain(bool gpos, const std::string& many, int wide = 0) {
  const char* verb = gpos ? "pos" : "sub";
  const char* called = gpos ? "MOVE" : "SWAP";
  const std::string feature = gpos ? "kern" : "calt";
  std::string text = std::string("languagesystem DFLT dflt;\n") +
                     (gpos ? "lookup MOVE { pos g1 10; } MOVE;\n" : "lookup SWAP { sub g1 by g2; } SWAP;\n");
  text += chainLookup("P1", verb, called, 1000, 0, wide) + chainLookup("P2", verb, called, 1000, 1000) + many;
  return text + "feature " + feature + " { lookup P1; lookup P2; } " + feature + ";\n" +
         "feature dist { lookup MANY; } dist;\n";
}

// The two plain lookups, then a chain lookup MANY of `count` rules.
std::string chainsAfterTwoPlain(bool gpos, int count, int wide = 0) {
  return afterTwoPlain(gpos, chainLookup("MANY", gpos ? "pos" : "sub", gpos ? "MOVE" : "SWAP", count, 2000), wide);
}

// A single positioning lookup MANY of `count` rules of their own glyphs from g60 on, each in
// a subtable of its own.
std::string brokenSingles(int count) {
  std::string text = "lookup MANY {\n";
  for (int i = 0; i < count; ++i) {
    const std::string v = std::to_string(i + 1);
    if (i != 0) text += "  subtable;\n";
    text += "  pos g" + std::to_string(60 + i) + " <" + v + " 0 " + v + " 0>;\n";
  }
  return text + "} MANY;\n";
}

struct ReachCase {
  const char* name;
  std::string text;
};

}  // namespace

// Lookups that pass 16-bit offsets only together, as in a font's generated text: plain
// lookups fill most of the subtable section, and the lookups after them add Extension
// records and Lookup tables past its reach. Earlier lookups move to the Extension form and
// the text compiles, with the rules feaLib builds.
TEST(BuilderFeaLib, ExtensionRecordsPastTheOffsetsMoveEarlierLookups) {
  if (!judgesPresent()) GTEST_SKIP() << "fontTools absent";
  const ReachCase cases[] = {
      {"chain positioning records past the subtable section", chainsAfterTwoPlain(true, 3300)},
      {"chain substitution records past the subtable section", chainsAfterTwoPlain(false, 3300)},
      {"a Lookup table out of reach of its subtables", chainsAfterTwoPlain(true, 2800)},
      {"a plain subtable out of reach of its coverages", chainsAfterTwoPlain(true, 2300, 8)},
      {"a lookup of many subtables past the subtable section at its end",
       afterTwoPlain(true, brokenSingles(3300))},
  };
  builder_test::Harness judge({});
  int n = 0;
  for (const ReachCase& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path dir =
        fs::temp_directory_path() / ("builder_fealib_reach_" + std::to_string(getpid()) + "_" + std::to_string(n++));
    fs::remove_all(dir);
    fs::create_directories(dir);
    {
      std::ofstream glyphs(dir / "glyphs.txt");
      glyphs << ".notdef\n";
      for (int i = 0; i < 3400; ++i) glyphs << "g" << i << "\n";
      std::ofstream(dir / "features.fea") << c.text;
    }
    const std::string d = dir.string();
    const std::string cmd = std::string(TARNWICK_OTLTOOL) + " compile " + d + "/glyphs.txt " + d + "/features.fea " +
                            d + "/out 2>&1";
    if (std::system(cmd.c_str()) != 0) {
      ADD_FAILURE() << cmd;
      fs::remove_all(dir);
      continue;
    }
    bool ok = false;
    std::string out = judge.judge("compare " + d + "/glyphs.txt " + d + "/features.fea " + d + "/out", &ok);
    EXPECT_TRUE(ok) << out.substr(0, 2000);
    out = judge.judge("ots " + d + "/glyphs.txt " + d + "/out", &ok);
    EXPECT_TRUE(ok) << out;
    fs::remove_all(dir);
  }
}
