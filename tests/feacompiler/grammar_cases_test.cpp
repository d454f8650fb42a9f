// The grammar and the feature layer through `otltool compile`: statements that are refused,
// with their exact messages, and statements that must pass.
#include "front_run.h"

namespace front_test {
namespace {

const std::vector<std::string>& glyphs() {
  static const std::vector<std::string> g = {".notdef", "A", "B", "C", "a", "b", "c", "d",
                                             "f", "i", "l", "f_i", "acutecomb", "x0001",
                                             "x0010", "z"};
  return g;
}

const std::string& longName() {
  static const std::string text = "feature liga { sub " + std::string(2000, 'a') + " by b; } liga;";
  return text;
}

struct Case {
  const char* text;
  int exitCode;
  std::string err;  // "" for none; a trailing "|" means: followed by the usual fatal lines
};

std::string expand(std::string err) {
  if (err.empty() || err.back() != '|') return err;
  err.pop_back();
  return err;
}

TEST(GrammarCases, MessagesAndAcceptance) {
  const std::string F = "FEA compiler error: [F] <Font> ";
  const std::string E = "FEA compiler error: [E] <Font> ";
  const std::string abort = F + "aborting because of errors\n";
  const std::string at1 = "FEA compiler error: [F] font \"otltool\" in file \"features\" at line 1\n";
  const std::vector<Case> cases = {
      {"feature liga { ; } liga;", 0, ""},
      {"feature liga { } liga;", 1,
       "syntax error at \"}\" missing { lookup substitute position \";\" }\n" + abort + at1},
      {"feature liga { sub a by b; } calt;", 1, F + "doesn't match starting tag of block\n" + at1},
      {"lookup L { sub a by b; } M;", 1, F + "doesn't match starting label of block\n" + at1},
      {"lookup L;", 1, "syntax error at \";\" missing { useExtension \"{\" }\n" + abort + at1},
      {"feature size { parameters 9; } size;", 1,
       "syntax error at \";\" missing { FONTREV NUM }\n" + abort + at1},
      {"table GSUB { } GSUB;", 1,
       "syntax error at \"GSUB\" missing { BASE GDEF head hhea name OS/2 vhea vmtx }\n" + abort +
           at1},
      {"feature liga { sub a' lookup NOPE b; } liga;", 1,
       F + "lookup name \"NOPE\" not defined\n" + at1},
      {"feature liga { sub a by b'; } liga;", 1,
       F + "cannot mark a replacement glyph pattern (text was \"'\")\n" + at1},
      {"feature kern { pos <0 0 0 0>; } kern;", 1,
       F + "Glyph or glyph class must precede a value record. (text was \"<\")\n" + at1},
      {"feature curs { pos cursive a <anchor 0 0>; } curs;", 1,
       "syntax error at \";\" missing \"<\"\n" + abort + at1},
      {"markClass acutecomb <anchor 0 0> @TOP;\nfeature mark { pos base a <anchor 0 0> @TOP; } mark;",
       1,
       "syntax error at \"@TOP\" missing mark\n" + abort +
           "FEA compiler error: [F] font \"otltool\" in file \"features\" at line 2\n"},
      {"table head { FontRevision 1.005; } head;", 0, ""},
      {"table head { FontRevision 1.005; ; } head;", 1,
       "syntax error at \";\" missing \"}\"\n" + abort + at1},
      {"table GDEF { } GDEF;", 0, ""},
      {"table hhea { } hhea;", 1,
       "syntax error at \"}\" missing { CaretOffset Ascender Descender LineGap \";\" }\n" + abort +
           at1},
      {"table OS/2 { WeightClass 700; } OS/2; table OS/2 { WidthClass 5; } OS/2;", 1,
       F + "table already specified\n" + at1},
      {"table name { nameid 3 \"x\"; nameid 0 \"y\"; } name;", 0, ""},
      {"table name { nameid 300 2 \"x\"; } name;", 1,
       F + "platform id must be 3 or 1 [features 1]\n" + at1},
      {"table BASE { HorizAxis.BaseTagList romn ideo; HorizAxis.BaseScriptList latn romn 0 0; } "
       "BASE;",
       1, F + "baseline tag list not sorted for horizontal axis\n" + at1},
      {"table BASE { HorizAxis.BaseTagList ideo romn; HorizAxis.BaseScriptList latn romn 0 0 0; "
       "} BASE;",
       1, F + "number of coordinates not equal to number of baseline tags\n" + at1},
      {"table BASE { VertAxis.BaseTagList ideo romn; HorizAxis.BaseScriptList latn romn 0 -120; "
       "} BASE;",
       1, F + "expecting \"VertAxis.BaseScriptList\"\n" + at1},
      {"table BASE { HorizAxis.BaseTagList ideo romn; HorizAxis.BaseScriptList latn math 0 0; } "
       "BASE;",
       1, F + "baseline math not specified for horizontal axis\n" + at1},
      {"@R = [A-z];", 1, F + "Invalid glyph range [A-z]\n" + at1},
      {"@R = [x0001-x0010];", 1, F + "Invalid glyph range [x0001-x0010]\n" + at1},
      {"@R = [a-d]; @S = [x001-x009]; @T = [a10-a05];", 0, ""},
      {"feature liga { sub a by [b c]; } liga;", 1,
       E + "Replacement in rule must be a single glyph\n" + abort +
           "FEA compiler error: [F] font \"otltool\" in file \"features\" at line 1\n"},
      {"feature kern { enum pos a 10; } kern;", 1,
       E + "\"enumerate\" only allowed with pair positionings,\n" + abort + at1},
      {"feature kern { enum pos a b 10; } kern;", 0, ""},
      {"feature liga { lookupflag MarkAttachmentType 0; sub a by b; } liga;", 1,
       E + "must specify non-zero MarkAttachmentType value\n" + abort + at1},
      {"lookup L { sub a by b; lookupflag IgnoreMarks; sub c by d; } L;", 1,
       F + "Lookup flags different from previous rules in this block\n" + at1},
      // Outside named lookups a changed flag starts a new lookup.
      {"feature liga { sub a by b; lookupflag IgnoreMarks; sub c by d; } liga;", 0, ""},
      {"lookup L { sub f i by f_i; sub a by b; } L;", 0, ""},
      {"lookup L { sub a from [b c]; sub d by b; } L;", 1,
       F + "Lookup type different from previous rules in this lookup block\n" + at1},
      {"feature liga { language DEU; sub a by b; } liga;", 0, ""},
      {"feature kern { pos a 4294967306; } kern;", 1,
       F + "not in range -32767 .. 32767 (text was \"4294967306\")\n" + at1},
      {"feature liga { sub [a10-a05] by a; } liga;", 1,
       F + "empty glyph class (text was \"]\")\n" + at1},
      {"@A = [a b c d];\nfeature liga { sub @A @A @A @A @A @A @A @A @A by f_i; } liga;", 1,
       F + "Ligature lookup subtable in GSUB feature 'liga' causes offset overflow.\n" +
           "FEA compiler error: [F] font \"otltool\" in file \"features\" at line 2\n"},
      // A token of any length: the message is cut at 1023 characters.
      {longName().c_str(), 1,
       F + ("token too long; max length is 63 (text was \"" + std::string(2000, 'a')).substr(0, 1023) +
           "\n" + at1},
      {"@1x = [a];", 1, F + "invalid first character in name (text was \"@1x\")\n" + at1},
      {"@N = [.notdef a];", 0, ""},
      {"feature liga { sub @NONE by a; } liga;", 1,
       F + "glyph class not defined (text was \"@NONE\")\n" + at1},
      {"table name { nameid 9 \"\xC3\xA9\"; } name;", 1,
       F + "invalid token (text was \"\xC3\")\n" + at1},
      {"include();", 1, F + "invalid token (text was \"()\")\n" + at1},
      {"feature ligat { sub a by b; } ligat;", 1,
       "syntax error at \"t\" missing \"{\"\n" + abort + at1},
      {"\r\n\r\n\rfeature liga { } liga;", 1,
       "syntax error at \"}\" missing { lookup substitute position \";\" }\n" + abort +
           "FEA compiler error: [F] font \"otltool\" in file \"features\" at line 4\n"},
      {"anon sbit {\n  text\n} sbit; # closing line with a comment\nfeature liga { sub a by b; } "
       "liga;",
       0, ""},
      // A class redefined after GDEF took it: the old nodes stay valid.
      {"@M = [acutecomb];\nfeature liga { lookupflag UseMarkFilteringSet @M; sub a by b; } liga;\n"
       "@M = [z];\nfeature calt { lookupflag UseMarkFilteringSet @M; sub c by d; } calt;",
       0, ""},
      {"feature aalt { feature salt; sub a from [b c]; } aalt;\n"
       "feature salt { sub b from [c d]; } salt;",
       0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CompileRun run = compileText(glyphs(), c.text, "grammar");
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.err, expand(c.err));
    fs::remove_all(run.dir);
  }
}

// Provisional ids stop before 0xFFFF instead of wrapping onto real glyphs.
TEST(GrammarCases, ProvisionalIdsStopBelowFFFF) {
  std::vector<std::string> many;
  for (int i = 0; i < 65534; ++i) many.push_back("g" + std::to_string(i));
  CompileRun run = compileText(many, "feature liga { sub g1 by new1; sub g2 by new2; } liga;",
                               "wrap");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "FEA compiler error: [F] <Font> glyph not found in font (text was \"new2\")\n"
            "FEA compiler error: [F] font \"otltool\" in file \"features\" at line 1\n");
  fs::remove_all(run.dir);
}

}  // namespace
}  // namespace front_test
