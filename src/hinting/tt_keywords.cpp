#include "hinting/tt_keywords.h"

#include <array>

namespace vn {

namespace {

struct KeywordEntry {
  int32_t code;
  const char* keyword;
  const char* prefix;
};

constexpr std::array<KeywordEntry, 14> kKeywordTable{{
    {ttCode::kAlignTop, "alignt", "at"},
    {ttCode::kAlignBottom, "alignb", "ab"},
    {ttCode::kSingleLinkH, "singleh", "sh"},
    {ttCode::kSingleLinkV, "singlev", "sv"},
    {ttCode::kDoubleLinkH, "doubleh", "dh"},
    {ttCode::kDoubleLinkV, "doublev", "dv"},
    {ttCode::kAlignH, "alignh", "ah"},
    {ttCode::kAlignV, "alignv", "av"},
    {ttCode::kInterpolateH, "interpolateh", "ih"},
    {ttCode::kInterpolateV, "interpolatev", "iv"},
    {ttCode::kMiddleDeltaH, "mdeltah", "mh"},
    {ttCode::kMiddleDeltaV, "mdeltav", "mv"},
    {ttCode::kFinalDeltaH, "fdeltah", "fh"},
    {ttCode::kFinalDeltaV, "fdeltav", "fv"},
}};

const std::string& emptyText() {
  static const std::string empty;
  return empty;
}

const std::string& lookup(const std::map<int32_t, std::string>& map, int32_t code) {
  auto it = map.find(code);
  return it == map.end() ? emptyText() : it->second;
}

}  // namespace

const std::map<int32_t, std::string>& ttKeywords() {
  static const std::map<int32_t, std::string> map = [] {
    std::map<int32_t, std::string> m;
    for (const auto& e : kKeywordTable) m.emplace(e.code, e.keyword);
    return m;
  }();
  return map;
}

const std::map<int32_t, std::string>& ttPrefixes() {
  static const std::map<int32_t, std::string> map = [] {
    std::map<int32_t, std::string> m;
    for (const auto& e : kKeywordTable) m.emplace(e.code, e.prefix);
    return m;
  }();
  return map;
}

const std::map<std::string, int32_t>& ttCodesByKeyword() {
  static const std::map<std::string, int32_t> map = [] {
    std::map<std::string, int32_t> m;
    for (const auto& [code, keyword] : ttKeywords()) m.emplace(keyword, code);
    return m;
  }();
  return map;
}

const std::string& ttKeyword(int32_t code) { return lookup(ttKeywords(), code); }
const std::string& ttPrefix(int32_t code) { return lookup(ttPrefixes(), code); }

int32_t ttCodeForKeyword(const std::string& keyword) {
  const auto& map = ttCodesByKeyword();
  auto it = map.find(keyword);
  return it == map.end() ? 0 : it->second;
}

std::string ttAlignText(int32_t align) {
  switch (align) {
    case 1: return "left";
    case 2: return "right";
    case 3: return "center";
    case 4: return "double";
    default: return align < 0 ? std::string() : std::string("round");
  }
}

int32_t ttAlignFromText(const std::string& text) {
  if (text == "round") return 0;
  if (text == "left") return 1;
  if (text == "right") return 2;
  if (text == "center") return 3;
  if (text == "double") return 4;
  return kTtNone;
}

}  // namespace vn
