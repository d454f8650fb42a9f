// Documents whose layout feature text cannot say: either the reader refuses them, naming
// the element, or the text generated from what it read compiles, and what it leaves out
// is warned of. Never an accepted layout that the next step throws away without a word.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "layout/layout_fea.h"
#include "model/font.h"
#include "model/glyph.h"
#include "model/object.h"

namespace {

namespace fs = std::filesystem;

vn::Ref<vn::Font> makeFont() {
  vn::Ref<vn::Font> font = vn::Ref<vn::Font>::adopt(new vn::Font());
  for (int i = 0; i < 60; ++i) {
    auto* glyph = new vn::Glyph();
    glyph->name = i == 0 ? ".notdef" : "g" + std::to_string(i);
    font->appendGlyph(glyph);
  }
  return font;
}

TEST(LayoutXmlGeneratedText, RefusedOrCompiled) {
  const struct {
    const char* file;
    bool accepted;
  } cases[] = {{"sound.xml", true},
               {"tag_with_space.xml", true},
               {"tag_with_braces.xml", false},
               {"value_-32768.xml", false},
               // The only mark has a class no base anchors: the subtable would go empty.
               {"markclass_past_count.xml", false},
               {"ligature_0_components.xml", false},
               {"alternates_0.xml", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    vn::Ref<vn::Font> font = makeFont();
    otl::LayoutFea layout(font.get(), "");
    std::ifstream in(fs::path(TARNWICK_TEST_DATA_DIR) / "generated_text" / c.file);
    ASSERT_TRUE(in.good());
    const bool loaded = layout.loadLayoutXml(in);
    EXPECT_EQ(loaded, c.accepted);
    if (!loaded) {
      EXPECT_TRUE(layout.gsub.lookups.isEmpty() && layout.gpos.lookups.isEmpty());
      continue;
    }
    std::ostringstream text;
    ASSERT_TRUE(layout.writeFeatureFile(text, vn::FeatureWriteOptions{}));
    otl::LayoutFea again(font.get(), "");
    std::istringstream back(text.str());
    otl::FeaCompileError error;
    EXPECT_TRUE(again.importFeatureFile(back, "Test", false, &error)) << error.message << "\n" << text.str();
    // What the text leaves out is said.
    std::string warnings;
    for (const auto& line : layout.takeWarnings()) warnings += line + "\n";
    bool hadRules = false;
    for (const otl::LayoutTableBlock* block : {&layout.gsub, &layout.gpos}) {
      for (const auto& [index, lookup] : block->lookups.lookups()) hadRules |= !lookup->subtables.empty();
    }
    const bool lost = hadRules && again.gpos.lookups.isEmpty() && again.gsub.lookups.isEmpty();
    EXPECT_EQ(lost, warnings.find("the feature text cannot name this feature") != std::string::npos) << warnings;
  }
}

}  // namespace
