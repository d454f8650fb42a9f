#include "native/info_text_numbers.h"

#include <cctype>
#include <limits>
#include <utility>

namespace qtf {

namespace {

bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

}  // namespace

std::optional<int32_t> scanCInteger(std::string_view text, size_t& pos) {
  size_t at = pos;
  while (at < text.size() && isBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  int base = 10;
  if (at < text.size() && text[at] == '0') {
    if (at + 2 < text.size() && (text[at + 1] == 'x' || text[at + 1] == 'X') && digitValue(text[at + 2]) < 16) {
      base = 16;
      at += 2;
    } else {
      base = 8;
    }
  }
  const size_t digitsStart = at;
  int64_t value = 0;
  constexpr int64_t kCap = int64_t{1} << 40;
  while (at < text.size() && digitValue(text[at]) < base) {
    if (value < kCap) value = value * base + digitValue(text[at]);
    ++at;
  }
  if (at == digitsStart) return std::nullopt;
  if (negative) value = -value;
  pos = at;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
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
  while (at < text.size() && isBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  const size_t digitsStart = at;
  uint64_t value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    value = (value * 10 + static_cast<uint64_t>(text[at] - '0')) & 0xFFFFFFFFull;
    ++at;
  }
  if (at == digitsStart) return std::nullopt;
  if (negative) value = (~value + 1);
  return static_cast<uint16_t>(value & 0xFFFF);
}

}  // namespace qtf
