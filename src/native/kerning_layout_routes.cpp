#include "native/kerning_layout_routes.h"

#include <map>

#include "layout/kern_feature.h"
#include "layout/kerning_classes_engine.h"
#include "layout/pair_kerning.h"
#include "native/kerning_keys.h"

namespace qtf {

namespace {

bool sharesSide(uint32_t a, uint32_t b) { return a == b || a == vn::kSideBoth || b == vn::kSideBoth; }

// The source's classes come back beside the new ones; a glyph in two kerning classes
// of one side would make the written UFO invalid, so such a result is not used.
bool overlapsSourceClasses(const vn::FontKerning& extracted, const vn::FontKerning& source) {
  std::map<vn::GlyphId, uint32_t> sideOf;  // glyph -> sides of the source's classes holding it
  for (const auto& [id, group] : source.groups.groups) {
    if (group.side == vn::kSideNone) continue;
    for (vn::GlyphId glyph : group.glyphs) sideOf[glyph] |= group.side;
  }
  for (const auto& [id, group] : extracted.groups.groups) {
    if (group.side == vn::kSideNone) continue;
    for (vn::GlyphId glyph : group.glyphs) {
      const auto found = sideOf.find(glyph);
      if (found != sideOf.end() && sharesSide(found->second, group.side)) return true;
    }
  }
  return false;
}

// A class of two or more glyphs that pairs use on its side: the feature's classes gather
// glyphs that kern alike, so they would meet its members there and the result would be
// refused; the work is not done.
bool usesSharedClasses(const vn::FontKerning& source) {
  auto shared = [&source](const vn::KerningSide& side, uint32_t wanted) {
    if (!side.isClass()) return false;
    const vn::KerningGlyphGroup* group = source.groups.find(side.klass);
    return group && group->size() >= 2 && sharesSide(group->side, wanted);
  };
  for (const auto& [key, value] : source.pairs) {
    if (shared(key.first, vn::kSideFirst) || shared(key.second, vn::kSideSecond)) return true;
  }
  return false;
}

class LayoutRoutes : public KerningLayoutRoutes {
 public:
  bool convertToGivenGroups(const vn::FontKerning& source, vn::FontKerning& out,
                            const vn::KerningGroupMap& given) override {
    otl::convertKerningToGivenGroups(source, out, given);
    return true;
  }

  bool roundTripThroughKernFeature(const vn::FontKerning& source, vn::FontKerning& out) override {
    // The font's own classes, given key glyphs, first: their names and members survive.
    if (assignKeyGlyphs(source, out)) return true;
    out.pairs.clear();
    out.groups.clear();
    if (usesSharedClasses(source)) return false;
    otl::LayoutFea layout(nullptr, "");
    if (!otl::addKernFeature(layout, source) || !layout.hasFeature("kern")) return false;
    // The source's group names are held (on no side, so no class is matched to them):
    // a new group must not take the name of one the source's pairs still use.
    vn::FontKerning extracted;
    for (const auto& [id, group] : source.groups.groups) extracted.groups.groupFor(id).side = vn::kSideNone;
    if (!otl::extractKerning(layout, extracted, otl::kKerningByFormat) || extracted.pairs.empty()) return false;
    if (overlapsSourceClasses(extracted, source)) return false;
    out.pairs = std::move(extracted.pairs);
    for (auto& [id, group] : extracted.groups.groups) {
      if (group.side != vn::kSideNone) out.groups.groups.emplace(id, std::move(group));
    }
    return true;
  }
};

}  // namespace

KerningLayoutRoutes& layoutKerningRoutes() {
  static LayoutRoutes routes;
  return routes;
}

}  // namespace qtf
