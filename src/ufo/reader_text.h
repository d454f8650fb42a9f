// Texts and numbers as the UFO reader takes them from XML: strict number parsing
// (nothing half-read, nothing out of range) and the model's single-byte text form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ufo {

class ReadWarnings;

// A decimal number; blanks around it and a leading '+' are allowed. Non-finite or
// overflowing values give nullopt.
std::optional<double> readReal(std::string_view text);
// An integer; a real text counts as its integer part (10.5 -> 10), so "<real>"
// elements serve where integers are expected. Values outside int32 give nullopt.
std::optional<std::int32_t> readInteger(std::string_view text);
// Hexadecimal digits (leading blanks allowed, no sign, no "0x"); nullopt above
// `limit` or when malformed.
std::optional<std::uint32_t> readHex(std::string_view text, std::uint32_t limit);

// UTF-8 text as the model keeps it: Windows-1252 bytes when every character has
// one. A text with other characters (or that is not valid UTF-8) is kept as it
// stands, reported once per read through `warnings` (may be null).
std::string modelText(std::string_view utf8, ReadWarnings* warnings);
// The same without a copy for ASCII text (the usual case): the result views `utf8`
// itself or, when converted, `storage`.
std::string_view modelTextView(std::string_view utf8, std::string& storage, ReadWarnings* warnings);
// The conversion alone: false (out untouched) when some character has no byte.
bool utf8ToWindows1252(std::string_view utf8, std::string& out);

}  // namespace ufo
