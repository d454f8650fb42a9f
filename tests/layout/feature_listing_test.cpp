// Language systems that list a feature again, or Features that repeat a lookup, on both
// roads (binary GSUB and layout XML document): a feature listed again adds only the lookups
// it lacks, with one warning; repeats inside one Feature stay as the table has them; and
// language systems sharing one table cannot make the model keep more than its bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "layout/layout_fea.h"
#include "repair_fixture.h"
#include "layout/text/layout_xml.h"
#include "table_bytes.h"

namespace {

using table_bytes::Bytes;

// One lookup (a single substitution), FeatureList records of tag "liga", and a script
// "latn" whose DefaultLangSys lists `listed` and is shared by `languages` more languages;
// in the table, the further scripts share latn's Script table.
struct Listing {
  std::vector<std::vector<uint16_t>> records;  // each record's LookupList indices
  std::vector<uint16_t> listed;
  uint16_t languages = 0;
  std::vector<std::string> scripts = {"latn"};
};

// "l" and three letters, in tag order.
std::string languageTag(uint16_t i) { return {'l', char('a' + i / 676), char('a' + i / 26 % 26), char('a' + i % 26)}; }

std::string gsubOf(const Listing& listing) {
  Bytes t;
  t.u32(0x00010000).u16(0).u16(0).u16(10);
  t.u16(1).u16(4).add(table_bytes::lookup(1, 0, {table_bytes::singleSubst({{1, 2}})}));
  t.set16(4, t.b.size());
  const uint16_t langSys = 4 + 6 * listing.languages;
  t.u16(listing.scripts.size());
  for (const auto& script : listing.scripts) t.tag(script.c_str()).u16(2 + 6 * listing.scripts.size());
  t.u16(langSys).u16(listing.languages);
  for (uint16_t i = 0; i < listing.languages; ++i) t.tag(languageTag(i).c_str()).u16(langSys);
  t.u16(0).u16(0xFFFF).u16(listing.listed.size());
  for (uint16_t index : listing.listed) t.u16(index);
  t.set16(6, t.b.size());
  Bytes features;
  features.u16(listing.records.size());
  size_t at = 2 + 6 * listing.records.size();
  for (const auto& lookups : listing.records) features.tag("liga").u16(at), at += 4 + 2 * lookups.size();
  for (const auto& lookups : listing.records) {
    features.u16(0).u16(lookups.size());
    for (uint16_t index : lookups) features.u16(index);
  }
  return t.add(features.b).b;
}

std::string documentOf(const Listing& listing) {
  std::ostringstream d;
  auto langSys = [&] {
    d << "<ReqFeatureIndex value=\"65535\"/>\n";
    for (uint16_t index : listing.listed) d << "<FeatureIndex value=\"" << index << "\"/>\n";
  };
  d << "<OTLayout><GSUB><ScriptList><ScriptRecord index=\"0\"><ScriptTag value=\"latn\"/><Script>\n"
    << "<DefaultLangSys>\n";
  langSys();
  d << "</DefaultLangSys>\n";
  for (uint16_t i = 0; i < listing.languages; ++i) {
    d << "<LangSysRecord><LangSysTag value=\"" << languageTag(i) << "\"/><LangSys>\n";
    langSys();
    d << "</LangSys></LangSysRecord>\n";
  }
  d << "</Script></ScriptRecord></ScriptList><FeatureList>\n";
  for (size_t k = 0; k < listing.records.size(); ++k) {
    d << "<FeatureRecord index=\"" << k << "\"><FeatureTag value=\"liga\"/><Feature>\n";
    for (uint16_t index : listing.records[k]) d << "<LookupListIndex value=\"" << index << "\"/>\n";
    d << "</Feature></FeatureRecord>\n";
  }
  d << "</FeatureList><LookupList><Lookup index=\"0\"><LookupType value=\"1\"/><LookupFlag value=\"0\"/>\n"
    << "<SingleSubst Format=\"2\"><Substitution in=\"A\" out=\"B\"/></SingleSubst></Lookup></LookupList>\n"
    << "</GSUB></OTLayout>\n";
  return d.str();
}

struct Outcome {
  bool read = false;
  size_t lookups = 0;  // of the default language's "liga"
  std::string reports;
};

Outcome lookupsOf(const otl::LayoutTableBlock& block, bool read, std::string reports) {
  Outcome outcome{read, 0, std::move(reports)};
  const auto script = block.scripts.find(ot::Tag::fromString("latn"));
  if (script == block.scripts.end()) return outcome;
  const otl::Language* language = otl::findDefaultEntry(script->second.languages);
  if (!language) return outcome;
  const auto feature = language->features.find(ot::Tag::fromString("liga"));
  if (feature != language->features.end()) outcome.lookups = feature->second.lookups.size();
  return outcome;
}

Outcome readBinary(const Listing& listing) {
  vn::FeaGlyphGroups classes;
  otl::LayoutTableBlock block(otl::kTableGsub, &classes);
  otl::Diagnostics reports;
  const bool read = table_bytes::parse(block, gsubOf(listing), table_bytes::glyphOrder(10), otl::kTableGsub, &reports);
  return lookupsOf(block, read, reports.formatAll());
}

Outcome readDocument(const Listing& listing) {
  otl::LayoutFea layout(nullptr, "");
  otl::GlyphIdMap glyphs;
  glyphs.fill({"A", "B"});
  std::istringstream in(documentOf(listing));
  const bool read = otl::xml::loadLayoutXml(layout, in, glyphs);
  return lookupsOf(*layout.block(otl::kTableGsub), read, layout.reports.formatAll());
}

constexpr const char* kListedAgain = "a language system lists a feature again";
constexpr const char* kTooMany = "the language systems would keep more than ";

TEST(FeatureListing, RepeatedListingsKeepEachLookupOnceAndSharingIsBounded) {
  struct Case {
    const char* name;
    Listing listing;
    size_t lookups;      // kept in the default language's feature
    bool warned;         // the one warning about listings trimmed
    bool refused;        // past the bound
  };
  const std::vector<uint16_t> many(65535, 0);
  const Case cases[] = {
      {"a feature listed 4 times, its lookup 3 times", {{{0, 0, 0}}, {0, 0, 0, 0}}, 3, true, false},
      {"two records of one tag", {{{0}, {0}}, {0, 1}}, 1, true, false},
      {"a lookup repeated inside one record, as real fonts have it", {{{0, 0}}, {0}}, 2, false, false},
      {"14 languages share a language system whose feature lists 65,535 lookups", {{many}, {0}, 14}, 65535, false,
       false},
      {"40 languages share it", {{many}, {0}, 40}, 0, false, true},
  };
  for (const Case& c : cases) {
    for (const bool binary : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (binary ? " (binary)" : " (document)"));
      const Outcome outcome = binary ? readBinary(c.listing) : readDocument(c.listing);
      EXPECT_EQ(outcome.reports.find(kTooMany) != std::string::npos, c.refused) << outcome.reports;
      if (c.refused) {
        EXPECT_FALSE(outcome.read);
        continue;
      }
      EXPECT_TRUE(outcome.read) << outcome.reports;
      EXPECT_EQ(outcome.lookups, c.lookups);
      EXPECT_EQ(outcome.reports.find(kListedAgain) != std::string::npos, c.warned) << outcome.reports;
    }
  }
}

// Five scripts sharing one Script table whose 10,900 languages share its default language
// system, as fonts covering many languages have it: the feature text states each language
// system once, in order, and each language as it would state one alone.
TEST(FeatureListing, ManyLanguagesOfSharedScriptsAreEachStatedOnce) {
  const Listing listing{{{0}}, {0}, 10900, {"latn", "aaan", "aabn", "aacn", "aadn"}};
  vn::Ref<vn::Font> font = layout_test::fontNamed("tio", 10);
  otl::LayoutFea layout(font.get(), "");
  const std::string gsub = gsubOf(listing);
  ot::BinaryReader reader(gsub);
  ASSERT_TRUE(layout.readBinaryTable(reader, otl::kTableGsub, table_bytes::glyphOrder(10)));
  std::ostringstream out;
  ASSERT_TRUE(layout.writeFeatureFile(out, vn::FeatureWriteOptions{}));
  std::vector<std::string> tags;
  for (uint16_t i = 0; i < listing.languages; ++i) tags.push_back(languageTag(i));
  std::string systems = "languagesystem DFLT dflt;\n";
  for (const auto& script : listing.scripts) {
    const std::string name = script == "latn" ? " # Latin" : "";
    systems += "languagesystem " + script + " dflt;" + name + (name.empty() ? "" : " default") + "\n";
    for (const auto& tag : tags) systems += "languagesystem " + script + " " + tag + ";" + name + "\n";
  }
  // In the feature block languages stand in the order of their tags read from the end.
  std::sort(tags.begin(), tags.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.rbegin(), a.rend(), b.rbegin(), b.rend());
  });
  std::string block;
  for (const auto& script : listing.scripts) {
    block += std::string(block.empty() ? "" : "\n") + "  script " + script + ";" +
             (script == "latn" ? " # Latin" : "") + "\n      lookup gsub_lookup_1;\n";
    for (size_t i = 0; i < tags.size(); ++i) block += std::string(i ? "\n" : "") + "    language " + tags[i] + ";\n";
  }
  const std::string parts[] = {"# Languagesystems: 54505\n", systems + "\n", "# Lookups: 5\n\n" + block + "} liga;\n"};
  for (const std::string& part : parts)
    EXPECT_NE(out.str().find(part), std::string::npos) << part.substr(0, 80);
}

}  // namespace
