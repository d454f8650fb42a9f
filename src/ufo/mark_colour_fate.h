// What a glyph's mark colour becomes in a native file, which holds it as one of a few
// hues: the same colour (one written from a native file), another colour (a different
// saturation, lightness or alpha), or none at all (a colour without a hue).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ufo {

// Red, green, blue and alpha as a lib gave them.
using MarkColour = std::array<double, 4>;

enum class MarkColourFate : std::uint8_t { kKept, kChanged, kLost };

// The fate of `given` when the glyph's mark value is `mark` (0: no mark): compared with
// the colour the UFO writer gives for that mark.
MarkColourFate markColourFate(const MarkColour& given, std::int32_t mark);

class ReadWarnings;

// Names the glyph on the line of its fate (none for a colour kept).
void noteMarkColour(ReadWarnings& warnings, const std::string& glyph, MarkColourFate fate);

}  // namespace ufo
