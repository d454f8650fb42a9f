#include "native/record_framing.h"

#include <cstring>

#include "native/tags.h"

namespace qtf {

namespace {
// Skips from this length on seek instead of reading through.
constexpr uint64_t kSeekFrom = uint64_t{1} << 20;
}  // namespace

void RecordInput::setFailed() {
  if (in_) in_->setstate(std::ios::failbit);
}

bool RecordInput::ensureEnd() {
  if (endKnown_) return true;
  if (!good()) return false;
  const std::streampos here = in_->tellg();
  if (here == std::streampos(-1)) return false;
  in_->seekg(0, std::ios::end);
  const std::streampos end = in_->tellg();
  in_->seekg(here);
  if (end == std::streampos(-1) || !in_->good()) {
    in_->clear();
    in_->seekg(here);
    return false;
  }
  end_ = static_cast<uint64_t>(static_cast<std::streamoff>(end));
  endKnown_ = true;
  return true;
}

uint64_t RecordInput::bytesLeft() {
  if (!good() || !ensureEnd()) return 0;
  return pos_ < end_ ? end_ - pos_ : 0;
}

bool RecordInput::checkHeader() {
  if (!in_) return false;
  in_->seekg(0);
  pos_ = 0;
  lastRecord_ = RecordPlace{};
  if (!good()) return false;
  endKnown_ = false;
  if (!ensureEnd()) {
    setFailed();
    return false;
  }
  const uint32_t magic = readU32();
  uint8_t marks[4] = {};
  if (!readRawBytes(marks, 4)) return false;  // major, minor, version, unused
  const uint32_t offset = readU32();
  if (!good() || magic != kMagic || marks[0] != kMajorMark || marks[1] != kMinorMark ||
      marks[2] != kFormatVersion) {
    return false;
  }
  if (offset > end_) {
    setFailed();
    return false;
  }
  in_->seekg(static_cast<std::streamoff>(offset));
  pos_ = offset;
  return good();
}

bool RecordInput::readRecordHeader(uint16_t& tag, uint32_t& length) {
  tag = tag::kEnd;
  length = 0;
  if (!good()) return true;
  lastRecord_ = RecordPlace{true, -1, pos_};
  const uint16_t rawTag = readU16();
  uint32_t rawLength = readU16();
  if (!good()) return false;
  if (rawTag & kLongLengthFlag) {
    rawLength |= static_cast<uint32_t>(readU16()) << 16;
    if (!good()) return false;
  }
  tag = rawTag & kTagMask;
  length = rawLength;
  lastRecord_.tag = tag;
  // A length past the end of the file is a damaged or cut-off record.
  return fitsInFile(length);
}

bool RecordInput::fitsInFile(uint64_t length) {
  if (!good()) return false;
  if (length > bytesLeft()) {
    setFailed();
    return false;
  }
  return true;
}

bool RecordInput::skipPayload(uint64_t length) {
  if (!good()) return false;
  if (length == 0) return true;
  if (!fitsInFile(length)) return false;
  // Short skips stay within the stream's buffer; long ones seek.
  if (length < kSeekFrom) {
    in_->ignore(static_cast<std::streamsize>(length));
  } else {
    in_->seekg(static_cast<std::streamoff>(length), std::ios::cur);
  }
  advance(length);
  return good();
}

bool RecordInput::skipPast(uint16_t wanted, uint32_t* foundLength) {
  // Each pass consumes at least a record header, so this ends at the file's end.
  while (good()) {
    uint16_t tag = 0;
    uint32_t length = 0;
    if (!readRecordHeader(tag, length)) return false;
    if (!good()) return false;
    if (!skipPayload(length)) return false;
    if (tag == wanted) {
      if (foundLength) *foundLength = length;
      return good();
    }
  }
  return false;
}

bool RecordInput::loadPayload(Stream& payload, uint32_t length) {
  if (!fitsInFile(length)) {
    payload.prepareLoad(0);
    return false;
  }
  uint8_t* dst = payload.prepareLoad(length);
  if (length > 0) {
    in_->read(reinterpret_cast<char*>(dst), static_cast<std::streamsize>(length));
    advance(static_cast<uint64_t>(in_->gcount()));
  }
  return good();
}

bool RecordInput::readRecordString(uint32_t length, std::string& out) {
  out.clear();
  if (!fitsInFile(length)) return false;
  out.resize(length);
  if (length > 0) {
    in_->read(out.data(), static_cast<std::streamsize>(length));
    advance(static_cast<uint64_t>(in_->gcount()));
  }
  return good();
}

bool RecordInput::readBytes(uint32_t length, std::vector<uint8_t>& out) {
  out.clear();
  if (!fitsInFile(length)) return false;
  out.resize(length);
  return readRawBytes(out.data(), length);
}

bool RecordInput::readRawBytes(void* out, uint64_t length) {
  if (length == 0) return true;
  if (!good()) {
    std::memset(out, 0, length);
    return false;
  }
  in_->read(static_cast<char*>(out), static_cast<std::streamsize>(length));
  advance(static_cast<uint64_t>(in_->gcount()));
  if (!good()) {
    std::memset(out, 0, length);
    return false;
  }
  return true;
}

uint16_t RecordInput::readU16() {
  uint8_t b[2];
  if (!readRawBytes(b, 2)) return 0;
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t RecordInput::readU32() {
  uint8_t b[4];
  if (!readRawBytes(b, 4)) return 0;
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
         (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

double RecordInput::readDouble() {
  uint8_t b[8];
  if (!readRawBytes(b, 8)) return 0.0;
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(b[i]) << (8 * i);
  double value;
  std::memcpy(&value, &bits, 8);
  return value;
}

namespace {

void putLe(std::vector<uint8_t>& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> encodeFileHeader() {
  std::vector<uint8_t> out;
  out.reserve(kHeaderSize);
  putLe(out, kMagic, 4);
  out.push_back(kMajorMark);
  out.push_back(kMinorMark);
  out.push_back(kFormatVersion);
  out.push_back(0);
  putLe(out, kHeaderSize, 4);
  for (int i = 0; i < kHeaderReservedWords; ++i) putLe(out, 0, 4);
  return out;
}

std::vector<uint8_t> encodeRecordHeader(uint16_t tag, uint64_t length) {
  std::vector<uint8_t> out;
  if (length > 0xFFFFFFFFull) return out;  // not representable
  const uint16_t realTag = tag & kTagMask;
  if (length >= kLongLengthThreshold) {
    putLe(out, realTag | kLongLengthFlag, 2);
    putLe(out, length, 4);
  } else {
    putLe(out, realTag, 2);
    putLe(out, length, 2);
  }
  return out;
}

bool writeRecordHeader(std::ostream& out, uint16_t tag, uint64_t length) {
  const auto bytes = encodeRecordHeader(tag, length);
  if (bytes.empty()) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return out.good();
}

}  // namespace qtf
