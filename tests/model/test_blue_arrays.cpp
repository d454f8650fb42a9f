#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "model/blue_arrays.h"

namespace vn {
namespace {

Zone bottom(double position, double width) { return Zone{"", position, width, 0, {}}; }
Zone top(double position, double width) { return Zone{"", position, width, 1, {}}; }

using Values = std::vector<double>;

TEST(BlueArrays, EmptyHintingAndZonesOutsideTheirArrays) {
  FontHinting hinting;
  Values values{1, 2, 3};
  // No zone, or only zones away from the baseline: BlueValues begin with the default
  // baseline pair all the same, and say so.
  EXPECT_TRUE(addsDefaultBluePair(hinting));
  EXPECT_EQ(blueValues(hinting, values), 2);
  EXPECT_EQ(values, (Values{-20, 0}));
  hinting.zones2 = {bottom(-200, 10)};
  EXPECT_TRUE(addsDefaultBluePair(hinting));
  EXPECT_EQ(blueValues(hinting, values), 2);
  EXPECT_EQ(values, (Values{-20, 0}));
  // Top zones without a baseline zone get the baseline pair before them.
  hinting.zones2 = {top(500, 10)};
  EXPECT_TRUE(addsDefaultBluePair(hinting));
  EXPECT_EQ(blueValues(hinting, values), 4);
  EXPECT_EQ(values, (Values{-20, 0, 500, 510}));
  // A zone at the baseline (of any width, even 0) needs no default.
  for (const double width : {15.0, 0.0}) {
    hinting.zones2 = {top(500, 10), bottom(0, width)};
    EXPECT_FALSE(addsDefaultBluePair(hinting));
    EXPECT_EQ(blueValues(hinting, values), 4);
    EXPECT_EQ(values, (Values{-width, 0, 500, 510}));
  }
  hinting.zones2.clear();
  EXPECT_EQ(familyBlues(hinting, values), 0);
  EXPECT_TRUE(values.empty());
  EXPECT_EQ(otherBlues(hinting, values), 0);
  EXPECT_EQ(familyOtherBlues(hinting, values), 0);

  // Zones enter only their own arrays: a top zone below the baseline stays a top zone.
  hinting.zones2 = {top(-50, 10), bottom(0, 20)};
  hinting.zones3 = {bottom(0, 20)};
  EXPECT_EQ(otherBlues(hinting, values), 0);
  EXPECT_EQ(familyOtherBlues(hinting, values), 0);
  EXPECT_EQ(blueValues(hinting, values), 4);
  EXPECT_EQ(values, (Values{-20, 0, -50, -40}));
}

TEST(BlueArrays, TypicalFontZones) {
  FontHinting hinting;
  hinting.zones2 = {top(500, 10), bottom(0, 15), top(700, 12), bottom(-200, 10), bottom(-100, 20)};
  Values values;
  EXPECT_EQ(blueValues(hinting, values), 6);
  EXPECT_EQ(values, (Values{-15, 0, 500, 510, 700, 712}));
  EXPECT_EQ(otherBlues(hinting, values), 4);
  EXPECT_EQ(values, (Values{-210, -200, -120, -100}));

  // The family's zones: FamilyOtherBlues comes out sorted, FamilyBlues has no default pair.
  hinting.zones3 = {bottom(-100, 20), top(650, 10), bottom(-200, 10)};
  EXPECT_EQ(familyOtherBlues(hinting, values), 4);
  EXPECT_EQ(values, (Values{-210, -200, -120, -100}));
  EXPECT_EQ(familyBlues(hinting, values), 2);
  EXPECT_EQ(values, (Values{650, 660}));
}

TEST(BlueArrays, ArraysStopAtTheirPrivateDictionaryLimits) {
  FontHinting hinting;
  for (int i = 0; i < 8; ++i) hinting.zones2.push_back(top(400 + 50 * i, 10));
  for (int i = 0; i < 6; ++i) hinting.zones2.push_back(bottom(-100 - 50 * i, 10));
  Values values;
  EXPECT_EQ(blueValues(hinting, values), 14);
  EXPECT_EQ(values.back(), 660);  // the sixth top zone is the last
  EXPECT_EQ(otherBlues(hinting, values), 10);
  EXPECT_EQ(values.back(), -300);  // the fifth bottom zone is the last

  // Many baseline zones must not push BlueValues past 14 values.
  FontHinting crowded;
  for (int i = 0; i < 9; ++i) crowded.zones2.push_back(bottom(0, 10 + i));
  crowded.zones2.push_back(top(500, 10));
  EXPECT_EQ(blueValues(crowded, values), 14);
  EXPECT_EQ(values[12], -16);
  crowded.zones3 = crowded.zones2;
  EXPECT_EQ(familyBlues(crowded, values), 14);
}

TEST(BlueArrays, DamagedZoneValuesDoNotUpsetTheSort) {
  FontHinting hinting;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  hinting.zones3 = {bottom(nan, 1), bottom(-10, 5), bottom(-30, nan), bottom(-20, 2)};
  Values values;
  EXPECT_EQ(familyOtherBlues(hinting, values), 8);
}

}  // namespace
}  // namespace vn
