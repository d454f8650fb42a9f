// UTF-8 <-> UTF-32 conversions with result codes, and the single-byte code-page
// tables (table 0 is the Windows-1252 form that font names are kept in).
#pragma once

#include <cstdint>

namespace unicode {

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;

enum ConversionResult : int {
  kConversionOk = 0,
  kSourceExhausted = 1,  // the source ended inside a sequence
  kTargetExhausted = 2,  // the target had no room
  kSourceIllegal = 3,    // illegal sequence or value
};

constexpr int kStrict = 0;
constexpr int kLenient = 1;

constexpr u32 kNoCharacter = 0xFFFFFFFFu;  // a byte without a character
constexpr u32 kNoCodePageBit = 65535;
constexpr int kCodePageCount = 28;

// One sequence of 1 to 4 bytes.
bool isLegalUtf8(const u8* bytes, int length);

// Convert while the source lasts; on a stop the begin pointers are left at the
// start of the unit that could not be converted.
int utf32ToUtf8(const u32** sourceBegin, const u32* sourceEnd, u8** targetBegin, u8* targetEnd,
                int lenient);
int utf8ToUtf32(const u8** sourceBegin, const u8* sourceEnd, u32** targetBegin, u32* targetEnd,
                int lenient);

// Table of 257 words: the OS/2 code-page bit (65535 for none), then the code
// point of each byte 0..255 (kNoCharacter for none). Null for index >= 28.
const u32* codePageTable(int index);
// The code point stored for the byte, or -1 when the table is null.
std::int32_t codePageToUnicode(const u32* table, u16 byte);

}  // namespace unicode
