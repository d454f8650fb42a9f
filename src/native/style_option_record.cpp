#include "native/style_option_record.h"

#include <cstddef>
#include <cstdint>

#include "model/font_info.h"
#include "model/numbers.h"
#include "native/stream/stream.h"

namespace qtf {

namespace {

constexpr uint8_t kListEnd = 100;  // 'd'

// Keys of the one-byte options, in the order of StyleOptions::byteOptions.
constexpr uint8_t kByteOptionKeys[] = {21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 32, 33,
                                       35, 36, 37, 38, 42, 43, 44, 45, 46, 47, 51};
static_assert(sizeof(kByteOptionKeys) == sizeof(vn::StyleOptions::byteOptions));

int byteOptionSlot(uint8_t key) {
  for (size_t i = 0; i < sizeof(kByteOptionKeys); ++i) {
    if (kByteOptionKeys[i] == key) return static_cast<int>(i);
  }
  return -1;
}

// Applies one key; false when the key ends the list.
bool applyOption(vn::StyleOptions& o, uint8_t key, int32_t value) {
  if (key >= 1 && key <= 11) {
    o.integers[key - 1] = value;
    return true;
  }
  switch (key) {
    case 12:
    case 13:
      o.ratios[key - 12] = value / 10000.0;
      return true;
    case 14:
      o.offsets[0] = static_cast<int16_t>(value);
      return true;
    case 114:
      o.offsets[1] = static_cast<int16_t>(value);
      return true;
    case 15:
      o.offsets[2] = static_cast<int16_t>(value);
      return true;
    case 115:
      o.offsets[3] = static_cast<int16_t>(value);
      return true;
    case 16:
      o.moreIntegers[0] = value;
      return true;
    case 17:
      o.moreIntegers[1] = value;
      return true;
    case 19:
      o.moreIntegers[2] = value;
      return true;
    case 41:
      o.moreIntegers[3] = value;
      return true;
    case 18:
    case 31:
    case 34:
      return true;  // read and dropped
    case 20:
      for (int bit = 0; bit < 6; ++bit) o.packedFlags20[bit] = (value >> (8 + bit)) & 1;
      return true;
    case 39:
      o.keyedIntegers[0] = value;
      return true;
    case 40:
      o.keyedIntegers[1] = value;
      return true;
    case 49:
      o.keyedIntegers[2] = value;
      return true;
    case 50:
      o.keyedIntegers[3] = value;
      return true;
    case 48:
      for (int bit = 0; bit < 6; ++bit) o.packedFlags48[bit] = (value >> bit) & 1;
      o.packedFlags48[6] = (value >> 12) & 1;
      return true;
    default:
      break;
  }
  const int slot = byteOptionSlot(key);
  if (slot < 0) return false;
  o.byteOptions[static_cast<size_t>(slot)] = value != 0 ? 1 : 0;
  return true;
}

}  // namespace

bool decodeStyleOptions(Stream& in, vn::StyleOptions& options) {
  while (!in.atEnd()) {
    const uint8_t key = in.readByte();
    if (key == kListEnd) break;
    const int32_t value = in.readInt();
    if (in.overrun()) return false;
    if (!applyOption(options, key, value)) break;
  }
  return !in.overrun();
}

bool encodeStyleOptions(Stream& out, const vn::StyleOptions& o) {
  auto option = [&out](uint8_t key, int32_t value) {
    out.writeByte(key);
    out.writeInt(value);
  };
  for (uint8_t key = 1; key <= 11; ++key) option(key, o.integers[key - 1]);
  option(12, vn::roundToInt32(o.ratios[0] * 10000.0));
  option(13, vn::roundToInt32(o.ratios[1] * 10000.0));
  option(14, vn::saturateInt32(o.offsets[0]));
  option(114, vn::saturateInt32(o.offsets[1]));
  option(15, vn::saturateInt32(o.offsets[2]));
  option(115, vn::saturateInt32(o.offsets[3]));
  option(16, o.moreIntegers[0]);
  option(17, o.moreIntegers[1]);
  option(19, o.moreIntegers[2]);
  int32_t packed = 0;
  for (size_t i = 0; i < o.packedFlags20.size(); ++i) {
    if (o.packedFlags20[i]) packed |= 256 << i;
  }
  option(20, packed);
  auto byteOption = [&](uint8_t key) {
    option(key, o.byteOptions[static_cast<size_t>(byteOptionSlot(key))] ? 1 : 0);
  };
  for (uint8_t key = 21; key <= 30; ++key) byteOption(key);
  for (uint8_t key : {44, 51, 32, 33, 46, 42, 35, 36, 47, 37, 38}) byteOption(key);
  option(39, o.keyedIntegers[0]);
  option(40, o.keyedIntegers[1]);
  option(41, o.moreIntegers[3]);
  byteOption(43);
  byteOption(45);
  packed = 0;
  for (size_t i = 0; i < 6; ++i) {
    if (o.packedFlags48[i]) packed |= 1 << i;
  }
  if (o.packedFlags48[6]) packed |= 4096;
  option(48, packed);
  option(50, o.keyedIntegers[3]);
  option(49, o.keyedIntegers[2]);
  out.writeByte(kListEnd);
  return true;
}

}  // namespace qtf
