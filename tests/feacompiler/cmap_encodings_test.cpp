// The cmap encodings: every subtable format judged by decoding it with fontTools, the OS/2
// character ranges of known values, and the fatal for two glyphs with one code.
#include <cstdio>

#include "builder_harness.h"
#include "feacompiler/glyph_map.h"
#include "feacompiler/tables/cmap_module.h"

using builder_test::Fatal;
using builder_test::Harness;

namespace {

struct Map {
  uint32_t code;
  uint16_t gid, size;
};

// fontTools' reading of a subtable: "format F language L\n<code:gid ...>\n"; empty when the
// judge is absent.
std::string decode(const std::vector<uint8_t>& sub, uint16_t platform, uint16_t script) {
  std::string hex;
  char b[3];
  for (uint8_t c : sub) {
    std::snprintf(b, sizeof b, "%02x", c);
    hex += b;
  }
  std::string cmd = std::string(TARNWICK_PYTHON) + " " + TARNWICK_TEST_DATA_DIR +
                    "/cmap_decode.py " + hex + " " + std::to_string(platform) + " " +
                    std::to_string(script) + " 2>&1";
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return "";
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int rc = pclose(p);
  return WIFEXITED(rc) && WEXITSTATUS(rc) == 77 ? "" : out;
}

constexpr uint16_t S = fea::kCmapSingle, D = fea::kCmapDouble, F = fea::kCmapFour;

TEST(CmapEncodings, EachFormatDecodes) {
  struct Case {
    const char* name;
    uint16_t platform, script, language;
    std::vector<Map> maps;
    const char* decoded;
  } cases[] = {
      // A two-glyph run and a single mapping join into one segment with a glyph-id array.
      {"format 4", 3, 1, 0, {{0x20, 1, D}, {0x41, 2, D}, {0x42, 3, D}, {0x43, 7, D}, {0x100, 5, D}},
       "format 4 language 0\n20:1 41:2 42:3 43:7 100:5\n"},
      {"format 12", 3, 10, 0, {{0x41, 2, F}, {0x42, 3, F}, {0x1F600, 9, F}},
       "format 12 language 0\n41:2 42:3 1f600:9\n"},
      // Tab and return show the space glyph unless a glyph has the code itself.
      {"format 0", 1, 0, 2, {{0x20, 1, S}, {0x41, 2, S}, {0x0D, 4, S}},
       "format 0 language 2\n9:1 d:4 20:1 41:2\n"},
      {"format 6", 1, 0, 0, {{0x43, 2, S}, {0x41, 300, S}}, "format 6 language 0\n41:300 43:2\n"},
      {"format 2", 1, 1, 0, {{0x41, 2, S}, {0x8140, 3, D}, {0x8145, 4, D}, {0x8240, 5, D}},
       "format 2 language 0\n41:2 8140:3 8145:4 8240:5\n"},
      {"format 6, custom platform", 4, 0, 0, {{0x100, 3, D}, {0x101, 4, D}},
       "format 6 language 0\n100:3 101:4\n"},
  };
  for (const Case& c : cases) {
    Harness h({"A"}, 300);
    fea::cmapBeginEncoding(h.g, c.platform, c.script, c.language);
    for (const Map& m : c.maps) fea::cmapAddMapping(h.g, m.code, m.gid, m.size);
    ASSERT_TRUE(fea::cmapEndEncoding(h.g)) << c.name;
    std::string got = decode(h.g->cmap->subtables.back(), c.platform, c.script);
    if (got.empty()) GTEST_SKIP() << "fontTools is absent";
    EXPECT_EQ(got, c.decoded) << c.name;
  }
}

TEST(CmapEncodings, EmptyWindowsEncodingHasNoSubtable) {
  Harness h({"A"});
  fea::cmapBeginEncoding(h.g, 3, 1, 0);
  EXPECT_FALSE(fea::cmapEndEncoding(h.g));
  EXPECT_TRUE(h.g->cmap->subtables.empty());
  // The Macintosh encoding is kept even when empty.
  fea::cmapBeginEncoding(h.g, 1, 0, 0);
  EXPECT_TRUE(fea::cmapEndEncoding(h.g));
  EXPECT_EQ(h.g->cmap->subtables.back().size(), 262u);
}

TEST(CmapEncodings, UnicodeValuesGiveRangesAndBothEncodings) {
  Harness h({"A", "eacute", "alpha", "Euro", "smile", "pua"});
  const uint32_t codes[] = {0x41, 0xE9, 0x3B1, 0x20AC, 0x1F600, 0xE001};
  for (size_t i = 0; i < 6; ++i) h.g->glyphs[i + 1].code = codes[i];
  fea::mapSetup(h.g);
  EXPECT_EQ(fea::mapCheck(h.g), 1);
  const fea::CharRanges& r = h.g->map->ranges;
  EXPECT_EQ(r.firstChar, 0x41);
  EXPECT_EQ(r.lastChar, 0xFFFF);  // values past the BMP
  // Bits 0, 1, 7 (Latin, Latin-1, Greek), 33 (currency), 57 (past the BMP), 60 (private use).
  EXPECT_EQ(r.unicodeRange[0], 0x83u);
  EXPECT_EQ(r.unicodeRange[1], (1u << 1) | (1u << 25) | (1u << 28));
  EXPECT_EQ(r.unicodeRange[2], 0u);
  const auto& enc = h.g->cmap->encodings;
  ASSERT_EQ(enc.size(), 4u);
  EXPECT_EQ(enc[1].platform, 0);
  EXPECT_EQ(enc[1].subtable, 0);
  EXPECT_EQ(enc[3].script, 4);
  EXPECT_EQ(enc[3].subtable, 1);
  std::string bmp = decode(h.g->cmap->subtables[0], 3, 1);
  if (bmp.empty()) GTEST_SKIP() << "fontTools is absent";
  EXPECT_EQ(bmp, "format 4 language 0\n41:1 e9:2 3b1:3 20ac:4 e001:6\n");
  EXPECT_EQ(decode(h.g->cmap->subtables[1], 3, 10),
            "format 12 language 0\n41:1 e9:2 3b1:3 20ac:4 e001:6 1f600:5\n");
}

TEST(CmapEncodings, TwoGlyphsWithOneCodeAreFatal) {
  Harness h({"A", "B"});
  h.g->glyphs[1].code = 0x41;
  h.g->glyphs[2].code = 0x41;
  fea::mapSetup(h.g);
  try {
    fea::mapCheck(h.g);
    FAIL() << "no fatal";
  } catch (const Fatal& f) {
    EXPECT_EQ(f.text, "<Font> cmap{plat=3,script=1,lang=0}: multiple glyphs A B mapped to code <41>");
  }
}

}  // namespace
