#include <gtest/gtest.h>

#include <vector>

#include "model/design_space.h"

namespace vn {
namespace {

// Two masters on one weight axis at 200 and 800.
Axes twoMasterWeightAxis() {
  Axes axes;
  axes.axes.emplace_back("Weight");
  axes.axes.back().map = {{0, 0}, {1000, 1000}};
  axes.masters = {{"Light", 1, {200}}, {"Bold", 1, {800}}};
  return axes;
}

TEST(DesignSpace, AxisNamesAndShortNames) {
  EXPECT_EQ(Axis("Weight").shortName, "Wt");
  EXPECT_EQ(Axis("WIDTH").shortName, "Wd");
  EXPECT_EQ(Axis("OpticalSize").shortName, "Op");
  EXPECT_EQ(Axis("serif").shortName, "Sr");
  EXPECT_EQ(Axis("Contrast").shortName, "Co");
  EXPECT_EQ(Axis("X").shortName, "X");
  const Axis unnamed("");
  EXPECT_EQ(unnamed.shortName, "");
  EXPECT_EQ(unnamed.label, "");
  EXPECT_EQ(Axis("Weight").label, "Weight");
  EXPECT_EQ(unnamed.defaultMap, (std::vector<AxisPoint>{{0, 0}, {1000, 1000}}));

  Axes axes;
  EXPECT_EQ(axes.indexOf("Weight"), -1);
  ASSERT_EQ(axes.masters.size(), 1u);
  EXPECT_EQ(axes.masters[0].name, "Untitled");
  axes.axes = {Axis("Weight"), Axis("Width")};
  EXPECT_EQ(axes.indexOf("width"), 1);
  EXPECT_EQ(axes.indexOf("Optical"), -1);
}

TEST(DesignSpace, EachMasterUsesItsOwnWeight) {
  const Axes axes = twoMasterWeightAxis();
  MasterWeights weights;  // count stays 1, as a fresh vector has it
  std::vector<double> out;

  weights.reset(1);
  EXPECT_EQ(axes.weightsToDesign(weights, out), 1);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_DOUBLE_EQ(out[0], 800);

  weights.reset(0);
  axes.weightsToDesign(weights, out);
  EXPECT_DOUBLE_EQ(out[0], 200);

  weights.weights = {};
  weights.weights[0] = 0.25;
  weights.weights[1] = 0.75;
  axes.weightsToDesign(weights, out);
  EXPECT_DOUBLE_EQ(out[0], 650);
}

TEST(DesignSpace, AxisMapInterpolatesAndExtrapolates) {
  const std::vector<AxisPoint> map = {{100, 0}, {400, 300}, {900, 1000}};
  EXPECT_DOUBLE_EQ(mapAxisValue(map, 150), 250);    // first segment
  EXPECT_DOUBLE_EQ(mapAxisValue(map, 650), 650);    // second segment
  EXPECT_DOUBLE_EQ(mapAxisValue(map, 1100), 971.4285714285714);  // beyond the end
  EXPECT_DOUBLE_EQ(mapAxisValue(map, -300), -200);  // below the start
  EXPECT_DOUBLE_EQ(mapAxisValue({{42, 7}}, 500), 42);
  EXPECT_DOUBLE_EQ(mapAxisValue({}, 500), 500);
  EXPECT_DOUBLE_EQ(mapAxisValue({{10, 5}, {20, 5}}, 5), 10);  // a flat segment
}

TEST(DesignSpace, MissingCoordinatesAndExtraMastersReadZero) {
  Axes axes;
  axes.axes = {Axis("Weight"), Axis("Width")};  // empty maps: identity
  axes.masters = {{"A", 1, {300}}, {"B", 1, {}}};
  for (int i = 0; i < 20; ++i) axes.masters.push_back({"extra", 1, {1000, 1000}});
  MasterWeights weights;
  weights.weights.fill(0.0);
  weights.weights[0] = 1;
  weights.weights[1] = 1;
  std::vector<double> out;
  EXPECT_EQ(axes.weightsToDesign(weights, out), 2);
  EXPECT_DOUBLE_EQ(out[0], 300);
  EXPECT_DOUBLE_EQ(out[1], 0);

  weights.reset(16);  // beyond the arrays: no master selected
  axes.weightsToDesign(weights, out);
  EXPECT_DOUBLE_EQ(out[0], 0);
}

}  // namespace
}  // namespace vn
