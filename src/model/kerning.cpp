#include "model/kerning.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "layout/registry/glyph_name_registry.h"
#include "model/numbers.h"

namespace vn {

namespace {

// A value this close to an integer is stored as that integer.
constexpr double kSnapTolerance = 1e-5;

double snapValue(double value) {
  const double rounded = vn::round(value);
  return std::fabs(value - rounded) < kSnapTolerance ? rounded : value;
}

// The glyphs a side stands for, looked up once: itself, or the members of its class
// (none for an unknown class).
class SideGlyphs {
 public:
  SideGlyphs(const KerningSide& side, const KerningGroups& groups) {
    if (!side.isClass()) {
      glyph_ = side.glyph;
      size_ = 1;
    } else if (const KerningGlyphGroup* group = groups.find(side.klass)) {
      members_ = &group->glyphs;
      size_ = members_->size();
    }
  }

  uint64_t size() const { return size_; }
  // Appends the glyphs to `out`, ascending.
  void appendTo(std::vector<GlyphId>& out) const {
    if (members_) {
      out.insert(out.end(), members_->begin(), members_->end());
    } else if (size_ == 1) {
      out.push_back(glyph_);
    }
  }

 private:
  GlyphId glyph_ = 0;
  const GlyphIdSet* members_ = nullptr;
  uint64_t size_ = 0;
};

// One glyph combination of a pair; `pair` indexes the pairs that expandPairs keeps.
struct Combination {
  GlyphId first = 0;
  GlyphId second = 0;
  uint32_t pair = 0;
};

// Moves `from` into `to` ordered by one glyph of each combination, keeping the order
// of equal ones. `starts` has one slot more than the largest glyph id + 1.
void countingPass(const std::vector<Combination>& from, std::vector<Combination>& to, std::vector<size_t>& starts,
                  GlyphId Combination::*glyph) {
  std::fill(starts.begin(), starts.end(), 0);
  for (const Combination& combination : from) ++starts[combination.*glyph + 1];
  for (size_t at = 1; at < starts.size(); ++at) starts[at] += starts[at - 1];
  for (const Combination& combination : from) to[starts[combination.*glyph]++] = combination;
}

// Sorts by (first, second), keeping the order of equal combinations. Glyph ids are
// dense (the registry gives them out from 1), so two counting passes - by second, then
// by first - do it in linear time; ids far beyond the data's size fall back to a
// comparison sort. `largest` is the largest glyph id in them.
void sortByGlyphs(std::vector<Combination>& combinations, GlyphId largest) {
  constexpr uint64_t kSmallIdRange = 65536;
  if (uint64_t{largest} >= 2 * uint64_t{combinations.size()} + kSmallIdRange) {
    std::stable_sort(combinations.begin(), combinations.end(), [](const Combination& x, const Combination& y) {
      return x.first != y.first ? x.first < y.first : x.second < y.second;
    });
    return;
  }
  std::vector<Combination> scratch(combinations.size());
  std::vector<size_t> starts(size_t{largest} + 2);
  countingPass(combinations, scratch, starts, &Combination::second);
  countingPass(scratch, combinations, starts, &Combination::first);
}

// Rank of a pair in the UFO kerning look-up, which tries glyph-glyph, then
// glyph-class, then class-glyph, then class-class.
int lookupRank(const KerningPairKey& key) {
  return (key.first.isClass() ? 0 : 2) + (key.second.isClass() ? 0 : 1);
}

// Work allowed for deciding whether one 0 with a class side is an exception. Past
// it the 0 is kept: a stored 0 never changes the kerning, it only may be redundant.
constexpr uint64_t kZeroCheckSteps = 1024;

// True when the two sides stand for at least one common glyph; each glyph looked
// up costs one step of `steps`.
bool sidesOverlap(const KerningSide& a, const KerningSide& b, const KerningGroups& groups, uint64_t& steps) {
  ++steps;
  if (!a.isClass()) return b.covers(a.glyph, groups);
  if (!b.isClass()) return a.covers(b.glyph, groups);
  const KerningGlyphGroup* groupA = groups.find(a.klass);
  const KerningGlyphGroup* groupB = groups.find(b.klass);
  if (!groupA || !groupB) return false;
  if (groupA->glyphs.size() > groupB->glyphs.size()) std::swap(groupA, groupB);
  for (GlyphId member : groupA->glyphs) {
    if (groupB->contains(member)) return true;
    if (++steps > kZeroCheckSteps) return true;
  }
  return false;
}

// True when a 0 at `key` is real kerning: a stored pair that the look-up consults
// after `key` gives a value to one of key's glyph combinations, which the 0 then
// cancels (or the check ran out of steps). Such pairs always have a class first
// side (key itself has a class side), so each first class is visited once and its
// pairs are looked at only when it overlaps key's first side.
bool consultedAfterOverlaps(const KerningPairMap& pairs, const KerningGroups& groups,
                            const KerningPairKey& key) {
  const int rank = lookupRank(key);
  if (rank == 0) return false;
  uint64_t steps = 0;
  auto it = pairs.lower_bound({KerningSide::ofClass(0), KerningSide::ofGlyph(0)});
  while (it != pairs.end()) {
    const KerningSide firstClass = it->first.first;
    if (sidesOverlap(firstClass, key.first, groups, steps)) {
      for (auto run = it; run != pairs.end() && run->first.first == firstClass; ++run) {
        if (lookupRank(run->first) < rank && sidesOverlap(run->first.second, key.second, groups, steps)) return true;
        if (steps > kZeroCheckSteps) return true;
      }
    }
    if (steps > kZeroCheckSteps) return true;
    if (firstClass.klass == std::numeric_limits<GlyphId>::max()) break;
    it = pairs.lower_bound({KerningSide::ofClass(firstClass.klass + 1), KerningSide::ofGlyph(0)});
  }
  return false;
}

}  // namespace

std::string KerningSide::name() const { return otl::glyphNameOf(id()); }

bool KerningSide::covers(GlyphId glyphId, const KerningGroups& groups) const {
  if (!isClass()) return glyph == glyphId;
  const KerningGlyphGroup* group = groups.find(klass);
  return group && group->contains(glyphId);
}

GlyphId FontKerning::defineGroup(const std::string& name, const GlyphIdList& members, uint32_t side,
                                 const std::string& keyGlyph) {
  // Id 0 means "no glyph"; a class cannot live there.
  const GlyphId id = otl::glyphIdByName(name);
  if (id == 0) return 0;
  KerningGlyphGroup& group = groups.groupFor(id);
  group.glyphs.clear();
  for (GlyphId member : members) {
    if (member != 0) group.glyphs.insert(member);
  }
  group.setKeyGlyph(keyGlyph);
  group.side = side;
  return id;
}

GlyphId FontKerning::defineGroupFromSet(const std::string& name, const GlyphIdSet& members,
                                        uint32_t side, const std::string& keyGlyph) {
  return defineGroup(name, GlyphIdList(members.begin(), members.end()), side, keyGlyph);
}

void FontKerning::setPair(const KerningSide& first, const KerningSide& second, double value,
                          bool overwrite) {
  if (first.isClass() || second.isClass()) {
    setPairCovered(first, second, value, overwrite,
                   value == 0 && consultedAfterOverlaps(pairs, groups, KerningPairKey{first, second}));
  } else {
    setPairCovered(first, second, value, overwrite,
                   value == 0 && classPairCovers(first.glyph, second.glyph));
  }
}

void FontKerning::setPairCovered(const KerningSide& first, const KerningSide& second, double value,
                                 bool overwrite, bool covered) {
  if (!std::isfinite(value)) return;
  const KerningPairKey key{first, second};
  if (value == 0) {
    // A 0 under a less specific pair is an exception that cancels that pair's
    // value for the glyphs they share; any other 0 pair is just gone.
    if (covered) {
      pairs[key] = 0;
    } else {
      pairs.erase(key);
    }
    return;
  }
  const double snapped = snapValue(value);
  auto [at, inserted] = pairs.try_emplace(key, snapped);
  if (!inserted && overwrite) at->second = snapped;
}

bool FontKerning::coveredFrom(const KerningSide& firstSide, GlyphId second, uint64_t* steps) const {
  // Only pairs with a class side can cover: after a glyph first side, the class
  // second sides, which sort after the glyph ones.
  const KerningSide from = firstSide.isClass() ? KerningSide::ofGlyph(0) : KerningSide::ofClass(0);
  for (auto it = pairs.lower_bound({firstSide, from}); it != pairs.end() && it->first.first == firstSide; ++it) {
    if (it->first.second.covers(second, groups)) return true;
    if (steps && ++*steps > kZeroCheckSteps) return true;
  }
  return false;
}

bool FontKerning::classPairCovers(GlyphId first, GlyphId second) const {
  // Bounded like the class-zero check: out of steps the answer is yes, which keeps a
  // 0 that may be redundant but never changes a kerning value.
  uint64_t steps = 0;
  if (coveredFrom(KerningSide::ofGlyph(first), second, &steps)) return true;
  // Each first class once, skipping the pairs of classes that do not hold `first`.
  auto it = pairs.lower_bound({KerningSide::ofClass(0), KerningSide::ofGlyph(0)});
  while (it != pairs.end()) {
    const KerningSide firstClass = it->first.first;
    if (firstClass.covers(first, groups) && coveredFrom(firstClass, second, &steps)) return true;
    if (++steps > kZeroCheckSteps) return true;
    if (firstClass.klass == std::numeric_limits<GlyphId>::max()) break;
    it = pairs.lower_bound({KerningSide::ofClass(firstClass.klass + 1), KerningSide::ofGlyph(0)});
  }
  return false;
}

void FontKerning::setGlyphPair(GlyphId first, GlyphId second, double value, bool overwrite) {
  if (first == 0 || second == 0) return;
  setPair(KerningSide::ofGlyph(first), KerningSide::ofGlyph(second), value, overwrite);
}

void FontKerning::setGlyphPairs(const std::vector<GlyphPairValue>& glyphPairs, bool overwrite) {
  // Glyph pairs never change which class pairs there are, so the first classes that
  // hold each glyph are found once for the whole batch.
  std::map<GlyphId, std::vector<GlyphId>> firstClassesOf;
  auto it = pairs.lower_bound({KerningSide::ofClass(0), KerningSide::ofGlyph(0)});
  while (it != pairs.end()) {
    const GlyphId klass = it->first.first.klass;
    if (const KerningGlyphGroup* group = groups.find(klass)) {
      for (GlyphId member : group->glyphs) firstClassesOf[member].push_back(klass);
    }
    if (klass == std::numeric_limits<GlyphId>::max()) break;
    it = pairs.lower_bound({KerningSide::ofClass(klass + 1), KerningSide::ofGlyph(0)});
  }
  auto covered = [&](GlyphId first, GlyphId second) {
    if (coveredFrom(KerningSide::ofGlyph(first), second)) return true;
    auto classes = firstClassesOf.find(first);
    if (classes == firstClassesOf.end()) return false;
    for (GlyphId klass : classes->second) {
      if (coveredFrom(KerningSide::ofClass(klass), second)) return true;
    }
    return false;
  };
  for (const GlyphPairValue& pair : glyphPairs) {
    if (pair.first == 0 || pair.second == 0) continue;
    setPairCovered(KerningSide::ofGlyph(pair.first), KerningSide::ofGlyph(pair.second), pair.value,
                   overwrite, pair.value == 0 && covered(pair.first, pair.second));
  }
}

bool FontKerning::expandPairs(std::vector<GlyphPairValue>& out, uint64_t limit) const {
  out.clear();
  // Glyph pairs always fit (they are stored already); the class pairs share
  // what is left of the limit, handed out from the last pair back.
  uint64_t glyphPairs = 0;
  for (const auto& [key, value] : pairs) {
    if (!key.first.isClass() && !key.second.isClass()) ++glyphPairs;
  }
  uint64_t budget = glyphPairs < limit ? limit - glyphPairs : 0;
  bool complete = true;
  struct KeptPair {
    const KerningPairMap::value_type* entry;
    SideGlyphs first;
    SideGlyphs second;
  };
  std::vector<KeptPair> kept;
  uint64_t combinationCount = 0;
  for (auto it = pairs.rbegin(); it != pairs.rend(); ++it) {
    const KerningPairKey& key = it->first;
    KeptPair pair{&*it, SideGlyphs(key.first, groups), SideGlyphs(key.second, groups)};
    const uint64_t combinations = pair.first.size() * pair.second.size();
    if (key.first.isClass() || key.second.isClass()) {
      if (combinations > budget) {
        complete = false;
        continue;
      }
      budget -= combinations;
    }
    combinationCount += combinations;
    kept.push_back(pair);
  }
  // Of the pairs that cover a glyph combination, the first in key order gives its
  // value: a glyph pair before the class pairs, a glyph-class pair before a class-glyph
  // one. The combinations are listed in key order (`kept` runs backwards) and sorted
  // stably, so the winner of each glyph pair comes first among its equals.
  std::vector<Combination> combinations;
  combinations.reserve(combinationCount);
  std::vector<GlyphId> firstGlyphs;
  std::vector<GlyphId> secondGlyphs;
  GlyphId largest = 0;
  for (size_t at = kept.size(); at-- > 0;) {
    firstGlyphs.clear();
    secondGlyphs.clear();
    kept[at].first.appendTo(firstGlyphs);
    kept[at].second.appendTo(secondGlyphs);
    if (firstGlyphs.empty() || secondGlyphs.empty()) continue;
    // Both lists ascend.
    largest = std::max({largest, firstGlyphs.back(), secondGlyphs.back()});
    const auto pair = static_cast<uint32_t>(at);
    for (GlyphId first : firstGlyphs) {
      for (GlyphId second : secondGlyphs) combinations.push_back({first, second, pair});
    }
  }
  sortByGlyphs(combinations, largest);
  out.reserve(combinations.size());
  for (size_t i = 0; i < combinations.size(); ++i) {
    const Combination& combination = combinations[i];
    if (i > 0 && combination.first == combinations[i - 1].first && combination.second == combinations[i - 1].second)
      continue;
    out.push_back({combination.first, combination.second, kept[combination.pair].entry->second});
  }
  return complete;
}

bool FontKerning::flatGlyphPairs(std::list<NamedGlyphPair>& out) const {
  out.clear();
  std::vector<GlyphPairValue> expanded;
  const bool complete = expandPairs(expanded);
  for (const GlyphPairValue& pair : expanded) {
    out.push_back({otl::glyphNameOf(pair.first), otl::glyphNameOf(pair.second), pair.value});
  }
  return complete;
}

uint32_t FontKerning::expandedPairCount() const {
  constexpr uint64_t kLimit = std::numeric_limits<uint32_t>::max();
  uint64_t total = 0;
  for (const auto& [key, value] : pairs) {
    total += SideGlyphs(key.first, groups).size() * SideGlyphs(key.second, groups).size();
    if (total >= kLimit) return static_cast<uint32_t>(kLimit);
  }
  return static_cast<uint32_t>(total);
}

void FontKerning::usedGroupIds(std::set<GlyphId>& out) const {
  for (const auto& [key, value] : pairs) {
    if (key.first.isClass()) out.insert(key.first.klass);
    if (key.second.isClass()) out.insert(key.second.klass);
  }
}

void FontKerning::usedGroups(KerningGroupMap& out) const {
  std::set<GlyphId> used;
  usedGroupIds(used);
  for (GlyphId id : used) {
    if (const KerningGlyphGroup* group = groups.find(id)) out[id] = *group;
  }
}

void FontKerning::mergeGroups(const KerningGroupMap& source) {
  for (const auto& [id, group] : source) groups.groups.try_emplace(id, group);
}

void FontKerning::replaceGroups(const KerningGroupMap& source) {
  groups.clear();
  mergeGroups(source);
}

}  // namespace vn
