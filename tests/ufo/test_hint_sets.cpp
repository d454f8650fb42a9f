// PostScript hint sets of the glyph lib: stem triples, sorting, hint replacement
// and the exact text.
#include <gtest/gtest.h>

#include "model/layer.h"
#include "ufo_fixtures.h"
#include "ufo/hint_sets.h"

namespace {

using vn::Node;
using ufotest::node;

vn::Hint stem(double position, double width, bool horizontal = true) {
  vn::Hint hint;
  hint.position = position;
  hint.width = width;
  hint.horizontal = horizontal ? 1 : 0;
  return hint;
}

vn::Layer layerWith(std::vector<vn::Hint> hints) {
  vn::Layer layer;
  layer.addContour(ufotest::square(0, 0, 100));
  layer.hints = std::move(hints);
  return layer;
}

std::string setText(const vn::Layer& layer) {
  ufo::HintSetWriter writer;
  writer.collectAll(layer, false);
  return writer.writeHintSet("p");
}

TEST(HintSets, EquallySpacedStemsOfEqualOuterWidthFormATriple) {
  EXPECT_EQ(setText(layerWith({stem(300, 60), stem(610, 50), stem(0, 50)})),
            "    <hintset pointTag=\"p\">\n"
            "      <hstem3 stem3List=\"0,50,300,60,610,50\" />\n"
            "    </hintset>\n");
  // w2 differs: three separate stems, sorted by low edge.
  EXPECT_EQ(setText(layerWith({stem(610, 51), stem(300, 60), stem(0, 50)})),
            "    <hintset pointTag=\"p\">\n"
            "      <hstem pos=\"0\" width=\"50\" />\n"
            "      <hstem pos=\"300\" width=\"60\" />\n"
            "      <hstem pos=\"610\" width=\"51\" />\n"
            "    </hintset>\n");
}

TEST(HintSets, NegativeWidthsBreakOnlyHorizontalTriples) {
  // Low edges 60, 300, 550 sort the stems; centres on the doubled scale 170, 660, 1150.
  const std::vector<vn::Hint> negative = {stem(110, -50), stem(300, 60), stem(600, -50)};
  EXPECT_EQ(setText(layerWith(negative)).find("hstem3"), std::string::npos);
  std::vector<vn::Hint> vertical = negative;
  for (vn::Hint& hint : vertical) hint.horizontal = 0;
  EXPECT_NE(setText(layerWith(vertical)).find("      <vstem3 stem3List=\"110,-50,300,60,600,-50\" />\n"),
            std::string::npos);
  // Two or four stems are never a triple.
  EXPECT_EQ(setText(layerWith({stem(0, 50), stem(300, 60)})).find("stem3"), std::string::npos);
  EXPECT_EQ(setText(layerWith({stem(0, 50), stem(300, 60), stem(610, 50), stem(900, 60)})).find("stem3"),
            std::string::npos);
  EXPECT_NE(setText(layerWith({stem(100.5, 20, false)})).find("      <vstem pos=\"100.5\" width=\"20\" />\n"),
            std::string::npos);
}

TEST(HintSets, ReplacementPointsStartSetsAndNameTheirPoints) {
  vn::Layer layer = layerWith({stem(0, 20), stem(500, 30), stem(50, 40, false)});
  auto record = [](int32_t kind, int32_t index) { return vn::ReplacementRecord{kind, index, -1, {}}; };
  layer.replacements = {
      record(1, 0),   // before any replacement point: the set at point 0
      record(3, 0),   // point 0, then nothing: no set
      record(3, 2),   // point 2
      record(2, 2),   record(1, 1), record(1, 0),
      record(1, 99),  // no such hint
      record(3, 3),   // point 3, already named
      record(1, 1),
  };
  Node* named = nullptr;
  ASSERT_TRUE(layer.findPoint(3, named));
  named->name = "corner\"&";
  EXPECT_EQ(ufo::hintSetListText(layer),
            "  <hintSetList>\n"
            "    <hintset pointTag=\"hr00\">\n"
            "      <hstem pos=\"0\" width=\"20\" />\n"
            "    </hintset>\n"
            "    <hintset pointTag=\"hr02\">\n"
            "      <hstem pos=\"0\" width=\"20\" />\n"
            "      <hstem pos=\"500\" width=\"30\" />\n"
            "      <vstem pos=\"50\" width=\"40\" />\n"
            "    </hintset>\n"
            "    <hintset pointTag=\"corner&quot;&amp;\">\n"
            "      <hstem pos=\"500\" width=\"30\" />\n"
            "    </hintset>\n"
            "  </hintSetList>\n");
  const Node* first = nullptr;
  ASSERT_TRUE(layer.findPoint(0, first));
  EXPECT_EQ(first->name, "hr00");
}

}  // namespace
