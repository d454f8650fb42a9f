// Pair adjustment format 2: a Coverage of first glyphs, a ClassDef for each side and a
// matrix of value records, one cell per (first class, second class).
#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <ostream>
#include <vector>

#include "layout/glyph_id_map.h"
#include "layout/glyph_indices.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/ot/limits.h"
#include "layout/pair_pos.h"

namespace otl {

namespace {
constexpr uint16_t kClassPairFormat = 2;
// Bytes before the matrix: format, Coverage, two value formats, two ClassDefs, two counts.
constexpr uint32_t kClassPairHeaderSize = 16;

// How many glyphs each class below `count` holds (class 0: its known glyphs).
std::vector<uint32_t> classSizes(const ClassDefinitionTable& classes, uint32_t count) {
  std::vector<uint32_t> sizes(count, 0);
  if (count != 0) sizes[0] = static_cast<uint32_t>(classes.class0.size());
  const size_t n = classes.pairCount();
  for (size_t i = 0; i < n; ++i) {
    if (classes.classes[i] < count) ++sizes[classes.classes[i]];
  }
  return sizes;
}

// The glyphs of every class of a definition, by class.
std::map<uint16_t, GlyphList> glyphsByClass(const ClassDefinitionTable& classes) {
  std::map<uint16_t, GlyphList> lists;
  for (uint32_t c = 0; c <= classes.maxClass(); ++c)
    classes.glyphsOfClass(lists[static_cast<uint16_t>(c)], static_cast<uint16_t>(c));
  return lists;
}
}  // namespace

void LpPairFormat2Impl::readBinary(ot::BinaryReader& r, const PairHeader& header, const GlyphIdMap& map) {
  const uint32_t recordSize = header.recordSize();
  const uint16_t classDef1Offset = r.readUInt16();
  const uint16_t classDef2Offset = r.readUInt16();
  const uint16_t class1Count = r.readUInt16();
  const uint16_t class2Count = r.readUInt16();
  classDef1.readBinary(r, classDef1Offset, map);
  classDef2.readBinary(r, classDef2Offset, map);
  // Class 0 of the first side: the covered glyphs that ClassDef1 does not list.
  GlyphSet classed(classDef1.glyphs.begin(), classDef1.glyphs.end());
  for (uint32_t g : header.covered) {
    if (!classed.count(g)) {
      classDef1.class0.push_back(g);
      classed.insert(g);
    }
  }
  if (recordSize == 0) return;  // every value empty: no pair to keep
  const uint64_t cells = uint64_t{class1Count} * class2Count;
  r.seek(kClassPairHeaderSize);
  r.requireRecords(cells, recordSize);
  r.charge(cells);
  // A class pair stands for the glyphs of its two classes, which the feature text spells
  // out for every pair: one large class in many pairs is charged at each of them.
  const std::vector<uint32_t> sizes1 = classSizes(classDef1, class1Count);
  const std::vector<uint32_t> sizes2 = classSizes(classDef2, class2Count);
  for (uint32_t c1 = 0; c1 < class1Count; ++c1) {
    for (uint32_t c2 = 0; c2 < class2Count; ++c2) {
      GPosClassPair pair;
      pair.class1 = static_cast<uint16_t>(c1);
      pair.class2 = static_cast<uint16_t>(c2);
      pair.value1.readBinary(r, r.position(), 0, header.valueFormat1);
      pair.value2.readBinary(r, r.position(), 0, header.valueFormat2);
      if (pair.bothEmpty()) continue;
      r.keepGlyphs(uint64_t{sizes1[c1]} + sizes2[c2]);
      pairs.push_back(std::move(pair));
    }
  }
}

void LpPairFormat2Impl::writeBinary(ot::BinaryWriter& writer, const GlyphIdMap& map) const {
  const uint32_t class1Count = classDef1.maxClass() + 1u;
  const uint32_t class2Count = classDef2.maxClass() + 1u;
  uint16_t vf1 = 0, vf2 = 0;
  for (const auto& pair : pairs) {
    vf1 |= pair.value1.valueFormat();
    vf2 |= pair.value2.valueFormat();
  }
  const uint64_t recordSize = ot::valueRecordSize(vf1) + ot::valueRecordSize(vf2);
  // The Coverage offset follows the matrix: a matrix past 16-bit reach cannot be written.
  if (kClassPairHeaderSize + uint64_t{class1Count} * class2Count * recordSize > ot::limits::kMaxOffset16)
    throw ot::Exception::offsetOverflow();
  // The pair of each matrix cell (the last one given wins). With records of bytes the check
  // above bounds the matrix; records of no bytes need no matrix at all.
  std::vector<const GPosClassPair*> cells(recordSize == 0 ? 0 : size_t{class1Count} * class2Count, nullptr);
  for (const auto& pair : pairs) {
    if (!cells.empty() && pair.class1 < class1Count && pair.class2 < class2Count)
      cells[size_t{pair.class1} * class2Count + pair.class2] = &pair;
  }
  // Every classed first glyph stays covered, whatever its row holds: a covered glyph stops
  // the lookup at this subtable, and dropping it would let a later subtable apply.
  GlyphSet coveredIds;
  classDef1.collectGlyphs(coveredIds);
  GlyphList coveredList(coveredIds.begin(), coveredIds.end());
  const auto covered = sortedIndices(coveredList, map);
  const uint32_t start = writer.position();
  writer.writeUInt16(kClassPairFormat);
  const uint32_t coverageField = writer.reserveOffset16();
  writer.writeUInt16(vf1);
  writer.writeUInt16(vf2);
  const uint32_t classDef1Field = writer.reserveOffset16();
  const uint32_t classDef2Field = writer.reserveOffset16();
  writer.writeUInt16(static_cast<uint16_t>(class1Count));
  writer.writeUInt16(static_cast<uint16_t>(class2Count));
  struct Devices {
    const GPosClassPair* pair;
    std::array<uint32_t, 4> fields1, fields2;
  };
  std::vector<Devices> devices;
  const GPosValue empty;
  std::array<uint32_t, 4> unused{};
  // Records of no bytes (every value empty) need no walk over the matrix.
  for (uint32_t c1 = 0; recordSize != 0 && c1 < class1Count; ++c1) {
    for (uint32_t c2 = 0; c2 < class2Count; ++c2) {
      const GPosClassPair* cell = cells[size_t{c1} * class2Count + c2];
      if (!cell) {
        empty.writeBinary(writer, vf1, unused);
        empty.writeBinary(writer, vf2, unused);
        continue;
      }
      Devices d{cell, {}, {}};
      cell->value1.writeBinary(writer, vf1, d.fields1);
      cell->value2.writeBinary(writer, vf2, d.fields2);
      devices.push_back(d);
    }
  }
  ot::writeOffset(writer, start, coverageField);
  writeCoverageTable(writer, covered);
  ot::writeOffset(writer, start, classDef1Field);
  classDef1.writeBinary(writer, map);
  ot::writeOffset(writer, start, classDef2Field);
  classDef2.writeBinary(writer, map);
  for (const auto& d : devices) {
    d.pair->value1.writeDevices(writer, start, d.fields1);
    d.pair->value2.writeDevices(writer, start, d.fields2);
  }
}

void LpPairFormat2Impl::writeFea(std::ostream& out) const {
  uint16_t vf2 = 0;
  for (const auto& p : pairs) vf2 |= p.value2.valueFormat();
  std::map<uint16_t, GlyphList> classes1 = glyphsByClass(classDef1), classes2 = glyphsByClass(classDef2);
  for (const auto& p : pairs) {
    if (!vf2 && p.value1.isEmpty()) continue;
    out << " pos ";
    classDef1.writeFeaClass(out, p.class1, &classes1);
    out << ' ';
    if (vf2) {
      p.value1.writeFea(out);
      out << ' ';
      classDef2.writeFeaClass(out, p.class2, &classes2);
      out << ' ';
      p.value2.writeFea(out);
    } else {
      classDef2.writeFeaClass(out, p.class2, &classes2);
      out << ' ';
      p.value1.writeFea(out);
    }
    out << ";\n" << std::flush;
  }
  writeFeaZeroRows(out, vf2 != 0, classes1, classes2);
}

// A covered first glyph stops the lookup at this subtable even where its row is all
// zero, so later subtables never kern it. Compilers cover only the first glyphs that
// rules name: each first class without a written pair gets a zero pair with a second
// class of the subtable (its cell is zero too).
void LpPairFormat2Impl::writeFeaZeroRows(std::ostream& out, bool twoValues,
                                         const std::map<uint16_t, GlyphList>& classes1,
                                         const std::map<uint16_t, GlyphList>& classes2) const {
  const auto second = std::find_if(classes2.begin(), classes2.end(),
                                   [](const auto& entry) { return entry.first != 0 && !entry.second.empty(); });
  if (second == classes2.end()) return;
  std::set<uint16_t> written;
  for (const auto& p : pairs) {
    if (twoValues || !p.value1.isEmpty()) written.insert(p.class1);
  }
  const GPosValue zero;
  for (const auto& [class1, glyphs] : classes1) {
    if (glyphs.empty() || written.count(class1)) continue;
    out << " pos ";
    writeFeaGlyphList(&glyphs, out, 1, 0, -1);
    out << ' ';
    if (twoValues) {
      zero.writeFea(out);
      out << ' ';
    }
    writeFeaGlyphList(&second->second, out, 1, 0, -1);
    out << ' ';
    zero.writeFea(out);
    out << ";\n" << std::flush;
  }
}

void LpPairFormat2Impl::pruneByGlyphs(const GlyphSet& remove) {
  classDef1.pruneByGlyphs(remove);
  classDef2.pruneByGlyphs(remove);
  const uint16_t max1 = classDef1.maxClass();
  const uint16_t max2 = classDef2.maxClass();
  std::erase_if(pairs, [&](const GPosClassPair& p) {
    return p.class1 > max1 || p.class2 > max2 || !classDef1.hasClass(p.class1) || !classDef2.hasClass(p.class2) ||
           p.bothEmpty();
  });
}

void LpPairFormat2Impl::collectGlyphs(GlyphSet& out) const {
  classDef1.collectGlyphs(out);
  classDef2.collectGlyphs(out);
}

}  // namespace otl
