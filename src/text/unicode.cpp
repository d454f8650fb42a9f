#include "text/unicode.h"

namespace unicode {
namespace {

constexpr u32 kReplacement = 0xFFFD;
constexpr u32 kMaxCodePoint = 0x10FFFF;
constexpr u32 kSurrogateFirst = 0xD800;
constexpr u32 kSurrogateLast = 0xDFFF;

// Trailing bytes that follow a first byte (the lengths 5 and 6 are never legal).
int trailingBytes(u8 first) {
  if (first < 0xC0) return 0;
  if (first < 0xE0) return 1;
  if (first < 0xF0) return 2;
  if (first < 0xF8) return 3;
  if (first < 0xFC) return 4;
  return 5;
}

bool isSurrogate(u32 value) { return value >= kSurrogateFirst && value <= kSurrogateLast; }

}  // namespace

bool isLegalUtf8(const u8* bytes, int length) {
  if (length < 1 || length > 4) return false;
  for (int i = 1; i < length; ++i) {
    if (bytes[i] < 0x80 || bytes[i] > 0xBF) return false;
  }
  const u8 first = bytes[0];
  if (length > 1) {
    const u8 second = bytes[1];
    switch (first) {
      case 0xE0:
        if (second < 0xA0) return false;
        break;
      case 0xED:
        if (second > 0x9F) return false;
        break;
      case 0xF0:
        if (second < 0x90) return false;
        break;
      case 0xF4:
        if (second > 0x8F) return false;
        break;
      default: break;
    }
  }
  if (first >= 0x80 && first < 0xC2) return false;
  if (first > 0xF4) return false;
  // A first byte must announce exactly the length given.
  return trailingBytes(first) + 1 == length;
}

int utf8ToUtf32(const u8** sourceBegin, const u8* sourceEnd, u32** targetBegin, u32* targetEnd,
                int lenient) {
  int result = kConversionOk;
  const u8* source = *sourceBegin;
  u32* target = *targetBegin;
  while (source < sourceEnd) {
    const int extra = trailingBytes(*source);
    if (extra >= sourceEnd - source) {
      result = kSourceExhausted;
      break;
    }
    if (!isLegalUtf8(source, extra + 1)) {
      result = kSourceIllegal;
      break;
    }
    if (target >= targetEnd) {
      result = kTargetExhausted;
      break;
    }
    static constexpr u8 kFirstMask[4] = {0x7F, 0x1F, 0x0F, 0x07};
    u32 value = source[0] & kFirstMask[extra];
    for (int i = 1; i <= extra; ++i) value = (value << 6) | (source[i] & 0x3F);
    if (value > kMaxCodePoint) {
      *target++ = kReplacement;
      result = kSourceIllegal;
    } else if (isSurrogate(value)) {
      if (lenient == kStrict) {
        result = kSourceIllegal;
        break;
      }
      *target++ = kReplacement;
    } else {
      *target++ = value;
    }
    source += extra + 1;
  }
  *sourceBegin = source;
  *targetBegin = target;
  return result;
}

int utf32ToUtf8(const u32** sourceBegin, const u32* sourceEnd, u8** targetBegin, u8* targetEnd,
                int lenient) {
  int result = kConversionOk;
  const u32* source = *sourceBegin;
  u8* target = *targetBegin;
  while (source < sourceEnd) {
    u32 value = *source;
    if (lenient == kStrict && isSurrogate(value)) {
      result = kSourceIllegal;
      break;
    }
    int length;
    if (value < 0x80) {
      length = 1;
    } else if (value < 0x800) {
      length = 2;
    } else if (value < 0x10000) {
      length = 3;
    } else if (value <= kMaxCodePoint) {
      length = 4;
    } else {
      value = kReplacement;
      length = 3;
      result = kSourceIllegal;
    }
    if (targetEnd - target < length) {
      result = kTargetExhausted;
      break;
    }
    static constexpr u8 kLengthMark[5] = {0x00, 0x00, 0xC0, 0xE0, 0xF0};
    for (int i = length - 1; i > 0; --i) {
      target[i] = static_cast<u8>(0x80 | (value & 0x3F));
      value >>= 6;
    }
    target[0] = static_cast<u8>(value | kLengthMark[length]);
    target += length;
    ++source;
  }
  *sourceBegin = source;
  *targetBegin = target;
  return result;
}

}  // namespace unicode
