// Binary subtables of every kind whose Coverage lists a glyph twice: an engine takes the
// glyph's first coverage index, so the reader keeps what the first entry selects (a record,
// a pair set, a ligature set, a rule set) and nothing of the later one, says so in a line,
// and reads exactly as the same subtable without the later entry: the same table written,
// the same feature text, and that text compiles.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "layout/layout_fea.h"
#include "layout/ligature_subst.h"
#include "layout/lookup_kind.h"
#include "layout/ot/coverage.h"
#include "layout/pair_pos.h"
#include "layoutxml_documents.h"
#include "repair_fixture.h"
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

// A LigatureSet: each ligature glyph from the covered glyph and the rest of its components.
std::string ligatureSet(const std::vector<std::pair<uint16_t, std::vector<uint16_t>>>& ligatures) {
  Bytes s;
  s.u16(ligatures.size());
  size_t at = 2 + 2 * ligatures.size();
  for (const auto& [ligature, rest] : ligatures) s.u16(at), at += 4 + 2 * rest.size();
  for (const auto& [ligature, rest] : ligatures) {
    s.u16(ligature).u16(rest.size() + 1);
    for (uint16_t g : rest) s.u16(g);
  }
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

// Reverse chaining single substitution without context, one substitute per entry.
std::string reverseChainOf(const std::vector<uint16_t>& covered, const std::vector<uint16_t>& substitutes) {
  Bytes s;
  s.u16(1).u16(10 + 2 * substitutes.size()).u16(0).u16(0).u16(substitutes.size());
  for (uint16_t g : substitutes) s.u16(g);
  return s.add(coverage(covered)).b;
}

// Single positioning format 2, an X advance per entry.
std::string singlePosOf(const std::vector<uint16_t>& covered, const std::vector<uint16_t>& advances) {
  Bytes s;
  s.u16(2).u16(8 + 2 * advances.size()).u16(0x0004).u16(advances.size());
  for (uint16_t x : advances) s.u16(x);
  return s.add(coverage(covered)).b;
}

Bytes anchor(uint16_t x) { return Bytes().u16(1).u16(x).u16(x); }

// Cursive attachment, entry k with entry anchor (x, x) and exit anchor (x + 1, x + 1).
std::string cursiveOf(const std::vector<uint16_t>& covered, const std::vector<uint16_t>& xs) {
  Bytes s;
  const size_t n = xs.size();
  s.u16(1).u16(6 + 16 * n).u16(n);
  for (size_t k = 0; k < n; ++k) s.u16(6 + 4 * n + 12 * k).u16(6 + 4 * n + 12 * k + 6);
  for (uint16_t x : xs) s.add(anchor(x).b).add(anchor(x + 1).b);
  return s.add(coverage(covered)).b;
}

// Mark-to-base attachment of one mark class, each mark and base with its own anchor.
std::string markToBaseOf(const std::vector<uint16_t>& marks, const std::vector<uint16_t>& markXs,
                         const std::vector<uint16_t>& bases, const std::vector<uint16_t>& baseXs) {
  const size_t m = markXs.size(), b = baseXs.size();
  const size_t markArray = 12, baseArray = markArray + 2 + 10 * m, markCoverage = baseArray + 2 + 8 * b;
  Bytes s;
  s.u16(1).u16(markCoverage).u16(markCoverage + 4 + 2 * marks.size()).u16(1).u16(markArray).u16(baseArray);
  s.u16(m);
  for (size_t k = 0; k < m; ++k) s.u16(0).u16(2 + 4 * m + 6 * k);
  for (uint16_t x : markXs) s.add(anchor(x).b);
  s.u16(b);
  for (size_t k = 0; k < b; ++k) s.u16(2 + 2 * b + 6 * k);
  for (uint16_t x : baseXs) s.add(anchor(x).b);
  return s.add(coverage(marks)).add(coverage(bases)).b;
}

template <class T>
std::vector<T> pick(const std::vector<T>& all, const std::vector<size_t>& entries) {
  std::vector<T> out;
  for (size_t k : entries) out.push_back(all[k]);
  return out;
}

// A subtable whose Coverage lists a glyph twice, built from the coverage entries given.
struct Case {
  const char* name;
  uint32_t tableId;
  uint16_t lookupType;
  std::vector<uint16_t> covered;
  std::function<std::string(const std::vector<size_t>& entries)> subtable;
};

std::string tableOf(const Case& c, const std::vector<size_t>& entries) {
  std::vector<std::string> lookups{lookup(c.lookupType, 0, {c.subtable(entries)})};
  // The lookup the context rules call.
  if (c.tableId == otl::kTableGsub) lookups.push_back(lookup(1, 0, {singleSubst({{1, 2}})}));
  return table(lookups);
}

struct Read {
  std::string written;
  std::vector<std::string> lines;
  std::string text;
};

Read readAndWrite(const std::string& bytes, uint32_t tableId) {
  const auto glyphs = layout_test::glyphsNamed("g", 16);
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(tableId, &classes);
  otl::Diagnostics reports;
  Read read;
  EXPECT_TRUE(parse(block, bytes, glyphs, tableId, &reports)) << reports.formatAll();
  read.lines = reports.linesByKind();
  LayoutBinWriter writer;
  read.written = write(block, glyphs, writer);
  vn::Ref<vn::Font> font = layout_test::fontNamed("g", 16);
  otl::LayoutFea layout(font.get(), "");
  ot::BinaryReader reader(bytes);
  EXPECT_TRUE(layout.readBinaryTable(reader, tableId, glyphs));
  std::ostringstream text;
  EXPECT_TRUE(layout.writeFeatureFile(text, vn::FeatureWriteOptions{}));
  read.text = text.str();
  return read;
}

TEST(CoveredTwice, LaterEntryOfAGlyphIsNotKept) {
  const Bytes pairHead = Bytes().u16(1).u16(0).u16(0x0004).u16(0);
  const Bytes head = Bytes().u16(1).u16(0);
  // Blocks selected by offsets from each coverage entry: entry k takes blocks[blockOf[k]].
  const auto blocksCase = [](const char* name, uint32_t tableId, uint16_t type, Bytes blocksHead,
                             std::vector<uint16_t> covered, std::vector<size_t> blockOf,
                             std::vector<std::string> blocks) {
    return Case{name, tableId, type, covered, [=](const std::vector<size_t>& e) {
                  return coveredBlocks(blocksHead, pick(covered, e), pick(blockOf, e), blocks);
                }};
  };
  const std::vector<uint16_t> c{1, 3, 3};
  const std::vector<uint16_t> marks{5, 7, 7};
  const std::vector<Case> cases = {
      blocksCase("pair sets", otl::kTableGpos, 2, pairHead, c, {0, 1, 2},
                 {pairSet({{5, 10}}), pairSet({{6, 20}}), pairSet({{7, 30}, {8, 40}})}),
      // The later entry's set is also a later glyph's: that glyph keeps it whole.
      blocksCase("pair set shared past the later entry", otl::kTableGpos, 2, pairHead, {3, 3, 1}, {0, 1, 1},
                 {pairSet({{6, 20}}), pairSet({{7, 30}, {8, 40}})}),
      blocksCase("pair set shared with the later entry", otl::kTableGpos, 2, pairHead, c, {0, 1, 0},
                 {pairSet({{5, 10}}), pairSet({{6, 20}})}),
      blocksCase("ligature sets", otl::kTableGsub, 4, head, c, {0, 1, 2},
                 {ligatureSet({{10, {5}}}), ligatureSet({{11, {6}}}), ligatureSet({{12, {7}}})}),
      blocksCase("context rule sets", otl::kTableGsub, 5, head, c, {0, 1, 2},
                 {ruleSet({5}, false), ruleSet({6}, false), ruleSet({7, 8}, false)}),
      blocksCase("chained rule sets", otl::kTableGsub, 6, head, c, {0, 1, 2},
                 {ruleSet({5}, true), ruleSet({6}, true), ruleSet({7, 8}, true)}),
      blocksCase("multiple substitution sequences", otl::kTableGsub, 2, head, c, {0, 1, 2},
                 {Bytes().u16(2).u16(10).u16(11).b, Bytes().u16(2).u16(12).u16(13).b,
                  Bytes().u16(2).u16(14).u16(15).b}),
      blocksCase("alternate sets", otl::kTableGsub, 3, head, c, {0, 1, 2},
                 {Bytes().u16(1).u16(10).b, Bytes().u16(2).u16(11).u16(12).b, Bytes().u16(1).u16(13).b}),
      {"single substitutes", otl::kTableGsub, 1, c,
       [&](const std::vector<size_t>& e) {
         return singleSubst(pick<std::pair<uint16_t, uint16_t>>({{1, 10}, {3, 11}, {3, 12}}, e));
       }},
      {"reverse chaining substitutes", otl::kTableGsub, 8, c,
       [&](const std::vector<size_t>& e) { return reverseChainOf(pick(c, e), pick<uint16_t>({10, 11, 12}, e)); }},
      {"single positioning values", otl::kTableGpos, 1, c,
       [&](const std::vector<size_t>& e) { return singlePosOf(pick(c, e), pick<uint16_t>({10, 20, 30}, e)); }},
      {"cursive anchors", otl::kTableGpos, 3, c,
       [&](const std::vector<size_t>& e) { return cursiveOf(pick(c, e), pick<uint16_t>({10, 20, 30}, e)); }},
      {"mark records", otl::kTableGpos, 4, marks,
       [&](const std::vector<size_t>& e) {
         return markToBaseOf(pick(marks, e), pick<uint16_t>({10, 20, 30}, e), {1}, {40});
       }},
      {"base records", otl::kTableGpos, 4, c,
       [&](const std::vector<size_t>& e) {
         return markToBaseOf({5}, {10}, pick(c, e), pick<uint16_t>({20, 30, 40}, e));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Every entry, and each glyph's first entry only.
    std::vector<size_t> all, firsts;
    std::set<uint16_t> seen;
    for (size_t k = 0; k < c.covered.size(); ++k) {
      all.push_back(k);
      if (seen.insert(c.covered[k]).second) firsts.push_back(k);
    }
    const Read twice = readAndWrite(tableOf(c, all), c.tableId);
    const Read once = readAndWrite(tableOf(c, firsts), c.tableId);
    const std::string place = c.tableId == otl::kTableGpos ? "GPOS" : "GSUB";
    EXPECT_EQ(twice.lines, std::vector<std::string>{std::string(ot::kCoveredTwice) + ": " + place +
                                                    " lookup 0 subtable 0"});
    EXPECT_TRUE(once.lines.empty());
    EXPECT_EQ(twice.written, once.written);
    EXPECT_EQ(twice.text, once.text);
    // What is kept compiles again.
    vn::Ref<vn::Font> font = layout_test::fontNamed("g", 16);
    otl::LayoutFea again(font.get(), "");
    std::istringstream text(twice.text);
    otl::FeaCompileError error;
    EXPECT_TRUE(again.importFeatureFile(text, "Test", false, &error)) << error.message << "\n" << twice.text;
  }
}

// A second glyph given twice in a pair set, in a table and in the layout XML: the first kept.
TEST(CoveredTwice, SecondGlyphGivenTwiceInAPairSetKeepsItsFirstRecord) {
  const auto read = [](const std::vector<std::pair<uint16_t, uint16_t>>& records) {
    std::string set;
    for (auto [g, x] : records) set += "<PairValueRecord><SecondGlyph value='g" + std::to_string(g) + "'/>" +
                                       "<Value1 XAdvance='" + std::to_string(x) + "'/></PairValueRecord>";
    vn::Ref<vn::Font> font = layout_test::fontNamed("g", 30);
    otl::LayoutFea layout(font.get(), "");
    EXPECT_TRUE(layoutxml_documents::load(layout, layoutxml_documents::document("GPOS", "kern",
        layoutxml_documents::lookup(2, "<PairPos Format='1'><Coverage><Glyph value='g1'/></Coverage><ValueFormat1 "
                                       "value='4'/><PairSet index='0'>" + set + "</PairSet></PairPos>"))));
    const Bytes head = Bytes().u16(1).u16(0).u16(4).u16(0);
    Read binary = readAndWrite(table({lookup(2, 0, {coveredBlocks(head, {1}, {0}, {pairSet(records)})})}), otl::kTableGpos);
    for (const std::string& xmlLine : layout.reports.linesByKind()) binary.lines.push_back(xmlLine);
    return std::pair{binary, layoutxml_documents::write(layout)};
  };
  const auto [twice, twiceXml] = read({{3, 10}, {2, 20}, {3, 30}});
  const auto [once, onceXml] = read({{3, 10}, {2, 20}});
  const std::string line = std::string(otl::kSecondGlyphTwice) + ": ";
  EXPECT_EQ(twice.lines, (std::vector<std::string>{line + "GPOS lookup 0 subtable 0",
                                                   line + "PairPos on line 1 of layout XML document"}));
  EXPECT_EQ(std::tie(twice.written, twice.text, twiceXml), std::tie(once.written, once.text, onceXml));
}

// A LigatureSet holding one component sequence twice, in a table and in a layout XML
// document: both rules stay in the layout (the feature text shows the later one as never
// applying), the table written holds the first only, as an engine applies it, and a line
// says so.
TEST(CoveredTwice, SequenceTwiceInALigatureSetIsNamed) {
  const auto glyphs = layout_test::glyphsNamed("g", 16);
  for (bool document : {false, true}) {
    SCOPED_TRACE(document ? "document" : "table");
    std::string written[2], text[2];
    for (bool twice : {false, true}) {
      vn::Ref<vn::Font> font = layout_test::fontNamed("g", 16);
      otl::LayoutFea layout(font.get(), "");
      std::vector<std::pair<uint16_t, std::vector<uint16_t>>> ligatures{{3, {2}}, {5, {2, 4}}};
      std::string xml = "<Ligature components=\"g2\" glyph=\"g3\"/><Ligature components=\"g2,g4\" glyph=\"g5\"/>";
      if (twice) ligatures.push_back({4, {2}}), xml += "<Ligature components=\"g2\" glyph=\"g4\"/>";
      std::istringstream in(
          "<OTLayout><GSUB><ScriptList><ScriptRecord><ScriptTag value=\"latn\"/><Script><DefaultLangSys>"
          "<FeatureIndex value=\"0\"/></DefaultLangSys></Script></ScriptRecord></ScriptList><FeatureList>"
          "<FeatureRecord index=\"0\"><FeatureTag value=\"liga\"/><Feature><LookupListIndex value=\"0\"/></Feature>"
          "</FeatureRecord></FeatureList><LookupList><Lookup index=\"0\"><LookupType value=\"4\"/>\n<LigatureSubst>"
          "<LigatureSet glyph=\"g1\">" + xml +
          "</LigatureSet></LigatureSubst></Lookup></LookupList></GSUB></OTLayout>");
      const std::string bytes =
          table({lookup(4, 0, {coveredBlocks(Bytes().u16(1).u16(0), {1}, {0}, {ligatureSet(ligatures)})})});
      ot::BinaryReader reader(bytes);
      ASSERT_TRUE(document ? layout.loadLayoutXml(in) : layout.readBinaryTable(reader, otl::kTableGsub, glyphs));
      const std::string place =
          document ? "LigatureSubst on line 2 of layout XML document" : "GSUB lookup 0 subtable 0";
      EXPECT_EQ(layout.takeWarnings(), std::vector<std::string>(twice, otl::kLigatureListedTwice + (": " + place)));
      std::ostringstream binary, fea;
      EXPECT_TRUE(layout.writeBinaryTable(binary, otl::kTableGsub, glyphs));
      EXPECT_TRUE(layout.writeFeatureFile(fea, vn::FeatureWriteOptions{}));
      written[twice] = binary.str(), text[twice] = fea.str();
    }
    EXPECT_EQ(written[true], written[false]);
    EXPECT_NE(text[true].find("#       sub \\g1 \\g2 by \\g4;\n"), std::string::npos) << text[true];
  }
}

}  // namespace
