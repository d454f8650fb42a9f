// GPOS ValueRecords: four placement and advance values, their optional devices and the
// values some formats carry in bits 0x0100 to 0x0800.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "layout/ot/device.h"

namespace ot {

// ValueFormat bits.
enum ValueFormatBits : uint16_t {
  kXPlacement = 0x0001,
  kYPlacement = 0x0002,
  kXAdvance = 0x0004,
  kYAdvance = 0x0008,
  kXPlaDevice = 0x0010,
  kYPlaDevice = 0x0020,
  kXAdvDevice = 0x0040,
  kYAdvDevice = 0x0080,
  kIdBits = 0x0F00,
};

// Bytes of a ValueRecord of the given format.
uint32_t valueRecordSize(uint16_t format);

struct ValueRecord {
  int16_t xPlacement = 0, yPlacement = 0, xAdvance = 0, yAdvance = 0;
  // X placement, Y placement, X advance, Y advance.
  std::array<DevicePtr, 4> devices;
  // Values carried for ValueFormat bits 0x0100 to 0x0800.
  std::array<uint16_t, 4> ids{};

  ValueRecord() = default;
  ValueRecord(const ValueRecord& other) { *this = other; }
  ValueRecord(ValueRecord&&) noexcept = default;
  ValueRecord& operator=(const ValueRecord& other);
  ValueRecord& operator=(ValueRecord&&) noexcept = default;

  void clear();
  // Values, ids, and device presence and contents.
  bool operator==(const ValueRecord& other) const;
  // The four values only, as signed numbers.
  bool operator<(const ValueRecord& other) const;
  // The four values are 0 and no device is present (ids are not looked at).
  bool isEmpty() const;
  // The memory its devices take in the model, as reads count it.
  uint64_t keptDeviceBytes() const;
  // The smallest format that holds the record.
  uint16_t valueFormat() const;

  // Reads the fields of `format` at `position`; devices at `base` + their offset.
  // Leaves the reader after the record.
  void readBinary(BinaryReader& reader, size_t position, size_t base, uint16_t format);
  // Writes the fields of `format`; device fields as 0 with their places noted.
  void writeBinary(BinaryWriter& writer, uint16_t format, std::array<uint32_t, 4>& deviceFields) const;
  // Writes the noted devices, patching their fields relative to `base`.
  void writeDevices(BinaryWriter& writer, uint32_t base, const std::array<uint32_t, 4>& deviceFields) const;
};

}  // namespace ot
