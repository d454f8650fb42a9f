#include "layout/ot/offset_array.h"

namespace ot {

std::vector<uint16_t> readOffsets(BinaryReader& reader, uint64_t count) {
  reader.charge(count);
  return reader.readUInt16Array(count);
}

std::vector<uint16_t> readOffsetArray(BinaryReader& reader) {
  const uint16_t count = reader.readUInt16();
  return readOffsets(reader, count);
}

}  // namespace ot
