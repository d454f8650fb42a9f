#include "ufo/text_encoding.h"

#include <algorithm>
#include <charconv>
#include <unordered_set>
#include <vector>

namespace ufo {
namespace {

constexpr char32_t kBlank = U' ';

// Code points above ASCII that table 0 gives a byte for.
const std::unordered_set<std::uint32_t>& windows1252CodePoints() {
  static const std::unordered_set<std::uint32_t> points = [] {
    std::unordered_set<std::uint32_t> out;
    const unicode::u32* table = unicode::codePageTable(0);
    for (unicode::u16 byte = 0x80; byte <= 0xFF; ++byte) {
      const std::int32_t point = unicode::codePageToUnicode(table, byte);
      if (point >= 0) out.insert(static_cast<std::uint32_t>(point));
    }
    return out;
  }();
  return points;
}

// True for valid UTF-8 holding a character without a Windows-1252 byte.
bool isKeptUtf8(const std::string& text) {
  std::vector<unicode::u32> points(text.size());
  const auto* source = reinterpret_cast<const unicode::u8*>(text.data());
  unicode::u32* target = points.data();
  if (unicode::utf8ToUtf32(&source, source + text.size(), &target, target + points.size(),
                           unicode::kStrict) != unicode::kConversionOk) {
    return false;
  }
  const auto& windows1252 = windows1252CodePoints();
  return std::any_of(points.data(), target,
                     [&](unicode::u32 point) { return point >= 0x80 && !windows1252.count(point); });
}

}  // namespace

std::string modelTextToUtf8(const std::string& text) {
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii || isKeptUtf8(text)) return text;
  const unicode::u32* windows1252 = unicode::codePageTable(0);
  std::vector<unicode::u32> points;
  points.reserve(text.size());
  for (const char byte : text) {
    const std::int32_t point = unicode::codePageToUnicode(windows1252, static_cast<unsigned char>(byte));
    points.push_back(point < 0 ? kBlank : static_cast<unicode::u32>(point));
  }
  std::string out(points.size() * 4, '\0');
  const unicode::u32* source = points.data();
  auto* target = reinterpret_cast<unicode::u8*>(out.data());
  unicode::utf32ToUtf8(&source, source + points.size(), &target, target + out.size(), unicode::kStrict);
  out.resize(static_cast<std::size_t>(reinterpret_cast<char*>(target) - out.data()));
  return out;
}

std::string escapeXmlText(const std::string& text) { return xml::escapeMarkup(modelTextToUtf8(text)); }

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
