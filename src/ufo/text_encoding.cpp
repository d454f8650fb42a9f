#include "ufo/text_encoding.h"

#include <charconv>

namespace ufo {

std::string escapeXmlText(const std::string& text) { return unicode::escapeModelText(text); }

std::string formatUnicodeHex(const std::uint32_t& value) {
  char digits[16];
  auto result = std::to_chars(digits, digits + sizeof digits, value, 16);
  std::string hex(digits, result.ptr);
  for (char& c : hex) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  if (hex.size() < 4) hex.insert(0, 4 - hex.size(), '0');
  return hex;
}

}  // namespace ufo
