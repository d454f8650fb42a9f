// Hint simulation: each command kind acting on the interpreter's F26Dot6 points.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "hinting/tt_command.h"
#include "hinting/tt_interpreter.h"

namespace vn {

namespace {

constexpr int64_t kPixel = 64;
constexpr int64_t kStemSnap = 69;        // a measured distance this close takes the stem width
constexpr int32_t kTinyDistance = 3;     // a rounded single link this short keeps no stem
constexpr int64_t kDeltaSteps = 8;       // deltas are in eighths of a pixel

int32_t clamp32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

int32_t roundNearest(int64_t v) {
  const int64_t a = std::llabs(v);
  const int64_t r = (a + kPixel / 2) & ~(kPixel - 1);
  return clamp32(v < 0 ? -r : r);
}

int sign(int64_t v) { return v < 0 ? -1 : 1; }

// The point's coordinate along x or y; null for an index outside the points.
int32_t* coordinate(std::vector<ttPoint>& points, int32_t index, bool alongX) {
  if (index < 0 || static_cast<size_t>(index) >= points.size()) return nullptr;
  ttPoint& p = points[static_cast<size_t>(index)];
  return alongX ? &p.x : &p.y;
}

void touch(ttSimulation& s, int32_t index, bool alongX) {
  if (index < 0 || static_cast<size_t>(index) >= s.touched.size()) return;
  s.touched[static_cast<size_t>(index)] |= alongX ? ttSimulation::kTouchedX : ttSimulation::kTouchedY;
}

void alignPoint(ttSimulation& s, int32_t index, int32_t align, bool alongX) {
  int32_t* c = coordinate(s.current, index, alongX);
  if (!c || align < 0) return;
  *c = ttSimulation::roundByAlign(*c, align);
  touch(s, index, alongX);
}

// Original distance point2 - point1; false when either point is missing.
bool measure(ttSimulation& s, int32_t first, int32_t second, bool alongX, int64_t& measured) {
  const int32_t* a = coordinate(s.original, first, alongX);
  const int32_t* b = coordinate(s.original, second, alongX);
  if (!a || !b) return false;
  measured = int64_t{*b} - *a;
  return true;
}

}  // namespace

int32_t ttSimulation::roundByAlign(int32_t value, int32_t align) {
  if (align < 0) return value;
  const int64_t a = std::llabs(int64_t{value});
  int64_t r = 0;
  switch (align) {
    case 1: r = a & ~(kPixel - 1); break;                          // toward zero
    case 2: r = (a + kPixel - 1) & ~(kPixel - 1); break;           // away from zero
    case 3: r = (a & ~(kPixel - 1)) + kPixel / 2; break;           // pixel centre
    case 4: r = (a + kPixel / 4) & ~(kPixel / 2 - 1); break;       // half-pixel grid
    default: r = (a + kPixel / 2) & ~(kPixel - 1); break;          // nearest
  }
  return clamp32(value < 0 ? -r : r);
}

int32_t ttSimulation::linkDistance(int32_t measured, int32_t stem, bool alongX) const {
  const int64_t d = std::llabs(int64_t{measured});
  const auto& widths = alongX ? verticalStemPixels : horizontalStemPixels;
  if (stem >= 0 && static_cast<size_t>(stem) < widths.size()) {
    const int64_t w = int64_t{widths[static_cast<size_t>(stem)]} * kPixel;
    if (std::llabs(d - w) < kStemSnap) return clamp32(w);
  } else if (stem == -1) {
    return clamp32(d);
  }
  return std::max<int32_t>(roundNearest(d), static_cast<int32_t>(kPixel));
}

void ttCommandAlignZone::execute(ttInterpreter& interpreter) {
  ttSimulation& s = interpreter.simulation();
  const auto& zones = code == ttCode::kAlignTop ? s.topZonePixels : s.bottomZonePixels;
  int32_t* y = coordinate(s.current, param(0), false);
  const int32_t zone = param(1);
  if (!y || zone < 0 || static_cast<size_t>(zone) >= zones.size()) return;
  *y = zones[static_cast<size_t>(zone)];
  touch(s, param(0), false);
}

void ttCommandAlign::execute(ttInterpreter& interpreter) {
  alignPoint(interpreter.simulation(), param(0), param(1), isHorizontal());
}

void ttCommandSingleLink::execute(ttInterpreter& interpreter) {
  ttSimulation& s = interpreter.simulation();
  const bool alongX = isHorizontal();
  int64_t measured = 0;
  if (!measure(s, param(0), param(1), alongX, measured)) return;
  const int32_t distance = s.linkDistance(clamp32(measured), param(2), alongX);
  const int32_t from = *coordinate(s.current, param(0), alongX);
  *coordinate(s.current, param(1), alongX) = clamp32(int64_t{from} + sign(measured) * int64_t{distance});
  touch(s, param(1), alongX);
  alignPoint(s, param(1), param(3), alongX);
}

// The stem check of a link measures the outline points, as the interpreter's fit rule
// does; a rounded single link over almost no distance keeps no stem.
void ttCommandSingleLink::fitStem(ttInterpreter& interpreter) {
  const auto& points = interpreter.outlinePoints();
  const int32_t a = param(0), b = param(1);
  if (param(2) == -2 && a >= 0 && b >= 0 && static_cast<size_t>(a) < points.size() &&
      static_cast<size_t>(b) < points.size()) {
    const ttPoint& p = points[static_cast<size_t>(a)];
    const ttPoint& q = points[static_cast<size_t>(b)];
    const int64_t measured = isHorizontal() ? int64_t{q.x} - p.x : int64_t{q.y} - p.y;
    if (std::llabs(measured) < kTinyDistance) {
      params[2] = -1;
      return;
    }
  }
  if (isHorizontal()) fitStemX(interpreter);
  else fitStemY(interpreter);
}

void ttCommandDoubleLink::execute(ttInterpreter& interpreter) {
  ttSimulation& s = interpreter.simulation();
  const bool alongX = isHorizontal();
  int64_t measured = 0;
  if (!measure(s, param(0), param(1), alongX, measured)) return;
  const int64_t distance = s.linkDistance(clamp32(measured), param(2), alongX);
  int32_t* a = coordinate(s.current, param(0), alongX);
  int32_t* b = coordinate(s.current, param(1), alongX);
  // Both points move: the pair keeps its centre, the first point lands on the grid.
  const int64_t centre = (int64_t{*a} + *b) / 2;
  *a = roundNearest(centre - sign(measured) * distance / 2);
  *b = clamp32(int64_t{*a} + sign(measured) * distance);
  touch(s, param(0), alongX);
  touch(s, param(1), alongX);
}

void ttCommandDoubleLink::fitStem(ttInterpreter& interpreter) {
  if (isHorizontal()) fitStemX(interpreter);
  else fitStemY(interpreter);
}

void ttCommandInterpolate::execute(ttInterpreter& interpreter) {
  ttSimulation& s = interpreter.simulation();
  const bool alongX = isHorizontal();
  int32_t* moved = coordinate(s.current, param(0), alongX);
  const int32_t* original = coordinate(s.original, param(0), alongX);
  const int32_t* o1 = coordinate(s.original, param(1), alongX);
  const int32_t* o2 = coordinate(s.original, param(2), alongX);
  const int32_t* c1 = coordinate(s.current, param(1), alongX);
  const int32_t* c2 = coordinate(s.current, param(2), alongX);
  if (!moved || !original || !o1 || !o2 || !c1 || !c2) return;
  const double span = static_cast<double>(*o2) - *o1;
  double target = 0;
  if (span == 0) {
    target = static_cast<double>(*original) + (*c1 - static_cast<double>(*o1));
  } else {
    target = *c1 + (static_cast<double>(*original) - *o1) * (static_cast<double>(*c2) - *c1) / span;
  }
  *moved = clamp32(static_cast<int64_t>(std::round(std::clamp(target, -2e9, 2e9))));
  touch(s, param(0), alongX);
  alignPoint(s, param(0), param(3), alongX);
}

void ttCommandDelta::execute(ttInterpreter& interpreter) {
  ttSimulation& s = interpreter.simulation();
  const bool alongX = isHorizontal();
  int32_t* c = coordinate(s.current, param(0), alongX);
  if (!c || s.ppem < param(2) || s.ppem > param(3)) return;
  *c = clamp32(int64_t{*c} + int64_t{param(1)} * kPixel / kDeltaSteps);
  if (!isFinal()) touch(s, param(0), alongX);
}

}  // namespace vn
