// Substitution subtables too large for 16-bit offsets go through the table writer split
// by covered glyph (a ligature set too large alone by its ligatures), and read back,
// here and in fontTools, with every rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "layout/layout_fea.h"
#include "layout/ligature_subst.h"
#include "layout/multiple_subst.h"
#include "layout/single_subst.h"
#include "repair_fixture.h"
#include "rules_judge.h"

namespace {

constexpr uint16_t kGlyphCount = 40000;

// One rule: the glyph indices it reads and those it gives.
struct Rule {
  std::vector<uint16_t> in, out;
};

struct Case {
  const char* name;
  uint32_t type;  // 11 single, 12 multiple, 13 alternate, 14 ligature
  std::vector<Rule> rules;
  size_t minPieces;
};

std::vector<Rule> singleRules() {
  std::vector<Rule> rules;  // deltas differ: format 2, past 16-bit offsets from 32,765 rules
  for (uint16_t i = 0; i < 33000; ++i) rules.push_back({{i}, {uint16_t((i * 7 + 3) % kGlyphCount)}});
  return rules;
}

std::vector<Rule> sequenceRules() {
  std::vector<Rule> rules;  // every other glyph, twelve glyphs each: 84,000 bytes
  for (uint16_t i = 0; i < 3000; ++i) {
    Rule rule{{uint16_t(2 * i)}, {}};
    for (uint16_t k = 0; k < 12; ++k) rule.out.push_back(uint16_t(10000 + (i * 13 + k) % 20000));
    rules.push_back(rule);
  }
  return rules;
}

std::vector<Rule> ligatureRules() {
  std::vector<Rule> rules;  // 500 sets of 15 three-glyph ligatures: 81,500 bytes
  for (uint16_t first = 0; first < 500; ++first) {
    for (uint16_t k = 0; k < 15; ++k) {
      rules.push_back({{first, uint16_t(1000 + k), uint16_t(2000 + first % 7)}, {uint16_t(5000 + first * 15 + k)}});
    }
  }
  return rules;
}

// One set of 7,070 ligatures (70,562 bytes); each two-glyph rule comes first yet must be
// tried after the hundred three-glyph rules that extend it.
std::vector<Rule> oneSetRules() {
  std::vector<Rule> rules;
  for (uint16_t a = 1; a <= 70; ++a) rules.push_back({{0, a}, {uint16_t(30000 + a)}});
  for (uint16_t a = 1; a <= 70; ++a) {
    for (uint16_t b = 1; b <= 100; ++b) rules.push_back({{0, a, b}, {uint16_t(20000 + a * 100 + b)}});
  }
  return rules;
}

otl::GlyphList ids(const std::vector<uint16_t>& indices, const otl::GlyphIdMap& glyphs) {
  otl::GlyphList out;
  for (uint16_t index : indices) out.push_back(glyphs.idOf(index));
  return out;
}

void fill(otl::LookupSubtable& subtable, const std::vector<Rule>& rules, const otl::GlyphIdMap& glyphs) {
  std::vector<uint16_t> firsts, outs;
  if (auto* single = dynamic_cast<otl::LsSingle*>(&subtable)) {
    for (const Rule& r : rules) {
      firsts.push_back(r.in[0]);
      outs.push_back(r.out[0]);
    }
    single->input.assign(ids(firsts, glyphs));
    single->output.assign(ids(outs, glyphs));
  } else if (auto* multiple = dynamic_cast<otl::LsMultiple*>(&subtable)) {
    for (const Rule& r : rules) {
      firsts.push_back(r.in[0]);
      multiple->sequences.emplace_back(multiple->holder, ids(r.out, glyphs));
    }
    multiple->coverage.assign(ids(firsts, glyphs));
  } else {
    auto& ligature = dynamic_cast<otl::LsLigature&>(subtable);
    for (const Rule& r : rules) {
      ligature.rules.emplace_back(ligature.holder, ids(r.in, glyphs));
      outs.push_back(r.out[0]);
    }
    ligature.ligatures.assign(ids(outs, glyphs));
  }
}

std::string indexText(const otl::GlyphList& list, const otl::GlyphIdMap& glyphs) {
  std::string text;
  for (uint32_t id : list) text += " " + std::to_string(glyphs.indexOf(id));
  return text;
}

// Every rule of the block, in order: "S in out", "M in out...", "A in alternates...",
// "L components... ligature".
std::vector<std::string> ruleLines(const otl::LayoutTableBlock& block, const otl::GlyphIdMap& glyphs) {
  std::vector<std::string> lines;
  for (const auto& [index, lookup] : block.lookups.lookups()) {
    for (const auto& subtable : lookup->subtables) {
      if (const auto* single = dynamic_cast<const otl::LsSingle*>(subtable.get())) {
        for (size_t i = 0; i < single->input.glyphCount(); ++i) {
          lines.push_back("S" + indexText({single->input.glyphAt(i), single->output.glyphAt(i)}, glyphs));
        }
      } else if (const auto* multiple = dynamic_cast<const otl::LsMultiple*>(subtable.get())) {
        const char* kind = dynamic_cast<const otl::LsAlternate*>(multiple) ? "A" : "M";
        for (size_t i = 0; i < multiple->ruleCount(); ++i) {
          lines.push_back(kind + indexText({multiple->coverage.glyphAt(i)}, glyphs) +
                          indexText(multiple->sequences[i].glyphs(), glyphs));
        }
      } else if (const auto* ligature = dynamic_cast<const otl::LsLigature*>(subtable.get())) {
        for (size_t i = 0; i < ligature->ruleCount(); ++i) {
          lines.push_back("L" + indexText(ligature->rules[i].glyphs(), glyphs) +
                          indexText({ligature->ligatures.glyphAt(i)}, glyphs));
        }
      }
    }
  }
  return lines;
}

std::string sortedText(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// True when each ligature is tried before every shorter one it extends: its line comes
// first (lines end with the ligature glyph, so a prefix drops the last number).
bool longerLigaturesFirst(const std::vector<std::string>& lines) {
  std::map<std::string, size_t> at;
  for (size_t i = 0; i < lines.size(); ++i) at[lines[i].substr(0, lines[i].rfind(' '))] = i;
  for (const auto& [components, position] : at) {
    const std::string shorter = components.substr(0, components.rfind(' '));
    const auto found = at.find(shorter);
    if (shorter.find(' ', 2) != std::string::npos && found != at.end() && found->second < position) return false;
  }
  return true;
}

TEST(SubstSplit, OversizedSubtablesSplitByCoveredGlyphKeepEveryRule) {
  const Case cases[] = {
      {"single", 11, singleRules(), 2},      {"multiple", 12, sequenceRules(), 2},
      {"alternate", 13, sequenceRules(), 2}, {"ligature", 14, ligatureRules(), 2},
      {"one ligature set", 14, oneSetRules(), 2},
  };
  const otl::GlyphIdMap glyphs = layout_test::glyphsNamed("g", kGlyphCount);
  bool judged = false;
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    vn::FeaGlyphGroups classes;
    otl::LayoutTableBlock block(1, &classes);
    otl::Lookup* lookup = layout_test::lookupInFeature(block, test.type, "ccmp");
    auto subtable = lookup->createSubtable();
    fill(*subtable, test.rules, glyphs);
    lookup->addSubtable(std::move(subtable));

    vn::FeaGlyphGroups classes2;
    otl::LayoutTableBlock again(1, &classes2);
    std::string bytes;
    ASSERT_TRUE(layout_test::repairRoundTrip(block, glyphs, again, bytes));
    ASSERT_EQ(again.lookups.lookups().size(), 1u);
    const size_t pieces = again.lookups.lookups().begin()->second->subtables.size();
    EXPECT_GE(pieces, test.minPieces);
    const std::vector<std::string> before = ruleLines(block, glyphs), after = ruleLines(again, glyphs);
    EXPECT_EQ(after.size(), test.rules.size());
    EXPECT_EQ(sortedText(after), sortedText(before));
    if (test.type == 14) {
      EXPECT_TRUE(longerLigaturesFirst(after));
    }

    const std::string judge = layout_test::judgeRules(bytes, kGlyphCount);
    if (judge.empty()) continue;
    judged = true;
    EXPECT_EQ(judge, sortedText(before) + "subtables=" + std::to_string(pieces) + "\n");
  }
  if (!judged) GTEST_SKIP() << "fontTools missing: the tables were not judged";
}

// Where the table writer splits a subtable, the generated feature text has one subtable a
// piece, "subtable;" between them (and useExtension), so that our compiler and feaLib
// both build it, with every rule.
TEST(SubstSplit, GeneratedTextBreaksWhereTheWriterSplits) {
  const Case cases[] = {
      {"single", 11, singleRules(), 2}, {"multiple", 12, sequenceRules(), 2}, {"ligature", 14, ligatureRules(), 2}};
  vn::Ref<vn::Font> font = layout_test::fontNamed("g", kGlyphCount);
  const otl::GlyphIdMap glyphs = layout_test::glyphsNamed("g", kGlyphCount);
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    otl::LayoutFea layout(font.get(), "");
    otl::Lookup* lookup = layout_test::lookupInFeature(layout.gsub, test.type, "ccmp");
    auto subtable = lookup->createSubtable();
    fill(*subtable, test.rules, glyphs);
    lookup->addSubtable(std::move(subtable));
    const std::string before = sortedText(ruleLines(layout.gsub, glyphs));

    std::ostringstream out;
    ASSERT_TRUE(layout.writeFeatureFile(out, vn::FeatureWriteOptions{}));
    const std::string text = out.str();
    size_t breaks = 0;
    for (size_t at = text.find("subtable;"); at != std::string::npos; at = text.find("subtable;", at + 1)) ++breaks;
    EXPECT_GE(breaks + 1, test.minPieces);
    EXPECT_NE(text.find("useExtension"), std::string::npos);

    otl::LayoutFea again(font.get(), "");
    std::istringstream back(text);
    otl::FeaCompileError error;
    EXPECT_TRUE(again.importFeatureFile(back, "Test", false, &error)) << error.message;
    EXPECT_EQ(sortedText(ruleLines(again.gsub, glyphs)), before);

    const std::string judge = layout_test::judgeFeaLibRules(text, kGlyphCount);
    if (judge.empty()) continue;
    EXPECT_EQ(judge.substr(0, judge.rfind("subtables=")), before);
  }
}

}  // namespace
