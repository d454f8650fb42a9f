#include "ufo/writer_numbers.h"

#include <charconv>
#include <cmath>

#include "model/numbers.h"

namespace ufo {

namespace {

// Integral doubles below this print exactly in decimal.
constexpr double kExactIntegerLimit = 9007199254740992.0;  // 2^53

bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

}  // namespace

std::string glifNumber(double value) {
  if (!std::isfinite(value)) return "0";
  if (value == 0.0) return "0";  // also -0.0
  if (vn::isIntegral(value) && std::fabs(value) < kExactIntegerLimit) {
    return vn::formatInteger(static_cast<int64_t>(value));
  }
  char buffer[40];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

bool scanCInteger(std::string_view text, size_t& pos, int32_t& value) {
  size_t i = pos;
  while (i < text.size() && isCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == '0') {
    if (i + 2 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X') && digitValue(text[i + 2]) < 16) {
      base = 16;
      i += 2;
    } else {
      base = 8;
    }
  }
  int64_t magnitude = 0;
  size_t digits = 0;
  for (; i < text.size() && digitValue(text[i]) < base; ++i, ++digits) {
    if (magnitude <= (int64_t{1} << 40)) magnitude = magnitude * base + digitValue(text[i]);
  }
  if (digits == 0) return false;
  value = vn::clampToInt32(negative ? -magnitude : magnitude);
  pos = i;
  return true;
}

}  // namespace ufo
