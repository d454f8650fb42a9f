#include "model/hint.h"

#include <cmath>

#include "model/numbers.h"
#include "model/transfer.h"

namespace vn {

namespace {
bool isGhostWidth(double width) { return width == Hint::kGhostBottom || width == Hint::kGhostTop; }
}  // namespace

GuideLine guideLine(const Guide& guide, double slopeScale) {
  const double x1 = finiteOrZero(guide.x1), y1 = finiteOrZero(guide.y1);
  const double dx = finiteOrZero(guide.x2 - guide.x1);
  const double dy = finiteOrZero(guide.y2 - guide.y1);
  if (std::fabs(dx) > std::fabs(dy)) return GuideLine{true, y1 - x1 * dy / dx, dy * slopeScale / dx};
  if (dy != 0.0) return GuideLine{false, x1 - y1 * dx / dy, dx * slopeScale / dy};
  return GuideLine{false, x1, 0.0};
}

bool Hint::isGhost() const {
  if (firstPoint.empty()) return horizontal != 0 && isGhostWidth(width);
  return secondPoint.empty();
}

bool Hint::edges(double& lo, double& hi) const {
  if (horizontal != 0 && width == kGhostBottom) {
    lo = hi = position;
    return true;
  }
  if (horizontal != 0 && width == kGhostTop) {
    lo = hi = position + width;
    return true;
  }
  if (width >= 0) {
    lo = position;
    hi = position + width;
  } else {
    lo = position + width;
    hi = position;
  }
  return false;
}

double Hint::top() const {
  if (isGhost()) return width == kGhostTop ? position + width : position;
  return width >= 0 ? position + width : position;
}

double Hint::bottom() const {
  if (isGhost()) return width == kGhostTop ? position + width : position;
  return width >= 0 ? position : position + width;
}

bool Hint::overlaps(const Hint& other) const {
  return other.top() >= bottom() && top() >= other.bottom();
}

void Hint::reverse() {
  if (isGhost()) return;
  if (isLink()) {
    std::swap(firstPoint, secondPoint);
    return;
  }
  position += width;
  width = -width;
}

void Hint::transform(const Matrix& m) {
  if (m.isIdentity()) return;
  if (horizontal != 0) {
    const bool ghost = isGhost();
    position = m.d * position + m.f;
    if (!ghost) width = m.d * width;
  } else {
    position = m.a * position + m.e;
    width = m.a * width;
  }
}

Hint Hint::transformed(const Matrix& m) const {
  Hint copy = *this;
  copy.transform(m);
  return copy;
}

bool Hint::operator==(const Hint& other) const {
  if (firstPoint.empty()) return position == other.position && width == other.width;
  return !other.firstPoint.empty() && firstPoint == other.firstPoint && secondPoint == other.secondPoint;
}

void Hint::transfer(Transfer& consumer) const { consumer.hint(position, width, horizontal); }

Color PointLink::color() const {
  return Color::fromHsl(static_cast<double>(static_cast<uint32_t>(hue)), 1.0, 0.5);
}

}  // namespace vn
