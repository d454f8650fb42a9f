#include "ufo/reader_text.h"

#include <charconv>
#include <cmath>
#include <map>

#include "model/numbers.h"
#include "ufo/reader_warnings.h"
#include "xml/unicode.h"

namespace ufo {
namespace {

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// Code point -> Windows-1252 byte, built once from the code-page table.
const std::map<std::uint32_t, char>& windows1252Bytes() {
  static const std::map<std::uint32_t, char> bytes = [] {
    std::map<std::uint32_t, char> map;
    const unicode::u32* table = unicode::codePageTable(0);
    for (int byte = 0; byte < 256; ++byte) {
      const std::int32_t codePoint = unicode::codePageToUnicode(table, static_cast<unicode::u16>(byte));
      if (codePoint >= 0) map.emplace(static_cast<std::uint32_t>(codePoint), static_cast<char>(byte));
    }
    return map;
  }();
  return bytes;
}

}  // namespace

std::optional<double> readReal(std::string_view text) {
  text = trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  return vn::parseDouble(text);
}

std::optional<std::int32_t> readInteger(std::string_view text) {
  text = trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (auto value = vn::parseInt32(text)) return value;
  const auto real = vn::parseDouble(text);
  if (!real) return std::nullopt;
  const double whole = std::trunc(*real);
  if (whole < -2147483648.0 || whole > 2147483647.0) return std::nullopt;
  return static_cast<std::int32_t>(whole);
}

std::optional<std::uint32_t> readHex(std::string_view text, std::uint32_t limit) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return std::nullopt;
  text = trimmed(text.substr(first));
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (error != std::errc() || end != text.data() + text.size() || value > limit) return std::nullopt;
  return value;
}

bool utf8ToWindows1252(std::string_view utf8, std::string& out) {
  std::string converted;
  converted.reserve(utf8.size());
  const auto& bytes = windows1252Bytes();
  const auto* source = reinterpret_cast<const unicode::u8*>(utf8.data());
  const auto* end = source + utf8.size();
  while (source < end) {
    if (*source < 0x80) {
      converted += static_cast<char>(*source++);
      continue;
    }
    unicode::u32 codePoint = 0;
    unicode::u32* target = &codePoint;
    const unicode::u8* start = source;
    // One character at a time: the target has room for exactly one.
    const int result = unicode::utf8ToUtf32(&source, end, &target, target + 1, unicode::kStrict);
    if (source == start || (result != unicode::kConversionOk && result != unicode::kTargetExhausted)) {
      return false;
    }
    const auto found = bytes.find(codePoint);
    if (found == bytes.end()) return false;
    converted += found->second;
  }
  out = std::move(converted);
  return true;
}

std::string modelText(const std::string& utf8, ReadWarnings* warnings) {
  bool ascii = true;
  for (const char c : utf8) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) return utf8;
  std::string out;
  if (utf8ToWindows1252(utf8, out)) return out;
  if (warnings) {
    warnings->report(warning::kTextEncoding,
                     "texts with characters outside Windows-1252 are kept as UTF-8 bytes "
                     "(first: \"" + utf8 + "\")");
  }
  return utf8;
}

}  // namespace ufo
