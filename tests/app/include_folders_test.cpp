// Where the include statements of a UFO's "features.fea" find their files, through the
// program: beside the UFO first (where build tools look and real sources keep shared
// feature files), then inside it; for a ".ufoz", beside the archive, then in the archive's
// top folder (where "Sample.ufo/..." names the UFO's own member, as beside a UFO folder),
// then inside the UFO, but never through the folder the archive is unpacked into. An
// include found nowhere ends the compile with the compiler's own text and names the path
// it stood for.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "app/archive.h"
#include "test_helpers.h"

namespace {

using testing_app::readFile;
using testing_app::RunResult;
using testing_app::runProgram;
using testing_app::TempFolder;
using testing_app::writeFile;
namespace fs = std::filesystem;

constexpr const char* kFamily =
    "languagesystem DFLT dflt;\nlanguagesystem latn dflt;\n\nfeature ss01 {\n    sub A by Aacute;\n} ss01;\n";
constexpr const char* kNotFeatureText = "this is not feature text\n";
constexpr const char* kNotCompiled = "Warning: layout: Feature text kept as it is, not compiled: ";
// A name no other test uses: the file must not be found through the unpack folder's parent.
constexpr const char* kOutside = "tw-include-outside.fea";

struct Case {
  const char* what;
  std::string features;                        // the UFO's features.fea
  std::map<std::string, std::string> files;    // relative to the run's folder ("@U": inside the UFO)
  bool archive;                                // the UFO goes in as src/Sample.ufoz
  std::string err;                             // "@R": the run's folder
  std::string warning;                         // the layout's line, empty: compiled
};

std::string replaced(std::string text, const std::string& root) {
  for (size_t at; (at = text.find("@R")) != std::string::npos;) text.replace(at, 2, root);
  return text;
}

TEST(IncludeFolders, RelativeIncludesResolveBesideTheUfoThenInsideIt) {
  const std::string fatalFont = "FEA compiler error: [F] font \"TarnwickSample-Regular\" in file \"";
  const std::string notAccessible = "FEA compiler error: [F] feature file is not accessible\n\n";
  const std::string notAccessibleRecord = "FEA compilation fatal error: feature file is not accessible: ";
  const std::vector<Case> cases = {
      {"beside the UFO", "include(family.fea);\n", {{"src/family.fea", kFamily}}, false, "", ""},
      {"inside the UFO", "include(family.fea);\n", {{"@U/family.fea", kFamily}}, false, "", ""},
      {"beside before inside", "include(family.fea);\n",
       {{"src/family.fea", kFamily}, {"@U/family.fea", kNotFeatureText}}, false, "", ""},
      {"in a folder beside the UFO", "include(features/family.fea);\n", {{"src/features/family.fea", kFamily}},
       false, "", ""},
      {"beside the archive", "include(family.fea);\n", {{"src/family.fea", kFamily}}, true, "", ""},
      {"inside the archive", "include(family.fea);\n", {{"@U/family.fea", kFamily}}, true, "", ""},
      {"through the UFO's folder name", "include(Sample.ufo/family.fea);\n", {{"@U/family.fea", kFamily}}, false,
       "", ""},
      {"through the UFO's folder name, in an archive", "include(Sample.ufo/family.fea);\n",
       {{"@U/family.fea", kFamily}}, true, "", ""},
      // A family's layout: its own tables through the UFO's name, shared files beside it.
      {"a family's layout, in an archive", "include(Sample.ufo/family.fea);\ninclude(features/more.fea);\n",
       {{"@U/family.fea", kFamily}, {"src/features/more.fea", "feature ss02 { sub A by Aacute; } ss02;\n"}}, true,
       "", ""},
      {"nowhere", "include(family.fea);\n", {}, false,
       notAccessible + fatalFont + "@R/src/family.fea\" at line 1\n",
       notAccessibleRecord + "include \"family.fea\", searched in folders \"@R/src\" and \"@R/src/Sample.ufo\": no "
                             "such file. (top level, line 1)"},
      {"nowhere, from an archive", "\ninclude(family.fea);\n", {}, true,
       notAccessible + fatalFont + "@R/src/family.fea\" at line 2\n",
       notAccessibleRecord + "include \"family.fea\", searched in folders \"@R/src\", \"@R/src/Sample.ufoz\" and "
                             "\"@R/src/Sample.ufoz/Sample.ufo\": no such file. (top level, line 2)"},
      // From the unpacked folder (out/XXXXXX/Sample.ufo) this name reaches out/: not looked at.
      {"out of an archive", std::string("include(../../") + kOutside + ");\n",
       {{std::string("out/") + kOutside, kFamily}}, true,
       notAccessible + fatalFont + "@R/src/../../" + kOutside + "\" at line 1\n",
       notAccessibleRecord + "include \"../../" + kOutside + "\", searched in folder \"@R/src\": no such file. (top "
                                                             "level, line 1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const std::string root = fs::canonical(folder.path()).string();
    fs::create_directories(folder / "out");
    const std::string ufo = folder / "src/Sample.ufo";
    fs::create_directories(folder / "src");
    fs::copy(std::string(TARNWICK_SOURCE_DIR) + "/tests/data/Sample.ufo", ufo, fs::copy_options::recursive);
    writeFile(ufo + "/features.fea", c.features);
    for (const auto& [name, text] : c.files) {
      const fs::path path = name.rfind("@U/", 0) == 0 ? fs::path(ufo) / name.substr(3) : fs::path(folder / name);
      fs::create_directories(path.parent_path());
      writeFile(path.string(), text);
    }
    std::string input = "src/Sample.ufo";
    if (c.archive) {
      ASSERT_TRUE(vn::packFolder(folder / "src/Sample.ufoz", ufo, "Sample.ufo").ok());
      fs::remove_all(ufo);
      input += "z";
    }
    const RunResult run = runProgram(folder.path(), {"-s", input, "out/Sample.qtf"});
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.err, replaced(c.err, root));
    const size_t warning = run.out.find(kNotCompiled);
    if (c.warning.empty()) {
      EXPECT_EQ(warning, std::string::npos) << run.out;
    } else {
      EXPECT_NE(run.out.find(kNotCompiled + replaced(c.warning, root) + "\n"), std::string::npos) << run.out;
    }
    // Only the native file is left in the output folder (and the file put there).
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder / "out")) left.push_back(entry.path().filename());
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected{"Sample.qtf"};
    if (c.files.count(std::string("out/") + kOutside)) expected.insert(expected.begin(), kOutside);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
  }
}

}  // namespace
