#include "native/kerning_classes.h"

#include <set>

#include "layout/registry/glyph_name_registry.h"

namespace qtf {

namespace {

KerningLayoutRoutes*& routesSlot() {
  static KerningLayoutRoutes* routes = nullptr;
  return routes;
}

// The registry id of a class's key glyph without registering it; 0 when none.
vn::GlyphId keyGlyphId(const vn::KerningGlyphGroup& group) {
  if (group.keyGlyph.empty()) return 0;
  otl::GlyphNameRegistry& registry = otl::glyphNameRegistry();
  return registry.contains(group.keyGlyph) ? registry.idForName(group.keyGlyph) : 0;
}

bool onFirstSide(uint32_t side) { return side == vn::kSideFirst || side == vn::kSideBoth; }
bool onSecondSide(uint32_t side) { return side == vn::kSideSecond || side == vn::kSideBoth; }

void emptyKerning(vn::FontKerning& kerning) {
  kerning.pairs.clear();
  kerning.groups.clear();
  kerning.namedSets.clear();
}

}  // namespace

void setKerningLayoutRoutes(KerningLayoutRoutes* routes) { routesSlot() = routes; }

KerningLayoutRoutes* kerningLayoutRoutes() { return routesSlot(); }

bool hasValidKeyGlyph(const vn::KerningGlyphGroup& group) {
  const vn::GlyphId id = keyGlyphId(group);
  return id != 0 && group.contains(id);
}

std::string keyedClassGroupName(const std::string& written, const std::string& key, uint32_t side) {
  const std::string derived = kKeyedClassPrefix + key;
  if (written == derived || written == derived + kSecondUseSuffix)
    return (side == vn::kSideFirst ? vn::kFirstSideClassPrefix : vn::kSecondSideClassPrefix) + key;
  return written;
}

bool keyGlyphPairs(const vn::FontKerning& source, vn::FontKerning& out) {
  std::set<vn::GlyphId> leftKeys;
  std::set<vn::GlyphId> rightKeys;
  for (const auto& [id, group] : source.groups.groups) {
    if (onFirstSide(group.side)) leftKeys.insert(keyGlyphId(group));
    if (onSecondSide(group.side)) rightKeys.insert(keyGlyphId(group));
  }
  // A key glyph kerned on its own would collide with its class.
  for (const auto& [key, value] : source.pairs) {
    if (!key.first.isClass() && leftKeys.count(key.first.glyph)) return false;
    if (!key.second.isClass() && rightKeys.count(key.second.glyph)) return false;
  }
  auto glyphOf = [&source](const vn::KerningSide& side) -> vn::GlyphId {
    if (!side.isClass()) return side.glyph;
    const vn::KerningGlyphGroup* group = source.groups.find(side.klass);
    return group ? keyGlyphId(*group) : 0;
  };
  for (const auto& [key, value] : source.pairs) {
    const vn::GlyphId first = glyphOf(key.first);
    const vn::GlyphId second = glyphOf(key.second);
    if (first == 0 || second == 0) return false;
    out.setGlyphPair(first, second, value, false);
  }
  out.replaceGroups(source.groups.groups);
  return true;
}

bool convertKerningClasses(const vn::FontKerning& source, vn::FontKerning& out, KerningLayoutRoutes* routes) {
  bool anyKerningClass = false;
  bool keylessInUse = false;
  vn::KerningGroupMap given;
  for (const auto& [id, group] : source.groups.groups) {
    if (group.side == vn::kSideNone) continue;
    anyKerningClass = true;
    if (hasValidKeyGlyph(group)) {
      given.emplace(id, group);
    } else if (group.size() > 0) {
      keylessInUse = true;
    }
  }
  if (!anyKerningClass) return false;

  vn::FontKerning temporary;
  if (!given.empty()) {
    bool converted = false;
    if (!keylessInUse) {
      converted = keyGlyphPairs(source, out);
    } else if (routes && routes->convertToGivenGroups(source, temporary, given)) {
      temporary.replaceGroups(source.groups.groups);
      converted = keyGlyphPairs(temporary, out);
    }
    if (converted) return true;
    emptyKerning(temporary);
    emptyKerning(out);
  }

  if (!routes || !routes->roundTripThroughKernFeature(source, temporary)) return false;
  // Every class of the source comes back under its name (kerning that no pair uses
  // included, or the file would lose it), but none stands for pairs any more: a key
  // glyph would make it claim members of the route's classes.
  vn::KerningGroupMap kept = source.groups.groups;
  const bool converted = keyGlyphPairs(temporary, out);
  for (auto& [id, group] : kept) group.keyGlyph.clear();
  out.mergeGroups(kept);
  return converted;
}

}  // namespace qtf
