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
}

}  // namespace
