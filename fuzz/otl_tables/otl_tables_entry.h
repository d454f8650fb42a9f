// Fuzz entry over the binary GSUB/GPOS/GDEF reader and writer, shared by the libFuzzer
// target and the regression replay test. Input: one selector byte (GSUB, GPOS, GDEF),
// then the table bytes; the font has 600 glyphs. Returns false when an invariant breaks:
// a table that was read and written must read back and be written again; from there on
// reading and writing must give the same bytes. (The first pass may normalise: glyph
// indices past the glyph order all become the "no glyph" id.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "layout/glyph_id_map.h"
#include "layout/layout_bin_parser.h"
#include "layout/layout_bin_writer.h"
#include "layout/layout_fea.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"

namespace fuzz {

inline const otl::GlyphIdMap& fuzzGlyphOrder() {
  static const otl::GlyphIdMap map = [] {
    std::vector<std::string> names;
    for (int i = 0; i < 600; ++i) names.push_back("fz" + std::to_string(i));
    otl::GlyphIdMap glyphs;
    glyphs.fill(names);
    return glyphs;
  }();
  return map;
}

// Reads the table into a fresh layout and writes it; "" when it was refused.
inline std::string otlTablesRoundTrip(uint32_t tableId, std::string_view bytes) {
  const otl::GlyphIdMap& glyphs = fuzzGlyphOrder();
  otl::LayoutFea layout(nullptr, "");
  ot::BinaryReader reader(bytes);
  ot::BinaryWriter writer;
  try {
    if (tableId == 3) {
      if (!layout.gdef().readBinary(reader, glyphs)) return {};
      if (!layout.gdef().writeBinary(writer, glyphs)) return {};
    } else {
      otl::ot_bin_layout::LayoutBinParser parser;
      if (!parser.parse(layout.block(tableId), reader, tableId, glyphs)) return {};
      otl::ot_bin_layout::LayoutBinWriter tableWriter;
      if (!tableWriter.write(layout.block(tableId), writer, glyphs)) return {};
    }
  } catch (const ot::Exception&) {
    return {};
  }
  return writer.str();
}

inline bool otlTablesEntry(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return true;
  const uint32_t tableId = 1 + data[0] % 3;
  const std::string first =
      otlTablesRoundTrip(tableId, std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  if (first.empty()) return true;
  const std::string second = otlTablesRoundTrip(tableId, first);
  return !second.empty() && otlTablesRoundTrip(tableId, second) == second;
}

}  // namespace fuzz
