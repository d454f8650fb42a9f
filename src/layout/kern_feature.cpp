#include "layout/kern_feature.h"

#include "layout/pair_kerning.h"

namespace otl {

namespace {

const LpPair* asPair(const LookupSubtable& subtable) { return dynamic_cast<const LpPair*>(&subtable); }

}  // namespace

bool addKernFeature(LayoutFea& layout, const vn::FontKerning& kerning) {
  if (kerning.pairs.empty()) return false;
  LayoutTableBlock& gpos = *layout.block(kTableGpos);
  Lookup* lookup = gpos.lookups.createLookup();
  lookup->tableId = kTableGpos;
  lookup->typeCode = kGposPair;
  auto subtable = lookup->createSubtable();
  auto* pair = dynamic_cast<LpPair*>(subtable.get());
  if (!pair) return false;
  fromKerning(*pair, kerning);
  if (pair->pairCount() > kKernGlyphPairLimit) pair->toClassPairs();
  lookup->addSubtable(std::move(subtable));

  const ot::Tag kern = ot::Tag::fromString("kern");
  for (const char* scriptTag : {"DFLT", "latn"}) {
    const ot::Tag tag = ot::Tag::fromString(scriptTag);
    Script& script = gpos.scripts.try_emplace(tag, tag).first->second;
    Language* language = findDefaultEntry(script.languages);
    if (!language) {
      const ot::Tag dflt = ot::Tag::fromString("dflt");
      language = &script.languages.try_emplace(dflt, dflt).first->second;
    }
    Feature& feature = language->features.try_emplace(kern, kern).first->second;
    feature.lookups.push_back(lookup->index);
  }
  return true;
}

bool extractKerning(const LayoutFea& layout, vn::FontKerning& kerning, uint32_t mode) {
  const LayoutTableBlock& gpos = *layout.block(kTableGpos);
  const ot::Tag kern = ot::Tag::fromString("kern");
  LookupIndexSet indices;
  gpos.forEachFeature([&](const Script&, const Language&, const Feature& feature) {
    if (feature.tag == kern) indices.insert(feature.lookups.begin(), feature.lookups.end());
  });
  std::vector<const LpPair*> subtables;
  for (uint32_t index : indices) {
    const Lookup* lookup = gpos.lookups.findLookup(index);
    if (!lookup || lookup->typeCode != kGposPair) continue;
    for (const auto& subtable : lookup->subtables) {
      if (const LpPair* pair = asPair(*subtable)) subtables.push_back(pair);
    }
  }
  // A glyph-pair subtable after a class subtable takes precedence over that class's
  // rows only in shaping order; one merged list keeps that order for the groups.
  bool merge = false;
  if (mode == kKerningWithGroups || mode == kKerningByFormat) {
    bool seenClasses = false;
    for (const LpPair* pair : subtables) {
      if (pair->format2) seenClasses = true;
      else if (seenClasses) merge = true;
    }
  }
  if (!merge) {
    for (const LpPair* pair : subtables) toKerning(*pair, kerning, mode);
    return true;
  }
  LpPair merged(uint16_t{1});
  for (const LpPair* pair : subtables) {
    if (pair->format2) expandClassPairs(*pair->format2, *merged.format1);
    else if (pair->format1) merged.format1->pairs.insert(merged.format1->pairs.end(), pair->format1->pairs.begin(), pair->format1->pairs.end());
  }
  toKerning(merged, kerning, kKerningWithGroups);
  return true;
}

}  // namespace otl
