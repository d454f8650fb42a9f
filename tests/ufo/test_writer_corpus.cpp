// Corpus fonts taken UFO -> native -> UFO by the program: the written UFO is read
// completely by fontTools' validating reader and accepted by xmllint, file by file.
#include <gtest/gtest.h>

#include "ufo_fixtures.h"

namespace {

struct CorpusFont {
  const char* name;
  const char* ufo;  // below the corpus folder
};

class WriterCorpus : public ::testing::TestWithParam<CorpusFont> {};

TEST_P(WriterCorpus, WrittenUfoIsValid) {
  const std::filesystem::path source = std::filesystem::path(TARNWICK_CORPUS_DIR) / GetParam().ufo;
  if (!std::filesystem::is_directory(source)) GTEST_SKIP() << "no corpus at " << source;
  if (!ufotest::haveFontTools()) GTEST_SKIP() << "fontTools is not installed";
  ufotest::TempFolder temp;
  const std::string exe = ufotest::shellQuote(TARNWICK_EXE);
  const std::string cd = "cd " + ufotest::shellQuote(temp.str()) + " && ";
  std::string run;
  ASSERT_EQ(ufotest::runCommand(cd + exe + " -s " + ufotest::shellQuote(source.string()) +
                                       " font.qtf 2>&1",
                                   &run),
            0)
      << run;
  ASSERT_EQ(ufotest::runCommand(cd + exe + " -s -64 font.qtf font.ufo 2>&1", &run), 0) << run;
  const auto ufo = temp.path() / "font.ufo";

  const std::string json = ufotest::readBackIndependently(ufo);
  EXPECT_NE(json.find("\"kerning\": {\""), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Corpus, WriterCorpus,
                         ::testing::Values(CorpusFont{"SourceSans", "source-sans-2.040/Roman/Instances/Regular/font.ufo"},
                                           CorpusFont{"Roboto", "roboto-2/src/v2/Roboto-Regular.ufo"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
