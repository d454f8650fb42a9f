#include "model/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "text/xml_text.h"

namespace vn {

namespace {

template <class Int>
Int saturate(double value) {
  if (!std::isfinite(value)) return 0;
  const double truncated = std::trunc(value);
  // The bounds are compared as doubles; the max of 64-bit types rounds up to 2^63, so
  // use >= against it.
  constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
  constexpr double hi = static_cast<double>(std::numeric_limits<Int>::max());
  if (truncated <= lo) return std::numeric_limits<Int>::min();
  if (truncated >= hi) return std::numeric_limits<Int>::max();
  return static_cast<Int>(truncated);
}

template <class Int>
Int clampInt(int64_t value) {
  if (value < static_cast<int64_t>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
  if (value > static_cast<int64_t>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
  return static_cast<Int>(value);
}

inline char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool isBlankByte(unsigned char c) { return (c >= 1 && c <= 32) || c >= 128; }

}  // namespace

int64_t saturateInt64(double value) { return saturate<int64_t>(value); }
int32_t saturateInt32(double value) { return saturate<int32_t>(value); }
int16_t saturateInt16(double value) { return saturate<int16_t>(value); }
uint16_t saturateUint16(double value) { return saturate<uint16_t>(value); }
uint32_t saturateUint32(double value) { return saturate<uint32_t>(value); }
uint8_t saturateUint8(double value) { return saturate<uint8_t>(value); }

double round(double value) {
  return value > 0 ? std::floor(value + 0.5) : std::ceil(value - 0.5);
}

int32_t roundToInt32(double value) { return saturateInt32(round(value)); }
int16_t roundToInt16(double value) { return saturateInt16(round(value)); }

int32_t clampToInt32(int64_t value) { return clampInt<int32_t>(value); }
int16_t clampToInt16(int64_t value) { return clampInt<int16_t>(value); }
uint16_t clampToUint16(int64_t value) { return clampInt<uint16_t>(value); }

double finiteOrZero(double value) { return std::isfinite(value) ? value : 0.0; }

namespace {
// The whole text must be one number of the type; nothing else is accepted.
template <class Number, class... Format>
std::optional<Number> parseWhole(std::string_view text, Format... format) {
  if (text.empty()) return std::nullopt;
  Number value{};
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value, format...);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}
}  // namespace

std::optional<int64_t> parseInt64(std::string_view text) { return parseWhole<int64_t>(text); }
std::optional<int32_t> parseInt32(std::string_view text) { return parseWhole<int32_t>(text); }
std::optional<uint32_t> parseUint32(std::string_view text) { return parseWhole<uint32_t>(text); }

std::optional<double> parseDouble(std::string_view text) {
  const auto value = parseWhole<double>(text, std::chars_format::general);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

namespace {
// Skips the leading white space and one sign, as atoi and atof do; returns the
// position of what follows.
size_t skipBlanksAndSign(std::string_view text, bool& negative) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  return i;
}
}  // namespace

int32_t leadingInt32(std::string_view text) {
  bool negative = false;
  size_t i = skipBlanksAndSign(text, negative);
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (magnitude <= (int64_t{1} << 40)) magnitude = magnitude * 10 + (text[i] - '0');
  }
  return clampToInt32(negative ? -magnitude : magnitude);
}

double leadingDouble(std::string_view text) {
  bool negative = false;
  const size_t i = skipBlanksAndSign(text, negative);
  // Only decimal digits, a point and an exponent take part: "inf", "nan" and hex forms
  // give 0 here.
  const std::string_view rest = text.substr(i);
  if (rest.empty() || !((rest[0] >= '0' && rest[0] <= '9') || rest[0] == '.')) return 0.0;
  double value = 0;
  auto [ptr, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value,
                                   std::chars_format::general);
  if (ec != std::errc() || ptr == rest.data()) return 0.0;
  if (!std::isfinite(value)) return 0.0;
  return negative ? -value : value;
}

std::string formatInteger(int64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string formatUnsigned(uint64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string formatShortest(double value) {
  if (!std::isfinite(value)) return "0";
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string formatFixed(double value, int precision) {
  if (!std::isfinite(value)) return "0";
  if (precision < 0) precision = 6;
  if (precision > 60) precision = 60;
  // 309 integral digits at most, a sign, a point and the fraction.
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
  if (result.ec != std::errc()) return "0";
  return std::string(buffer, result.ptr);
}

std::string cutTrailingZeros(std::string text) {
  if (text.find_first_of("eE") != std::string::npos) return text;
  while (!text.empty() && text.back() == '0') text.pop_back();
  return text;
}

bool isIntegral(double value) {
  if (!std::isfinite(value)) return false;
  double integral = 0;
  return std::modf(value, &integral) == 0.0;
}

std::string formatNumber(double value, int precision) {
  value = finiteOrZero(value);
  if (isIntegral(value)) return formatInteger(saturateInt32(value));
  return cutTrailingZeros(formatFixed(value, precision != 0 ? precision : 6));
}

std::string xmlNumberAttribute(const char* name, double value, const char* suffix) {
  std::string out;
  xml::appendAttribute(out, name ? name : "", formatNumber(value, 0) + (suffix ? suffix : ""));
  return out;
}

std::string plistNumber(double value) {
  value = finiteOrZero(value);
  if (isIntegral(value)) return "<integer>" + formatInteger(saturateInt32(value)) + "</integer>";
  return "<real>" + cutTrailingZeros(formatFixed(value, 6)) + "</real>";
}

bool equalsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

bool equalsNoCase(const char* a, const char* b, int n) {
  if (!a || !b) return false;
  size_t lengthA = std::strlen(a);
  size_t lengthB = std::strlen(b);
  if (n >= 0) {
    lengthA = std::min(lengthA, static_cast<size_t>(n));
    lengthB = std::min(lengthB, static_cast<size_t>(n));
  }
  if (lengthA != lengthB) return false;
  for (size_t i = 0; i < lengthA; ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

bool stripPrefix(const std::string& text, const char* word, std::string& rest) {
  if (!word) return false;
  const size_t wordLength = std::strlen(word);
  if (text.compare(0, wordLength, word) != 0 || text.size() < wordLength) return false;
  size_t begin = wordLength;
  size_t end = text.size();
  while (begin < end && isBlankByte(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && isBlankByte(static_cast<unsigned char>(text[end - 1]))) --end;
  rest = text.substr(begin, end - begin);
  return true;
}

int compareNames(const char* a, const char* b) {
  const int result = std::strcmp(a ? a : "", b ? b : "");
  return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

namespace {
// Bit of each of the 13 'head' flags, in stored order.
constexpr int kHeadFlagBits[13] = {0, 1, 2, 3, 4, 11, 12, 13, 5, 7, 8, 9, 10};
// Bit of each of the four flags of the 4-boolean group.
constexpr int kFlags4Bits[4] = {1, 0, 2, 3};
constexpr int kFlags10Bits[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

// Flag i of the group goes to bit bits[i] of the mask.
template <size_t N>
int32_t packFlags(const std::array<bool, N>& flags, const int (&bits)[N]) {
  int32_t mask = 0;
  for (size_t i = 0; i < N; ++i) {
    if (flags[i]) mask |= int32_t{1} << bits[i];
  }
  return mask;
}

template <size_t N>
void unpackFlags(std::array<bool, N>& flags, int32_t mask, const int (&bits)[N]) {
  for (size_t i = 0; i < N; ++i) flags[i] = (mask >> bits[i]) & 1;
}
}  // namespace

int32_t FontFlags::toMask() const { return packFlags(flags, kHeadFlagBits); }
void FontFlags::fromMask(int32_t mask) { unpackFlags(flags, mask, kHeadFlagBits); }

int32_t FontFlags4::toMask() const { return packFlags(flags, kFlags4Bits); }
// The group is carried in 16 bits.
void FontFlags4::fromMask(int32_t mask) { unpackFlags(flags, mask & 0xFFFF, kFlags4Bits); }

int32_t FontFlags10::toMask() const { return packFlags(flags, kFlags10Bits); }
void FontFlags10::fromMask(int32_t mask) { unpackFlags(flags, mask, kFlags10Bits); }

}  // namespace vn
