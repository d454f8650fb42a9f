// The TrueType/OS-2 information sub-stream (record 1264) and the creation time it
// carries, counted in seconds from 1904-01-01 00:00. The count is taken as UTC with
// calendar arithmetic, so a file reads the same on every machine and in every season.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

namespace vn {
class Font;
class Style;
}  // namespace vn

namespace qtf {

class Stream;
struct InfoReadState;

// Named-integer key of the lowest recommended ppem; the UFO side uses the same key.
inline constexpr const char* kLowestRecPpemKey = "ftagHEAD_LOWESTRECPPEM";

bool encodeTrueTypeInfo(Stream& out, const vn::Style& style, const vn::Font& font);
// Stops at tag 50, at the end of the data or at an unknown tag; false when it ran
// past the end of the data.
[[nodiscard]] bool decodeTrueTypeInfo(Stream& in, vn::Style& style, vn::Font& font, InfoReadState& state);

// Seconds from 1904-01-01 00:00 to the calendar time (its fields taken as UTC;
// fields out of their usual ranges are carried over as calendar arithmetic does).
int64_t secondsSince1904(const std::tm& time);
// The calendar time that many seconds after 1904-01-01 00:00 (UTC, no daylight flag).
std::tm timeSince1904(int64_t seconds);

// "panose" text -> ten bytes: up to ten numbers separated by blanks, the low byte of
// each; numbers missing from a shorter text are 0.
std::array<uint8_t, 10> parsePanose(const std::string& text);
// Ten numbers joined by single spaces.
std::string formatPanose(const std::array<uint8_t, 10>& bytes);

}  // namespace qtf
