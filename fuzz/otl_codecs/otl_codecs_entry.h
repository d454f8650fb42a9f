// Fuzz entry over the layout codecs and subtable kinds, shared by the libFuzzer target
// and the regression replay test. The first byte picks the reader; the rest is the block.
// Returns false when an invariant breaks: what was read is written, what was written is
// read back, and writing that again gives the same bytes.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <cstdint>
#include <string>
#include <vector>

#include "layout/glyph_id_map.h"
#include "layout/glyph_indices.h"
#include "layout/lookup.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/records.h"

namespace fuzz {

inline const otl::GlyphIdMap& otlGlyphs() {
  static const otl::GlyphIdMap map = [] {
    std::vector<std::string> names;
    for (int i = 0; i < 600; ++i) names.push_back("fz" + std::to_string(i));
    otl::GlyphIdMap m;
    m.fill(names);
    return m;
  }();
  return map;
}

// (table id, type code) of every kind, in selector order after the five codecs.
inline constexpr uint32_t kOtlKinds[][2] = {{1, 11}, {1, 12}, {1, 13}, {1, 14}, {1, 15}, {1, 16}, {1, 18},
                                           {2, 1},  {2, 2},  {2, 3},  {2, 4},  {2, 5},  {2, 6},  {2, 7}, {2, 8}};

// Reads `bytes` with reader `which` and writes the result; false when reading failed.
inline bool otlReadWrite(unsigned which, const std::string& bytes, std::string& written) {
  const auto& map = otlGlyphs();
  const otl::LookupIndexMap lookups{{0, 0}, {1, 1}, {2, 2}};
  vn::FeaGlyphGroups groups;
  vn::FeaGlyphGroups* table = &groups;
  ot::BinaryReader reader(bytes);
  reader.startBudget();
  ot::BinaryWriter writer;
  try {
    switch (which) {
      case 0: {
        std::vector<uint16_t> indices;
        ot::readCoverageIndices(indices, reader, 0, map.glyphCount());
        std::sort(indices.begin(), indices.end());
        indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
        ot::writeCoverageTable(writer, indices);
        break;
      }
      case 1: {
        otl::ClassDefinitionTable classes;
        classes.readBinary(reader, 0, map);
        classes.writeBinary(writer, map);
        break;
      }
      case 2: {
        otl::DeviceTable device;
        if (device.readBinary(reader, 0)) device.pack(writer);
        break;
      }
      case 3: {
        otl::AnchorTable anchor;
        anchor.readBinary(reader, 0);
        anchor.writeBinary(writer);
        break;
      }
      case 4: {
        otl::GPosValue value;
        value.readBinary(reader, 2, 0, static_cast<uint16_t>(bytes.size() >= 2 ? (uint8_t(bytes[0]) << 8 | uint8_t(bytes[1])) : 0));
        std::array<uint32_t, 4> fields{};
        writer.writeUInt16(value.valueFormat());
        value.writeBinary(writer, value.valueFormat(), fields);
        value.writeDevices(writer, 0, fields);
        break;
      }
      default: {
        const auto* kind = kOtlKinds[(which - 5) % std::size(kOtlKinds)];
        otl::Lookup lookup(0, &table);
        lookup.tableId = kind[0];
        lookup.typeCode = kind[1];
        auto subtable = lookup.createSubtable();
        subtable->readBinary(reader, 0, lookups, map);
        lookup.addSubtable(std::move(subtable));
        for (auto& piece : lookup.subtables) piece->writeBinary(writer, lookups, map, 0);
        break;
      }
    }
  } catch (const ot::Exception&) {
    return false;
  }
  written = writer.str();
  return true;
}

inline bool otlCodecsEntry(const uint8_t* data, size_t size) {
  if (size < 1) return true;
  const unsigned which = data[0] % (5 + std::size(kOtlKinds));
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string first, second, third;
  if (!otlReadWrite(which, input, first)) return true;
  // A context subtable of several rules is written as several subtables: only one is
  // read back, so its bytes are not compared.
  if (first.empty()) return true;
  if (!otlReadWrite(which, first, second)) return false;
  if (!otlReadWrite(which, second, third)) return false;
  return second == third;
}

}  // namespace fuzz
