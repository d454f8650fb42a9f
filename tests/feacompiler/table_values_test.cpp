// The values that the BASE, hhea, OS/2 and name blocks of a feature text leave in their
// modules, the errors those blocks report, and the largest rule context the fills raise.
#include <functional>

#include "text_core.h"
#include "feacompiler/tables/misc_modules.h"

namespace {

using text_core::CompiledText;

const std::vector<std::string>& glyphs() {
  static const std::vector<std::string> g = {".notdef", "a", "b", "c", "d", "f", "i", "f_i"};
  return g;
}

// Text of a name record and its four ids, "p,e,l,n=text".
std::vector<std::string> nameRecords(const fea::coreContext* g) {
  std::vector<std::string> out;
  for (const fea::NameRecord& r : g->name->records) {
    out.push_back(std::to_string(r.platform) + "," + std::to_string(r.encoding) + "," +
                  std::to_string(r.language) + "," + std::to_string(r.nameId) + "=" +
                  std::string(g->name->pool.c_str() + r.offset));
  }
  return out;
}

using Strings = std::vector<std::string>;

struct Case {
  const char* what;
  const char* text;
  Strings shown;  // errors and fatal messages, "level text" each
  std::function<void(const fea::coreContext*)> check;
};

TEST(TableValues, StoredByTheTableBlocks) {
  const std::string abort = "3 <Font> aborting because of errors";
  const std::vector<Case> cases = {
      {"BASE: equal value sets are shared, another default baseline is not",
       "table BASE { HorizAxis.BaseTagList ideo romn;\n"
       "HorizAxis.BaseScriptList latn romn -120 0, cyrl romn -120 0, grek ideo -120 0; } BASE;",
       {},
       [](const fea::coreContext* g) {
         const fea::BASEAxis& h = g->base->horiz;
         ASSERT_EQ(h.scripts.size(), 3u);
         EXPECT_EQ(h.scripts[0].valueSet, 0);
         EXPECT_EQ(h.scripts[1].valueSet, 0);
         EXPECT_EQ(h.scripts[2].valueSet, 1);
         ASSERT_EQ(g->base->valueSets.size(), 2u);
         EXPECT_EQ(g->base->valueSets[0].defaultIndex, 1);
         EXPECT_EQ(g->base->valueSets[1].defaultIndex, 0);
         EXPECT_EQ(g->base->coordPool, (std::vector<int16_t>{-120, 0}));
         EXPECT_TRUE(g->base->vert.scripts.empty());
       }},
      {"hhea: the caret offset is 32767 until given",
       "feature liga { sub a by b; } liga;", {},
       [](const fea::coreContext* g) { EXPECT_EQ(g->hhea->caretOffset, 32767); }},
      {"hhea: a given caret offset", "table hhea { CaretOffset -50; } hhea;", {},
       [](const fea::coreContext* g) { EXPECT_EQ(g->hhea->caretOffset, -50); }},
      {"name: Windows and Macintosh defaults, the first of two equal records wins",
       "table name { nameid 9 \"Win\"; nameid 9 1 \"Mac\"; nameid 9 3 1 0x409 \"Later\";\n"
       "nameid 9 \"A\\0042\"; nameid 10 1 \"x\\41y\"; nameid 11 3 1 0x411 \"Ja\"; } name;",
       {},
       [](const fea::coreContext* g) {
         EXPECT_EQ(nameRecords(g), (Strings{"3,1,1033,9=Win", "1,0,0,9=Mac", "1,0,0,10=xAy",
                                            "3,1,1041,11=Ja"}));
       }},
      {"name: feature names take the user ids 256 and 257",
       "feature ss01 { featureNames { name \"One\"; name 1 \"One\"; }; sub a by b; } ss01;\n"
       "feature ss02 { featureNames { name \"Two\"; name 1 \"Two\"; }; sub a by c; } ss02;",
       {},
       [](const fea::coreContext* g) {
         EXPECT_EQ(nameRecords(g), (Strings{"3,1,1033,256=One", "1,0,0,256=One",
                                            "3,1,1033,257=Two", "1,0,0,257=Two"}));
         EXPECT_EQ(g->name->nextUserId, 258);
       }},
      {"name: the menu names of one size feature share an id",
       "feature size { parameters 10.0 3 80 139; sizemenuname \"Text\"; sizemenuname 1 "
       "\"Text\"; } size;",
       {},
       [](const fea::coreContext* g) {
         EXPECT_EQ(nameRecords(g), (Strings{"3,1,1033,256=Text", "1,0,0,256=Text"}));
         EXPECT_EQ(g->name->nextUserId, 257);
       }},
      {"name: a feature name without its Windows default",
       "feature ss01 { featureNames { name 1 \"One\"; }; sub a by b; } ss01;",
       {"3 <Font> Missing Windows default name for for feature name  nameid 256"}, nullptr},
      {"OS/2: Unicode range, code-page range and vendor",
       "table OS/2 { UnicodeRange 0 1 33 127; CodePageRange 1252 1251 874 437; Vendor \"ABCD\"; "
       "} OS/2;",
       {},
       [](const fea::coreContext* g) {
         EXPECT_TRUE(g->os2->unicodeRangeGiven);
         EXPECT_EQ(g->os2->unicodeRange, (std::array<uint32_t, 4>{3, 2, 0, 0x80000000u}));
         EXPECT_TRUE(g->os2->codePageRangeGiven);
         EXPECT_EQ(g->os2->codePageRange, (std::array<uint32_t, 2>{0x10005, 0x80000000u}));
         EXPECT_EQ(g->vendor, "ABCD");
       }},
      {"OS/2: nothing given", "table OS/2 { WeightClass 700; } OS/2;", {},
       [](const fea::coreContext* g) {
         EXPECT_EQ(g->os2->weightClass, 700);
         EXPECT_TRUE(g->os2->unicodeRangeGiven);  // set from the start
         EXPECT_FALSE(g->os2->codePageRangeGiven);
         EXPECT_EQ(g->os2->codePageRange, (std::array<uint32_t, 2>{0, 0}));
         EXPECT_EQ(g->vendor, "");
       }},
      {"OS/2: a short vendor is padded", "table OS/2 { Vendor \"AB\"; } OS/2;", {},
       [](const fea::coreContext* g) {
         EXPECT_EQ(g->vendor, "AB  ");
         EXPECT_EQ(static_cast<const builder_test::TestClient*>(g->client)->messages.back(),
                   "1 <Font> Vendor name too short. Padded automatically to 4 characters.");
       }},
      {"OS/2: a Unicode block past 127",
       "table OS/2 { UnicodeRange 5 128 6; } OS/2;",
       {"2 <Font> OS/2 Bad Unicode block value <128>. All values must be in [0 ...127] "
        "inclusive.",
        abort},
       [](const fea::coreContext* g) {
         EXPECT_EQ(g->os2->unicodeRange, (std::array<uint32_t, 4>{0x60, 0, 0, 0}));
       }},
      {"OS/2: a code page without a bit",
       "table OS/2 { CodePageRange 1200 1253; } OS/2;",
       {"2 <Font> OS/2 Code page value <1200> is not permitted according to the OpenType spec "
        "v1.4.",
        abort},
       [](const fea::coreContext* g) {
         EXPECT_EQ(g->os2->codePageRange, (std::array<uint32_t, 2>{8, 0}));
       }},
      {"OS/2: a vendor of five characters", "table OS/2 { Vendor \"ABCDE\"; } OS/2;",
       {"2 <Font> Vendor name too long. Max is 4 characters.", abort}, nullptr},
      {"name: a Windows escape of two digits", "table name { nameid 9 \"a\\41\"; } name;",
       {"2 <Font> Bad string", abort},
       [](const fea::coreContext* g) { EXPECT_TRUE(g->name->records.empty()); }},
      {"name: an escape of code 0", "table name { nameid 9 1 \"a\\00\"; } name;",
       {"2 <Font> Bad string", abort}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CompiledText run(c.text, glyphs());
    EXPECT_EQ(run.shown(), c.shown);
    EXPECT_EQ(run.failed, !c.shown.empty());
    if (c.check) c.check(run.g);
  }
}

// The OS/2 module holds the largest rule context of both tables once they are filled.
TEST(TableValues, LargestRuleContext) {
  const struct {
    const char* text;
    int context;
  } cases[] = {
      {"table OS/2 { WeightClass 400; } OS/2;", 0},
      {"feature salt { sub a by b; } salt;", 1},
      {"feature liga { sub f i by f_i; } liga;", 2},
      {"feature calt { sub a' b c by d; } calt;", 3},
      {"feature calt { sub [a b] c' d by f; } calt;", 2},
      {"feature kern { pos a b -40; } kern;", 2},
      {"feature kern { pos a' 10 b c d; } kern;", 4},
      {"feature liga { sub f i by f_i; } liga; feature kern { pos a' 10 b c d; } kern;\n"
       "feature salt { sub c by d; } salt;",
       4},
      {"lookup L { sub a by b; } L; feature calt { sub c' lookup L d; } calt;", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    CompiledText run(c.text, glyphs());
    ASSERT_FALSE(run.failed) << run.fatal;
    EXPECT_EQ(run.g->os2->maxContext, c.context);
    EXPECT_EQ(run.g->os2->maxContext,
              std::max(fea::GSUBMaxContext(run.g), fea::GPOSMaxContext(run.g)));
  }
}

}  // namespace
