#include "model/kerning.h"

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

uint64_t sideSize(const KerningSide& side, const KerningGroups& groups) {
  if (!side.isClass()) return 1;
  const KerningGlyphGroup* group = groups.find(side.klass);
  return group ? group->glyphs.size() : 0;
}

// The glyphs a side stands for: itself, or the members of its class.
GlyphIdSet sideGlyphs(const KerningSide& side, const KerningGroups& groups) {
  if (!side.isClass()) return GlyphIdSet{side.glyph};
  const KerningGlyphGroup* group = groups.find(side.klass);
  return group ? group->glyphs : GlyphIdSet{};
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
  if (!std::isfinite(value)) return;
  const KerningPairKey key{first, second};
  if (value == 0) {
    if (first.isClass() || second.isClass()) {
      pairs.erase(key);
      return;
    }
    // A 0 glyph pair under a class pair is an exception that cancels the class
    // value for these two glyphs; without a covering class pair it is just gone.
    if (classPairCovers(first.glyph, second.glyph)) {
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

bool FontKerning::classPairCovers(GlyphId first, GlyphId second) const {
  // Only pairs with a class side can cover; glyph pairs are skipped by range,
  // and so are the pairs of a first class that does not hold `first`.
  const KerningSide firstGlyph = KerningSide::ofGlyph(first);
  for (auto it = pairs.lower_bound({firstGlyph, KerningSide::ofClass(0)});
       it != pairs.end() && it->first.first == firstGlyph; ++it) {
    if (it->first.second.covers(second, groups)) return true;
  }
  auto it = pairs.lower_bound({KerningSide::ofClass(0), KerningSide::ofGlyph(0)});
  while (it != pairs.end()) {
    const KerningSide firstClass = it->first.first;
    if (!firstClass.covers(first, groups)) {
      if (firstClass.klass == std::numeric_limits<GlyphId>::max()) break;
      it = pairs.lower_bound({KerningSide::ofClass(firstClass.klass + 1), KerningSide::ofGlyph(0)});
      continue;
    }
    if (it->first.second.covers(second, groups)) return true;
    ++it;
  }
  return false;
}

void FontKerning::setGlyphPair(GlyphId first, GlyphId second, double value, bool overwrite) {
  if (first == 0 || second == 0) return;
  setPair(KerningSide::ofGlyph(first), KerningSide::ofGlyph(second), value, overwrite);
}

bool FontKerning::expandPairs(std::vector<GlyphPairValue>& out, uint64_t limit) const {
  out.clear();
  std::map<std::pair<GlyphId, GlyphId>, double> expanded;
  // Glyph pairs always fit (they are stored already); the class pairs share
  // what is left of the limit.
  uint64_t glyphPairs = 0;
  for (const auto& [key, value] : pairs) {
    if (!key.first.isClass() && !key.second.isClass()) ++glyphPairs;
  }
  uint64_t budget = glyphPairs < limit ? limit - glyphPairs : 0;
  bool complete = true;
  // Class pairs first, glyph pairs last: a later, more specific pair overwrites.
  for (auto it = pairs.rbegin(); it != pairs.rend(); ++it) {
    const auto& [key, value] = *it;
    if (key.first.isClass() || key.second.isClass()) {
      const uint64_t combinations = sideSize(key.first, groups) * sideSize(key.second, groups);
      if (combinations > budget) {
        complete = false;
        continue;
      }
      budget -= combinations;
    }
    const GlyphIdSet firstGlyphs = sideGlyphs(key.first, groups);
    const GlyphIdSet secondGlyphs = sideGlyphs(key.second, groups);
    for (GlyphId a : firstGlyphs) {
      for (GlyphId b : secondGlyphs) expanded[{a, b}] = value;
    }
  }
  out.reserve(expanded.size());
  for (const auto& [glyphs, value] : expanded) out.push_back({glyphs.first, glyphs.second, value});
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
    total += sideSize(key.first, groups) * sideSize(key.second, groups);
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
