// Context subtables past 16-bit offsets only because one class fills several positions:
// the table writer's repair writes each identical Coverage once instead of dropping them.
#include <gtest/gtest.h>

#include <sstream>

#include "layout/context_subst.h"
#include "layout/reverse_chain.h"
#include "repair_fixture.h"
#include "rules_judge.h"

namespace {

constexpr uint16_t kGlyphCount = 40000;

// Glyph indices from `first` in steps of `step`: every other glyph is a 40,004-byte Coverage.
otl::GlyphList every(uint16_t step, uint16_t first, const otl::GlyphIdMap& glyphs) {
  otl::GlyphList out;
  for (uint32_t g = first; g < kGlyphCount; g += step) out.push_back(glyphs.idOf(uint16_t(g)));
  return out;
}

struct Case {
  const char* name;
  uint32_t table, type;  // a context (GSUB 16, GPOS 7) or reverse chain (GSUB 18)
  // Steps of the classes at backtrack, input and lookahead positions (a reverse chain
  // has one input position).
  std::vector<uint16_t> backtrack, input, lookahead;
  bool fits;  // false: distinct classes, too large even shared
  size_t maxBytes;  // the table with one Coverage per class
};

std::unique_ptr<otl::LookupSubtable> build(const Case& test, otl::Lookup& lookup, const otl::GlyphIdMap& glyphs) {
  auto subtable = lookup.createSubtable();
  auto slots = [&](const std::vector<uint16_t>& steps) {
    otl::Sequence sequence;
    for (uint16_t step : steps) sequence.emplace_back(subtable->holder, every(step, step % 2, glyphs));
    return sequence;
  };
  if (auto* reverse = dynamic_cast<otl::LsReverseChainedContext*>(subtable.get())) {
    reverse->backtrack = slots(test.backtrack);
    reverse->lookahead = slots(test.lookahead);
    const otl::GlyphList input = every(test.input[0], 0, glyphs);
    reverse->input.assign(input);
    otl::GlyphList substitutes(input.rbegin(), input.rend());
    reverse->substitutes.assign(substitutes);
  } else {
    auto& context = dynamic_cast<otl::ContextSubtable&>(*subtable);
    auto rule = std::make_unique<otl::Context>(subtable->holder);
    rule->backtrack = slots(test.backtrack);
    rule->input = slots(test.input);
    rule->lookahead = slots(test.lookahead);
    context.rules.push_back(std::move(rule));
  }
  return subtable;
}

std::string ruleText(const otl::LayoutTableBlock& block) {
  std::ostringstream text;
  for (const auto& [index, lookup] : block.lookups.lookups()) {
    for (const auto& subtable : lookup->subtables) subtable->writeFea(text, block.lookups.lookups(), {});
  }
  return text.str();
}

TEST(SharedBlocks, RepairWritesIdenticalCoveragesOnce) {
  bool judged = false;
  const Case cases[] = {
      {"chained context", 1, 16, {2}, {2}, {2, 2}, true, 41000},
      {"context", 2, 7, {}, {2, 2, 2}, {}, true, 41000},
      // The substitutes take 40,000 bytes of their own.
      {"reverse chain", 1, 18, {2}, {2}, {2}, true, 81000},
      {"distinct classes", 1, 16, {}, {2, 3, 5}, {}, false, 0},
  };
  const otl::GlyphIdMap glyphs = layout_test::glyphsNamed("sb", kGlyphCount);
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    vn::FeaGlyphGroups classes;
    otl::LayoutTableBlock block(test.table, &classes);
    otl::Lookup* lookup = layout_test::lookupInFeature(block, test.type, "calt");
    lookup->addSubtable(build(test, *lookup, glyphs));
    ASSERT_EQ(lookup->subtables.size(), 1u);

    vn::FeaGlyphGroups classes2;
    otl::LayoutTableBlock again(test.table, &classes2);
    std::string bytes;
    ASSERT_TRUE(layout_test::repairRoundTrip(block, glyphs, again, bytes, !test.fits));
    if (!test.fits) {
      EXPECT_TRUE(again.lookups.isEmpty());
      continue;
    }
    // One 40,004-byte Coverage of the class, however many positions use it.
    EXPECT_LT(bytes.size(), test.maxBytes);
    ASSERT_EQ(again.lookups.lookups().size(), 1u);
    EXPECT_EQ(again.lookups.lookups().begin()->second->subtables.size(), 1u);
    EXPECT_EQ(ruleText(again), ruleText(block));

    std::string counts = "C";
    for (const auto& steps : {test.backtrack, test.input, test.lookahead}) {
      for (uint16_t step : steps) counts += " " + std::to_string(every(step, step % 2, glyphs).size());
    }
    const std::string judge = layout_test::judgeRules(bytes, kGlyphCount, test.table == 1 ? "GSUB" : "GPOS");
    if (judge.empty()) continue;
    judged = true;
    EXPECT_EQ(judge, counts + "\nsubtables=1\n");
  }
  if (!judged) GTEST_SKIP() << "fontTools missing: the tables were not judged";
}

}  // namespace
