#include "layout/kerning_classes_engine.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace otl {

namespace {

bool onSide(uint32_t groupSide, uint32_t wanted) { return groupSide == wanted || groupSide == vn::kSideBoth; }

}  // namespace

GivenGroupsEngine::GivenGroupsEngine(const vn::KerningGroupMap& groups) {
  std::map<uint32_t, std::vector<uint32_t>> holding[2];
  for (const auto& [id, group] : groups) {
    groups_.push_back(Group{id, group.side, std::vector<uint32_t>(group.glyphs.begin(), group.glyphs.end())});
    const auto number = static_cast<uint32_t>(groups_.size());
    for (uint32_t glyph : group.glyphs) {
      if (onSide(group.side, vn::kSideFirst)) holding[0][glyph].push_back(number);
      if (onSide(group.side, vn::kSideSecond)) holding[1][glyph].push_back(number);
    }
  }
  std::set<uint32_t> glyphs;
  for (const auto& side : holding)
    for (const auto& entry : side) glyphs.insert(entry.first);
  glyphSlot_.assign(glyphs.begin(), glyphs.end());
  for (int s = 0; s < 2; ++s) {
    byGlyph_[s].resize(glyphSlot_.size());
    for (auto& [glyph, numbers] : holding[s]) {
      const size_t slot = std::lower_bound(glyphSlot_.begin(), glyphSlot_.end(), glyph) - glyphSlot_.begin();
      byGlyph_[s][slot] = std::move(numbers);
    }
  }
}

const std::vector<uint32_t>* GivenGroupsEngine::groupsHolding(uint32_t glyph, uint32_t side) const {
  const auto found = std::lower_bound(glyphSlot_.begin(), glyphSlot_.end(), glyph);
  if (found == glyphSlot_.end() || *found != glyph) return nullptr;
  return &byGlyph_[side == vn::kSideFirst ? 0 : 1][found - glyphSlot_.begin()];
}

// The pairs of one value. Each glyph's qualifying groups depend only on its own
// partners, so after an emission only the glyphs that lost partners are matched again.
class ValueRun {
 public:
  ValueRun(const GivenGroupsEngine& engine, double value) : engine_(engine), value_(value), counts_(engine.count() + 1) {}

  void add(uint32_t first, uint32_t second) {
    firstTo_[first].insert(second);
    secondTo_[second].insert(first);
    dirty_[0].insert(first);
    dirty_[1].insert(second);
  }

  void run(vn::FontKerning& out) {
    for (;;) {
      refresh(firstTo_, firstMatch_, dirty_[0], vn::kSideSecond);
      refresh(secondTo_, secondMatch_, dirty_[1], vn::kSideFirst);
      collectCandidates();
      const KerningCandidate* best = bestCandidate();
      if (!best) break;
      emit(*best, out);
    }
    for (const auto& [first, seconds] : firstTo_)
      for (uint32_t second : seconds) out.setGlyphPair(first, second, value_, true);
  }

 private:
  struct Match {
    std::vector<uint32_t> groups;
    int32_t outside = 0, size = 0;
  };
  using Partners = std::map<uint32_t, std::set<uint32_t>>;

  // Groups of the side wholly inside the partners, the largest only (so the fewest outside).
  Match matchGroups(const std::set<uint32_t>& partners, uint32_t side) {
    Match result;
    if (partners.size() < 2) return result;
    touched_.clear();
    for (uint32_t glyph : partners) {
      const auto* numbers = engine_.groupsHolding(glyph, side);
      if (!numbers) continue;
      for (uint32_t n : *numbers)
        if (counts_[n]++ == 0) touched_.push_back(n);
    }
    std::sort(touched_.begin(), touched_.end());
    for (uint32_t n : touched_) {
      const auto size = static_cast<int32_t>(engine_.members(n).size());
      if (size >= 2 && counts_[n] == static_cast<uint32_t>(size)) {
        if (size > result.size) result.groups.clear();
        if (size >= result.size) {
          result.size = size;
          result.groups.push_back(n);
        }
      }
      counts_[n] = 0;
    }
    result.outside = static_cast<int32_t>(partners.size()) - result.size;
    return result;
  }

  void refresh(const Partners& partners, std::map<uint32_t, Match>& matches, std::set<uint32_t>& dirty,
               uint32_t side) {
    for (uint32_t glyph : dirty) {
      const auto found = partners.find(glyph);
      Match match;
      if (found != partners.end()) match = matchGroups(found->second, side);
      if (match.groups.empty()) matches.erase(glyph);
      else matches[glyph] = std::move(match);
    }
    dirty.clear();
  }

  void collectCandidates() {
    candidates_.clear();
    std::map<std::pair<uint32_t, uint32_t>, size_t> index;
    auto addAll = [&](const std::map<uint32_t, Match>& matches, uint32_t direction) {
      for (const auto& [glyph, match] : matches) {
        for (uint32_t n : match.groups) {
          auto [it, added] = index.emplace(std::make_pair(n, direction), candidates_.size());
          if (added) {
            candidates_.push_back(KerningCandidate{n, direction, {glyph}, match.outside, match.size});
            continue;
          }
          KerningCandidate& c = candidates_[it->second];
          c.matched.push_back(glyph);
          if (match.size > c.groupSize || (match.size == c.groupSize && match.outside < c.outsideCount)) {
            c.groupSize = match.size;
            c.outsideCount = match.outside;
          }
        }
      }
    };
    addAll(firstMatch_, 1);
    addAll(secondMatch_, 0);
  }

  const KerningCandidate* bestCandidate() const {
    const KerningCandidate* best = nullptr;
    for (const auto& c : candidates_) {
      if (!best || c.groupSize > best->groupSize ||
          (c.groupSize == best->groupSize &&
           (c.outsideCount < best->outsideCount ||
            (c.outsideCount == best->outsideCount && c.matched.size() > best->matched.size()))))
        best = &c;
    }
    return best;
  }

  void emit(const KerningCandidate& best, vn::FontKerning& out) {
    const bool groupSecond = best.direction == 1;
    const std::set<uint32_t> matched(best.matched.begin(), best.matched.end());
    const Match opposite = matchGroups(matched, groupSecond ? vn::kSideFirst : vn::kSideSecond);
    const auto groupSide = vn::KerningSide::ofClass(engine_.groupId(best.group));
    const std::vector<uint32_t>& groupMembers = engine_.members(best.group);
    std::vector<uint32_t> others;
    if (!opposite.groups.empty()) {
      const uint32_t h = opposite.groups.front();
      const auto otherSide = vn::KerningSide::ofClass(engine_.groupId(h));
      if (groupSecond) out.setPair(otherSide, groupSide, value_, false);
      else out.setPair(groupSide, otherSide, value_, false);
      others = engine_.members(h);
    } else {
      for (uint32_t glyph : best.matched) {
        if (groupSecond) out.setPair(vn::KerningSide::ofGlyph(glyph), groupSide, value_, false);
        else out.setPair(groupSide, vn::KerningSide::ofGlyph(glyph), value_, false);
      }
      others = best.matched;
    }
    for (uint32_t other : others)
      for (uint32_t member : groupMembers) {
        if (groupSecond) remove(other, member);
        else remove(member, other);
      }
  }

  void remove(uint32_t first, uint32_t second) {
    auto f = firstTo_.find(first);
    if (f != firstTo_.end() && f->second.erase(second) && f->second.empty()) firstTo_.erase(f);
    auto s = secondTo_.find(second);
    if (s != secondTo_.end() && s->second.erase(first) && s->second.empty()) secondTo_.erase(s);
    dirty_[0].insert(first);
    dirty_[1].insert(second);
  }

  const GivenGroupsEngine& engine_;
  double value_;
  Partners firstTo_, secondTo_;
  std::map<uint32_t, Match> firstMatch_, secondMatch_;
  std::set<uint32_t> dirty_[2];
  std::vector<uint32_t> counts_, touched_;
  std::vector<KerningCandidate> candidates_;
};

void GivenGroupsEngine::processPairs(const std::vector<KerningPair>& pairs, vn::FontKerning& out) const {
  std::map<double, std::vector<std::pair<uint32_t, uint32_t>>> buckets;
  for (const auto& p : pairs) {
    if (std::isfinite(p.value)) buckets[p.value].emplace_back(p.first, p.second);  // NaN would break the order
  }
  for (const auto& [value, bucket] : buckets) {
    ValueRun run(*this, value);
    for (const auto& [first, second] : bucket) run.add(first, second);
    run.run(out);
  }
}

void convertKerningToGivenGroups(const vn::FontKerning& kerning, vn::FontKerning& out,
                                 const vn::KerningGroupMap& groups) {
  std::vector<vn::GlyphPairValue> flat;
  (void)kerning.expandPairs(flat);
  std::vector<KerningPair> pairs;
  pairs.reserve(flat.size());
  for (const auto& p : flat) pairs.push_back({p.first, p.second, p.value});
  GivenGroupsEngine(groups).processPairs(pairs, out);
  out.replaceGroups(groups);
}

}  // namespace otl
