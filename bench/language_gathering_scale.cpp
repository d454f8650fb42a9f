// language_gathering_scale LANGUAGES SHAPE: a layout whose five scripts hold LANGUAGES
// language systems between them, each script with a default one, every language system
// listing 'liga' (one single substitution) in GSUB and 'kern' (one single positioning) in
// GPOS; read from a layout XML document, then written as the UFO writer's feature text.
//   shared  every language lists the lookups of its script's default (the languages
//           inherit them, as in a Script table that all its languages share)
//   own     every language lists the table's second lookup in place of its script's
//           default, so each stands in the text with exclude_dflt and the second lookup's
//           name has every language as a user
// Prints "LANGUAGES MILLISECONDS BYTES": the time of the feature-text writer alone
// (gathering the language systems, ordering, naming and the text), best of three runs.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fea_text_timing.h"

namespace {

constexpr unsigned long kScripts = 5;

// Four letters from a number: 456,976 distinct tags.
std::string tagOf(unsigned long n) {
  std::string tag(4, 'A');
  for (int i = 3; i >= 0; --i, n /= 26) tag[static_cast<size_t>(i)] = static_cast<char>('A' + n % 26);
  return tag;
}

std::string langSys(unsigned long feature) {
  return "<ReqFeatureIndex value=\"65535\"/><FeatureIndex index=\"0\" value=\"" + std::to_string(feature) + "\"/>";
}

// One table: feature records 0 (lookup 0) and 1 (lookup 1) under `feature`.
std::string table(const char* tag, const char* feature, unsigned long languages, bool own) {
  const bool gsub = tag[2] == 'U';
  std::string text = std::string("<") + tag + "><Version value=\"1.0\"/><ScriptList>\n";
  for (unsigned long s = 0; s < kScripts; ++s) {
    text += "<ScriptRecord index=\"" + std::to_string(s) + "\"><ScriptTag value=\"" +
            std::string("abcde").substr(s, 1) + "scr\"/><Script><DefaultLangSys>" + langSys(0) + "</DefaultLangSys>\n";
    const unsigned long count = languages / kScripts + (s < languages % kScripts ? 1 : 0);
    for (unsigned long l = 0; l < count; ++l) {
      text += "<LangSysRecord index=\"" + std::to_string(l) + "\"><LangSysTag value=\"" + tagOf(l) + "\"/><LangSys>" +
              langSys(own ? 1 : 0) + "</LangSys></LangSysRecord>\n";
    }
    text += "</Script></ScriptRecord>\n";
  }
  text += "</ScriptList><FeatureList>\n";
  for (int f = 0; f < 2; ++f) {
    text += "<FeatureRecord index=\"" + std::to_string(f) + "\"><FeatureTag value=\"" + feature +
            "\"/><Feature><LookupListIndex index=\"0\" value=\"" + std::to_string(f) +
            "\"/></Feature></FeatureRecord>\n";
  }
  text += "</FeatureList><LookupList>\n";
  for (int l = 0; l < 2; ++l) {
    text += "<Lookup index=\"" + std::to_string(l) + "\"><LookupType value=\"1\"/><LookupFlag value=\"0\"/>";
    text += gsub ? "<SingleSubst index=\"0\" Format=\"2\"><Substitution in=\"g1\" out=\"g2\"/></SingleSubst>"
                 : "<SinglePos index=\"0\" Format=\"1\"><Coverage Format=\"1\"><Glyph value=\"g1\"/></Coverage>"
                   "<ValueFormat value=\"4\"/><Value XAdvance=\"10\"/></SinglePos>";
    text += "</Lookup>\n";
  }
  return text + "</LookupList></" + tag + ">\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::string(argv[2]) != "shared" && std::string(argv[2]) != "own")) {
    std::fprintf(stderr, "usage: language_gathering_scale LANGUAGES shared|own\n");
    return 2;
  }
  const unsigned long languages = std::strtoul(argv[1], nullptr, 10);
  const bool own = std::string(argv[2]) == "own";
  const std::string document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<OTLayout>\n" +
                               table("GSUB", "liga", languages, own) + table("GPOS", "kern", languages, own) +
                               "</OTLayout>\n";
  bench::FeaTextTiming timing;
  if (!bench::timeFeatureText(document, timing)) return 1;
  std::printf("%lu %.1f %zu\n", languages, timing.milliseconds, timing.bytes);
  return 0;
}
