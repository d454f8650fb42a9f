// Test-only helpers of the layout codec tests: a big-endian byte builder (written apart
// from the production writer), a glyph map of names g0..g299 and a class table.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "layout/glyph_id_map.h"
#include "layout/glyph_slot.h"

namespace codec_test {

// Big-endian 16-bit words as bytes.
inline std::string words(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) {
    const auto u = static_cast<uint16_t>(v);
    bytes.push_back(static_cast<char>(u >> 8));
    bytes.push_back(static_cast<char>(u & 0xFF));
  }
  return bytes;
}

struct Glyphs {
  Glyphs() {
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) names.push_back("g" + std::to_string(i));
    map.fill(names);
  }
  // Registry ids of glyph indices.
  otl::GlyphList ids(std::initializer_list<int> indices) const {
    otl::GlyphList out;
    for (int i : indices) out.push_back(map.idOf(static_cast<uint16_t>(i)));
    return out;
  }
  uint32_t id(int index) const { return map.idOf(static_cast<uint16_t>(index)); }

  otl::GlyphIdMap map;
  vn::FeaGlyphGroups groups;
  vn::FeaGlyphGroups* table = &groups;
  otl::GlyphClassHolder holder = &table;
};

}  // namespace codec_test
