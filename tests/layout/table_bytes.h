// Test-only builders of binary GSUB/GPOS tables, independent of the production writer,
// and the read/write calls the table tests share.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout/glyph_id_map.h"
#include "layout/layout_bin_parser.h"
#include "layout/layout_bin_writer.h"
#include "layout/layout_fea.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"

namespace table_bytes {

using otl::ot_bin_layout::LayoutBinParser;
using otl::ot_bin_layout::LayoutBinWriter;

// Test-only big-endian builder, independent of the production writer.
struct Bytes {
  std::string b;
  Bytes& u16(uint32_t v) { b += char(v >> 8), b += char(v); return *this; }
  Bytes& u32(uint32_t v) { return u16(v >> 16).u16(v & 0xFFFF); }
  Bytes& tag(const char* t) { b.append(t, 4); return *this; }
  Bytes& add(const std::string& s) { b += s; return *this; }
  void set16(size_t at, size_t v) { b[at] = char(v >> 8), b[at + 1] = char(v); }
};

inline uint16_t at16(const std::string& b, size_t at) { return uint16_t((uint8_t(b[at]) << 8) | uint8_t(b[at + 1])); }

inline std::string coverage(const std::vector<uint16_t>& glyphs) {
  Bytes c;
  c.u16(1).u16(glyphs.size());
  for (uint16_t g : glyphs) c.u16(g);
  return c.b;
}

// Coverage format 2 of one range.
inline std::string coverageRange(uint16_t first, uint16_t last) {
  return Bytes().u16(2).u16(1).u16(first).u16(last).u16(0).b;
}

// Single substitution format 2 (from -> to, sorted by from).
inline std::string singleSubst(const std::vector<std::pair<uint16_t, uint16_t>>& map) {
  Bytes s;
  s.u16(2).u16(6 + 2 * map.size()).u16(map.size());
  std::vector<uint16_t> from;
  for (auto [a, b] : map) s.u16(b), from.push_back(a);
  return s.add(coverage(from)).b;
}

inline std::string lookup(uint16_t type, uint16_t flag, const std::vector<std::string>& subtables, int markSet = -1) {
  Bytes l;
  l.u16(type).u16(flag).u16(subtables.size());
  size_t at = 6 + 2 * subtables.size() + (markSet >= 0 ? 2 : 0);
  for (const auto& s : subtables) l.u16(at), at += s.size();
  if (markSet >= 0) l.u16(markSet);
  for (const auto& s : subtables) l.add(s);
  return l.b;
}

inline std::string extension(uint16_t type, uint16_t innerType, const std::string& subtable, uint16_t format = 1) {
  return lookup(type, 0, {Bytes().u16(format).u16(innerType).u32(8).add(subtable).b});
}

// Script "latn" (DefaultLangSys naming every feature), one feature "test" per lookup list.
inline std::string table(const std::vector<std::string>& lookups) {
  Bytes t;
  t.u32(0x00010000).u16(10).u16(0).u16(0);
  t.u16(1).tag("latn").u16(8);                       // ScriptList
  t.u16(4).u16(0).u16(0).u16(0xFFFF).u16(1).u16(0);  // Script, DefaultLangSys
  t.set16(6, t.b.size());
  t.u16(1).tag("test").u16(8).u16(0).u16(lookups.size());  // FeatureList
  for (size_t i = 0; i < lookups.size(); ++i) t.u16(i);
  t.set16(8, t.b.size());
  const size_t list = t.b.size();
  t.u16(lookups.size());
  size_t at = 2 + 2 * lookups.size();
  for (const auto& l : lookups) t.u16(at), at += l.size();
  for (const auto& l : lookups) t.add(l);
  EXPECT_LT(list, 65536u);
  return t.b;
}

// The same table with each subtable behind an Extension lookup, its data after the
// LookupList (32-bit offsets, so the input may exceed 64 KiB).
inline std::string tableOfExtensions(uint16_t innerType, const std::vector<std::string>& subtables) {
  const std::string stub = Bytes().u16(7).u16(0).u16(1).u16(8).u16(1).u16(innerType).u32(0).b;
  Bytes t{table(std::vector<std::string>(subtables.size(), stub))};
  const size_t list = at16(t.b, 8);
  for (size_t i = 0; i < subtables.size(); ++i) {
    const size_t record = list + at16(t.b, list + 2 + 2 * i) + 8;
    const size_t distance = t.b.size() - record;
    t.set16(record + 4, distance >> 16);
    t.set16(record + 6, distance & 0xFFFF);
    t.add(subtables[i]);
  }
  return t.b;
}

inline otl::GlyphIdMap glyphOrder(size_t count) {
  std::vector<std::string> names;
  for (size_t i = 0; i < count; ++i) names.push_back("tio" + std::to_string(i));
  otl::GlyphIdMap map;
  map.fill(names);
  return map;
}

// With `reports`, the parser's diagnostics are copied there.
inline bool parse(otl::LayoutTableBlock& block, const std::string& bytes, const otl::GlyphIdMap& glyphs, uint32_t id = 1,
                  otl::Diagnostics* reports = nullptr) {
  ot::BinaryReader reader(bytes);
  LayoutBinParser parser;
  const bool read = parser.parse(&block, reader, id, glyphs);
  if (reports) *reports = parser.diagnostics();
  return read;
}

inline std::string write(const otl::LayoutTableBlock& block, const otl::GlyphIdMap& glyphs, LayoutBinWriter& writer) {
  ot::BinaryWriter out;
  EXPECT_TRUE(writer.write(&block, out, glyphs));
  return out.str();
}

}  // namespace table_bytes
