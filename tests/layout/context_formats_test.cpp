// Every binary form of a context subtable, in both tables, reads to the same rule and is
// written back as format 3; malformed forms fail with their own message.
#include <gtest/gtest.h>

#include "codec_fixture.h"
#include "layout/context_subst.h"
#include "layout/lookup.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/ot/limits.h"
#include "layout/ot/offset_array.h"

namespace {

using codec_test::Glyphs;
using codec_test::words;

// The rule of every case: backtrack g1 (chained only), input g2 g3, lookahead g4 (chained
// only), lookup 0 applied at input position 1.
const std::string kPlainFormat3 = words({3, 2, 1, 14, 20, 1, 0, 1, 1, 2, 1, 1, 3});
const std::string kChainedFormat3 =
    words({3, 1, 22, 2, 28, 34, 1, 40, 1, 1, 0, 1, 1, 1, 1, 1, 2, 1, 1, 3, 1, 1, 4});

struct FormCase {
  const char* name;
  bool chained;
  std::string bytes;
};

const FormCase kForms[] = {
    {"glyph rule sets", false, words({1, 8, 1, 14, 1, 1, 2, 1, 4, 2, 1, 3, 1, 0})},
    {"class rule sets", false, words({2, 14, 20, 3, 0, 30, 0, 1, 1, 2, 1, 2, 2, 1, 2, 1, 4, 2, 1, 2, 1, 0})},
    {"coverages", false, kPlainFormat3},
    {"chained glyph rule sets", true, words({1, 8, 1, 14, 1, 1, 2, 1, 4, 1, 1, 2, 3, 1, 4, 1, 1, 0})},
    {"chained class rule sets", true,
     words({2, 18, 24, 32, 42, 3, 0, 50, 0, 1, 1, 2, 1, 1, 1, 1, 1, 2, 2, 1, 2, 1, 4, 1, 1, 1, 4, 1, 1, 2, 2, 1, 1, 1,
            1, 0})},
    {"chained coverages", true, kChainedFormat3},
};

struct KindOfTable {
  uint32_t table, plainType, chainedType;
};
const KindOfTable kTables[] = {{otl::kTableGsub, 15, 16}, {otl::kTableGpos, 7, 8}};

std::vector<otl::GlyphList> glyphsOf(const otl::Sequence& sequence) {
  std::vector<otl::GlyphList> out;
  for (const auto& slot : sequence) out.push_back(slot.glyphs());
  return out;
}

TEST(ContextForms, EveryFormReadsTheRuleAndWritesFormat3) {
  for (const auto& table : kTables) {
    for (const auto& form : kForms) {
      SCOPED_TRACE(std::string(form.name) + (table.table == otl::kTableGsub ? " in GSUB" : " in GPOS"));
      Glyphs g;
      auto subtable =
          otl::createSubtable(table.table, form.chained ? table.chainedType : table.plainType, g.holder);
      ot::BinaryReader reader(form.bytes);
      subtable->readBinary(reader, 0, {{0, 0}}, g.map);
      const auto& context = dynamic_cast<const otl::ContextSubtable&>(*subtable);
      ASSERT_EQ(context.rules.size(), 1u);
      const otl::Context& rule = *context.rules[0];
      using Positions = std::vector<otl::GlyphList>;
      EXPECT_EQ(glyphsOf(rule.backtrack), form.chained ? Positions{g.ids({1})} : Positions{});
      EXPECT_EQ(glyphsOf(rule.input), (Positions{g.ids({2}), g.ids({3})}));
      EXPECT_EQ(glyphsOf(rule.lookahead), form.chained ? Positions{g.ids({4})} : Positions{});
      EXPECT_EQ(rule.lookups, (std::vector<otl::LookupRecord>{{1, 0}}));
      ot::BinaryWriter writer;
      subtable->writeBinary(writer, {{0, 0}}, g.map, 0);
      EXPECT_EQ(writer.str(), form.chained ? kChainedFormat3 : kPlainFormat3);
      // A clone and each piece of a split keep the kind.
      auto copy = subtable->clone(g.holder);
      EXPECT_EQ(copy->typeCode, subtable->typeCode);
      EXPECT_EQ(dynamic_cast<const otl::ContextSubtable&>(*copy).chained, form.chained);
    }
  }
}

// Fonts leave a class definition out (offset 0) where no rule looks, as real fonts do
// for backtrack and lookahead: every glyph is then in class 0. Each form reads to all its
// rules, and the rules written back (one format-3 subtable each) read the same.
TEST(ContextForms, ClassDefinitionsLeftOutPutEveryGlyphInClassZero) {
  Glyphs g;
  using Positions = std::vector<otl::GlyphList>;
  struct Rule {
    Positions input;
    uint32_t lookupAt;
  };
  struct Case {
    const char* name;
    bool chained;
    std::string bytes;
    std::vector<Rule> rules;
  };
  const Case cases[] = {
      // Input classes g2: 1, g3 g4: 2; set 1 holds two rules, set 2 one.
      {"chained, no backtrack or lookahead classes", true,
       words({2, 68, 0, 78, 0, 3, 0, 18, 50, 2, 6, 20, 0, 2, 2, 0, 1, 1, 0, 0, 1, 0, 1, 0, 0, 1, 4, 0, 2, 1, 0, 1, 0, 0,
              1, 3, 2, 3, 4, 1, 2, 3, 1, 2, 2}),
       {{{g.ids({2}), g.ids({3, 4})}, 1}, {{g.ids({2})}, 0}, {{g.ids({3, 4}), g.ids({2})}, 0}}},
      // No input classes: class 0 is every covered glyph.
      {"plain, no input classes", false, words({2, 22, 0, 1, 10, 1, 4, 1, 1, 0, 0, 1, 2, 2, 3}),
       {{{g.ids({2, 3})}, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const uint32_t type = c.chained ? 16 : 15;
    otl::Lookup lookup(0, g.holder);
    lookup.tableId = otl::kTableGsub;
    lookup.typeCode = type;
    auto read = otl::createSubtable(otl::kTableGsub, type, g.holder);
    ot::BinaryReader reader(c.bytes);
    reader.startBudget();
    ASSERT_NO_THROW(read->readBinary(reader, 0, {{0, 0}}, g.map));
    lookup.addSubtable(std::move(read));
    ASSERT_EQ(lookup.subtables.size(), c.rules.size());
    for (size_t k = 0; k < c.rules.size(); ++k) {
      ot::BinaryWriter writer;
      lookup.subtables[k]->writeBinary(writer, {{0, 0}}, g.map, 0);
      auto again = otl::createSubtable(otl::kTableGsub, type, g.holder);
      const std::string written = writer.str();
      ot::BinaryReader back(written);
      again->readBinary(back, 0, {{0, 0}}, g.map);
      for (const auto* subtable : {lookup.subtables[k].get(), again.get()}) {
        const auto& rules = dynamic_cast<const otl::ContextSubtable&>(*subtable).rules;
        ASSERT_EQ(rules.size(), 1u);
        EXPECT_TRUE(rules[0]->backtrack.empty());
        EXPECT_TRUE(rules[0]->lookahead.empty());
        EXPECT_EQ(glyphsOf(rules[0]->input), c.rules[k].input) << "rule " << k;
        EXPECT_EQ(rules[0]->lookups, (std::vector<otl::LookupRecord>{{c.rules[k].lookupAt, 0}})) << "rule " << k;
      }
    }
  }
}

TEST(ContextForms, MalformedFormsFailWithTheirMessage) {
  struct Case {
    const char* name;
    bool chained;
    std::string bytes;
    const char* message;
  };
  const Case cases[] = {
      {"format 4", false, words({4, 0}), "unknown context format"},
      {"format 0", true, words({0, 0}), "unknown context format"},
      {"rule without input", false, words({1, 8, 1, 14, 1, 1, 2, 1, 4, 0, 0}), "context rule without input"},
      {"chained rule without input", true, words({1, 8, 1, 14, 1, 1, 2, 1, 4, 0, 0, 0}),
       "context rule without input"},
      {"rule sets past the data", false, words({1, 8, 1, 14, 1, 1, 2, 9, 4}), "count larger than the data"},
      {"set count differs", true, words({1, 8, 2, 14, 1, 1, 2}), "rule set count differs from the coverage"},
      {"unknown lookup", false, words({3, 1, 1, 10, 1, 9, 1, 1, 2}), "context rule calls an unknown lookup"},
      {"sequence past the data", true, words({3, 40, 0}), "count larger than the data"},
  };
  for (const auto& c : cases) {
    Glyphs g;
    otl::ContextSubtable subtable(otl::kTableGsub, c.chained ? 16 : 15, c.chained, g.holder);
    ot::BinaryReader reader(c.bytes);
    try {
      subtable.readBinary(reader, 0, {{0, 0}}, g.map);
      ADD_FAILURE() << c.name << ": read";
    } catch (const ot::Exception& e) {
      EXPECT_EQ(e.message(), c.message) << c.name;
    }
  }
}

// The plain form has no fields for backtrack or lookahead: a rule given them (the layout
// document can) is refused, by the first rule of each side and by both together.
TEST(ContextForms, PlainFormRefusesBacktrackAndLookahead) {
  Glyphs g;
  const otl::GlyphList none;
  const std::pair<otl::GlyphList, otl::GlyphList> sides[] = {
      {g.ids({1}), none}, {none, g.ids({4})}, {g.ids({1}), g.ids({4})}, {none, none}};
  for (const auto& [backtrack, lookahead] : sides) {
    otl::LsContext plain(g.holder);
    auto rule = std::make_unique<otl::Context>(g.holder);
    if (!backtrack.empty()) rule->backtrack.emplace_back(g.holder, backtrack);
    rule->input.emplace_back(g.holder, g.ids({2}));
    rule->input.emplace_back(g.holder, g.ids({3}));
    if (!lookahead.empty()) rule->lookahead.emplace_back(g.holder, lookahead);
    rule->lookups.push_back({1, 0});
    plain.rules.push_back(std::move(rule));
    ot::BinaryWriter writer;
    const bool refused = !backtrack.empty() || !lookahead.empty();
    try {
      plain.writeBinary(writer, {{0, 0}}, g.map, 0);
      EXPECT_FALSE(refused);
      EXPECT_EQ(writer.str(), kPlainFormat3);
    } catch (const ot::Exception& e) {
      EXPECT_TRUE(refused);
      EXPECT_EQ(e.code(), ot::Exception::kUnresolved);
    }
  }
}

TEST(OffsetArrays, CountCheckedAndCharged) {
  struct Case {
    const char* name;
    std::string bytes;
    uint64_t budgetLeft;  // 0: no budget
    std::vector<uint16_t> offsets;
    const char* failure;  // null: the read succeeds
  };
  const Case cases[] = {
      {"two offsets", words({2, 6, 10}), 0, {6, 10}, nullptr},
      {"none", words({0}), 0, {}, nullptr},
      {"count past the data", words({3, 6, 10}), 0, {}, "count larger than the data"},
      {"one step per offset", words({2, 6, 10}), 2, {6, 10}, nullptr},
      {"budget short of the count", words({2, 6, 10}), 1, {}, "operations budget exhausted"},
  };
  for (const auto& c : cases) {
    ot::BinaryReader reader(c.bytes);
    if (c.budgetLeft) {
      reader.startBudget();
      reader.charge(ot::limits::operationsBudget(c.bytes.size()) - c.budgetLeft);
    }
    try {
      EXPECT_EQ(ot::readOffsetArray(reader), c.offsets) << c.name;
      EXPECT_EQ(c.failure, nullptr) << c.name;
    } catch (const ot::Exception& e) {
      EXPECT_EQ(e.message(), c.failure ? c.failure : "") << c.name;
    }
  }
}

}  // namespace
