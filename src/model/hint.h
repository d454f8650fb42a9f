// Stem hints, hint-replacement records, guides and point links of a layer.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/geometry.h"

namespace vn {

class Transfer;

struct Hint {
  // Widths that mark a ghost hint (horizontal, no link): the single edge is the position
  // (bottom ghost, -20) or the position plus the width (top ghost, -21).
  static constexpr double kGhostBottom = -20.0;
  static constexpr double kGhostTop = -21.0;

  std::string name;
  double position = 0.0;
  double width = 0.0;
  std::string firstPoint;
  std::string secondPoint;
  double value1 = 0.0;
  double value2 = 0.0;
  std::vector<int32_t> list1;
  std::vector<int32_t> list2;
  uint8_t horizontal = 1;

  bool isLink() const { return !firstPoint.empty(); }
  bool isGhost() const;
  // The two edges of the stem; true for a ghost width, where only lo is meaningful.
  bool edges(double& lo, double& hi) const;
  double top() const;
  double bottom() const;
  bool overlaps(const Hint& other) const;
  void reverse();
  void transform(const Matrix& m);
  Hint transformed(const Matrix& m) const;
  bool operator==(const Hint& other) const;
  void transfer(Transfer& consumer) const;
};

// kind 1 a horizontal hint, 2 a vertical hint (index into the layer's hints), 3 a point
// at which a new hint set starts (index of the point).
struct ReplacementRecord {
  int32_t kind = 0;
  int32_t index = 0;
  int32_t value = -1;
  std::string name;
};

struct Guide {
  double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
  std::string name;
  std::array<double, 4> color{};  // red, green, blue, alpha
};

// A guide as the line it lies on: whether it runs more along x than along y, where it
// crosses the axis across that direction (y at x = 0, or x at y = 0; a guide of no
// length stands upright at its point), and its slope against that axis times
// `slopeScale`. The native file holds guides so.
struct GuideLine {
  bool horizontal = false;
  double position = 0.0;
  double slope = 0.0;
};
GuideLine guideLine(const Guide& guide, double slopeScale);

struct PointReference {
  int16_t index = 0;
  int16_t secondIndex = -1;
  std::vector<int32_t> values;
};

struct PointLink {
  PointReference first;
  PointReference second;
  std::string name;
  int32_t value = 0;
  int32_t hue = 0;

  // The HSL colour of the hue (read as unsigned), saturation 1.0, lightness 0.5.
  Color color() const;
};

}  // namespace vn
