// The layout XML document: hostile and truncated documents, the faults the reader and
// writer must not have, and Debian's fonts through `otltool xml` / `readxml` judged by
// fontTools, ots-sanitize and hb-shape (data/layoutxml_font_roundtrip.py).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include <unistd.h>

#include "command_output.h"
#include "debian_fonts.h"
#include "layout/context_subst.h"
#include "layout/glyph_id_map.h"
#include "layout/layout_fea.h"
#include "layout/mark_pos.h"
#include "layout/text/layout_xml.h"
#include "support/judge_passes.h"

namespace {

namespace fs = std::filesystem;

otl::GlyphIdMap glyphOrder(std::vector<std::string> extra = {}) {
  std::vector<std::string> names;
  for (int i = 0; i < 60; ++i) names.push_back("g" + std::to_string(i));
  names.insert(names.end(), extra.begin(), extra.end());
  otl::GlyphIdMap map;
  map.fill(names);
  return map;
}

std::string allKinds() {
  std::ifstream in(fs::path(TARNWICK_SOURCE_DIR) / "fuzz/layout_xml/corpus/all_kinds.xml", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A GSUB table whose feature "liga" of DFLT calls the listed document lookups.
std::string gsub(const std::string& lookups, const std::string& featureLookups = "0") {
  std::string doc = "<GSUB><ScriptList><ScriptRecord index=\"0\"><ScriptTag value=\"DFLT\"/><Script><DefaultLangSys>"
                    "<FeatureIndex index=\"0\" value=\"0\"/></DefaultLangSys></Script></ScriptRecord></ScriptList>"
                    "<FeatureList><FeatureRecord index=\"0\"><FeatureTag value=\"liga\"/><Feature>";
  std::istringstream list(featureLookups);
  for (std::string index; list >> index;) doc += "<LookupListIndex value=\"" + index + "\"/>";
  return doc + "</Feature></FeatureRecord></FeatureList><LookupList>" + lookups + "</LookupList></GSUB>";
}

std::string single(int index, const std::string& in, const std::string& out, const std::string& flag = "0") {
  return "<Lookup index=\"" + std::to_string(index) + "\"><LookupType value=\"1\"/><LookupFlag value=\"" + flag +
         "\"/><SingleSubst Format=\"2\"><Substitution in=\"" + in + "\" out=\"" + out + "\"/></SingleSubst></Lookup>";
}

std::string chainCalling(int index, const std::string& called) {
  return "<Lookup index=\"" + std::to_string(index) + "\"><LookupType value=\"6\"/><LookupFlag value=\"0\"/>"
         "<ChainContextSubst Format=\"3\"><InputCoverage index=\"0\" Format=\"1\"><Glyph value=\"g1\"/>"
         "</InputCoverage><SubstLookupRecord index=\"0\"><SequenceIndex value=\"0\"/><LookupListIndex value=\"" +
         called + "\"/></SubstLookupRecord></ChainContextSubst></Lookup>";
}

// The same as a GPOS table (feature "liga" all the same).
std::string gpos(const std::string& lookups) {
  std::string doc = gsub(lookups);
  doc.replace(doc.find("GSUB>"), 4, "GPOS");
  doc.replace(doc.rfind("GSUB>"), 4, "GPOS");
  return doc;
}

bool load(otl::LayoutFea& layout, const std::string& doc, const otl::GlyphIdMap& map) {
  std::istringstream in(doc);
  return otl::xml::loadLayoutXml(layout, in, map);
}

std::string write(const otl::LayoutFea& layout, const otl::GlyphIdMap& map) {
  std::ostringstream out;
  EXPECT_TRUE(otl::writeLayoutXml(layout, out, map, true));
  return out.str();
}

bool empty(const otl::LayoutFea& layout) {
  return layout.gsub.lookups.isEmpty() && layout.gpos.lookups.isEmpty() && layout.gsub.scripts.empty() &&
         layout.gpos.scripts.empty();
}

TEST(LayoutXml, RejectedDocumentsLeaveNoLayout) {
  const auto map = glyphOrder();
  const struct {
    const char* what;
    std::string doc;
    const char* why;  // the error the layout reports for the document
  } cases[] = {
      {"not XML", "<GSUB><Lookup", "unclosed token at line 1"},
      // References are resolved at the table's end tag.
      {"unknown feature lookup", gsub(single(0, "g1", "g2"), "0 7"), "GSUB on line 1: lookup 7 is not in the LookupList"},
      {"unknown context lookup", gsub(chainCalling(0, "9"), "0"), "GSUB on line 1: lookup 9 is not in the LookupList"},
      {"16-bit overflow", gsub(single(0, "g1", "g2", "65536")), "LookupFlag on line 1: 65536 is out of range"},
      {"64-bit overflow", gsub(single(0, "g1", "g2", "99999999999999999999999")),
       "LookupFlag on line 1: \"99999999999999999999999\" is not a number"},
      {"not a number", gsub(single(0, "g1", "g2", "8x")), "LookupFlag on line 1: \"8x\" is not a number"},
      {"long tag", "<GSUB><FeatureList><FeatureRecord index=\"0\"><FeatureTag value=\"ligature\"/>"
                   "</FeatureRecord></FeatureList></GSUB>", "FeatureTag on line 1: \"ligature\" is not a tag"},
      {"feature lookup past 16 bits, on its own line", gsub(single(0, "g1", "g2"), "0 99999").insert(0, "\n\n"),
       "LookupListIndex on line 3: 99999 is out of range"},
      // Lookups that cannot be taken whole: dropping a subtable would lose its rules.
      {"ligature subtable in a single substitution lookup",
       gsub("<Lookup index=\"0\"><LookupType value=\"1\"/><LigatureSubst Format=\"1\"><LigatureSet glyph=\"g1\">"
            "<Ligature components=\"g2\" glyph=\"g3\"/></LigatureSet></LigatureSubst></Lookup>"),
       "LigatureSubst on line 1: is not of its lookup's LookupType"},
      {"an extension lookup of two kinds",
       gsub("<Lookup index=\"0\"><LookupType value=\"7\"/><SingleSubst Format=\"2\"><Substitution in=\"g1\" "
            "out=\"g2\"/></SingleSubst><LigatureSubst Format=\"1\"></LigatureSubst></Lookup>"),
       "LigatureSubst on line 1: is not of its lookup's LookupType"},
      {"ligature component without a name",
       gsub("<Lookup index=\"0\"><LookupType value=\"4\"/><LigatureSubst Format=\"1\"><LigatureSet glyph=\"g1\">"
            "<Ligature components=\"g2, ,g3\" glyph=\"g3\"/></LigatureSet></LigatureSubst></Lookup>"),
       "Ligature on line 1: components \"g2, ,g3\" leaves a component out"},
      {"chained context without input coverage",
       gsub("<Lookup index=\"0\"><LookupType value=\"6\"/><ChainContextSubst Format=\"3\"><SubstLookupRecord>"
            "<SequenceIndex value=\"0\"/><LookupListIndex value=\"0\"/></SubstLookupRecord></ChainContextSubst>"
            "</Lookup>"),
       "ChainContextSubst on line 1: has no rule with an input position"},
      {"sequence index past the input",
       gsub("<Lookup index=\"0\"><LookupType value=\"6\"/><ChainContextSubst Format=\"3\"><InputCoverage><Glyph "
            "value=\"g1\"/></InputCoverage><SubstLookupRecord><SequenceIndex value=\"65535\"/><LookupListIndex "
            "value=\"0\"/></SubstLookupRecord></ChainContextSubst></Lookup>"),
       "ChainContextSubst on line 1: has SequenceIndex 65535 past its 1 input positions"},
      {"plain context with a lookahead",
       gsub("<Lookup index=\"0\"><LookupType value=\"5\"/><ContextSubst Format=\"3\"><Coverage><Glyph value=\"g1\"/>"
            "</Coverage><LookAheadCoverage><Glyph value=\"g2\"/></LookAheadCoverage></ContextSubst></Lookup>"),
       "ContextSubst on line 1: has a backtrack or lookahead, which a plain context has not"},
      {"context rule set past the coverage",
       gsub("<Lookup index=\"0\"><LookupType value=\"6\"/><ChainContextSubst Format=\"1\"><Coverage><Glyph "
            "value=\"g1\"/></Coverage><ChainSubRuleSet index=\"1\"><ChainSubRule></ChainSubRule></ChainSubRuleSet>"
            "</ChainContextSubst></Lookup>"),
       "ChainSubRule on line 1: belongs to no rule set within the Coverage"},
      {"mark class 65535",
       gpos("<Lookup index=\"0\"><LookupType value=\"4\"/><MarkBasePos Format=\"1\"><MarkCoverage><Glyph "
            "value=\"g1\"/></MarkCoverage><MarkArray><MarkRecord><Class value=\"65535\"/></MarkRecord></MarkArray>"
            "</MarkBasePos></Lookup>"),
       "Class on line 1: 65535 is out of range"},
      {"pair positioning of format 3",
       gpos("<Lookup index=\"0\"><LookupType value=\"2\"/><PairPos Format=\"3\"></PairPos></Lookup>"),
       "PairPos on line 1: Format 3 is not read"},
  };
  for (const auto& c : cases) {
    otl::LayoutFea layout(nullptr, "");
    EXPECT_FALSE(load(layout, c.doc, map)) << c.what;
    EXPECT_TRUE(empty(layout)) << c.what;
    // Why is the layout's to report, as an error of the document.
    EXPECT_EQ(layout.reports.formatAll(), std::string("[E] layout XML document: layout XML: ") + c.why + "\n") << c.what;
  }
  otl::LayoutFea layout(nullptr, "");
  EXPECT_TRUE(load(layout, gsub(single(0, "g1", "g2")), map));
  EXPECT_FALSE(empty(layout));
}

TEST(LayoutXml, TruncatedDocumentsAreRejected) {
  const auto map = glyphOrder();
  const std::string doc = allKinds();
  for (size_t cut = 0; cut + 12 < doc.size(); cut += 97) {
    otl::LayoutFea layout(nullptr, "");
    EXPECT_FALSE(load(layout, doc.substr(0, cut), map)) << cut;
    EXPECT_TRUE(empty(layout)) << cut;
  }
}

TEST(LayoutXml, EveryKindIsAFixedPoint) {
  const auto map = glyphOrder();
  otl::LayoutFea first(nullptr, ""), second(nullptr, "");
  ASSERT_TRUE(load(first, allKinds(), map));
  const std::string written = write(first, map);
  ASSERT_TRUE(load(second, written, map));
  EXPECT_EQ(write(second, map), written);
  for (const char* kind : {"SinglePos", "PairPos index=\"1\" Format=\"2\"", "CursivePos", "MarkBasePos",
                           "MarkLigPos", "MarkMarkPos", "ChainContextPos", "SingleSubst", "MultipleSubst",
                           "AlternateSubst", "LigatureSubst", "ReverseChainSingleSubst", "ChainContextSubst",
                           "<MarkFilteringSet value=\"2\"/>", "<DeltaValue value=\"[1, 0, -1]\"/>"}) {
    EXPECT_NE(written.find(kind), std::string::npos) << kind;
  }
}

TEST(LayoutXml, AttributeValuesAreEscaped) {
  const auto map = glyphOrder({"q&\"<"});
  otl::LayoutFea layout(nullptr, ""), again(nullptr, "");
  ASSERT_TRUE(load(layout, gsub(single(0, "q&amp;&quot;&lt;", "g2")), map));
  const std::string written = write(layout, map);
  EXPECT_NE(written.find("in=\"q&amp;&quot;&lt;\""), std::string::npos) << written;
  ASSERT_TRUE(load(again, written, map));
  EXPECT_EQ(write(again, map), written);
}

TEST(LayoutXml, ClassAnchorsArePlacedByIndex) {
  const auto map = glyphOrder();
  otl::LayoutFea layout(nullptr, "");
  ASSERT_TRUE(load(layout, allKinds(), map));
  // Lookup 3 of the document: base g2 has an anchor for class 1 only.
  const auto& lookups = layout.gpos.lookups.lookups();
  const otl::LpMarkToBase* markBase = nullptr;
  for (const auto& [index, lookup] : lookups) {
    if (lookup->typeCode == 4) markBase = static_cast<const otl::LpMarkToBase*>(lookup->subtables.at(0).get());
  }
  ASSERT_NE(markBase, nullptr);
  ASSERT_EQ(markBase->classCount, 2);
  ASSERT_EQ(markBase->baseRecords.size(), 2u);
  EXPECT_EQ(markBase->baseRecords[1][0], nullptr);
  ASSERT_NE(markBase->baseRecords[1][1], nullptr);
  EXPECT_EQ(markBase->baseRecords[1][1]->x, 300);

  // An anchor for a class no mark has refuses the document: the subtable cannot be
  // taken whole.
  std::string doc = allKinds();
  doc.replace(doc.find("<BaseAnchor index=\"1\" Format=\"3\">"), 34, "<BaseAnchor index=\"5\" Format=\"3\">");
  otl::LayoutFea hostile(nullptr, "");
  EXPECT_FALSE(load(hostile, doc, map));
  EXPECT_TRUE(empty(hostile));
  EXPECT_NE(hostile.reports.formatAll().find("MarkBasePos on line "), std::string::npos) << hostile.reports.formatAll();
  EXPECT_NE(hostile.reports.formatAll().find(": has an anchor for a class that no mark has"), std::string::npos);
}

TEST(LayoutXml, SecondTableElementKeepsEarlierCalls) {
  const auto map = glyphOrder();
  otl::LayoutFea layout(nullptr, "");
  const std::string doc = "<OTLayout>" + gsub(single(0, "g1", "g2") + chainCalling(1, "0"), "1") +
                          gsub(single(0, "g3", "g4")) + "</OTLayout>";
  ASSERT_TRUE(load(layout, doc, map));
  const auto& lookups = layout.gsub.lookups.lookups();
  ASSERT_EQ(lookups.size(), 3u);
  const auto& chain = static_cast<const otl::ContextSubtable&>(*lookups.at(2)->subtables.at(0));
  EXPECT_EQ(chain.rules.at(0)->lookups.at(0).lookupIndex, 1);
}

TEST(LayoutXml, MissingGlyphsAreNotWrittenAsGlyphZero) {
  otl::LayoutFea layout(nullptr, "");
  ASSERT_TRUE(load(layout, gsub(single(0, "g1", "zz") + single(1, "g3", "g4"), "0 1"), glyphOrder({"zz"})));
  const std::string written = write(layout, glyphOrder());
  EXPECT_EQ(written.find("zz"), std::string::npos);
  EXPECT_EQ(written.find("out=\"g0\""), std::string::npos);
  EXPECT_EQ(written.find("out=\"\""), std::string::npos);
  EXPECT_NE(written.find("out=\"g4\""), std::string::npos);
}

// A table without language systems is not in the document: a warning names each of its
// lookups, which no feature uses; the other table is written as before.
TEST(LayoutXml, TableWithoutLanguageSystemsIsNamed) {
  const auto map = glyphOrder();
  otl::LayoutFea layout(nullptr, "");
  ASSERT_TRUE(load(layout, allKinds(), map));
  layout.gpos.scripts.clear();
  std::vector<std::string> left;
  for (const auto& entry : layout.gpos.lookups.lookups()) left.push_back("GPOS lookup " + std::to_string(entry.first));
  ASSERT_FALSE(left.empty());
  const std::string written = write(layout, map);
  EXPECT_EQ(written.find("<GPOS>"), std::string::npos);
  EXPECT_NE(written.find("<GSUB>"), std::string::npos);
  const std::vector<std::string> lines = layout.reports.linesByKind();
  ASSERT_EQ(lines.size(), 1u) << layout.reports.formatAll();
  EXPECT_EQ(lines[0].rfind("the layout XML document leaves out lookups that no feature uses: " + left[0], 0), 0u)
      << lines[0];

  // Neither table has one: nothing is written, and both tables' lookups are named.
  layout.reports.clear();
  layout.gsub.scripts.clear();
  EXPECT_EQ(write(layout, map).find("<GSUB>"), std::string::npos);
  const std::string all = layout.reports.formatAll();
  EXPECT_NE(all.find("GSUB lookup "), std::string::npos) << all;
  EXPECT_NE(all.find(left.back() + ": the layout XML document leaves out"), std::string::npos) << all;
}

TEST(LayoutXml, HugeClassNumbersStayBounded) {
  const auto map = glyphOrder();
  const std::string pairs =
      "<Lookup index=\"0\"><LookupType value=\"2\"/><PairPos Format=\"2\"><Coverage><Glyph value=\"g1\"/>"
      "</Coverage><ClassDef1><ClassDef glyph=\"g1\" class=\"65535\"/></ClassDef1><ClassDef2>"
      "<ClassDef glyph=\"g2\" class=\"65535\"/></ClassDef2></PairPos></Lookup>";
  std::string marks = "<Lookup index=\"1\"><LookupType value=\"4\"/><MarkBasePos Format=\"1\"><MarkCoverage>"
                      "<Glyph value=\"g1\"/></MarkCoverage><BaseCoverage>";
  for (int i = 2; i < 40; ++i) marks += "<Glyph value=\"g" + std::to_string(i) + "\"/>";
  marks += "</BaseCoverage><MarkArray><MarkRecord><Class value=\"65534\"/><MarkAnchor/></MarkRecord></MarkArray>"
           "<BaseArray>";
  for (int i = 2; i < 40; ++i) marks += "<BaseRecord><BaseAnchor index=\"65534\"/></BaseRecord>";
  marks += "</BaseArray></MarkBasePos></Lookup>";
  // The class pairs carry no value: an empty subtable, kept.
  otl::LayoutFea layout(nullptr, "");
  ASSERT_TRUE(load(layout, gpos(pairs), map));
  EXPECT_LT(write(layout, map).size(), 10000u);
  // The mark rows would need 38 x 65535 anchors, past 16-bit offsets: refused.
  otl::LayoutFea marked(nullptr, "");
  EXPECT_FALSE(load(marked, gpos(pairs + marks), map));
  EXPECT_NE(marked.reports.formatAll().find(": has more class anchors than 16-bit offsets reach"), std::string::npos)
      << marked.reports.formatAll();
  EXPECT_LT(write(marked, map).size(), 10000u);
}

class LayoutXmlDebianFont : public ::testing::TestWithParam<const char*> {};

TEST_P(LayoutXmlDebianFont, RoundTripsThroughTheDocument) {
  const char* font = GetParam();
  TARNWICK_WHOLE_FONT_JUDGES();
  if (const std::string missing = layout_test::missingJudge(); !missing.empty()) GTEST_SKIP() << missing << " missing";
  if (!fs::exists(font)) GTEST_SKIP() << font << " is not installed";
  const fs::path work = fs::temp_directory_path() / ("layoutxml_" + std::to_string(::getpid()));
  const std::string script = std::string(TARNWICK_TEST_DATA_DIR) + "/layoutxml_font_roundtrip.py";
  const std::string result = layout_test::commandLine(std::string(TARNWICK_PYTHON) + " '" + script + "' '" +
                                                      TARNWICK_OTLTOOL + "' '" + font + "' '" +
                                                      (work / fs::path(font).stem()).string() + "' 2>&1");
  std::cout << fs::path(font).filename().string() << ": " << result << "\n";
  fs::remove_all(work / fs::path(font).stem());
  if (result.rfind("SKIP ", 0) == 0) GTEST_SKIP() << result;
  EXPECT_EQ(result.rfind("OK ", 0), 0u) << font << ": " << result;
}

INSTANTIATE_TEST_SUITE_P(Debian, LayoutXmlDebianFont, ::testing::ValuesIn(layout_test::kDebianFonts),
                         layout_test::fontTestName);

}  // namespace
