#include "layout/ot/binary_writer.h"

#include <algorithm>

#include "layout/ot/big_endian.h"
#include "layout/ot/exception.h"
#include "layout/ot/limits.h"

namespace ot {

void BinaryWriter::put(const uint8_t* bytes, size_t count) {
  if (pos_ + count > ot::limits::kMaxTableBytes) {
    throw Exception(Exception::kWriteFailed, "table larger than the size limit");
  }
  if (pos_ + count > buffer_.size()) buffer_.resize(pos_ + count);
  std::copy(bytes, bytes + count, buffer_.begin() + static_cast<std::ptrdiff_t>(pos_));
  pos_ += count;
}

void BinaryWriter::writeUInt8(uint8_t value) { put(&value, 1); }

void BinaryWriter::put16(uint16_t value) {
  uint8_t bytes[2];
  store16(bytes, value);
  put(bytes, 2);
}

void BinaryWriter::put32(uint32_t value) {
  uint8_t bytes[4];
  store32(bytes, value);
  put(bytes, 4);
}

void BinaryWriter::writeBytes(std::span<const uint8_t> bytes) { put(bytes.data(), bytes.size()); }

void BinaryWriter::writeBytes(const std::string& bytes) {
  put(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

uint32_t BinaryWriter::reserveOffset16() {
  const uint32_t slot = position();
  writeUInt16(uint16_t{0});
  return slot;
}

void BinaryWriter::seek(size_t position) {
  if (position > buffer_.size()) throw Exception(Exception::kWriteFailed, "seek past the end");
  pos_ = position;
}

void BinaryWriter::pad(size_t alignment) {
  seekEnd();
  while (alignment > 1 && buffer_.size() % alignment != 0) writeUInt8(0);
}

void writeOffset(BinaryWriter& writer, uint32_t base, uint32_t slot) {
  const uint32_t current = writer.position();
  writer.seek(slot);
  const uint32_t distance = current - base;  // unsigned: a base after C overflows too
  if (!fitsOffset16(distance)) throw Exception::offsetOverflow();
  writer.writeUInt16(static_cast<uint16_t>(distance));
  writer.seek(current);
}

std::vector<uint32_t> reserveOffsetArray(BinaryWriter& writer, size_t count) {
  writer.writeUInt16(static_cast<uint16_t>(count));
  std::vector<uint32_t> slots;
  slots.reserve(count);
  for (size_t i = 0; i < count; ++i) slots.push_back(writer.reserveOffset16());
  return slots;
}

void writeSharedBlock(BinaryWriter& writer, uint32_t base, uint32_t slot, const BinaryWriter& block) {
  if (writer.sharesBlocks()) {
    const auto found = writer.sharedBlocks().find(block.buffer());
    if (found != writer.sharedBlocks().end() && found->second >= base) {
      writeOffsetValue(writer, slot, found->second - base);
      return;
    }
    writer.sharedBlocks()[block.buffer()] = writer.position();
  }
  writeOffset(writer, base, slot);
  writer.writeBytes(block.buffer());
}

void writeOffsetValue(BinaryWriter& writer, uint32_t slot, uint64_t distance) {
  if (!fitsOffset16(distance)) throw Exception::offsetOverflow();
  const uint32_t current = writer.position();
  writer.seek(slot);
  writer.writeUInt16(static_cast<uint16_t>(distance));
  writer.seek(current);
}

}  // namespace ot
