// The byte buffer through which every payload of a native file is built and read,
// and which also carries the TrueType command byte stream.
//
// Integers use the charstring number coding:
//   -107..107          one byte v + 139
//   108..1131          247..250, then one byte   (negative: 251..254, then one byte)
//   otherwise          255, then four bytes big-endian two's complement
//   lead bytes 0..31   read back as themselves
// Doubles are eight bytes of binary64, little-endian; strings are a coded length
// followed by the raw bytes.
//
// Reads never leave the buffer: they are bounded by a read limit (the capacity
// unless setLimit narrows it, e.g. to a loaded payload). A read that would cross the
// limit returns zeros, leaves the cursor at the limit and raises the overrun flag.
// Writes on a fixed stream that do not fit are dropped and raise the flag too.
// All size arithmetic is 64-bit.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qtf {

class Stream {
 public:
  // With size > 0 the stream owns a zeroed buffer of that size; with 0 it has none.
  explicit Stream(uint64_t size = 0);
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;
  ~Stream() = default;

  // Reads over borrowed bytes (not copied, never written); cursor at the start,
  // limit = size, not growable, overrun cleared.
  void attach(const uint8_t* data, uint64_t size);

  // Room for n more bytes at the cursor: when used + n >= capacity the capacity
  // becomes used + n + 512 (so a growable stream always keeps one free byte).
  void ensure(uint64_t n);
  // When the capacity is below n: ensure(n - used), giving capacity n + 512.
  void reserve(uint64_t n);

  void setGrowable(bool growable) { growable_ = growable; }
  bool growable() const { return growable_; }

  // Cursor back to the start; overrun cleared; the read limit back to the capacity.
  void rewind();
  // Reads stop at min(limit, capacity).
  void setLimit(uint64_t limit);
  // Loads a payload: rewinds, reserves length bytes, sets the limit to length and
  // returns where the caller copies the bytes (null when length is 0).
  uint8_t* prepareLoad(uint64_t length);

  // ---- writes
  void writeByte(uint8_t value);
  void writeBlock(const void* data, int64_t n);
  void writeDouble(double value);
  // Inline: the glyph records write integers by the hundred thousand.
  void writeInt(int32_t value) {
    // |v| as a 32-bit negation: the most negative value stays "large".
    const uint32_t bits = static_cast<uint32_t>(value);
    const uint32_t magnitude = value < 0 ? (0u - bits) : bits;
    const uint64_t n = magnitude <= 107 ? 1 : magnitude <= 1131 ? 2 : 5;
    if (!writable(n)) return;
    uint8_t* at = owned_.data() + pos_;
    pos_ += n;
    if (n == 1) {
      at[0] = static_cast<uint8_t>(value + 139);
    } else if (n == 2) {
      const uint32_t rest = magnitude - 108;
      at[0] = static_cast<uint8_t>((rest >> 8) + (value > 0 ? 247 : 251));
      at[1] = static_cast<uint8_t>(rest & 255);
    } else {
      at[0] = 255;
      for (int i = 0; i < 4; ++i) at[1 + i] = static_cast<uint8_t>(bits >> (24 - 8 * i));
    }
  }
  void writeString(std::string_view text);

  // ---- reads
  uint8_t readByte();
  // Copies n bytes, or zero-fills the destination and raises the overrun flag when
  // n is negative or more than remain.
  void readBlock(void* data, int64_t n);
  double readDouble();
  int32_t readInt();
  // Empty string for a length <= 0 (a negative one raises the overrun flag) or one
  // that crosses the limit (overrun; the cursor stays after the length).
  std::string readString();
  // As readString, but the raw bytes of a length-prefixed block.
  std::vector<uint8_t> readBytes(uint64_t n);

  // ---- state
  uint64_t capacity() const { return size_; }
  uint64_t position() const { return pos_; }
  uint64_t limit() const { return limit_; }
  // Bytes left before the read limit (0 once the cursor has reached it).
  uint64_t remaining() const { return pos_ < limit_ ? limit_ - pos_ : 0; }
  bool atEnd() const { return pos_ >= limit_; }
  bool overrun() const { return overrun_; }
  void clearOverrun() { overrun_ = false; }
  bool ownsBuffer() const { return owns_; }
  // The bytes from the start to the cursor (what has been written).
  std::span<const uint8_t> written() const;
  const uint8_t* data() const { return base_; }

 private:
  // True when n bytes can be written at the cursor (a growable stream grows first);
  // otherwise raises the overrun flag.
  bool writable(uint64_t n) {
    // Room already there: a growable stream would not grow, a fixed one has it.
    if (owns_ && pos_ < size_ && n < size_ - pos_) return true;
    return makeWritable(n);
  }
  bool makeWritable(uint64_t n);
  void putRaw(const uint8_t* bytes, uint64_t n);
  void fail() { overrun_ = true; }

  std::vector<uint8_t> owned_;
  const uint8_t* base_ = nullptr;
  uint64_t size_ = 0;
  uint64_t pos_ = 0;
  uint64_t limit_ = 0;
  bool explicitLimit_ = false;
  bool growable_ = false;
  bool owns_ = false;
  bool overrun_ = false;
};

}  // namespace qtf
