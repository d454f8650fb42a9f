#include "layout/ot/tag.h"

#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"

namespace ot {

Tag Tag::fromString(std::string_view text) {
  Tag tag;
  for (size_t i = 0; i < 4 && i < text.size(); ++i) tag.bytes_[i] = static_cast<uint8_t>(text[i]);
  return tag;
}

Tag Tag::fromUInt32(uint32_t value) {
  Tag tag;
  for (int i = 0; i < 4; ++i) tag.bytes_[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
  return tag;
}

bool Tag::operator==(const Tag& other) const {
  for (size_t i = 0; i < 4; ++i) {
    if (bytes_[i] != other.bytes_[i]) return false;
    if (bytes_[i] == 0) return true;
  }
  return true;
}

uint32_t Tag::value() const {
  return (uint32_t{bytes_[0]} << 24) | (uint32_t{bytes_[1]} << 16) | (uint32_t{bytes_[2]} << 8) |
         uint32_t{bytes_[3]};
}

const char* Tag::toString() const {
  static char buffer[5];
  const std::string owned = text();
  owned.copy(buffer, 4);
  buffer[owned.size()] = '\0';
  return buffer;
}

std::string Tag::text() const {
  std::string out;
  for (uint8_t b : bytes_) {
    if (b == 0) break;
    out.push_back(static_cast<char>(b));
  }
  return out;
}

std::string Tag::padded() const {
  std::string out = text();
  out.resize(4, ' ');
  return out;
}

Tag Tag::read(BinaryReader& reader) {
  Tag tag;
  const auto bytes = reader.readBytes(4);
  for (size_t i = 0; i < 4; ++i) tag.bytes_[i] = bytes[i];
  return tag;
}

Tag Tag::readAt(BinaryReader& reader, uint32_t& position) {
  reader.seek(position);
  Tag tag = read(reader);
  position += 4;
  return tag;
}

void Tag::write(BinaryWriter& writer) const {
  for (uint8_t b : bytes_) writer.writeUInt8(b == 0 ? ' ' : b);
}

}  // namespace ot
