// Sample.ufo with one change each (a shell command run in the copy), converted to a native
// file: it converts, with the line that says what the change costs (a FIFO or a folder as
// the layer list: tests/hostile).
#include "ufo_fixtures.h"

namespace {

using namespace ufotest;

TEST(SampleVariants, ConvertWithTheirLine) {
  const std::string emptyList = "rm glyphs/* && touch glyphs/contents.plist glyphs/";
  const std::pair<std::string, std::string> cases[] = {
      {emptyList + ".DS_Store", ""},
      {emptyList + "layerinfo.plist", ""},
      {"ln -s gone layercontents.plist",
       "\"layercontents.plist\" cannot be read (it cannot be opened: No such file or directory); "},
      {"mkdir -p data/com.x.c data/com.x.f/g && cd data && touch com.quorvel.v2.otl.ttx.xml com.x.a com.x.b "
       "com.x.c/d com.x.e com.x.f/g/h com.x.i com.x.j",
       "files of the \"data\" folder are not carried by the native format and are left out: data/com.x.a, "
       "data/com.x.b, data/com.x.c/d, data/com.x.e, data/com.x.f/g/h and 2 more\n"},
      {"sed -i 's|<unicode hex=\"004F\"/>|<unicode hex=\"1D400\"/>&|' glyphs/O_.glif",
       "Unicode values from U+10000 up come back after the glyph's other values, as the native format holds them "
       "in a list of their own: O\n"},
  };
  for (const auto& [change, line] : cases) {
    TempFolder folder;
    const std::string ufo = shellQuote(folder.str() + "/in.ufo");
    const std::string copy = "cp -r " + shellQuote(TARNWICK_SOURCE_DIR "/tests/data/Sample.ufo") + " " + ufo;
    ASSERT_EQ(runCommand(copy + " && cd " + ufo + " && " + change, nullptr), 0) << change;
    const ufotest::Run run = tarnwick("-s " + ufo + " " + shellQuote(folder.str() + "/out.qtf"));
    EXPECT_EQ(run.code, 0) << change << "\n" << run.out;
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }
}

}  // namespace
