// Where a compile error is, as the layout's warning line names it: the block and the line
// (the block's first when a lookup was built), the top level or the included file with its
// line, or nothing when the error was found after the text was read; never a block the
// error is not in.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "layout/layout_fea.h"
#include "model/font.h"
#include "model/glyph.h"
#include "model/object.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kKept = "Feature text kept as it is, not compiled: FEA compilation fatal error: ";
constexpr const char* kAborting = "<Font> aborting because of errors.";

vn::Ref<vn::Font> makeFont() {
  vn::Ref<vn::Font> font = vn::Ref<vn::Font>::adopt(new vn::Font());
  for (const char* name : {".notdef", "a", "b", "c"}) {
    auto* glyph = new vn::Glyph();
    glyph->name = name;
    font->appendGlyph(glyph);
  }
  return font;
}

// 5,000 language systems: the ScriptList passes its 16-bit offsets once GSUB is written.
std::string manyLanguageSystems() {
  std::string text;
  for (int i = 0; i < 5000; ++i)
    text += "languagesystem s" + std::to_string(i % 1000) + " l" + std::to_string(i / 1000) + ";\n";
  return text + "feature liga { sub a by b; } liga;\n";
}

TEST(DriverErrorPlaces, TheWarningNamesThePlaceOfTheError) {
  struct Case {
    const char* what;
    std::string text;
    std::map<std::string, std::string> files;  // beside the text
    std::string why;                           // "@D": the folder of the text
  };
  const std::string twoBaseStatements = "markClass b <anchor 0 5> @T;\nmarkClass c <anchor 0 0> @B;\nlookup L {\n"
                                        "  pos base a <anchor 1 2> mark @T;\n  pos base a <anchor 1 0> mark @B;\n} L;\n";
  const std::vector<Case> cases = {
      {"in a feature block", "languagesystem DFLT dflt;\n\nfeature liga {\n  sub a by @none;\n} liga;\n", {},
       "<Font> glyph class not defined (text was \"@none\"). (feature block liga, line 4)"},
      {"found as a lookup is built", "\n" + twoBaseStatements, {},
       std::string(kAborting) + " (lookup block L, which begins at line 4)"},
      {"found as an included file's lookup is built", "include(L.fea);\n", {{"L.fea", twoBaseStatements}},
       std::string(kAborting) + " (included file \"L.fea\")"},
      {"a lookup block before the language systems", "lookup L {\n  sub a by b;\n} L;\n\nlanguagesystem DFLT dflt;\n"
                                                     "feature liga {\n  sub a by c;\n} liga;\n",
       {}, std::string(kAborting) + " (top level, line 5)"},
      {"a language system after a feature block", "feature liga {\n  sub a by c;\n} liga;\nlanguagesystem DFLT dflt;\n",
       {}, std::string(kAborting) + " (top level, line 4)"},
      {"a feature block left open", "feature liga {\n  sub a by c;\n} liga;\n\nfeature calt {\n  sub a by b;\n", {},
       std::string(kAborting) + " (feature block calt, line 7)"},
      {"in an included file", "feature liga {\n  sub a by c;\n} liga;\ninclude(kern.fea);\n",
       {{"kern.fea", "\nfeature kern {\n  pos a b 10\n} kern;\n"}},
       std::string(kAborting) + " (included file \"kern.fea\", line 4)"},
      {"in a file an included file includes", "include(one.fea);\n",
       {{"one.fea", "@X = [a b];\ninclude(two.fea);\n"}, {"two.fea", "feature liga { sub @Y by c; } liga;\n"}},
       "<Font> glyph class not defined (text was \"@Y\"). (included file \"two.fea\", line 1)"},
      {"back in the main text after an include", "include(one.fea);\n\n@Z = [a @none];\n",
       {{"one.fea", "@X = [a b];\n"}},
       "<Font> glyph class not defined (text was \"@none\"). (top level, line 3)"},
      {"an include inside a feature block that is not there", "feature kern {\n    include(kern.fea);\n} kern;\n", {},
       "feature file is not accessible: include \"kern.fea\", searched in folder \"@D\": no such file. (feature block "
       "kern, line 2)"},
      {"found after the text was read", manyLanguageSystems(), {},
       "<Font> Script offset overflow (0x10024) in ScriptList list."},
  };
  const fs::path folder = fs::temp_directory_path() / ("tw_error_places_" + std::to_string(::getpid()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const auto& [name, text] : c.files) std::ofstream(folder / name, std::ios::binary) << text;
    vn::Ref<vn::Font> font = makeFont();
    otl::LayoutFea layout(font.get(), "");
    layout.includeFolders = {{folder.string(), {}, false}};
    std::istringstream in(c.text);
    layout.importFeatureText(in);
    std::string why = c.why;
    if (const size_t at = why.find("@D"); at != std::string::npos) why.replace(at, 2, folder.string());
    EXPECT_EQ(layout.takeWarnings(), std::vector<std::string>{kKept + why});
  }
  fs::remove_all(folder);
}

}  // namespace
