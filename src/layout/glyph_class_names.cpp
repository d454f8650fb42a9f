// Names of the feature-file glyph classes, taken from the features that use them.
#include <charconv>
#include <map>
#include <set>

#include "layout/layout_fea.h"

namespace otl {

namespace {

std::map<uint32_t, std::string>& classNameMap() {
  static std::map<uint32_t, std::string> names;
  return names;
}

// Class id -> tags of the features whose lookups use the class.
void collectClassTags(const LayoutTableBlock& block, std::map<uint32_t, std::set<ot::Tag>>& out) {
  std::map<uint32_t, std::set<ot::Tag>> lookupTags;
  block.forEachFeature([&](const Script&, const Language&, const Feature& feature) {
    LookupSet reached;
    collectCalledLookups(feature.lookups, block.lookups.lookups(), reached);
    for (uint32_t index : reached) lookupTags[index].insert(feature.tag);
  });
  for (const auto& [index, tags] : lookupTags) {
    const Lookup* lookup = block.lookups.findLookup(index);
    if (!lookup) continue;
    GlyphSet used;
    lookup->collectGroupRefs(used);
    for (uint32_t id : used) out[id].insert(tags.begin(), tags.end());
  }
}

}  // namespace

const std::string& glyphClassNameById(uint32_t id) {
  static const std::string empty;
  const auto found = classNameMap().find(id);
  return found == classNameMap().end() ? empty : found->second;
}

void nameGlyphClasses(vn::FeaGlyphGroups& classes, const LayoutTableBlock& gsub, const LayoutTableBlock& gpos,
                      bool keep) {
  std::map<uint32_t, std::set<ot::Tag>> classTags;
  collectClassTags(gsub, classTags);
  collectClassTags(gpos, classTags);
  std::set<std::string> given;
  for (const auto& [id, group] : classes.groups) {
    if (!group.className.empty()) given.insert(group.className);
  }
  // Numbers already found taken stay taken: each candidate resumes where it stopped, so
  // thousands of classes of one feature are not named in quadratic time.
  std::map<std::string, unsigned> nextNumber;
  for (auto& [id, group] : classes.groups) {
    if (keep && !group.className.empty()) continue;
    const auto found = classTags.find(id);
    if (found == classTags.end() || found->second.empty()) continue;
    std::string candidate;
    for (const auto& tag : found->second) {
      if (!candidate.empty()) candidate += '_';
      candidate += tag.text();
    }
    std::string unique = candidate;
    unsigned& n = nextNumber.try_emplace(candidate, 2).first->second;
    for (; given.count(unique); ++n) {
      char digits[16];
      const auto result = std::to_chars(digits, digits + sizeof digits, n);
      std::string number(digits, result.ptr);
      if (number.size() < 3) number.insert(0, 3 - number.size(), '0');
      unique = candidate + "." + number;
    }
    group.className = unique;
    given.insert(unique);
  }
}

void nameGlyphClassesInto(const vn::FeaGlyphGroups& classes, const LayoutTableBlock& gsub,
                          const LayoutTableBlock& gpos, bool keep) {
  auto& names = classNameMap();
  names.clear();
  vn::FeaGlyphGroups copy = classes;
  nameGlyphClasses(copy, gsub, gpos, keep);
  for (const auto& [id, group] : copy.groups) names[id] = group.className;
}

}  // namespace otl
