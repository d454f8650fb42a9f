// A Transfer consumer that computes the exact box of the contours sent to it: end points
// and the extreme points of every quadratic and cubic segment.
#pragma once

#include "model/geometry.h"
#include "model/transfer.h"

namespace vn {

class BboxEngine : public Transfer {
 public:
  const Rect& box() const { return box_; }

  bool beginContour(uint8_t contourFlag, int32_t nodeCount) override;
  void moveTo(const Point& p, uint8_t flags) override;
  void lineTo(const Point& p, uint8_t flags) override;
  void offCurve(const Point& p, uint8_t flags) override;
  void curveTo(const Point& c1, const Point& c2, const Point& p, uint8_t flags) override;
  void endContour() override;

  // Adds the extremes of the cubic p0, c1, c2, p3 (p0 excluded) to the box.
  void addCubic(const Point& p0, const Point& c1, const Point& c2, const Point& p3);
  // Adds the quadratic p0, c, p2, raised to a cubic.
  void addQuadratic(const Point& p0, const Point& c, const Point& p2);

 private:
  Rect box_;
  Point last_;
  Point start_;
  bool pending_ = false;
  Point pendingPoint_;
};

}  // namespace vn
