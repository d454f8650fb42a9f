#include "model/bbox_engine.h"

#include <cmath>

namespace vn {

namespace {

// Roots in (0, 1) of a t^2 + b t + c = 0 (a linear equation when a is 0).
int unitRoots(double a, double b, double c, double roots[2]) {
  int count = 0;
  auto keep = [&](double t) {
    if (t > 0.0 && t < 1.0) roots[count++] = t;
  };
  if (std::fabs(a) < 1e-12) {
    if (std::fabs(b) > 1e-12) keep(-c / b);
    return count;
  }
  const double discriminant = b * b - 4.0 * a * c;
  if (discriminant < 0.0) return 0;
  const double root = std::sqrt(discriminant);
  keep((-b + root) / (2.0 * a));
  if (root > 0.0) keep((-b - root) / (2.0 * a));
  return count;
}

double cubicAt(double p0, double p1, double p2, double p3, double t) {
  const double u = 1.0 - t;
  return u * u * u * p0 + 3.0 * u * u * t * p1 + 3.0 * u * t * t * p2 + t * t * t * p3;
}

}  // namespace

bool BboxEngine::beginContour(uint8_t contourFlag, int32_t) {
  pending_ = false;
  return contourFlag == 0;
}

void BboxEngine::moveTo(const Point& p, uint8_t) {
  box_.add(p);
  last_ = p;
  start_ = p;
  pending_ = false;
}

void BboxEngine::lineTo(const Point& p, uint8_t) {
  if (pending_) addQuadratic(last_, pendingPoint_, p);
  box_.add(p);
  last_ = p;
  pending_ = false;
}

void BboxEngine::offCurve(const Point& p, uint8_t) {
  if (pending_) {
    const Point mid{(pendingPoint_.x + p.x) / 2.0, (pendingPoint_.y + p.y) / 2.0};
    addQuadratic(last_, pendingPoint_, mid);
    box_.add(mid);
    last_ = mid;
  }
  pendingPoint_ = p;
  pending_ = true;
}

void BboxEngine::curveTo(const Point& c1, const Point& c2, const Point& p, uint8_t) {
  addCubic(last_, c1, c2, p);
  box_.add(p);
  last_ = p;
  pending_ = false;
}

void BboxEngine::endContour() {
  // A contour that ends on a quadratic off-curve point closes back to its start through it.
  if (pending_) addQuadratic(last_, pendingPoint_, start_);
  pending_ = false;
}

void BboxEngine::addQuadratic(const Point& p0, const Point& c, const Point& p2) {
  const Point c1{(p0.x + 2.0 * c.x) / 3.0, (p0.y + 2.0 * c.y) / 3.0};
  const Point c2{(p2.x + 2.0 * c.x) / 3.0, (p2.y + 2.0 * c.y) / 3.0};
  addCubic(p0, c1, c2, p2);
}

void BboxEngine::addCubic(const Point& p0, const Point& c1, const Point& c2, const Point& p3) {
  box_.add(p3);
  // Derivative of the cubic per axis: 3 (a t^2 + b t + c).
  const double ax = -p0.x + 3.0 * c1.x - 3.0 * c2.x + p3.x;
  const double bx = 2.0 * (p0.x - 2.0 * c1.x + c2.x);
  const double cx = c1.x - p0.x;
  const double ay = -p0.y + 3.0 * c1.y - 3.0 * c2.y + p3.y;
  const double by = 2.0 * (p0.y - 2.0 * c1.y + c2.y);
  const double cy = c1.y - p0.y;
  double roots[2];
  int count = unitRoots(ax, bx, cx, roots);
  for (int i = 0; i < count; ++i) {
    const double t = roots[i];
    box_.add(Point{cubicAt(p0.x, c1.x, c2.x, p3.x, t), cubicAt(p0.y, c1.y, c2.y, p3.y, t)});
  }
  count = unitRoots(ay, by, cy, roots);
  for (int i = 0; i < count; ++i) {
    const double t = roots[i];
    box_.add(Point{cubicAt(p0.x, c1.x, c2.x, p3.x, t), cubicAt(p0.y, c1.y, c2.y, p3.y, t)});
  }
}

}  // namespace vn
