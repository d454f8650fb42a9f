// Big-endian writer over a growable buffer, with a position that can go back to fill
// offsets; and the one checked helper that patches 16-bit offsets.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace ot {

class BinaryWriter {
 public:
  void writeUInt8(uint8_t value);
  // Any integer, written as its low 16 bits (signed values in two's complement).
  template <std::integral T>
  void writeUInt16(T value) { put16(static_cast<uint16_t>(value)); }
  void writeInt16(int16_t value) { put16(static_cast<uint16_t>(value)); }
  template <std::integral T>
  void writeUInt32(T value) { put32(static_cast<uint32_t>(value)); }
  void writeBytes(std::span<const uint8_t> bytes);
  void writeBytes(const std::string& bytes);

  // Writes a zero 16-bit placeholder and returns its position (for writeOffset).
  uint32_t reserveOffset16();

  uint32_t position() const { return static_cast<uint32_t>(pos_); }
  size_t size() const { return buffer_.size(); }
  // Moves the write position; past the end of what was written throws code 6.
  void seek(size_t position);
  // Moves to the end of what was written.
  void seekEnd() { pos_ = buffer_.size(); }
  // Appends zero bytes until the size is a multiple of `alignment`.
  void pad(size_t alignment);

  const std::vector<uint8_t>& buffer() const { return buffer_; }
  std::string str() const { return std::string(buffer_.begin(), buffer_.end()); }

  // From now on identical blocks placed with ot::writeSharedBlock are written
  // once (the repair of a subtable past 16-bit offsets asks for it).
  void shareBlocks() { sharing_ = true; }
  bool sharesBlocks() const { return sharing_; }
  // Blocks written while sharing, by their bytes: where the last copy starts.
  std::map<std::vector<uint8_t>, uint32_t>& sharedBlocks() { return blocks_; }

 private:
  void put(const uint8_t* bytes, size_t count);
  void put16(uint16_t value);
  void put32(uint32_t value);

  std::vector<uint8_t> buffer_;
  size_t pos_ = 0;
  bool sharing_ = false;
  std::map<std::vector<uint8_t>, uint32_t> blocks_;
};

// Patches the 16-bit offset at slot position P after the data it points to was written:
// with C the current position, writes C - B at P and returns to C. When C - B is 65535
// or more, throws the offset overflow (ot::Exception code 1) and leaves the writer at P.
void writeOffset(BinaryWriter& writer, uint32_t base, uint32_t slot);

// Writes a 16-bit count and that many offset placeholders; returns their positions.
std::vector<uint32_t> reserveOffsetArray(BinaryWriter& writer, size_t count);

// Points the offset at `slot` (from `base`) at the block `block` holds: appended at the
// writer's position, or, when the writer shares blocks, an identical one at or after
// `base` written before. Overflow as writeOffset.
void writeSharedBlock(BinaryWriter& writer, uint32_t base, uint32_t slot, const BinaryWriter& block);

// Writes `distance` as a 16-bit offset at P, keeping the position; 65535 or more throws
// the offset overflow.
void writeOffsetValue(BinaryWriter& writer, uint32_t slot, uint64_t distance);

}  // namespace ot
