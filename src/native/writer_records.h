// Record output of the native writer: the record framing over the output file and
// the payload stream in which record contents are built.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string_view>

#include "native/stream/stream.h"

namespace qtf {

class RecordWriter {
 public:
  // Room the payload stream is prepared with.
  static constexpr uint64_t kInitialPayloadRoom = 30000;

  explicit RecordWriter(std::ostream& out);

  bool good() const { return out_.good(); }
  std::ostream& stream() { return out_; }

  // Tag and length, with the long-length form from 65536 bytes on.
  bool header(uint16_t tag, uint64_t length);
  bool empty(uint16_t tag) { return header(tag, 0); }
  bool bytes(uint16_t tag, const void* data, uint64_t length);
  bool bytes(uint16_t tag, std::span<const uint8_t> data) { return bytes(tag, data.data(), data.size()); }
  bool text(uint16_t tag, std::string_view text) { return bytes(tag, text.data(), text.size()); }
  bool f64(uint16_t tag, double value);
  bool u32(uint16_t tag, uint32_t value);
  bool u16(uint16_t tag, uint16_t value);

  // The payload stream, rewound, ready for the next record's contents.
  Stream& payload();
  // Writes what has been built in the payload stream as one record.
  bool payloadRecord(uint16_t tag) { return bytes(tag, payload_.written()); }

 private:
  std::ostream& out_;
  Stream payload_;
};

}  // namespace qtf
