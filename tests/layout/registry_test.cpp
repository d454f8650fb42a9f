#include <gtest/gtest.h>

#include <sstream>

#include "layout/glyph_id_map.h"
#include "layout/glyph_ref.h"
#include "layout/glyph_slot.h"
#include "layout/registry/glyph_name_registry.h"
#include "layout/tag_registry.h"

namespace {

TEST(GlyphRegistry, IdsAndReservedIds) {
  auto& registry = otl::glyphNameRegistry();
  const uint32_t before = registry.lastId();
  EXPECT_EQ(registry.idForName(""), 0u);
  EXPECT_EQ(registry.lastId(), before);
  const uint32_t a = registry.idForName("regtest_a");
  EXPECT_EQ(registry.idForName("regtest_b"), a + 1);
  EXPECT_EQ(registry.idForName("regtest_a"), a);
  otl::GlyphIdMap map;
  map.fill({"regtest_a", "regtest_b"});
  registry.reserveIds(map, {2, 3});
  EXPECT_EQ(registry.nameForId(map.idOf(2)), "");
  EXPECT_EQ(registry.idForName("regtest_c"), a + 4);
  EXPECT_EQ(map.indexOf(a + 1), 1);
  EXPECT_EQ(map.indexOf(999999), 0);
  EXPECT_FALSE(map.contains(999999));
  EXPECT_EQ(otl::makeUniqueGlyphName("regtest_", "a"), "regtest_a2");
  std::ostringstream text;
  otl::writeGlyphName(text, a);
  EXPECT_EQ(text.str(), "\\regtest_a");
}

TEST(GlyphRegistry, ValidGlyphNames) {
  const std::pair<const char*, bool> cases[] = {
      {".notdef", true}, {".alt", false}, {"1abc", false}, {"abcdefghijklmnopqrstuvwxyzABCDEF", false},
      {"a-b", false},    {"f_f.liga", true}, {"", false},
  };
  for (const auto& [name, valid] : cases) EXPECT_EQ(otl::isValidGlyphName(name), valid) << name;
}

TEST(GlyphRegistry, GroupNamesResolveThroughTheirMembers) {
  vn::FeaGlyphGroup group;
  EXPECT_FALSE(otl::GlyphRef::resolve(group));
  group.addGlyph(otl::glyphIdByName("regtest_key"));
  group.keyGlyph = "regtest_key";
  EXPECT_TRUE(otl::GlyphRef::resolve(group));
  group.keyGlyph = "regtest_other";
  EXPECT_FALSE(otl::GlyphRef::resolve(group));
}

TEST(TagRegistry, TextReaderReplacesNamesAndStops) {
  otl::TagRegistry::ensureFilled();
  const size_t before = otl::TagRegistry::entries().size();
  std::string name;
  // Stops at "END": the entry after it is not read.
  std::istringstream first("\"SCRIPT\",\"Latin test\",\"latn\",\"BOGUS\",\"END\",\"SCRIPT\",\"x\",\"latn\"");
  otl::TagRegistry::readFile(first);
  ASSERT_TRUE(otl::TagRegistry::findName(ot::Tag::fromString("latn"), 1, name));
  EXPECT_EQ(name, "Latin test");
  EXPECT_FALSE(otl::TagRegistry::findName(ot::Tag::fromString("latn"), otl::TagRegistry::kFeature, name));
  // Stops at the end of the input without "END".
  std::istringstream restore("\"SCRIPT\",\"Latin\",\"latn\"");
  otl::TagRegistry::readFile(restore);
  otl::TagRegistry::findName(ot::Tag::fromString("latn"), 1, name);
  EXPECT_EQ(name, "Latin");
  EXPECT_EQ(otl::TagRegistry::entries().size(), before);
}

}  // namespace
