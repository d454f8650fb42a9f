// The OS/2 code-page bits that the glyph mapping computes from the font's Unicode values:
// built character sets, and the cmaps of real fonts whose own OS/2 bits fontTools reads.
#include <filesystem>
#include <sstream>

#include "../layout/command_output.h"
#include "text/unicode.h"
#include "text_core.h"

namespace {

using text_core::CompiledText;
using text_core::Glyph;
using Codes = std::vector<uint32_t>;
using Words = std::array<uint32_t, 2>;

constexpr uint32_t bit(int n) { return 1u << (n % 32); }

// What a single-byte code page maps at bytes 0x80-0xFF.
Codes upperHalf(int table) {
  Codes out;
  const unicode::u32* t = unicode::codePageTable(table);
  for (unicode::u16 b = 0x80; b <= 0xFF; ++b) {
    const auto c = static_cast<uint32_t>(unicode::codePageToUnicode(t, b));
    if (c != unicode::kNoCharacter) out.push_back(c);
  }
  return out;
}

Codes without(Codes codes, uint32_t c) {
  codes.erase(std::remove(codes.begin(), codes.end(), c), codes.end());
  return codes;
}

Codes range(uint32_t first, uint32_t last) {
  Codes out;
  for (uint32_t c = first; c <= last; ++c) out.push_back(c);
  return out;
}

// One glyph per value, or (together) all values on one glyph.
Words codePages(const Codes& codes, bool together = false) {
  std::vector<Glyph> glyphs = {{".notdef", {}}};
  if (together) glyphs.push_back({"all", codes});
  for (size_t i = 0; !together && i < codes.size(); ++i)
    glyphs.push_back({"g" + std::to_string(i), {codes[i]}});
  CompiledText run("", glyphs);
  EXPECT_FALSE(run.failed) << run.fatal;
  return run.g->map->ranges.codePageRange;
}

TEST(CodePages, BuiltCharacterSets) {
  constexpr int kWin1252 = 0, kWin1251 = 2;
  const Codes cyrillic = upperHalf(kWin1251);
  // 1251's letters hold those of the two DOS Cyrillic pages (866, 855).
  const Words cyrillicPages = {bit(2), bit(49) | bit(57)};
  const struct {
    const char* what;
    Codes codes;
    Words words;
  } cases[] = {
      {"ASCII", range(0x20, 0x7E), {0, 0}},
      {"1252's upper half", upperHalf(kWin1252), {bit(0), 0}},
      {"1252 less the letter S caron", without(upperHalf(kWin1252), 0x160), {0, 0}},
      {"1252 less its signs and quotes", without(without(upperHalf(kWin1252), 0x20AC), 0xA9),
       {bit(0), 0}},
      {"1251's upper half", cyrillic, cyrillicPages},
      {"1251 less the letter zhe", without(cyrillic, 0x416), {0, 0}},
      {"1251 less the numero sign", without(cyrillic, 0x2116), cyrillicPages},
      {"the Thai block", range(0x0E01, 0x0E5B), {bit(16), 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(codePages(c.codes), c.words);
  }
  // Further values of a glyph count as much as first ones.
  EXPECT_EQ(codePages(cyrillic, true), cyrillicPages);
}

// The font's cmap values and its own OS/2 code-page range, through fontTools.
bool readFont(const std::string& path, Codes& codes, Words& own) {
  std::istringstream in(layout_test::commandOutput(
      std::string(TARNWICK_PYTHON) +
      " -c 'import sys; from fontTools.ttLib import TTFont; f = TTFont(sys.argv[1]); "
      "o = f[\"OS/2\"]; print(o.ulCodePageRange1, o.ulCodePageRange2, "
      "*sorted(f.getBestCmap()))' '" + path + "' 2>/dev/null"));
  if (!(in >> own[0] >> own[1])) return false;
  for (uint32_t c; in >> c;) codes.push_back(c);
  return !codes.empty();
}

TEST(CodePages, RealFontsOfFourScripts) {
  if (!builder_test::judgesPresent()) GTEST_SKIP() << "fontTools not installed";
  const struct {
    const char* script;
    const char* path;
    std::vector<int> set, clear;  // bits
  } fonts[] = {
      {"Latin", "/usr/share/fonts/truetype/charis/CharisSIL-Regular.ttf", {0, 1, 4, 58, 62},
       {3, 5, 6, 16, 60}},
      {"Cyrillic", "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf", {2, 49, 57},
       {5, 6, 16}},
      {"Greek", "/usr/share/fonts/truetype/gentiumplus/GentiumPlus-Regular.ttf", {3, 48, 60},
       {5, 6, 16}},
      {"Hebrew", "/usr/share/fonts/truetype/noto/NotoSansHebrew-Regular.ttf", {5},
       {0, 1, 2, 3, 4, 6, 7, 8, 16, 48, 49, 56, 57, 58, 59, 60, 62, 63}},
  };
  for (const auto& f : fonts) {
    SCOPED_TRACE(f.script);
    if (!std::filesystem::exists(f.path)) GTEST_SKIP() << f.path << " not installed";
    Codes codes;
    Words own{};
    ASSERT_TRUE(readFont(f.path, codes, own));
    const Words words = codePages(codes);
    for (int b : f.set) EXPECT_TRUE(words[b / 32] & bit(b)) << "bit " << b;
    for (int b : f.clear) EXPECT_FALSE(words[b / 32] & bit(b)) << "bit " << b;
    // The Windows code pages agree with what the font's makers stored.
    EXPECT_EQ(words[0] & 0x1FF, own[0] & 0x1FF);
  }
}

}  // namespace
