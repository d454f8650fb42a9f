// The budget of records the layout model may hold: glyph pairs within it are written and read
// back by our table and the layout XML; past it each road refuses the lookup naming the budget.
#include <gtest/gtest.h>

#include <sstream>

#include "layout/layout_fea.h"
#include "layout/pair_pos.h"
#include "layout/registry/glyph_name_registry.h"
#include "layout/text/layout_xml.h"
#include "repair_fixture.h"

namespace {

// K first glyphs kerning a class of M, S times (the findings' `enum pos`), or one shared set.
TEST(ModelBudget, PairsWithinTheBudgetReadBackAndMoreAreRefused) {
  struct Case { size_t firsts, seconds, subtables; bool fromText, refused; };
  const Case cases[] = {{160, 100, 24, true, false}, {4, 4000, 26, true, false}, {4, 4000, 31, true, true},
                        {613, 613, 1, false, false}, {660, 660, 1, false, true}};
  const std::string refused = "lookup refused: its records would pass the budget of 3000000 records";
  const auto id = [](size_t i) { return otl::glyphIdByName("g" + std::to_string(i)); };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.firsts) + " x " + std::to_string(c.seconds) + " x " + std::to_string(c.subtables));
    vn::Ref<vn::Font> font = layout_test::fontNamed("g", std::max(c.firsts * c.subtables, c.seconds));
    const otl::GlyphIdMap glyphs = layout_test::glyphsNamed("g", font->glyphs.size());
    otl::LayoutFea layout(font.get(), "");
    auto pair = std::make_unique<otl::LpPair>(1);
    std::ostringstream text, bytes, xml;
    for (size_t b = 0; b < c.seconds; ++b) text << (b ? " g" : "languagesystem DFLT dflt;\n@B = [g") << b;
    text << "];\nfeature kern {\n";
    for (size_t a = 0; a < c.firsts * c.subtables; ++a) {
      if (c.fromText) text << (a && a % c.firsts == 0 ? "subtable;\n" : "") << "enum pos g" << a << " @B -10;\n";
      for (size_t b = 0; b < c.seconds && !c.fromText; ++b)
        pair->format1->pairs.emplace_back(id(a), id(b), otl::valueFromKerning(-10), otl::GPosValue());
    }
    if (c.fromText) {
      std::istringstream in(text.str() + "} kern;\n");
      otl::FeaCompileError error;
      EXPECT_EQ(!layout.importFeatureFile(in, "T", false, &error), c.refused);
      EXPECT_EQ(error.message.find(refused) != std::string::npos, c.refused) << error.message;
      if (c.refused) continue;
    } else {
      layout_test::lookupInFeature(layout.gpos, otl::kGposPair, "kern")->addSubtable(std::move(pair));
    }
    ASSERT_TRUE(layout.writeBinaryTable(bytes, 2, glyphs) && layout.writeLayoutXml(xml, true, false));
    const std::string table = bytes.str();
    ot::BinaryReader reader(table);
    std::istringstream document(xml.str());
    otl::LayoutFea fromTable(font.get(), ""), fromXml(font.get(), "");
    EXPECT_EQ(!fromTable.readBinaryTable(reader, otl::kTableGpos, glyphs), c.refused);
    EXPECT_EQ(!otl::xml::loadLayoutXml(fromXml, document, glyphs), c.refused);
    for (otl::LayoutFea* again : {&fromTable, &fromXml}) {
      bytes.str("");
      EXPECT_EQ(again->reports.formatAll().find(refused) != std::string::npos, c.refused);
      EXPECT_TRUE(c.refused || (again->writeBinaryTable(bytes, 2, glyphs) && bytes.str() == table));
    }
  }
}

// The GSUB and the GPOS of one layout share the budget: 24 subtables of 160 first glyphs
// kerning a class of 100 fit alone, and so do 60 substitutions of all 3,840 glyphs, but not
// both together.
TEST(ModelBudget, TheTablesOfOneLayoutShareIt) {
  vn::Ref<vn::Font> font = layout_test::fontNamed("g", 3840);
  std::ostringstream classes, subs, pairs;
  for (size_t g = 0; g < 3840; ++g) classes << (g ? " g" : "languagesystem DFLT dflt;\n@A = [g") << g;
  for (size_t g = 0; g < 100; ++g) classes << (g ? " g" : "];\n@B = [g") << g;
  for (size_t i = 0; i < 60; ++i) subs << "lookup S" << i << " { sub @A by g0; } S" << i << ";\n";
  for (size_t a = 0; a < 3840; ++a) pairs << (a && a % 160 == 0 ? "subtable;\n" : "") << "enum pos g" << a << " @B -10;\n";
  for (int tables : {1, 2, 3}) {
    otl::LayoutFea layout(font.get(), "");
    std::istringstream in(classes.str() + "];\n" + (tables & 1 ? "feature liga {\n" + subs.str() + "} liga;\n" : "") +
                          (tables & 2 ? "feature kern {\n" + pairs.str() + "} kern;\n" : ""));
    otl::FeaCompileError error;
    EXPECT_EQ(!layout.importFeatureFile(in, "T", false, &error), tables == 3) << tables;
    EXPECT_EQ(error.message.find("GPOS table could not be read: GPOS lookup 0 subtable 22: lookup refused") != std::string::npos, tables == 3)
        << error.message;
  }
}

}  // namespace
