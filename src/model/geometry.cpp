#include "model/geometry.h"

#include <cmath>

#include "model/transfer.h"

namespace vn {

namespace {
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kTwoPi = 6.283185307179586;
}  // namespace

void Point::transform(const Matrix& m) {
  if (m.isIdentity()) return;
  *this = m.map(*this);
}

double Vector::length() const { return std::sqrt(x * x + y * y); }

Vector Vector::normalized() const {
  const double squared = x * x + y * y;
  if (squared == 0.0) return Vector{};
  const double length = std::sqrt(squared);
  return Vector{x / length, y / length};
}

bool Vector::nearlyParallel(const Vector& u, const Vector& w) {
  return std::fabs(u.x) + std::fabs(u.y) + std::fabs(w.x) + std::fabs(w.y) >
         1.9 * std::fabs(u.x * w.y - w.x * u.y);
}

Matrix Matrix::multiply(const Matrix& m) const {
  Matrix r;
  r.a = a * m.a + b * m.c;
  r.b = a * m.b + b * m.d;
  r.c = c * m.a + d * m.c;
  r.d = c * m.b + d * m.d;
  r.e = e * m.a + f * m.c + m.e;
  r.f = e * m.b + f * m.d + m.f;
  return r;
}

void Matrix::multiplyInPlace(const Matrix& m) { *this = multiply(m); }

double Matrix::angle() const {
  if (a == 0.0) return 0.0;
  return std::atan(c / a) * kDegreesPerRadian;
}

Point Matrix::map(const Point& p) const {
  if (isIdentity()) return p;
  return Point{a * p.x + c * p.y + e, b * p.x + d * p.y + f};
}

void Matrix::transfer(Transfer& consumer) const { consumer.transform(*this); }

void Rect::add(const Point& p) {
  if (empty || isInverted()) {
    xMin = xMax = p.x;
    yMin = yMax = p.y;
    empty = false;
    return;
  }
  if (p.x < xMin) xMin = p.x;
  if (p.x > xMax) xMax = p.x;
  if (p.y < yMin) yMin = p.y;
  if (p.y > yMax) yMax = p.y;
}

void Rect::unite(const Rect& other) {
  // A box that holds no point adds nothing; taking its zero bounds would pull every
  // union out to the origin (an empty element, an empty component glyph).
  if (!other.isValid()) return;
  if (!empty && !isInverted()) {
    if (other.xMin < xMin) xMin = other.xMin;
    if (other.yMin < yMin) yMin = other.yMin;
    if (other.xMax > xMax) xMax = other.xMax;
    if (other.yMax > yMax) yMax = other.yMax;
  } else {
    *this = other;
  }
}

void Rect::transform(const Matrix& m) {
  if (m.isIdentity() || empty || isInverted()) return;
  if (m.b == 0.0 && m.c == 0.0) {
    const Point lo = m.map(xMin, yMin);
    const Point hi = m.map(xMax, yMax);
    xMin = std::fmin(lo.x, hi.x);
    xMax = std::fmax(lo.x, hi.x);
    yMin = std::fmin(lo.y, hi.y);
    yMax = std::fmax(lo.y, hi.y);
    return;
  }
  const Point corners[4] = {m.map(xMin, yMin), m.map(xMax, yMax), m.map(xMin, yMax), m.map(xMax, yMin)};
  Rect box;
  for (const Point& p : corners) box.add(p);
  *this = box;
}

Rect Rect::transformed(const Matrix& m) const {
  Rect copy = *this;
  copy.transform(m);
  return copy;
}

void Rect::grow(double g) {
  if (empty || isInverted()) return;
  xMin -= g;
  yMin -= g;
  xMax += g;
  yMax += g;
}

void Color::toHsv(double r, double g, double b, double& hue, double& saturation, double& value) {
  const double max = std::fmax(r, std::fmax(g, b));
  const double min = std::fmin(r, std::fmin(g, b));
  value = max;
  if (max == 0.0) {
    saturation = 0.0;
    hue = -1.0;
    return;
  }
  const double delta = max - min;
  saturation = delta / max;
  if (delta == 0.0) {
    // A grey has no hue.
    hue = 0.0;
    return;
  }
  if (r == max) {
    hue = (g - b) / delta;
  } else if (g == max) {
    hue = (b - r) / delta + 2.0;
  } else {
    hue = (r - g) / delta + 4.0;
  }
  hue *= 60.0;
  if (hue < 0.0) hue += 360.0;
}

double Color::hue() const {
  double h = 0, s = 0, v = 0;
  toHsv(red, green, blue, h, s, v);
  return h / 360.0;
}

namespace {
double hslChannel(double p, double q, double t) {
  if (t < 0.0) t += 1.0;
  if (t > 1.0) t -= 1.0;
  if (6.0 * t < 1.0) return p + (q - p) * 6.0 * t;
  if (2.0 * t < 1.0) return q;
  if (3.0 * t < 2.0) return p + (q - p) * (2.0 / 3.0 - t) * 6.0;
  return p;
}
}  // namespace

Color Color::fromHsl(double hue, double saturation, double lightness) {
  if (saturation == 0.0) return Color{lightness, lightness, lightness};
  const double q = saturation + lightness - saturation * lightness;
  const double p = 2.0 * lightness - q;
  return Color{hslChannel(p, q, hue + 1.0 / 3.0), hslChannel(p, q, hue), hslChannel(p, q, hue - 1.0 / 3.0)};
}

double vectorAngle(double x0, double y0, double x1, double y1) {
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  if (dx == 0.0 && dy == 0.0) return 0.0;
  double angle = std::atan2(dy, dx);
  if (angle < 0.0) angle += kTwoPi;
  return angle;
}

bool lineIntersection(double x0, double y0, double x1, double y1, double s0, double t0, double s1,
                      double t1, Point& out) {
  const double dyP = y0 - y1;
  const double dxP = x1 - x0;
  const double dyQ = t0 - t1;
  const double dxQ = s1 - s0;
  const double cP = x0 * y1 - x1 * y0;
  const double cQ = s0 * t1 - s1 * t0;
  const double det = dxQ * dyP - dyQ * dxP;
  if (!(std::fabs(det) >= 1e-9)) return false;
  out.x = -(dxQ * cP - cQ * dxP) / det;
  out.y = -(cQ * dyP - cP * dyQ) / det;
  return true;
}

}  // namespace vn
