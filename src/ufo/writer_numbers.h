// Number texts of the UFO writer that the model's helpers do not cover: the
// coordinate form of glyph files and C-style integer scanning of version texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ufo {

// A number of a glyph file: integral values in full decimal, others in the shortest
// text that reads back to the same double; never "inf" or "nan" (those give "0").
std::string glifNumber(double value);

// Scans one integer as the C "%i" conversion does: leading white space, an optional
// sign, then "0x" hexadecimal, a leading "0" octal, or decimal. Advances `pos` past
// it; false (pos unchanged) when no digit was read. Values are clamped to int32.
bool scanCInteger(std::string_view text, size_t& pos, int32_t& value);

}  // namespace ufo
