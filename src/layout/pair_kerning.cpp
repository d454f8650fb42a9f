#include "layout/pair_kerning.h"

#include <map>
#include <vector>

#include "layout/registry/glyph_name_registry.h"

namespace otl {

namespace {

const LpPairFormat2Impl* classForm(const LpPair& subtable, std::unique_ptr<LpPair>& copy) {
  if (subtable.format2) return subtable.format2.get();
  copy = std::make_unique<LpPair>(uint16_t{1});
  if (subtable.format1) copy->format1->pairs = subtable.format1->pairs;
  copy->toClassPairs();
  return copy->format2.get();
}

// Kerning sides of one class definition: a single glyph stands for itself, two or more
// for a kerning group (reused when the kerning holds one with these members).
class SideNamer {
 public:
  SideNamer(vn::FontKerning& kerning, uint32_t side, const char* prefix)
      : kerning_(kerning), side_(side), prefix_(prefix) {}

  void build(const ClassDefinitionTable& classDef) {
    std::map<uint16_t, GlyphList> members;
    const size_t count = classDef.pairCount();
    for (size_t i = 0; i < count; ++i) members[classDef.classes[i]].push_back(classDef.glyphs[i]);
    for (uint32_t glyph : classDef.class0) members[0].push_back(glyph);
    for (auto& [cls, glyphs] : members) {
      if (glyphs.empty()) continue;
      if (glyphs.size() == 1) {
        sides_.emplace(cls, vn::KerningSide::ofGlyph(glyphs.front()));
        continue;
      }
      sides_.emplace(cls, vn::KerningSide::ofClass(groupFor(glyphs)));
    }
  }
  // False for a class without glyphs.
  bool sideOf(uint16_t cls, vn::KerningSide& out) const {
    auto found = sides_.find(cls);
    if (found == sides_.end() || found->second.id() == 0) return false;
    out = found->second;
    return true;
  }

 private:
  vn::GlyphId groupFor(const GlyphList& glyphs) {
    const vn::GlyphIdSet members(glyphs.begin(), glyphs.end());
    std::string name;
    if (kerning_.groups.findMatchingGroup(members, side_, name)) return glyphIdByName(name);
    const std::string base = kerningGroupBaseName(glyphs);
    name = prefix_ + base;
    // A name taken by other members gets a number, so earlier pairs keep their group.
    for (uint32_t n = 2; kerning_.groups.find(glyphIdByName(name)); ++n)
      name = prefix_ + base + "." + std::to_string(n);
    return kerning_.defineGroupFromSet(name, members, side_, base);
  }

  vn::FontKerning& kerning_;
  uint32_t side_;
  std::string prefix_;
  std::map<uint16_t, vn::KerningSide> sides_;
};

}  // namespace

double kerningValueOf(const GPosPair& pair) {
  if (!pair.value1.isEmpty() && pair.value1.xAdvance != 0) return pair.value1.xAdvance;
  if (!pair.value2.isEmpty() && pair.value2.xAdvance != 0) return pair.value2.xAdvance;
  return 0;
}

std::string kerningGroupBaseName(const GlyphList& members) {
  std::string best;
  uint32_t bestId = 0;
  for (uint32_t id : members) {
    const std::string& name = glyphNameById(id);
    if (bestId == 0 || name.size() < best.size() || (name.size() == best.size() && id < bestId)) {
      best = name;
      bestId = id;
    }
  }
  return best;
}

void fromKerning(LpPair& subtable, const vn::FontKerning& kerning) {
  subtable.format2.reset();
  subtable.format1 = std::make_unique<LpPairFormat1Impl>();
  subtable.format = 1;
  std::vector<vn::GlyphPairValue> glyphPairs;
  (void)kerning.expandPairs(glyphPairs);  // past the limit only hostile class pairs are left out
  auto& pairs = subtable.format1->pairs;
  pairs.reserve(glyphPairs.size());
  for (const auto& p : glyphPairs) pairs.emplace_back(p.first, p.second, valueFromKerning(p.value), GPosValue());
}

void toKerning(const LpPair& subtable, vn::FontKerning& kerning, uint32_t mode) {
  switch (mode) {
    case kKerningFlat:
      toKerningFlat(subtable, kerning);
      break;
    case kKerningWithGroups:
      toKerningWithClasses(subtable, kerning);
      break;
    case kKerningByFormat:
      if (subtable.format2) toKerningWithClasses(subtable, kerning);
      else toKerningFlat(subtable, kerning);
      break;
    default:
      break;
  }
}

void toKerningFlat(const LpPair& subtable, vn::FontKerning& kerning) {
  LpPairFormat1Impl expanded;
  const LpPairFormat1Impl* glyphs = subtable.format1.get();
  if (!glyphs) {
    if (subtable.format2) expandClassPairs(*subtable.format2, expanded);
    glyphs = &expanded;
  }
  std::vector<vn::GlyphPairValue> batch;
  batch.reserve(glyphs->pairs.size());
  for (const auto& p : glyphs->pairs) {
    const double value = kerningValueOf(p);
    if (value != 0) batch.push_back({p.first, p.second, value});
  }
  kerning.setGlyphPairs(batch, false);
}

void toKerningWithClasses(const LpPair& subtable, vn::FontKerning& kerning) {
  std::unique_ptr<LpPair> copy;
  const LpPairFormat2Impl* classes = classForm(subtable, copy);
  if (!classes) return;
  SideNamer left(kerning, vn::kSideFirst, vn::kFirstSideClassPrefix);
  SideNamer right(kerning, vn::kSideSecond, vn::kSecondSideClassPrefix);
  left.build(classes->classDef1);
  right.build(classes->classDef2);
  for (const auto& p : classes->pairs) {
    const double value = kerningValueOf(p);
    vn::KerningSide first, second;
    if (value == 0 || !left.sideOf(p.class1, first) || !right.sideOf(p.class2, second)) continue;
    kerning.setPair(first, second, value, false);
  }
}

}  // namespace otl
