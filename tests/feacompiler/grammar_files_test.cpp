// The committed feature files (one per group of statement forms) compile, and fontTools'
// feaLib accepts them too; the corpus fonts' feature files parse.
#include <algorithm>
#include <cstdio>

#include "front_run.h"

namespace front_test {
namespace {

const fs::path kData = fs::path(TARNWICK_TEST_DATA_DIR);

std::vector<fs::path> featureFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".fea") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

int runTool(const std::string& glyphs, const fs::path& fea, const fs::path& scratch,
            std::string& err) {
  fs::create_directories(scratch);
  std::string cmd = std::string(TARNWICK_OTLTOOL) + " compile " + quote(glyphs) + " " +
                    quote(fea) + " " + quote(scratch / "tables") + " >/dev/null 2>" +
                    quote(scratch / "stderr");
  int status = std::system(cmd.c_str());
  err = readFile(scratch / "stderr");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool feaLibPresent() {
  std::string cmd = std::string(TARNWICK_PYTHON) +
                    " -c 'import fontTools.feaLib.parser' >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

TEST(GrammarFiles, EachStatementFormCompiles) {
  fs::path scratch = fs::temp_directory_path() / ("tw_grammar_files_" + std::to_string(::getpid()));
  std::vector<fs::path> files = featureFiles(kData / "grammar");
  for (const fs::path& f : featureFiles(kData / "grammar_own")) files.push_back(f);
  ASSERT_GE(files.size(), 5u);
  for (const fs::path& fea : files) {
    SCOPED_TRACE(fea.string());
    std::string err;
    EXPECT_EQ(runTool((kData / "grammar_glyphs.txt").string(), fea, scratch, err), 0);
    EXPECT_EQ(err, "");
  }
  fs::remove_all(scratch);
}

TEST(GrammarFiles, FeaLibAcceptsThem) {
  if (!feaLibPresent()) GTEST_SKIP() << "fontTools feaLib not installed";
  std::string script =
      "import sys\n"
      "from fontTools.feaLib.parser import Parser\n"
      "names = [l.strip() for l in open(sys.argv[1]) if l.strip()]\n"
      "for p in sys.argv[2:]:\n"
      "    Parser(p, glyphNames=names).parse()\n";
  fs::path py = fs::temp_directory_path() / ("tw_fealib_" + std::to_string(::getpid()) + ".py");
  writeFile(py, script);
  std::string cmd = std::string(TARNWICK_PYTHON) + " " + quote(py) + " " +
                    quote(kData / "grammar_glyphs.txt");
  for (const fs::path& fea : featureFiles(kData / "grammar")) cmd += " " + quote(fea);
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  fs::remove(py);
}

// The lookups, rules, language systems and GDEF data that the feature layer and the builders
// make of each file are those feaLib builds (the judge lists the intended differences).
TEST(GrammarFiles, SameLayoutAsFeaLib) {
  if (!feaLibPresent()) GTEST_SKIP() << "fontTools feaLib not installed";
  fs::path scratch = fs::temp_directory_path() / ("tw_grammar_layout_" + std::to_string(::getpid()));
  const std::string glyphs = (kData / "grammar_glyphs.txt").string();
  for (const fs::path& fea : featureFiles(kData / "grammar")) {
    SCOPED_TRACE(fea.string());
    std::string err;
    ASSERT_EQ(runTool(glyphs, fea, scratch, err), 0) << err;
    std::string cmd = std::string(TARNWICK_PYTHON) + " " + quote(kData / "builder_judge.py") +
                      " compare " + quote(glyphs) + " " + quote(fea) + " " +
                      quote(scratch / "tables") + " >" + quote(scratch / "judge") + " 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << readFile(scratch / "judge");
    fs::remove_all(scratch / "tables");
  }
  fs::remove_all(scratch);
}

// The glyph order of a UFO: lib.plist's public.glyphOrder, then the other glyphs.
std::string ufoGlyphOrder(const fs::path& ufo, const fs::path& out) {
  std::string script =
      "import sys, os, plistlib\n"
      "d = sys.argv[1]\n"
      "names = list(plistlib.load(open(os.path.join(d, 'glyphs', 'contents.plist'), 'rb')))\n"
      "lib = os.path.join(d, 'lib.plist')\n"
      "order = plistlib.load(open(lib, 'rb')).get('public.glyphOrder', []) if os.path.exists(lib) else []\n"
      "seen = set(order)\n"
      "open(sys.argv[2], 'w').write('\\n'.join(order + [n for n in names if n not in seen]) + '\\n')\n";
  fs::path py = out.string() + ".py";
  writeFile(py, script);
  std::string cmd = std::string(TARNWICK_PYTHON) + " " + quote(py) + " " + quote(ufo) + " " + quote(out);
  return std::system(cmd.c_str()) == 0 ? out.string() : std::string();
}

TEST(GrammarFiles, CorpusFeatureFilesParse) {
  const fs::path corpus(TARNWICK_CORPUS_DIR);
  const std::vector<fs::path> ufos = {
      corpus / "source-sans-2.040/Roman/Instances/Regular/font.ufo",
      corpus / "roboto-2/src/v2/Roboto-Regular.ufo"};
  if (!fs::exists(ufos[0]) && !fs::exists(ufos[1])) GTEST_SKIP() << "corpus absent";
  fs::path scratch = fs::temp_directory_path() / ("tw_corpus_fea_" + std::to_string(::getpid()));
  fs::create_directories(scratch);
  for (const fs::path& ufo : ufos) {
    if (!fs::exists(ufo / "features.fea")) continue;
    SCOPED_TRACE(ufo.string());
    std::string glyphs = ufoGlyphOrder(ufo, scratch / "glyphs.txt");
    ASSERT_FALSE(glyphs.empty());
    std::string err;
    int rc = runTool(glyphs, ufo / "features.fea", scratch, err);
    EXPECT_EQ(rc, 0) << err;
    EXPECT_EQ(err, "");
  }
  fs::remove_all(scratch);
}

}  // namespace
}  // namespace front_test
