#include "text/xml_text.h"

#include <charconv>

#include "text/unicode.h"

namespace xml {
namespace {

bool isAllowedControl(unsigned char c) { return c == '\t' || c == '\n' || c == '\r'; }

// A printable ASCII character that goes out as it is, in text and attributes alike.
bool isPlain(unsigned char c) {
  return c >= 0x20 && c < 0x80 && c != '"' && c != '&' && c != '\'' && c != '<' && c != '>';
}

// True when a reader would hand the character back changed at `place`.
bool needsReference(unsigned char c, XmlPlace place) {
  return c == '\r' || (place == XmlPlace::kAttribute && (c == '\t' || c == '\n'));
}

void appendCharacterReference(std::string& out, std::uint32_t codePoint) {
  char digits[16];
  auto result = std::to_chars(digits, digits + sizeof digits, codePoint, 16);
  out += "&#x";
  out.append(digits, result.ptr);
  out += ';';
}

// Length of the valid UTF-8 sequence at text[i], 0 when there is none.
int validSequenceLength(std::string_view text, std::size_t i) {
  const auto* bytes = reinterpret_cast<const unicode::u8*>(text.data()) + i;
  const std::size_t left = text.size() - i;
  for (int length = 2; length <= 4; ++length) {
    if (static_cast<std::size_t>(length) <= left && unicode::isLegalUtf8(bytes, length))
      return length;
  }
  return 0;
}

}  // namespace

void appendEscapedMarkup(std::string& out, std::string_view text, XmlPlace place) {
  out.reserve(out.size() + text.size());
  const unicode::u32* windows1252 = unicode::codePageTable(0);
  for (std::size_t i = 0; i < text.size();) {
    // Most text is plain: a run of it is appended at once.
    std::size_t plainEnd = i;
    while (plainEnd < text.size() && isPlain(static_cast<unsigned char>(text[plainEnd]))) ++plainEnd;
    if (plainEnd > i) {
      out.append(text.data() + i, plainEnd - i);
      i = plainEnd;
      continue;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      switch (c) {
        case '"': out += "&quot;"; break;
        case '&': out += "&amp;"; break;
        case '\'': out += "&#39;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default:
          if (needsReference(c, place)) {
            appendCharacterReference(out, c);
          } else {
            out += (c < 0x20 && !isAllowedControl(c)) ? ' ' : static_cast<char>(c);
          }
          break;
      }
      ++i;
      continue;
    }
    if (const int length = validSequenceLength(text, i)) {
      const auto* bytes = reinterpret_cast<const unicode::u8*>(text.data()) + i;
      unicode::u32 codePoint = 0;
      unicode::u32* target = &codePoint;
      unicode::utf8ToUtf32(&bytes, bytes + length, &target, target + 1, unicode::kStrict);
      // U+FFFE and U+FFFF are not XML characters.
      if (codePoint == 0xFFFE || codePoint == 0xFFFF) {
        out += ' ';
      } else {
        appendCharacterReference(out, codePoint);
      }
      i += static_cast<std::size_t>(length);
      continue;
    }
    const std::int32_t codePoint = unicode::codePageToUnicode(windows1252, c);
    if (codePoint < 0) {
      out += ' ';
    } else {
      appendCharacterReference(out, static_cast<std::uint32_t>(codePoint));
    }
    ++i;
  }
}

std::string escapeMarkup(std::string_view text, XmlPlace place) {
  std::string out;
  appendEscapedMarkup(out, text, place);
  return out;
}

void appendAttribute(std::string& out, std::string_view name, std::string_view value) {
  out += ' ';
  out += name;
  out += "=\"";
  appendEscapedMarkup(out, value, XmlPlace::kAttribute);
  out += '"';
}

void appendOpeningTag(std::string& out, const char* name, const char** attributes) {
  out += '<';
  out += name;
  for (int i = 0; attributes != nullptr && attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2) {
    appendAttribute(out, attributes[i], attributes[i + 1]);
  }
  out += '>';
}

void appendClosingTag(std::string& out, const char* name) {
  out += "</";
  out += name;
  out += '>';
}

void trimWhitespace(std::string& text) {
  static constexpr const char* kBlanks = " \t\n";
  const auto last = text.find_last_not_of(kBlanks);
  if (last == std::string::npos) {
    text.clear();
    return;
  }
  text.erase(last + 1);
  text.erase(0, text.find_first_not_of(kBlanks));
}

}  // namespace xml
