// Binary GSUB/GPOS data that real fonts hold and a read-write round trip must keep:
// feature parameters, the coverage of zero-valued pair classes, wide context subtables.
#include <gtest/gtest.h>

#include <set>

#include "layout/context_subst.h"
#include "table_bytes.h"

namespace {

using namespace table_bytes;

// The glyphs of the Coverage at `at` (format 1 or 2).
std::set<uint16_t> coverageAt(const std::string& b, size_t at) {
  std::set<uint16_t> glyphs;
  const uint16_t format = at16(b, at), count = at16(b, at + 2);
  for (size_t i = 0; i < count; ++i) {
    if (format == 1) glyphs.insert(at16(b, at + 4 + 2 * i));
    for (uint32_t g = at16(b, at + 4 + 6 * i); format == 2 && g <= at16(b, at + 6 + 6 * i); ++g) glyphs.insert(g);
  }
  return glyphs;
}

// Start of subtable `j` of lookup `i` in a written table (no Extension lookups).
size_t subtableAt(const std::string& b, size_t i, size_t j) {
  const size_t list = at16(b, 8);
  const size_t lookup = list + at16(b, list + 2 + 2 * i);
  return lookup + at16(b, lookup + 6 + 2 * j);
}

// A table with one feature `tag` (no lookup) whose FeatureParams block is `params`, placed
// relative to the Feature table or, as some fonts have it, to the FeatureList.
std::string tableWithParams(const char* tag, const std::string& params, bool fromFeatureList = false) {
  Bytes t;
  t.u32(0x00010000).u16(10).u16(0).u16(0);
  t.u16(1).tag("latn").u16(8);
  t.u16(4).u16(0).u16(0).u16(0xFFFF).u16(1).u16(0);
  t.set16(6, t.b.size());
  t.u16(1).tag(tag).u16(8).u16(fromFeatureList ? 12 : 4).u16(0).add(params);
  t.set16(8, t.b.size());
  t.u16(0);
  return t.b;
}

TEST(TableFidelity, FeatureParametersSurviveTheRoundTrip) {
  const std::string size = Bytes().u16(100).u16(3).u16(256).u16(80).u16(139).b;
  const std::string stylisticSet = Bytes().u16(0).u16(258).b;
  // Character variant: format, label, tooltip, sample, 2 named parameters from 300, chars A and U+1F600.
  const std::string variant = Bytes().u16(0).u16(260).u16(261).u16(0).u16(2).u16(300).u16(2).b + std::string("\x00\x00\x41", 3) +
                              std::string("\x01\xF6\x00", 3);
  struct Case {
    const char* tag;
    std::string params;
    bool fromFeatureList;
    size_t fields;
    std::vector<uint16_t> names;
  };
  const Case cases[] = {{"size", size, false, 5, {256}},
                        {"size", size, true, 5, {256}},
                        {"ss07", stylisticSet, false, 2, {258}},
                        {"cv42", variant, false, 6, {260, 261, 300, 301}}};
  const auto glyphs = glyphOrder(4);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.tag) + (c.fromFeatureList ? " from the FeatureList" : ""));
    vn::FeaGlyphGroups classes;
    otl::LayoutTableBlock block(2, &classes);
    ASSERT_TRUE(parse(block, tableWithParams(c.tag, c.params, c.fromFeatureList), glyphs, 2));
    const auto& params = block.scripts.begin()->second.languages.begin()->second.features.begin()->second.params;
    ASSERT_FALSE(params.empty());
    EXPECT_EQ(params.fields.size(), c.fields);
    EXPECT_EQ(params.nameIds(), c.names);
    LayoutBinWriter writer;
    const std::string written = write(block, glyphs, writer);
    // The written Feature table holds the parameters right after its (empty) lookup list.
    const size_t feature = at16(written, 6) + at16(written, at16(written, 6) + 6);
    EXPECT_EQ(at16(written, feature), 4);
    EXPECT_EQ(written.substr(feature + 4, c.params.size()), c.params);
    vn::FeaGlyphGroups again;
    otl::LayoutTableBlock back(2, &again);
    ASSERT_TRUE(parse(back, written, glyphs, 2));
    EXPECT_EQ(back.scripts.begin()->second.languages.begin()->second.features.begin()->second.params, params);
  }
}

TEST(TableFidelity, ParametersOfOtherFeaturesAndBrokenBlocksAreNotKept) {
  const auto glyphs = glyphOrder(4);
  const struct {
    const char* tag;
    std::string params;
  } cases[] = {{"kern", Bytes().u16(1).u16(2).b},               // no parameters for this tag
               {"size", Bytes().u16(0).u16(0).u16(0).u16(0).u16(0).b},  // design size 0
               {"cv01", Bytes().u16(0).u16(1).u16(0).u16(0).u16(0).u16(0).u16(500).b}};  // characters cut
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    vn::FeaGlyphGroups classes;
    otl::LayoutTableBlock block(2, &classes);
    ASSERT_TRUE(parse(block, tableWithParams(c.tag, c.params), glyphs, 2));
    EXPECT_TRUE(block.scripts.begin()->second.languages.begin()->second.features.begin()->second.params.empty());
  }
}

// Pair lookup: subtable 0 classes glyphs 1 (class 1, kerns 10 by -50) and 2, 3 (class 2, a
// row of zeros); subtable 1 kerns 2 and 10 by -20. Glyphs 2 and 3 stop the lookup at
// subtable 0, so 2-10 never gets -20: the written subtable 0 must still cover them.
TEST(TableFidelity, ZeroValuedPairClassesKeepTheirCoverage) {
  Bytes classPairs;
  classPairs.u16(2).u16(28).u16(4).u16(0).u16(38).u16(50).u16(3).u16(2);
  classPairs.u16(0).u16(0).u16(0).u16(uint16_t(-50)).u16(0).u16(0);
  classPairs.add(coverage({1, 2, 3}));
  classPairs.u16(1).u16(1).u16(3).u16(1).u16(2).u16(2);  // ClassDef1
  classPairs.u16(1).u16(10).u16(1).u16(1);               // ClassDef2
  Bytes glyphPairs;
  glyphPairs.u16(1).u16(18).u16(4).u16(0).u16(1).u16(12);
  glyphPairs.u16(1).u16(10).u16(uint16_t(-20));
  glyphPairs.add(coverage({2}));
  const auto glyphs = glyphOrder(12);
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(2, &classes);
  ASSERT_TRUE(parse(block, table({lookup(2, 0, {classPairs.b, glyphPairs.b})}), glyphs, 2));
  LayoutBinWriter writer;
  const std::string written = write(block, glyphs, writer);
  const size_t subtable = subtableAt(written, 0, 0);
  ASSERT_EQ(at16(written, subtable), 2);
  EXPECT_EQ(coverageAt(written, subtable + at16(written, subtable + 2)), (std::set<uint16_t>{1, 2, 3}));
}

// A format 1 context subtable covering more glyphs than a rule may hold positions: its
// RuleSet offsets are one per covered glyph, not a glyph sequence.
TEST(TableFidelity, ContextSubtablesCoveringManyGlyphsAreRead) {
  for (const bool chained : {false, true}) {
    SCOPED_TRACE(chained ? "chained" : "plain");
    const uint16_t covered = 1025;
    std::vector<uint16_t> glyphIds;
    for (uint16_t g = 1; g <= covered; ++g) glyphIds.push_back(g);
    Bytes c;
    c.u16(1).u16(0).u16(covered);
    const size_t sets = c.b.size();
    for (uint16_t i = 0; i < covered; ++i) c.u16(0);
    const size_t ruleSet = c.b.size();
    c.u16(1).u16(4);  // one rule: the covered glyph then glyph 1, no lookup called
    if (chained) {
      c.u16(0).u16(2).u16(1).u16(0).u16(0);
    } else {
      c.u16(2).u16(0).u16(1);
    }
    for (uint16_t i = 0; i < covered; ++i) c.set16(sets + 2 * i, ruleSet);  // one shared RuleSet
    c.set16(2, c.b.size());
    c.add(coverage(glyphIds));
    const auto glyphs = glyphOrder(covered + 2);
    vn::FeaGlyphGroups classes;
    otl::LayoutTableBlock block(1, &classes);
    ASSERT_TRUE(parse(block, table({lookup(chained ? 6 : 5, 0, {c.b})}), glyphs, 1));
    ASSERT_EQ(block.lookups.lookups().size(), 1u);
    size_t rules = 0;
    for (const auto& subtable : block.lookups.lookups().begin()->second->subtables) {
      rules += dynamic_cast<const otl::ContextSubtable&>(*subtable).rules.size();
    }
    EXPECT_EQ(rules, covered);
  }
}

}  // namespace
