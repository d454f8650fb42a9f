#include "model/glyph_groups.h"

#include "layout/registry/glyph_name_registry.h"
#include "model/numbers.h"

namespace vn {

namespace {

// The id of a registered name, or 0; never registers.
GlyphId knownId(const std::string& name) {
  auto& registry = otl::glyphNameRegistry();
  if (name.empty() || !registry.contains(name)) return 0;
  return registry.idForName(name);
}

constexpr std::string_view kSidedClassPrefix = "@MMK_";
constexpr const char* kKernPrefix = "_KERN_";
constexpr std::string_view kFirstSuffix = "_1ST";
constexpr std::string_view kSecondSuffix = "_2ND";

}  // namespace

bool GlyphGroup::setKeyGlyph(const std::string& name) {
  const GlyphId id = knownId(name);
  if (id == 0 || !contains(id)) return false;
  keyGlyph = name;
  return true;
}

void KerningGlyphGroup::clear() {
  GlyphGroup::clear();
  glyphs.clear();
  side = kSideBoth;
}

void OrderedGlyphClass::addGlyph(GlyphId id) {
  if (id != 0 && !contains(id)) glyphs.push_back(id);
}

void OrderedGlyphClass::setMembers(const GlyphIdList& ids) {
  glyphs.clear();
  GlyphIdSet seen;
  for (GlyphId id : ids) {
    if (id != 0 && seen.insert(id).second) glyphs.push_back(id);
  }
}

bool OrderedGlyphClass::contains(GlyphId id) const {
  for (GlyphId member : glyphs) {
    if (member == id) return true;
  }
  return false;
}

GlyphId GlyphClassStore::define(const std::string& name, const GlyphIdList& members,
                                const std::string& keyGlyph) {
  const GlyphId id = otl::glyphIdByName(name);
  if (id == 0) return 0;
  OrderedGlyphClass& glyphClass = classes[id];
  glyphClass.name = name;
  glyphClass.setMembers(members);
  glyphClass.setKeyGlyph(keyGlyph);
  return id;
}

void KerningGroups::membersOf(GlyphId id, GlyphIdList& out) const {
  out.clear();
  if (const KerningGlyphGroup* group = find(id)) out = group->members();
}

bool KerningGroups::groupInfo(GlyphId id, KerningClassInfo& out) const {
  const KerningGlyphGroup* group = find(id);
  if (!group) return false;
  out.name = otl::glyphNameById(id);
  out.members = group->members();
  out.side = group->side <= kSideBoth ? group->side : kSideNone;
  out.keyGlyph = group->keyGlyph;
  return true;
}

void KerningGroups::setMembers(GlyphId id, const GlyphIdList& ids) {
  if (KerningGlyphGroup* group = find(id)) group->setMembers(ids);
}

KerningGlyphGroup& KerningGroups::groupFor(GlyphId id) { return groups[id]; }

const KerningGlyphGroup* KerningGroups::find(GlyphId id) const {
  auto found = groups.find(id);
  return found != groups.end() ? &found->second : nullptr;
}

KerningGlyphGroup* KerningGroups::find(GlyphId id) {
  auto found = groups.find(id);
  return found != groups.end() ? &found->second : nullptr;
}

GlyphId KerningGroups::classByKeyGlyph(GlyphId glyph) const {
  if (glyph == 0) return 0;
  for (const auto& [id, group] : groups) {
    const GlyphId key = knownId(group.keyGlyph);
    if (key != 0 && key == glyph && group.contains(key)) return id;
  }
  return 0;
}

bool KerningGroups::findMatchingGroup(const GlyphIdSet& members, uint32_t wantedSide,
                                      std::string& name) const {
  for (const auto& [id, group] : groups) {
    const bool sideFits = group.side == wantedSide || group.side == kSideBoth;
    if (sideFits && group.glyphs == members) {
      name = otl::glyphNameById(id);
      return true;
    }
  }
  return false;
}

GroupNameInfo KerningGroups::parseGroupName(std::string_view name) {
  GroupNameInfo info;
  const size_t mark = name.find(kSidedClassPrefix);
  if (mark != std::string_view::npos) {
    // The side letter follows the prefix directly; a later "L_" or "R_" inside
    // the glyph name must not decide it.
    const std::string_view rest = name.substr(mark + kSidedClassPrefix.size());
    if (rest.starts_with("L_")) {
      info.side = kSideFirst;
    } else if (rest.starts_with("R_")) {
      info.side = kSideSecond;
    } else {
      return info;
    }
    info.keyGlyph = std::string(rest.substr(2));
  } else if (std::string rest; stripPrefix(std::string(name), kKernPrefix, rest)) {
    size_t at = rest.find(kFirstSuffix);
    if (at != std::string::npos) {
      info.side = kSideFirst;
      info.keyGlyph = rest.substr(0, at);
    } else if ((at = rest.find(kSecondSuffix)) != std::string::npos) {
      info.side = kSideSecond;
      info.keyGlyph = rest.substr(0, at);
    } else {
      info.side = kSideBoth;
      info.keyGlyph = rest;
    }
  }
  if (!info.keyGlyph.empty() && !otl::glyphNameRegistry().contains(info.keyGlyph)) {
    info.keyGlyph.clear();
  }
  return info;
}

}  // namespace vn
