// The corpus fonts' features.fea compiles on the way to the native file (Source Sans'
// includes resolve against the UFO folder) and comes back from UFO -> native -> UFO byte
// for byte.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int run(const std::string& arguments, const fs::path& err) {
  const std::string command = std::string("'") + TARNWICK_EXE + "' -s -fo " + arguments + " > /dev/null 2> '" +
                              err.string() + "'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class FeaturesFixedPoint : public ::testing::TestWithParam<const char*> {};

TEST_P(FeaturesFixedPoint, UfoToNativeAndBack) {
  const fs::path original = fs::path(TARNWICK_CORPUS_DIR) / GetParam();
  if (!fs::is_directory(original)) GTEST_SKIP() << "corpus font missing: " << original;
  const fs::path work = fs::temp_directory_path() / ("tw_fea_fixed_" + std::to_string(::getpid()));
  fs::remove_all(work);
  fs::create_directories(work);

  ASSERT_EQ(run("'" + original.string() + "' '" + (work / "font.qtf").string() + "'", work / "to_native.err"), 0);
  // No compiler message: the text compiled, includes and all.
  EXPECT_EQ(readText(work / "to_native.err"), "");
  ASSERT_EQ(run("'" + (work / "font.qtf").string() + "' '" + (work / "back.ufo").string() + "'", work / "back.err"),
            0)
      << readText(work / "back.err");
  const std::string before = readText(original / "features.fea");
  const std::string after = readText(work / "back.ufo/features.fea");
  EXPECT_EQ(after.size(), before.size());
  EXPECT_TRUE(after == before);
  fs::remove_all(work);
}

// With -ttx a UFO gets the layout XML document, and reading it back with -ttx takes the
// layout from the document (the feature text is then generated from the layout); without
// -ttx no document is written and features.fea is read as it stands. Roboto's feature text
// is self-contained, so it compiles wherever the native file lies.
TEST(LayoutXmlRoad, DocumentWrittenAndReadWithTtx) {
  const fs::path original = fs::path(TARNWICK_CORPUS_DIR) / "roboto-2/src/v2/Roboto-Regular.ufo";
  if (!fs::is_directory(original)) GTEST_SKIP() << "corpus font missing: " << original;
  const fs::path work = fs::temp_directory_path() / ("tw_fea_ttx_" + std::to_string(::getpid()));
  fs::remove_all(work);
  fs::create_directories(work);
  const auto path = [&](const char* name) { return "'" + (work / name).string() + "'"; };
  const std::string kDocument = "data/com.quorvel.v2.otl.ttx.xml";

  ASSERT_EQ(run("'" + original.string() + "' " + path("font.qtf"), work / "a.err"), 0);
  ASSERT_EQ(run("-ttx " + path("font.qtf") + " " + path("ttx.ufo"), work / "b.err"), 0) << readText(work / "b.err");
  const std::string document = readText(work / "ttx.ufo" / kDocument);
  EXPECT_EQ(document.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<OTLayout>\n", 0), 0u);
  EXPECT_NE(document.find("<GSUB>"), std::string::npos);
  EXPECT_EQ(document.substr(document.size() - 12), "</OTLayout>\n");
  ASSERT_EQ(run(path("font.qtf") + " " + path("plain.ufo"), work / "c.err"), 0);
  EXPECT_FALSE(fs::exists(work / "plain.ufo" / kDocument));

  // Read without -ttx: the stored features.fea, verbatim; with -ttx: the document's layout.
  const std::string before = readText(original / "features.fea");
  ASSERT_EQ(run(path("ttx.ufo") + " " + path("text.qtf"), work / "d.err"), 0);
  ASSERT_EQ(run(path("text.qtf") + " " + path("text.ufo"), work / "e.err"), 0);
  EXPECT_TRUE(readText(work / "text.ufo/features.fea") == before);
  ASSERT_EQ(run("-ttx " + path("ttx.ufo") + " " + path("layout.qtf"), work / "f.err"), 0) << readText(work / "f.err");
  ASSERT_EQ(run("-ttx " + path("layout.qtf") + " " + path("layout.ufo"), work / "g.err"), 0)
      << readText(work / "g.err");
  const std::string generated = readText(work / "layout.ufo/features.fea");
  EXPECT_EQ(generated.rfind("#\n# Feature definitions\n", 0), 0u) << generated.substr(0, 200);
  const std::string again = readText(work / "layout.ufo" / kDocument);
  EXPECT_NE(again.find("<GSUB>"), std::string::npos);

  // Once the layout has been through the generated text, the road is a fixed point: the
  // next trip writes the same document and the same text (bar the date, and the lookup
  // numbers in comments of the text stored from the trip before, which numbered the
  // lookups as the original text did), and so does the one after.
  ASSERT_EQ(run("-ttx " + path("layout.ufo") + " " + path("second.qtf"), work / "h.err"), 0) << readText(work / "h.err");
  ASSERT_EQ(run("-ttx " + path("second.qtf") + " " + path("second.ufo"), work / "i.err"), 0) << readText(work / "i.err");
  ASSERT_EQ(run("-ttx " + path("second.ufo") + " " + path("third.qtf"), work / "j.err"), 0) << readText(work / "j.err");
  ASSERT_EQ(run("-ttx " + path("third.qtf") + " " + path("third.ufo"), work / "k.err"), 0) << readText(work / "k.err");
  EXPECT_TRUE(readText(work / "second.ufo" / kDocument) == again);
  EXPECT_TRUE(readText(work / "third.ufo" / kDocument) == again);
  const std::regex date("# Generated on: [^\n]*\n"), numbers("# (GSUB|GPOS) lookup [0-9]+,");
  const auto masked = [&](const fs::path& file, bool maskNumbers) {
    const std::string text = std::regex_replace(readText(file), date, "");
    return maskNumbers ? std::regex_replace(text, numbers, "# $1 lookup N,") : text;
  };
  const std::string second = masked(work / "second.ufo/features.fea", false);
  EXPECT_TRUE(masked(work / "layout.ufo/features.fea", true) == masked(work / "second.ufo/features.fea", true));
  EXPECT_TRUE(masked(work / "third.ufo/features.fea", false) == second);
  // Every language system of the layout stands in the text (none is lost on the way).
  for (const char* language : {"AZE ", "CRT ", "FRA ", "MOL ", "NAV ", "ROM ", "TRK "})
    EXPECT_NE(second.find(std::string("languagesystem latn ") + language + ";"), std::string::npos) << language;
  EXPECT_NE(second.find("    language FRA ; # French\n      lookupflag 0;\n      lookup locl_latnFRA_1;"),
            std::string::npos);
  fs::remove_all(work);
}

INSTANTIATE_TEST_SUITE_P(Corpus, FeaturesFixedPoint,
                         ::testing::Values("source-sans-2.040/Roman/Instances/Regular/font.ufo",
                                           "roboto-2/src/v2/Roboto-Regular.ufo"),
                         [](const auto& info) { return info.index == 0 ? std::string("SourceSans") : std::string("Roboto"); });

}  // namespace
