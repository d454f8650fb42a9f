// Autohinter: overlap test of a layer's hint sets and the hint sets built along the outline.
#include <unordered_set>

#include "hinting/autohint_glyph.h"
#include "model/layer.h"

namespace vn {

namespace {

constexpr size_t kReservedIndices = 1000;
constexpr int32_t kKindH = 1;
constexpr int32_t kKindV = 2;
constexpr int32_t kKindEnd = 3;

bool sameEdges(const Hint& a, const Hint& b) {
  double alo = 0, ahi = 0, blo = 0, bhi = 0;
  a.edges(alo, ahi);
  b.edges(blo, bhi);
  return alo == blo && ahi == bhi;
}

// True when two valid entries of one list name overlapping hints.
bool listConflict(const std::vector<int32_t>& list, const std::vector<Hint>& hints) {
  std::vector<int32_t> valid;
  for (int32_t i : list)
    if (i >= 0 && static_cast<size_t>(i) < hints.size()) valid.push_back(i);
  for (size_t i = 0; i < valid.size(); ++i)
    for (size_t j = i + 1; j < valid.size(); ++j)
      if (hints[static_cast<size_t>(valid[i])].overlaps(hints[static_cast<size_t>(valid[j])])) return true;
  return false;
}

}  // namespace

bool AutohintGlyph::conflict(const std::vector<int32_t>& h, const std::vector<int32_t>& v) const {
  return listConflict(h, hintsH_) || listConflict(v, hintsV_);
}

bool AutohintGlyph::analyse(Layer* layer) {
  if (!layer) return false;
  collecting_ = true;
  layer->transfer(*this);
  std::vector<int32_t> h, v;
  h.reserve(kReservedIndices);
  v.reserve(kReservedIndices);
  if (layer->replacements.empty()) {
    for (size_t i = 0; i < hintsH_.size(); ++i) h.push_back(static_cast<int32_t>(i));
    for (size_t i = 0; i < hintsV_.size(); ++i) v.push_back(static_cast<int32_t>(i));
    return conflict(h, v);
  }
  // The layer's entries name hints by their place in the layer's hint list; the sets are
  // tested with places within each direction.
  std::vector<int32_t> within(layer->hints.size(), -1);
  int32_t countH = 0, countV = 0;
  for (size_t i = 0; i < layer->hints.size(); ++i)
    within[i] = layer->hints[i].horizontal != 0 ? countH++ : countV++;
  auto place = [&](int32_t index, bool horizontal) {
    if (index < 0 || static_cast<size_t>(index) >= within.size()) return -1;
    return (layer->hints[static_cast<size_t>(index)].horizontal != 0) == horizontal ? within[static_cast<size_t>(index)] : -1;
  };
  for (const ReplacementRecord& entry : layer->replacements) {
    if (entry.kind == kKindH) {
      h.push_back(place(entry.index, true));
    } else if (entry.kind == kKindV) {
      v.push_back(place(entry.index, false));
    } else if (entry.kind == kKindEnd) {
      if (conflict(h, v)) return true;
      h.clear();
      v.clear();
    }
  }
  return conflict(h, v);
}

void AutohintGlyph::autohint(Layer* layer) {
  if (!analyse(layer)) return;
  AddReplaceCommand receiver(layer);
  buildReplacement(&receiver);
}

const Hint& AutohintGlyph::hintOf(int32_t kind, int32_t index) const {
  return (kind == kKindH ? hintsH_ : hintsV_)[static_cast<size_t>(index)];
}

bool AutohintGlyph::onEdge(int32_t point, const Hint& hint, int32_t kind) const {
  if (point < 0 || static_cast<size_t>(point) >= points_.size()) return false;
  const AutohintPoint& p = points_[static_cast<size_t>(point)];
  const double c = kind == kKindH ? p.y : p.x;
  double lo = 0, hi = 0;
  hint.edges(lo, hi);
  return c == lo || c == hi;
}

bool AutohintGlyph::sameEdgesInSet(int32_t kind, const Hint& hint) const {
  for (const AutohintEntry& e : set_)
    if (e.kind == kind && sameEdges(hintOf(kind, e.index), hint)) return true;
  return false;
}

bool AutohintGlyph::offer(int32_t index, int32_t kind, bool replace) {
  const Hint& h = hintOf(kind, index);
  AutohintEntry* overlapping = nullptr;
  for (AutohintEntry& e : set_) {
    if (e.kind == kind && hintOf(kind, e.index).overlaps(h)) {
      overlapping = &e;
      break;
    }
  }
  if (!overlapping) {
    set_.push_back(AutohintEntry{kind, index, -1, std::string()});
    return true;
  }
  if (!replace) return false;
  bool edgeHere = false;
  for (const AutohintEntry& e : set_)
    if (e.kind == kind && onEdge(current_, hintOf(kind, e.index), kind)) edgeHere = true;
  if (!edgeHere) return false;
  const Hint& old = hintOf(kind, overlapping->index);
  for (int32_t p = current_ - 1; p >= setStart_; --p)
    if (onEdge(p, old, kind)) return true;
  for (int32_t p = current_ + 1; p < pointCount_; ++p) {
    if (onEdge(p, old, kind)) break;
    if (onEdge(p, h, kind)) {
      overlapping->index = index;
      return true;
    }
  }
  // Neither walk decides: the entry keeps its hint.
  return true;
}

void AutohintGlyph::closeSet() {
  for (int32_t kind : {kKindH, kKindV}) {
    const std::vector<Hint>& hints = kind == kKindH ? hintsH_ : hintsV_;
    for (size_t i = 0; i < hints.size(); ++i) {
      if (sameEdgesInSet(kind, hints[i])) continue;
      bool overlaps = false;
      for (const AutohintEntry& e : set_)
        if (e.kind == kind && hintOf(kind, e.index).overlaps(hints[i])) overlaps = true;
      if (!overlaps) set_.push_back(AutohintEntry{kind, static_cast<int32_t>(i), -1, std::string()});
    }
  }
  output_.insert(output_.end(), set_.begin(), set_.end());
  set_.clear();
  output_.push_back(AutohintEntry{kKindEnd, current_, -1, std::string()});
}

void AutohintGlyph::visitPoint(int32_t u) {
  current_ = u;
  if (u < 0 || static_cast<size_t>(u) >= points_.size()) return;
  for (int32_t kind : {kKindH, kKindV}) {
    const std::vector<Hint>& hints = kind == kKindH ? hintsH_ : hintsV_;
    const std::vector<uint8_t>& hasPoint = kind == kKindH ? pointOnEdgeH_ : pointOnEdgeV_;
    for (size_t i = 0; i < hints.size(); ++i) {
      if (!onEdge(u, hints[i], kind) || sameEdgesInSet(kind, hints[i])) continue;
      if (offer(static_cast<int32_t>(i), kind, true)) continue;
      replacementNeeded_ = true;
      closeSet();
      setStart_ = u;
      // The fresh set takes this point's hints; one revisit is enough for that.
      if (visitDepth_ == 0) {
        ++visitDepth_;
        visitPoint(u);
        --visitDepth_;
      }
      current_ = u;
    }
    for (size_t i = 0; i < hints.size(); ++i) {
      // (Outside buildReplacement the per-hint flags are unknown: nothing is offered.)
      if (i >= hasPoint.size() || hasPoint[i] || sameEdgesInSet(kind, hints[i])) continue;
      offer(static_cast<int32_t>(i), kind, false);
    }
  }
}

void AutohintGlyph::buildReplacement(Transfer* receiver) {
  setStart_ = 1;
  replacementNeeded_ = false;
  set_.clear();
  output_.clear();
  pointCount_ = static_cast<int32_t>(points_.size());
  // Which hints have an outline point on an edge: one pass over the points per direction.
  for (int32_t kind : {kKindH, kKindV}) {
    std::unordered_set<double> coordinates;
    for (const AutohintPoint& p : points_) coordinates.insert(kind == kKindH ? p.y : p.x);
    const std::vector<Hint>& hints = kind == kKindH ? hintsH_ : hintsV_;
    std::vector<uint8_t>& hasPoint = kind == kKindH ? pointOnEdgeH_ : pointOnEdgeV_;
    hasPoint.assign(hints.size(), 0);
    for (size_t i = 0; i < hints.size(); ++i) {
      double lo = 0, hi = 0;
      hints[i].edges(lo, hi);
      hasPoint[i] = coordinates.count(lo) != 0 || coordinates.count(hi) != 0;
    }
  }
  int32_t b = 0;
  for (int32_t u = 0; u < pointCount_; ++u) {
    if (points_[static_cast<size_t>(u)].start && u != b) {
      visitPoint(b);
      b = u;
    }
    visitPoint(u);
  }
  if (pointCount_ > 0 && pointCount_ - 1 != b) visitPoint(b);
  if (receiver) {
    for (const Hint& h : hintsV_) receiver->hint(h.position, h.width, 0);
    for (const Hint& h : hintsH_) receiver->hint(h.position, h.width, 1);
  }
  if (!replacementNeeded_) return;
  closeSet();
  output_.pop_back();
  Transfer* to = receiver ? receiver : target_;
  if (!to) return;
  const int32_t verticalCount = static_cast<int32_t>(hintsV_.size());
  for (const AutohintEntry& e : output_) to->replaceCommand(e.kind, e.kind == kKindH ? e.index + verticalCount : e.index);
}

}  // namespace vn
