// Binary GSUB/GPOS frames: hand-built tables read into the model and written back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "layout/glyph_id_map.h"
#include "layout/layout_bin_parser.h"
#include "layout/layout_bin_writer.h"
#include "layout/layout_fea.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/pair_pos.h"
#include "table_bytes.h"

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace table_bytes;
using otl::ot_bin_layout::LayoutBinParser;
using otl::ot_bin_layout::LayoutBinWriter;

// Equal texts; on a difference only its first line is shown (the texts are long).
::testing::AssertionResult sameText(const std::string& a, const std::string& b) {
  if (a == b) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  const size_t line = a.rfind('\n', at) == std::string::npos ? 0 : a.rfind('\n', at) + 1;
  return ::testing::AssertionFailure() << "differ at byte " << at << ": \"" << a.substr(line, 80) << "\" vs \""
                                       << b.substr(line, 80) << "\" (sizes " << a.size() << ", " << b.size() << ")";
}

// The kerning a pair lookup gives: (first, second) -> X advance, first subtable wins.
std::map<std::pair<uint32_t, uint32_t>, int> pairValues(const otl::LayoutTableBlock& block) {
  std::map<std::pair<uint32_t, uint32_t>, int> out;
  for (const auto& [index, lookup] : block.lookups.lookups()) {
    for (const auto& subtable : lookup->subtables) {
      auto copy = subtable->clone(nullptr);
      auto* pair = dynamic_cast<otl::LpPair*>(copy.get());
      if (!pair) continue;
      pair->toGlyphPairs();
      for (const auto& p : pair->format1->pairs) {
        if (p.value1.xAdvance != 0) out.emplace(std::make_pair(p.first, p.second), p.value1.xAdvance);
      }
    }
  }
  return out;
}

// Every rule of every lookup as feature text, sorted (subtable breaks left out).
std::string rules(const otl::LayoutTableBlock& block) {
  std::vector<std::string> lines;
  for (const auto& [index, lookup] : block.lookups.lookups()) {
    for (const auto& subtable : lookup->subtables) {
      std::ostringstream text;
      subtable->writeFea(text, block.lookups.lookups(), {});
      std::istringstream in(text.str());
      for (std::string line; std::getline(in, line);) lines.push_back(std::to_string(index) + line);
    }
  }
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const auto& line : lines) out += line + "\n";
  return out;
}

TEST(TableIo, EmptyBlockIsSixteenBytes) {
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(1, &classes);
  LayoutBinWriter writer;
  EXPECT_EQ(write(block, glyphOrder(4), writer),
            std::string("\0\1\0\0\0\x0A\0\x0C\0\x0E\0\0\0\0\0\0", 16));
}

TEST(TableIo, FontsPastSixteenBitGlyphIndicesGetNoTables) {
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(1, &classes);
  ot::BinaryWriter out;
  LayoutBinWriter writer;
  EXPECT_FALSE(writer.write(&block, out, glyphOrder(65536)));
  EXPECT_EQ(out.size(), 0u);
  EXPECT_TRUE(writer.diagnostics().hasErrors());
}

TEST(TableIo, LookupsWithoutAWritableKindAreDroppedAndReported) {
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(1, &classes);
  const uint32_t index = block.lookups.createLookup()->index;  // type 0
  otl::Lookup* emptied = block.lookups.createLookup();         // only an empty subtable
  emptied->tableId = 1;
  emptied->typeCode = 11;
  emptied->subtables.push_back(emptied->createSubtable());
  const ot::Tag latn = ot::Tag::fromString("latn"), test = ot::Tag::fromString("test");
  block.scripts.try_emplace(latn, latn).first->second.languages.try_emplace(latn, latn).first->second.features
      .try_emplace(test, test).first->second.lookups = {index, emptied->index};
  LayoutBinWriter writer;
  const std::string written = write(block, glyphOrder(4), writer);
  EXPECT_EQ(written.size(), 16u);  // no lookup, and no feature or script left to name it
  EXPECT_EQ(writer.diagnostics().entries().size(), 2u);
  EXPECT_EQ(block.lookups.size(), 2u);  // the caller's block is untouched
}

TEST(TableIo, ToolRejectsHostileTablesWithoutOutput) {
  const auto dir = std::filesystem::temp_directory_path() / ("otl_hostile_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir / "in");
  std::ofstream(dir / "glyphs.txt") << "a\nb\n";
  std::ofstream(dir / "in" / "GSUB", std::ios::binary) << table({lookup(9, 0, {singleSubst({{0, 1}})})});
  const std::string command = std::string(TARNWICK_OTLTOOL) + " roundtrip " + (dir / "glyphs.txt").string() + " " +
                              (dir / "in").string() + " " + (dir / "out").string() + " 2>/dev/null";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "out"));
  std::filesystem::remove_all(dir);
}

TEST(TableIo, FrameReadAndWrittenBack) {
  const auto glyphs = glyphOrder(8);
  // Flag 0x18 carries MarkFilteringSet 3; the second lookup is an Extension.
  std::string bytes = table({lookup(1, 0x18, {singleSubst({{1, 2}, {3, 5}})}, 3), extension(7, 1, singleSubst({{4, 6}}))});
  bytes[3] = 1;  // version 1.1 reads as 1.0
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(1, &classes);
  ASSERT_TRUE(parse(block, bytes, glyphs));
  ASSERT_EQ(block.lookups.size(), 2u);
  const otl::Lookup* first = block.lookups.findLookup(1);
  const otl::Lookup* second = block.lookups.findLookup(2);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->flag, 0x18);
  EXPECT_EQ(first->markFilteringSet, 3);
  EXPECT_EQ(second->typeCode, 11u);
  const auto& language = block.scripts.at(ot::Tag::fromString("latn")).languages.at(ot::Tag::fromString("dflt"));
  EXPECT_EQ(language.features.at(ot::Tag::fromString("test")).lookups, (std::vector<uint32_t>{1, 2}));

  LayoutBinWriter writer;
  const std::string written = write(block, glyphs, writer);
  const size_t list = at16(written, 8);
  const size_t lookup0 = list + at16(written, list + 2), lookup1 = list + at16(written, list + 4);
  EXPECT_EQ(at16(written, lookup0 + 6 + 2), 3);  // MarkFilteringSet after the one offset
  EXPECT_EQ(at16(written, lookup1), 1);          // small tables need no Extension
  vn::FeaGlyphGroups classes2;
  otl::LayoutTableBlock again(1, &classes2);
  ASSERT_TRUE(parse(again, written, glyphs));
  EXPECT_TRUE(sameText(rules(again), rules(block)));
  EXPECT_EQ(again.lookups.findLookup(1)->markFilteringSet, 3);
}

TEST(TableIo, HostileTablesReportFailure) {
  const auto glyphs = glyphOrder(8);
  const std::string sub = singleSubst({{1, 2}});
  const std::pair<const char*, std::string> cases[] = {
      {"GSUB lookup type 9", table({lookup(9, 0, {sub})})},
      {"Extension format 2", table({extension(7, 1, sub, 2)})},
      {"Extension inside Extension", table({extension(7, 7, sub)})},
      {"Extension kinds differ", table({lookup(7, 0, {Bytes().u16(1).u16(1).u32(16).b, Bytes().u16(1).u16(2).u32(8).add(sub).b})})},
  };
  for (const auto& [what, bytes] : cases) {
    vn::FeaGlyphGroups classes;
    otl::LayoutTableBlock block(1, &classes);
    EXPECT_FALSE(parse(block, bytes, glyphs)) << what;
  }
  // Every truncation fails cleanly: a false result or ot::Exception, or a subtable cut
  // short dropped with its warning; never a silent success.
  const std::string whole = table({lookup(1, 0x18, {sub}, 0), extension(7, 1, sub)});
  for (size_t n = 0; n < whole.size(); ++n) {
    vn::FeaGlyphGroups classes;
    otl::LayoutTableBlock block(1, &classes);
    otl::Diagnostics reports;
    try {
      if (!parse(block, whole.substr(0, n), glyphs, 1, &reports)) continue;
      ASSERT_FALSE(reports.empty()) << n;
      EXPECT_NE(reports.entries().front().message.find("subtable cannot be read; dropped"), std::string::npos) << n;
    } catch (const ot::Exception& e) {
      EXPECT_EQ(e.code(), 2) << n;
    }
  }
}

// A single substitution lookup of `count` subtable offsets to one small subtable.
std::string lookupOfManySubtables(int count) {
  Bytes many;
  many.u16(1).u16(0).u16(count);
  for (int i = 0; i < count; ++i) many.u16(6 + 2 * count);
  many.add(singleSubst({{1, 2}}));
  return many.b;
}

TEST(TableIo, LookupsPastTheBudgetBecomeExtensions) {
  const auto glyphs = glyphOrder(12000);
  std::vector<std::string> lookups;
  for (int l = 0; l < 8; ++l) {
    std::vector<std::pair<uint16_t, uint16_t>> map;
    for (uint16_t g = 0; g < 5000; ++g) map.emplace_back(g, uint16_t((g * 7 + l) % 12000));
    lookups.push_back(singleSubst(map));
  }
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(1, &classes);
  ASSERT_TRUE(parse(block, tableOfExtensions(1, lookups), glyphs));
  LayoutBinWriter writer;
  const std::string written = write(block, glyphs, writer);
  const size_t list = at16(written, 8);
  std::vector<uint16_t> types;
  for (int l = 0; l < 8; ++l) types.push_back(at16(written, list + at16(written, list + 2 + 2 * l)));
  // A prefix of plain lookups, then Extensions from the first one past the budget.
  EXPECT_TRUE(std::is_sorted(types.begin(), types.end())) << ::testing::PrintToString(types);
  EXPECT_EQ(types.front(), 1);
  EXPECT_EQ(types.back(), 7);
  vn::FeaGlyphGroups classes2;
  otl::LayoutTableBlock again(1, &classes2);
  ASSERT_TRUE(parse(again, written, glyphs));
  EXPECT_TRUE(sameText(rules(again), rules(block)));
}

// Two budget limits: a first lookup larger than the whole budget, and a fixed part (headers
// and Extension records) that alone passes it. Either way every lookup is an Extension.
TEST(TableIo, BudgetLimitsMakeEveryLookupAnExtension) {
  const auto glyphs = glyphOrder(40000);
  // Every other glyph, so that the Coverage is a plain list: 65610 bytes.
  std::vector<std::pair<uint16_t, uint16_t>> big;
  for (uint16_t g = 0; g < 16400; ++g) big.emplace_back(2 * g, uint16_t((g * 7 + 3) % 40000));
  const std::string small = singleSubst({{1, 2}});
  // Two lookups of 3300 subtable offsets to one small subtable: 16-bit offsets in the
  // input, yet 2N + sum(6 + 10S) alone is past 65533 when written.
  const std::string many = lookupOfManySubtables(3300);
  const std::string cases[] = {tableOfExtensions(1, {singleSubst(big), small}), table({many, many})};
  for (const std::string& input : cases) {
    SCOPED_TRACE(&input - cases);
    vn::FeaGlyphGroups classes;
    otl::LayoutTableBlock block(1, &classes);
    ASSERT_TRUE(parse(block, input, glyphs));
    LayoutBinWriter writer;
    const std::string written = write(block, glyphs, writer);
    const size_t list = at16(written, 8);
    ASSERT_EQ(at16(written, list), 2);
    EXPECT_EQ(at16(written, list + at16(written, list + 2)), 7);
    EXPECT_EQ(at16(written, list + at16(written, list + 4)), 7);
    vn::FeaGlyphGroups classes2;
    otl::LayoutTableBlock again(1, &classes2);
    ASSERT_TRUE(parse(again, written, glyphs));
    EXPECT_TRUE(sameText(rules(again), rules(block)));
  }
}

// Many one-rule subtables (a class-based context lookup read back makes one per rule):
// the lookup tables with their Extension records pass 16-bit reach of the LookupList,
// so the later Extension lookups keep bare tables and their records come after all tables.
TEST(TableIo, ExtensionRecordsPastTheListReachComeAfterTheTables) {
  const auto glyphs = glyphOrder(40);
  constexpr int kSubtables = 2000;
  const std::string many = lookupOfManySubtables(kSubtables);
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(1, &classes);
  ASSERT_TRUE(parse(block, table({many, many, many, many, many}), glyphs));
  LayoutBinWriter writer;
  const std::string written = write(block, glyphs, writer);
  ASSERT_FALSE(written.empty()) << writer.diagnostics().formatAll();
  EXPECT_FALSE(writer.recovered());
  const size_t list = at16(written, 8);
  ASSERT_EQ(at16(written, list), 5);
  for (int l = 0; l < 5; ++l) {
    const size_t at = list + at16(written, list + 2 + 2 * l);
    EXPECT_EQ(at16(written, at), 7);
    ASSERT_EQ(at16(written, at + 4), kSubtables);
    // The first three lookups' records follow their tables; the last two's come later.
    const size_t firstRecord = at16(written, at + 6);
    EXPECT_EQ(firstRecord == 6 + 2 * kSubtables, l < 3) << l;
    EXPECT_EQ(at16(written, at + firstRecord), 1);  // ExtensionFormat
  }
  vn::FeaGlyphGroups classes2;
  otl::LayoutTableBlock again(1, &classes2);
  ASSERT_TRUE(parse(again, written, glyphs));
  EXPECT_TRUE(sameText(rules(again), rules(block)));
}

// A lookup whose subtable exceeds 16-bit offsets is split and keeps its rules: pair
// positioning, and a ligature subtable whose input shares one LigatureSet.
TEST(TableIo, OverflowRecoverySplitsPairsAndLigatures) {
  const auto glyphs = glyphOrder(4000);
  std::vector<uint16_t> firsts;
  for (uint16_t g = 0; g < 400; ++g) firsts.push_back(g);
  Bytes liga;
  liga.u16(1).u16(0).u16(firsts.size());
  const size_t ligSet = 6 + 2 * firsts.size();
  for (size_t i = 0; i < firsts.size(); ++i) liga.u16(ligSet);
  liga.u16(20);
  for (uint16_t g = 0; g < 20; ++g) liga.u16(2 + 2 * 20 + 8 * g);
  for (uint16_t g = 0; g < 20; ++g) liga.u16(3500 + g).u16(3).u16(3000 + g).u16(3100 + g);
  liga.set16(2, liga.b.size());
  liga.add(coverage(firsts));

  for (const bool pairs : {true, false}) {
    const uint32_t tableId = pairs ? 2 : 1;
    vn::FeaGlyphGroups classes;
    otl::LayoutTableBlock block(tableId, &classes);
    if (pairs) {
      auto subtable = std::make_unique<otl::LpPair>(uint16_t{1});
      for (uint16_t first : firsts) {
        for (uint16_t second = 0; second < 200; ++second) {
          otl::GPosValue value;
          value.xAdvance = int16_t(first * 7 + second);
          subtable->format1->pairs.emplace_back(glyphs.idOf(first), glyphs.idOf(3000 + second), value,
                                                otl::GPosValue());
        }
      }
      otl::Lookup* lookup = block.lookups.createLookup();
      lookup->tableId = 2;
      lookup->typeCode = 2;
      lookup->addSubtable(std::move(subtable));
      const ot::Tag latn = ot::Tag::fromString("latn"), dflt = ot::Tag::fromString("dflt"),
                    kern = ot::Tag::fromString("kern");
      block.scripts.try_emplace(latn, latn).first->second.languages.try_emplace(dflt, dflt).first->second
          .features.try_emplace(kern, kern).first->second.lookups = {lookup->index};
    } else {
      ASSERT_TRUE(parse(block, table({lookup(4, 0, {liga.b})}), glyphs));
    }
    LayoutBinWriter writer;
    ot::BinaryWriter out;
    out.writeUInt32(0xDEADBEEFu);  // the table is appended after what is there
    ASSERT_TRUE(writer.write(&block, out, glyphs));
    EXPECT_TRUE(writer.recovered());
    EXPECT_FALSE(writer.diagnostics().hasErrors()) << writer.diagnostics().formatAll();
    vn::FeaGlyphGroups classes2;
    otl::LayoutTableBlock again(tableId, &classes2);
    ASSERT_TRUE(parse(again, out.str().substr(4), glyphs, tableId));
    ASSERT_NE(again.lookups.findLookup(1), nullptr);
    EXPECT_GT(again.lookups.findLookup(1)->subtables.size(), 1u);
    if (pairs) {
      EXPECT_TRUE(pairValues(again) == pairValues(block));
      EXPECT_EQ(pairValues(again).size(), 400u * 200u - 1);
    } else {
      const std::string kept = rules(again);
      EXPECT_TRUE(sameText(kept, rules(block)));
      EXPECT_EQ(std::count(kept.begin(), kept.end(), '\n'), 400 * 20);
      EXPECT_EQ(again.scripts.size(), block.scripts.size());
    }
  }
}

}  // namespace
