#include "native/writer_records.h"

#include <array>
#include <bit>
#include <cstring>

#include "native/record_framing.h"

namespace qtf {

namespace {

template <size_t N>
std::array<uint8_t, N> littleEndian(uint64_t value) {
  std::array<uint8_t, N> bytes{};
  for (size_t i = 0; i < N; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
  return bytes;
}

}  // namespace

RecordWriter::RecordWriter(std::ostream& out) : out_(out) {
  payload_.ensure(kInitialPayloadRoom);
  payload_.setGrowable(true);
}

bool RecordWriter::header(uint16_t tag, uint64_t length) { return writeRecordHeader(out_, tag, length); }

bool RecordWriter::bytes(uint16_t tag, const void* data, uint64_t length) {
  if (!header(tag, length)) return false;
  if (length > 0) out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(length));
  return good();
}

bool RecordWriter::f64(uint16_t tag, double value) {
  return bytes(tag, littleEndian<8>(std::bit_cast<uint64_t>(value)));
}

bool RecordWriter::u32(uint16_t tag, uint32_t value) { return bytes(tag, littleEndian<4>(value)); }

bool RecordWriter::u16(uint16_t tag, uint16_t value) { return bytes(tag, littleEndian<2>(value)); }

Stream& RecordWriter::payload() {
  payload_.rewind();
  return payload_;
}

}  // namespace qtf
