// The texts the UFO writer and reader take: the font lib's hinting dict and a glyph's
// program, out to text and back to the same values and identical command bytes, with
// hostile names, both zone sides and per-size values.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "hint_test_support.h"
#include "hinting/ufo_hinting.h"

namespace {

using hinttest::command;
namespace code = vn::ttCode;

vn::FontHinting sampleHinting() {
  vn::FontHinting hinting;
  hinting.params4 = {40, 68, 9, 255};  // zoneppm, stemsnaplimit (default), codeppm
  hinting.zones = {{"base & <line>", -0.5, 16, 0, {{10, 2}, {11, 65535}}},
                   {"", 700, 12.25, 1, {}},
                   {"it's \"cap\"", 710, 10, 1, {}}};
  hinting.stemsH = {{"bar&", 60, {{1, 0}, {2, 9}}}};  // 1 pixel from ppem 0, 2 from 9
  hinting.stemsV = {{"", 82.5, {}}, {"stem \"v\"", 90, {{20, 2}}}};
  hinting.stemsH2 = {{"postscript only", 1, {}}};
  return hinting;
}

vn::HintLibNode parseDictBody(const std::string& body) {
  auto elements = hinttest::parseXml("<dict>\n" + body + "</dict>\n");
  EXPECT_EQ(elements.size(), 1u);
  return elements.empty() ? vn::HintLibNode{} : hinttest::toLibNode(elements[0], vn::kTtHintingLibKey);
}

TEST(LibText, FontHintingAndProgramBytesSurviveTheTexts) {
  const vn::FontHinting original = sampleHinting();
  vn::FontMetrics metrics;
  // A glyph program as stored, with points named (names that need escaping) and
  // unnamed, zones and stems by index.
  vn::Layer body = hinttest::makeLayer({"a&b", "<x>", "", "q\"uote\" it's", "tab\tand\nline", "]]>&amp;"});
  vn::ttInterpreter builder;
  builder.addCommand(command(code::kAlignTop, {1, 1}));
  builder.addCommand(command(code::kAlignBottom, {4, 0}));
  builder.addCommand(command(code::kSingleLinkH, {0, 2, 1, 1}));
  builder.addCommand(command(code::kDoubleLinkV, {3, 4, 0}));
  builder.addCommand(command(code::kSingleLinkV, {4, 5, -2, -1}));
  builder.addCommand(command(code::kInterpolateH, {3, 6, 7, 3}));
  builder.addCommand(command(code::kMiddleDeltaV, {5, -8, 9, 11}));
  builder.addCommand(command(code::kFinalDeltaH, {7, 16, 30, 40}));
  std::vector<uint8_t> stored;
  builder.encodeCommands(stored);
  ASSERT_FALSE(stored.empty());

  vn::ttInterpreter writer;
  vn::loadFontHinting(writer, &metrics, original);
  const std::string fontText = vn::fontHintingLibText(original, writer);
  EXPECT_EQ(fontText.find("stemsnaplimit"), std::string::npos);  // default value: not written
  EXPECT_EQ(fontText.rfind("    <key>codeppm</key>\n    <integer>9</integer>\n", 0), 0u);
  const std::string programText = vn::glyphProgramLibText(writer, stored, body);

  // Read into a block whose values the dict does not name stay as they were.
  vn::FontHinting read;
  read.params4 = {1, 2, 3, 4};
  vn::readFontHintingDict(parseDictBody(fontText), read);
  EXPECT_EQ(read.params4, (std::array<int32_t, 4>{40, 2, 9, 4}));
  // Top zones first, then bottom ones; every zone keeps its side; unnamed ones are named.
  ASSERT_EQ(read.zones.size(), 3u);
  EXPECT_EQ(read.zones[0].name, "top00");
  EXPECT_EQ(read.zones[0].width, 12.25);
  EXPECT_EQ(read.zones[0].kind, 1);
  EXPECT_EQ(read.zones[1].name, "it's \"cap\"");
  EXPECT_EQ(read.zones[2].name, "base & <line>");
  EXPECT_EQ(read.zones[2].kind, 0);
  EXPECT_EQ(read.zones[2].position, -0.5);
  EXPECT_EQ(read.zones[2].steps, (vn::StepMap{{10, 2}, {11, 65535}}));
  ASSERT_EQ(read.stemsH.size(), 1u);
  EXPECT_EQ(read.stemsH[0].steps, (vn::StepMap{{1, 0}, {2, 9}}));
  ASSERT_EQ(read.stemsV.size(), 2u);
  EXPECT_EQ(read.stemsV[0].name, "v00");
  EXPECT_EQ(read.stemsV[0].width, 82.5);
  EXPECT_EQ(read.stemsV[1].name, "stem \"v\"");
  EXPECT_TRUE(read.stemsH2.empty());

  // The program text on the shared interpreter gives the stored bytes again.
  vn::ttInterpreter& reader = vn::sharedTtInterpreter();
  vn::storeFontHinting(reader, &metrics, &read);
  reader.clearProgram();
  EXPECT_EQ(hinttest::readProgramText(reader, programText, body), 8);
  std::vector<uint8_t> again;
  reader.encodeCommands(again);
  EXPECT_EQ(again, stored);
  // A second glyph on the shared interpreter starts clean.
  reader.clearProgram();
  EXPECT_EQ(hinttest::readProgramText(reader, "<ttProgram>\n</ttProgram>\n", body), 0);
  reader.encodeCommands(again);
  EXPECT_TRUE(again.empty());

  // Written again from what was read, the dict text is the same.
  vn::ttInterpreter rewriter;
  vn::loadFontHinting(rewriter, nullptr, read);
  read.params4[1] = 68;
  read.params4[3] = 255;
  EXPECT_EQ(vn::fontHintingLibText(read, rewriter), fontText);
}

TEST(LibText, NothingToWriteAndMalformedEntries) {
  vn::FontHinting postScriptOnly;
  postScriptOnly.stemsV2.push_back({"ps", 1, {}});
  vn::ttInterpreter writer;
  vn::loadFontHinting(writer, nullptr, postScriptOnly);
  EXPECT_EQ(vn::fontHintingLibText(postScriptOnly, writer), "");

  // Entries of the wrong type read as zero or are skipped.
  vn::HintLibNode dict;
  dict.children.push_back({vn::HintLibNode::kReal, "zoneppm", "12", {}});
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

// An independent property-list reader accepts the dict with hostile names and
// Windows-1252 bytes, and sees the names as written.
TEST(LibText, StandardPlistReaderAcceptsHostileNames) {
  std::FILE* probe = std::fopen(TARNWICK_PYTHON, "r");
  if (!probe) GTEST_SKIP() << "no python";
  std::fclose(probe);
  vn::FontHinting hinting = sampleHinting();
  hinting.zones[1].name = "caf\xe9 \x80";
  vn::ttInterpreter writer;
  vn::loadFontHinting(writer, nullptr, hinting);
  const std::string path = ::testing::TempDir() + "hinting_lib.plist";
  std::ofstream(path, std::ios::binary) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n"
                                        << "<dict>\n  <key>com.quorvel.v2.tth</key>\n  <dict>\n"
                                        << vn::fontHintingLibText(hinting, writer) << "  </dict>\n</dict>\n</plist>\n";
  const std::string script =
      "import plistlib,sys; d=plistlib.load(open(sys.argv[1],'rb'))['com.quorvel.v2.tth'];"
      "print('|'.join(sorted(d['zones'])).encode('unicode_escape').decode()); print('|'.join(sorted(d['stems'])))";
  std::FILE* pipe = popen((std::string(TARNWICK_PYTHON) + " -c \"" + script + "\" " + path).c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
  EXPECT_EQ(pclose(pipe), 0);
  std::remove(path.c_str());
  EXPECT_EQ(output, "base & <line>|caf\\xe9 \\u20ac|it's \"cap\"\nbar&|stem \"v\"|v00\n");
}

}  // namespace
