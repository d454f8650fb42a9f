// The order in which the writer lays out ligatures: grouped into sets by first glyph, each
// ligature placed before the first one already placed that it extends, a sequence given
// twice keeping its first rule. Checked against that rule applied step by step, on sets
// with long chains of extensions, shared prefixes and duplicates.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

#include "layout/ligature_subst.h"
#include "repair_fixture.h"

namespace {

using Components = std::vector<uint16_t>;

bool extends(const Components& longer, const Components& shorter) {
  return longer.size() > shorter.size() && std::equal(shorter.begin(), shorter.end(), longer.begin());
}

// The placing rule, one ligature at a time: "first glyph: rule numbers" per set.
std::map<uint16_t, std::vector<size_t>> expectedOrder(const std::vector<Components>& rules) {
  std::map<uint16_t, std::vector<size_t>> sets;
  for (size_t i = 0; i < rules.size(); ++i) {
    auto& set = sets[rules[i][0]];
    const Components rest(rules[i].begin() + 1, rules[i].end());
    const auto restOf = [&](size_t rule) { return Components(rules[rule].begin() + 1, rules[rule].end()); };
    if (std::any_of(set.begin(), set.end(), [&](size_t r) { return restOf(r) == rest; })) continue;
    set.insert(std::find_if(set.begin(), set.end(), [&](size_t r) { return extends(rest, restOf(r)); }), i);
  }
  return sets;
}

std::map<uint16_t, std::vector<size_t>> writerOrder(const otl::LsLigature& subtable, const otl::GlyphIdMap& glyphs) {
  std::map<uint16_t, std::vector<size_t>> sets;
  for (const auto& set : subtable.ligatureSets(glyphs)) {
    auto& rules = sets[set.first];
    for (const auto& entry : set.entries) rules.push_back(entry.rule);
  }
  return sets;
}

// Rules over a few first glyphs and a small alphabet, so that extensions, shared
// prefixes, single-glyph rules and repeated sequences are all frequent.
std::vector<Components> randomRules(std::mt19937& random, size_t count) {
  std::vector<Components> rules;
  for (size_t i = 0; i < count; ++i) {
    Components rule{uint16_t(random() % 3)};
    const size_t length = random() % 5;
    for (size_t k = 0; k < length; ++k) rule.push_back(uint16_t(1 + random() % 3));
    rules.push_back(rule);
  }
  return rules;
}

TEST(LigatureOrder, LongerLigaturesGoBeforeTheFirstTheyExtendAsPlacedOneByOne) {
  const otl::GlyphIdMap glyphs = layout_test::glyphsNamed("g", 8);
  std::mt19937 random(44);
  std::vector<std::vector<Components>> cases = {
      {{0, 1}, {0, 1, 2}},            // the longer one goes first
      {{0, 1}, {0, 2, 1}, {0, 1, 2}},  // differing ones keep their order
      {{0}, {0, 1}, {0, 1, 2}, {0, 1, 2, 3}, {0, 2}, {0, 1, 3}, {0, 1}},
      {{2, 1}, {1, 1}, {0, 1}},  // sets by first glyph
  };
  for (int round = 0; round < 200; ++round) cases.push_back(randomRules(random, 1 + random() % 40));
  for (size_t c = 0; c < cases.size(); ++c) {
    SCOPED_TRACE("case " + std::to_string(c));
    vn::FeaGlyphGroups classes;
    vn::FeaGlyphGroups* holder = &classes;
    otl::LsLigature subtable(&holder);
    otl::GlyphList ligatureGlyphs;
    for (const Components& rule : cases[c]) {
      otl::GlyphList ids;
      for (uint16_t index : rule) ids.push_back(glyphs.idOf(index));
      subtable.rules.emplace_back(&holder, ids);
      ligatureGlyphs.push_back(glyphs.idOf(7));
    }
    subtable.ligatures.assign(ligatureGlyphs);
    EXPECT_EQ(writerOrder(subtable, glyphs), expectedOrder(cases[c]));
  }
}

}  // namespace
