#include "native/stream/stream.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace qtf {

namespace {

constexpr uint64_t kGrowthSlack = 512;

}  // namespace

Stream::Stream(uint64_t size) : size_(size), limit_(size) {
  if (size > 0) {
    owned_.assign(size, 0);
    base_ = owned_.data();
    owns_ = true;
  }
}

void Stream::attach(const uint8_t* data, uint64_t size) {
  owned_.clear();
  owned_.shrink_to_fit();
  base_ = data;
  size_ = data ? size : 0;
  pos_ = 0;
  limit_ = size_;
  explicitLimit_ = false;
  growable_ = false;
  owns_ = false;
  overrun_ = false;
}

void Stream::ensure(uint64_t n) {
  const uint64_t used = pos_;
  if (n < size_ && used < size_ - n) return;  // used + n < size, without wrapping
  if (n > std::numeric_limits<uint64_t>::max() - used - kGrowthSlack)
    throw std::length_error("stream size out of range");
  const uint64_t newSize = used + n + kGrowthSlack;
  std::vector<uint8_t> fresh(newSize, 0);
  if (base_ && used > 0) std::memcpy(fresh.data(), base_, std::min(used, size_));
  owned_ = std::move(fresh);
  base_ = owned_.data();
  size_ = newSize;
  owns_ = true;
  if (!explicitLimit_) limit_ = size_;
}

void Stream::reserve(uint64_t n) {
  if (size_ >= n) return;
  ensure(n - pos_);
}

void Stream::rewind() {
  pos_ = 0;
  overrun_ = false;
  explicitLimit_ = false;
  limit_ = size_;
}

void Stream::setLimit(uint64_t limit) {
  limit_ = std::min(limit, size_);
  explicitLimit_ = true;
}

uint8_t* Stream::prepareLoad(uint64_t length) {
  if (!owns_) {  // never load into borrowed bytes
    base_ = nullptr;
    size_ = 0;
  }
  rewind();
  reserve(length);
  setLimit(length);
  if (length == 0) return nullptr;
  return owned_.data();  // reserve left an owned buffer of at least length bytes
}

// ---- writes

bool Stream::makeWritable(uint64_t n) {
  if (growable_) ensure(n);
  if (!owns_ || pos_ > size_ || n > size_ - pos_) {
    fail();
    return false;
  }
  return true;
}

void Stream::putRaw(const uint8_t* bytes, uint64_t n) {
  std::memcpy(owned_.data() + pos_, bytes, n);
  pos_ += n;
}

void Stream::writeByte(uint8_t value) {
  if (!writable(1)) return;
  owned_[pos_++] = value;
}

void Stream::writeBlock(const void* data, int64_t n) {
  if (!data || n == 0) return;
  if (n < 0) {
    fail();
    return;
  }
  const auto count = static_cast<uint64_t>(n);
  if (writable(count)) putRaw(static_cast<const uint8_t*>(data), count);
}

void Stream::writeDouble(double value) {
  const auto bits = std::bit_cast<uint64_t>(value);
  uint8_t bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
  if (writable(8)) putRaw(bytes, 8);
}

void Stream::writeString(std::string_view text) {
  if (text.size() > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
    fail();
    return;
  }
  writeInt(static_cast<int32_t>(text.size()));
  writeBlock(text.data(), static_cast<int64_t>(text.size()));
}

// ---- reads

uint8_t Stream::readByte() {
  if (pos_ >= limit_) {
    fail();
    return 0;
  }
  return base_[pos_++];
}

void Stream::readBlock(void* data, int64_t n) {
  if (n == 0) return;
  if (n < 0 || static_cast<uint64_t>(n) > remaining()) {
    if (data && n > 0) std::memset(data, 0, static_cast<size_t>(n));
    pos_ = std::max(pos_, limit_);
    fail();
    return;
  }
  if (data) std::memcpy(data, base_ + pos_, static_cast<size_t>(n));
  pos_ += static_cast<uint64_t>(n);
}

double Stream::readDouble() {
  if (remaining() < 8) {
    pos_ = std::max(pos_, limit_);
    fail();
    return 0.0;
  }
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(base_[pos_ + i]) << (8 * i);
  pos_ += 8;
  return std::bit_cast<double>(bits);
}

int32_t Stream::readInt() {
  if (pos_ >= limit_) {
    fail();
    return 0;
  }
  const uint8_t b0 = base_[pos_++];
  if (b0 < 32) return b0;
  if (b0 <= 246) return static_cast<int32_t>(b0) - 139;
  // A following byte beyond the limit reads as 0 and is not consumed.
  auto next = [this]() -> uint32_t {
    if (pos_ >= limit_) {
      fail();
      return 0;
    }
    return base_[pos_++];
  };
  if (b0 <= 250) return (static_cast<int32_t>(b0) - 247) * 256 + static_cast<int32_t>(next()) + 108;
  if (b0 <= 254) return -(static_cast<int32_t>(b0) - 251) * 256 - static_cast<int32_t>(next()) - 108;
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits = (bits << 8) | next();
  return static_cast<int32_t>(bits);
}

std::string Stream::readString() {
  const int32_t n = readInt();
  if (n < 0) fail();
  if (n <= 0) return {};
  if (static_cast<uint64_t>(n) > remaining()) {
    fail();
    return {};
  }
  std::string text(reinterpret_cast<const char*>(base_ + pos_), static_cast<size_t>(n));
  pos_ += static_cast<uint64_t>(n);
  return text;
}

std::vector<uint8_t> Stream::readBytes(uint64_t n) {
  if (n > remaining()) {
    pos_ = std::max(pos_, limit_);
    fail();
    return {};
  }
  std::vector<uint8_t> bytes(base_ + pos_, base_ + pos_ + n);
  pos_ += n;
  return bytes;
}

std::span<const uint8_t> Stream::written() const {
  if (!base_) return {};
  return {base_, static_cast<size_t>(std::min(pos_, size_))};
}

}  // namespace qtf
