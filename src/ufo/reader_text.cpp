#include "ufo/reader_text.h"

#include <charconv>
#include <cmath>
#include <map>

#include "model/numbers.h"
#include "text/unicode.h"
#include "ufo/reader_warnings.h"

namespace ufo {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trimmed(std::string_view text) {
  if (!text.empty() && !isBlank(text.front()) && !isBlank(text.back())) return text;  // the usual case
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
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
  // Most numbers of a font are whole: read as an integer, converted with the same
  // rounding a decimal read gives ("-0" stays -0.0).
  std::int64_t whole = 0;
  const char* end = text.data() + text.size();
  if (const auto [stop, error] = std::from_chars(text.data(), end, whole);
      error == std::errc() && stop == end) {
    return whole == 0 && text.front() == '-' ? -0.0 : static_cast<double>(whole);
  }
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

namespace {
bool isAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}
}  // namespace

std::string_view modelTextView(std::string_view utf8, std::string& storage, ReadWarnings* warnings) {
  if (isAscii(utf8)) return utf8;
  if (utf8ToWindows1252(utf8, storage)) return storage;
  if (warnings) {
    warnings->report(warning::kTextEncoding,
                     "texts with characters outside Windows-1252 are kept as UTF-8 bytes "
                     "(first: \"" + std::string(utf8) + "\")");
  }
  return utf8;
}

std::string modelText(std::string_view utf8, ReadWarnings* warnings) {
  std::string storage;
  const std::string_view text = modelTextView(utf8, storage, warnings);
  if (text.data() == storage.data()) return storage;
  return std::string(text);
}

}  // namespace ufo
