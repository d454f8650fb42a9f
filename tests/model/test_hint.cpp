// Hints (ghosts, edges, transforms), point naming and look-up in a layer.
#include <gtest/gtest.h>

#include <tuple>

#include "model/hint.h"
#include "model/layer.h"

namespace {

vn::Hint hint(double position, double width, uint8_t horizontal = 1) {
  vn::Hint h;
  h.position = position;
  h.width = width;
  h.horizontal = horizontal;
  return h;
}

TEST(HintTest, GhostsEdgesAndTransforms) {
  // Ghosts: horizontal widths -20 (bottom edge) and -21 (top edge), or a half link.
  double lo = 0, hi = 0;
  EXPECT_TRUE(hint(500, -21).isGhost());
  EXPECT_TRUE(hint(500, -21).edges(lo, hi));
  EXPECT_EQ(lo, 479);
  EXPECT_TRUE(hint(500, -20).edges(lo, hi));
  EXPECT_EQ(lo, 500);
  EXPECT_FALSE(hint(100, -30).edges(lo, hi));
  EXPECT_EQ(std::pair(lo, hi), std::pair(70.0, 100.0));
  EXPECT_FALSE(hint(500, -20, 0).isGhost());  // vertical: no ghost
  vn::Hint halfLink = hint(0, 0);
  halfLink.firstPoint = "p1";
  EXPECT_TRUE(halfLink.isGhost());
  halfLink.secondPoint = "p2";
  EXPECT_FALSE(halfLink.isGhost());

  // A ghost keeps its width under a scale; other hints scale along their direction.
  const std::tuple<vn::Hint, vn::Matrix, double, double> cases[] = {
      {hint(500, -20), vn::Matrix{1, 0, 0, 2, 0, 0}, 1000, -20},
      {hint(10, -20, 0), vn::Matrix{3, 0, 0, 1, 5, 0}, 35, -60},
      {hint(10, 20), vn::Matrix{1, 0, 0, 2, 0, 7}, 27, 40},
  };
  for (const auto& [h, matrix, position, width] : cases) {
    const vn::Hint moved = h.transformed(matrix);
    EXPECT_EQ(std::pair(moved.position, moved.width), std::pair(position, width)) << h.position;
  }
  // Links compare by point names only; plain hints by position and width.
  vn::Hint other = halfLink;
  other.position = 99;
  EXPECT_EQ(halfLink, other);
  EXPECT_FALSE(hint(1, 2) == hint(1, 3));
}

vn::Layer layerWithPoints(int count) {
  vn::Layer layer("Body");
  vn::Contour c;
  for (int i = 0; i < count; ++i) {
    vn::Node n;
    n.type = i == 0 ? 0 : 1;
    n.x = i;
    c.nodes.push_back(n);
  }
  layer.addContour(c);
  return layer;
}

TEST(LayerPointsTest, PhantomPointsAndNamedLookup) {
  vn::Layer layer = layerWithPoints(3);
  vn::Contour second;
  second.nodes.resize(2);
  second.nodes.back().name = "hr01,extra";
  layer.elements.emplace_back();
  layer.elements.back().addContour(second);

  EXPECT_EQ(layer.pointCount(), 5);
  EXPECT_EQ(layer.pointName(5), "lsb");
  EXPECT_EQ(layer.pointName(6), "rsb");
  EXPECT_EQ(layer.pointName(7), "");
  EXPECT_EQ(layer.pointName(-1), "");
  EXPECT_EQ(layer.pointIndex("rsb"), 6);
  EXPECT_EQ(layer.pointIndex("hr01"), 4);
  EXPECT_EQ(layer.pointIndex("hr0"), -1);
  EXPECT_EQ(layer.pointIndex("missing"), -1);
  const vn::Node* n = nullptr;
  EXPECT_FALSE(layer.findPoint(5, n));
  ASSERT_TRUE(layer.findPoint(2, n));
  EXPECT_EQ(n->x, 2);

}

TEST(LayerPointsTest, HintReplacementPointsAreNamed) {
  vn::Layer layer = layerWithPoints(6);
  layer.hints.push_back(hint(0, 10));
  vn::Node* named = nullptr;
  ASSERT_TRUE(layer.findPoint(4, named));
  named->name = "keep";
  layer.replacements = {{1, 0, -1, ""}, {3, 2, -1, ""}, {2, 0, -1, ""}, {3, 3, -1, ""}, {3, 4, -1, ""}};
  layer.nameHintReplacements();
  EXPECT_EQ(layer.pointName(2), "hr01");
  EXPECT_EQ(layer.pointName(3), "hr02");
  EXPECT_EQ(layer.pointName(4), "keep");  // a named point keeps its name and passes it on
  std::vector<std::string> recordNames;
  for (const auto& r : layer.replacements) recordNames.push_back(r.name);
  EXPECT_EQ(recordNames, (std::vector<std::string>{"", "hr01", "", "hr02", "keep"}));

  vn::Layer plain = layerWithPoints(2);
  plain.nameHintReplacements();  // no hints: untouched
  EXPECT_EQ(plain.pointName(0), "");
  plain.hints.push_back(hint(0, 10));
  plain.nameHintReplacements();
  EXPECT_EQ(plain.pointName(0), "hr00");
}

TEST(LayerPointsTest, ManyReplacementRecordsStayLinear) {
  // One record per point on a large outline: naming must not walk the outline per record.
  vn::Layer layer = layerWithPoints(200000);
  layer.hints.push_back(hint(0, 10));
  for (int32_t i = 0; i < 200000; ++i) layer.replacements.push_back({3, i, -1, ""});
  layer.replacements.push_back({3, 200000, -1, ""});  // the phantom "lsb": no node to name
  layer.replacements.push_back({3, -5, -1, ""});
  layer.nameHintReplacements();
  EXPECT_EQ(layer.pointName(0), "hr01");
  EXPECT_EQ(layer.pointName(199999), "hr200000");
  EXPECT_EQ(layer.replacements.back().name, "");
}

TEST(BitmapTest, SizesThatOverflowAreRefused) {
  vn::Bitmap deep;
  ASSERT_TRUE(deep.setSize(9, 1, 32));
  EXPECT_EQ(deep.rowBytes(), 36);
  // Sizes that overflow 32-bit arithmetic are refused and leave an empty bitmap.
  vn::Bitmap huge;
  EXPECT_FALSE(huge.setSize(2000000000, 2000000000, 32));
  EXPECT_TRUE(huge.isEmpty());
  EXPECT_FALSE(huge.setSize(100, 100, -8));
  EXPECT_TRUE(huge.isEmpty());
}

}  // namespace
