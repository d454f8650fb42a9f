// Number helpers shared by every part of the program: saturating conversions,
// rounding, strict and lenient text->number parsing, locale-free number->text
// formatting, the XML/plist number forms, case-insensitive comparison and the
// flag-group packing of the font-information records.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vn {

// ---- double -> integer (truncating toward zero; NaN and infinities give 0; clamped to range)
int64_t saturateInt64(double value);
int32_t saturateInt32(double value);
int16_t saturateInt16(double value);
uint16_t saturateUint16(double value);
uint32_t saturateUint32(double value);
uint8_t saturateUint8(double value);

// Half away from zero: floor(x + 0.5) for x > 0, otherwise ceil(x - 0.5).
double round(double value);
// round() then saturateInt32 / saturateInt16.
int32_t roundToInt32(double value);
int16_t roundToInt16(double value);

// Clamp an int64 into a narrower range.
int32_t clampToInt32(int64_t value);
int16_t clampToInt16(int64_t value);
uint16_t clampToUint16(int64_t value);

// Replaces a non-finite double by 0.
double finiteOrZero(double value);

// ---- strict text -> number: the whole text must be a number (no blanks, no '+');
// out-of-range values and non-finite doubles give nullopt.
std::optional<int64_t> parseInt64(std::string_view text);
std::optional<int32_t> parseInt32(std::string_view text);
std::optional<uint32_t> parseUint32(std::string_view text);
std::optional<double> parseDouble(std::string_view text);

// ---- lenient text -> number, as the C atoi/atof read (leading blanks, optional sign,
// the longest numeric prefix, 0 when there is none), but locale-free, clamped to the
// int32 range, and with non-finite results (inf, nan, overflow) read as 0.
int32_t leadingInt32(std::string_view text);
double leadingDouble(std::string_view text);

// ---- number -> text, locale-free
std::string formatInteger(int64_t value);
std::string formatUnsigned(uint64_t value);
// Shortest text that reads back to the same double; non-finite values give "0".
std::string formatShortest(double value);
// Fixed notation with the given digits after the point ("%.*f"); non-finite values give "0".
std::string formatFixed(double value, int precision);

// Removes trailing '0' characters of a printed number (not when it holds 'e' or 'E');
// the decimal point itself stays.
std::string cutTrailingZeros(std::string text);

// True when the fractional part of the value is exactly 0 (false for NaN and infinities).
bool isIntegral(double value);

// Integral values as a clamped int32 in decimal; others "%.*f" (precision 0 meaning 6)
// with trailing zeros cut. Non-finite values print as 0 (also in the two forms below).
std::string formatNumber(double value, int precision);
// ` name="value[suffix]"` with the value as formatNumber(value, 0) would print it.
std::string xmlNumberAttribute(const char* name, double value, const char* suffix);
// `<integer>n</integer>` for integral values, else `<real>text</real>`.
std::string plistNumber(double value);

// ---- text helpers
bool equalsNoCase(const std::string& a, const std::string& b);
// Compares at most n characters (n < 0: the whole texts); the two lengths must be equal.
bool equalsNoCase(const char* a, const char* b, int n);
// When text begins with word, rest receives the remainder trimmed of bytes 1..32 and
// bytes of 128 and above at both ends.
bool stripPrefix(const std::string& text, const char* word, std::string& rest);
// Byte-wise comparison of two names as unsigned characters: -1, 0 or 1.
int compareNames(const char* a, const char* b);
template <class Record>
int compareByName(const Record& a, const Record& b) {
  return compareNames(a.name, b.name);
}

// ---- flag groups
// The 13 'head' table flags; bit 6 of the mask is never set.
struct FontFlags {
  std::array<bool, 13> flags{};
  int32_t toMask() const;
  void fromMask(int32_t mask);
};

struct FontFlags4 {
  std::array<bool, 4> flags{};
  int32_t toMask() const;
  void fromMask(int32_t mask);
};

struct FontFlags10 {
  std::array<bool, 10> flags{};
  int32_t toMask() const;
  void fromMask(int32_t mask);
};

}  // namespace vn
