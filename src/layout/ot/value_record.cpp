#include "layout/ot/value_record.h"

#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"

namespace ot {

ValueRecord& ValueRecord::operator=(const ValueRecord& other) {
  if (this == &other) return *this;
  xPlacement = other.xPlacement;
  yPlacement = other.yPlacement;
  xAdvance = other.xAdvance;
  yAdvance = other.yAdvance;
  ids = other.ids;
  for (size_t i = 0; i < 4; ++i) copyDevice(devices[i], other.devices[i]);
  return *this;
}

void ValueRecord::clear() { *this = ValueRecord{}; }

bool ValueRecord::operator==(const ValueRecord& other) const {
  if (xPlacement != other.xPlacement || yPlacement != other.yPlacement || xAdvance != other.xAdvance ||
      yAdvance != other.yAdvance || ids != other.ids)
    return false;
  for (size_t i = 0; i < 4; ++i) {
    if (!sameDevice(devices[i], other.devices[i])) return false;
  }
  return true;
}

bool ValueRecord::operator<(const ValueRecord& other) const {
  if (xPlacement != other.xPlacement) return xPlacement < other.xPlacement;
  if (yPlacement != other.yPlacement) return yPlacement < other.yPlacement;
  if (xAdvance != other.xAdvance) return xAdvance < other.xAdvance;
  return yAdvance < other.yAdvance;
}

bool ValueRecord::isEmpty() const {
  if (xPlacement || yPlacement || xAdvance || yAdvance) return false;
  for (const auto& device : devices) {
    if (device) return false;
  }
  return true;
}

uint64_t ValueRecord::keptDeviceBytes() const {
  uint64_t bytes = 0;
  for (const auto& device : devices) {
    if (device) bytes += Device::keptBytes(device->entries.size());
  }
  return bytes;
}

uint16_t ValueRecord::valueFormat() const {
  uint16_t format = 0;
  if (xPlacement) format |= kXPlacement;
  if (yPlacement) format |= kYPlacement;
  if (xAdvance) format |= kXAdvance;
  if (yAdvance) format |= kYAdvance;
  for (size_t i = 0; i < 4; ++i) {
    if (devices[i]) format |= static_cast<uint16_t>(kXPlaDevice << i);
    if (ids[i]) format |= static_cast<uint16_t>(0x0100 << i);
  }
  return format;
}

void ValueRecord::readBinary(BinaryReader& reader, size_t position, size_t base, uint16_t format) {
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
    auto device = std::make_unique<Device>();
    if (device->readBinary(reader, base + deviceOffsets[i])) devices[i] = std::move(device);
  }
  reader.seek(end);
}

void ValueRecord::writeBinary(BinaryWriter& writer, uint16_t format,
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

void ValueRecord::writeDevices(BinaryWriter& writer, uint32_t base,
                               const std::array<uint32_t, 4>& deviceFields) const {
  for (int i = 0; i < 4; ++i) {
    if (deviceFields[i] == 0 || !devices[i]) continue;
    writeOffset(writer, base, deviceFields[i]);
    devices[i]->pack(writer);
  }
}

uint32_t valueRecordSize(uint16_t format) {
  return 2u * static_cast<uint32_t>(__builtin_popcount(format & 0x0FFF));
}

}  // namespace ot
