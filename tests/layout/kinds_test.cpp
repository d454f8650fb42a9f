#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "codec_fixture.h"
#include "layout/context_subst.h"
#include "layout/cursive_pos.h"
#include "layout/ligature_subst.h"
#include "layout/lookup.h"
#include "layout/mark_pos.h"
#include "layout/multiple_subst.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/pair_pos.h"
#include "layout/reverse_chain.h"
#include "layout/single_pos.h"
#include "layout/single_subst.h"

namespace {

using codec_test::Glyphs;
using codec_test::words;

std::string bytesOf(const otl::LookupSubtable& s, const Glyphs& g) {
  ot::BinaryWriter writer;
  writer.writeUInt32(0xDEADBEEF);  // offsets are relative to the subtable's start
  s.writeBinary(writer, {{0, 0}, {3, 3}}, g.map, 0);
  return writer.str().substr(4);
}

std::string textOf(const otl::LookupSubtable& s) {
  otl::markClassCounter() = 0;
  std::ostringstream out;
  s.writeFea(out, {}, {{{1, 3}, "L3"}, {{2, 3}, "P3"}});
  return out.str();
}

otl::GPosValue advance(int x) {
  otl::GPosValue v;
  v.xAdvance = static_cast<int16_t>(x);
  return v;
}

struct KindCase {
  const char* name;
  std::function<std::unique_ptr<otl::LookupSubtable>(Glyphs&)> build;
  std::string text;  // expected feature text
};

std::vector<KindCase> kindCases() {
  using S = std::unique_ptr<otl::LookupSubtable>;
  return {
      {"single subst delta", [](Glyphs& g) -> S {
         auto s = std::make_unique<otl::LsSingle>(g.holder);
         s->input.assign(g.ids({3, 1, 2}));
         s->output.assign(g.ids({4, 2, 3}));
         return s;
       }, "      sub [\\g3 \\g1 \\g2] by [\\g4 \\g2 \\g3];\n"},
      {"single subst list", [](Glyphs& g) -> S {
         auto s = std::make_unique<otl::LsSingle>(g.holder);
         s->input.assign(g.ids({1, 2, 3, 4, 5}));
         s->output.assign(g.ids({9, 9, 8, 8, 7}));
         return s;
       }, "      sub [\\g1 \\g2 \\g3 \\g4] by [\\g9 \\g9 \\g8 \\g8];\n      sub [\\g5] by [\\g7];\n"},
      {"multiple", [](Glyphs& g) -> S {
         auto s = std::make_unique<otl::LsMultiple>(g.holder);
         s->coverage.assign(g.ids({5, 2}));
         s->sequences.emplace_back(g.holder, g.ids({7}));
         s->sequences.emplace_back(g.holder, g.ids({8, 9}));
         return s;
       }, "      sub \\g2 by \\g8 \\g9;\n### Problems in rule: The only glyph in multiple sequence\n      sub \\g5 by \\g7;\n"},
      {"alternate", [](Glyphs& g) -> S {
         auto s = std::make_unique<otl::LsAlternate>(g.holder);
         s->coverage.assign(g.ids({1}));
         s->sequences.emplace_back(g.holder, g.ids({10}));
         return s;
       }, "      sub \\g1 from [\\g10];\n"},
      {"ligature", [](Glyphs& g) -> S {
         auto s = std::make_unique<otl::LsLigature>(g.holder);
         s->rules.emplace_back(g.holder, g.ids({6, 6}));
         s->rules.emplace_back(g.holder, g.ids({6, 6, 9}));
         s->rules.emplace_back(g.holder, g.ids({2, 9}));
         s->ligatures.assign(g.ids({20, 21, 22}));
         return s;
       }, "      sub \\g6 \\g6 by \\g20;\n      sub \\g6 \\g6 \\g9 by \\g21;\n      sub \\g2 \\g9 by \\g22;\n"},
      {"single pos", [](Glyphs& g) -> S {
         auto s = std::make_unique<otl::LpSingle>(g.holder);
         s->coverage.assign(g.ids({1, 2, 3}));
         s->values = {advance(-20), advance(-20), advance(15)};
         s->values[2].devices[2] = std::make_unique<otl::DeviceTable>(otl::DeviceTable{{{11, 1}}});
         return s;
       }, "      pos [\\g1 \\g2] -20;\n      pos [\\g3] 15;\n"},
      {"cursive", [](Glyphs& g) -> S {
         auto s = std::make_unique<otl::LpCursive>(g.holder);
         s->coverage.assign(g.ids({7, 3}));
         s->records.resize(2);
         s->records[0].entry = std::make_unique<otl::AnchorTable>(10, 20);
         s->records[1].exit = std::make_unique<otl::AnchorTable>(1, 2, 4);
         return s;
       }, "      pos cursive \\g7 <anchor 10 20><anchor NULL >;\n"
          "      pos cursive \\g3 <anchor NULL ><anchor 1 2 contourpoint 4>;\n"},
      {"chained context", [](Glyphs& g) -> S {
         auto s = std::make_unique<otl::LsChainedContext>(g.holder);
         auto rule = std::make_unique<otl::Context>(g.holder);
         rule->backtrack.emplace_back(g.holder, g.ids({2}));
         rule->backtrack.emplace_back(g.holder, g.ids({1}));
         rule->input.emplace_back(g.holder, g.ids({3, 4}));
         rule->lookahead.emplace_back(g.holder, g.ids({5}));
         rule->lookups.push_back({0, 3});
         s->rules.push_back(std::move(rule));
         return s;
       }, "      sub \\g1 \\g2 [\\g3 \\g4]' lookup L3  \\g5;\n"},
      {"context ignore", [](Glyphs& g) -> S {
         auto s = std::make_unique<otl::LpContext>(g.holder);
         auto rule = std::make_unique<otl::Context>(g.holder);
         rule->input.emplace_back(g.holder, g.ids({3}));
         rule->input.emplace_back(g.holder, g.ids({4}));
         s->rules.push_back(std::move(rule));
         return s;
       }, "      ignore pos \\g3' \\g4';\n"},
      {"reverse chaining", [](Glyphs& g) -> S {
         auto s = std::make_unique<otl::LsReverseChainedContext>(g.holder);
         s->backtrack.emplace_back(g.holder, g.ids({2}));
         s->backtrack.emplace_back(g.holder, g.ids({1}));
         s->input.assign(g.ids({4, 3}));
         s->substitutes.assign(g.ids({14, 13}));
         s->lookahead.emplace_back(g.holder, g.ids({5}));
         return s;
       }, "      rsub \\g1 \\g2 [\\g4 \\g3]' \\g5 by [\\g14 \\g13];\n"},
      {"mark to base", [](Glyphs& g) -> S {
         auto s = std::make_unique<otl::LpMarkToBase>(g.holder);
         s->marks.assign(g.ids({50, 51}));
         s->markRecords = {{0, otl::AnchorTable(0, 500)}, {1, otl::AnchorTable(0, -20)}};
         s->classCount = 2;
         s->bases.assign(g.ids({1}));
         otl::AnchorRow row(2);
         row[0] = std::make_unique<otl::AnchorTable>(250, 700);
         s->pushAnchorRecord(row);
         return s;
       }, "      markClass \\g50 <anchor 0 500> @MARK_CLASS_0_1;\n      markClass \\g51 <anchor 0 -20> @MARK_CLASS_1_1;\n"
          "      pos base \\g1 \n          <anchor 250 700> mark @MARK_CLASS_0_1\n          <anchor NULL> mark @MARK_CLASS_1_1;\n"},
      {"mark to ligature", [](Glyphs& g) -> S {
         auto s = std::make_unique<otl::LpMarkToLigature>(g.holder);
         s->marks.assign(g.ids({50}));
         s->markRecords = {{0, otl::AnchorTable(0, 500)}};
         s->classCount = 1;
         s->bases.assign(g.ids({30}));
         std::vector<otl::AnchorRow> components(2);
         components[0].resize(1);
         components[1].resize(1);
         components[1][0] = std::make_unique<otl::AnchorTable>(900, 700);
         s->ligatureRecords.push_back(std::move(components));
         return s;
       }, "      markClass \\g50 <anchor 0 500> @MARK_CLASS_0_1;\n      pos ligature \\g30\n         <anchor NULL> mark "
          "@MARK_CLASS_0_1\n        ligComponent \n         <anchor 900 700> mark @MARK_CLASS_0_1;\n"},
      {"pair glyphs", [](Glyphs& g) -> S {
         auto s = std::make_unique<otl::LpPair>(uint16_t{1});
         s->format1->pairs.emplace_back(g.id(5), g.id(7), advance(-30), otl::GPosValue());
         s->format1->pairs.emplace_back(g.id(5), g.id(6), advance(0), otl::GPosValue());
         s->format1->pairs.emplace_back(g.id(2), g.id(7), advance(12), otl::GPosValue());
         return s;
       }, " pos \\g5 \\g7 -30;\n pos \\g5 \\g6 0;\n pos \\g2 \\g7 12;\n"},
      {"pair classes", [](Glyphs& g) -> S {
         auto s = std::make_unique<otl::LpPair>(uint16_t{2});
         s->format2->classDef1.class0 = g.ids({1});
         s->format2->classDef1.glyphs = g.ids({2, 3});
         s->format2->classDef1.classes = {1, 1};
         s->format2->classDef2.glyphs = g.ids({4});
         s->format2->classDef2.classes = {1};
         s->format2->pairs.emplace_back(0, 1, advance(-40), otl::GPosValue());
         s->format2->pairs.emplace_back(1, 1, advance(-10), otl::GPosValue());
         return s;
       }, " pos [\\g1] [\\g4] -40;\n pos [\\g2 \\g3] [\\g4] -10;\n"},
  };
}

TEST(KindsRoundTrip, BinaryTwiceTheSameAndText) {
  for (const auto& c : kindCases()) {
    Glyphs g;
    auto built = c.build(g);
    EXPECT_EQ(textOf(*built), c.text) << c.name;
    const std::string bytes = bytesOf(*built, g);
    auto read = otl::createSubtable(built->tableId, built->typeCode, g.holder);
    ot::BinaryReader reader(bytes);
    read->readBinary(reader, 0, {{0, 0}, {3, 3}}, g.map);
    EXPECT_EQ(bytesOf(*read, g), bytes) << c.name;
    auto cloned = read->clone(g.holder);
    EXPECT_EQ(bytesOf(*cloned, g), bytes) << c.name;
    // Pruning by glyphs the subtable does not use keeps every rule.
    built->pruneByGlyphs(otl::GlyphSet{});
    EXPECT_EQ(bytesOf(*built, g), bytes) << c.name;
    otl::GlyphSet used;
    built->collectGlyphs(used);
    built->pruneByGlyphs(used);
    EXPECT_TRUE(built->isEmpty()) << c.name;
    // Every truncation fails with a layout error or reads what is there; never more.
    for (size_t n = 0; n < bytes.size(); ++n) {
      auto partial = otl::createSubtable(built->tableId, built->typeCode, g.holder);
      ot::BinaryReader cut(std::string_view(bytes).substr(0, n));
      try {
        partial->readBinary(cut, 0, {{0, 0}, {3, 3}}, g.map);
      } catch (const ot::Exception& e) {
        EXPECT_TRUE(e.code() == 2 || e.code() == 27) << c.name << " at " << n << ": " << e.code();
      }
    }
  }
}

TEST(KindsBinary, FormatsAndOrders) {
  Glyphs g;
  auto cases = kindCases();
  auto bytes = [&](size_t i) { return bytesOf(*cases[i].build(g), g); };
  EXPECT_EQ(bytes(0).substr(0, 6), words({1, 6, 1}));               // one delta
  EXPECT_EQ(bytes(1).substr(0, 6), words({2, 16, 5}));              // glyph list
  EXPECT_EQ(bytes(4).substr(0, 6), words({1, 40, 2}));              // two sets
  EXPECT_EQ(bytes(4).substr(26, 8), words({21, 3, 6, 9}));          // g6 g6 g9 before g6 g6
  EXPECT_EQ(bytes(6).substr(6, 8), words({0, 14, 22, 0}));          // the record of g3 first
  // Class 0 of the first side comes from the Coverage and keeps its kerning.
  auto pair = cases[13].build(g);
  const std::string pairBytes = bytesOf(*pair, g);
  ot::BinaryReader reader(pairBytes);
  otl::LpPair read(uint16_t{1});
  read.readBinary(reader, 0, {}, g.map);
  ASSERT_EQ(read.format, 2);
  EXPECT_EQ(read.format2->classDef1.class0, g.ids({1}));
  EXPECT_EQ(read.pairCount(), 2u);
  // Three equal values (devices too) make format 1; requested format 2 is honoured.
  otl::LpSingle same(g.holder);
  same.coverage.assign(g.ids({1, 2, 3}));
  same.values.assign(3, advance(5));
  ot::BinaryWriter one, two;
  same.writeBinary(one, {}, g.map, 0);
  same.writeBinary(two, {}, g.map, 2);
  EXPECT_EQ(one.str().substr(0, 2), words({1}));
  EXPECT_EQ(two.str().substr(0, 2), words({2}));
  // A glyph given twice is covered once, with its first rule.
  otl::LsSingle twice(g.holder);
  twice.input.assign(g.ids({1, 1}));
  twice.output.assign(g.ids({2, 3}));
  ot::BinaryWriter dup;
  twice.writeBinary(dup, {}, g.map, 0);
  EXPECT_EQ(dup.str(), words({1, 6, 1, 1, 1, 1}));
}

TEST(KindsHostile, CountsCheckedBeforeUse) {
  Glyphs g;
  struct Case {
    const char* name;
    uint32_t table, type;
    std::string bytes;
    int code;
  };
  const Case cases[] = {
      {"multiple: more sequences than glyphs", 1, 12, words({1, 10, 2, 0, 0, 1, 1, 1}), 27},
      {"pair: more pair sets than glyphs", 2, 2, words({1, 12, 4, 0, 3, 0, 1, 1, 1}), 2},
      {"pair: class matrix past the data", 2, 2, words({2, 16, 4, 0, 20, 20, 0xFFFF, 0xFFFF, 1, 0, 2, 0}), 2},
      {"ligature: component count 0", 1, 14, words({1, 16, 1, 8, 1, 4, 5, 0, 1, 1, 1}), 2},
      {"chained: rule set count differs", 1, 16, words({1, 6, 2, 1, 1, 1}), 27},
      {"context: unknown lookup", 1, 15, words({3, 1, 1, 10, 0, 9, 1, 1, 1}), 21},
      {"cursive format 2", 2, 3, words({2, 0}), 26},
      {"mark base: anchors past the data", 2, 4, words({1, 12, 12, 0xFFFF, 16, 18, 1, 0, 0, 0xFFFF}), 2},
  };
  for (const auto& c : cases) {
    auto subtable = otl::createSubtable(c.table, c.type, g.holder);
    ot::BinaryReader reader(c.bytes);
    int code = 0;
    try {
      subtable->readBinary(reader, 0, {{0, 0}}, g.map);
    } catch (const ot::Exception& e) {
      code = e.code();
    }
    EXPECT_EQ(code, c.code) << c.name;
  }
  // Input class 0 of a class context is the covered glyphs that no input class holds.
  const std::string classContext = words({2, 22, 30, 1, 10, 1, 4, 1, 1, 0, 0, 1, 2, 5, 6, 2, 0});
  otl::LsContext context(g.holder);
  ot::BinaryReader contextReader(classContext);
  context.readBinary(contextReader, 0, {{0, 0}}, g.map);
  ASSERT_EQ(context.rules.size(), 1u);
  EXPECT_EQ(context.rules[0]->input[0].glyphs(), g.ids({5, 6}));
  // A pair matrix of zero-size records is not walked at all.
  otl::LpPair empty(uint16_t{1});
  const std::string zeroBytes = words({2, 16, 0, 0, 20, 20, 0xFFFF, 0xFFFF, 1, 0, 2, 0});
  ot::BinaryReader zeros(zeroBytes);
  empty.readBinary(zeros, 0, {}, g.map);
  EXPECT_TRUE(empty.isEmpty());
}

}  // namespace

namespace {

TEST(KindsPair, KerningValuesClampAndSplitEnds) {
  const std::pair<double, int> values[] = {{12.7, 12}, {-12.7, -12}, {40000, 32767}, {-1e9, -32768}, {0.0 / 0.0, 0}};
  for (auto [in, out] : values) EXPECT_EQ(otl::valueFromKerning(in).xAdvance, out) << in;

  // One first glyph against 33000 seconds of distinct values: one class row that no
  // halving by first classes can shrink. The split halves the second classes instead.
  otl::GlyphIdMap map;
  std::vector<std::string> names;
  for (int i = 0; i < 34000; ++i) names.push_back("kp" + std::to_string(i));
  map.fill(names);
  otl::LpPair pair(uint16_t{1});
  for (int s = 1; s <= 33000; ++s)
    pair.format1->pairs.emplace_back(map.idOf(0), map.idOf(static_cast<uint16_t>(s)), otl::valueFromKerning(s - 16000),
                                     otl::GPosValue());
  pair.toClassPairs();
  EXPECT_FALSE(otl::ot_bin_layout::trialWriteSubtable(pair, {}, map));
  otl::SubtableList pieces;
  ASSERT_TRUE(pair.splitForOffsets(pieces, {}, map));
  size_t kept = 0;
  for (auto& piece : pieces) {
    EXPECT_TRUE(otl::ot_bin_layout::trialWriteSubtable(*piece, {}, map));
    auto* part = dynamic_cast<otl::LpPair*>(piece.get());
    ASSERT_TRUE(part);
    part->toGlyphPairs();
    kept += part->pairCount();
  }
  EXPECT_EQ(kept, 32999u);  // the pair of value 0 is empty and goes
  EXPECT_GT(pieces.size(), 1u);

  // A context subtable is written with exactly one rule.
  codec_test::Glyphs g;
  otl::LsChainedContext none(g.holder);
  ot::BinaryWriter writer;
  try {
    none.writeBinary(writer, {}, g.map, 0);
    ADD_FAILURE() << "an empty context subtable was written";
  } catch (const ot::Exception& e) {
    EXPECT_EQ(e.code(), 21);
  }
}

}  // namespace
