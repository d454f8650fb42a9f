// Native files from the test builder and corpus fonts taken UFO -> native -> UFO by the
// program: the UFOs it writes, plain and with base64 data, are read completely by
// fontTools' validating reader and accepted by xmllint, file by file.
#include <gtest/gtest.h>

#include "support/qtf_builder.h"
#include "ufo_fixtures.h"

namespace {

using namespace qtftest;

Bytes squareElement(int32_t x) {
  return ElementBuilder().moveTo(x, 0).lineTo(x + 100, 0).curveTo(x + 100, 100, x + 120, 30, x + 120, 70)
      .lineTo(x, 100).bytes();
}

std::string builtNativeFile() {
  const Bytes hints = hintsPayload({{{{0, 20}}}, {{{80, -21}}}}, {{{{40, 10}}}},
                                   {{1, 1}, {2, 0}, {255, -3}, {1, 7}, {9, 0}});
  const Bytes guides = guidesPayload({{{{100, 5000}}}}, {{{{30, 0}}}});
  const Bytes unicodes = Payload().u16(0x42).bytes();
  const Bytes note = Payload().text("a note").bytes();
  const Bytes links = Payload().n(1).n(33).n(44).bytes();
  FileBuilder file;
  file.begin()
      .glyph(GlyphRecord().name(".notdef").advance(500, 0))
      .glyph(GlyphRecord().name("A").advance(600, 0).element(squareElement(0)))
      .glyph(GlyphRecord()
                 .name("B&<x>")
                 .advance(640, 0)
                 .element(squareElement(10))
                 .hints(hints)
                 .guides(guides)
                 .components({{1, {{10, 20, 1.0, 1.0}}}})
                 .kerning({{1, {-50}}, {3, {12}}}))
      .add(1250, unicodes)
      .add(2017, note)
      .add(2020, links)
      .glyph(GlyphRecord().name("../../c").advance(300, 0).element(
          ElementBuilder().moveTo(0, 0, true).lineTo(5, 5).quadTo(9, 9).quadTo(12, 3).bytes()))
      .glyph(GlyphRecord().name("a").advance(500, 0))
      .glyph(GlyphRecord().name("A.").advance(500, 0));
  return file.end().str();
}

// Converts `input` in `folder` to "<variant>.ufo" (base64 data for "base64") and
// judges it; gives the judge's summary.
std::string convertAndJudge(const ufotest::TempFolder& folder, const std::string& input, const std::string& variant) {
  const std::string cd = "cd " + ufotest::shellQuote(folder.str()) + " && " + ufotest::shellQuote(TARNWICK_EXE);
  std::string run;
  EXPECT_EQ(ufotest::runCommand(cd + " -s -fo" + (variant == "base64" ? " -64 " : " ") + input + " " + variant +
                                    ".ufo 2>&1",
                                &run),
            0)
      << run;
  return ufotest::readBackIndependently(folder.path() / (variant + ".ufo"));
}

TEST(WriterProgram, ConvertedNativeFilesAreReadCompletely) {
  if (!ufotest::haveFontTools()) GTEST_SKIP() << "fontTools is not installed";
  ufotest::TempFolder temp;
  std::ofstream(temp.path() / "built.qtf", std::ios::binary) << builtNativeFile();
  for (const char* variant : {"plain", "base64"}) {
    const std::string json = convertAndJudge(temp, "built.qtf", variant);
    for (const char* expected : {"\"B&<x>\": {", "\"../../c\": {", "\"A.\": {", "\"a\": {", "\".notdef\": {",
                                 "\"unicodes\": [66]"}) {
      EXPECT_NE(json.find(expected), std::string::npos) << variant << ": " << expected << "\nin " << json;
    }
  }
}

TEST(WriterProgram, CorpusFontsWrittenBackAreValid) {
  if (!ufotest::haveFontTools()) GTEST_SKIP() << "fontTools is not installed";
  int judged = 0;
  for (const char* font : {"source-sans-2.040/Roman/Instances/Regular/font.ufo", "roboto-2/src/v2/Roboto-Regular.ufo"}) {
    const std::filesystem::path source = std::filesystem::path(TARNWICK_CORPUS_DIR) / font;
    if (!std::filesystem::is_directory(source)) continue;
    ufotest::TempFolder temp;
    std::string run;
    ASSERT_EQ(ufotest::runCommand("cd " + ufotest::shellQuote(temp.str()) + " && " + ufotest::shellQuote(TARNWICK_EXE) +
                                      " -s " + ufotest::shellQuote(source.string()) + " font.qtf 2>&1",
                                  &run),
              0)
        << run;
    EXPECT_NE(convertAndJudge(temp, "font.qtf", "base64").find("\"kerning\": {\""), std::string::npos) << font;
    ++judged;
  }
  if (judged == 0) GTEST_SKIP() << "no corpus at " << TARNWICK_CORPUS_DIR;
}

}  // namespace
