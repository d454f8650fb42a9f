// Feature text compiled into a font's layout: tables parsed back and stored, glyphs the
// font lacks, failures recorded with their block, and the text written back verbatim.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "layout/glyph_id_map.h"
#include "layout/layout_fea.h"
#include "layout/text/layout_xml.h"
#include "model/font.h"
#include "model/glyph.h"
#include "model/object.h"

namespace {

vn::Ref<vn::Font> makeFont(std::initializer_list<const char*> names) {
  vn::Ref<vn::Font> font = vn::Ref<vn::Font>::adopt(new vn::Font());
  for (const char* name : names) {
    auto* glyph = new vn::Glyph();
    glyph->name = name;
    font->appendGlyph(glyph);
  }
  return font;
}

bool import(otl::LayoutFea& layout, const std::string& text, bool allowMissing, otl::FeaCompileError* error) {
  std::istringstream in(text);
  return layout.importFeatureFile(in, "Test", allowMissing, error);
}

std::string exported(otl::LayoutFea& layout) {
  std::ostringstream out;
  EXPECT_TRUE(layout.writeFeatureFile(out, vn::FeatureWriteOptions{}));
  return out.str();
}

TEST(DriverImport, GposOnlyTextStoresGposAndKeepsItsBlocks) {
  vn::Ref<vn::Font> font = makeFont({".notdef", "A", "V"});
  font->tables["GSUB"] = {1, 2, 3};
  otl::LayoutFea layout(font.get(), "");
  const std::string text = "# kerning\nfeature kern {\n  pos A V -50;\n} kern;\nfeature kern {\n  pos V A -40;\n} kern;\n";
  otl::FeaCompileError error;
  ASSERT_TRUE(import(layout, text, false, &error)) << error.message;
  EXPECT_TRUE(font->tables.count("GPOS"));
  EXPECT_FALSE(font->tables.count("GSUB"));
  EXPECT_FALSE(layout.gpos.lookups.isEmpty());
  ASSERT_EQ(layout.textBlocks->size(), 3u);
  EXPECT_EQ(exported(layout), text);
  // Exported text read again is the same text.
  ASSERT_TRUE(import(layout, exported(layout), false, &error));
  EXPECT_EQ(exported(layout), text);
}

TEST(DriverImport, MissingGlyphsFailOrLoseTheirRules) {
  vn::Ref<vn::Font> font = makeFont({".notdef", "f", "i", "f_i"});
  otl::LayoutFea layout(font.get(), "");
  const std::string text = "feature liga {\n  sub f i by f_i;\n  sub X Y by f;\n} liga;\n"
                           "feature salt {\n  sub Y by f;\n} salt;\n";
  otl::FeaCompileError error;
  EXPECT_FALSE(import(layout, text, false, &error));
  EXPECT_EQ(error.message, "Missing glyph names were found: X, Y.\n");
  EXPECT_EQ(error.details, "");
  EXPECT_EQ(error.line, -1);
  EXPECT_TRUE(layout.gsub.lookups.isEmpty());

  ASSERT_TRUE(import(layout, text, true, &error));
  std::vector<std::string> tags;
  layout.gsub.forEachFeature([&](const auto&, const auto&, const otl::Feature& feature) {
    tags.push_back(feature.tag.text());
  });
  // The salt lookup named only a missing glyph: it went with its feature.
  EXPECT_EQ(tags, std::vector<std::string>{"liga"});
  EXPECT_TRUE(font->tables.count("GSUB"));
  EXPECT_EQ(exported(layout), text);
}

// The rules go as before, but one warning names the glyphs (the first few, then a count)
// and the lookups, with their features, and GDEF, whose rules were left out.
TEST(DriverImport, MissingGlyphsAreNamedWithWhereTheirRulesWere) {
  vn::Ref<vn::Font> font = makeFont({".notdef", "f", "i", "f_i", "acute"});
  struct Case {
    const char* name;
    std::string text;
    std::string warning;
  };
  const std::vector<Case> cases = {
      {"rules in two features and GDEF",
       "feature liga {\n  sub f i by f_i;\n  sub X Y by f;\n} liga;\nfeature salt {\n  sub [i m1 m2 m3 m4] by f;\n} salt;\n"
       "table GDEF { GlyphClassDef [f], , [acute m5], ; } GDEF;\n",
       "feature text names glyphs the font lacks (X, Y, m1, m2, m3 and 2 more); the rules using them were left out of "
       "GSUB lookup 1 (liga), GSUB lookup 2 (salt), GDEF"},
      {"a class no rule uses", "@UNUSED = [f nothere];\nfeature liga { sub f i by f_i; } liga;\n",
       "feature text names glyphs the font lacks (nothere); no rule used them"},
      {"all glyphs there", "feature liga { sub f i by f_i; } liga;\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    otl::LayoutFea layout(font.get(), "");
    otl::FeaCompileError error;
    ASSERT_TRUE(import(layout, c.text, true, &error)) << error.message;
    const std::vector<std::string> warnings = layout.takeWarnings();
    EXPECT_EQ(warnings, c.warning.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.warning});
    EXPECT_EQ(exported(layout), c.text);
  }
}

TEST(DriverImport, FailedCompileKeepsTheTextAndNamesTheBlock) {
  vn::Ref<vn::Font> font = makeFont({".notdef", "A", "V"});
  otl::LayoutFea layout(font.get(), "");
  ASSERT_TRUE(import(layout, "feature kern { pos A V -50; } kern;\n", false, nullptr));
  const std::string broken = "feature kern {\n  pos A V -50;\n} kern;\n\nfeature liga {\n  sub A by;\n} liga;\n";
  otl::FeaCompileError error;
  EXPECT_FALSE(import(layout, broken, true, &error));
  EXPECT_EQ(error.details, "liga");
  EXPECT_EQ(error.line, 6);
  EXPECT_NE(error.message.find("FEA compilation fatal error"), std::string::npos);
  // The earlier compile's tables stay; the text is the new one, verbatim.
  EXPECT_FALSE(layout.gpos.lookups.isEmpty());
  EXPECT_EQ(exported(layout), broken);
}

// A feature with parameters and no lookup ('size' has none) is a table of its own: stored
// after the compile, written to the layout XML document and read back from it.
TEST(DriverImport, SizeFeatureAloneStoresGpos) {
  vn::Ref<vn::Font> font = makeFont({".notdef", "a"});
  otl::LayoutFea layout(font.get(), "");
  otl::FeaCompileError error;
  ASSERT_TRUE(import(layout, "feature size { parameters 10.0 3 80 139; } size;\n", false, &error)) << error.message;
  EXPECT_TRUE(layout.hasTableData(otl::kTableGpos));
  EXPECT_FALSE(layout.isEmpty());
  ASSERT_TRUE(font->tables.count("GPOS"));
  const std::vector<uint8_t>& gpos = font->tables["GPOS"];
  // The design size (100 decipoints), subfamily 3, no menu name, range 80 to 139.
  const std::vector<uint8_t> params = {0, 100, 0, 3, 0, 0, 0, 80, 0, 139};
  EXPECT_NE(std::search(gpos.begin(), gpos.end(), params.begin(), params.end()), gpos.end());
  otl::GlyphIdMap glyphs;
  glyphs.fillGlyphs(font->glyphs);
  std::ostringstream document;
  ASSERT_TRUE(otl::writeLayoutXml(layout, document, glyphs, true));
  EXPECT_NE(document.str().find("<FeatureTag value=\"size\"/>"), std::string::npos) << document.str();
  otl::LayoutFea again(nullptr, "");
  std::istringstream in(document.str());
  ASSERT_TRUE(otl::xml::loadLayoutXml(again, in, glyphs));
  EXPECT_TRUE(again.hasTableData(otl::kTableGpos));
  std::ostringstream written;
  ASSERT_TRUE(again.writeBinaryTable(written, otl::kTableGpos, glyphs));
  const std::string bytes = written.str();
  EXPECT_NE(bytes.find(std::string(params.begin(), params.end())), std::string::npos);
}

}  // namespace
