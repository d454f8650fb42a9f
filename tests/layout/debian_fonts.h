// Debian's fonts that the layout tests put through the tool and the judges (fontTools,
// ots-sanitize, hb-shape), one test per font so that each gets its own time.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace layout_test {

inline constexpr const char* kDebianFonts[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf",
    "/usr/share/fonts/truetype/gentiumplus/GentiumPlus-Regular.ttf",
    "/usr/share/fonts/truetype/charis/CharisSIL-Regular.ttf",
    "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf",
    "/usr/share/fonts/truetype/noto/NotoSansDevanagari-Regular.ttf",
    "/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf",
    "/usr/share/fonts/opentype/linux-libertine/LinLibertine_R.otf",
    "/usr/share/fonts/truetype/scheherazade/Scheherazade-Regular.ttf",
    "/usr/share/fonts/opentype/junicode/JunicodeTwoBeta-Regular.otf",
    "/usr/share/fonts/truetype/annapurna/AnnapurnaSIL-Regular.ttf",
    "/usr/share/fonts/opentype/lateef/Lateef-Regular.ttf",
    "/usr/share/fonts/truetype/andika/Andika-Regular.ttf",
    "/usr/share/fonts/truetype/lohit-bengali/Lohit-Bengali.ttf",
    // Its GSUB has a Coverage whose ranges overlap (one glyph in two ranges).
    "/usr/share/fonts/opentype/inter/Inter-Regular.otf",
    "/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-Regular.ttf",
    "/usr/share/fonts/truetype/ezra/SILEOT.ttf",
    // A required feature ("thai") that its language system does not list.
    "/usr/share/fonts/opentype/freefont/FreeSerif.otf",
    // Class-based chained contexts that leave their backtrack and lookahead classes out.
    "/usr/share/fonts/truetype/noto/NotoSansLepcha-Regular.ttf",
    // A mark-to-base lookup with a mark class that no mark has.
    "/usr/share/fonts/truetype/noto/NotoSansGrantha-Regular.ttf",
};

// Empty when fontTools, ots-sanitize and hb-shape are there; otherwise what is missing.
inline std::string missingJudge() {
  for (const char* tool : {"/usr/bin/ots-sanitize", "/usr/bin/hb-shape", TARNWICK_PYTHON}) {
    if (!std::filesystem::exists(tool)) return tool;
  }
  if (std::system(TARNWICK_PYTHON " -c 'import fontTools' 2>/dev/null") != 0) return "fontTools";
  return {};
}

// The test name of a font: its file stem with only letters and digits.
inline std::string fontTestName(const ::testing::TestParamInfo<const char*>& info) {
  std::string name;
  for (char c : std::filesystem::path(info.param).stem().string()) {
    if (std::isalnum(static_cast<unsigned char>(c))) name += c;
  }
  return name;
}

}  // namespace layout_test
