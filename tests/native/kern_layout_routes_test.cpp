// The layout model's routes of the native writer's kerning-class conversion.
#include <gtest/gtest.h>

#include "layout/registry/glyph_name_registry.h"
#include "native/kerning_classes.h"
#include "native/kerning_layout_routes.h"

namespace {

vn::GlyphId id(const std::string& name) { return otl::glyphIdByName(name); }
vn::KerningSide cls(const std::string& name) { return vn::KerningSide::ofClass(id(name)); }
vn::KerningSide gly(const std::string& name) { return vn::KerningSide::ofGlyph(id(name)); }

std::map<std::pair<vn::GlyphId, vn::GlyphId>, double> flat(const vn::FontKerning& kerning) {
  std::vector<vn::GlyphPairValue> pairs;
  EXPECT_TRUE(kerning.expandPairs(pairs));
  std::map<std::pair<vn::GlyphId, vn::GlyphId>, double> out;
  for (const auto& p : pairs) out[{p.first, p.second}] = p.value;
  return out;
}

TEST(KernLayoutRoutes, KeylessClassesGoOverTheGivenOnes) {
  // @MMK_R_kround has no key glyph: the pairs are re-expressed over @MMK_L_kA alone.
  vn::FontKerning source;
  source.defineGroup("@MMK_L_kA", {id("kA"), id("kAacute")}, vn::kSideFirst, "kA");
  source.defineGroup("@MMK_R_kround", {id("kO"), id("kQ")}, vn::kSideSecond, "");
  source.setPair(cls("@MMK_L_kA"), cls("@MMK_R_kround"), -30, true);
  source.setPair(gly("kT"), cls("@MMK_R_kround"), -12, true);
  vn::FontKerning out;
  ASSERT_TRUE(qtf::convertKerningClasses(source, out, &qtf::layoutKerningRoutes()));
  EXPECT_EQ(out.pairs.at({gly("kA"), gly("kO")}), -30);  // the class's key glyph stands for it
  EXPECT_EQ(out.groups.count(), 2u);
  // Read back as the file does: pairs between key glyphs are class pairs.
  vn::FontKerning back;
  back.replaceGroups(out.groups.groups);
  for (const auto& [key, value] : out.pairs) {
    const bool leftKey = key.first.glyph == id("kA");
    back.setPair(leftKey ? cls("@MMK_L_kA") : key.first, key.second, value, true);
  }
  EXPECT_EQ(flat(back), flat(source));
}

TEST(KernLayoutRoutes, KernFeatureRouteOnlyWhereItsClassesStandAlone) {
  // Glyph pairs only, and a class no pair uses: the feature's classes come back beside it.
  vn::FontKerning source;
  source.defineGroup("@MMK_L_kspare", {id("kX"), id("kY")}, vn::kSideFirst, "");
  for (const char* first : {"kB", "kD", "kE"})
    for (const char* second : {"kO", "kQ"}) source.setPair(gly(first), gly(second), -25, true);
  vn::FontKerning viaFeature;
  ASSERT_TRUE(qtf::layoutKerningRoutes().roundTripThroughKernFeature(source, viaFeature));
  EXPECT_EQ(flat(viaFeature), flat(source));

  // Pairs of a shared class: it takes a member no pair kerns on its own as its key.
  vn::FontKerning shared;
  shared.defineGroup("@MMK_L_kshared", {id("kB"), id("kD")}, vn::kSideFirst, "");
  shared.setPair(cls("@MMK_L_kshared"), gly("kO"), -10, true);
  shared.setPair(gly("kB"), gly("kQ"), -5, true);
  vn::FontKerning keyed;
  ASSERT_TRUE(qtf::layoutKerningRoutes().roundTripThroughKernFeature(shared, keyed));
  EXPECT_EQ(keyed.groups.find(id("@MMK_L_kshared"))->keyGlyph, "kD");
  EXPECT_EQ(flat(keyed), flat(shared));
  // Every member kerned on its own: no key; the feature's classes would share its
  // glyphs, so the route is refused.
  shared.setPair(gly("kD"), gly("kQ"), -5, true);
  vn::FontKerning refused;
  EXPECT_FALSE(qtf::layoutKerningRoutes().roundTripThroughKernFeature(shared, refused));
}

}  // namespace
