// Sample.ufo with one change each (a shell command run in the copy), converted to a native
// file: it converts, with the line that says what the change costs (a FIFO or a folder as
// the layer list: tests/hostile). A change with a part in braces is made with that part and
// without it: what the part adds is named on the line, and all else comes out the same.
#include "ufo_fixtures.h"

namespace {

using namespace ufotest;

TEST(SampleVariants, ConvertWithTheirLine) {
  const std::string emptyList = "rm glyphs/* && touch glyphs/contents.plist glyphs/";
  const std::string ufo3 = "sed -i 's|<integer>2<|<integer>3<|' metainfo.plist && sed -i 's|<dict>|&<key>"
                           "openTypeHeadCreated</key><string>2020/01/02 03:04:05</string>|' fontinfo.plist && ";
  const std::string red = "<key>color</key><string>1,0,0,1</string>";
  const std::string guides = "Warning: colours of UFO 3 guidelines are left out; the guides themselves are kept: ";
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
      {"sed -i 's|<advance|<guideline y=\"5\"{ color=\"1,0,0,1\"}/>&|' glyphs/A_.glif", guides + "A\n"},
      {"sed -i 's|<dict>|&<key>guidelines</key><array><dict><key>y</key><real>5</real>{" + red +
       "}</dict></array>|' fontinfo.plist", guides + "font\n"},
      {"sed -i 's|<advance|<anchor x=\"9\" y=\"5\" name=\"top\"{ color=\"1,0,0,1\"}/>&|' glyphs/A_.glif",
       "Warning: colours of UFO 3 anchors are not carried by the native format and are left out: A\n"},
      {"echo '<plist><dict>{" + red + "<key>lib</key><dict/>}</dict></plist>' > glyphs/layerinfo.plist",
       "Warning: keys of the default layer's \"glyphs/layerinfo.plist\" are not carried by the native format and "
       "are left out: color, lib\n"},
  };
  const auto convert = [](const TempFolder& folder, const std::string& change) {
    const std::string ufo = shellQuote(folder.str() + "/in.ufo");
    const std::string copy = "cp -r " + shellQuote(TARNWICK_SOURCE_DIR "/tests/data/Sample.ufo") + " " + ufo;
    EXPECT_EQ(runCommand(copy + " && cd " + ufo + " && " + change, nullptr), 0) << change;
    return tarnwick("-s " + ufo + " " + shellQuote(folder.str() + "/out.qtf"));
  };
  for (auto [change, line] : cases) {
    TempFolder folder, plainFolder;
    const size_t open = change.find('{'), close = change.find('}');
    const std::string plain = open == std::string::npos ? "" : ufo3 + std::string(change).erase(open, close + 1 - open);
    if (!plain.empty()) change = ufo3 + change.erase(close, 1).erase(open, 1);
    ufotest::Run run = convert(folder, change);
    EXPECT_EQ(run.code, 0) << change << "\n" << run.out;
    const size_t found = run.out.find(line);
    EXPECT_NE(found, std::string::npos) << line << "\n" << run.out;
    if (plain.empty() || found == std::string::npos) continue;
    EXPECT_EQ(run.out.erase(found, line.size()), convert(plainFolder, plain).out) << line;
    EXPECT_TRUE(readFile(folder.path() / "out.qtf") == readFile(plainFolder.path() / "out.qtf")) << line;
  }
}

}  // namespace
