// Font information as a native file gives it back: it holds whole units (some cut toward
// zero, some rounded, some in 16 bits), no empty texts and a few fields of fixed size, so
// a UFO's fractional xHeight, a year past 16 bits or a vendor ID of five letters comes
// back otherwise than given. The fontinfo changes line names each such value with what
// comes back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "model/font_info.h"

namespace ufo {

// Characters of the vendor ID the native file holds.
inline constexpr std::size_t kMaxHeldVendorId = 4;

// The metrics a native file written from `given` reads back as: the fields and the
// named numbers it carries in whole units; everything else as given.
vn::FontMetrics heldMetrics(const vn::FontMetrics& given);

// A named integer of the style (by its model key) as the native file gives it back;
// none when the file leaves it out (a negative year, a unique ID of 0).
std::optional<std::int32_t> heldInteger(std::string_view modelKey, std::int32_t given);

// The names as the native file gives them back: no empty named texts, a vendor ID of
// at most four characters, PANOSE digits in a byte each, and a family name however
// the file has to make one up.
vn::FontNames heldNames(const vn::FontNames& given);

}  // namespace ufo
