// Binary tables with defects that shaping engines read past: Coverage ranges that overlap,
// a subtable that cannot be read at all. The table is kept; a choice that changes what a
// glyph gets is reported as a warning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout/context_subst.h"
#include "layout/glyph_id_map.h"
#include "layout/layout_fea.h"
#include "layout/ot/class_def.h"
#include "layout/ot/coverage.h"
#include "layout/single_subst.h"
#include "table_bytes.h"

namespace {

using namespace table_bytes;

// Coverage format 2 from (start, end) ranges, each with its running start coverage index.
std::string rangeCoverage(const std::vector<std::pair<uint16_t, uint16_t>>& ranges) {
  Bytes c;
  c.u16(2).u16(ranges.size());
  uint16_t index = 0;
  for (auto [start, end] : ranges) {
    c.u16(start).u16(end).u16(index);
    index += end - start + 1;
  }
  return c.b;
}

// Chain context format 3: input glyph 1 calls lookup 0; one lookahead position.
std::string chainWithLookahead(const std::string& lookaheadCoverage) {
  const std::string input = coverage({1});
  Bytes s;
  s.u16(3).u16(0).u16(1).u16(18).u16(1).u16(18 + input.size()).u16(1).u16(0).u16(0);
  return s.add(input).add(lookaheadCoverage).b;
}

// Single substitution format 2 with its own Coverage block.
std::string singleSubstOver(const std::string& coverageBlock, const std::vector<uint16_t>& substitutes) {
  Bytes s;
  s.u16(2).u16(6 + 2 * substitutes.size()).u16(substitutes.size());
  for (uint16_t g : substitutes) s.u16(g);
  return s.add(coverageBlock).b;
}

struct Read {
  bool ok = false;
  otl::Diagnostics reports;
};

Read readInto(otl::LayoutTableBlock& block, const std::string& bytes, const otl::GlyphIdMap& glyphs) {
  Read read;
  read.ok = parse(block, bytes, glyphs, 1, &read.reports);
  return read;
}

// The table written and read back into `again`.
void rewrite(const otl::LayoutTableBlock& block, otl::LayoutTableBlock& again, const otl::GlyphIdMap& glyphs) {
  LayoutBinWriter writer;
  const std::string written = write(block, glyphs, writer);
  ASSERT_TRUE(parse(again, written, glyphs));
}

TEST(TableDefects, OverlappingLookaheadCoverageKeepsTheTable) {
  const auto glyphs = glyphOrder(8);
  // Ranges 1-3 and 3-5 share glyph 3, as some fonts' ranges do.
  const std::string bytes =
      table({lookup(1, 0, {singleSubst({{1, 2}})}), lookup(6, 0, {chainWithLookahead(rangeCoverage({{1, 3}, {3, 5}}))})});
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(1, &classes);
  const Read read = readInto(block, bytes, glyphs);
  ASSERT_TRUE(read.ok) << read.reports.formatAll();
  // A context position is a set of glyphs: the repeat is no choice, so nothing to say.
  EXPECT_TRUE(read.reports.empty()) << read.reports.formatAll();
  ASSERT_EQ(block.lookups.size(), 2u);
  const auto& chain = static_cast<const otl::ContextSubtable&>(*block.lookups.findLookup(2)->subtables.at(0));
  const auto lookahead = chain.rules.at(0)->lookahead.at(0).glyphs();
  EXPECT_EQ(lookahead.size(), 5u);
  vn::FeaGlyphGroups classes2;
  otl::LayoutTableBlock again(1, &classes2);
  rewrite(block, again, glyphs);
  const auto& chainAgain = static_cast<const otl::ContextSubtable&>(*again.lookups.findLookup(2)->subtables.at(0));
  EXPECT_EQ(chainAgain.rules.at(0)->lookahead.at(0).glyphs(), lookahead);
}

TEST(TableDefects, GlyphCoveredTwiceKeepsItsFirstRecord) {
  const auto glyphs = glyphOrder(16);
  // Glyph 3 stands at coverage indices 2 and 3: substitutes 12 and 13.
  const std::string sub = singleSubstOver(rangeCoverage({{1, 3}, {3, 4}}), {10, 11, 12, 13, 14});
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(1, &classes);
  const Read read = readInto(block, table({lookup(1, 0, {sub})}), glyphs);
  ASSERT_TRUE(read.ok) << read.reports.formatAll();
  const auto lines = read.reports.linesByKind();
  ASSERT_EQ(lines.size(), 1u) << read.reports.formatAll();
  EXPECT_EQ(lines[0], std::string(ot::kCoveredTwice) + ": GSUB lookup 0 subtable 0");
  vn::FeaGlyphGroups classes2;
  otl::LayoutTableBlock again(1, &classes2);
  rewrite(block, again, glyphs);
  const auto& single = static_cast<const otl::LsSingle&>(*again.lookups.findLookup(1)->subtables.at(0));
  const otl::GlyphList in = single.input.glyphs(), out = single.output.glyphs();
  ASSERT_EQ(in.size(), 4u);
  for (size_t k = 0; k < in.size(); ++k) {
    if (in[k] == glyphs.idOf(3)) {
      EXPECT_EQ(out[k], glyphs.idOf(12));
    }
  }
}

// The same defect in hundreds of subtables: one warning line, naming the first five places
// and counting the others.
TEST(TableDefects, ManyPlacesOfOneDefectGiveOneShortLine) {
  const auto glyphs = glyphOrder(16);
  const std::string sub = singleSubstOver(rangeCoverage({{1, 3}, {3, 4}}), {10, 11, 12, 13, 14});
  for (const size_t count : {5u, 6u, 200u}) {
    vn::FeaGlyphGroups classes;
    otl::LayoutTableBlock block(1, &classes);
    const Read read = readInto(block, table(std::vector<std::string>(count, lookup(1, 0, {sub}))), glyphs);
    ASSERT_TRUE(read.ok) << read.reports.formatAll();
    std::string expected = std::string(ot::kCoveredTwice) + ": GSUB lookup 0 subtable 0";
    for (size_t i = 1; i < 5; ++i) expected += ", GSUB lookup " + std::to_string(i) + " subtable 0";
    if (count > 5) expected += " and " + std::to_string(count - 5) + " more";
    EXPECT_EQ(read.reports.linesByKind(), std::vector<std::string>{expected}) << count;
  }
}

TEST(TableDefects, UnreadableSubtableAloneIsDropped) {
  const auto glyphs = glyphOrder(8);
  // The first subtable's Coverage lies past the end of the data.
  Bytes broken;
  broken.u16(2).u16(0xFFF0).u16(0);
  const std::string bytes =
      table({lookup(1, 0, {broken.b, singleSubst({{1, 2}})}), lookup(1, 0, {singleSubst({{3, 4}})})});
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(1, &classes);
  const Read read = readInto(block, bytes, glyphs);
  ASSERT_TRUE(read.ok) << read.reports.formatAll();
  ASSERT_EQ(read.reports.entries().size(), 1u) << read.reports.formatAll();
  const otl::Diagnostic& warning = read.reports.entries()[0];
  EXPECT_EQ(warning.severity, otl::Severity::kWarning);
  EXPECT_EQ(warning.tablePath, "GSUB lookup 0 subtable 0");
  EXPECT_EQ(warning.message.rfind("subtable cannot be read; dropped", 0), 0u) << warning.message;
  ASSERT_EQ(block.lookups.size(), 2u);
  EXPECT_EQ(block.lookups.findLookup(1)->subtables.size(), 1u);
  EXPECT_EQ(block.lookups.findLookup(2)->subtables.size(), 1u);
  EXPECT_EQ(block.scripts.size(), 1u);
}

}  // namespace
