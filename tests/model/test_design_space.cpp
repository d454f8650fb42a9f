// Axes of a multiple-master font: short names, master weights to design coordinates.
#include <gtest/gtest.h>

#include <vector>

#include "model/design_space.h"

namespace vn {
namespace {

TEST(DesignSpace, AxisNamesAndShortNames) {
  const std::pair<const char*, const char*> names[] = {{"Weight", "Wt"}, {"WIDTH", "Wd"}, {"OpticalSize", "Op"},
                                                       {"serif", "Sr"},  {"Contrast", "Co"}, {"X", "X"}, {"", ""}};
  for (const auto& [name, shortName] : names) EXPECT_EQ(Axis(name).shortName, shortName) << name;
  Axes axes;
  axes.axes = {Axis("Weight"), Axis("Width")};
  EXPECT_EQ(axes.indexOf("width"), 1);
  EXPECT_EQ(axes.indexOf("Optical"), -1);
}

TEST(DesignSpace, AxisMapInterpolatesAndExtrapolates) {
  const std::vector<AxisPoint> map = {{100, 0}, {400, 300}, {900, 1000}};
  const std::pair<double, double> cases[] = {{150, 250}, {650, 650}, {1100, 971.4285714285714}, {-300, -200}};
  for (const auto& [value, design] : cases) EXPECT_DOUBLE_EQ(mapAxisValue(map, value), design) << value;
  EXPECT_DOUBLE_EQ(mapAxisValue({{42, 7}}, 500), 42);
  EXPECT_DOUBLE_EQ(mapAxisValue({}, 500), 500);
  EXPECT_DOUBLE_EQ(mapAxisValue({{10, 5}, {20, 5}}, 5), 10);  // a flat segment
}

TEST(DesignSpace, EachMasterUsesItsOwnWeightAndMissingCoordinatesReadZero) {
  Axes axes;
  axes.axes = {Axis("Weight"), Axis("Width")};  // empty maps: identity
  axes.masters = {{"A", 1, {200}}, {"B", 1, {800}}, {"C", 1, {}}};
  for (int i = 0; i < 20; ++i) axes.masters.push_back({"extra", 1, {1000, 1000}});
  MasterWeights weights;
  weights.weights.fill(0.0);
  weights.weights[0] = 0.25;
  weights.weights[1] = 0.75;
  weights.weights[2] = 1;
  std::vector<double> out;
  EXPECT_EQ(axes.weightsToDesign(weights, out), 2);
  EXPECT_EQ(out, (std::vector<double>{650, 0}));
  weights.reset(16);  // beyond the arrays: no master selected
  axes.weightsToDesign(weights, out);
  EXPECT_EQ(out, (std::vector<double>{0, 0}));
}

}  // namespace
}  // namespace vn
