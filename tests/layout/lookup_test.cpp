#include <gtest/gtest.h>

#include <sstream>

#include "codec_fixture.h"
#include "layout/context_subst.h"
#include "layout/lookup.h"
#include "layout/single_subst.h"

namespace {

TEST(LookupFactory, KindsByTableAndType) {
  struct Case {
    uint32_t table, type;
    bool made;
  };
  const Case cases[] = {{2, 9, false}, {1, 17, false}, {1, 2, false}, {3, 11, true}, {2, 11, false},
                        {2, 1, true},  {2, 8, true},   {1, 18, true}, {1, 14, true}, {2, 2, true}};
  codec_test::Glyphs g;
  for (const auto& c : cases) {
    auto subtable = otl::createSubtable(c.table, c.type, g.holder);
    EXPECT_EQ(subtable != nullptr, c.made) << c.table << "/" << c.type;
    if (subtable) {
      EXPECT_EQ(subtable->typeCode, c.type);
    }
  }
  EXPECT_EQ(otl::createSubtable(3, 11, g.holder)->tableId, 1u);
}

TEST(LookupText, LookupFlagLines) {
  const std::pair<uint16_t, const char*> cases[] = {
      {0, "      lookupflag 0;\n"},
      {9, "      lookupflag IgnoreMarks RightToLeft;\n"},
      {14, "      lookupflag IgnoreBaseGlyphs IgnoreLigatures IgnoreMarks;\n"},
      {16, "      lookupflag 16;\n"},
      {272, "      lookupflag 272;\n"},
  };
  for (auto [flag, text] : cases) {
    std::ostringstream out;
    otl::writeFeaLookupFlag(flag, out);
    EXPECT_EQ(out.str(), text);
  }
  std::ostringstream problems;
  otl::RuleProblems map;
  map.add(3, otl::kOnlyGlyphInLigature);
  map.addShadowed(3, otl::kDuplicateLigatureSource);
  EXPECT_FALSE(otl::writeRuleProblems(problems, 3, map));
  EXPECT_FALSE(otl::writeRuleProblems(problems, 2, map));
  EXPECT_EQ(problems.str(),
            "### Problems in rule: The only glyph in ligature sequence, Duplicate ligature substitution source "
            "sequence\n");
}

std::unique_ptr<otl::LsSingle> single(codec_test::Glyphs& g, otl::GlyphList in, otl::GlyphList out) {
  auto s = std::make_unique<otl::LsSingle>(g.holder);
  s->input.assign(in);
  s->output.assign(out);
  return s;
}

TEST(Lookup, SplitsContextsPrunesAndWritesSubtableBreaks) {
  codec_test::Glyphs g;
  otl::Lookup lookup(5, g.holder);
  lookup.tableId = 1;
  lookup.typeCode = 16;
  auto chained = std::make_unique<otl::LsChainedContext>(g.holder);
  for (int i = 0; i < 3; ++i) {
    auto rule = std::make_unique<otl::Context>(g.holder);
    rule->input.emplace_back(g.holder, g.ids({i + 1}));
    chained->rules.push_back(std::move(rule));
  }
  lookup.addSubtable(std::move(chained));
  ASSERT_EQ(lookup.subtables.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    auto* piece = dynamic_cast<otl::ContextSubtable*>(lookup.subtables[i].get());
    ASSERT_TRUE(piece && piece->rules.size() == 1);
    EXPECT_EQ(piece->rules[0]->input[0].singleGlyph(), g.id(i + 1));
  }

  otl::Lookup subst(1, g.holder);
  subst.tableId = 1;
  subst.typeCode = 11;
  subst.flag = 8;
  subst.addSubtable(single(g, g.ids({1}), g.ids({2})));
  subst.addSubtable(single(g, g.ids({3}), g.ids({4})));
  otl::LookupMap none;
  std::ostringstream text, unbroken;
  uint16_t last = 0;
  subst.writeFea(text, none, last, {}, false);
  EXPECT_EQ(last, 8);
  EXPECT_EQ(text.str(), "      lookupflag IgnoreMarks;\n      sub \\g1 by \\g2;\n    subtable;\n      sub \\g3 by \\g4;\n");
  subst.writeFea(unbroken, none, last, {}, true);
  EXPECT_EQ(unbroken.str(), "      sub \\g1 by \\g2;\n      sub \\g3 by \\g4;\n");

  otl::Lookup copy(9, g.holder);
  copy.assign(subst);
  EXPECT_EQ(copy.subtables.size(), 2u);
  copy.pruneByGlyphs({g.id(2), g.id(3)});
  EXPECT_TRUE(copy.isEmpty());
  EXPECT_EQ(subst.subtables.size(), 2u);
}

TEST(GlyphSlot, SharedClassesByUseCount) {
  codec_test::Glyphs g;
  otl::GlyphClassSlot a(g.holder), b(g.holder);
  a.assign(g.ids({7}));
  EXPECT_EQ(a.singleGlyph(), g.id(7));
  a.assign(g.ids({7, 9}));
  b.assign(g.ids({7, 9}));
  ASSERT_NE(a.classId(), 0u);
  EXPECT_EQ(a.classId(), b.classId());
  EXPECT_EQ(g.groups.find(a.classId())->useCount, 2u);
  otl::GlyphClassSlot reversed(g.holder, g.ids({9, 7}));
  EXPECT_NE(reversed.classId(), a.classId());
  b.assign({});
  EXPECT_EQ(g.groups.find(a.classId())->useCount, 1u);
  EXPECT_EQ(b.glyphCount(), 0u);
  // A copy into another class table registers the glyphs there.
  vn::FeaGlyphGroups other;
  vn::FeaGlyphGroups* otherTable = &other;
  otl::GlyphClassSlot moved(&otherTable, a);
  EXPECT_EQ(moved.glyphs(), a.glyphs());
  EXPECT_TRUE(other.hasGroup(moved.classId()));

  otl::ClassDefinitionTable classes;
  classes.classes = {0, 2, 2, 5};
  classes.glyphs = g.ids({1, 2, 3, 4});
  EXPECT_EQ(classes.classCount(), 3u);
  classes.pruneByGlyphs({});
  EXPECT_EQ(classes.glyphs, g.ids({2, 3, 4}));
  EXPECT_EQ(otl::ClassDefinitionTable{}.classCount(), 1u);
}

}  // namespace
