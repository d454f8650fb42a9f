// A small CFF font built byte by byte: one name, a Top DICT, the String INDEX, no global
// subroutines, a Private DICT (default width 100, nominal 50) and the CharStrings.
#pragma once

#include <cstdint>
#include <vector>

namespace cff_build {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
inline void putInt(Bytes& out, int32_t v) {  // 5-byte DICT integer
  out.push_back(29);
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
inline Bytes index(const std::vector<Bytes>& elements) {
  Bytes out;
  put16(out, static_cast<uint32_t>(elements.size()));
  if (elements.empty()) return out;
  out.push_back(4);
  uint32_t offset = 1;
  auto put32 = [&](uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
  };
  put32(offset);
  for (const auto& e : elements) put32(offset += static_cast<uint32_t>(e.size()));
  for (const auto& e : elements) out.insert(out.end(), e.begin(), e.end());
  return out;
}

// extraTop: more Top DICT entries; strings: the String INDEX (SIDs 391 on).
inline Bytes buildFont(const std::vector<Bytes>& charstrings, uint8_t major = 1, int names = 1,
                       const Bytes& extraTop = {}, const std::vector<Bytes>& strings = {}) {
  const Bytes privateDict = {139 + 100, 20, 139 + 50, 21};  // default 100, nominal 50
  const Bytes nameIndex = index(std::vector<Bytes>(names, Bytes{'A'}));
  const Bytes stringIndex = index(strings);
  const Bytes empty = index({});
  const size_t topSize = 5 + 1 + 5 + 5 + 1 + extraTop.size();  // CharStrings, Private, extra
  const size_t before = 4 + nameIndex.size() + (2 + 1 + 8 + topSize) + stringIndex.size() + empty.size();
  const uint32_t privateAt = static_cast<uint32_t>(before);
  const uint32_t charStringsAt = privateAt + static_cast<uint32_t>(privateDict.size());
  Bytes top;
  putInt(top, static_cast<int32_t>(charStringsAt));
  top.push_back(17);
  putInt(top, static_cast<int32_t>(privateDict.size()));
  putInt(top, static_cast<int32_t>(privateAt));
  top.push_back(18);
  top.insert(top.end(), extraTop.begin(), extraTop.end());
  Bytes out = {major, 0, 4, 4};
  for (const Bytes& part : {nameIndex, index({top}), stringIndex, empty, privateDict, index(charstrings)})
    out.insert(out.end(), part.begin(), part.end());
  return out;
}

}  // namespace cff_build
