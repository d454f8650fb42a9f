#include "model/design_space.h"

#include "model/numbers.h"

namespace vn {

void MasterWeights::reset(int index) {
  weights.fill(0.0);
  weights2.fill(0.0);
  if (index < 0 || index >= kMaxMasters) return;
  weights[static_cast<size_t>(index)] = 1.0;
  weights2[static_cast<size_t>(index)] = 1.0;
}

Axis::Axis(const std::string& axisName) : name(axisName) {
  if (!axisName.empty()) {
    label = axisName;
    shortName = shortNameFor(axisName);
  }
}

std::string Axis::shortNameFor(const std::string& axisName) {
  static const std::pair<const char*, const char*> kKnown[] = {
      {"width", "Wd"}, {"weight", "Wt"}, {"opticalsize", "Op"}, {"serif", "Sr"}};
  for (const auto& [full, brief] : kKnown) {
    if (equalsNoCase(axisName, full)) return brief;
  }
  return axisName.substr(0, 2);
}

int Axes::indexOf(const std::string& axisName) const {
  for (size_t i = 0; i < axes.size(); ++i) {
    if (equalsNoCase(axes[i].name, axisName)) return static_cast<int>(i);
  }
  return -1;
}

double mapAxisValue(const std::vector<AxisPoint>& map, double value) {
  if (map.empty()) return value;
  if (map.size() == 1) return map.front().first;
  size_t k = 1;
  while (k < map.size() - 1 && map[k].second < value) ++k;
  const auto& [lowDesign, lowMaster] = map[k - 1];
  const auto& [highDesign, highMaster] = map[k];
  if (lowMaster == highMaster) return lowDesign;
  return lowDesign + (highDesign - lowDesign) * (value - lowMaster) / (highMaster - lowMaster);
}

int Axes::weightsToDesign(const MasterWeights& masterWeights, std::vector<double>& out) const {
  out.assign(axes.size(), 0.0);
  for (size_t i = 0; i < axes.size(); ++i) {
    double position = 0.0;
    // Every master contributes with its own weight; masters beyond the weight
    // arrays have none.
    for (size_t j = 0; j < masters.size() && j < MasterWeights::kMaxMasters; ++j) {
      const auto& coordinates = masters[j].coordinates;
      const double coordinate = i < coordinates.size() ? coordinates[i] : 0.0;
      position += coordinate * masterWeights.weights[j];
    }
    out[i] = mapAxisValue(axes[i].map, position);
  }
  return static_cast<int>(axes.size());
}

}  // namespace vn
