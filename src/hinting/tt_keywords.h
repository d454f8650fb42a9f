// The command codes of the visual TrueType hint program and their keywords: the long
// keyword of the "ttc" elements and the two-letter prefix of generated point names.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace vn {

namespace ttCode {
constexpr int32_t kAlignTop = 1;
constexpr int32_t kAlignBottom = 2;
constexpr int32_t kSingleLinkH = 3;
constexpr int32_t kSingleLinkV = 4;
constexpr int32_t kDoubleLinkH = 5;
constexpr int32_t kDoubleLinkV = 6;
constexpr int32_t kAlignH = 7;
constexpr int32_t kAlignV = 8;
constexpr int32_t kInterpolateH = 13;
constexpr int32_t kInterpolateV = 14;
constexpr int32_t kMiddleDeltaH = 20;
constexpr int32_t kMiddleDeltaV = 21;
constexpr int32_t kFinalDeltaH = 22;
constexpr int32_t kFinalDeltaV = 23;
}  // namespace ttCode

// Process-wide, built on first use and never changed afterwards.
const std::map<int32_t, std::string>& ttKeywords();        // code -> "alignt", ...
const std::map<int32_t, std::string>& ttPrefixes();        // code -> "at", ...
const std::map<std::string, int32_t>& ttCodesByKeyword();  // "alignt" -> code, ...

// Empty for a code that is not one of the fourteen.
const std::string& ttKeyword(int32_t code);
const std::string& ttPrefix(int32_t code);
// 0 for an unknown keyword.
int32_t ttCodeForKeyword(const std::string& keyword);

// Align codes: 0 round, 1 left, 2 right, 3 center, 4 double; negative none.
std::string ttAlignText(int32_t align);
int32_t ttAlignFromText(const std::string& text);

// Stem parameter of a link that means "no stem, rounded distance".
constexpr int32_t kTtStemRound = -2;
constexpr int32_t kTtNone = -1;

}  // namespace vn
