// Small layout XML documents for the reader's tests: one table, one DFLT language system
// calling document lookup 0 through one feature, read over the glyphs g0 to g29.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "layout/glyph_id_map.h"
#include "layout/layout_fea.h"
#include "layout/text/layout_xml.h"

namespace layoutxml_documents {

inline otl::GlyphIdMap glyphOrder() {
  std::vector<std::string> names;
  for (int i = 0; i < 30; ++i) names.push_back("g" + std::to_string(i));
  otl::GlyphIdMap map;
  map.fill(names);
  return map;
}

// A table whose feature `tag` of DFLT calls document lookup 0; `languageSystem` is the
// content of its DefaultLangSys.
inline std::string document(const char* table, const char* tag, const std::string& lookups,
                     const std::string& languageSystem = "<FeatureIndex index=\"0\" value=\"0\"/>") {
  return std::string("<OTLayout><") + table + "><ScriptList><ScriptRecord index=\"0\"><ScriptTag value=\"DFLT\"/>"
         "<Script><DefaultLangSys>" + languageSystem + "</DefaultLangSys></Script></ScriptRecord></ScriptList>"
         "<FeatureList><FeatureRecord index=\"0\"><FeatureTag value=\"" + tag + "\"/><Feature><LookupListIndex "
         "index=\"0\" value=\"0\"/></Feature></FeatureRecord></FeatureList><LookupList>" + lookups +
         "</LookupList></" + table + "></OTLayout>";
}

inline std::string lookup(int type, const std::string& subtable) {
  return "<Lookup index=\"0\"><LookupType value=\"" + std::to_string(type) + "\"/><LookupFlag value=\"0\"/>" +
         subtable + "</Lookup>";
}

// Both bases anchor both mark classes.
inline const std::string kBothAnchored =
    "<BaseRecord><BaseAnchor index=\"0\"/><BaseAnchor index=\"1\"/></BaseRecord>"
    "<BaseRecord><BaseAnchor index=\"0\"/><BaseAnchor index=\"1\"/></BaseRecord>";

// A mark-to-base subtable: marks g20 (class 0) and `mark` (class 1), bases g1 and `base`.
inline std::string markBase(const std::string& mark, const std::string& base, const std::string& rows = kBothAnchored) {
  return "<MarkBasePos index=\"0\" Format=\"1\"><MarkCoverage><Glyph value=\"g20\"/><Glyph value=\"" + mark +
         "\"/></MarkCoverage><BaseCoverage><Glyph value=\"g1\"/><Glyph value=\"" + base +
         "\"/></BaseCoverage><MarkArray><MarkRecord><Class value=\"0\"/><MarkAnchor/></MarkRecord><MarkRecord>"
         "<Class value=\"1\"/><MarkAnchor/></MarkRecord></MarkArray><BaseArray>" + rows + "</BaseArray></MarkBasePos>";
}

inline bool load(otl::LayoutFea& layout, const std::string& doc) {
  std::istringstream in(doc);
  return otl::xml::loadLayoutXml(layout, in, glyphOrder());
}

inline std::string write(const otl::LayoutFea& layout) {
  std::ostringstream out;
  EXPECT_TRUE(otl::writeLayoutXml(layout, out, glyphOrder(), true));
  return out.str();
}

// The document written from `layout` reads back without a report and is written the same.
inline void expectWrittenFormReadsBack(const otl::LayoutFea& layout) {
  const std::string written = write(layout);
  otl::LayoutFea again(nullptr, "");
  ASSERT_TRUE(load(again, written)) << again.reports.formatAll() << written;
  EXPECT_TRUE(again.reports.empty()) << again.reports.formatAll();
  EXPECT_EQ(write(again), written);
}

// The document `lookups` gives and the one `sameAs` gives are read alike: both are taken,
// and written back the same. The warnings the first gave.
inline std::vector<std::string> expectReadAs(
    const char* table, const std::string& lookups, const std::string& sameAs,
    const std::string& languageSystem = "<FeatureIndex index=\"0\" value=\"0\"/>",
    const std::string& sameLanguageSystem = "<FeatureIndex index=\"0\" value=\"0\"/>") {
  otl::LayoutFea layout(nullptr, ""), expected(nullptr, "");
  EXPECT_TRUE(load(layout, document(table, "test", lookups, languageSystem))) << layout.reports.formatAll();
  EXPECT_TRUE(load(expected, document(table, "test", sameAs, sameLanguageSystem))) << expected.reports.formatAll();
  EXPECT_TRUE(expected.reports.empty()) << expected.reports.formatAll();
  EXPECT_FALSE(layout.block(table == std::string("GSUB") ? otl::kTableGsub : otl::kTableGpos)->lookups.isEmpty());
  EXPECT_EQ(write(layout), write(expected));
  return layout.takeWarnings();
}

}  // namespace layoutxml_documents
