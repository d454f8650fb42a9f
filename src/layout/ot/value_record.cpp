#include "layout/ot/value_record.h"

#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"

namespace otl {

void GPosValue::readBinary(ot::BinaryReader& reader, size_t position, size_t base, uint16_t format) {
  clear();
  reader.seek(position);
  int16_t* values[4] = {&xPlacement, &yPlacement, &xAdvance, &yAdvance};
  for (int i = 0; i < 4; ++i) {
    if (format & (1u << i)) *values[i] = reader.readInt16();
  }
  uint16_t deviceOffsets[4] = {};
  for (int i = 0; i < 4; ++i) {
    if (format & (kXPlaDevice << i)) deviceOffsets[i] = reader.readUInt16();
  }
  for (int i = 0; i < 4; ++i) {
    if (format & (0x0100u << i)) ids[i] = reader.readUInt16();
  }
  const uint32_t end = reader.position();
  for (int i = 0; i < 4; ++i) {
    if (deviceOffsets[i] == 0) continue;
    auto device = std::make_unique<DeviceTable>();
    if (device->readBinary(reader, base + deviceOffsets[i])) devices[i] = std::move(device);
  }
  reader.seek(end);
}

void GPosValue::writeBinary(ot::BinaryWriter& writer, uint16_t format,
                            std::array<uint32_t, 4>& deviceFields) const {
  const int16_t values[4] = {xPlacement, yPlacement, xAdvance, yAdvance};
  for (int i = 0; i < 4; ++i) {
    if (format & (1u << i)) writer.writeInt16(values[i]);
  }
  for (int i = 0; i < 4; ++i) {
    deviceFields[i] = 0;
    if (format & (kXPlaDevice << i)) {
      if (devices[i]) deviceFields[i] = writer.position();
      writer.writeUInt16(0);
    }
  }
  for (int i = 0; i < 4; ++i) {
    if (format & (0x0100u << i)) writer.writeUInt16(ids[i]);
  }
}

void GPosValue::writeDevices(ot::BinaryWriter& writer, uint32_t base,
                             const std::array<uint32_t, 4>& deviceFields) const {
  for (int i = 0; i < 4; ++i) {
    if (deviceFields[i] == 0 || !devices[i]) continue;
    ot_bin_layout::writeOffset(writer, base, deviceFields[i]);
    devices[i]->pack(writer);
  }
}

// Size in bytes of a ValueRecord of the given format.
uint32_t valueRecordSize(uint16_t format) {
  return 2u * static_cast<uint32_t>(__builtin_popcount(format & 0x0FFF));
}

}  // namespace otl
