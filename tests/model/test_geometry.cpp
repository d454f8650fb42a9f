// Geometry: curve boxes against an independent reference, box transforms, smooth marks.
#include <gtest/gtest.h>

#include <cmath>

#include "model/bbox_engine.h"
#include "model/geometry.h"
#include "model/glyph.h"
#include "model/layer.h"

namespace {

vn::Node node(int32_t type, double x, double y) {
  vn::Node n;
  n.type = type;
  n.x = x;
  n.y = y;
  return n;
}

void expectBox(const vn::Rect& box, double xMin, double yMin, double xMax, double yMax) {
  ASSERT_FALSE(box.empty);
  EXPECT_NEAR(box.xMin, xMin, 1e-6);
  EXPECT_NEAR(box.yMin, yMin, 1e-6);
  EXPECT_NEAR(box.xMax, xMax, 1e-6);
  EXPECT_NEAR(box.yMax, yMax, 1e-6);
}

vn::Contour cubicContour() {
  vn::Contour c;
  c.nodes = {node(0, 0, 0),       node(3, 100, 200), node(3, 300, -100),
             node(1, 400, 50),    node(3, 500, 300), node(3, -50, 250)};
  return c;
}

// Expected values were computed once with fontTools' BoundsPen over the same segments.
TEST(CurveBoxTest, ExactBoxesMatchReference) {
  expectBox(cubicContour().boundingBox(true), -3.2218786626643805, 0, 412.181878662664, 214.36268383531012);

  vn::Contour quadratic;  // move, two off-curve points, on-curve, then a trailing off-curve point
  quadratic.nodes = {node(0, 10, 10), node(2, 200, 300), node(2, 400, -50), node(1, 500, 100), node(2, 300, 400)};
  expectBox(quadratic.boundingBox(true), 10, 10, 500, 230.43478260869566);

  vn::Contour offOnly;  // the start is the midpoint of the last and first off-curve points
  offOnly.nodes = {node(0, -50, 50), node(2, 0, 100), node(2, 100, 0), node(2, 0, -100), node(2, -100, 0)};
  expectBox(offOnly.boundingBox(true), -75, -75, 75, 75);

  std::list<vn::Contour> sheared{cubicContour()};
  vn::Glyph::transformContours(sheared, vn::Matrix{0.5, 0.25, -0.3, 1.2, 40, -7});
  expectBox(sheared.front().boundingBox(true), 17.21087709956663, -7.0, 225.0, 321.0789822606758);

  // The inexact box takes every node, control points included.
  expectBox(cubicContour().boundingBox(false), -50, -100, 500, 300);
  // A contour with its flag set is not part of the exact box.
  vn::Contour flagged = cubicContour();
  flagged.flag = 1;
  EXPECT_TRUE(flagged.boundingBox(true).empty);
}

TEST(RectTest, TransformAndUnite) {
  vn::Rect box;
  box.add(0, 0);
  box.add(100, 50);
  // 90-degree rotation: every mapped corner is held.
  vn::Rect rotated = box.transformed(vn::Matrix{0, 1, -1, 0, 0, 0});
  expectBox(rotated, -50, 0, 0, 100);
  // A mirroring scale swaps the reversed axis.
  expectBox(box.transformed(vn::Matrix{-2, 0, 0, 1, 10, 0}), -190, 0, 10, 50);

  vn::Rect inverted{10, 10, 0, 0, false};
  vn::Rect target;
  target.unite(inverted);
  EXPECT_TRUE(target.empty);
  target.unite(box);
  expectBox(target, 0, 0, 100, 50);

  // Boxes without points add nothing: an empty element or contour beside an outline
  // away from the origin leaves the outline's box alone.
  vn::Layer layer;
  vn::Contour away;
  away.nodes = {node(0, 100, 120), node(1, 200, 120), node(1, 200, 220)};
  layer.addContour(away);
  layer.elements.front().addContour(vn::Contour{});
  layer.elements.emplace_back();
  expectBox(layer.boundingBox(true), 100, 120, 200, 220);
  vn::Rect shifted = layer.boundingBox(true);
  shifted.unite(vn::Rect{});
  shifted.unite(inverted);
  expectBox(shifted, 100, 120, 200, 220);

  vn::Element element;
  element.strokeStyle.kind = 1;
  element.strokeStyle.penX = 4;
  element.strokeStyle.penY = 3;
  element.addContour(cubicContour());
  expectBox(element.boundingBox(false), -52.5, -102.5, 502.5, 302.5);
}

// The angle of a slanted matrix, as the native writer takes the italic angle from it.
TEST(AngleTest, SlantOfAMatrix) {
  EXPECT_DOUBLE_EQ((vn::Matrix{1, 0, 1, 1, 0, 0}.angle()), 45.0);
  EXPECT_NEAR((vn::Matrix{2, 0, 1, 1, 0, 0}.angle()), 26.565051177077990, 1e-12);
  EXPECT_EQ((vn::Matrix{0, 1, 1, 0, 0, 0}.angle()), 0.0);
}

TEST(SmoothMarksTest, MarksOnCurveNodesBetweenControls) {
  vn::Contour c;
  // (100,0) sits between controls on one vertical line; (0,100) between controls on one
  // horizontal line; the closing node coincides with the start.
  c.nodes = {node(0, 0, -100), node(3, 50, -100), node(3, 100, -50), node(1, 100, 0), node(3, 100, 50),
             node(3, 50, 100), node(1, 0, 100), node(3, -50, 100), node(3, -100, 50), node(1, -100, 0),
             node(3, -100, -50), node(3, -50, -100), node(1, 0, -100)};
  c.markSmooth();
  c.markHVSmooth();
  std::vector<uint8_t> flags;
  for (const auto& n : c.nodes) flags.push_back(n.flags);
  EXPECT_EQ(flags[3], vn::Node::kFlagVertical | vn::Node::kFlagSmooth);
  EXPECT_EQ(flags[6], vn::Node::kFlagHorizontal | vn::Node::kFlagSmooth);
  // start and its coincident closing node get the same marks
  EXPECT_EQ(flags[0], vn::Node::kFlagHorizontal | vn::Node::kFlagSmooth);
  EXPECT_EQ(flags[12], flags[0]);
  EXPECT_EQ(flags[1], 0);
}

}  // namespace
