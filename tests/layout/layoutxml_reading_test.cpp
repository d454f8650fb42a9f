// What the layout XML reader takes from documents it did not write: substitutions whose
// content gives their format, glyphs the font lacks (named in one warning, and what is
// accepted writes back in a form that is accepted again), and indices past their lists.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "layout/layout_fea.h"
#include "layout/mark_pos.h"
#include "layoutxml_documents.h"

namespace {

using namespace layoutxml_documents;

TEST(LayoutXmlReading, SubstitutionsWithoutFormatAreReadByTheirContent) {
  const struct {
    const char* what;
    int type;
    std::string subtable;
    const char* written;  // a line of the document written back
  } cases[] = {
      {"single", 1, "<SingleSubst index=\"0\"><Substitution in=\"g1\" out=\"g2\"/></SingleSubst>",
       "<Substitution in=\"g1\" out=\"g2\"/>"},
      {"multiple, as substitutions", 2,
       "<MultipleSubst index=\"0\"><Substitution in=\"g3\" out=\"g4,g5\"/><Substitution in=\"g6\" out=\"g7\"/>"
       "</MultipleSubst>",
       "<Substitute index=\"1\" value=\"g5\"/>"},
      {"multiple, as sequences", 2,
       "<MultipleSubst index=\"0\"><Coverage><Glyph value=\"g3\"/></Coverage><Sequence><Substitute value=\"g4\"/>"
       "<Substitute value=\"g5\"/></Sequence></MultipleSubst>",
       "<Substitute index=\"1\" value=\"g5\"/>"},
      {"alternate", 3,
       "<AlternateSubst index=\"0\"><AlternateSet glyph=\"g1\"><Alternate glyph=\"g6\"/><Alternate glyph=\"g7\"/>"
       "</AlternateSet></AlternateSubst>",
       "<Alternate glyph=\"g7\"/>"},
      {"ligature", 4,
       "<LigatureSubst index=\"0\"><LigatureSet glyph=\"g1\"><Ligature components=\"g2,g3\" glyph=\"g8\"/>"
       "</LigatureSet></LigatureSubst>",
       "<Ligature components=\"g2,g3\" glyph=\"g8\"/>"},
      {"ligature inside an extension", 7,
       "<ExtensionSubst index=\"0\" Format=\"1\"><ExtensionLookupType value=\"4\"/><LigatureSubst><LigatureSet "
       "glyph=\"g1\"><Ligature components=\"g2\" glyph=\"g8\"/></LigatureSet></LigatureSubst></ExtensionSubst>",
       "<Ligature components=\"g2\" glyph=\"g8\"/>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    otl::LayoutFea layout(nullptr, "");
    ASSERT_TRUE(load(layout, document("GSUB", "ccmp", lookup(c.type, c.subtable)))) << layout.reports.formatAll();
    EXPECT_TRUE(layout.reports.empty()) << layout.reports.formatAll();
    EXPECT_NE(write(layout).find(c.written), std::string::npos) << write(layout);
    expectWrittenFormReadsBack(layout);
  }
}

// Refusals: "[E] layout XML document: layout XML: <element> on line 1: <why>".
TEST(LayoutXmlReading, MalformedDocumentsAreRefusedNamingTheElement) {
  const struct {
    const char* what;
    const char* table;
    std::string lookups;
    std::string languageSystem;
    const char* why;
  } cases[] = {
      {"positioning without Format", "GPOS",
       lookup(1, "<SinglePos index=\"0\"><Coverage><Glyph value=\"g1\"/></Coverage><Value XAdvance=\"5\"/></SinglePos>"),
       "", "SinglePos on line 1: has no Format"},
      {"context of Format 0", "GSUB",
       lookup(6, "<ChainContextSubst Format=\"0\"><InputCoverage><Glyph value=\"g1\"/></InputCoverage>"
                 "</ChainContextSubst>"),
       "", "ChainContextSubst on line 1: Format 0 is not read"},
      {"context of Format 4", "GPOS",
       lookup(8, "<ChainContextPos Format=\"4\"><InputCoverage><Glyph value=\"g1\"/></InputCoverage>"
                 "</ChainContextPos>"),
       "", "ChainContextPos on line 1: Format 4 is not read"},
      {"a multiple substitution leaving a glyph out", "GSUB",
       lookup(2, "<MultipleSubst><Substitution in=\"g3\" out=\"g4,,g5\"/></MultipleSubst>"), "",
       "Substitution on line 1: out \"g4,,g5\" leaves a glyph out"},
      {"a mark listed twice", "GPOS", lookup(4, markBase("g20", "g2")), "",
       "Glyph on line 1: g20 is listed twice in MarkCoverage"},
      {"a base listed twice", "GPOS", lookup(4, markBase("g21", "g1")), "",
       "Glyph on line 1: g1 is listed twice in BaseCoverage"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    otl::LayoutFea layout(nullptr, "");
    const std::string languageSystem =
        c.languageSystem.empty() ? "<FeatureIndex index=\"0\" value=\"0\"/>" : c.languageSystem;
    EXPECT_FALSE(load(layout, document(c.table, "test", c.lookups, languageSystem)));
    EXPECT_TRUE(layout.gsub.lookups.isEmpty() && layout.gpos.lookups.isEmpty());
    EXPECT_EQ(layout.reports.formatAll(), std::string("[E] layout XML document: layout XML: ") + c.why + "\n");
  }
}

// Rules naming glyphs the font lacks go, with the feature-text road's warning line; the
// rest writes back in a form the reader takes again.
TEST(LayoutXmlReading, GlyphsTheFontLacksAreNamedAndTheirRulesLeftOut) {
  const struct {
    const char* what;
    const char* table;
    std::string lookups;
    const char* warning;
  } cases[] = {
      {"a ligature component", "GSUB",
       lookup(4, "<LigatureSubst><LigatureSet glyph=\"g1\"><Ligature components=\"g2\" glyph=\"g8\"/>"
                 "<Ligature components=\"g2,nosuch\" glyph=\"g9\"/></LigatureSet></LigatureSubst>"),
       "(nosuch); the rules using them were left out of GSUB lookup 1 (liga)"},
      {"an alternate", "GSUB",
       lookup(3, "<AlternateSubst><AlternateSet glyph=\"g1\"><Alternate glyph=\"g6\"/><Alternate glyph=\"nosuch\"/>"
                 "</AlternateSet><AlternateSet glyph=\"g2\"><Alternate glyph=\"g7\"/></AlternateSet></AlternateSubst>"),
       "(nosuch); the rules using them were left out of GSUB lookup 1 (liga)"},
      {"a mark", "GPOS", lookup(4, markBase("g99", "g2")),
       "(g99); the rules using them were left out of GPOS lookup 1 (liga)"},
      {"a base, with the only anchor of a class", "GPOS",
       lookup(4, markBase("g21", "7",
                          "<BaseRecord><BaseAnchor index=\"0\"/></BaseRecord><BaseRecord><BaseAnchor index=\"0\"/>"
                          "<BaseAnchor index=\"1\"/></BaseRecord>")),
       "(7); the rules using them were left out of GPOS lookup 1 (liga)"},
      {"an empty name", "GPOS", lookup(4, markBase("", "g2")),
       "(\"\"); the rules using them were left out of GPOS lookup 1 (liga)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    otl::LayoutFea layout(nullptr, "");
    ASSERT_TRUE(load(layout, document(c.table, "liga", c.lookups))) << layout.reports.formatAll();
    EXPECT_EQ(layout.takeWarnings(),
              std::vector<std::string>{std::string("layout XML document names glyphs the font lacks ") + c.warning});
    EXPECT_FALSE(layout.block(c.table == std::string("GSUB") ? otl::kTableGsub : otl::kTableGpos)->lookups.isEmpty());
    expectWrittenFormReadsBack(layout);
  }
}

// Another tool marks a component's missing anchor as an empty element: no anchor there.
TEST(LayoutXmlReading, AnAnchorMarkedEmptyIsNoAnchor) {
  const std::string subtable =
      "<MarkLigPos index=\"0\" Format=\"1\"><MarkCoverage><Glyph value=\"g20\"/></MarkCoverage><LigatureCoverage>"
      "<Glyph value=\"g9\"/></LigatureCoverage><MarkArray><MarkRecord><Class value=\"0\"/><MarkAnchor/></MarkRecord>"
      "</MarkArray><LigatureArray><LigatureAttach><ComponentRecord><LigatureAnchor index=\"0\" Format=\"1\">"
      "<XCoordinate value=\"100\"/></LigatureAnchor></ComponentRecord><ComponentRecord><LigatureAnchor index=\"0\" "
      "empty=\"1\"/></ComponentRecord></LigatureAttach></LigatureArray></MarkLigPos>";
  otl::LayoutFea layout(nullptr, "");
  ASSERT_TRUE(load(layout, document("GPOS", "mark", lookup(5, subtable)))) << layout.reports.formatAll();
  const auto& lookups = layout.gpos.lookups.lookups();
  ASSERT_EQ(lookups.size(), 1u);
  const auto& ligature = static_cast<const otl::LpMarkToLigature&>(*lookups.begin()->second->subtables.at(0));
  ASSERT_EQ(ligature.ligatureRecords.size(), 1u);
  ASSERT_EQ(ligature.ligatureRecords[0].size(), 2u);
  ASSERT_NE(ligature.ligatureRecords[0][0][0], nullptr);
  EXPECT_EQ(ligature.ligatureRecords[0][0][0]->x, 100);
  EXPECT_EQ(ligature.ligatureRecords[0][1][0], nullptr);
  expectWrittenFormReadsBack(layout);
}

}  // namespace
