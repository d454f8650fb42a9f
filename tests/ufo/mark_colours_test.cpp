// UFO -> native -> UFO of glyph mark colours: the native file holds one of 254 hues, so a
// colour comes back as it was (one written from a native file), at another saturation,
// lightness or alpha, or not at all (greys, white, black); the conversion names the
// glyphs of each kind on one line. (Mentioning TARNWICK_EXE here makes the suite wait for
// the program, which ufotest::tarnwick runs.)
#include <gtest/gtest.h>

#include "ufo/reader_warnings.h"

#include "ufo_fixtures.h"

namespace {

using namespace ufotest;

std::string markArray(const std::vector<const char*>& channels) {
  std::string array = "<array>";
  for (const char* channel : channels) array += std::string("<real>") + channel + "</real>";
  return array + "</array>";
}

TEST(MarkColours, ChangedAndLostColoursAreNamedAndComeBackAsSaid) {
  const struct {
    const char* glyph;
    std::string entry;      // the glyph lib entry
    std::string back;       // the mark array written back; empty: none
  } glyphs[] = {
      {"a1", "<key>public.markColor</key><string>0.784,0.784,0.784,1</string>", ""},
      {"a2", "<key>public.markColor</key><string>1,1,1,1</string>", ""},
      {"a3", "<key>com.typemytype.robofont.mark</key>" + markArray({"0", "0", "0", "1"}), ""},
      {"b1", "<key>public.markColor</key><string>1,0,0,0.5</string>", markArray({"1", "0.6", "0.6", "1"})},
      {"b2", "<key>public.markColor</key><string>1,0,1,1</string>", markArray({"1", "0.6", "0.997", "1"})},
      {"b3", "<key>public.markColor</key><string>0.5,0.09,0.79,1</string>", markArray({"0.833", "0.6", "1", "1"})},
      {"b4", "<key>public.markColor</key><string>0,0,1</string>", markArray({"0.6", "0.603", "1", "1"})},
      {"b5", "<key>com.typemytype.robofont.mark</key>" + markArray({"1", "0.6", "0.6", "0.25"}),
       markArray({"1", "0.6", "0.6", "1"})},
      {"b6", "<key>com.typemytype.robofont.mark</key>" + markArray({"0.2", "0.8", "0.2", "1"}),
       markArray({"0.6", "1", "0.603", "1"})},
      // As a native file writes them: kept, on no line.
      {"c1", "<key>com.typemytype.robofont.mark</key>" + markArray({"1", "0.6", "0.997", "1"}),
       markArray({"1", "0.6", "0.997", "1"})},
      {"c2", "<key>com.typemytype.robofont.mark</key>" + markArray({"1", "0.6", "0.6", "1"}),
       markArray({"1", "0.6", "0.6", "1"})},
      {"d1", "", ""},
  };
  TempFolder folder;
  std::vector<GlyphFile> files;
  for (const auto& g : glyphs) {
    files.push_back({g.glyph, glif(g.glyph, g.entry.empty() ? "" : "<lib><dict>" + g.entry + "</dict></lib>")});
  }
  writeUfo(folder.path() / "in.ufo", "<key>familyName</key><string>F</string>", files);
  const auto [there, back] = convertBothWays(folder);
  ASSERT_EQ(there.code, 0) << there.out;
  ASSERT_EQ(back.code, 0) << back.out;
  std::string lines;
  for (const std::string& line : {std::string(ufo::warning::kMarkColoursLostLine) + ": a1, a2, a3",
                                  std::string(ufo::warning::kMarkColoursChangedLine) + ": b1, b2, b3, b4, b5 and 1 more"}) {
    lines += "Warning: " + line + "\n";
  }
  std::string marks;
  std::istringstream in(warningLines(there.out));
  for (std::string line; std::getline(in, line);) {
    if (line.find("mark colours") != std::string::npos) marks += line + "\n";
  }
  EXPECT_EQ(marks, lines) << there.out;
  for (const auto& g : glyphs) {
    const std::string text = readFile(folder.path() / "back.ufo" / "glyphs" / (std::string(g.glyph) + ".glif"));
    EXPECT_EQ(valueOf(text, "com.typemytype.robofont.mark"), g.back) << g.glyph << "\n" << text;
  }
}

}  // namespace
