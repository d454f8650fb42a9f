#include "native/kerning_layout_routes.h"

#include "layout/kern_feature.h"
#include "layout/kerning_classes_engine.h"
#include "layout/pair_kerning.h"

namespace qtf {

namespace {

class LayoutRoutes : public KerningLayoutRoutes {
 public:
  bool convertToGivenGroups(const vn::FontKerning& source, vn::FontKerning& out,
                            const vn::KerningGroupMap& given) override {
    otl::convertKerningToGivenGroups(source, out, given);
    return true;
  }

  bool roundTripThroughKernFeature(const vn::FontKerning& source, vn::FontKerning& out) override {
    otl::LayoutFea layout(nullptr, "");
    if (!otl::addKernFeature(layout, source) || !layout.hasFeature("kern")) return false;
    // The source's group names are held (on no side, so no class is matched to them):
    // a new group must not take the name of one the source's pairs still use.
    vn::FontKerning extracted;
    for (const auto& [id, group] : source.groups.groups) extracted.groups.groupFor(id).side = vn::kSideNone;
    if (!otl::extractKerning(layout, extracted, otl::kKerningByFormat) || extracted.pairs.empty()) return false;
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
