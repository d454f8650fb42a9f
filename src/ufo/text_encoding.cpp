#include "ufo/text_encoding.h"

#include <charconv>
#include <vector>

namespace ufo {
namespace {

constexpr char32_t kBlank = U' ';

bool isAllowedControl(std::uint32_t c) { return c == '\t' || c == '\n' || c == '\r'; }

void appendHex(std::string& out, std::uint32_t value) {
  char digits[16];
  auto result = std::to_chars(digits, digits + sizeof digits, value, 16);
  out.append(digits, result.ptr);
}

}  // namespace

// Each byte is a Windows-1252 character; the result is pure ASCII. Works on code
// points directly: every code point of table 0 is convertible, so the UTF-8
// round of the original form would change nothing.
std::string escapeXmlText(const std::string& text) {
  const unicode::u32* windows1252 = unicode::codePageTable(0);
  std::string out;
  out.reserve(text.size());
  for (const char byte : text) {
    const std::int32_t mapped =
        unicode::codePageToUnicode(windows1252, static_cast<unsigned char>(byte));
    std::uint32_t c = mapped < 0 ? kBlank : static_cast<std::uint32_t>(mapped);
    if (c < 0x20 && !isAllowedControl(c)) c = kBlank;
    switch (c) {
      case '"': out += "&quot;"; break;
      case '&': out += "&amp;"; break;
      case '\'': out += "&#39;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default:
        if (c < 0x80) {
          out += static_cast<char>(c);
        } else {
          out += "&#x";
          appendHex(out, c);
          out += ';';
        }
        break;
    }
  }
  return out;
}

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

void openingTagText(const char* name, const char** attributes, std::ostream& out) {
  std::string text = "<";
  text += name;
  if (attributes != nullptr) {
    for (int i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2) {
      text += ' ';
      text += attributes[i];
      text += "=\"";
      xml::appendEscapedMarkup(text, attributes[i + 1]);
      text += '"';
    }
  }
  text += '>';
  out << text;
}

void closingTagText(const char* name, std::ostream& out) { out << "</" << name << '>'; }

}  // namespace ufo
