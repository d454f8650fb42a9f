// The builders driven directly with glyph patterns; the tables judged by fontTools.
#include <functional>

#include "builder_harness.h"
#include "feacompiler/tables/otl_table.h"

using namespace builder_test;
using fea::GlyphNode;

namespace {

const std::vector<std::string> kNames = {"a", "b", "c", "d", "e", "f", "i", "x", "y", "fi", "ffi", "ff",
                                         "acute", "grave", "f_i", "lam_alef"};

void gsubLookup(Harness& h, uint32_t feature, uint32_t type, uint16_t label, int ext = 0) {
  fea::GSUBSetTags(h.g, tag("DFLT"), kDflt, feature);
  fea::GSUBLookupParams(h.g, ext, type, 0, 0, label);
}

void gposLookup(Harness& h, uint32_t feature, uint32_t type, uint16_t label, int ext = 0) {
  fea::GPOSSetTags(h.g, tag("DFLT"), kDflt, feature);
  fea::GPOSLookupBegin(h.g, type, 0, label, ext, 0);
}

struct Case {
  const char* name;
  std::function<void(Harness&)> drive;
  std::vector<std::string> expected;  // lines or parts of lines of the judge's dump
  std::vector<std::string> absent;
};

const uint32_t kLiga = tag("liga"), kKern = tag("kern"), kMark = tag("mark"), kCalt = tag("calt");

std::vector<Case> cases() {
  return {
      {"single class to one glyph",
       [](Harness& h) {
         gsubLookup(h, kLiga, 1, 1);
         fea::GSUBRuleAdd(h.g, h.el({"a", "b", "c"}), h.el({"x"}));
         fea::GSUBLookupEnd(h.g, kLiga);
       },
       {"('a', 'x'), ('b', 'x'), ('c', 'x')"}, {}},
      {"duplicate single: the last in text order wins",
       [](Harness& h) {
         gsubLookup(h, kLiga, 1, 1);
         fea::GSUBRuleAdd(h.g, h.el({"a"}), h.el({"b"}));
         fea::GSUBRuleAdd(h.g, h.el({"a"}), h.el({"c"}));
         fea::GSUBLookupEnd(h.g, kLiga);
       },
       {"(('a', 'c'),)"}, {"('a', 'b')"}},
      {"ligatures, longest first",
       [](Harness& h) {
         gsubLookup(h, kLiga, 4, 1);
         fea::GSUBRuleAdd(h.g, h.seq({h.el({"f"}), h.el({"f"}), h.el({"i"})}), h.el({"ffi"}));
         fea::GSUBRuleAdd(h.g, h.seq({h.el({"f"}), h.el({"i"})}), h.el({"fi"}));
         fea::GSUBRuleAdd(h.g, h.seq({h.el({"f"}), h.el({"f"})}), h.el({"ff"}));
         fea::GSUBLookupEnd(h.g, kLiga);
       },
       {"(('f', 'f'), 'ff'), (('f', 'f', 'i'), 'ffi'), (('f', 'i'), 'fi')"}, {}},
      {"multiple and alternate",
       [](Harness& h) {
         gsubLookup(h, kLiga, 2, 1);
         fea::GSUBRuleAdd(h.g, h.el({"ffi"}), h.seq({h.el({"f"}), h.el({"f"}), h.el({"i"})}));
         fea::GSUBLookupEnd(h.g, kLiga);
         gsubLookup(h, tag("salt"), 3, 2);
         fea::GSUBRuleAdd(h.g, h.el({"a"}), h.el({"x", "y"}));
         fea::GSUBLookupEnd(h.g, tag("salt"));
       },
       {"liga 2 ((0,), (('ffi', ('f', 'f', 'i')),))", "salt 3 ((0,), (('a', ('x', 'y')),))"}, {}},
      {"inline replacement in context makes an anonymous lookup; flags keep them apart",
       [](Harness& h) {
         gsubLookup(h, kCalt, 6, 1);
         GlyphNode* a = h.el({"a"}, fea::GN_MARKED | fea::GN_INPUT);
         fea::GSUBRuleAdd(h.g, h.seq({a, h.el({"b"}, fea::GN_LOOKAHEAD)}), h.el({"x"}));
         fea::GSUBLookupEnd(h.g, kCalt);
         fea::GSUBSetTags(h.g, tag("DFLT"), kDflt, kCalt);
         fea::GSUBLookupParams(h.g, 0, 6, 8 /* IgnoreMarks */, 0, 2);
         GlyphNode* a2 = h.el({"a"}, fea::GN_MARKED | fea::GN_INPUT);
         fea::GSUBRuleAdd(h.g, h.seq({a2, h.el({"c"}, fea::GN_LOOKAHEAD)}), h.el({"x"}));
         fea::GSUBLookupEnd(h.g, kCalt);
       },
       {"((), (('a',),), (('b',),), ((0, (1, (0,), (('a', 'x'),))),))",
        "((), (('a',),), (('c',),), ((0, (1, (8,), (('a', 'x'),))),))"},
       {}},
      {"reverse chaining ignore rule substitutes each glyph by itself",
       [](Harness& h) {
         gsubLookup(h, kCalt, 8, 1);
         fea::GSUBRuleAdd(h.g, h.seq({h.el({"a"}, fea::GN_BACKTRACK), h.el({"b", "c"}, fea::GN_INPUT)}),
                          nullptr);
         fea::GSUBLookupEnd(h.g, kCalt);
       },
       {"(((('a',),), (), (('b', 'b'), ('c', 'c'))),)"}, {}},
      {"a subtable statement before the first rule breaks nothing",
       [](Harness& h) {
         fea::GSUBSubtableBreak(h.g);
         gsubLookup(h, kLiga, 1, 1);
         fea::GSUBSubtableBreak(h.g);
         fea::GSUBRuleAdd(h.g, h.el({"a"}), h.el({"b"}));
         fea::GSUBLookupEnd(h.g, kLiga);
       },
       {"(('a', 'b'),)"}, {}},
      {"extension lookups",
       [](Harness& h) {
         gsubLookup(h, kLiga, 1, 1, 1);
         fea::GSUBRuleAdd(h.g, h.el({"a"}), h.el({"b"}));
         fea::GSUBLookupEnd(h.g, kLiga);
         gposLookup(h, kKern, 2, 2, 1);
         fea::GlyphNode* b = h.el({"b"});
         b->valueRecord = h.value({-40});
         fea::GPOSRuleAdd(h.g, h.seq({h.el({"a"}), b}), "", 1, 0, nullptr);
         fea::GPOSLookupEnd(h.g, kKern);
       },
       {"GSUB DFLT/dflt/liga 1 ((0,), (('a', 'b'),))", "(('a', 'b'), ((0, 0, -40, 0), (0, 0, 0, 0)))"},
       {}},
      {"single positioning and glyph pairs: the smaller magnitude wins",
       [](Harness& h) {
         gposLookup(h, kKern, 1, 1);
         GlyphNode* a = h.el({"a", "b"});
         a->valueRecord = h.value({50});
         fea::GPOSRuleAdd(h.g, a, "", 1, 0, nullptr);
         fea::GPOSLookupEnd(h.g, kKern);
         gposLookup(h, kKern, 2, 2);
         for (int16_t v : {-50, -30}) {
           GlyphNode* second = h.el({"b"});
           second->valueRecord = h.value({v});
           fea::GPOSRuleAdd(h.g, h.seq({h.el({"a"}), second}), "", 1, 0, nullptr);
         }
         fea::GPOSLookupEnd(h.g, kKern);
       },
       {"(('a', (0, 0, 50, 0)), ('b', (0, 0, 50, 0)))", "((('a', 'b'), ((0, 0, -30, 0), (0, 0, 0, 0))),)"},
       {"-50"}},
      {"class pairs: first class defined is class 0",
       [](Harness& h) {
         gposLookup(h, kKern, 2, 1);
         GlyphNode* s1 = h.el({"c", "d"});
         s1->valueRecord = h.value({-20});
         fea::GPOSRuleAdd(h.g, h.seq({h.el({"a", "b"}), s1}), "", 1, 0, nullptr);
         GlyphNode* s2 = h.el({"x", "y"});
         s2->valueRecord = h.value({-10});
         fea::GPOSRuleAdd(h.g, h.seq({h.el({"e", "f"}), s2}), "", 1, 0, nullptr);
         fea::GPOSLookupEnd(h.g, kKern);
       },
       {"(('a', 'c'), ((0, 0, -20, 0), (0, 0, 0, 0)))", "(('f', 'y'), ((0, 0, -10, 0), (0, 0, 0, 0)))"},
       {"('a', 'x')"}},
      {"mark to base and mark to ligature in any glyph order",
       [](Harness& h) {
         GlyphNode* top = h.markClass({"acute", "grave"}, 10, 500, "TOP");
         gposLookup(h, kMark, 4, 1);
         fea::GpsAnchor base[] = {Harness::anchor(250, 450, top)};
         fea::GPOSRuleAdd(h.g, h.el({"a", "e"}, fea::GN_HAS_ANCHOR), "", 1, 1, base);
         fea::GPOSLookupEnd(h.g, kMark);
         gposLookup(h, kMark, 5, 2);
         for (const char* lig : {"lam_alef", "f_i"}) {
           fea::GpsAnchor comps[] = {Harness::anchor(100, 600, top, 0), Harness::anchor(400, 700, top, 1)};
           fea::GPOSRuleAdd(h.g, h.el({lig}, fea::GN_HAS_ANCHOR), "", 1, 2, comps);
         }
         fea::GPOSLookupEnd(h.g, kMark);
       },
       {"(('a', 'acute'), ((250, 450), (10, 500)))", "((('f_i', 1), 'grave'), ((400, 700), (10, 500)))",
        "((('lam_alef', 0), 'acute'), ((100, 600), (10, 500)))"},
       {}},
      {"contextual attachment rules that collide get separate anonymous lookups",
       [](Harness& h) {
         gposLookup(h, kMark, 8, 1);
         GlyphNode* top = h.markClass({"acute"}, 0, 500, "TOP");
         for (int16_t y : {400, 600}) {
           fea::GPOSSetContextTypes(h.g, 8, 4);
           GlyphNode* marks = h.el({"acute"}, fea::GN_MARKED | fea::GN_INPUT | fea::GN_LAST_MARK);
           GlyphNode* base = h.el({"a"}, fea::GN_MARKED | fea::GN_INPUT | fea::GN_HAS_ANCHOR);
           base->flags |= fea::GN_PATTERN_MARKED;
           GlyphNode* before = h.el({y == 400 ? "b" : "c"}, fea::GN_BACKTRACK);
           before->flags |= fea::GN_PATTERN_MARKED;
           fea::GpsAnchor anchors[] = {Harness::anchor(200, y, top)};
           fea::GPOSRuleAdd(h.g, h.seq({before, base, marks}), "", 1, 1, anchors);
         }
         fea::GPOSLookupEnd(h.g, kMark);
       },
       {"(('a', 'acute'), ((200, 400), (0, 500)))", "(('a', 'acute'), ((200, 600), (0, 500)))"},
       {}},
      {"cursive attachment",
       [](Harness& h) {
         gposLookup(h, tag("curs"), 3, 1);
         fea::GpsAnchor ee[] = {Harness::anchor(0, 10), Harness::anchor(500, 20)};
         ee[0].format = 0;
         fea::GPOSRuleAdd(h.g, h.el({"a"}, fea::GN_HAS_ANCHOR), "", 1, 2, ee);
         fea::GPOSLookupEnd(h.g, tag("curs"));
       },
       {"(('a', (None, (500, 20))),)"}, {}},
      {"GDEF: one class per glyph, mark sets",
       [](Harness& h) {
         fea::GDEFSetGlyphClasses(h.g, h.el({"a", "acute"}), h.el({"fi"}), h.el({"acute"}), h.el({"fi", "f"}));
         EXPECT_EQ(fea::GDEFAddMarkSet(h.g, h.el({"grave"})), 0);
         gsubLookup(h, kLiga, 1, 1);
         fea::GSUBRuleAdd(h.g, h.el({"a"}), h.el({"b"}));
         fea::GSUBLookupEnd(h.g, kLiga);
       },
       {"GDEF classes [('a', 1), ('acute', 3), ('f', 4), ('fi', 2)]"}, {}},
  };
}

TEST(BuilderDirect, RuleKindsJudgedByFontTools) {
  if (!judgesPresent()) GTEST_SKIP() << "fontTools absent";
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    Harness h(kNames);
    std::string dump;
    try {
      c.drive(h);
      dump = h.dump();
    } catch (const Fatal& f) {
      ADD_FAILURE() << "fatal: " << f.text;
      continue;
    }
    for (const auto& e : c.expected) EXPECT_NE(dump.find(e), std::string::npos) << e << "\n" << dump;
    for (const auto& e : c.absent) EXPECT_EQ(dump.find(e), std::string::npos) << e << "\n" << dump;
  }
}

// The coverage format: format 1 only when strictly smaller; the coverage closes the table.
TEST(BuilderDirect, CoverageFormatChoice) {
  struct {
    std::vector<uint16_t> glyphs;
    std::string tail;
  } rows[] = {
      {{5, 6, 7, 9}, std::string("\0\1\0\4\0\5\0\6\0\7\0\x9", 12)},
      {{5, 6, 7, 8}, std::string("\0\2\0\1\0\5\0\x8\0\0", 10)},
      {{5, 6, 7}, std::string("\0\2\0\1\0\5\0\7\0\0", 10)},
      {{9, 5, 9}, std::string("\0\1\0\2\0\5\0\x9", 8)},  // repeated glyph listed once
  };
  for (const auto& row : rows) {
    Harness h({}, 12);
    gsubLookup(h, kLiga, 1, 1);
    fea::GSUBRuleAdd(h.g, h.cls(row.glyphs), h.cls({1}));
    fea::GSUBLookupEnd(h.g, kLiga);
    ASSERT_EQ(fea::GSUBFill(h.g), 1);
    h.client.out.clear();
    fea::GSUBWrite(h.g);
    ASSERT_GE(h.client.out.size(), row.tail.size());
    EXPECT_EQ(h.client.out.substr(h.client.out.size() - row.tail.size()), row.tail);
  }
}

// Limits: each ends the compile with its message instead of writing a broken table.
TEST(BuilderDirect, OverflowsAreFatal) {
  struct {
    const char* message;
    std::function<void(Harness&)> drive;
  } rows[] = {
      {"Pair positioning subtable in GPOS feature 'kern' causes offset overflow.",
       [](Harness& h) {
         gposLookup(h, kKern, 2, 1);
         for (uint16_t i = 0; i < 300; ++i) {
           GlyphNode* second = h.cls({static_cast<uint16_t>(301 + i), static_cast<uint16_t>(601 + i)});
           second->valueRecord = h.value({1, 2, 3, 4});
           fea::GPOSRuleAdd(h.g, h.seq({h.cls({static_cast<uint16_t>(1 + i)}), second}), "", 1, 0, nullptr);
         }
         fea::GPOSLookupEnd(h.g, kKern);
       }},
      {"Ligature lookup subtable in GSUB feature 'liga' causes offset overflow.",
       [](Harness& h) {
         gsubLookup(h, kLiga, 4, 1);
         std::vector<uint16_t> all;
         for (uint16_t i = 1; i < 200; ++i) all.push_back(i);
         fea::GSUBRuleAdd(h.g, h.seq({h.cls(all), h.cls(all)}), h.cls({1}));
         fea::GSUBLookupEnd(h.g, kLiga);
       }},
      {"Coverage offset overflow (0x",
       [](Harness& h) {
         // An Extension subtable whose own coverage lies past 16-bit reach.
         gsubLookup(h, kLiga, 1, 1, 1);
         std::vector<uint16_t> targets, repl;
         for (uint16_t i = 1; i <= 33000; ++i) {
           targets.push_back(i);
           repl.push_back(static_cast<uint16_t>(i % 7 + 1));
         }
         fea::GSUBRuleAdd(h.g, h.cls(targets), h.cls(repl));
         fea::GSUBLookupEnd(h.g, kLiga);
         fea::GSUBFill(h.g);
         fea::GSUBWrite(h.g);
       }},
  };
  for (const auto& row : rows) {
    Harness h({}, 33001);
    try {
      row.drive(h);
      fea::GPOSFill(h.g);
      fea::GSUBFill(h.g);
      ADD_FAILURE() << "no fatal: " << row.message;
    } catch (const Fatal& f) {
      EXPECT_NE(f.text.find(row.message), std::string::npos) << f.text;
    }
  }
}

}  // namespace

namespace {

uint16_t be16(const std::string& t, size_t at) {
  return static_cast<uint16_t>((uint8_t(t.at(at)) << 8) | uint8_t(t.at(at + 1)));
}

// Format of each subtable of a lookup, read from the written table.
std::vector<int> subtableFormats(const std::string& t, int lookup) {
  size_t list = be16(t, 8);
  size_t lk = list + be16(t, list + 2 + 2 * lookup);
  std::vector<int> formats;
  for (int i = 0; i < be16(t, lk + 4); ++i) formats.push_back(be16(t, lk + be16(t, lk + 6 + 2 * i)));
  return formats;
}

// Single positioning: format 1 only when its subtables are strictly smaller in total.
TEST(BuilderDirect, SinglePositioningFormats) {
  struct {
    std::vector<std::vector<int16_t>> values;  // for a, b, c in turn
    std::vector<int> formats;
  } rows[] = {
      {{{10}, {5, 0, 20, 0}, {30}}, {1, 1, 1}},
      {{{10}, {10}}, {1}},
      {{{10}, {20}, {30}}, {2}},
  };
  for (const auto& row : rows) {
    Harness h(kNames);
    gposLookup(h, kKern, 1, 1);
    const char* names[] = {"a", "b", "c"};
    for (size_t i = 0; i < row.values.size(); ++i) {
      GlyphNode* n = h.el({names[i]});
      n->valueRecord = h.value({});
      n->valueRecord->count = static_cast<uint8_t>(row.values[i].size());
      for (size_t k = 0; k < row.values[i].size(); ++k) n->valueRecord->values[k] = row.values[i][k];
      fea::GPOSRuleAdd(h.g, n, "", 1, 0, nullptr);
    }
    fea::GPOSLookupEnd(h.g, kKern);
    h.writeTables();
    EXPECT_EQ(subtableFormats(h.tables["GPOS"], 0), row.formats);
  }
}

// A lookup block outside every feature is written, with its warning, when nothing uses it;
// 'aalt' lookups come first in the LookupList although they are built last.
TEST(BuilderDirect, StandAloneAndAaltLookups) {
  Harness h(kNames);
  fea::GSUBSetTags(h.g, fea::kTagNone, fea::kTagNone, fea::kTagStandalone);
  fea::GSUBLookupParams(h.g, 0, 1, 0, 0, 0);
  fea::GSUBRuleAdd(h.g, h.el({"a"}), h.el({"b"}));
  fea::GSUBLookupEnd(h.g, fea::kTagStandalone);
  gsubLookup(h, kLiga, 4, 1);
  fea::GSUBRuleAdd(h.g, h.seq({h.el({"f"}), h.el({"i"})}), h.el({"fi"}));
  fea::GSUBLookupEnd(h.g, kLiga);
  gsubLookup(h, tag("aalt"), 3, 2);
  fea::GSUBRuleAdd(h.g, h.el({"a"}), h.el({"x", "y"}));
  fea::GSUBLookupEnd(h.g, tag("aalt"));
  h.writeTables();
  EXPECT_EQ(subtableFormats(h.tables["GSUB"], 0), std::vector<int>{1});
  const std::string& t = h.tables["GSUB"];
  size_t list = be16(t, 8);
  EXPECT_EQ(be16(t, list), 3);
  EXPECT_EQ(be16(t, list + be16(t, list + 2)), 3);  // aalt's alternate lookup first
  bool warned = false;
  for (const auto& m : h.client.messages) {
    warned = warned || m.find("Stand-alone lookup with Lookup Index 1 was not referenced") != std::string::npos;
  }
  EXPECT_TRUE(warned);
}

}  // namespace
