// Coverage and ClassDef blocks of Debian's fonts, compiled and decoded by fontTools
// (data/codec_blocks.py), read by our codecs to the same glyphs and classes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "command_output.h"
#include "layout/glyph_id_map.h"
#include "layout/glyph_indices.h"
#include "layout/ot/binary_reader.h"
#include "layout/records.h"
#include "support/judge_passes.h"

namespace {

std::string unhex(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

TEST(CodecFonts, BlocksReadAsFontToolsReadsThem) {
  TARNWICK_WHOLE_FONT_JUDGES();
  const char* fonts[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                         "/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf",
                         "/usr/share/fonts/truetype/gentiumplus/GentiumPlus-Regular.ttf"};
  if (std::system(TARNWICK_PYTHON " -c 'import fontTools' 2>/dev/null") != 0) GTEST_SKIP() << "fontTools missing";
  const std::string script = std::string(TARNWICK_TEST_DATA_DIR) + "/codec_blocks.py";
  int blocks = 0;
  for (const char* font : fonts) {
    if (!std::filesystem::exists(font)) continue;
    std::istringstream lines(layout_test::commandOutput(std::string(TARNWICK_PYTHON) + " '" + script + "' '" + font + "' 400"));
    otl::GlyphIdMap map;
    std::string line;
    while (std::getline(lines, line)) {
      std::istringstream fields(line);
      std::string kind, hex, item;
      fields >> kind >> hex;
      if (kind == "G") {
        std::vector<std::string> names;
        for (int i = 0, n = std::stoi(hex); i < n; ++i) names.push_back("cb" + std::to_string(i));
        map.fill(names);
        continue;
      }
      const std::string bytes = unhex(hex);
      ot::BinaryReader reader(bytes);
      std::ostringstream expected, got;
      while (fields >> item) expected << item << ' ';
      if (kind == "C") {
        otl::GlyphList glyphs;
        otl::readCoverageTable(glyphs, reader, 0, map);
        for (uint32_t g : glyphs) got << map.indexOf(g) << ' ';
      } else {
        otl::ClassDefinitionTable classes;
        classes.readBinary(reader, 0, map);
        std::vector<std::pair<uint16_t, uint16_t>> pairs;
        for (size_t i = 0; i < classes.pairCount(); ++i) {
          if (classes.classes[i]) pairs.emplace_back(map.indexOf(classes.glyphs[i]), classes.classes[i]);
        }
        std::sort(pairs.begin(), pairs.end());
        for (auto [g, c] : pairs) got << g << ':' << c << ' ';
      }
      EXPECT_EQ(got.str(), expected.str()) << font << ": " << kind << " " << hex.substr(0, 40);
      ++blocks;
    }
  }
  if (blocks == 0) GTEST_SKIP() << "none of the fonts is installed";
}

}  // namespace
