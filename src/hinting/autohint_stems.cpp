// Autohinter: stems and ghost stems found from the outline's segments.
#include <algorithm>
#include <cmath>

#include "hinting/autohint_glyph.h"

namespace vn {

namespace {

constexpr double kToleranceRatio = 12.0 / 1000.0;  // line tolerance per unit of the em
constexpr double kGridCells = 255.0;
constexpr size_t kReservedHints = 300;
constexpr double kGhostOffset = 21.0;

int sign(double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

enum class PairClass { Good, Narrow, Wide };

struct Limits {
  double minWidth;
  double maxWidth;
  double maxRatio;
};

bool pairs(const AutohintLine& a, const AutohintLine& b) {
  return sign(a.length) != sign(b.length) && a.sharesCell(b);
}

PairClass classify(const AutohintLine& a, const AutohintLine& b, const Limits& limits) {
  const double w = std::fabs(a.position - b.position);
  const double m = std::trunc(std::max(std::fabs(a.length), std::fabs(b.length)));
  if (w > limits.maxWidth) return PairClass::Wide;
  if (w < limits.minWidth) return PairClass::Narrow;
  if (m == 0 || w / m > limits.maxRatio) return PairClass::Wide;
  return PairClass::Good;
}

// Cell of a grid coordinate, rounded half away from zero and kept within the grid.
int cellOf(double v) {
  if (!(v > -1e6)) return -1;
  if (!(v < 1e6)) return 1000000;
  return static_cast<int>(std::round(v));
}

}  // namespace

bool AutohintLine::sharesCell(const AutohintLine& other) const {
  for (size_t i = 0; i < coverage.size(); ++i)
    if (coverage[i] & other.coverage[i]) return true;
  return false;
}

void AutohintGlyph::addToLines(std::vector<AutohintLine>& lines, const AutohintSegment& segment, double scale,
                               double offset) {
  AutohintLine* line = nullptr;
  for (AutohintLine& candidate : lines) {
    if (candidate.length != 0 && std::fabs(candidate.position - segment.position) < tolerance_ &&
        sign(candidate.length) == sign(segment.from - segment.to)) {
      line = &candidate;
      if (std::fabs(segment.from - segment.to) > std::fabs(line->length)) line->position = segment.position;
      if (!segment.exact) line->exact = 0;
      break;
    }
  }
  if (!line) {
    lines.push_back(AutohintLine{{}, segment.position, segment.exact, 0.0});
    line = &lines.back();
  }
  int lo = cellOf(segment.from * scale + offset);
  int hi = cellOf(segment.to * scale + offset);
  if (lo > hi) std::swap(lo, hi);
  const int first = std::max(std::min(lo + 1, 255), 0);
  const int last = std::max(std::min(hi - 1, 255), 0);
  if (first < last)
    for (int cell = first; cell <= last; ++cell) line->set(cell);
  line->length += segment.to - segment.from;
}

void AutohintGlyph::addStem(const AutohintLine& a, const AutohintLine& b, bool horizontal) {
  Hint h;
  h.position = a.position;
  h.width = b.position - a.position;
  h.horizontal = horizontal ? 1 : 0;
  if (h.width < 0) h.reverse();
  std::vector<Hint>& list = horizontal ? hintsH_ : hintsV_;
  if (std::find(list.begin(), list.end(), h) == list.end()) list.push_back(h);
}

void AutohintGlyph::walk(const std::vector<AutohintLine>& lines, bool horizontal) {
  const double em = unitsPerEm_ / 1000.0;
  const Limits limits = horizontal
      ? Limits{options_.minWidthH * em, options_.maxWidthH * em, options_.maxRatioH}
      : Limits{options_.minWidthV * em, options_.maxWidthV * em, options_.maxRatioV};
  const int count = static_cast<int>(lines.size());
  auto pairAfter = [&](int from, int a) {
    for (int i = from + 1; i < count; ++i)
      if (pairs(lines[static_cast<size_t>(a)], lines[static_cast<size_t>(i)])) return i;
    return -1;
  };
  auto pairBefore = [&](int from, int a) {
    for (int i = from - 1; i >= 0; --i)
      if (pairs(lines[static_cast<size_t>(a)], lines[static_cast<size_t>(i)])) return i;
    return -1;
  };
  auto next = [&](int a) {
    for (int i = a + 1; i < count; ++i)
      if (sign(lines[static_cast<size_t>(i)].length) == sign(lines[static_cast<size_t>(a)].length)) return i;
    return count;
  };
  auto previous = [&](int a) {
    for (int i = a - 1; i >= 0; --i)
      if (sign(lines[static_cast<size_t>(i)].length) == sign(lines[static_cast<size_t>(a)].length)) return i;
    return -1;
  };
  auto at = [&](int i) -> const AutohintLine& { return lines[static_cast<size_t>(i)]; };

  int a = 0;
  int b = count > 0 ? pairAfter(0, 0) : -1;
  while (a < count - 1 && b >= 0) {
    switch (classify(at(a), at(b), limits)) {
      case PairClass::Good:
        addStem(at(a), at(b), horizontal);
        a = next(a);
        b = a < count ? pairAfter(a, a) : -1;
        break;
      case PairClass::Narrow:
        b = pairAfter(b, a);
        break;
      case PairClass::Wide:
        a = next(a);
        b = a < count ? pairAfter(a, a) : -1;
        break;
    }
  }
  a = count - 1;
  b = count > 0 ? pairBefore(a, a) : -1;
  while (a > 0 && b >= 0) {
    switch (classify(at(a), at(b), limits)) {
      case PairClass::Good:
        addStem(at(a), at(b), horizontal);
        a = previous(a);
        b = a >= 1 ? pairBefore(a, a) : -1;
        break;
      case PairClass::Narrow:
        b = pairBefore(b, a);
        break;
      case PairClass::Wide:
        a = previous(a);
        b = a >= 1 ? pairBefore(a, a) : -1;
        break;
    }
  }
}

void AutohintGlyph::findStemsOf(bool horizontal, bool vertical) {
  tolerance_ = unitsPerEm_ * kToleranceRatio;
  if (outlineBox_.empty || outlineBox_.xMax < outlineBox_.xMin || outlineBox_.yMax < outlineBox_.yMin) return;
  const bool segmentsUsable = segmentBox_.isValid();
  const double w = segmentsUsable ? segmentBox_.xMax - segmentBox_.xMin : 0.0;
  const double h = segmentsUsable ? segmentBox_.yMax - segmentBox_.yMin : 0.0;
  const double xMin = segmentsUsable ? segmentBox_.xMin : 0.0;
  const double yMin = segmentsUsable ? segmentBox_.yMin : 0.0;
  // A box of no width or height maps every coordinate to cell 0.
  grid_ = Matrix{w > 0 ? kGridCells / w : 0.0, 0, 0, h > 0 ? kGridCells / h : 0.0, 0, 0};
  grid_.e = -xMin * grid_.a;
  grid_.f = -yMin * grid_.d;

  zones_.push_back(AutohintZone{std::string(), outlineBox_.yMin, 1.0, 0});
  zones_.push_back(AutohintZone{std::string(), outlineBox_.yMax, 1.0, 1});
  hintsH_.reserve(std::max(hintsH_.capacity(), kReservedHints));
  hintsV_.reserve(std::max(hintsV_.capacity(), kReservedHints));

  if (vertical)
    for (const AutohintSegment& s : segmentsV_) addToLines(linesV_, s, grid_.d, grid_.f);
  if (horizontal)
    for (const AutohintSegment& s : segmentsH_) addToLines(linesH_, s, grid_.a, grid_.e);

  const double em = unitsPerEm_ / 1000.0;
  const double minV = options_.minLengthV * em, minH = options_.minLengthH * em;
  std::erase_if(linesV_, [&](const AutohintLine& l) { return std::fabs(l.length) < minV; });
  std::erase_if(linesH_, [&](const AutohintLine& l) { return std::fabs(l.length) < minH; });
  for (const AutohintLine& line : linesH_) {
    if (!line.exact) continue;
    for (size_t z = 0; z < zones_.size(); ++z) {
      if (zones_[z].contains(line.position)) {
        ghosts_.push_back(AutohintGhost{static_cast<int32_t>(z), line.position});
        break;
      }
    }
  }
  // A position that is not a number sorts last, keeping the order strict.
  auto key = [](double p) { return std::isnan(p) ? HUGE_VAL : p; };
  auto byPosition = [&](const AutohintLine& a, const AutohintLine& b) { return key(a.position) < key(b.position); };
  std::stable_sort(linesV_.begin(), linesV_.end(), byPosition);
  std::stable_sort(linesH_.begin(), linesH_.end(), byPosition);

  if (vertical) {
    walk(linesV_, false);
    if (target_)
      for (const Hint& hint : hintsV_) target_->hint(hint.position, hint.width, 0);
  }
  if (horizontal) {
    walk(linesH_, true);
    for (const AutohintGhost& ghost : ghosts_) {
      const bool onHint = std::any_of(hintsH_.begin(), hintsH_.end(), [&](const Hint& hint) {
        return ghost.position == hint.position || ghost.position == hint.position + hint.width;
      });
      if (onHint) continue;
      Hint hint;
      const bool top = zones_[static_cast<size_t>(ghost.zone)].top != 0;
      hint.position = top ? ghost.position : ghost.position + kGhostOffset;
      hint.width = top ? kAutohintTopGhost : kAutohintBottomGhost;
      hint.horizontal = 1;
      if (std::find(hintsH_.begin(), hintsH_.end(), hint) == hintsH_.end()) hintsH_.push_back(hint);
    }
    if (target_)
      for (const Hint& hint : hintsH_) target_->hint(hint.position, hint.width, 1);
  }
  zones_.pop_back();
  if (horizontal && vertical) buildReplacement(nullptr);
}

}  // namespace vn
