// Subtables whose Coverage lists a glyph twice and that select a whole table per coverage
// index (pair sets, ligature sets, rule sets): an engine takes the glyph's first index, so
// the reader keeps the first entry's table only, says so in a line, and reads exactly as
// the same subtable without the later entry.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "layout/layout_fea.h"
#include "layout/lookup_kind.h"
#include "layout/ot/coverage.h"
#include "table_bytes.h"

namespace {

using namespace table_bytes;

// A subtable of `head` (its format and a Coverage offset to fill, then its own fields),
// a count and one offset per coverage entry, entry k pointing at blocks[blockOf[k]].
std::string coveredBlocks(Bytes head, const std::vector<uint16_t>& covered, const std::vector<size_t>& blockOf,
                          const std::vector<std::string>& blocks) {
  head.u16(blockOf.size());
  size_t at = head.b.size() + 2 * blockOf.size();
  std::vector<size_t> offsets;
  for (const auto& block : blocks) offsets.push_back(at), at += block.size();
  for (size_t k : blockOf) head.u16(offsets[k]);
  for (const auto& block : blocks) head.add(block);
  head.set16(2, head.b.size());
  return head.add(coverage(covered)).b;
}

// A pair set moving each second glyph by the given X advance.
std::string pairSet(const std::vector<std::pair<uint16_t, uint16_t>>& pairs) {
  Bytes s;
  s.u16(pairs.size());
  for (auto [second, advance] : pairs) s.u16(second).u16(advance);
  return s.b;
}

// A LigatureSet of one ligature: `ligature` from the covered glyph and `rest`.
std::string ligatureSet(uint16_t ligature, const std::vector<uint16_t>& rest) {
  Bytes s;
  s.u16(1).u16(4).u16(ligature).u16(rest.size() + 1);
  for (uint16_t g : rest) s.u16(g);
  return s.b;
}

// A rule set of one rule: the covered glyph then `rest`, calling lookup 1 at its start.
std::string ruleSet(const std::vector<uint16_t>& rest, bool chained) {
  Bytes s;
  s.u16(1).u16(4);
  if (chained) s.u16(0);
  s.u16(rest.size() + 1);
  if (!chained) s.u16(1);
  for (uint16_t g : rest) s.u16(g);
  if (chained) s.u16(0).u16(1);
  return s.u16(0).u16(1).b;
}

struct Case {
  const char* name;
  uint32_t tableId;
  uint16_t lookupType;
  Bytes head;
  std::vector<uint16_t> covered;
  std::vector<size_t> blockOf;
  std::vector<std::string> blocks;
};

std::string tableOf(const Case& c, const std::vector<uint16_t>& covered, const std::vector<size_t>& blockOf) {
  std::vector<std::string> lookups{lookup(c.lookupType, 0, {coveredBlocks(c.head, covered, blockOf, c.blocks)})};
  // The lookup the context rules call.
  if (c.tableId == otl::kTableGsub) lookups.push_back(lookup(1, 0, {singleSubst({{1, 2}})}));
  return table(lookups);
}

struct Read {
  std::string written;
  std::vector<std::string> lines;
};

Read readAndWrite(const std::string& bytes, uint32_t tableId, const otl::GlyphIdMap& glyphs) {
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(tableId, &classes);
  otl::Diagnostics reports;
  Read read;
  EXPECT_TRUE(parse(block, bytes, glyphs, tableId, &reports)) << reports.formatAll();
  read.lines = reports.linesByKind();
  LayoutBinWriter writer;
  read.written = write(block, glyphs, writer);
  return read;
}

TEST(CoveredTwice, LaterEntryOfAGlyphIsNotKept) {
  const auto glyphs = glyphOrder(16);
  const Bytes pairHead = Bytes().u16(1).u16(0).u16(0x0004).u16(0);
  const Bytes head = Bytes().u16(1).u16(0);
  const std::vector<Case> cases = {
      {"pair sets", otl::kTableGpos, 2, pairHead, {1, 3, 3},
       {0, 1, 2}, {pairSet({{5, 10}}), pairSet({{6, 20}}), pairSet({{7, 30}, {8, 40}})}},
      // The later entry's set is also a later glyph's: that glyph keeps it whole.
      {"pair set shared past the later entry", otl::kTableGpos, 2, pairHead, {3, 3, 1},
       {0, 1, 1}, {pairSet({{6, 20}}), pairSet({{7, 30}, {8, 40}})}},
      {"pair set shared with the later entry", otl::kTableGpos, 2, pairHead, {1, 3, 3},
       {0, 1, 0}, {pairSet({{5, 10}}), pairSet({{6, 20}})}},
      {"ligature sets", otl::kTableGsub, 4, head, {1, 3, 3},
       {0, 1, 2}, {ligatureSet(10, {5}), ligatureSet(11, {6}), ligatureSet(12, {7})}},
      {"context rule sets", otl::kTableGsub, 5, head, {1, 3, 3},
       {0, 1, 2}, {ruleSet({5}, false), ruleSet({6}, false), ruleSet({7, 8}, false)}},
      {"chained rule sets", otl::kTableGsub, 6, head, {1, 3, 3},
       {0, 1, 2}, {ruleSet({5}, true), ruleSet({6}, true), ruleSet({7, 8}, true)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The same subtable with each glyph's first entry only.
    std::vector<uint16_t> firstCovered;
    std::vector<size_t> firstBlockOf;
    std::set<uint16_t> seen;
    for (size_t k = 0; k < c.covered.size(); ++k) {
      if (!seen.insert(c.covered[k]).second) continue;
      firstCovered.push_back(c.covered[k]);
      firstBlockOf.push_back(c.blockOf[k]);
    }
    const Read twice = readAndWrite(tableOf(c, c.covered, c.blockOf), c.tableId, glyphs);
    const Read once = readAndWrite(tableOf(c, firstCovered, firstBlockOf), c.tableId, glyphs);
    const std::string place = c.tableId == otl::kTableGpos ? "GPOS" : "GSUB";
    EXPECT_EQ(twice.lines, std::vector<std::string>{std::string(ot::kCoveredTwice) + ": " + place +
                                                    " lookup 0 subtable 0"});
    EXPECT_TRUE(once.lines.empty());
    EXPECT_EQ(twice.written, once.written);
  }
}

}  // namespace
