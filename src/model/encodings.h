// Process-wide glyph-name encoding tables: glyph names with 8-bit character
// codes, sorted by name, and an index from code to entry.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace vn {

struct EncodingEntry {
  const char* name;
  int32_t code;
};

class EncodingTable {
 public:
  // Index value of a code that no entry has.
  static constexpr uint16_t kNoEntry = 65535;

  // Takes a copy of the entries; sorts them by name (byte-wise) when asked,
  // otherwise they must already be sorted.
  EncodingTable(std::span<const EncodingEntry> entries, bool sortByName);

  std::span<const EncodingEntry> entries() const { return entries_; }
  size_t size() const { return entries_.size(); }
  // Position of the entry with the code, kNoEntry when none (or out of 0..255).
  uint16_t indexOfCode(int code) const;
  // The entry with the code, or null.
  const EncodingEntry* entryForCode(int code) const;
  // Binary search by name (byte-wise); the entry's code, or -1.
  int32_t codeForName(std::string_view name) const;

 private:
  std::vector<EncodingEntry> entries_;
  std::array<uint16_t, 256> index_{};
};

// The four tables, each built on first use.
class Encodings {
 public:
  // The PostScript standard encoding (149 entries).
  static const EncodingTable& standard();
  static const EncodingTable& table255();
  static const EncodingTable& table228();
  static const EncodingTable& table223();

  // Code of the name in the standard encoding, or -1.
  static int32_t standardCodeForName(std::string_view name) { return standard().codeForName(name); }
};

namespace detail {
// The standard encoding as stored, already sorted by name.
std::span<const EncodingEntry> standardEncodingEntries();
}  // namespace detail

}  // namespace vn
