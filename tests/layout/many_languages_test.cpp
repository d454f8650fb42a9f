// Five scripts sharing one Script table of 10,900 languages, in GSUB and in GPOS, as fonts
// covering many languages have it: the generated feature text states every language
// system once, in order, and each language as it would state one language alone, whether
// the languages inherit their script's default lookup or list one of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "layout/layout_fea.h"
#include "repair_fixture.h"
#include "table_bytes.h"

namespace {

using table_bytes::Bytes;

constexpr size_t kLanguages = 10900;
const std::vector<std::string> kScripts = {"aaan", "aabn", "aacn", "aadn", "aaen"};

// "L" and three letters, in tag order.
std::vector<std::string> languageTags() {
  std::vector<std::string> tags;
  for (size_t i = 0; i < kLanguages; ++i)
    tags.push_back({'L', char('A' + i / 676), char('A' + i / 26 % 26), char('A' + i % 26)});
  return tags;
}

// Feature records 0 and 1 of `feature` name lookups 0 and 1 (alike); the default language
// system lists record 0, the languages record 0 too, or record 1 when `own`.
std::string tableOf(const char* feature, uint16_t lookupType, const std::string& subtable, bool own) {
  const auto languages = languageTags();
  Bytes script;
  const size_t defaultAt = 4 + 6 * languages.size();
  script.u16(defaultAt).u16(languages.size());
  for (const auto& tag : languages) script.tag(tag.c_str()).u16(defaultAt + 8);
  script.u16(0).u16(0xFFFF).u16(1).u16(0).u16(0).u16(0xFFFF).u16(1).u16(own ? 1 : 0);
  Bytes t;
  t.u32(0x00010000).u16(10).u16(0).u16(0);
  t.u16(kScripts.size());
  for (const auto& tag : kScripts) t.tag(tag.c_str()).u16(2 + 6 * kScripts.size());
  t.add(script.b);
  t.set16(6, t.b.size());
  t.u16(2).tag(feature).u16(14).tag(feature).u16(20).u16(0).u16(1).u16(0).u16(0).u16(1).u16(1);
  t.set16(8, t.b.size());
  const std::string lookup = table_bytes::lookup(lookupType, 0, {subtable});
  return t.u16(2).u16(6).u16(6 + lookup.size()).add(lookup).add(lookup).b;
}

// One feature's block from its first script on, as for one language alone.
std::string expectedBlock(const char* feature, const char* table, bool own) {
  auto languages = languageTags();
  // Languages stand in the order of their tags read from the last character.
  std::sort(languages.begin(), languages.end(), [](std::string a, std::string b) {
    std::reverse(a.begin(), a.end());
    std::reverse(b.begin(), b.end());
    return a < b;
  });
  std::string block;
  for (const auto& script : kScripts) {
    block += std::string(block.empty() ? "" : "\n") + "  script " + script + ";\n      lookup " + table + "_lookup_1;\n";
    for (size_t i = 0; i < languages.size(); ++i) {
      block += std::string(i ? "\n" : "") + "    language " + languages[i];
      block += own ? std::string(" exclude_dflt;\n      lookupflag 0;\n      lookup ") + feature + "_1;\n" : ";\n";
    }
  }
  return block + "} " + feature + ";\n";
}

TEST(ManyLanguages, EveryLanguageSystemIsStatedOnceInOrder) {
  const std::string singleSubst = table_bytes::singleSubst({{1, 2}});
  const std::string singlePos = Bytes().u16(1).u16(8).u16(4).u16(0xFFF6).add(table_bytes::coverage({1})).b;
  for (bool own : {false, true}) {
    SCOPED_TRACE(own ? "languages with a lookup of their own" : "languages inheriting the default");
    vn::Ref<vn::Font> font = layout_test::fontNamed("g", 4);
    otl::LayoutFea layout(font.get(), "");
    const auto glyphs = layout_test::glyphsNamed("g", 4);
    const std::string gsub = tableOf("liga", 1, singleSubst, own);
    const std::string gpos = tableOf("kern", 1, singlePos, own);
    ot::BinaryReader gsubReader(gsub), gposReader(gpos);
    ASSERT_TRUE(layout.readBinaryTable(gsubReader, otl::kTableGsub, glyphs));
    ASSERT_TRUE(layout.readBinaryTable(gposReader, otl::kTableGpos, glyphs));
    std::ostringstream out;
    ASSERT_TRUE(layout.writeFeatureFile(out, vn::FeatureWriteOptions{}));
    const std::string text = out.str();

    const std::string count = "# Languagesystems: " + std::to_string(kScripts.size() * (kLanguages + 1)) + "\n";
    EXPECT_NE(text.find(count), std::string::npos);
    std::string systems = "languagesystem DFLT dflt;\n";
    for (const auto& script : kScripts) {
      systems += "languagesystem " + script + " dflt;\n";
      for (const auto& language : languageTags()) systems += "languagesystem " + script + " " + language + ";\n";
    }
    EXPECT_NE(text.find(systems + "\n"), std::string::npos);
    for (const auto& [feature, table] : {std::pair{"liga", "gsub"}, std::pair{"kern", "gpos"}}) {
      const std::string expected = expectedBlock(feature, table, own);
      const size_t start = text.find("  script aaan;", text.find(std::string("feature ") + feature + " {"));
      ASSERT_NE(start, std::string::npos) << feature;
      EXPECT_TRUE(text.compare(start, expected.size(), expected) == 0) << feature;
    }
  }
}

}  // namespace
