// Header and record framing of a native file: the primitive reads the reader makes on
// the file stream, and the two framing writes the writer needs.
//
// Every length taken from the file is checked against the bytes left in the file
// before anything is allocated or skipped: a record that claims more than is left
// fails (the stream's failbit is set), and skips only go forward.
//
// The position is counted here rather than asked of the stream: asking a file stream
// costs a system call and drops its buffer, and the reader asks before every record.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "native/stream/stream.h"

namespace qtf {

// The record a read stopped in: the byte offset of its header and its tag (negative
// while the header is not read whole). `started` is false before the first record.
struct RecordPlace {
  bool started = false;
  int32_t tag = -1;
  uint64_t offset = 0;
};

class RecordInput {
 public:
  explicit RecordInput(std::istream* in) : in_(in) {}

  std::istream* stream() const { return in_; }
  // No stream, or one of fail, bad or end-of-file set.
  bool good() const { return in_ && in_->good(); }
  // Marks the stream failed (a framing rule was broken).
  void setFailed();

  // Seeks to 0, checks magic, marks and version, then seeks to the first record.
  bool checkHeader();
  // Tag 2 / length 0 when the stream is already not good (returns true); false when
  // the header cannot be read completely. Applies the long-length rule.
  [[nodiscard]] bool readRecordHeader(uint16_t& tag, uint32_t& length);
  // Forward seek; fails when the length passes the end of the file.
  [[nodiscard]] bool skipPayload(uint64_t length);
  // Reads and skips records until one with the tag has been skipped.
  [[nodiscard]] bool skipPast(uint16_t tag, uint32_t* length = nullptr);
  // Rewinds the payload stream and loads length bytes into it; its read limit is the
  // payload's end.
  [[nodiscard]] bool loadPayload(Stream& payload, uint32_t length);
  [[nodiscard]] bool readRecordString(uint32_t length, std::string& out);
  [[nodiscard]] bool readRawBytes(void* out, uint64_t length);
  [[nodiscard]] bool readBytes(uint32_t length, std::vector<uint8_t>& out);
  uint16_t readU16();
  int16_t readI16() { return static_cast<int16_t>(readU16()); }
  uint32_t readU32();
  double readDouble();

  // Bytes between the current position and the end of the file (0 when unknown or
  // the stream is not good).
  uint64_t bytesLeft();

  // The record whose header was read last since the header check.
  const RecordPlace& lastRecord() const { return lastRecord_; }

 private:
  bool ensureEnd();
  // Good, and `length` bytes are left in the file; a longer length marks it failed.
  bool fitsInFile(uint64_t length);

  // Counts bytes the stream really delivered or skipped.
  void advance(uint64_t count) { pos_ += count; }

  std::istream* in_;
  uint64_t pos_ = 0;
  uint64_t end_ = 0;
  bool endKnown_ = false;
  RecordPlace lastRecord_;
};

// The 44 header bytes as the writer puts them.
std::vector<uint8_t> encodeFileHeader();
// tag, length (u16 each) or, from 65536 bytes on, tag | 0x8000 and a u32 length.
std::vector<uint8_t> encodeRecordHeader(uint16_t tag, uint64_t length);
bool writeRecordHeader(std::ostream& out, uint16_t tag, uint64_t length);

}  // namespace qtf
