// A language system whose required feature is not among its listed features keeps it so
// through the binary tables and the layout XML document, as the font has it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "layout/glyph_id_map.h"
#include "layout/layout_fea.h"
#include "layout/text/layout_xml.h"
#include "table_bytes.h"

namespace {

using namespace table_bytes;

// GSUB with script "thai" whose DefaultLangSys has "ccmp" (lookup 0) as its required
// feature and lists "liga" (lookup 1) only, unless `listed`, when it lists both.
std::string requiredTable(bool listed) {
  const std::string sub0 = lookup(1, 0, {singleSubst({{1, 2}})});
  const std::string sub1 = lookup(1, 0, {singleSubst({{3, 4}})});
  Bytes t;
  t.u32(0x00010000).u16(10).u16(0).u16(0);
  t.u16(1).tag("thai").u16(8);                       // ScriptList
  t.u16(4).u16(0).u16(0).u16(0);                     // Script; DefaultLangSys: ReqFeatureIndex 0
  if (listed) t.u16(2).u16(0).u16(1);
  else t.u16(1).u16(1);
  t.set16(6, t.b.size());
  t.u16(2).tag("ccmp").u16(14).tag("liga").u16(20);  // FeatureList
  t.u16(0).u16(1).u16(0).u16(0).u16(1).u16(1);
  t.set16(8, t.b.size());
  t.u16(2).u16(6).u16(6 + sub0.size()).add(sub0).add(sub1);
  return t.b;
}

// The DefaultLangSys of the first script: ReqFeatureIndex and the listed feature indices.
struct LangSys {
  uint16_t required = 0;
  std::vector<uint16_t> listed;
};

LangSys defaultLangSys(const std::string& table) {
  const size_t scripts = at16(table, 4);
  const size_t script = scripts + at16(table, scripts + 6);
  const size_t langSys = script + at16(table, script);
  LangSys out;
  out.required = at16(table, langSys + 2);
  for (size_t i = 0; i < at16(table, langSys + 4); ++i) out.listed.push_back(at16(table, langSys + 6 + 2 * i));
  return out;
}

std::string featureTag(const std::string& table, uint16_t index) {
  return table.substr(at16(table, 6) + 2 + 6 * index, 4);
}

std::string writeBlock(const otl::LayoutTableBlock& block, const otl::GlyphIdMap& glyphs) {
  LayoutBinWriter writer;
  return write(block, glyphs, writer);
}

TEST(RequiredFeature, StaysUnlistedThroughBinaryAndXml) {
  const auto glyphs = glyphOrder(8);
  for (bool listed : {false, true}) {
    SCOPED_TRACE(listed ? "required and listed" : "required only");
    otl::LayoutFea layout(nullptr, "");
    ASSERT_TRUE(parse(layout.gsub, requiredTable(listed), glyphs));
    const otl::Language& language = layout.gsub.scripts.begin()->second.languages.begin()->second;
    EXPECT_EQ(language.requiredOnly, !listed);
    const std::string binary = writeBlock(layout.gsub, glyphs);
    const LangSys written = defaultLangSys(binary);
    ASSERT_NE(written.required, 0xFFFF);
    EXPECT_EQ(featureTag(binary, written.required), "ccmp");
    ASSERT_EQ(written.listed.size(), listed ? 2u : 1u);
    EXPECT_EQ(featureTag(binary, written.listed.back()), "liga");
    // Both lookups are still reached: the required feature's through ReqFeatureIndex.
    EXPECT_EQ(layout.gsub.lookups.size(), 2u);

    std::ostringstream document;
    ASSERT_TRUE(otl::writeLayoutXml(layout, document, glyphs, true));
    EXPECT_NE(document.str().find(listed ? "<!-- FeatureCount=2 -->" : "<!-- FeatureCount=1 -->"), std::string::npos)
        << document.str().substr(0, 800);
    otl::LayoutFea again(nullptr, "");
    std::istringstream in(document.str());
    ASSERT_TRUE(otl::xml::loadLayoutXml(again, in, glyphs));
    EXPECT_EQ(writeBlock(again.gsub, glyphs), binary);
  }
}

}  // namespace
