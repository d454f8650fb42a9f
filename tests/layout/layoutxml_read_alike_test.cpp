// What the layout XML reader reads alike: formats of kinds read one way, indices naming
// nothing, lookups without an index or sharing one, and glyphs listed twice where their
// place selects a record (the first is kept, with a line).
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "layout/context_subst.h"
#include "layout/layout_fea.h"
#include "layoutxml_documents.h"

namespace {

using namespace layoutxml_documents;

// "Format" picks the reader of pair positioning and the contexts only: every other kind
// reads each format from 1 as it reads format 1.
TEST(LayoutXmlReading, FormatsOfKindsReadOneWayReadAsTheFirst) {
  const struct {
    const char* table;
    int type;
    std::string subtable;  // with Format 1
    const char* format;
  } cases[] = {
      {"GSUB", 1, "<SingleSubst index=\"0\" Format=\"1\"><Substitution in=\"g1\" out=\"g2\"/></SingleSubst>", "3"},
      {"GSUB", 2,
       "<MultipleSubst index=\"0\" Format=\"1\"><Coverage><Glyph value=\"g3\"/></Coverage><Sequence>"
       "<Substitute value=\"g4\"/><Substitute value=\"g5\"/></Sequence></MultipleSubst>",
       "2"},
      {"GSUB", 3,
       "<AlternateSubst index=\"0\" Format=\"1\"><AlternateSet glyph=\"g1\"><Alternate glyph=\"g6\"/>"
       "</AlternateSet></AlternateSubst>",
       "9"},
      {"GSUB", 4,
       "<LigatureSubst index=\"0\" Format=\"1\"><LigatureSet glyph=\"g1\"><Ligature components=\"g2\" "
       "glyph=\"g8\"/></LigatureSet></LigatureSubst>",
       "2"},
      {"GSUB", 8,
       "<ReverseChainSingleSubst index=\"0\" Format=\"1\"><Coverage><Glyph value=\"g1\"/></Coverage>"
       "<LookAheadCoverage index=\"0\"><Glyph value=\"g2\"/></LookAheadCoverage><Substitute index=\"0\" "
       "value=\"g3\"/></ReverseChainSingleSubst>",
       "2"},
      {"GPOS", 1,
       "<SinglePos index=\"0\" Format=\"1\"><Coverage><Glyph value=\"g1\"/><Glyph value=\"g2\"/></Coverage>"
       "<Value XAdvance=\"5\"/><Value XAdvance=\"7\"/></SinglePos>",
       "3"},
      {"GPOS", 3,
       "<CursivePos index=\"0\" Format=\"1\"><Coverage><Glyph value=\"g1\"/></Coverage><EntryExitRecord>"
       "<EntryAnchor Format=\"1\"><XCoordinate value=\"5\"/></EntryAnchor></EntryExitRecord></CursivePos>",
       "2"},
      {"GPOS", 4, markBase("g21", "g2"), "2"},
      {"GPOS", 6, std::regex_replace(markBase("g21", "g2"), std::regex("MarkBasePos"), "MarkMarkPos"), "5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.subtable.substr(1, c.subtable.find(' ')));
    const std::string read = std::regex_replace(c.subtable, std::regex("Format=\"1\""), std::string("Format=\"") +
                                                c.format + "\"", std::regex_constants::format_first_only);
    EXPECT_TRUE(expectReadAs(c.table, lookup(c.type, read), lookup(c.type, c.subtable)).empty());
  }
}

// A language system's index that names no FeatureRecord carries no rule: it is skipped,
// and the system's other indices stand.
TEST(LayoutXmlReading, FeatureIndicesNamingNoFeatureAreSkipped) {
  const std::string single = lookup(1, "<SingleSubst><Substitution in=\"g1\" out=\"g2\"/></SingleSubst>");
  const struct {
    const char* languageSystem;
    const char* sameAs;
  } cases[] = {
      {"<FeatureIndex index=\"0\" value=\"999\"/><FeatureIndex index=\"1\" value=\"0\"/>",
       "<FeatureIndex index=\"0\" value=\"0\"/>"},
      {"<ReqFeatureIndex value=\"7\"/><FeatureIndex index=\"0\" value=\"0\"/>",
       "<FeatureIndex index=\"0\" value=\"0\"/>"},
      {"<ReqFeatureIndex value=\"0\"/><FeatureIndex index=\"0\" value=\"999\"/>", "<ReqFeatureIndex value=\"0\"/>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.languageSystem);
    EXPECT_TRUE(expectReadAs("GSUB", single, single, c.languageSystem, c.sameAs).empty());
  }
}

// A Lookup or a FeatureRecord without an index is left out, with a line; two Lookup elements of one index
// both become lookups, and calls reach the later one.
TEST(LayoutXmlReading, LookupsWithoutAnIndexOrWithOneGivenTwice) {
  const std::string first = lookup(1, "<SingleSubst><Substitution in=\"g1\" out=\"g2\"/></SingleSubst>");
  const std::string second = lookup(1, "<SingleSubst><Substitution in=\"g3\" out=\"g4\"/></SingleSubst>");
  const std::string withoutIndex = std::regex_replace(second, std::regex(" index=\"0\""), "");
  EXPECT_EQ(expectReadAs("GSUB", first + withoutIndex, first),
            std::vector<std::string>{"Lookup without an index left out: no feature or call reaches it: Lookup on line 1 "
                                     "of layout XML document"});
  otl::LayoutFea withoutFeature(nullptr, "");
  ASSERT_TRUE(load(withoutFeature, std::regex_replace(document("GSUB", "test", first), std::regex("FeatureRecord index=\"0\""),
                                                      "FeatureRecord")));
  EXPECT_EQ(withoutFeature.reports.formatAll(), "[WARNING] FeatureRecord on line 1 of layout XML document: FeatureRecord "
                                                "without an index left out: no language system reaches it\n");

  const std::string calling = std::regex_replace(
      lookup(6, "<ChainContextSubst Format=\"3\"><InputCoverage><Glyph value=\"g5\"/></InputCoverage>"
                "<SubstLookupRecord><SequenceIndex value=\"0\"/><LookupListIndex value=\"0\"/></SubstLookupRecord>"
                "</ChainContextSubst>"),
      std::regex("index=\"0\""), "index=\"2\"");
  for (const std::string& later : {second, std::regex_replace(second, std::regex("index=\"0\""), "index=\"1\"")}) {
    otl::LayoutFea layout(nullptr, "");
    ASSERT_TRUE(load(layout, document("GSUB", "test", first + later + calling))) << layout.reports.formatAll();
    EXPECT_TRUE(layout.reports.empty()) << layout.reports.formatAll();
    ASSERT_EQ(layout.gsub.lookups.lookups().size(), 3u);
    // The feature and the context call document lookup 0.
    std::vector<uint32_t> called;
    layout.gsub.forEachFeature([&](const auto&, const auto&, const otl::Feature& f) { called = f.lookups; });
    const auto& context = static_cast<const otl::ContextSubtable&>(*layout.gsub.lookups.findLookup(3)->subtables.at(0));
    const bool twice = later == second;
    EXPECT_EQ(called, std::vector<uint32_t>{twice ? 2u : 1u});
    EXPECT_EQ(context.rules.at(0)->lookups.at(0).lookupIndex, twice ? 2 : 1);
  }
}

// A glyph listed twice where its place selects a record keeps its first record, as a
// table's reader takes it, with that reader's line: the document reads as it does without
// what stands in braces.
TEST(LayoutXmlReading, AGlyphListedTwiceKeepsItsFirstRecordWithALine) {
  const std::string coveredTwice = "coverage lists a glyph twice; its first entry is used: ";
  const struct {
    const char* table;
    int type;
    std::string subtable;
    std::string warning;
  } cases[] = {
      {"GSUB", 1,
       "<SingleSubst><Substitution in=\"g1\" out=\"g2\"/>{<Substitution in=\"g1\" out=\"g3\"/>}<Substitution "
       "in=\"g4\" out=\"g5\"/></SingleSubst>",
       coveredTwice + "SingleSubst"},
      {"GSUB", 2,
       "<MultipleSubst><Coverage><Glyph value=\"g3\"/>{<Glyph value=\"g3\"/>}<Glyph value=\"g6\"/></Coverage>"
       "<Sequence><Substitute value=\"g4\"/></Sequence>{<Sequence><Substitute value=\"g5\"/></Sequence>}<Sequence>"
       "<Substitute value=\"g7\"/></Sequence></MultipleSubst>",
       coveredTwice + "MultipleSubst"},
      {"GSUB", 3,
       "<AlternateSubst><AlternateSet glyph=\"g1\"><Alternate glyph=\"g6\"/></AlternateSet>{<AlternateSet "
       "glyph=\"g1\"><Alternate glyph=\"g7\"/></AlternateSet>}<AlternateSet glyph=\"g2\"><Alternate glyph=\"g8\"/>"
       "</AlternateSet></AlternateSubst>",
       coveredTwice + "AlternateSubst"},
      {"GSUB", 4,
       "<LigatureSubst><LigatureSet glyph=\"g1\"><Ligature components=\"g2\" glyph=\"g8\"/></LigatureSet>{<LigatureSet "
       "glyph=\"g1\"><Ligature components=\"g3\" glyph=\"g9\"/></LigatureSet>}</LigatureSubst>",
       coveredTwice + "LigatureSubst"},
      {"GSUB", 8,
       "<ReverseChainSingleSubst Format=\"1\"><Coverage><Glyph value=\"g1\"/>{<Glyph value=\"g1\"/>}</Coverage>"
       "<Substitute value=\"g2\"/>{<Substitute value=\"g3\"/>}</ReverseChainSingleSubst>",
       coveredTwice + "ReverseChainSingleSubst"},
      {"GSUB", 6,
       "<ChainContextSubst Format=\"1\"><Coverage><Glyph value=\"g1\"/>{<Glyph value=\"g1\"/>}</Coverage>"
       "<ChainSubRuleSet index=\"0\"><ChainSubRule><Input value=\"g2\"/></ChainSubRule></ChainSubRuleSet>"
       "{<ChainSubRuleSet index=\"1\"><ChainSubRule><Input value=\"g3\"/></ChainSubRule></ChainSubRuleSet>}"
       "</ChainContextSubst>",
       coveredTwice + "ChainContextSubst"},
      {"GPOS", 1,
       "<SinglePos Format=\"2\"><Coverage><Glyph value=\"g1\"/>{<Glyph value=\"g1\"/>}<Glyph value=\"g2\"/>"
       "</Coverage><Value XAdvance=\"5\"/>{<Value XAdvance=\"6\"/>}<Value XAdvance=\"7\"/></SinglePos>",
       coveredTwice + "SinglePos"},
      {"GPOS", 2,
       "<PairPos Format=\"1\"><Coverage><Glyph value=\"g1\"/>{<Glyph value=\"g1\"/>}</Coverage><PairSet index=\"0\">"
       "<PairValueRecord><SecondGlyph value=\"g2\"/><Value1 XAdvance=\"10\"/></PairValueRecord></PairSet>{<PairSet "
       "index=\"1\"><PairValueRecord><SecondGlyph value=\"g3\"/><Value1 XAdvance=\"20\"/></PairValueRecord>"
       "</PairSet>}</PairPos>",
       coveredTwice + "PairPos"},
      {"GPOS", 2,
       "<PairPos Format=\"2\"><Coverage><Glyph value=\"g1\"/></Coverage><ClassDef1><ClassDef glyph=\"g1\" "
       "class=\"1\"/>{<ClassDef glyph=\"g1\" class=\"2\"/>}</ClassDef1><ClassDef2><ClassDef glyph=\"g2\" "
       "class=\"1\"/></ClassDef2><Class1Record index=\"1\"><Class2Record index=\"1\"><Value1 XAdvance=\"10\"/>"
       "</Class2Record></Class1Record>{<Class1Record index=\"2\"><Class2Record index=\"1\"><Value1 "
       "XAdvance=\"20\"/></Class2Record></Class1Record>}</PairPos>",
       "class definition gives a glyph two classes; the first is used: PairPos"},
      {"GPOS", 3,
       "<CursivePos Format=\"1\"><Coverage><Glyph value=\"g1\"/>{<Glyph value=\"g1\"/>}</Coverage><EntryExitRecord>"
       "<EntryAnchor><XCoordinate value=\"5\"/></EntryAnchor></EntryExitRecord>{<EntryExitRecord><ExitAnchor>"
       "<XCoordinate value=\"6\"/></ExitAnchor></EntryExitRecord>}</CursivePos>",
       coveredTwice + "CursivePos"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.warning);
    const std::string twice = std::regex_replace(c.subtable, std::regex("[{}]"), "");
    const std::string first = std::regex_replace(c.subtable, std::regex("\\{[^}]*\\}"), "");
    EXPECT_EQ(expectReadAs(c.table, lookup(c.type, twice), lookup(c.type, first)),
              std::vector<std::string>{c.warning + " on line 1 of layout XML document"});
  }
}

}  // namespace
