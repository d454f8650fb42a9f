// Glyph names a feature file accepts; the native reader keeps only these.
#include <gtest/gtest.h>

#include "layout/registry/glyph_name_registry.h"

namespace {

TEST(GlyphNameRegistryTest, ValidFeatureFileNames) {
  const std::pair<std::string, bool> cases[] = {
      {".notdef", true},  {"f_f.liga", true}, {std::string(31, 'a'), true}, {".alt", false},
      {"1a", false},      {"a-b", false},     {std::string(32, 'a'), false}, {"", false},
  };
  for (const auto& [name, valid] : cases) EXPECT_EQ(otl::isValidGlyphName(name), valid) << name;
  // Ids are given once per name; the empty name is 0.
  const uint32_t id = otl::glyphIdByName("registry.test.name");
  EXPECT_EQ(otl::glyphNameById(id), "registry.test.name");
  EXPECT_EQ(otl::glyphIdByName("registry.test.name"), id);
  EXPECT_EQ(otl::glyphIdByName(""), 0u);
}

}  // namespace
