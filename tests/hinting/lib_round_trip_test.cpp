// The whole path the UFO writer and reader take, at the level of the texts: font hinting
// and glyph programs out to lib text and back to identical command bytes.
#include <gtest/gtest.h>

#include "hint_test_support.h"
#include "hinting/ufo_hinting.h"

namespace {

using hinttest::command;
namespace code = vn::ttCode;

TEST(LibRoundTrip, ProgramBytesZonesAndStemsSurvive) {
  vn::FontHinting hinting;
  hinting.zones = {{"", 0, 16, 0, {}}, {"x&height", 500, 12, 1, {{14, 1}}}, {"", 700, 16, 1, {}}};
  hinting.stemsH = {{"", 40, {}}};
  hinting.stemsV = {{"stem \"v\"", 80, {{20, 2}}}, {"", 90, {}}};
  hinting.params4 = {30, 68, 12, 255};
  vn::FontMetrics metrics;

  // A glyph program as stored, with points named and unnamed, zones and stems by index.
  vn::Layer body = hinttest::makeLayer({"", "top<", "", "", "bottom", ""});
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

  // Writer.
  vn::ttInterpreter writer;
  vn::loadFontHinting(writer, &metrics, hinting);
  const std::string fontText = vn::fontHintingLibText(hinting, writer);
  const std::string programText = vn::glyphProgramLibText(writer, stored, body);
  ASSERT_NE(programText, "");

  // Reader, with a fresh hinting block and the shared interpreter.
  auto dict = hinttest::parseXml("<dict>\n" + fontText + "</dict>\n");
  ASSERT_EQ(dict.size(), 1u);
  vn::FontHinting read;
  vn::readFontHintingDict(hinttest::toLibNode(dict[0], vn::kTtHintingLibKey), read);
  vn::ttInterpreter& reader = vn::sharedTtInterpreter();
  vn::storeFontHinting(reader, &metrics, &read);
  reader.clearProgram();
  EXPECT_EQ(hinttest::readProgramText(reader, programText, body), 8);
  std::vector<uint8_t> again;
  reader.encodeCommands(again);
  EXPECT_EQ(again, stored);

  EXPECT_EQ(read.params4, hinting.params4);
  ASSERT_EQ(read.zones.size(), 3u);
  EXPECT_EQ(read.zones[0].name, "x&height");
  EXPECT_EQ(read.zones[0].steps, (vn::StepMap{{14, 1}}));
  EXPECT_EQ(read.zones[1].name, "top01");  // position in the top list
  EXPECT_EQ(read.zones[2].name, "bottom00");
  EXPECT_EQ(read.zones[2].kind, 0);
  ASSERT_EQ(read.stemsV.size(), 2u);
  EXPECT_EQ(read.stemsV[1].name, "v01");
  EXPECT_EQ(read.stemsH[0].width, 40);

  // A second glyph on the shared interpreter starts clean.
  reader.clearProgram();
  EXPECT_EQ(hinttest::readProgramText(reader, "<ttProgram>\n</ttProgram>\n", body), 0);
  reader.encodeCommands(again);
  EXPECT_TRUE(again.empty());
}

}  // namespace
