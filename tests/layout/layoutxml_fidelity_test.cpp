// The layout XML document keeps what a font holds: device tables with zero deltas,
// feature parameters, and only the reverse-chaining pairs whose glyphs the font has.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "layout/glyph_id_map.h"
#include "layout/layout_fea.h"
#include "layout/text/layout_xml.h"

namespace {

otl::GlyphIdMap glyphOrder() {
  std::vector<std::string> names;
  for (int i = 0; i < 20; ++i) names.push_back("g" + std::to_string(i));
  otl::GlyphIdMap map;
  map.fill(names);
  return map;
}

// A table `table` whose feature `tag` of DFLT names lookup 0 (when given) and carries `params`.
std::string document(const char* table, const char* tag, const std::string& params, const std::string& lookup) {
  return std::string("<OTLayout><") + table +
         "><ScriptList><ScriptRecord index=\"0\"><ScriptTag value=\"DFLT\"/><Script><DefaultLangSys>"
         "<FeatureIndex index=\"0\" value=\"0\"/></DefaultLangSys></Script></ScriptRecord></ScriptList>"
         "<FeatureList><FeatureRecord index=\"0\"><FeatureTag value=\"" + tag + "\"/><Feature>" + params +
         "<LookupListIndex index=\"0\" value=\"0\"/></Feature></FeatureRecord></FeatureList><LookupList>"
         "<Lookup index=\"0\">" + lookup + "</Lookup></LookupList></" + table + "></OTLayout>";
}

std::string singlePos(const std::string& deltas) {
  return "<LookupType value=\"1\"/><LookupFlag value=\"0\"/><SinglePos index=\"0\" Format=\"1\"><Coverage>"
         "<Glyph value=\"g1\"/></Coverage><ValueFormat value=\"132\"/><Value XAdvance=\"5\"><XAdvDevice>"
         "<StartSize value=\"11\"/><EndSize value=\"13\"/><DeltaFormat value=\"1\"/><DeltaValue value=\"" + deltas +
         "\"/></XAdvDevice></Value></SinglePos>";
}

// Reads, writes, reads the written text and writes it again: both writes must agree.
std::string roundTrip(const std::string& doc) {
  const auto map = glyphOrder();
  otl::LayoutFea layout(nullptr, "");
  std::istringstream in(doc);
  EXPECT_TRUE(otl::xml::loadLayoutXml(layout, in, map));
  std::ostringstream first;
  EXPECT_TRUE(otl::writeLayoutXml(layout, first, map, true));
  otl::LayoutFea again(nullptr, "");
  std::istringstream back(first.str());
  EXPECT_TRUE(otl::xml::loadLayoutXml(again, back, map));
  std::ostringstream second;
  EXPECT_TRUE(otl::writeLayoutXml(again, second, map, true));
  EXPECT_EQ(first.str(), second.str());
  return first.str();
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(LayoutXmlFidelity, DeviceDeltasOfZeroKeepTheirSizes) {
  const struct {
    const char* deltas;
    const char* start;
    const char* end;
  } cases[] = {{"[0, 1, 0]", "11", "13"}, {"[1, 0, -1]", "11", "13"}, {"[0, 0, -1]", "11", "13"}, {"[0]", "11", "11"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.deltas);
    const std::string written = roundTrip(document("GPOS", "kern", "", singlePos(c.deltas)));
    EXPECT_TRUE(has(written, std::string("<StartSize value=\"") + c.start + "\"/>")) << written;
    EXPECT_TRUE(has(written, std::string("<EndSize value=\"") + c.end + "\"/>"));
    EXPECT_TRUE(has(written, std::string("<DeltaValue value=\"") + c.deltas + "\"/>"));
  }
}

TEST(LayoutXmlFidelity, FeatureParametersAreWrittenAndReadBack) {
  const std::string gsubLookup =
      "<LookupType value=\"1\"/><LookupFlag value=\"0\"/><SingleSubst Format=\"2\"><Substitution in=\"g1\" "
      "out=\"g2\"/></SingleSubst>";
  const struct {
    const char* table;
    const char* tag;
    std::string params;
    std::string lookup;
  } cases[] = {
      {"GPOS", "size",
       "<FeatureParamsSize><DesignSize value=\"100\"/><SubfamilyID value=\"3\"/><SubfamilyNameID value=\"256\"/>"
       "<RangeStart value=\"80\"/><RangeEnd value=\"139\"/></FeatureParamsSize>",
       singlePos("[1]")},
      {"GSUB", "ss03", "<FeatureParamsStylisticSet><Version value=\"0\"/><UINameID value=\"257\"/>"
                       "</FeatureParamsStylisticSet>",
       gsubLookup},
      {"GSUB", "cv12",
       "<FeatureParamsCharacterVariants><Format value=\"0\"/><FeatUILabelNameID value=\"258\"/>"
       "<FeatUITooltipTextNameID value=\"0\"/><SampleTextNameID value=\"0\"/><NumNamedParameters value=\"1\"/>"
       "<FirstParamUILabelNameID value=\"259\"/><Character index=\"0\" value=\"65\"/>"
       "<Character index=\"1\" value=\"128512\"/></FeatureParamsCharacterVariants>",
       gsubLookup},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    const std::string written = roundTrip(document(c.table, c.tag, c.params, c.lookup));
    // The written element holds the same values, one line each.
    std::string values = c.params;
    for (const char* element : {"FeatureParamsSize", "FeatureParamsStylisticSet", "FeatureParamsCharacterVariants"}) {
      if (has(values, element)) {
        EXPECT_TRUE(has(written, std::string("<") + element + ">"));
      }
    }
    for (size_t at = values.find("value=\""); at != std::string::npos; at = values.find("value=\"", at + 1)) {
      const size_t open = values.rfind('<', at);
      const std::string element = values.substr(open, values.find("/>", at) + 2 - open);
      EXPECT_TRUE(has(written, element)) << element;
    }
  }
}

TEST(LayoutXmlFidelity, ParametersOfAnotherKindAreDropped) {
  // Stylistic-set parameters under "liga": the tag carries none, so nothing is kept.
  const std::string written = roundTrip(document(
      "GSUB", "liga", "<FeatureParamsStylisticSet><Version value=\"0\"/><UINameID value=\"257\"/></FeatureParamsStylisticSet>",
      "<LookupType value=\"1\"/><LookupFlag value=\"0\"/><SingleSubst Format=\"2\"><Substitution in=\"g1\" "
      "out=\"g2\"/></SingleSubst>"));
  EXPECT_FALSE(has(written, "FeatureParams"));
}

TEST(LayoutXmlFidelity, ReverseChainPairsWithAMissingSubstituteArePruned) {
  const std::string lookup =
      "<LookupType value=\"8\"/><LookupFlag value=\"0\"/><ReverseChainSingleSubst index=\"0\" Format=\"1\">"
      "<Coverage><Glyph value=\"g1\"/><Glyph value=\"g2\"/></Coverage><LookAheadCoverage index=\"0\">"
      "<Glyph value=\"g3\"/></LookAheadCoverage><Substitute index=\"0\" value=\"g11\"/>"
      "<Substitute index=\"1\" value=\"notInTheFont\"/></ReverseChainSingleSubst>";
  const std::string written = roundTrip(document("GSUB", "calt", "", lookup));
  EXPECT_FALSE(has(written, "value=\"\"")) << written;
  EXPECT_FALSE(has(written, "<Glyph value=\"g2\"/>"));
  EXPECT_TRUE(has(written, "<Glyph value=\"g1\"/>"));
  EXPECT_TRUE(has(written, "<Substitute index=\"0\" value=\"g11\"/>"));
}

}  // namespace
