// The budget of records the layout model may hold, on every road a glyph-pair table takes:
// what the model holds within it, each writer writes and each reader takes back (our own
// table with its shared pair sets, the layout XML, the feature text); past it, every road
// refuses the lookup with a line naming the budget, the compiler before it makes the pairs.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "layout/pair_pos.h"
#include "layout/registry/glyph_name_registry.h"
#include "layout/text/layout_xml.h"
#include "repair_fixture.h"
#include "table_bytes.h"

namespace {

constexpr const char* kRefused = "lookup refused: its records would pass the budget of 3000000 records";

size_t pairsOf(const otl::LayoutFea& layout) {
  size_t n = 0;
  for (const auto& [index, lookup] : layout.gpos.lookups.lookups())
    for (const auto& s : lookup->subtables) n += static_cast<const otl::LpPair&>(*s).pairCount();
  return n;
}

// The roads, each from the text or bytes another road wrote; true when read, else the line.
bool readsBack(const std::string& road, const std::string& written, otl::LayoutFea& into, std::string& line) {
  const otl::GlyphIdMap glyphs = layout_test::glyphsNamed("g", into.font()->glyphs.size());
  std::istringstream in(written);
  ot::BinaryReader bytes(written);
  otl::FeaCompileError error;
  const bool read = road == "xml"   ? otl::xml::loadLayoutXml(into, in, glyphs)
                    : road == "fea" ? into.importFeatureFile(in, "T", false, &error)
                                    : into.readBinaryTable(bytes, otl::kTableGpos, glyphs);
  line = error.message + into.reports.formatAll();
  return read;
}

// "enum pos" of `firsts` glyphs each with one class of `seconds`, `subtables` times (the
// shapes of the findings), or n first glyphs sharing one pair set of n, made in the model.
TEST(ModelBudget, PairsWithinTheBudgetTakeEveryRoadAndMoreAreRefused) {
  struct Case {
    size_t firsts, seconds, subtables;
    bool fromText, refused;
  };
  const Case cases[] = {{160, 100, 24, true, false}, {4, 4000, 26, true, false}, {4, 4000, 31, true, true},
                        {613, 613, 1, false, false}, {660, 660, 1, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.firsts) + " x " + std::to_string(c.seconds) + " x " + std::to_string(c.subtables));
    vn::Ref<vn::Font> font = layout_test::fontNamed("g", std::max(c.firsts * c.subtables, c.seconds));
    otl::LayoutFea layout(font.get(), "");
    std::string line;
    if (c.fromText) {
      std::string text = "languagesystem DFLT dflt;\n@B = [";
      for (size_t i = 0; i < c.seconds; ++i) text += " g" + std::to_string(i);
      text += "];\nfeature kern {\n";
      for (size_t i = 0; i < c.firsts * c.subtables; ++i)
        text += (i && i % c.firsts == 0 ? "subtable;\nenum pos g" : "enum pos g") + std::to_string(i) + " @B -10;\n";
      EXPECT_NE(readsBack("fea", text + "} kern;\n", layout, line), c.refused);
      EXPECT_EQ(line.find(kRefused) != std::string::npos, c.refused) << line;
      if (c.refused) continue;
    } else {
      auto pair = std::make_unique<otl::LpPair>(1);
      for (size_t a = 0; a < c.firsts; ++a)
        for (size_t b = 0; b < c.seconds; ++b)
          pair->format1->pairs.emplace_back(otl::glyphIdByName("g" + std::to_string(a)),
                                            otl::glyphIdByName("g" + std::to_string(b)), otl::valueFromKerning(-10),
                                            otl::GPosValue());
      layout_test::lookupInFeature(layout.gpos, otl::kGposPair, "kern")->addSubtable(std::move(pair));
    }
    std::ostringstream binary, xml, fea;
    ASSERT_TRUE(layout.writeBinaryTable(binary, 2, layout_test::glyphsNamed("g", font->glyphs.size())));
    ASSERT_TRUE(layout.writeLayoutXml(xml, true, false));
    ASSERT_TRUE(layout.writeFeatureFile(fea, vn::FeatureWriteOptions{}));
    for (const auto& [road, written] : {std::pair{"bin", binary.str()}, {"xml", xml.str()}, {"fea", fea.str()}}) {
      SCOPED_TRACE(road);
      otl::LayoutFea again(font.get(), "");
      EXPECT_NE(readsBack(road, written, again, line), c.refused) << line;
      EXPECT_EQ(line.find(kRefused) != std::string::npos, c.refused) << line;
      if (!c.refused) {
        EXPECT_EQ(pairsOf(again), c.firsts * c.seconds * c.subtables);
      }
    }
  }
}

}  // namespace
