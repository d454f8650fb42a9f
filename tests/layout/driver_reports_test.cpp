// What the layout reports and keeps on its way through a font: feature parameters from
// feature text to tables and back to text, the warnings the converter prints, and the
// layout XML document read over compiled feature text (GDEF from the text, the
// document's GSUB/GPOS winning with a word when the two disagree).
#include <gtest/gtest.h>

#include <sstream>

#include "layout/layout_fea.h"
#include "model/font.h"
#include "model/glyph.h"
#include "model/object.h"

namespace {

vn::Ref<vn::Font> makeFont(size_t count) {
  vn::Ref<vn::Font> font = vn::Ref<vn::Font>::adopt(new vn::Font());
  for (size_t i = 0; i < count; ++i) {
    auto* glyph = new vn::Glyph();
    glyph->name = i == 0 ? ".notdef" : "g" + std::to_string(i);
    font->appendGlyph(glyph);
  }
  return font;
}

std::string generated(otl::LayoutFea& layout) {
  layout.textBlocks.reset();  // the text from the model, not the kept one
  std::ostringstream out;
  EXPECT_TRUE(layout.writeFeatureFile(out, vn::FeatureWriteOptions{}));
  return out.str();
}

bool compile(otl::LayoutFea& layout, const std::string& text) {
  std::istringstream in(text);
  otl::FeaCompileError error;
  const bool compiled = layout.importFeatureFile(in, "Test", false, &error);
  EXPECT_TRUE(compiled) << error.message;
  return compiled;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& line : lines) out += line + "\n";
  return out;
}

TEST(DriverReports, SizeParametersGoThroughTablesAndBackToText) {
  vn::Ref<vn::Font> font = makeFont(4);
  otl::LayoutFea layout(font.get(), "");
  ASSERT_TRUE(compile(layout, "feature size { parameters 10.5 3 80 139; } size;\n"
                              "feature kern { pos g1 g2 -20; } kern;\n"
                              "feature ss02 { featureNames { name \"Round\"; }; sub g1 by g3; } ss02;\n"));
  const auto& gpos = font->tables.at("GPOS");
  // The stored GPOS holds the five size fields: 105, 3, 0, 80, 139.
  const std::string bytes(gpos.begin(), gpos.end());
  EXPECT_NE(bytes.find(std::string("\x00\x69\x00\x03\x00\x00\x00\x50\x00\x8b", 10)), std::string::npos);
  const std::string text = generated(layout);
  EXPECT_NE(text.find("feature size {\n  parameters 10.5 3 80 139;\n} size;\n"), std::string::npos) << text;
  // The stylistic set's UI name is a string of the name table: one warning names its id.
  const std::string warnings = joined(layout.takeWarnings());
  EXPECT_NE(warnings.find("feature parameter names are not in the feature text (name ids 256)"), std::string::npos)
      << warnings;
  EXPECT_TRUE(layout.takeWarnings().empty());
  // The generated text compiles to the same parameters.
  otl::LayoutFea again(font.get(), "");
  ASSERT_TRUE(compile(again, text));
  const auto& params = again.gpos.scripts.begin()->second.languages.begin()->second.features;
  ASSERT_TRUE(params.count(ot::Tag::fromString("size")));
  EXPECT_EQ(params.at(ot::Tag::fromString("size")).params.fields, (std::vector<uint16_t>{105, 3, 0, 80, 139}));
}

// Name ids of many stylistic sets: the warning names the first five and counts the rest.
TEST(DriverReports, ManyFeatureParameterNamesGiveOneShortLine) {
  const struct {
    int sets;
    const char* named;
  } cases[] = {{5, "(name ids 256, 257, 258, 259, 260)"}, {20, "(name ids 256, 257, 258, 259, 260 and 15 more)"}};
  for (const auto& c : cases) {
    vn::Ref<vn::Font> font = makeFont(4);
    otl::LayoutFea layout(font.get(), "");
    std::string text;
    for (int i = 1; i <= c.sets; ++i) {
      const std::string tag = (i < 10 ? "ss0" : "ss") + std::to_string(i);
      text += "feature " + tag + " { featureNames { name \"Set\"; }; sub g1 by g3; } " + tag + ";\n";
    }
    ASSERT_TRUE(compile(layout, text));
    generated(layout);
    const std::string warnings = joined(layout.takeWarnings());
    EXPECT_NE(warnings.find(std::string("feature parameter names are not in the feature text ") + c.named),
              std::string::npos)
        << warnings;
  }
}

TEST(DriverReports, CompiledContextsLongerThanAThousandGlyphsAreReadBack) {
  // Backtrack, marked input and lookahead of 2,000 positions each.
  std::string text = "lookup S { sub g1 by g2; } S;\nfeature calt { sub";
  for (int i = 0; i < 2000; ++i) text += " g3";
  text += " g1' lookup S";
  for (int i = 0; i < 2000; ++i) text += " g4";
  text += "; } calt;\n";
  vn::Ref<vn::Font> font = makeFont(5);
  otl::LayoutFea layout(font.get(), "");
  ASSERT_TRUE(compile(layout, text));
  EXPECT_TRUE(font->tables.count("GSUB"));
  EXPECT_TRUE(layout.hasFeature("calt"));
}

TEST(DriverReports, TablesThatCannotBeStoredAreReported) {
  // Glyph indices are 16-bit: a font of 65,537 glyphs gets no table, and says so.
  vn::Ref<vn::Font> font = makeFont(65537);
  otl::LayoutFea layout(font.get(), "");
  ASSERT_TRUE(compile(layout, "feature kern { pos g1 g2 -20; } kern;\n"));
  EXPECT_FALSE(font->tables.count("GPOS"));
  const std::string warnings = joined(layout.takeWarnings());
  EXPECT_NE(warnings.find("more glyphs than 16-bit glyph indices reach"), std::string::npos) << warnings;
  EXPECT_NE(warnings.find("table cannot be written; the font keeps no such table: GPOS"), std::string::npos);
}

const char* const kGdefText =
    "@marks = [g5 g6];\n"
    "table GDEF { GlyphClassDef [g1 g2], [g3], @marks, ; } GDEF;\n"
    "markClass g5 <anchor 0 0> @TOP;\n"
    "feature mark { lookupflag MarkAttachmentType @marks; pos base g1 <anchor 10 20> mark @TOP; } mark;\n";

// The document of a layout compiled from `text`.
std::string documentOf(const std::string& text) {
  vn::Ref<vn::Font> font = makeFont(8);
  otl::LayoutFea layout(font.get(), "");
  EXPECT_TRUE(compile(layout, text));
  std::ostringstream out;
  EXPECT_TRUE(layout.writeLayoutXml(out, true, false));
  return out.str();
}

TEST(DriverReports, DocumentOverFeatureTextKeepsTheTextsGdef) {
  const std::string document = documentOf(std::string(kGdefText) + "feature liga { sub g1 g2 by g3; } liga;\n");
  const struct {
    const char* extra;  // hand edits of features.fea after the document was written
    bool warned;
  } cases[] = {{"feature liga { sub g1 g2 by g3; } liga;\n", false}, {"feature salt { sub g1 by g4; } salt;\n", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.extra);
    vn::Ref<vn::Font> font = makeFont(8);
    otl::LayoutFea layout(font.get(), "");
    ASSERT_TRUE(compile(layout, std::string(kGdefText) + c.extra));
    std::istringstream in(document);
    ASSERT_TRUE(layout.loadLayoutXml(in));
    EXPECT_FALSE(layout.gdef().isEmpty());
    EXPECT_TRUE(font->tables.count("GDEF"));
    EXPECT_TRUE(layout.hasFeature("liga"));
    EXPECT_FALSE(layout.hasFeature("salt"));
    const std::string text = generated(layout);
    EXPECT_NE(text.find("MarkAttachmentType"), std::string::npos) << text;
    const std::string warnings = joined(layout.takeWarnings());
    EXPECT_EQ(warnings.find("the document's layout was used") != std::string::npos, c.warned) << warnings;
  }
}

TEST(DriverReports, UnreadableDocumentLeavesTheCompiledText) {
  vn::Ref<vn::Font> font = makeFont(8);
  otl::LayoutFea layout(font.get(), "");
  ASSERT_TRUE(compile(layout, std::string(kGdefText) + "feature salt { sub g1 by g4; } salt;\n"));
  std::istringstream in("<OTLayout><GSUB><FeatureList><FeatureRecord index=\"0\"><FeatureTag value=\"k rn\"/>");
  EXPECT_FALSE(layout.loadLayoutXml(in));
  EXPECT_TRUE(layout.hasFeature("salt"));
  EXPECT_FALSE(layout.gdef().isEmpty());
  // The reader's reason first, then what became of the document.
  EXPECT_EQ(joined(layout.takeWarnings()),
            "layout XML: no element found at line 1: layout XML document\n"
            "cannot be read; the layout comes from features.fea: layout XML document\n");
}

// A text the compiler refuses is kept as it is; why is among the layout's warnings (the
// converter prints them), once per import.
TEST(DriverReports, FeatureTextThatDoesNotCompileIsReported) {
  const struct {
    const char* text;
    const char* why;
  } cases[] = {
      {"feature liga { sub g1 by g2 } liga;\n", "<Font> aborting because of errors. (feature block liga, line 1)"},
      {"feature liga { sub @none by g2; } liga;\n",
       "<Font> glyph class not defined (text was \"@none\"). (feature block liga, line 1)"},
      // The text ends inside the second block.
      {"languagesystem DFLT dflt;\nfeature liga { sub g1 g2 by g3; } liga;\nfeature liga {\n",
       "<Font> aborting because of errors. (feature block liga, line 4)"},
  };
  for (const auto& c : cases) {
    vn::Ref<vn::Font> font = makeFont(8);
    otl::LayoutFea layout(font.get(), "");
    std::istringstream in(c.text);
    layout.importFeatureText(in);
    EXPECT_TRUE(layout.hasFeatureText()) << c.text;
    EXPECT_EQ(joined(layout.takeWarnings()),
              std::string("Feature text kept as it is, not compiled: FEA compilation fatal error: ") + c.why + "\n")
        << c.text;
    EXPECT_TRUE(layout.takeWarnings().empty()) << c.text;
  }
}

}  // namespace
