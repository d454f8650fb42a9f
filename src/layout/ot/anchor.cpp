#include "layout/ot/anchor.h"

#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"

namespace ot {

namespace {
void readAnchorDevice(DevicePtr& device, BinaryReader& anchor, uint16_t offset) {
  if (offset == 0) return;
  if (!device) device = std::make_unique<Device>();
  if (!device->readBinary(anchor, offset)) device.reset();
}
}  // namespace

Anchor& Anchor::operator=(const Anchor& other) {
  if (this == &other) return *this;
  x = other.x;
  y = other.y;
  contourPoint = other.contourPoint;
  copyDevice(xDevice, other.xDevice);
  copyDevice(yDevice, other.yDevice);
  return *this;
}

bool Anchor::operator==(const Anchor& other) const {
  return x == other.x && y == other.y && contourPoint == other.contourPoint &&
         sameDevice(xDevice, other.xDevice) && sameDevice(yDevice, other.yDevice);
}

void Anchor::readBinary(const BinaryReader& reader, size_t offset) {
  BinaryReader r = reader.window(offset);
  const uint16_t format = r.readUInt16();
  x = 0;
  y = 0;
  if (format < 1 || format > 3) throw Exception(Exception::kUnsupported, "unknown anchor format");
  x = r.readInt16();
  y = r.readInt16();
  if (format == 2) contourPoint = r.readUInt16();
  if (format == 3) {
    const uint16_t xOffset = r.readUInt16();
    const uint16_t yOffset = r.readUInt16();
    readAnchorDevice(xDevice, r, xOffset);
    readAnchorDevice(yDevice, r, yOffset);
  }
}

void Anchor::writeBinary(BinaryWriter& writer) const {
  const uint32_t start = writer.position();
  if (contourPoint != kNoPoint) {
    writer.writeUInt16(2);
    writer.writeInt16(x);
    writer.writeInt16(y);
    writer.writeUInt16(contourPoint);
    return;
  }
  if (!xDevice && !yDevice) {
    writer.writeUInt16(1);
    writer.writeInt16(x);
    writer.writeInt16(y);
    return;
  }
  writer.writeUInt16(3);
  writer.writeInt16(x);
  writer.writeInt16(y);
  writer.writeUInt16(0);
  writer.writeUInt16(0);
  if (xDevice) {
    writeOffset(writer, start, start + 6);
    xDevice->pack(writer);
  }
  if (yDevice) {
    writeOffset(writer, start, start + 8);
    yDevice->pack(writer);
  }
}

}  // namespace ot
