#include "hinting/xml_escape.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace vn {

namespace {

// Windows-1252 bytes 0x80..0x9F; the five undefined ones keep their C1 code points.
constexpr std::array<uint16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendReference(std::string& out, uint32_t codePoint) {
  char digits[8];
  auto result = std::to_chars(digits, digits + sizeof digits, codePoint, 16);
  out += "&#x";
  out.append(digits, result.ptr);
  out += ';';
}

}  // namespace

std::string escapeHintXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&': out += "&amp;"; continue;
      case '<': out += "&lt;"; continue;
      case '>': out += "&gt;"; continue;
      case '"': out += "&quot;"; continue;
      case '\'': out += "&#39;"; continue;
      case '\t': case '\n': case '\r': appendReference(out, byte); continue;
      default: break;
    }
    if (byte < 0x20) {
      out += ' ';
    } else if (byte >= 0x80 && byte < 0xA0) {
      appendReference(out, kCp1252High[byte - 0x80]);
    } else if (byte >= 0xA0) {
      appendReference(out, byte);
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace vn
