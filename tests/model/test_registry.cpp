// The process-wide glyph-name registry and feature-file glyph-name validity.
#include <gtest/gtest.h>

#include <vector>

#include "layout/registry/glyph_name_registry.h"

namespace {

TEST(GlyphNameRegistryTest, IdsFromOneEmptyNameIsZero) {
  otl::GlyphNameRegistry registry;
  EXPECT_EQ(registry.idForName(""), 0u);
  EXPECT_EQ(registry.lastId(), 0u);
  EXPECT_EQ(registry.idForName("a"), 1u);
  EXPECT_EQ(registry.idForName("b"), 2u);
  EXPECT_EQ(registry.idForName("a"), 1u);
  EXPECT_EQ(registry.nameForId(0), "");
  EXPECT_EQ(registry.nameForId(2), "b");
  EXPECT_EQ(registry.nameForId(99), "");
  EXPECT_TRUE(registry.contains("a"));
  EXPECT_FALSE(registry.contains("c"));
  EXPECT_FALSE(registry.contains(""));

  EXPECT_EQ(registry.nextFreeId(), 3u);
  EXPECT_EQ(registry.nameForId(3), "");
  struct G {
    std::string name;
  };
  G c{"c"}, a{"a"}, none{""};
  std::vector<const G*> glyphs = {&c, &a, &none, nullptr};
  registry.registerNames(glyphs);
  EXPECT_EQ(registry.idForName("c"), 4u);
  EXPECT_EQ(registry.idForName("a"), 1u);

  // The process-wide forms share one registry.
  const uint32_t id = otl::glyphIdByName("registry.test.name");
  EXPECT_EQ(otl::glyphNameById(id), "registry.test.name");
  EXPECT_EQ(otl::glyphIdByName("registry.test.name"), id);
  EXPECT_TRUE(otl::glyphNameRegistry().contains("registry.test.name"));
}

TEST(GlyphNameRegistryTest, ValidFeatureFileNames) {
  EXPECT_TRUE(otl::isValidGlyphName(".notdef"));
  EXPECT_FALSE(otl::isValidGlyphName(".alt"));
  EXPECT_FALSE(otl::isValidGlyphName("1a"));
  EXPECT_FALSE(otl::isValidGlyphName(std::string(32, 'a')));
  EXPECT_TRUE(otl::isValidGlyphName(std::string(31, 'a')));
  EXPECT_FALSE(otl::isValidGlyphName("a-b"));
  EXPECT_FALSE(otl::isValidGlyphName(""));
  EXPECT_TRUE(otl::isValidGlyphName("f_f.liga"));
}

}  // namespace
