#include "ufo/fontinfo_held.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
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
// Cut toward zero, then its low 16 bits as a signed number.
std::int16_t cut16(double value) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(cut(value))); }

// Named integers the native file holds in an unsigned 16-bit field, those of them it
// leaves out when negative, and the one it leaves out when 0.
constexpr std::string_view kUnsigned16[] = {"revision_major", "revision_minor", "year",
                                            "postscriptWindowsCharacterSet"};
constexpr std::string_view kNotNegative[] = {"year", "postscriptWindowsCharacterSet"};
constexpr std::string_view kNotZero = "postscriptUniqueID";

bool isOneOf(std::string_view key, std::span<const std::string_view> keys) {
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

// The digits of a PANOSE text, each in its low byte; the text as it stands when it is
// not a list of numbers.
std::string lowBytes(const std::string& panose) {
  std::string held;
  for (size_t start = 0; start <= panose.size();) {
    const size_t end = std::min(panose.find(' ', start), panose.size());
    const std::optional<std::uint32_t> digit = vn::parseUint32(std::string_view(panose).substr(start, end - start));
    if (!digit) return panose;
    held += (held.empty() ? "" : " ") + vn::formatInteger(*digit & 0xFF);
    start = end + 1;
  }
  return held;
}

}  // namespace

vn::FontMetrics heldMetrics(const vn::FontMetrics& given) {
  vn::FontMetrics held = given;
  for (double vn::FontMetrics::*field :
       {&vn::FontMetrics::unitsPerEm, &vn::FontMetrics::ascender, &vn::FontMetrics::descender,
        &vn::FontMetrics::winAscent, &vn::FontMetrics::winDescent, &vn::FontMetrics::capHeight,
        &vn::FontMetrics::xHeight}) {
    held.*field = cut(given.*field);
  }
  // The underline is held in 16 bits, as its top edge less half the whole thickness.
  held.underlineThickness = cut16(given.underlineThickness);
  const int half = cut16(given.underlineThickness) / 2;
  held.underlinePosition = cut16(given.underlinePosition - half) + half;
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

std::optional<std::int32_t> heldInteger(std::string_view modelKey, std::int32_t given) {
  if (modelKey == kNotZero && given == 0) return std::nullopt;
  if (isOneOf(modelKey, kNotNegative) && given < 0) return std::nullopt;
  if (isOneOf(modelKey, kUnsigned16)) return static_cast<std::uint16_t>(given);
  return given;
}

vn::FontNames heldNames(const vn::FontNames& given) {
  vn::FontNames held = given;
  std::erase_if(held.namedStrings, [](const auto& entry) { return entry.second.empty(); });
  if (auto vendor = held.namedStrings.find("vendor_code");
      vendor != held.namedStrings.end() && vendor->second.size() > kMaxHeldVendorId) {
    held.namedStrings.erase(vendor);
  }
  if (auto panose = held.namedStrings.find("panose"); panose != held.namedStrings.end()) {
    panose->second = lowBytes(panose->second);
  }
  // Without a family name the native file gives the linking family, else the font name
  // up to its first hyphen.
  if (held.familyName.empty()) {
    held.familyName = !held.styleMapFamilyName.empty() ? held.styleMapFamilyName
                      : !held.fontName.empty()         ? held.fontName.substr(0, held.fontName.find('-'))
                                                       : "Untitled";
  }
  return held;
}

}  // namespace ufo
