#include "text/model_text.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "text/unicode.h"

namespace unicode {
namespace {

constexpr char32_t kBlank = U' ';

// Code points above ASCII that table 0 gives a byte for.
const std::unordered_set<u32>& windows1252CodePoints() {
  static const std::unordered_set<u32> points = [] {
    std::unordered_set<u32> out;
    const u32* table = codePageTable(0);
    for (u16 byte = 0x80; byte <= 0xFF; ++byte) {
      const std::int32_t point = codePageToUnicode(table, byte);
      if (point >= 0) out.insert(static_cast<u32>(point));
    }
    return out;
  }();
  return points;
}

// True for valid UTF-8 holding a character without a Windows-1252 byte.
bool isKeptUtf8(std::string_view text) {
  std::vector<u32> points(text.size());
  const auto* source = reinterpret_cast<const u8*>(text.data());
  u32* target = points.data();
  if (utf8ToUtf32(&source, source + text.size(), &target, target + points.size(), kStrict) !=
      kConversionOk) {
    return false;
  }
  const auto& windows1252 = windows1252CodePoints();
  return std::any_of(points.data(), target,
                     [&](u32 point) { return point >= 0x80 && !windows1252.count(point); });
}

}  // namespace

std::string modelTextToUtf8(std::string_view text) {
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii || isKeptUtf8(text)) return std::string(text);
  const u32* windows1252 = codePageTable(0);
  std::vector<u32> points;
  points.reserve(text.size());
  for (const char byte : text) {
    const std::int32_t point = codePageToUnicode(windows1252, static_cast<unsigned char>(byte));
    points.push_back(point < 0 ? kBlank : static_cast<u32>(point));
  }
  std::string out(points.size() * 4, '\0');
  const u32* source = points.data();
  auto* target = reinterpret_cast<u8*>(out.data());
  utf32ToUtf8(&source, source + points.size(), &target, target + out.size(), kStrict);
  out.resize(static_cast<std::size_t>(reinterpret_cast<char*>(target) - out.data()));
  return out;
}

std::string escapeModelText(std::string_view text, xml::XmlPlace place) {
  return xml::escapeMarkup(modelTextToUtf8(text), place);
}

}  // namespace unicode
