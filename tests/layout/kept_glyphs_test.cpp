// Hostile binary tables whose glyph lists are kept again and again: subtables sharing one
// Coverage or class definition of every glyph, context rules naming one large class (or
// class 0) at many positions, class pairs over one large class. Every glyph a kept list
// holds is counted, each time it is kept, and the table is refused with a message naming
// the lookup and subtable once the count passes its bound; the same shapes a little
// smaller read in full. The densest real fonts on the system still read in full.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "table_bytes.h"

namespace {

using table_bytes::Bytes;
using table_bytes::coverageRange;

constexpr uint16_t kLast = 65534;  // glyphs 0 to kLast: every glyph of the glyph order
constexpr const char* kTooManyGlyphs = "lookup refused: its records would pass the budget of 3000000 records";
constexpr const char* kKeptTooMuch = "the records read would take more than 64 times the table's size in memory";

// One lookup whose `count` subtable offsets all lead to one subtable.
std::string sharedSubtable(uint16_t type, const std::string& subtable, uint16_t count) {
  Bytes l;
  l.u16(type).u16(0).u16(count);
  for (uint16_t i = 0; i < count; ++i) l.u16(6 + 2 * count);
  return l.add(subtable).b;
}

std::string classRange(uint16_t first, uint16_t last, uint16_t cls) {
  return Bytes().u16(2).u16(1).u16(first).u16(last).u16(cls).b;
}

// Chained context format 3 on input glyph 1 with `backtrack` positions, all at one
// Coverage of every glyph.
std::string chainedCoverages(uint16_t backtrack) {
  const uint16_t all = 12 + 2 * backtrack;
  Bytes s;
  s.u16(3).u16(backtrack);
  for (uint16_t i = 0; i < backtrack; ++i) s.u16(all);
  s.u16(1).u16(all + 10).u16(0).u16(0);
  return s.add(coverageRange(0, kLast)).add(table_bytes::coverage({1})).b;
}

// Chained context format 2 on input glyph 1 (class 1): `rules` rules at one offset, each
// with one backtrack position naming class `named` of `backtrackClasses`.
std::string chainedClasses(uint16_t rules, uint16_t named, const std::string& backtrackClasses) {
  const std::string covered = table_bytes::coverage({1}), input = classRange(1, 1, 1), none = Bytes().u16(2).u16(0).b;
  const size_t backtrackAt = 16 + covered.size(), inputAt = backtrackAt + backtrackClasses.size();
  const size_t noneAt = inputAt + input.size(), setAt = noneAt + none.size();
  Bytes s;
  s.u16(2).u16(16).u16(backtrackAt).u16(inputAt).u16(noneAt).u16(2).u16(0).u16(setAt);
  s.add(covered).add(backtrackClasses).add(input).add(none);
  s.u16(rules);
  for (uint16_t i = 0; i < rules; ++i) s.u16(2 + 2 * rules);
  return s.u16(1).u16(named).u16(1).u16(0).u16(0).b;
}

// Pair positioning format 2 covering every glyph, all in first class 1, over `classDef2`
// with `class2Count` classes; every pair of non-zero classes moves by 10.
std::string classPairs(const std::string& classDef2, uint16_t class2Count) {
  const size_t coverageAt = 16 + 4u * class2Count;
  Bytes s;
  s.u16(2).u16(coverageAt).u16(4).u16(0).u16(coverageAt + 10).u16(coverageAt + 20).u16(2).u16(class2Count);
  for (uint16_t c1 = 0; c1 < 2; ++c1) {
    for (uint16_t c2 = 0; c2 < class2Count; ++c2) s.u16(c1 != 0 && c2 != 0 ? 10 : 0);
  }
  return s.add(coverageRange(0, kLast)).add(classRange(0, kLast, 1)).add(classDef2).b;
}

// Second classes 1 to n on glyphs 1 to n, one glyph each.
std::string singleGlyphClasses(uint16_t n) {
  Bytes c;
  c.u16(1).u16(1).u16(n);
  for (uint16_t i = 1; i <= n; ++i) c.u16(i);
  return c.b;
}

// Room for the operations budget (a glyph of a range is one step) while the glyph bound
// stays at its floor.
std::string padded(std::string table) {
  table.resize(std::max<size_t>(table.size(), 128 * 1024), '\0');
  return table;
}

struct Read {
  bool complete;
  std::string messages;
};

Read readTable(const std::string& bytes, uint32_t tableId, const otl::GlyphIdMap& glyphs) {
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(tableId, &classes);
  otl::Diagnostics reports;
  const bool complete = table_bytes::parse(block, bytes, glyphs, tableId, &reports);
  return {complete, reports.formatAll()};
}

TEST(KeptGlyphs, GlyphListsKeptAgainAndAgainAreCountedEachTime) {
  struct Case {
    const char* name;
    uint32_t tableId;
    std::string lookup;
    const char* refusedAt;  // null: read in full
    const char* why;
  };
  const uint32_t gsub = otl::kTableGsub, gpos = otl::kTableGpos;
  const std::string singleSubst = Bytes().u16(1).u16(6).u16(1).add(coverageRange(0, kLast)).b;
  const std::string singlePos = Bytes().u16(1).u16(8).u16(4).u16(10).add(coverageRange(0, 9999)).b;
  const std::string allInOne = classPairs(classRange(0, kLast, 1), 2);
  const Case cases[] = {
      {"23 single substitutions of every glyph", gsub, sharedSubtable(1, singleSubst, 23), "GSUB lookup 0 subtable 22: ",
       kTooManyGlyphs},
      {"22 of them", gsub, sharedSubtable(1, singleSubst, 22), nullptr, nullptr},
      {"46 backtrack coverages of every glyph", gsub, table_bytes::lookup(6, 0, {chainedCoverages(46)}),
       "GSUB lookup 0 subtable 0: ", kTooManyGlyphs},
      {"45 of them", gsub, table_bytes::lookup(6, 0, {chainedCoverages(45)}), nullptr, nullptr},
      {"46 rules naming a class of every glyph", gsub,
       table_bytes::lookup(6, 0, {chainedClasses(46, 1, classRange(0, kLast, 1))}), "GSUB lookup 0 subtable 0: ",
       kTooManyGlyphs},
      {"44 of them", gsub, table_bytes::lookup(6, 0, {chainedClasses(44, 1, classRange(0, kLast, 1))}), nullptr,
       nullptr},
      {"46 rules naming class 0, every glyph but one", gsub,
       table_bytes::lookup(6, 0, {chainedClasses(46, 0, classRange(0, 0, 1))}), "GSUB lookup 0 subtable 0: ",
       kTooManyGlyphs},
      {"44 of them", gsub, table_bytes::lookup(6, 0, {chainedClasses(44, 0, classRange(0, 0, 1))}), nullptr, nullptr},
      {"10 class pair subtables of every glyph", gpos, sharedSubtable(2, allInOne, 10), "GPOS lookup 0 subtable 9: ",
       kTooManyGlyphs},
      {"9 of them", gpos, sharedSubtable(2, allInOne, 9), nullptr, nullptr},
      {"60 class pairs over a first class of every glyph", gpos,
       table_bytes::lookup(2, 0, {classPairs(singleGlyphClasses(60), 61)}), "GPOS lookup 0 subtable 0: ",
       kTooManyGlyphs},
      {"40 of them", gpos, table_bytes::lookup(2, 0, {classPairs(singleGlyphClasses(40), 41)}), nullptr, nullptr},
      // One value per covered glyph, however small the Coverage.
      {"30 single positionings of 10,000 glyphs", gpos, sharedSubtable(1, singlePos, 30), "GPOS lookup 0 subtable ",
       kKeptTooMuch},
      {"10 of them", gpos, sharedSubtable(1, singlePos, 10), nullptr, nullptr},
  };
  const otl::GlyphIdMap glyphs = table_bytes::glyphOrder(kLast + 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Read read = readTable(padded(table_bytes::table({c.lookup})), c.tableId, glyphs);
    if (!c.refusedAt) {
      EXPECT_TRUE(read.complete) << read.messages;
      continue;
    }
    EXPECT_FALSE(read.complete);
    EXPECT_NE(read.messages.find(c.refusedAt), std::string::npos) << read.messages;
    EXPECT_NE(read.messages.find(c.why), std::string::npos) << read.messages;
  }
}

// The table `tag` of an sfnt file (empty when it has none), and its glyph count.
std::string sfntTable(const std::string& file, const char* tag, size_t& glyphCount) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::string found;
  const uint16_t tables = bytes.size() < 12 ? 0 : table_bytes::at16(bytes, 4);
  for (size_t i = 0; i < tables && 28 + 16 * i <= bytes.size(); ++i) {
    const size_t record = 12 + 16 * i;
    const size_t offset = size_t{table_bytes::at16(bytes, record + 8)} << 16 | table_bytes::at16(bytes, record + 10);
    const size_t length = size_t{table_bytes::at16(bytes, record + 12)} << 16 | table_bytes::at16(bytes, record + 14);
    if (offset > bytes.size() || length > bytes.size() - offset) continue;
    const std::string name = bytes.substr(record, 4);
    if (name == "maxp" && length >= 6) glyphCount = table_bytes::at16(bytes, offset + 4);
    if (name == tag) found = bytes.substr(offset, length);
  }
  return found;
}

// The system's fonts whose class-based context rules keep the most glyphs for their
// bytes: up to two million glyphs from a GPOS of 166 KB.
TEST(KeptGlyphs, TheDensestRealFontsReadInFull) {
  const char* const fonts[] = {
      "/usr/share/fonts/truetype/noto/NotoSansGrantha-Regular.ttf",
      "/usr/share/fonts/truetype/noto/NotoSerifGrantha-Regular.ttf",
      "/usr/share/fonts/truetype/noto/NotoNastaliqUrdu-Bold.ttf",
      "/usr/share/fonts/truetype/noto/NotoSerifTibetan-Regular.ttf",
      "/usr/share/fonts/truetype/noto/NotoSansSiddham-Regular.ttf",
  };
  size_t found = 0;
  for (const char* font : fonts) {
    if (!std::filesystem::exists(font)) continue;
    ++found;
    for (const auto& [tag, tableId] : {std::pair{"GSUB", otl::kTableGsub}, std::pair{"GPOS", otl::kTableGpos}}) {
      SCOPED_TRACE(std::string(font) + " " + tag);
      size_t glyphCount = 0;
      const std::string table = sfntTable(font, tag, glyphCount);
      if (table.empty()) continue;
      const Read read = readTable(table, tableId, table_bytes::glyphOrder(glyphCount));
      EXPECT_TRUE(read.complete) << read.messages;
      EXPECT_EQ(read.messages.find("read would"), std::string::npos) << read.messages;
    }
  }
  if (found == 0) GTEST_SKIP() << "none of the fonts is installed";
}

}  // namespace
