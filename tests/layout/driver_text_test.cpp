// Feature text kept in blocks: written back byte for byte, every block in order; compile
// errors located in their block; the generated document's header and languagesystems.
#include <gtest/gtest.h>

#include <sstream>

#include "layout/layout_fea.h"
#include "layout/text/fea_text_blocks.h"
#include "layout/text/fea_writer.h"

namespace {

using otl::FeatureTextBlocks;
namespace fl = otl::ot_fea_layout;

std::string names(const FeatureTextBlocks& blocks) {
  std::string out;
  for (const auto& block : blocks) out += block.name + "|";
  return out;
}

TEST(DriverText, BlocksGiveTheTextBackByteForByte) {
  const struct {
    const char* text;
    const char* names;
  } cases[] = {
      {"# only a comment\n\nfeature kern {\n  pos A V -50;\n} kern;\n", "FeaPrefix|kern|"},
      {"feature kern { pos A V -50; } kern;\nlookup L { pos A A 5; } L;\nfeature kern { pos V A -40; } kern;\n",
       "FeaPrefix|kern|kern|"},
      {"   \n\nfeature liga { sub f i by f_i; } liga;", "FeaPrefix|liga|"},
      {"feature aalt { feature liga; } aalt;\nfeature liga { sub f i by f_i; } liga;\n", "FeaPrefix|aalt|liga|"},
      {"languagesystem DFLT dflt;\n", "FeaPrefix|"},
      {"feature verylongname { } x; feature kern { } kern;\n", "FeaPrefix|verylongname|kern|"},
      {"# feature kern in a comment\nfeature\n", "FeaPrefix||"},
      {"", ""},
  };
  for (const auto& c : cases) {
    FeatureTextBlocks blocks;
    fl::splitFeatureText(std::string(c.text), blocks);
    std::ostringstream out;
    fl::writeFeatureTextLines(blocks, out);
    EXPECT_EQ(out.str(), c.text);
    std::string expected = c.names;
    // A text starting with "feature" has no prefix block.
    if (std::string(c.text).rfind("feature", 0) == 0) expected.erase(0, std::string("FeaPrefix|").size());
    EXPECT_EQ(names(blocks), expected) << c.text;
  }
}

// The record of a failed compile keeps the place the compiler gave, and its line says it:
// a feature block with the line in it, the top level or an included file with their lines,
// nothing when the place is not known.
TEST(DriverText, CompileErrorIsLocatedInItsPlace) {
  using Scope = otl::FeaErrorScope;
  struct Case {
    otl::FeaCompileResult result;
    std::string message;
    Scope scope;
    std::string details;
    int32_t line;
    std::string shown;
  };
  const std::vector<Case> cases = {
      {{1, "syntax error", Scope::kFeatureBlock, "liga", 2}, "FEA compilation fatal errorsyntax error.\n",
       Scope::kFeatureBlock, "liga", 2, "FEA compilation fatal error: syntax error. (feature block liga, line 2)"},
      {{1, "<Font> aborting because of errors", Scope::kTopLevel, "", 7},
       "FEA compilation fatal error<Font> aborting because of errors.\n", Scope::kTopLevel, "", 7,
       "FEA compilation fatal error: <Font> aborting because of errors. (top level, line 7)"},
      {{1, "feature file is not accessible: a.fea is not a regular file", Scope::kIncludedFile, "a.fea", 3},
       "FEA compilation fatal errorfeature file is not accessible: a.fea is not a regular file.\n",
       Scope::kIncludedFile, "a.fea", 3,
       "FEA compilation fatal error: feature file is not accessible: a.fea is not a regular file. (included file "
       "\"a.fea\", line 3)"},
      {{2, "X, Y", Scope::kUnknown, "", -1}, "Missing glyph names were found: X, Y.\n", Scope::kUnknown, "", -1,
       "Missing glyph names were found: X, Y."},
      // A scope without a line is no place.
      {{1, "", Scope::kFeatureBlock, "liga", -1}, "FEA compilation fatal error", Scope::kUnknown, "", -1,
       "FEA compilation fatal error"},
      {{0, "", Scope::kUnknown, "", -1}, "FEA compilation unknown exception", Scope::kUnknown, "", -1,
       "FEA compilation unknown exception"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    otl::FeaCompileError error;
    error.details = "left over";
    fl::compileErrorText(error, c.result);
    EXPECT_EQ(error.message, c.message);
    EXPECT_EQ(error.scope, c.scope);
    EXPECT_EQ(error.details, c.details);
    EXPECT_EQ(error.line, c.line);
    EXPECT_EQ(fl::compileErrorLine(error), c.shown);
  }
}

TEST(DriverText, GeneratedHeaderAndLanguageSystems) {
  otl::LayoutFea layout(nullptr, "");
  auto& latn = layout.gpos.scripts[ot::Tag::fromString("latn")];
  latn.tag = ot::Tag::fromString("latn");
  auto& trk = latn.languages[ot::Tag::fromString("TRK ")];
  trk.tag = ot::Tag::fromString("TRK ");
  trk.features[ot::Tag::fromString("kern")] = otl::Feature(ot::Tag::fromString("kern"));
  trk.features[ot::Tag::fromString("kern")].lookups = {0, 1};

  fl::LayoutFeaWriter writer;
  writer.setClock([] { return fl::LocalTime{2015, 1, 23, 9, 5}; });
  std::ostringstream out;
  ASSERT_TRUE(writer.write(nullptr, nullptr, layout.classes, &layout.gsub, &layout.gpos, &layout.gdef(),
                           vn::FeatureWriteOptions{}, out));
  EXPECT_EQ(out.str(),
            "#\n# Feature definitions\n#\n\n"
            "###\n# OpenType Layout feature definitions\n# Format: OpenType feature file, syntax version 2.5\n"
            "# Generated on: 2015-1-23 9:5\n# Generated by: Quorvel\n"
            "# Tool options: fea-inline-lookups: yes, fea-inline-classes: 0, fea-additional-tables: yes, "
            "fea-table-overrides: no\n"
            "#\n# Totals:\n# Languagesystems: 1\n# GSUB lookups: 0\n# GPOS lookups: 2\n# GPOS features: 1 (kern)\n\n"
            "#\n# Languagesystem definitions\n#\n\n"
            "languagesystem DFLT dflt;\nlanguagesystem latn TRK ; # Latin Turkish\n\n"
            "\n\n");
  EXPECT_FALSE(writer.write(nullptr, nullptr, layout.classes, nullptr, &layout.gpos, nullptr,
                            vn::FeatureWriteOptions{}, out));
}

}  // namespace
