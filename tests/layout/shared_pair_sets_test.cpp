// Glyph-pair subtables whose first glyphs share one pair set, as the table writer writes
// glyphs that kern alike: what it writes reads back with every pair, while a subtable that
// points far more glyphs at one set than any table holds ends at the bound on kept glyphs,
// and copies of shared devices count against the bound on kept records.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "layout/layout_fea.h"
#include "layout/pair_pos.h"
#include "repair_fixture.h"
#include "table_bytes.h"

namespace {

using table_bytes::Bytes;

// Pair positioning format 1 over glyphs 1..covered, every first glyph at one set of
// `pairs` pairs, each moving its second glyph by 10 and, when `sizes` is not 0, with an
// X advance device of that many sizes (one device for all).
std::string sharedPairSet(uint16_t covered, uint16_t pairs, uint16_t sizes) {
  const uint16_t setAt = 10 + 2 * covered;
  const uint16_t deviceAt = setAt + 2 + pairs * (sizes ? 6 : 4);
  Bytes s;
  s.u16(1).u16(0).u16(sizes ? 0x44 : 0x04).u16(0).u16(covered);
  for (uint16_t i = 0; i < covered; ++i) s.u16(setAt);
  s.u16(pairs);
  for (uint16_t k = 0; k < pairs; ++k) {
    s.u16(k + 1).u16(10);
    if (sizes) s.u16(deviceAt);
  }
  if (sizes) {
    s.u16(1).u16(sizes).u16(1);
    for (uint32_t i = 0; i < (sizes + 7u) / 8; ++i) s.u16(0x5555);
  }
  s.set16(2, s.b.size());
  return s.add(table_bytes::coverageRange(1, covered)).b;
}

using PairKey = std::tuple<uint32_t, uint32_t, int16_t, int16_t, int16_t, int16_t>;

std::multiset<PairKey> glyphPairs(const otl::LayoutTableBlock& block) {
  std::multiset<PairKey> out;
  for (const auto& [index, lookup] : block.lookups.lookups()) {
    for (const auto& subtable : lookup->subtables) {
      const auto* pair = dynamic_cast<const otl::LpPair*>(subtable.get());
      if (!pair || !pair->format1) continue;
      for (const auto& p : pair->format1->pairs) {
        out.emplace(p.first, p.second, p.value1.xPlacement, p.value1.yPlacement, p.value1.xAdvance,
                    p.value1.yAdvance);
      }
    }
  }
  return out;
}

// "enum pos" of 41 glyphs by 41: the compiler writes 17 KB, our writer one set for all 41
// first glyphs, and that table reads back to the same 1,681 pairs.
TEST(SharedPairSets, WrittenTablesReadBackWithEveryPair) {
  vn::Ref<vn::Font> font = layout_test::fontNamed("g", 42);
  otl::LayoutFea layout(font.get(), "");
  std::string glyphClass;
  for (int i = 1; i <= 41; ++i) glyphClass += " g" + std::to_string(i);
  std::istringstream text("languagesystem DFLT dflt;\nfeature kern {\n  enum pos [" + glyphClass + "] [" + glyphClass +
                          "] <1 2 3 4>;\n} kern;\n");
  otl::FeaCompileError error;
  ASSERT_TRUE(layout.importFeatureFile(text, "Test", false, &error)) << error.message;
  ASSERT_EQ(glyphPairs(layout.gpos).size(), 41u * 41u);
  const std::vector<uint8_t>& written = font->tables["GPOS"];
  EXPECT_LT(written.size(), 1000u);  // one shared set
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock again(otl::kTableGpos, &classes);
  otl::Diagnostics reports;
  EXPECT_TRUE(table_bytes::parse(again, std::string(written.begin(), written.end()), layout_test::glyphsNamed("g", 42),
                                 otl::kTableGpos, &reports));
  EXPECT_FALSE(reports.hasErrors()) << reports.formatAll();
  EXPECT_EQ(glyphPairs(again), glyphPairs(layout.gpos));
}

TEST(SharedPairSets, CopiesOfASharedSetAreChargedAsKept) {
  struct Case {
    const char* name;
    std::string subtable;
    size_t padding;
    size_t pairsKept;
    const char* refusal;  // null: read in full
  };
  const Case cases[] = {
      {"7,000 glyphs share a set of 46 pairs", sharedPairSet(7000, 46, 0), 128 * 1024, 7000 * 46, nullptr},
      {"9,400 of them", sharedPairSet(9400, 46, 0), 128 * 1024, 0,
       "lookup refused: its records would pass the budget of 3000000 records"},
      {"20 glyphs share a set of 10 pairs with one device of 1,000 sizes", sharedPairSet(20, 10, 1000), 0, 20 * 10,
       nullptr},
      {"300 of them", sharedPairSet(300, 10, 1000), 0, 0,
       "the records read would take more than 64 times the table's size in memory"},
  };
  const otl::GlyphIdMap glyphs = table_bytes::glyphOrder(10000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string table = table_bytes::table({table_bytes::lookup(2, 0, {c.subtable})});
    table.resize(std::max(table.size(), c.padding), '\0');
    vn::FeaGlyphGroups classes;
    otl::LayoutTableBlock block(otl::kTableGpos, &classes);
    otl::Diagnostics reports;
    EXPECT_EQ(table_bytes::parse(block, table, glyphs, otl::kTableGpos, &reports), c.refusal == nullptr);
    if (c.refusal) {
      EXPECT_NE(reports.formatAll().find(std::string("GPOS lookup 0 subtable 0: ") + c.refusal), std::string::npos)
          << reports.formatAll();
    } else {
      EXPECT_FALSE(reports.hasErrors()) << reports.formatAll();
      EXPECT_EQ(glyphPairs(block).size(), c.pairsKept);
    }
  }
}

}  // namespace
