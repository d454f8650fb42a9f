// The font lib's hinting dict: written by one interpreter, read back into a hinting
// block, with hostile names, both zone sides and per-size values.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "hint_test_support.h"
#include "hinting/ufo_hinting.h"

namespace {

vn::FontHinting sampleHinting() {
  vn::FontHinting hinting;
  hinting.params4 = {40, 68, 9, 255};  // zoneppm, stemsnaplimit (default), codeppm
  hinting.zones.push_back({"base & <line>", -0.5, 16, 0, {{10, 2}, {11, 65535}}});
  hinting.zones.push_back({"", 700, 12.25, 1, {}});
  hinting.zones.push_back({"it's \"cap\"", 710, 10, 1, {}});
  hinting.stemsH.push_back({"bar&", 60, {{1, 0}, {2, 9}}});  // 1 pixel from ppem 0, 2 from 9
  hinting.stemsV.push_back({"", 82.5, {}});
  hinting.stemsH2.push_back({"postscript only", 1, {}});
  return hinting;
}

vn::HintLibNode parseDictBody(const std::string& body) {
  auto elements = hinttest::parseXml("<dict>\n" + body + "</dict>\n");
  EXPECT_EQ(elements.size(), 1u);
  return elements.empty() ? vn::HintLibNode{} : hinttest::toLibNode(elements[0], "com.quorvel.v2.tth");
}

TEST(FontHintingText, RoundTripsZonesStemsAndValues) {
  const vn::FontHinting original = sampleHinting();
  vn::ttInterpreter writer;
  vn::loadFontHinting(writer, nullptr, original);
  const std::string body = vn::fontHintingLibText(original, writer);
  EXPECT_EQ(body.find("stemsnaplimit"), std::string::npos);  // default value: not written
  EXPECT_EQ(body.rfind("    <key>codeppm</key>\n    <integer>9</integer>\n", 0), 0u);

  vn::FontHinting read;
  read.params4 = {1, 2, 3, 4};
  vn::readFontHintingDict(parseDictBody(body), read);
  EXPECT_EQ(read.params4, (std::array<int32_t, 4>{40, 2, 9, 4}));

  // Top zones first, then bottom ones; every zone keeps its side.
  ASSERT_EQ(read.zones.size(), 3u);
  EXPECT_EQ(read.zones[0].name, "top00");
  EXPECT_EQ(read.zones[0].position, 700);
  EXPECT_EQ(read.zones[0].width, 12.25);
  EXPECT_EQ(read.zones[0].kind, 1);
  EXPECT_EQ(read.zones[1].name, "it's \"cap\"");
  EXPECT_EQ(read.zones[2].name, "base & <line>");
  EXPECT_EQ(read.zones[2].kind, 0);
  EXPECT_EQ(read.zones[2].position, -0.5);
  EXPECT_EQ(read.zones[2].steps, (vn::StepMap{{10, 2}, {11, 65535}}));
  ASSERT_EQ(read.stemsH.size(), 1u);
  EXPECT_EQ(read.stemsH[0].name, "bar&");
  EXPECT_EQ(read.stemsH[0].steps, (vn::StepMap{{1, 0}, {2, 9}}));
  ASSERT_EQ(read.stemsV.size(), 1u);
  EXPECT_EQ(read.stemsV[0].name, "v00");
  EXPECT_EQ(read.stemsV[0].width, 82.5);
  EXPECT_TRUE(read.stemsH2.empty());

  // Written again from what was read, the text is the same.
  vn::ttInterpreter again;
  vn::loadFontHinting(again, nullptr, read);
  read.params4[1] = 68;
  read.params4[3] = 255;
  EXPECT_EQ(vn::fontHintingLibText(read, again), body);
}

TEST(FontHintingText, NothingToWriteGivesNoText) {
  vn::FontHinting hinting;
  hinting.stemsV2.push_back({"ps", 1, {}});
  vn::ttInterpreter writer;
  vn::loadFontHinting(writer, nullptr, hinting);
  EXPECT_EQ(vn::fontHintingLibText(hinting, writer), "");
}

TEST(FontHintingText, MalformedEntriesReadAsZeroOrAreSkipped) {
  vn::HintLibNode dict;
  dict.children.push_back({vn::HintLibNode::kReal, "zoneppm", "12", {}});  // not an integer: ignored
  vn::HintLibNode zones{vn::HintLibNode::kDict, "zones", "", {}};
  zones.children.push_back({vn::HintLibNode::kString, "not a dict", "x", {}});
  vn::HintLibNode odd{vn::HintLibNode::kDict, "odd", "", {}};
  odd.children.push_back({vn::HintLibNode::kString, "position", "5", {}});
  odd.children.push_back({vn::HintLibNode::kReal, "width", "1e999", {}});
  odd.children.push_back({vn::HintLibNode::kTrue, "top", "", {}});
  odd.children.push_back({vn::HintLibNode::kArray, "delta", "", {}});
  zones.children.push_back(odd);
  dict.children.push_back(zones);
  dict.children.push_back({vn::HintLibNode::kArray, "stems", "", {}});

  vn::FontHinting hinting;
  vn::readFontHintingDict(dict, hinting);
  EXPECT_EQ(hinting.params4[0], 48);
  ASSERT_EQ(hinting.zones.size(), 1u);
  EXPECT_EQ(hinting.zones[0].position, 0);
  EXPECT_EQ(hinting.zones[0].width, 0);
  EXPECT_EQ(hinting.zones[0].kind, 1);
  EXPECT_TRUE(hinting.zones[0].steps.empty());
  EXPECT_TRUE(hinting.stemsH.empty());
}

// An independent property-list reader accepts the text with hostile names and sees the
// names as written.
TEST(FontHintingText, StandardPlistReaderAcceptsHostileNames) {
  std::FILE* probe = std::fopen(TARNWICK_PYTHON, "r");
  if (!probe) GTEST_SKIP() << "no python";
  std::fclose(probe);

  vn::FontHinting hinting = sampleHinting();
  hinting.zones[1].name = "caf\xe9 \x80";  // Windows-1252 bytes
  vn::ttInterpreter writer;
  vn::loadFontHinting(writer, nullptr, hinting);
  const std::string path = ::testing::TempDir() + "hinting_lib.plist";
  {
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
        << "  <key>com.quorvel.v2.tth</key>\n  <dict>\n"
        << vn::fontHintingLibText(hinting, writer) << "  </dict>\n</dict>\n</plist>\n";
  }
  const std::string script =
      "import plistlib,sys; d=plistlib.load(open(sys.argv[1],'rb'))['com.quorvel.v2.tth'];"
      "print('|'.join(sorted(d['zones'])).encode('unicode_escape').decode()); print('|'.join(sorted(d['stems'])))";
  const std::string commandLine = std::string(TARNWICK_PYTHON) + " -c \"" + script + "\" " + path;
  std::FILE* pipe = popen(commandLine.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
  EXPECT_EQ(pclose(pipe), 0);
  std::remove(path.c_str());
  EXPECT_EQ(output, "base & <line>|caf\\xe9 \\u20ac|it's \"cap\"\nbar&|v00\n");
}

}  // namespace
