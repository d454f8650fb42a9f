// Affine matrices, points, vectors, boxes, colours and line helpers.
#pragma once

#include <cstdint>

namespace vn {

class Transfer;
struct Matrix;

struct Point {
  double x = 0.0;
  double y = 0.0;

  // Maps the point in place; nothing happens for the identity.
  void transform(const Matrix& m);
  bool operator==(const Point&) const = default;
};

struct Vector {
  double x = 0.0;
  double y = 0.0;

  double length() const;
  // Unit vector; (0, 0) when the vector has no length.
  Vector normalized() const;
  // True when u and w point (nearly) the same or opposite way.
  static bool nearlyParallel(const Vector& u, const Vector& w);
};

struct Matrix {
  double a = 1.0, b = 0.0, c = 0.0, d = 1.0, e = 0.0, f = 0.0;

  static Matrix identity() { return Matrix{}; }
  static Matrix translation(double dx, double dy) { return Matrix{1, 0, 0, 1, dx, dy}; }
  static Matrix scaling(double sx, double sy) { return Matrix{sx, 0, 0, sy, 0, 0}; }

  // Exact comparison with 1, 0, 0, 1, 0, 0.
  bool isIdentity() const { return a == 1.0 && b == 0.0 && c == 0.0 && d == 1.0 && e == 0.0 && f == 0.0; }
  // This matrix followed by m.
  Matrix multiply(const Matrix& m) const;
  void multiplyInPlace(const Matrix& m);
  // Degrees: 0 when a is exactly 0, else atan(c / a).
  double angle() const;
  Point map(const Point& p) const;
  Point map(double x, double y) const { return map(Point{x, y}); }
  // Sends the matrix to a consumer through Transfer::transform.
  void transfer(Transfer& consumer) const;

  bool operator==(const Matrix&) const = default;
};

struct Rect {
  double xMin = 0.0, yMin = 0.0, xMax = 0.0, yMax = 0.0;
  bool empty = true;

  bool isInverted() const { return xMin > xMax || yMin > yMax; }
  // True for a box that holds at least one point.
  bool isValid() const { return !empty && !isInverted(); }
  void add(const Point& p);
  void add(double x, double y) { add(Point{x, y}); }
  // Widens this box to hold the other one; a box without points adds nothing.
  void unite(const Rect& other);
  void transform(const Matrix& m);
  Rect transformed(const Matrix& m) const;
  // Widens a valid box by g on all four sides.
  void grow(double g);
};

struct Color {
  double red = 0.0, green = 0.0, blue = 0.0;

  // Hue in degrees [0, 360) (-1 for black), saturation and value in [0, 1]. A grey has
  // hue 0.
  static void toHsv(double r, double g, double b, double& hue, double& saturation, double& value);
  // Hue as a fraction of a turn, in [0, 1); 0 for greys, -1/360 for black.
  double hue() const;
  // Hue as a fraction of a turn.
  static Color fromHsl(double hue, double saturation, double lightness);
};

// Angle of the segment in radians, in [0, 2 pi); 0 for a segment without length.
double vectorAngle(double x0, double y0, double x1, double y1);

// Intersection of the infinite lines p0-p1 and q0-q1; false for (nearly) parallel lines.
bool lineIntersection(double x0, double y0, double x1, double y1, double s0, double t0, double s1,
                      double t1, Point& out);

}  // namespace vn
