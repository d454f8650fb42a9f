// A four-byte OpenType tag, kept in file byte order and ordered by its big-endian value.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ot {

class BinaryReader;
class BinaryWriter;

// The big-endian value of a four-character tag, as the tables store it.
constexpr uint32_t tagValue(const char (&text)[5]) {
  return (uint32_t{static_cast<uint8_t>(text[0])} << 24) | (uint32_t{static_cast<uint8_t>(text[1])} << 16) |
         (uint32_t{static_cast<uint8_t>(text[2])} << 8) | uint32_t{static_cast<uint8_t>(text[3])};
}

// The tags the layout and the feature-file compiler look for by name.
inline constexpr uint32_t kTagDFLT = tagValue("DFLT");  // the default script
inline constexpr uint32_t kTagDflt = tagValue("dflt");  // the default language
inline constexpr uint32_t kTagGSUB = tagValue("GSUB");
inline constexpr uint32_t kTagGPOS = tagValue("GPOS");
inline constexpr uint32_t kTagAalt = tagValue("aalt");
inline constexpr uint32_t kTagSize = tagValue("size");
inline constexpr uint32_t kTagVkrn = tagValue("vkrn");

class Tag {
 public:
  Tag() = default;
  // First four bytes of the text; a shorter text leaves the rest zero (not blanks).
  static Tag fromString(std::string_view text);
  static Tag fromString(const char* text) { return fromString(std::string_view(text ? text : "")); }
  static Tag fromUInt32(uint32_t value);

  // Equal up to and including the first zero byte, or in all four bytes.
  bool operator==(const Tag& other) const;
  bool operator!=(const Tag& other) const { return !(*this == other); }
  // Big-endian 32-bit order, i.e. byte order: "DFLT" < "arab", "latn" < "liga".
  bool operator<(const Tag& other) const { return value() < other.value(); }

  uint32_t value() const;
  const std::array<uint8_t, 4>& bytes() const { return bytes_; }
  // True when all four bytes match (the registry's match).
  bool sameBytes(const Tag& other) const { return bytes_ == other.bytes_; }

  // Bytes up to the first zero, in a static buffer the next call overwrites.
  const char* toString() const;
  // The same as an owned string.
  std::string text() const;
  // Four characters with zero bytes turned into blanks: the form written to files.
  std::string padded() const;

  static Tag read(BinaryReader& reader);
  static Tag readAt(BinaryReader& reader, uint32_t& position);
  // Writes the four bytes, zero bytes as blanks so no NUL reaches a table.
  void write(BinaryWriter& writer) const;

 private:
  std::array<uint8_t, 4> bytes_{};
};

// Base of everything identified by a tag (scripts, languages, features).
class TagObject {
 public:
  TagObject() = default;
  explicit TagObject(Tag tag) : tag(tag) {}
  virtual ~TagObject() = default;
  TagObject(const TagObject&) = default;
  TagObject& operator=(const TagObject&) = default;

  Tag tag;
};

}  // namespace ot
