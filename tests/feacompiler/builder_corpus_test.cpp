// The corpus fonts' feature files compile without error and give feaLib's layout; the
// tables pass ots-sanitize.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "builder_harness.h"

namespace fs = std::filesystem;

namespace {

struct Font {
  const char* ufo;
};

const Font kFonts[] = {
    {"source-sans-2.040/Roman/Instances/Regular/font.ufo"},
    {"roboto-2/src/v2/Roboto-Regular.ufo"},
};

std::string run(const std::string& cmd, int* rc) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  char buf[4096];
  size_t n;
  while (p && (n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  *rc = p ? pclose(p) : -1;
  return out;
}

TEST(BuilderCorpus, FeatureFilesGiveFeaLibLayout) {
  if (!fs::exists(TARNWICK_CORPUS_DIR)) GTEST_SKIP() << "corpus absent";
  if (!builder_test::judgesPresent()) GTEST_SKIP() << "fontTools absent";
  builder_test::Harness judge({});
  int k = 0;
  for (const Font& f : kFonts) {
    SCOPED_TRACE(f.ufo);
    fs::path ufo = fs::path(TARNWICK_CORPUS_DIR) / f.ufo;
    fs::path dir = fs::temp_directory_path() / ("builder_corpus_" + std::to_string(getpid()) + "_" + std::to_string(k++));
    fs::remove_all(dir);
    fs::create_directories(dir);
    // Glyph order: public.glyphOrder, then the rest of the glyph set.
    int rc = 0;
    std::string glyphs = (dir / "glyphs.txt").string();
    run(std::string(TARNWICK_PYTHON) +
            " -c \"import plistlib,sys; u=sys.argv[1]; lib=plistlib.load(open(u+'/lib.plist','rb'));"
            " c=plistlib.load(open(u+'/glyphs/contents.plist','rb')); o=[n for n in lib.get('public.glyphOrder',[]) if n in c];"
            " s=set(o); print('\\n'.join(o+sorted(n for n in c if n not in s)))\" " +
            ufo.string() + " > " + glyphs,
        &rc);
    ASSERT_EQ(rc, 0);
    std::string tables = (dir / "out").string();
    std::string fea = (ufo / "features.fea").string();
    std::string out = run(std::string(TARNWICK_OTLTOOL) + " compile " + glyphs + " " + fea + " " + tables + " 2>&1", &rc);
    ASSERT_EQ(rc, 0) << out;
    EXPECT_EQ(out.find("error"), std::string::npos) << out;
    // Names the font lacks got ids after its glyphs: give feaLib the same order.
    std::ofstream all(glyphs, std::ios::app);
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("missing ", 0) == 0) all << line.substr(8) << "\n";
    }
    all.close();
    bool ok = false;
    std::string diff = judge.judge("compare " + glyphs + " " + fea + " " + tables, &ok);
    EXPECT_TRUE(ok) << diff.substr(0, 4000);
    diff = judge.judge("ots " + glyphs + " " + tables, &ok);
    EXPECT_TRUE(ok) << diff;
    diff = judge.judge("shape " + glyphs + " " + fea + " " + tables +
                           " 'office affluent' 'AVATAR Today' 'Wo Ty' '\u01FA \u0105\u0301 \u00E9'"
                           " '\u0141\u00D3D\u0179' '\u0395\u03BB\u03BB\u03B7\u03BD' '\u041F\u0440\u0438'",
                       &ok);
    EXPECT_TRUE(ok) << diff;
    fs::remove_all(dir);
  }
}

}  // namespace
