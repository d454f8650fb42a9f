// The OS/2 character-range values from the glyphs' Unicode values: first and last character
// index and one Unicode-range bit per block that holds a value.
#include <algorithm>

#include "feacompiler/glyph_map.h"

namespace fea {

namespace {

struct UnicodeBlock {
  uint32_t first, last, size;
  uint16_t bit;
  const char* name;
};

constexpr UnicodeBlock block(uint32_t first, uint32_t last, uint16_t bit, const char* name) {
  return {first, last, last - first + 1, bit, name};
}

// One block per range bit 0-69, in bit order; the lookup scans them all.
constexpr UnicodeBlock kBlocks[kUnicodeBlockCount] = {
    block(0x0000, 0x007F, 0, "Basic Latin"),
    block(0x0080, 0x00FF, 1, "Latin-1 Supplement"),
    block(0x0100, 0x017F, 2, "Latin Extended-A"),
    block(0x0180, 0x024F, 3, "Latin Extended-B"),
    block(0x0250, 0x02AF, 4, "IPA Extensions"),
    block(0x02B0, 0x02FF, 5, "Spacing Modifier Letters"),
    block(0x0300, 0x036F, 6, "Combining Diacritical Marks"),
    block(0x0370, 0x03FF, 7, "Greek and Coptic"),
    block(0x2C80, 0x2CFF, 8, "Coptic"),
    block(0x0400, 0x04FF, 9, "Cyrillic"),
    block(0x0530, 0x058F, 10, "Armenian"),
    block(0x0590, 0x05FF, 11, "Hebrew"),
    block(0xA500, 0xA63F, 12, "Vai"),
    block(0x0600, 0x06FF, 13, "Arabic"),
    block(0x07C0, 0x07FF, 14, "NKo"),
    block(0x0900, 0x097F, 15, "Devanagari"),
    block(0x0980, 0x09FF, 16, "Bengali"),
    block(0x0A00, 0x0A7F, 17, "Gurmukhi"),
    block(0x0A80, 0x0AFF, 18, "Gujarati"),
    block(0x0B00, 0x0B7F, 19, "Oriya"),
    block(0x0B80, 0x0BFF, 20, "Tamil"),
    block(0x0C00, 0x0C7F, 21, "Telugu"),
    block(0x0C80, 0x0CFF, 22, "Kannada"),
    block(0x0D00, 0x0D7F, 23, "Malayalam"),
    block(0x0E00, 0x0E7F, 24, "Thai"),
    block(0x0E80, 0x0EFF, 25, "Lao"),
    block(0x10A0, 0x10FF, 26, "Georgian"),
    block(0x1B00, 0x1B7F, 27, "Balinese"),
    block(0x1100, 0x11FF, 28, "Hangul Jamo"),
    block(0x1E00, 0x1EFF, 29, "Latin Extended Additional"),
    block(0x1F00, 0x1FFF, 30, "Greek Extended"),
    block(0x2000, 0x206F, 31, "General Punctuation"),
    block(0x2070, 0x209F, 32, "Superscripts And Subscripts"),
    block(0x20A0, 0x20CF, 33, "Currency Symbols"),
    block(0x20D0, 0x20FF, 34, "Combining Diacritical Marks For Symbols"),
    block(0x2100, 0x214F, 35, "Letterlike Symbols"),
    block(0x2150, 0x218F, 36, "Number Forms"),
    block(0x2190, 0x21FF, 37, "Arrows"),
    block(0x2200, 0x22FF, 38, "Mathematical Operators"),
    block(0x2300, 0x23FF, 39, "Miscellaneous Technical"),
    block(0x2400, 0x243F, 40, "Control Pictures"),
    block(0x2440, 0x245F, 41, "Optical Character Recognition"),
    block(0x2460, 0x24FF, 42, "Enclosed Alphanumerics"),
    block(0x2500, 0x257F, 43, "Box Drawing"),
    block(0x2580, 0x259F, 44, "Block Elements"),
    block(0x25A0, 0x25FF, 45, "Geometric Shapes"),
    block(0x2600, 0x26FF, 46, "Miscellaneous Symbols"),
    block(0x2700, 0x27BF, 47, "Dingbats"),
    block(0x3000, 0x303F, 48, "CJK Symbols And Punctuation"),
    block(0x3040, 0x309F, 49, "Hiragana"),
    block(0x30A0, 0x30FF, 50, "Katakana"),
    block(0x3100, 0x312F, 51, "Bopomofo"),
    block(0x3130, 0x318F, 52, "Hangul Compatibility Jamo"),
    block(0xA840, 0xA87F, 53, "Phags-pa"),
    block(0x3200, 0x32FF, 54, "Enclosed CJK Letters And Months"),
    block(0x3300, 0x33FF, 55, "CJK Compatibility"),
    block(0xAC00, 0xD7AF, 56, "Hangul Syllables"),
    block(0xD800, 0xDFFF, 57, "Non-Plane 0"),
    block(0x10900, 0x1091F, 58, "Phoenician"),
    block(0x4E00, 0x9FFF, 59, "CJK Unified Ideographs"),
    block(0xE000, 0xF8FF, 60, "Private Use Area"),
    block(0x31C0, 0x31EF, 61, "CJK Strokes"),
    block(0xFB00, 0xFB4F, 62, "Alphabetic Presentation Forms"),
    block(0xFB50, 0xFDFF, 63, "Arabic Presentation Forms-A"),
    block(0xFE20, 0xFE2F, 64, "Combining Half Marks"),
    block(0xFE10, 0xFE1F, 65, "Vertical Forms"),
    block(0xFE50, 0xFE6F, 66, "Small Form Variants"),
    block(0xFE70, 0xFEFF, 67, "Arabic Presentation Forms-B"),
    block(0xFF00, 0xFFEF, 68, "Halfwidth And Fullwidth Forms"),
    block(0xFFF0, 0xFFFF, 69, "Specials"),
};

constexpr size_t kNonPlane0 = 57;

}  // namespace

void mapCountRange(MapContext& m, uint32_t value) {
  // Every value past the Basic Multilingual Plane also counts for the surrogate block.
  if (value >= 0x10000) ++m.blockCounts[kNonPlane0];
  for (size_t i = 0; i < kUnicodeBlockCount; ++i) {
    if (value >= kBlocks[i].first && value <= kBlocks[i].last) {
      ++m.blockCounts[i];
      return;
    }
  }
}

void mapCharRanges(MapContext& m) {
  CharRanges& r = m.ranges;
  r = CharRanges();
  if (m.bmpMin <= m.bmpMax) {
    r.firstChar = static_cast<uint16_t>(m.bmpMin);
    r.lastChar = static_cast<uint16_t>(m.bmpMax);
  }
  if (m.aboveBmp > 0) r.lastChar = 0xFFFF;
  for (size_t i = 0; i < kUnicodeBlockCount; ++i) {
    if (m.blockCounts[i] == 0) continue;
    const uint16_t bit = kBlocks[i].bit;
    r.unicodeRange[bit / 32] |= 1u << (bit % 32);
  }
}

}  // namespace fea
