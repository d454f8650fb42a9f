// Anchor tables (formats 1 to 3): a point, optionally a contour point or two devices.
#pragma once

#include <cstddef>
#include <cstdint>

#include "layout/ot/device.h"

namespace ot {

struct Anchor {
  static constexpr uint16_t kNoPoint = 65535;
  int16_t x = 0, y = 0;
  uint16_t contourPoint = kNoPoint;
  DevicePtr xDevice, yDevice;

  Anchor() = default;
  Anchor(int16_t ax, int16_t ay, uint16_t point = kNoPoint) : x(ax), y(ay), contourPoint(point) {}
  Anchor(const Anchor& other) { *this = other; }
  Anchor(Anchor&&) noexcept = default;
  Anchor& operator=(const Anchor& other);
  Anchor& operator=(Anchor&&) noexcept = default;
  bool operator==(const Anchor& other) const;

  // Reads the anchor at `offset` of the reader's span; the reader does not move. An
  // unknown format throws ot::Exception 26.
  void readBinary(const BinaryReader& reader, size_t offset);
  // Format 2 with a contour point, else 3 with a device, else 1.
  void writeBinary(BinaryWriter& writer) const;
};

}  // namespace ot
