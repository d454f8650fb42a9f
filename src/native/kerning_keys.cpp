#include "native/kerning_keys.h"

#include <map>
#include <set>
#include <vector>

#include "layout/registry/glyph_name_registry.h"
#include "native/limits.h"

namespace qtf {

namespace {

using vn::GlyphId;
using vn::KerningSide;

constexpr int kSides = 2;  // 0: first side of a pair, 1: second side

uint32_t sideBit(int side) { return side == 0 ? vn::kSideFirst : vn::kSideSecond; }

// The value the source gives one glyph combination: of the pairs that cover it, the
// first in key order wins (as when the pairs are expanded).
class EffectiveValues {
 public:
  explicit EffectiveValues(const vn::FontKerning& source, const std::map<GlyphId, uint32_t>& usage)
      : source_(source) {
    for (const auto& [id, used] : usage) {
      const vn::KerningGlyphGroup* group = source.groups.find(id);
      if (!group) continue;
      for (GlyphId member : group->glyphs) classesOf_[member].push_back(id);  // ascending ids
    }
  }

  // False when no pair covers the combination.
  bool valueOf(GlyphId first, GlyphId second, double& value) const {
    std::vector<KerningSide> firsts = sidesOf(first);
    std::vector<KerningSide> seconds = sidesOf(second);
    for (const KerningSide& a : firsts) {
      for (const KerningSide& b : seconds) {
        const auto found = source_.pairs.find({a, b});
        if (found != source_.pairs.end()) {
          value = found->second;
          return true;
        }
      }
    }
    return false;
  }

 private:
  // The glyph itself, then its classes: ascending key order.
  std::vector<KerningSide> sidesOf(GlyphId glyph) const {
    std::vector<KerningSide> sides{KerningSide::ofGlyph(glyph)};
    const auto found = classesOf_.find(glyph);
    if (found != classesOf_.end()) {
      for (GlyphId klass : found->second) sides.push_back(KerningSide::ofClass(klass));
    }
    return sides;
  }

  const vn::FontKerning& source_;
  std::map<GlyphId, std::vector<GlyphId>> classesOf_;
};

}  // namespace

bool assignKeyGlyphs(const vn::FontKerning& source, vn::FontKerning& out, SpreadClasses* spreadOut) {
  std::set<GlyphId> glyphsOn[kSides];       // glyphs that pairs use as a glyph side
  std::map<GlyphId, uint32_t> usage;        // class -> the sides pairs use it on
  for (const auto& [key, value] : source.pairs) {
    const KerningSide* sides[kSides] = {&key.first, &key.second};
    for (int side = 0; side < kSides; ++side) {
      if (sides[side]->isClass()) usage[sides[side]->klass] |= sideBit(side);
      else glyphsOn[side].insert(sides[side]->glyph);
    }
  }
  if (usage.empty()) return false;

  SpreadClasses spread;  // classes whose pairs go over their members
  // The file keeps no pair of value 0, so an exception of 0 under a class pair cannot
  // stand in it, nor can a value that is 0 once truncated; the classes of its glyph
  // sides are spread, and then no pair is left that covers the exception's glyph
  // combinations. (A glyph pair that truncates to 0 with no class pair over it kerns
  // nothing either way.)
  std::set<GlyphId> zeroGlyphs[kSides];
  for (const auto& [key, value] : source.pairs) {
    if (fileKerningValue(value) != 0) continue;
    if (value != 0 && !key.first.isClass() && !key.second.isClass() &&
        !source.classPairCovers(key.first.glyph, key.second.glyph)) {
      continue;
    }
    if (!key.first.isClass()) zeroGlyphs[0].insert(key.first.glyph);
    if (!key.second.isClass()) zeroGlyphs[1].insert(key.second.glyph);
  }
  for (const auto& [id, used] : usage) {
    const vn::KerningGlyphGroup* group = source.groups.find(id);
    for (int side = 0; group && side < kSides; ++side) {
      if (!(used & sideBit(side))) continue;
      for (GlyphId member : group->glyphs) {
        if (zeroGlyphs[side].count(member)) {
          spread.emplace(id, SpreadReason::kZeroPair);
          break;
        }
      }
    }
  }

  std::set<GlyphId> takenKeys[kSides];
  std::map<GlyphId, GlyphId> keyOf;  // class -> its new key glyph
  for (const auto& [id, used] : usage) {
    if (spread.count(id)) continue;
    const vn::KerningGlyphGroup* group = source.groups.find(id);
    // A class on both sides would come back as two classes; one used off its side
    // would change its side.
    if (!group || group->side != used || (used != vn::kSideFirst && used != vn::kSideSecond)) {
      spread.emplace(id, SpreadReason::kBothSides);
      continue;
    }
    const int side = used == vn::kSideFirst ? 0 : 1;
    GlyphId key = 0;
    for (GlyphId member : group->glyphs) {
      if (!glyphsOn[side].count(member) && !takenKeys[side].count(member)) {
        key = member;
        break;
      }
    }
    if (key == 0) {
      spread.emplace(id, SpreadReason::kMembersKernedAlone);
      continue;
    }
    takenKeys[side].insert(key);
    keyOf.emplace(id, key);
  }
  if (spreadOut) *spreadOut = spread;
  if (keyOf.empty()) return false;

  // Members of spread classes become glyph sides; none may be a key on its side (only
  // when classes share glyphs), and the pairs they make must stay within what the file
  // may hold.
  for (const auto& [id, reason] : spread) {
    const vn::KerningGlyphGroup* group = source.groups.find(id);
    if (!group) continue;
    for (int side = 0; side < kSides; ++side) {
      if (!(usage.at(id) & sideBit(side))) continue;
      for (GlyphId member : group->glyphs) {
        if (takenKeys[side].count(member)) return false;
      }
    }
  }
  auto expand = [&](const KerningSide& side, std::vector<KerningSide>& sides) {
    sides.clear();
    if (!side.isClass() || !spread.count(side.klass)) {
      sides.push_back(side);
      return;
    }
    const vn::KerningGlyphGroup* group = source.groups.find(side.klass);
    if (!group) return;  // an unknown class covers nothing
    for (GlyphId member : group->glyphs) sides.push_back(KerningSide::ofGlyph(member));
  };
  uint64_t pairCount = 0;
  std::vector<KerningSide> firsts;
  std::vector<KerningSide> seconds;
  for (const auto& [key, value] : source.pairs) {
    expand(key.first, firsts);
    expand(key.second, seconds);
    pairCount += uint64_t{firsts.size()} * seconds.size();
    if (pairCount > kMaxWrittenGlyphPairs) return false;
  }

  // In key order the more specific pair comes first and wins. A pair that became one of
  // two glyphs has moved ahead of pairs that outranked it, so it takes the value the
  // source gives that combination.
  const EffectiveValues effective(source, usage);
  for (const auto& [key, value] : source.pairs) {
    expand(key.first, firsts);
    expand(key.second, seconds);
    const bool moved = key.first.isClass() || key.second.isClass();
    for (const KerningSide& first : firsts) {
      for (const KerningSide& second : seconds) {
        double pairValue = value;
        if (moved && !first.isClass() && !second.isClass() &&
            !effective.valueOf(first.glyph, second.glyph, pairValue)) {
          continue;
        }
        out.pairs.emplace(vn::KerningPairKey{first, second}, pairValue);
      }
    }
  }

  // Only the classes that now carry pairs keep a key: a key the pairs do not need would
  // make the next writing of a file read from this one differ.
  out.replaceGroups(source.groups.groups);
  for (auto& [id, group] : out.groups.groups) {
    const auto key = keyOf.find(id);
    if (key != keyOf.end()) group.keyGlyph = otl::glyphNameById(key->second);
    else if (group.side != vn::kSideNone) group.keyGlyph.clear();
  }
  return true;
}

}  // namespace qtf
