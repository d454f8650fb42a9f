// fea_writer_scale LOOKUPS ENTRIES: a layout whose one feature 'liga' lists ENTRIES lookup
// indices over LOOKUPS lookups, half of them single substitutions in GSUB and half single
// positionings in GPOS (a table holds at most 65,536 lookups), each index listed in turn
// until the entries are used up; read from a layout XML document, then written as the
// UFO writer's feature text. Every lookup of one table gets the same base name, so naming
// them is the worst case. Prints "LOOKUPS ENTRIES MILLISECONDS BYTES": the time of the
// feature-text writer alone (inventory and naming included), the best of three runs.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fea_text_timing.h"

namespace {

// One table of the document: `lookups` lookups, `entries` indices in 'liga'.
std::string table(const char* tag, unsigned long lookups, unsigned long entries) {
  const bool gsub = tag[2] == 'U';
  std::string text = std::string("<") + tag +
      ">\n<Version value=\"1.0\"/>\n<ScriptList>\n<ScriptRecord index=\"0\">\n<ScriptTag value=\"latn\"/>\n"
      "<Script>\n<DefaultLangSys>\n<ReqFeatureIndex value=\"65535\"/>\n<FeatureIndex value=\"0\"/>\n"
      "</DefaultLangSys>\n</Script>\n</ScriptRecord>\n</ScriptList>\n<FeatureList>\n<FeatureRecord index=\"0\">\n"
      "<FeatureTag value=\"liga\"/>\n<Feature>\n";
  for (unsigned long i = 0; i < entries; ++i)
    text += "<LookupListIndex value=\"" + std::to_string(i % lookups) + "\"/>\n";
  text += "</Feature>\n</FeatureRecord>\n</FeatureList>\n<LookupList>\n";
  const std::string body = gsub ? "<LookupType value=\"1\"/>\n<LookupFlag value=\"0\"/>\n"
                                  "<SingleSubst index=\"0\" Format=\"2\">\n<Substitution in=\"g1\" out=\"g2\"/>\n"
                                  "</SingleSubst>\n"
                                : "<LookupType value=\"1\"/>\n<LookupFlag value=\"0\"/>\n"
                                  "<SinglePos index=\"0\" Format=\"1\">\n<Coverage Format=\"1\">\n"
                                  "<Glyph value=\"g1\"/>\n</Coverage>\n<ValueFormat value=\"4\"/>\n"
                                  "<Value XAdvance=\"10\"/>\n</SinglePos>\n";
  for (unsigned long i = 0; i < lookups; ++i) text += "<Lookup index=\"" + std::to_string(i) + "\">\n" + body + "</Lookup>\n";
  return text + "</LookupList>\n</" + tag + ">\n";
}

std::string document(unsigned long lookups, unsigned long entries) {
  const unsigned long gsub = lookups - lookups / 2;
  const unsigned long gsubEntries = entries - entries / 2;
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<OTLayout>\n" + table("GSUB", gsub, gsubEntries) +
         table("GPOS", lookups / 2, entries / 2) + "</OTLayout>\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: fea_writer_scale LOOKUPS ENTRIES\n");
    return 2;
  }
  const unsigned long lookups = std::strtoul(argv[1], nullptr, 10);
  const unsigned long entries = std::max(lookups, std::strtoul(argv[2], nullptr, 10));
  bench::FeaTextTiming timing;
  if (!bench::timeFeatureText(document(lookups, entries), timing)) return 1;
  std::printf("%lu %lu %.1f %zu\n", lookups, entries, timing.milliseconds, timing.bytes);
  return 0;
}
