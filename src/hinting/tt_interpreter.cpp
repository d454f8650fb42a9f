#include "hinting/tt_interpreter.h"

#include <cmath>
#include <set>

#include "model/hint.h"
#include "model/numbers.h"

namespace vn {

namespace {

// Two PostScript stem edges match a point within one font unit.
constexpr double kPointTolerance = 1.0;
// Weight of the distance along the stem direction against the distance between points.
constexpr double kEdgeWeight = 10000.0;
// A ghost stem of this width has only its upper edge on a point; the other ghost width
// only its lower edge.
constexpr double kGhostUpperWidth = -20.0;

int32_t toF26Dot6(double coordinate) { return clampToInt32(int64_t{saturateInt32(coordinate)} * 64); }

double fromF26Dot6(int32_t value) { return value / 64.0; }

std::map<int32_t, int32_t> toExtras(const StepMap& steps) {
  std::map<int32_t, int32_t> extras;
  for (const auto& [size, value] : steps) extras.emplace(size, value);
  return extras;
}

std::string numberedName(const char* prefix, size_t index) {
  std::string digits = formatUnsigned(index);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
  return prefix + digits;
}

// Gives each unnamed record its numbered name; a name already taken in the same lib dict
// gets a suffix so that no two entries share a key.
template <class Record>
void nameRecords(std::vector<Record>& list, const char* prefix, std::set<std::string>& taken) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (!list[i].name.empty()) continue;
    std::string name = numberedName(prefix, i);
    for (size_t suffix = 1; taken.count(name) != 0; ++suffix) {
      name = numberedName(prefix, i) + "." + formatUnsigned(suffix);
    }
    taken.insert(name);
    list[i].name = name;
  }
}

template <class Record>
void collectNames(const std::vector<Record>& list, std::set<std::string>& taken) {
  for (const auto& record : list) {
    if (!record.name.empty()) taken.insert(record.name);
  }
}

template <class Record>
int32_t findByName(const std::string& name, const std::vector<Record>& list) {
  if (name.empty()) return -1;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].name == name) return static_cast<int32_t>(i);
  }
  return -1;
}

}  // namespace

bool ttInterpreter::beginContour(uint8_t, int32_t) { return true; }
bool ttInterpreter::beginElement(const Element&, int32_t, bool) { return true; }
bool ttInterpreter::beginLayer(const Layer&, uint8_t, uint8_t, int32_t) { return true; }

void ttInterpreter::addPoint(const Point& p, bool onCurve, bool start) {
  points_.push_back(ttPoint{toF26Dot6(p.x), toF26Dot6(p.y), static_cast<uint8_t>(onCurve),
                            static_cast<uint8_t>(start)});
  box_.add(p);
}

void ttInterpreter::moveTo(const Point& p, uint8_t) { addPoint(p, true, true); }
void ttInterpreter::lineTo(const Point& p, uint8_t) { addPoint(p, true, false); }
void ttInterpreter::offCurve(const Point& p, uint8_t) { addPoint(p, false, false); }

void ttInterpreter::curveTo(const Point& c1, const Point& c2, const Point& p, uint8_t) {
  addPoint(c1, false, false);
  addPoint(c2, false, false);
  addPoint(p, true, false);
}

void ttInterpreter::pointName(const std::string& name) {
  pointNames_[name] = static_cast<int32_t>(points_.size());
}

void ttInterpreter::metric(int32_t id, double value) {
  if (id != 0) return;
  unitsPerEmValue_ = value;
  unitsPerEm_ = roundToInt32(value);
}

void ttInterpreter::stem(double width, int32_t horizontal, int32_t second, const Stem& record,
                         const StepMap& steps) {
  if (second != 0) return;
  ttStem entry{record.name, width, toExtras(stemRoundingFromSteps(steps))};
  (horizontal ? stemsH_ : stemsV_).push_back(std::move(entry));
}

void ttInterpreter::zone(double position, double width, uint8_t kind, int32_t a, int32_t,
                         const Zone& record, const StepMap& steps) {
  if (a != 0) return;
  const uint8_t top = kind != 0 ? 1 : 0;
  ttZone entry{record.name, position, width, top, toExtras(steps)};
  (top ? topZones_ : bottomZones_).push_back(std::move(entry));
}

bool ttInterpreter::beginGlyph() {
  clearProgram();
  points_.reserve(kReservedPoints);
  box_ = Rect{};
  return true;
}

void ttInterpreter::clearProgram() {
  program_.clear();
  points_.clear();
  pairsH_.clear();
  pairsV_.clear();
  pointNames_.clear();
  resolver_ = PointResolver{};
}

bool ttInterpreter::clearZonesAndStems() {
  stemsH_.clear();
  stemsV_.clear();
  topZones_.clear();
  bottomZones_.clear();
  return true;
}

std::unique_ptr<ttCommand> ttInterpreter::createCommand(int32_t code) const {
  return makeTtCommand(code);
}

void ttInterpreter::addCommand(std::unique_ptr<ttCommand> command) {
  if (command) program_.push_back(std::move(command));
}

int32_t ttInterpreter::findStem(const std::string& name, const std::vector<ttStem>& list) {
  return findByName(name, list);
}

int32_t ttInterpreter::findZone(const std::string& name, const std::vector<ttZone>& list) {
  return findByName(name, list);
}

int32_t ttInterpreter::nearestPoint(double coordinate, bool horizontal, double& distance) const {
  int32_t best = -1;
  distance = -1.0;
  for (size_t i = 0; i < points_.size(); ++i) {
    const ttPoint& p = points_[i];
    if (!p.onCurve) continue;
    const double d = std::fabs(fromF26Dot6(horizontal ? p.y : p.x) - coordinate);
    if (best < 0 || d < distance) {
      best = static_cast<int32_t>(i);
      distance = d;
    }
  }
  return best;
}

void ttInterpreter::hint(double position, double width, uint8_t horizontal) {
  Hint stemHint;
  stemHint.position = position;
  stemHint.width = width;
  stemHint.horizontal = horizontal;
  double e1 = 0.0;
  double e2 = 0.0;
  const bool ghost = stemHint.edges(e1, e2);
  if (ghost) e2 = e1;

  double distance = 0.0;
  int32_t i = nearestPoint(e1, horizontal != 0, distance);
  if (i < 0 || distance > kPointTolerance) {
    std::swap(e1, e2);
    i = nearestPoint(e1, horizontal != 0, distance);
    if (i < 0 || distance > kPointTolerance) return;
  }

  ttPointPair pair;
  if (ghost) {
    pair = {i, width == kGhostUpperWidth ? -2 : -1};
  } else {
    int32_t j = nearestPoint(e2, horizontal != 0, distance);
    if (j < 0 || distance > kPointTolerance) {
      pair = {i, e1 > e2 ? -2 : -1};
    } else {
      auto coordinateOf = [&](const ttPoint& p) { return fromF26Dot6(horizontal ? p.y : p.x); };
      // Best on-curve point other than `other` near `edge`, nearest to `anchor` first.
      auto refine = [&](int32_t other, int32_t anchor, double edge, int32_t fallback) {
        int32_t best = -1;
        double bestCost = 0.0;
        const ttPoint& a = points_[anchor];
        for (size_t k = 0; k < points_.size(); ++k) {
          const ttPoint& p = points_[k];
          if (!p.onCurve || static_cast<int32_t>(k) == other) continue;
          const double along = std::fabs(coordinateOf(p) - edge);
          if (along > kPointTolerance) continue;
          const double cost = std::hypot(fromF26Dot6(p.x) - fromF26Dot6(a.x),
                                         fromF26Dot6(p.y) - fromF26Dot6(a.y)) +
                              kEdgeWeight * along;
          if (best < 0 || cost < bestCost) {
            best = static_cast<int32_t>(k);
            bestCost = cost;
          }
        }
        return best < 0 ? fallback : best;
      };
      j = refine(i, i, e2, j);
      i = refine(j, j, e1, i);
      pair = {i, j};
    }
  }

  auto& pairs = horizontal ? pairsH_ : pairsV_;
  for (const auto& existing : pairs) {
    if (existing == pair) return;
  }
  pairs.push_back(pair);
}

void ttInterpreter::nameZonesAndStems() {
  std::set<std::string> zoneNames;
  collectNames(topZones_, zoneNames);
  collectNames(bottomZones_, zoneNames);
  nameRecords(topZones_, "top", zoneNames);
  nameRecords(bottomZones_, "bottom", zoneNames);

  std::set<std::string> stemNames;
  collectNames(stemsH_, stemNames);
  collectNames(stemsV_, stemNames);
  nameRecords(stemsH_, "h", stemNames);
  nameRecords(stemsV_, "v", stemNames);
}

int32_t ttInterpreter::fitStem(int32_t stemParam, int32_t measured, bool alongX) const {
  const auto& stems = alongX ? stemsV_ : stemsH_;
  if (stemParam < 0 || static_cast<size_t>(stemParam) >= stems.size()) return stemParam;
  const int64_t w = saturateInt32(stems[stemParam].width * 64.0);
  const int64_t d = std::llabs(int64_t{measured});
  const bool fits = d != 0 && std::llabs(d - w) <= std::min(w, d);
  return fits ? stemParam : -1;
}

ttInterpreter& sharedTtInterpreter() {
  static ttInterpreter interpreter;
  return interpreter;
}

}  // namespace vn
