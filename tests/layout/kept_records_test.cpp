// Hostile binary tables whose records are reached again and again through shared offsets:
// what the model keeps of them (anchors, anchor rows, mark records, ligatures, sequences,
// context rules, device entries) is counted by its size each time, and the read stops with
// a message naming the lookup and subtable once that passes its bound. The same bytes with
// fewer records kept read in full. Also: every failure of a record reader names its lookup
// and subtable.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "command_output.h"
#include "layout/gdef.h"
#include "table_bytes.h"

namespace {

using table_bytes::Bytes;

constexpr const char* kKeptTooMuch = "the records read would take more than 64 times the table's size in memory";

// One lookup whose `count` subtables all lead to one Extension record, and through it
// to one subtable: the subtable is read `count` times.
std::string sharedExtension(uint16_t extensionType, uint16_t innerType, const std::string& subtable, uint16_t count) {
  Bytes l;
  l.u16(extensionType).u16(0).u16(count);
  for (uint16_t i = 0; i < count; ++i) l.u16(6 + 2 * count);
  l.u16(1).u16(innerType).u32(8).add(subtable);
  return l.b;
}

using table_bytes::coverageRange;

// Mark-to-base: mark 0 and bases 1..bases, every base anchor of every class at one anchor
// (none when `anchored` is false).
std::string markToBase(uint16_t bases, uint16_t classes, bool anchored) {
  const std::string marks = coverageRange(0, 0), covered = coverageRange(1, bases);
  const size_t markArray = 12 + marks.size() + covered.size();
  Bytes s;
  s.u16(1).u16(12).u16(12 + marks.size()).u16(classes).u16(markArray).u16(markArray + 12);
  s.add(marks).add(covered);
  s.u16(1).u16(0).u16(6).u16(1).u16(10).u16(20);  // one mark, class 0, its anchor
  const uint16_t anchor = 2 + 2 * bases * classes;
  s.u16(bases);
  for (uint32_t i = 0; i < uint32_t{bases} * classes; ++i) s.u16(anchored ? anchor : 0);
  return s.u16(1).u16(5).u16(5).b;
}

// Mark-to-ligature: `ligatures` ligatures sharing one LigatureAttach of `components`
// components, every anchor at one anchor (none when `anchored` is false).
std::string markToLigature(uint16_t ligatures, uint16_t components, uint16_t classes, bool anchored) {
  const std::string marks = coverageRange(0, 0), covered = coverageRange(1, ligatures);
  const size_t markArray = 12 + marks.size() + covered.size();
  Bytes s;
  s.u16(1).u16(12).u16(12 + marks.size()).u16(classes).u16(markArray).u16(markArray + 12);
  s.add(marks).add(covered);
  s.u16(1).u16(0).u16(6).u16(1).u16(10).u16(20);
  const uint16_t attach = 2 + 2 * ligatures;
  s.u16(ligatures);
  for (uint16_t i = 0; i < ligatures; ++i) s.u16(attach);
  const uint16_t anchor = 2 + 2 * components * classes;
  s.u16(components);
  for (uint32_t i = 0; i < uint32_t{components} * classes; ++i) s.u16(anchored ? anchor : 0);
  return s.u16(1).u16(5).u16(5).b;
}

// Coverage of glyphs 1..covered and one offset per glyph to the same `shared` table.
std::string sharedPerCoveredGlyph(uint16_t format, uint16_t covered, const std::string& shared) {
  Bytes s;
  const uint16_t tableAt = 6 + 2 * covered;
  s.u16(format).u16(tableAt + shared.size()).u16(covered);
  for (uint16_t i = 0; i < covered; ++i) s.u16(tableAt);
  return s.add(shared).add(coverageRange(1, covered)).b;
}

// A LigatureSet of `count` ligatures that are all one ligature (glyph 1 glyph 2 -> 3).
std::string sharedLigatures(uint16_t count) {
  Bytes s;
  s.u16(count);
  for (uint16_t i = 0; i < count; ++i) s.u16(2 + 2 * count);
  return s.u16(3).u16(2).u16(2).b;
}

// A multiple substitution Sequence of `count` glyphs.
std::string sequence(uint16_t count) {
  Bytes s;
  s.u16(count);
  for (uint16_t i = 0; i < count; ++i) s.u16(1);
  return s.b;
}

// A context RuleSet of `count` rules that are all one rule of two glyphs.
std::string sharedRules(uint16_t count) {
  Bytes s;
  s.u16(count);
  for (uint16_t i = 0; i < count; ++i) s.u16(2 + 2 * count);
  return s.u16(2).u16(0).u16(1).b;
}

// Single positioning format 2 over glyphs 1..covered, every X placement device at one
// device table of `sizes` sizes.
std::string sharedDevices(uint16_t covered, uint16_t sizes) {
  Bytes s;
  const uint16_t deviceAt = 8 + 2 * covered;
  s.u16(2).u16(0).u16(0x10).u16(covered);
  for (uint16_t i = 0; i < covered; ++i) s.u16(deviceAt);
  s.u16(1).u16(sizes).u16(1);
  for (uint32_t i = 0; i < (sizes + 7u) / 8; ++i) s.u16(0x5555);
  s.set16(2, s.b.size());
  return s.add(coverageRange(1, covered)).b;
}

// Room for the operations budget: a glyph or device entry kept is one step for four
// bytes, so past the small tables' floors the kept bytes run out first.
std::string padded(std::string table, size_t bytes = 32768) {
  table.resize(std::max(table.size(), bytes), '\0');
  return table;
}

struct Read {
  bool complete;
  std::string messages;
};

Read readTable(const std::string& bytes, uint32_t tableId) {
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(tableId, &classes);
  ot::BinaryReader reader(bytes);
  table_bytes::LayoutBinParser parser;
  const bool complete = parser.parse(&block, reader, tableId, table_bytes::glyphOrder(1000));
  return {complete, parser.diagnostics().formatAll()};
}

TEST(KeptRecords, RecordsReachedThroughSharedOffsetsAreChargedEachTimeTheyAreKept) {
  struct Case {
    const char* name;
    uint32_t tableId;
    std::string bytes;
    const char* refusedAt;  // null: read in full
  };
  const uint32_t gsub = otl::kTableGsub, gpos = otl::kTableGpos;
  const Case cases[] = {
      {"mark-to-base read 8 times, 5,000 anchors each", gpos,
       table_bytes::table({sharedExtension(9, 4, markToBase(100, 50, true), 8)}), "GPOS lookup 0 subtable 3: "},
      {"the same without anchors", gpos, table_bytes::table({sharedExtension(9, 4, markToBase(100, 50, false), 8)}),
       nullptr},
      {"mark-to-ligature: 200 ligatures share 20 components", gpos,
       table_bytes::table({table_bytes::lookup(5, 0, {markToLigature(200, 20, 10, true)})}),
       "GPOS lookup 0 subtable 0: "},
      {"the same without anchors", gpos,
       table_bytes::table({table_bytes::lookup(5, 0, {markToLigature(200, 20, 10, false)})}), nullptr},
      {"100 glyphs share a set of 1,000 ligatures", gsub,
       table_bytes::table({table_bytes::lookup(4, 0, {sharedPerCoveredGlyph(1, 100, sharedLigatures(1000))})}),
       "GSUB lookup 0 subtable 0: "},
      {"5 glyphs share it", gsub,
       table_bytes::table({table_bytes::lookup(4, 0, {sharedPerCoveredGlyph(1, 5, sharedLigatures(1000))})}), nullptr},
      {"700 glyphs share a sequence of 1,000 glyphs", gsub,
       padded(table_bytes::table({table_bytes::lookup(2, 0, {sharedPerCoveredGlyph(1, 700, sequence(1000))})})),
       "GSUB lookup 0 subtable 0: "},
      {"20 glyphs share it", gsub,
       padded(table_bytes::table({table_bytes::lookup(2, 0, {sharedPerCoveredGlyph(1, 20, sequence(1000))})})),
       nullptr},
      {"100 glyphs share a set of 300 context rules", gsub,
       table_bytes::table({table_bytes::lookup(5, 0, {sharedPerCoveredGlyph(1, 100, sharedRules(300))})}),
       "GSUB lookup 0 subtable 0: "},
      {"2 glyphs share it", gsub,
       table_bytes::table({table_bytes::lookup(5, 0, {sharedPerCoveredGlyph(1, 2, sharedRules(300))})}), nullptr},
      {"60 values share a device of 10,000 sizes", gpos,
       padded(table_bytes::table({table_bytes::lookup(1, 0, {sharedDevices(60, 10000)})})),
       "GPOS lookup 0 subtable 0: "},
      {"30 values share it", gpos,
       padded(table_bytes::table({table_bytes::lookup(1, 0, {sharedDevices(30, 10000)})})), nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Read read = readTable(c.bytes, c.tableId);
    if (!c.refusedAt) {
      EXPECT_TRUE(read.complete) << read.messages;
      continue;
    }
    EXPECT_FALSE(read.complete);
    EXPECT_NE(read.messages.find(std::string(c.refusedAt) + kKeptTooMuch), std::string::npos) << read.messages;
  }
}

// A GDEF whose ligature glyphs share one LigGlyph of 1,000 carets, all at one CaretValue.
std::string sharedCarets(uint16_t glyphs) {
  Bytes g;
  g.u32(0x00010000).u16(0).u16(0).u16(12).u16(0);
  const uint16_t ligGlyph = 4 + 2 * glyphs;
  g.u16(ligGlyph + 2 + 2000 + 4).u16(glyphs);
  for (uint16_t i = 0; i < glyphs; ++i) g.u16(ligGlyph);
  g.u16(1000);
  for (uint16_t i = 0; i < 1000; ++i) g.u16(2 + 2000);
  return g.u16(1).u16(100).add(coverageRange(1, glyphs)).b;
}

// A GDEF whose glyphs share one AttachPoint of 1,000 points; the feature text spells out
// each point of each glyph.
std::string sharedAttachPoints(uint16_t glyphs) {
  Bytes g;
  g.u32(0x00010000).u16(0).u16(12).u16(0).u16(0);
  const uint16_t points = 4 + 2 * glyphs + 10;
  g.u16(4 + 2 * glyphs).u16(glyphs);
  for (uint16_t i = 0; i < glyphs; ++i) g.u16(points);
  g.add(coverageRange(1, glyphs)).u16(1000);
  for (uint16_t i = 0; i < 1000; ++i) g.u16(i);
  return g.b;
}

TEST(KeptRecords, SharedGdefListsAreChargedEachTimeTheyAreKept) {
  struct Case {
    const char* name;
    std::string bytes;
    bool refused;
  };
  const Case cases[] = {
      {"20 ligatures share 1,000 carets", sharedCarets(20), false},
      {"500 ligatures share them", sharedCarets(500), true},
      {"100 glyphs share 1,000 attachment points", padded(sharedAttachPoints(100), 16384), false},
      {"300 glyphs share them", padded(sharedAttachPoints(300), 16384), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ot::BinaryReader reader(c.bytes);
    otl::GDefTableData gdef;
    std::string message;
    try {
      EXPECT_TRUE(gdef.readBinary(reader, table_bytes::glyphOrder(1000)));
    } catch (const ot::Exception& e) {
      message = e.message();
    }
    EXPECT_EQ(message, c.refused ? std::string("GDEF: ") + kKeptTooMuch : std::string());
  }
}

// Each verb that reads binary tables prints why it refused them.
TEST(KeptRecords, OtltoolNamesTheRefusal) {
  namespace fs = std::filesystem;
  const fs::path work = fs::temp_directory_path() / ("kept-records-" + std::to_string(getpid()));
  fs::create_directories(work / "in");
  std::ofstream(work / "in" / "GPOS", std::ios::binary)
      << table_bytes::table({sharedExtension(9, 4, markToBase(100, 50, true), 8)});
  std::ofstream glyphs(work / "glyphs.txt");
  for (int i = 0; i < 200; ++i) glyphs << "g" << i << "\n";
  glyphs.close();
  for (const std::string verb : {"roundtrip", "xml", "fea"}) {
    SCOPED_TRACE(verb);
    const std::string output = layout_test::commandOutput(
        "'" + std::string(TARNWICK_OTLTOOL) + "' " + verb + " '" + (work / "glyphs.txt").string() + "' '" +
        (work / "in").string() + "' '" + (work / ("out-" + verb)).string() + "' 2>&1; echo \"exit $?\"");
    EXPECT_NE(output.find(std::string("otltool: [E] GPOS LookupList: GPOS lookup 0 subtable 3: ") + kKeptTooMuch),
              std::string::npos)
        << output;
    EXPECT_EQ(output.find("otltool: otltool:"), std::string::npos) << output;
    EXPECT_NE(output.find("exit 1"), std::string::npos) << output;
  }
  fs::remove_all(work);
}

// Lookup 1 holds a sound subtable and then a broken one: the message names both indices.
TEST(KeptRecords, RecordReaderFailuresNameTheirLookupAndSubtable) {
  const std::string soundSingle = table_bytes::singleSubst({{1, 2}});
  const std::string soundMarks = markToBase(2, 1, true);
  const std::string soundContext = Bytes().u16(3).u16(1).u16(0).u16(8).add(table_bytes::coverage({1})).b;
  Bytes badAnchor{soundMarks};
  badAnchor.set16(badAnchor.b.size() - 6, 9);  // the shared base anchor: format 9
  Bytes badMarkAnchor{soundMarks};
  badMarkAnchor.set16(12 + 10 + 10 + 6, 4);  // the mark's anchor: format 4
  struct Case {
    uint32_t tableId;
    uint16_t type;
    std::string sound, broken;
    const char* where;
    const char* why;
  };
  const Case cases[] = {
      {otl::kTableGpos, 4, soundMarks, badAnchor.b, "GPOS lookup 1 subtable 1", "unknown anchor format"},
      {otl::kTableGpos, 4, soundMarks, badMarkAnchor.b, "GPOS lookup 1 subtable 1", "unknown anchor format"},
      {otl::kTableGsub, 1, soundSingle, Bytes().u16(3).u16(4).add(table_bytes::coverage({1})).b,
       "GSUB lookup 1 subtable 1", "unknown single substitution format"},
      {otl::kTableGsub, 1, soundSingle, Bytes().u16(1).u16(6).u16(0).u16(7).u16(0).b, "GSUB lookup 1 subtable 1",
       "unknown coverage format"},
      {otl::kTableGsub, 5, soundContext, Bytes().u16(4).b, "GSUB lookup 1 subtable 1", "unknown context format"},
  };
  // The broken subtable alone is dropped, and the warning says where and why.
  for (const Case& c : cases) {
    const std::string expected = std::string(c.where) + ": subtable cannot be read; dropped (" + c.why + ")";
    SCOPED_TRACE(expected);
    const std::string bytes = table_bytes::table(
        {table_bytes::lookup(c.type, 0, {c.sound}), table_bytes::lookup(c.type, 0, {c.sound, c.broken})});
    const Read read = readTable(bytes, c.tableId);
    EXPECT_TRUE(read.complete);
    EXPECT_NE(read.messages.find(expected), std::string::npos) << read.messages;
  }
  // A language system's feature naming a lookup past the LookupList names the script and
  // the language.
  Bytes beyond{table_bytes::table({table_bytes::lookup(1, 0, {soundSingle})})};
  beyond.set16(table_bytes::at16(beyond.b, 6) + 12, 5);
  const Read read = readTable(beyond.b, otl::kTableGsub);
  EXPECT_NE(read.messages.find("GSUB script 'latn' default language: feature test names lookup 5 beyond the LookupList"),
            std::string::npos)
      << read.messages;
}

}  // namespace
