// Device tables (DeltaFormat 1 to 3): per-ppem adjustments of a value or an anchor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ot {

class BinaryReader;
class BinaryWriter;

// Start size, end size and delta format are derived on writing.
struct Device {
  struct Entry {
    uint16_t ppem = 0;
    int8_t delta = 0;
    bool operator==(const Entry&) const = default;
  };
  std::vector<Entry> entries;

  bool operator==(const Device&) const = default;
  // Appends the entries of the table at `offset` of the reader's span; false (nothing
  // added) for an unknown delta format. A malformed table throws ot::Exception 2.
  [[nodiscard]] bool readBinary(BinaryReader& reader, size_t offset);
  // The memory a device of `count` entries takes in the model, as reads count it.
  static uint64_t keptBytes(uint64_t count);
  void pack(BinaryWriter& writer) const;
};

// Deep copy of an optional record; an existing target is assigned in place.
template <class Record>
void copyOptional(std::unique_ptr<Record>& target, const std::unique_ptr<Record>& source) {
  if (!source) {
    target.reset();
  } else if (!target) {
    target = std::make_unique<Record>(*source);
  } else {
    *target = *source;
  }
}

// Devices are optional wherever they appear.
using DevicePtr = std::unique_ptr<Device>;
// Deep copy; an existing target is assigned in place.
void copyDevice(DevicePtr& target, const DevicePtr& source);
// Both absent, or both present with the same entries.
bool sameDevice(const DevicePtr& a, const DevicePtr& b);

}  // namespace ot
