// Multiple-master design space: the master-weight vector, the named axes and
// the conversion from master weights to a position on every axis.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vn {

// Weights of up to 16 masters; master i alone is selected by reset(i).
struct MasterWeights {
  static constexpr int kMaxMasters = 16;

  MasterWeights() { reset(0); }
  // Both arrays zero, element `index` of both 1.0; an index outside 0..15 leaves
  // every weight at zero.
  void reset(int index);

  int32_t count = 1;
  std::array<double, kMaxMasters> weights{};
  std::array<double, kMaxMasters> weights2{};
};

// One point of an axis map: a design value and the master-space value it sits at.
using AxisPoint = std::pair<double, double>;

struct Axis {
  explicit Axis(const std::string& axisName = std::string());

  // "Wd", "Wt", "Op", "Sr" for width, weight, opticalsize and serif (any case);
  // otherwise the first two characters of the name.
  static std::string shortNameFor(const std::string& axisName);

  std::string name;
  std::string shortName;
  std::string label;
  std::vector<AxisPoint> defaultMap{{0.0, 0.0}, {1000.0, 1000.0}};
  // (design value, master-space value), ascending by the second; filled by the
  // native reader. An empty map leaves values as they are.
  std::vector<AxisPoint> map;
};

struct MasterRecord {
  std::string name;
  int32_t value = 1;
  std::vector<double> coordinates;  // one per axis; a missing one reads 0
};

class Axes {
 public:
  Axes() { masters.push_back(MasterRecord{"Untitled", 1, {}}); }

  // Position of the first axis whose name equals `axisName` ignoring case; -1 when none.
  int indexOf(const std::string& axisName) const;
  // out[i] = the weighted master position on axis i, mapped through the axis map
  // (linear between points, extrapolated beyond both ends). Returns the axis count.
  int weightsToDesign(const MasterWeights& masterWeights, std::vector<double>& out) const;

  std::vector<Axis> axes;
  std::vector<MasterRecord> masters;
};

// Maps a master-space value through an axis map.
double mapAxisValue(const std::vector<AxisPoint>& map, double value);

}  // namespace vn
