// Generated feature text: the names of its lookups, what it says of the lookups it leaves
// out, and that long lookup lists and many lookups of one feature are written in bounded
// time.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "hostile/sanitized_build.h"
#include "layout/layout_fea.h"
#include "model/font.h"
#include "model/glyph.h"
#include "model/object.h"

namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(TARNWICK_TEST_DATA_DIR);

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The text without its "Generated on" line, which holds the time of the run.
std::string withoutDate(const std::string& text) {
  std::istringstream in(text);
  std::string line, kept;
  while (std::getline(in, line)) {
    if (line.rfind("# Generated on: ", 0) != 0) kept += line + '\n';
  }
  return kept;
}

vn::Ref<vn::Font> fontOf(const std::vector<std::string>& names) {
  vn::Ref<vn::Font> font = vn::Ref<vn::Font>::adopt(new vn::Font());
  for (const auto& name : names) {
    auto* glyph = new vn::Glyph();
    glyph->name = name;
    font->appendGlyph(glyph);
  }
  return font;
}

// Each input's generated text, as it was before lookup names were found by their numbers:
// names clashing in one base, a number let go and taken again, GSUB and GPOS sharing a
// base, names cut to their features, lookups named after the lookup calling them.
TEST(LookupNaming, GeneratedTextKeepsItsNames) {
  const fs::path work = fs::temp_directory_path() / ("lookup_naming_" + std::to_string(::getpid()));
  fs::create_directories(work);
  std::ofstream(work / "glyphs.txt") << ".notdef\na\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk\nl\nm\nn\no\np\n";
  const std::string tool = std::string("'") + TARNWICK_OTLTOOL + "' ";
  int cases = 0;
  for (const auto& entry : fs::directory_iterator(kData / "lookup_names")) {
    if (entry.path().extension() != ".fea") continue;
    ++cases;
    SCOPED_TRACE(entry.path().stem().string());
    const fs::path source = entry.path();
    const fs::path tables = work / source.stem();
    const fs::path text = work / source.filename();
    ASSERT_EQ(std::system((tool + "compile '" + (work / "glyphs.txt").string() + "' '" + source.string() + "' '" +
                           tables.string() + "' >/dev/null")
                              .c_str()),
              0);
    ASSERT_EQ(std::system((tool + "fea '" + (work / "glyphs.txt").string() + "' '" + tables.string() + "' '" +
                           text.string() + "'")
                              .c_str()),
              0);
    EXPECT_EQ(withoutDate(readFile(text)), readFile(fs::path(source).replace_extension(".expected")));
  }
  EXPECT_EQ(cases, 5);
  fs::remove_all(work);
}

// A lookup no feature uses has no place in the text: the leaves-out line names it, and
// the lookups only it calls. Lookups that a used lookup calls are not named.
TEST(LookupNaming, UnusedLookupsAreNamed) {
  const struct {
    const char* document;
    const char* line;  // the leaves-out line of unused lookups, or "" for none
  } cases[] = {
      // A mark-to-mark lookup and a context lookup (with the lookup it calls) that no
      // feature lists; 'liga' calls another lookup.
      {"unused_lookups.xml",
       "the generated feature text leaves out lookups that no feature uses: GSUB lookup 1, GSUB lookup 2, "
       "GPOS lookup 1"},
      {"sound.xml", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.document);
    std::vector<std::string> names = {".notdef", "A", "Aacute", "O", "V", "acute"};
    for (int i = 1; i < 60; ++i) names.push_back("g" + std::to_string(i));
    vn::Ref<vn::Font> font = fontOf(names);
    otl::LayoutFea layout(font.get(), "");
    std::ifstream in(kData / "generated_text" / c.document);
    ASSERT_TRUE(layout.loadLayoutXml(in));
    layout.takeWarnings();
    std::ostringstream text;
    ASSERT_TRUE(layout.writeFeatureFile(text, vn::FeatureWriteOptions{}));
    std::string unused;
    for (const auto& line : layout.takeWarnings()) {
      if (line.find("no feature uses") != std::string::npos) unused += line;
    }
    EXPECT_EQ(unused, c.line);
  }
}

// One feature listing many lookups, or a few lookups over and over, in a layout XML
// document. Each lookup's name was found by trying every number against every lookup, and
// each entry of a list was counted over the whole list: 8,000 lookups or a million entries
// took many minutes. The text is written in a child process that an alarm ends after
// kSeconds, far above what a sound run takes (well under a second; under AddressSanitizer
// some seconds).
TEST(LookupNaming, LongListsAreWrittenInBoundedTime) {
  constexpr unsigned kSeconds = hostile::kSanitized ? 300 : 60;
  const struct {
    unsigned long lookups;
    unsigned long entries;
  } cases[] = {{8000, 8000}, {4, 1000000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.lookups) + " lookups, " + std::to_string(c.entries) + " entries");
    std::string document =
        "<?xml version=\"1.0\"?>\n<OTLayout>\n<GSUB>\n<Version value=\"1.0\"/>\n<ScriptList>\n"
        "<ScriptRecord index=\"0\">\n<ScriptTag value=\"latn\"/>\n<Script>\n<DefaultLangSys>\n"
        "<ReqFeatureIndex value=\"65535\"/>\n<FeatureIndex value=\"0\"/>\n</DefaultLangSys>\n</Script>\n"
        "</ScriptRecord>\n</ScriptList>\n<FeatureList>\n<FeatureRecord index=\"0\">\n<FeatureTag value=\"liga\"/>\n"
        "<Feature>\n";
    for (unsigned long i = 0; i < c.entries; ++i)
      document += "<LookupListIndex value=\"" + std::to_string(i % c.lookups) + "\"/>\n";
    document += "</Feature>\n</FeatureRecord>\n</FeatureList>\n<LookupList>\n";
    for (unsigned long i = 0; i < c.lookups; ++i) {
      document += "<Lookup index=\"" + std::to_string(i) +
                  "\">\n<LookupType value=\"1\"/>\n<LookupFlag value=\"0\"/>\n<SingleSubst index=\"0\" "
                  "Format=\"2\">\n<Substitution in=\"a\" out=\"b\"/>\n</SingleSubst>\n</Lookup>\n";
    }
    document += "</LookupList>\n</GSUB>\n</OTLayout>\n";
    EXPECT_EXIT(
        {
          ::alarm(kSeconds);
          vn::Ref<vn::Font> font = fontOf({".notdef", "a", "b"});
          otl::LayoutFea layout(font.get(), "");
          std::istringstream in(document);
          std::ostringstream text;
          const bool written = layout.loadLayoutXml(in) && layout.writeFeatureFile(text, vn::FeatureWriteOptions{});
          // The lookups are named in list order, from 1 to their count.
          const std::string named = "lookup liga_latn_" + std::to_string(c.lookups);
          const std::string beyond = "lookup liga_latn_" + std::to_string(c.lookups + 1);
          std::_Exit(written && text.str().find(named) != std::string::npos &&
                             text.str().find(beyond) == std::string::npos
                         ? 0
                         : 1);
        },
        ::testing::ExitedWithCode(0), "");
  }
}

}  // namespace
