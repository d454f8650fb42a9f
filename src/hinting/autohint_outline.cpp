// Autohinter: the outline as it streams in, cut into nearly axis-parallel segments.
#include <cmath>

#include "hinting/autohint_glyph.h"
#include "model/layer.h"

namespace vn {

namespace {

constexpr size_t kReservedLines = 500;
constexpr size_t kReservedPoints = 1024;
constexpr double kAxisSlope = 0.08;     // |cross component| of a unit direction below this
constexpr double kPlainFactor = 1.3;    // reach of a segment made at a joint or line
constexpr double kExtremumFactor = 2.3; // reach at a curve extremum

int sign(double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

}  // namespace

AddReplaceCommand::AddReplaceCommand(Layer* layer) : layer_(layer) {
  if (!layer_) return;
  layer_->replacements.clear();
  layer_->hints.clear();
}

void AddReplaceCommand::hint(double position, double width, uint8_t horizontal) {
  if (!layer_) return;
  Hint h;
  h.position = position;
  h.width = width;
  h.horizontal = horizontal;
  layer_->hints.push_back(h);
}

void AddReplaceCommand::replaceCommand(int32_t kind, int32_t hintIndex) {
  if (layer_) layer_->replacements.push_back(ReplacementRecord{kind, hintIndex, -1, std::string()});
}

AutohintGlyph::AutohintGlyph(const AutohintOptions& options, Transfer* target)
    : target_(target), options_(options) {
  linesH_.reserve(kReservedLines);
  linesV_.reserve(kReservedLines);
  segmentsH_.reserve(kReservedLines);
  segmentsV_.reserve(kReservedLines);
  ghosts_.reserve(kReservedLines);
}

bool AutohintGlyph::beginLayer(const Layer&, uint8_t, uint8_t, int32_t) {
  linesH_.clear();
  linesV_.clear();
  segmentsH_.clear();
  segmentsV_.clear();
  ghosts_.clear();
  hintsH_.clear();
  hintsV_.clear();
  points_.clear();
  points_.reserve(kReservedPoints);
  outlineBox_ = Rect{};
  segmentBox_ = Rect{};
  return true;
}

void AutohintGlyph::hint(double position, double width, uint8_t horizontal) {
  if (!collecting_) return;
  Hint h;
  h.position = position;
  h.width = width;
  h.horizontal = horizontal != 0 ? 1 : 0;
  (horizontal != 0 ? hintsH_ : hintsV_).push_back(h);
}

void AutohintGlyph::metric(int32_t id, double value) {
  if (id == 0) unitsPerEm_ = value;
}

void AutohintGlyph::zone(double position, double width, uint8_t kind, int32_t a, int32_t b, const Zone&,
                         const StepMap&) {
  if (a != 0 && b == 0) zones_.push_back(AutohintZone{std::string(), position, width, kind});
}

void AutohintGlyph::addPoint(Vec p, uint8_t start) {
  // Grow by half again before the store runs full.
  if (points_.size() == points_.capacity()) points_.reserve(points_.capacity() + points_.capacity() / 2 + 1);
  points_.push_back(AutohintPoint{p.x, p.y, start});
  outlineBox_.add(p.x, p.y);
}

void AutohintGlyph::addSegment(bool vertical, double position, double from, double to, bool exact) {
  (vertical ? segmentsV_ : segmentsH_).push_back(AutohintSegment{position, from, to, exact ? uint8_t{1} : uint8_t{0}});
  if (vertical) {
    segmentBox_.add(position, from);
    segmentBox_.add(position, to);
  } else {
    segmentBox_.add(from, position);
    segmentBox_.add(to, position);
  }
}

bool AutohintGlyph::joinTest(bool flag, Vec next, Vec after) {
  if (!afterCurve_) return false;
  bool extremum = false;
  const Vec a{point_.x - prev2_.x, point_.y - prev2_.y};
  const Vec b{next.x - point_.x, next.y - point_.y};
  const bool collinear = std::fabs(a.x) + std::fabs(a.y) + std::fabs(b.x) + std::fabs(b.y) >
                         1.9 * std::fabs(a.x * b.y - b.x * a.y);
  if (flag && collinear) {
    const Vector w = Vector{next.x - prev2_.x, next.y - prev2_.y}.normalized();
    if (w.x == 0 && w.y != 0) {
      extremum = sign(point_.x - prev1_.x) == sign(point_.x - after.x);
    } else if (w.y == 0 && w.x != 0) {
      extremum = sign(point_.y - prev1_.y) == sign(point_.y - after.y);
    }
  }
  if (!(point_ == prev2_)) {
    const Vec d{point_.x - prev2_.x, point_.y - prev2_.y};
    const Vector u = Vector{d.x, d.y}.normalized();
    const double k = extremum ? kExtremumFactor : kPlainFactor;
    if (std::fabs(u.x) < kAxisSlope && u.y != 0) {
      addSegment(true, point_.x, point_.y - d.y * k, point_.y, u.x == 0);
    } else if (std::fabs(u.y) < kAxisSlope && u.x != 0) {
      addSegment(false, point_.y, point_.x - d.x * k, point_.x, u.y == 0);
    }
  }
  return extremum;
}

// The segment leaving `from` toward a control point.
void AutohintGlyph::tangent(Vec from, Vec toward, double k) {
  if (toward == from) return;
  const Vec d{toward.x - from.x, toward.y - from.y};
  const Vector u = Vector{d.x, d.y}.normalized();
  if (std::fabs(u.x) < kAxisSlope && u.y != 0) {
    addSegment(true, from.x, from.y, from.y + d.y * k, u.x == 0);
  } else if (std::fabs(u.y) < kAxisSlope && u.x != 0) {
    addSegment(false, from.y, from.x, from.x + d.x * k, u.y == 0);
  }
}

void AutohintGlyph::lineSegment(Vec a, Vec b, LineMode mode) {
  if (a == b) return;
  const Vector u = Vector{b.x - a.x, b.y - a.y}.normalized();
  if (std::fabs(u.x) < kAxisSlope && u.y != 0) {
    if (mode == LineMode::Centred) addSegment(true, (a.x + b.x) / 2, a.y, b.y, u.x == 0);
    else addSegment(true, b.x, b.y - (b.y - a.y) * kPlainFactor, b.y, u.x == 0);
  } else if (std::fabs(u.y) < kAxisSlope && u.x != 0) {
    if (mode == LineMode::Centred) addSegment(false, (a.y + b.y) / 2, a.x, b.x, u.y == 0);
    else addSegment(false, b.y, b.x - (b.x - a.x) * kPlainFactor, b.x, u.y == 0);
  }
}

bool AutohintGlyph::beginContour(uint8_t contourFlag, int32_t) {
  atStart_ = afterCurve_ = afterOffCurve_ = false;
  return contourFlag == 0;
}

void AutohintGlyph::moveTo(const Point& p, uint8_t) {
  start_ = point_ = firstC1_ = firstC2_ = Vec{p.x, p.y};
  closing_ = afterCurve_ = afterOffCurve_ = firstCurveSeen_ = false;
  atStart_ = true;
  addPoint(point_, 1);
}

void AutohintGlyph::lineTo(const Point& p, uint8_t) {
  const Vec to{p.x, p.y};
  joinTest(false, to, to);
  lineSegment(point_, to, afterOffCurve_ ? LineMode::Backward : LineMode::Centred);
  point_ = to;
  atStart_ = afterCurve_ = afterOffCurve_ = false;
  addPoint(to, 0);
  closing_ = false;
}

void AutohintGlyph::offCurve(const Point& p, uint8_t) {
  const Vec to{p.x, p.y};
  joinTest(false, to, to);
  tangent(point_, to, kPlainFactor);
  afterOffCurve_ = true;
  afterCurve_ = atStart_ = false;
  addPoint(to, 0);
  closing_ = false;
}

void AutohintGlyph::curveTo(const Point& c1p, const Point& c2p, const Point& pp, uint8_t) {
  const Vec c1{c1p.x, c1p.y}, c2{c2p.x, c2p.y}, p{pp.x, pp.y};
  const bool extremum = joinTest(true, c1, c2);
  tangent(point_, c1, extremum ? kExtremumFactor : kPlainFactor);
  if (atStart_) {
    firstC1_ = c1;
    firstC2_ = c2;
    firstCurveSeen_ = true;
  }
  afterCurve_ = true;
  atStart_ = afterOffCurve_ = false;
  prev1_ = c1;
  prev2_ = c2;
  point_ = p;
  addPoint(c1, 0);
  addPoint(c2, 0);
  if (closing_) outlineBox_.add(p.x, p.y);
  else addPoint(p, 0);
  closing_ = false;
}

void AutohintGlyph::endContour() {
  if (point_ == start_) {
    joinTest(firstCurveSeen_, firstC1_, firstC2_);
  } else {
    joinTest(false, start_, start_);
    lineSegment(point_, start_, afterOffCurve_ ? LineMode::Backward : LineMode::Centred);
  }
  closing_ = false;
}

}  // namespace vn
