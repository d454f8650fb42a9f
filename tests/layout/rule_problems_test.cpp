// Rule checks of the sequence substitutions as the feature text shows them: every finding
// of a rule in one "### Problems in rule" comment, the sequence check's text before the
// duplicate check's, and a rule shadowed by an earlier one with the same input commented out.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>

#include "codec_fixture.h"
#include "layout/ligature_subst.h"
#include "layout/lookup.h"
#include "layout/multiple_subst.h"

namespace {

using codec_test::Glyphs;

struct ProblemCase {
  const char* name;
  std::function<std::unique_ptr<otl::LookupSubtable>(Glyphs&)> build;
  std::string text;
};

std::unique_ptr<otl::LookupSubtable> ligatures(Glyphs& g, const std::vector<otl::GlyphList>& rules,
                                               const otl::GlyphList& results) {
  auto s = std::make_unique<otl::LsLigature>(g.holder);
  for (const auto& rule : rules) s->rules.emplace_back(g.holder, rule);
  s->ligatures.assign(results);
  return s;
}

std::unique_ptr<otl::LookupSubtable> multiples(Glyphs& g, const otl::GlyphList& covered,
                                               const std::vector<otl::GlyphList>& sequences) {
  auto s = std::make_unique<otl::LsMultiple>(g.holder);
  s->coverage.assign(covered);
  for (const auto& sequence : sequences) s->sequences.emplace_back(g.holder, sequence);
  return s;
}

TEST(RuleProblems, CommentsBeforeTheRulesTheyConcern) {
  const ProblemCase cases[] = {
      {"ligatures: single glyphs, duplicates and both",
       [](Glyphs& g) {
         return ligatures(g, {g.ids({6}), g.ids({6, 6}), g.ids({6, 6}), g.ids({6})}, g.ids({20, 21, 22, 23}));
       },
       "      sub \\g6 \\g6 by \\g21;\n"
       "### Problems in rule: The only glyph in ligature sequence\n"
       "      sub \\g6 by \\g20;\n"
       "### Problems in rule: Duplicate ligature substitution source sequence\n"
       "#       sub \\g6 \\g6 by \\g22;\n"
       "### Problems in rule: The only glyph in ligature sequence, Duplicate ligature substitution source sequence\n"
       "#       sub \\g6 by \\g23;\n"},
      {"multiple: a single glyph and a duplicate",
       [](Glyphs& g) { return multiples(g, g.ids({5, 2, 5}), {g.ids({7}), g.ids({8, 9}), g.ids({8, 9})}); },
       "      sub \\g2 by \\g8 \\g9;\n"
       "### Problems in rule: The only glyph in multiple sequence\n"
       "      sub \\g5 by \\g7;\n"
       "### Problems in rule: Duplicate multiple substitution source glyph\n"
       "#       sub \\g5 by \\g8 \\g9;\n"},
      {"multiple: both on one rule",
       [](Glyphs& g) { return multiples(g, g.ids({5, 5}), {g.ids({7, 8}), g.ids({9})}); },
       "      sub \\g5 by \\g7 \\g8;\n"
       "### Problems in rule: The only glyph in multiple sequence, Duplicate multiple substitution source glyph\n"
       "#       sub \\g5 by \\g9;\n"},
  };
  for (const ProblemCase& c : cases) {
    Glyphs g;
    const auto subtable = c.build(g);
    std::ostringstream out;
    subtable->writeFea(out, {}, {});
    EXPECT_EQ(out.str(), c.text) << c.name;
  }
}

}  // namespace
