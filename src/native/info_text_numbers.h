// The C-scan number forms that the font-information block reads from texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qtf {

// One integer as the "%i" conversion reads it: leading blanks, a sign, then
// hexadecimal after "0x", octal after a leading 0, else decimal; saturated to int32.
// `pos` moves past what was read; nullopt (pos unchanged) when no digit follows.
std::optional<int32_t> scanCInteger(std::string_view text, size_t& pos);

// Major and minor of a version text: " %i.%i" when the text holds a '.', else " %i"
// with minor 0; nullopt when the scan does not give every number.
std::optional<std::pair<int32_t, int32_t>> parseVersion(std::string_view text);

// One unsigned 16-bit number as "%hu" reads it (leading blanks, an optional sign,
// decimal digits, wrapped to 16 bits); nullopt when no digit follows.
std::optional<uint16_t> scanUnsigned16(std::string_view text);

}  // namespace qtf
