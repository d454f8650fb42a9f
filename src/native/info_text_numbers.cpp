#include "native/info_text_numbers.h"

#include <cctype>
#include <charconv>
#include <limits>
#include <utility>

namespace qtf {

namespace {

bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

bool isDigitOf(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0' < base;
  if (base != 16) return false;
  return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Leading blanks and a sign; `at` moves past them.
bool skipBlanksAndSign(std::string_view text, size_t& at) {
  while (at < text.size() && isBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  return negative;
}

}  // namespace

std::optional<int32_t> scanCInteger(std::string_view text, size_t& pos) {
  size_t at = pos;
  const bool negative = skipBlanksAndSign(text, at);
  int base = 10;
  if (at < text.size() && text[at] == '0') {
    if (at + 2 < text.size() && (text[at + 1] == 'x' || text[at + 1] == 'X') && isDigitOf(text[at + 2], 16)) {
      base = 16;
      at += 2;
    } else {
      base = 8;
    }
  }
  if (at >= text.size() || !isDigitOf(text[at], base)) return std::nullopt;
  uint64_t magnitude = 0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), magnitude, base);
  pos = static_cast<size_t>(end - text.data());
  constexpr uint64_t kLimit = uint64_t{1} << 31;
  if (error == std::errc::result_out_of_range || magnitude >= kLimit) {
    return negative ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
  }
  const auto value = static_cast<int64_t>(magnitude);
  return static_cast<int32_t>(negative ? -value : value);
}

std::optional<std::pair<int32_t, int32_t>> parseVersion(std::string_view text) {
  size_t pos = 0;
  const auto major = scanCInteger(text, pos);
  if (!major) return std::nullopt;
  if (text.find('.') == std::string_view::npos) return std::make_pair(*major, 0);
  if (pos >= text.size() || text[pos] != '.') return std::nullopt;
  ++pos;
  const auto minor = scanCInteger(text, pos);
  if (!minor) return std::nullopt;
  return std::make_pair(*major, *minor);
}

std::optional<uint16_t> scanUnsigned16(std::string_view text) {
  size_t at = 0;
  const bool negative = skipBlanksAndSign(text, at);
  if (at >= text.size() || !isDigitOf(text[at], 10)) return std::nullopt;
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value, 10);
  (void)end;
  if (error == std::errc::result_out_of_range) value = std::numeric_limits<uint64_t>::max();
  if (negative) value = ~value + 1;
  return static_cast<uint16_t>(value & 0xFFFF);
}

}  // namespace qtf
