#include "ufo/fontinfo_held.h"

#include <cstdint>
#include <string_view>

#include "model/numbers.h"

namespace ufo {

namespace {

// Named numbers the native file keeps rounded to whole units: the hhea values in 16 bits,
// the OS/2 script and strikeout values in 32.
constexpr std::string_view kHheaLineGap = "hhea_line_gap";
constexpr std::string_view kRounded16[] = {"hhea_ascender", "hhea_descender", kHheaLineGap};
constexpr std::string_view kRounded32[] = {
    "strikeout_position", "strikeout_size",       "subscript_x_offset",   "subscript_x_size",
    "subscript_y_offset", "subscript_y_size",     "superscript_x_offset", "superscript_x_size",
    "superscript_y_offset", "superscript_y_size",
};

double rounded16(double value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(vn::roundToInt32(value)));
}

double cut(double value) { return vn::saturateInt32(value); }

}  // namespace

vn::FontMetrics heldMetrics(const vn::FontMetrics& given) {
  vn::FontMetrics held = given;
  for (double vn::FontMetrics::*field :
       {&vn::FontMetrics::unitsPerEm, &vn::FontMetrics::ascender, &vn::FontMetrics::descender,
        &vn::FontMetrics::winAscent, &vn::FontMetrics::winDescent, &vn::FontMetrics::capHeight,
        &vn::FontMetrics::xHeight, &vn::FontMetrics::underlineThickness}) {
    held.*field = cut(given.*field);
  }
  // The underline is held as its top edge, less half the whole thickness.
  const int half = static_cast<std::int16_t>(vn::saturateInt32(given.underlineThickness)) / 2;
  held.underlinePosition = cut(given.underlinePosition - half) + half;
  for (auto& [key, value] : held.namedNumbers) {
    for (std::string_view name : kRounded16) {
      if (key == name) value = rounded16(value);
    }
    for (std::string_view name : kRounded32) {
      if (key == name) value = vn::roundToInt32(value);
    }
  }
  // Without a line gap of its own the hhea table takes the typo one; a typo line gap of 0
  // is read back as the hhea one.
  const std::string hheaKey(kHheaLineGap);
  double hheaGap = 0;
  if (!given.findNumber(hheaKey, &hheaGap)) hheaGap = given.typoLineGap;
  held.typoLineGap = cut(given.typoLineGap);
  if (held.typoLineGap == 0) held.typoLineGap = rounded16(hheaGap);
  return held;
}

}  // namespace ufo
