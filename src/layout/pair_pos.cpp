#include "layout/pair_pos.h"

#include <algorithm>
#include <map>
#include <ostream>
#include <vector>

#include "layout/glyph_id_map.h"
#include "layout/limits.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/coverage.h"
#include "layout/ot/exception.h"

namespace otl {

namespace {
// Lines of glyph pairs after which the feature text breaks the subtable.
constexpr uint32_t kPairLinesPerSubtable = 15000;

[[noreturn]] void noFormat() { throw ot::Exception(ot::Exception::kUnsupported, "pair subtable without its format"); }
}  // namespace

bool classPairLess(const GPosClassPair& a, const GPosClassPair& b) {
  return a.class1 != b.class1 ? a.class1 < b.class1 : a.class2 < b.class2;
}

LpPair::LpPair(uint16_t pairFormat) : LookupSubtable(kTableGpos, kGposPair, nullptr), format(pairFormat) {
  if (pairFormat == 1) format1 = std::make_unique<LpPairFormat1Impl>();
  else format2 = std::make_unique<LpPairFormat2Impl>();
}

size_t LpPair::pairCount() const {
  if (format == 1 && format1) return format1->pairs.size();
  if (format == 2 && format2) return format2->pairs.size();
  return 0;
}

bool LpPair::isEmpty() const {
  if (format == 1 && format1) return format1->pairs.empty();
  if (format == 2 && format2) return format2->pairs.empty();
  noFormat();
}

void LpPair::assign(const LpPair& other) {
  if (this == &other) return;
  tableId = other.tableId;
  typeCode = other.typeCode;
  format = other.format;
  format1 = other.format1 ? std::make_unique<LpPairFormat1Impl>(*other.format1) : nullptr;
  format2 = other.format2 ? std::make_unique<LpPairFormat2Impl>(*other.format2) : nullptr;
}

std::unique_ptr<LookupSubtable> LpPair::clone(GlyphClassHolder) const {
  auto copy = std::make_unique<LpPair>(Bare{});
  copy->assign(*this);
  return copy;
}

void LpPair::readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap&, const GlyphIdMap& map) {
  ot::BinaryReader r = reader.window(offset);
  const uint16_t posFormat = r.readUInt16();
  if (posFormat != 1 && posFormat != 2) throw ot::Exception(ot::Exception::kUnsupported, "unknown pair format");
  format1.reset();
  format2.reset();
  format = posFormat;
  GlyphList covered;
  readCoverageTable(covered, r, r.readUInt16(), map);
  const uint16_t vf1 = r.readUInt16();
  const uint16_t vf2 = r.readUInt16();
  const uint32_t recordSize = valueRecordSize(vf1) + valueRecordSize(vf2);
  if (posFormat == 1) {
    format1 = std::make_unique<LpPairFormat1Impl>();
    const uint16_t setCount = r.readUInt16();
    if (setCount > covered.size()) r.fail("more pair sets than covered glyphs");
    r.requireRecords(setCount, 2);
    std::vector<uint16_t> setOffsets(setCount);
    for (auto& o : setOffsets) o = r.readUInt16();
    for (size_t i = 0; i < setCount; ++i) {
      r.seek(setOffsets[i]);
      const uint16_t count = r.readUInt16();
      r.requireRecords(count, 2 + recordSize);
      // Pair sets may share one offset: the charge follows the memory the kept records
      // take, not the bytes they are read from.
      r.charge(limits::keptRecordSteps(count, 2 + recordSize));
      std::vector<GPosSpecificPair>& pairs = format1->pairs;
      if (pairs.capacity() - pairs.size() < count) pairs.reserve(std::max(pairs.size() + count, 2 * pairs.capacity()));
      for (uint16_t k = 0; k < count; ++k) {
        GPosSpecificPair pair;
        pair.first = covered[i];
        pair.second = map.idOf(r.readUInt16());
        pair.value1.readBinary(r, r.position(), 0, vf1);
        pair.value2.readBinary(r, r.position(), 0, vf2);
        format1->pairs.push_back(std::move(pair));
      }
    }
    return;
  }
  format2 = std::make_unique<LpPairFormat2Impl>();
  const uint16_t classDef1 = r.readUInt16();
  const uint16_t classDef2 = r.readUInt16();
  const uint16_t class1Count = r.readUInt16();
  const uint16_t class2Count = r.readUInt16();
  format2->classDef1.readBinary(r, classDef1, map);
  format2->classDef2.readBinary(r, classDef2, map);
  // Class 0 of the first side: the covered glyphs that ClassDef1 does not list.
  GlyphSet classed(format2->classDef1.glyphs.begin(), format2->classDef1.glyphs.end());
  for (uint32_t g : covered) {
    if (!classed.count(g)) {
      format2->classDef1.class0.push_back(g);
      classed.insert(g);
    }
  }
  if (recordSize == 0) return;  // every value empty: no pair to keep
  const uint64_t cells = uint64_t{class1Count} * class2Count;
  r.seek(16);
  r.requireRecords(cells, recordSize);
  r.charge(cells);
  for (uint32_t c1 = 0; c1 < class1Count; ++c1) {
    for (uint32_t c2 = 0; c2 < class2Count; ++c2) {
      GPosClassPair pair;
      pair.class1 = static_cast<uint16_t>(c1);
      pair.class2 = static_cast<uint16_t>(c2);
      pair.value1.readBinary(r, r.position(), 0, vf1);
      pair.value2.readBinary(r, r.position(), 0, vf2);
      if (!pair.bothEmpty()) format2->pairs.push_back(std::move(pair));
    }
  }
}

namespace {

void writeFormat1(const LpPairFormat1Impl& impl, ot::BinaryWriter& writer, const GlyphIdMap& map) {
  struct Record {
    uint16_t second;
    const GPosSpecificPair* pair;
  };
  struct PairSet {
    uint16_t first;
    std::vector<Record> records;
  };
  std::vector<PairSet> sets;
  std::map<uint16_t, size_t> setOf;
  uint16_t vf1 = 0, vf2 = 0;
  for (const auto& pair : impl.pairs) {
    const uint16_t first = map.indexOf(pair.first);
    auto [it, added] = setOf.emplace(first, sets.size());
    if (added) sets.push_back(PairSet{first, {}});
    sets[it->second].records.push_back(Record{map.indexOf(pair.second), &pair});
    vf1 |= pair.value1.valueFormat();
    vf2 |= pair.value2.valueFormat();
  }
  for (auto& set : sets) {
    std::stable_sort(set.records.begin(), set.records.end(),
                     [](const Record& a, const Record& b) { return a.second < b.second; });
  }
  std::vector<uint16_t> firsts;
  for (const auto& set : sets) firsts.push_back(set.first);
  const auto order = glyphSortOrder(firsts);
  const uint32_t start = writer.position();
  writer.writeUInt16(1);
  const uint32_t coverageField = writer.reserveOffset16();
  writer.writeUInt16(vf1);
  writer.writeUInt16(vf2);
  writer.writeUInt16(static_cast<uint16_t>(sets.size()));
  std::vector<uint32_t> setFields;
  for (size_t k = 0; k < sets.size(); ++k) setFields.push_back(writer.reserveOffset16());
  struct Devices {
    const GPosSpecificPair* pair;
    std::array<uint32_t, 4> fields1, fields2;
  };
  std::vector<Devices> devices;
  std::vector<std::pair<const PairSet*, uint32_t>> written;  // PairSets already written, with offsets
  auto sameRecords = [](const PairSet& a, const PairSet& b) {
    if (a.records.size() != b.records.size()) return false;
    for (size_t i = 0; i < a.records.size(); ++i) {
      const auto& x = a.records[i];
      const auto& y = b.records[i];
      if (x.second != y.second || !(x.pair->value1 == y.pair->value1) || !(x.pair->value2 == y.pair->value2))
        return false;
    }
    return true;
  };
  for (size_t k = 0; k < order.size(); ++k) {
    const PairSet& set = sets[order[k]];
    bool shared = false;
    for (const auto& [earlier, setOffset] : written) {
      if (sameRecords(*earlier, set)) {
        ot_bin_layout::writeOffsetValue(writer, setFields[k], setOffset);
        shared = true;
        break;
      }
    }
    if (shared) continue;
    const uint32_t setOffset = writer.position() - start;
    ot_bin_layout::writeOffset(writer, start, setFields[k]);
    written.emplace_back(&set, setOffset);
    writer.writeUInt16(static_cast<uint16_t>(set.records.size()));
    for (const auto& record : set.records) {
      writer.writeUInt16(record.second);
      Devices d{record.pair, {}, {}};
      record.pair->value1.writeBinary(writer, vf1, d.fields1);
      record.pair->value2.writeBinary(writer, vf2, d.fields2);
      devices.push_back(d);
    }
  }
  for (const auto& d : devices) {
    d.pair->value1.writeDevices(writer, start, d.fields1);
    d.pair->value2.writeDevices(writer, start, d.fields2);
  }
  ot_bin_layout::writeOffset(writer, start, coverageField);
  std::vector<uint16_t> covered;
  for (size_t k : order) covered.push_back(firsts[k]);
  writeCoverageTable(writer, covered);
}

void writeFormat2(const LpPairFormat2Impl& impl, ot::BinaryWriter& writer, const GlyphIdMap& map) {
  const uint32_t class1Count = impl.classDef1.maxClass() + 1u;
  const uint32_t class2Count = impl.classDef2.maxClass() + 1u;
  uint16_t vf1 = 0, vf2 = 0;
  for (const auto& pair : impl.pairs) {
    vf1 |= pair.value1.valueFormat();
    vf2 |= pair.value2.valueFormat();
  }
  const uint64_t recordSize = valueRecordSize(vf1) + valueRecordSize(vf2);
  // The Coverage offset follows the matrix: a matrix past 16-bit reach cannot be written.
  if (16 + uint64_t{class1Count} * class2Count * recordSize > 65534) throw ot_bin_layout::SubtableOffsetException();
  // The pair of each matrix cell (the last one given wins). With records of bytes the check
  // above bounds the matrix; records of no bytes need no matrix at all.
  std::vector<const GPosClassPair*> cells(recordSize == 0 ? 0 : size_t{class1Count} * class2Count, nullptr);
  for (const auto& pair : impl.pairs) {
    if (!cells.empty() && pair.class1 < class1Count && pair.class2 < class2Count)
      cells[size_t{pair.class1} * class2Count + pair.class2] = &pair;
  }
  // Every classed first glyph stays covered, whatever its row holds: a covered glyph stops
  // the lookup at this subtable, and dropping it would let a later subtable apply.
  GlyphSet coveredIds;
  impl.classDef1.collectGlyphs(coveredIds);
  GlyphList coveredList(coveredIds.begin(), coveredIds.end());
  const auto covered = sortedIndices(coveredList, map);
  const uint32_t start = writer.position();
  writer.writeUInt16(2);
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
  ot_bin_layout::writeOffset(writer, start, coverageField);
  writeCoverageTable(writer, covered);
  ot_bin_layout::writeOffset(writer, start, classDef1Field);
  impl.classDef1.writeBinary(writer, map);
  ot_bin_layout::writeOffset(writer, start, classDef2Field);
  impl.classDef2.writeBinary(writer, map);
  for (const auto& d : devices) {
    d.pair->value1.writeDevices(writer, start, d.fields1);
    d.pair->value2.writeDevices(writer, start, d.fields2);
  }
}

}  // namespace

void LpPair::writeBinary(ot::BinaryWriter& writer, const LookupIndexMap&, const GlyphIdMap& map,
                         uint16_t requested) const {
  const uint16_t which = requested ? requested : format;
  if (which == 1 && format1) return writeFormat1(*format1, writer, map);
  if (which == 2 && format2) return writeFormat2(*format2, writer, map);
  noFormat();
}

void LpPair::writeFea(std::ostream& out, const LookupMap&, const LookupNames&) const {
  if (format == 1 && format1) {
    uint16_t vf1 = 0, vf2 = 0;
    for (const auto& p : format1->pairs) {
      vf1 |= p.value1.valueFormat();
      vf2 |= p.value2.valueFormat();
    }
    (void)vf1;
    uint32_t lines = 0;
    uint32_t remembered = 0;
    bool waiting = false;
    for (const auto& p : format1->pairs) {
      if (waiting && p.first != remembered) {
        out << " subtable;\n";
        waiting = false;
        lines = 0;
      }
      if (!waiting && lines >= kPairLinesPerSubtable) {
        remembered = p.first;
        waiting = true;
        lines = 0;
      }
      out << " pos ";
      writeFeaGlyph(out, p.first);
      out << ' ';
      if (vf2) {
        p.value1.writeFea(out);
        out << ' ';
        writeFeaGlyph(out, p.second);
        out << ' ';
        p.value2.writeFea(out);
      } else {
        writeFeaGlyph(out, p.second);
        out << ' ';
        p.value1.writeFea(out);
      }
      out << ";\n" << std::flush;
      ++lines;
    }
    return;
  }
  if (format != 2 || !format2) return;
  uint16_t vf2 = 0;
  for (const auto& p : format2->pairs) vf2 |= p.value2.valueFormat();
  std::map<uint16_t, GlyphList> classes1, classes2;
  for (uint32_t c = 0; c <= format2->classDef1.maxClass(); ++c)
    format2->classDef1.glyphsOfClass(classes1[static_cast<uint16_t>(c)], static_cast<uint16_t>(c));
  for (uint32_t c = 0; c <= format2->classDef2.maxClass(); ++c)
    format2->classDef2.glyphsOfClass(classes2[static_cast<uint16_t>(c)], static_cast<uint16_t>(c));
  for (const auto& p : format2->pairs) {
    if (!vf2 && p.value1.isEmpty()) continue;
    out << " pos ";
    format2->classDef1.writeFeaClass(out, p.class1, &classes1);
    out << ' ';
    if (vf2) {
      p.value1.writeFea(out);
      out << ' ';
      format2->classDef2.writeFeaClass(out, p.class2, &classes2);
      out << ' ';
      p.value2.writeFea(out);
    } else {
      format2->classDef2.writeFeaClass(out, p.class2, &classes2);
      out << ' ';
      p.value1.writeFea(out);
    }
    out << ";\n" << std::flush;
  }
}

void LpPair::pruneByGlyphs(const GlyphSet& remove) {
  if (format == 1 && format1) {
    std::erase_if(format1->pairs, [&](const GPosSpecificPair& p) { return remove.count(p.first) || remove.count(p.second); });
    return;
  }
  if (format != 2 || !format2) noFormat();
  auto& impl = *format2;
  impl.classDef1.pruneByGlyphs(remove);
  impl.classDef2.pruneByGlyphs(remove);
  const uint16_t max1 = impl.classDef1.maxClass();
  const uint16_t max2 = impl.classDef2.maxClass();
  std::erase_if(impl.pairs, [&](const GPosClassPair& p) {
    return p.class1 > max1 || p.class2 > max2 || !impl.classDef1.hasClass(p.class1) ||
           !impl.classDef2.hasClass(p.class2) || p.bothEmpty();
  });
}

void LpPair::collectGlyphs(GlyphSet& out) const {
  if (format == 1 && format1) {
    for (const auto& p : format1->pairs) {
      out.insert(p.first);
      out.insert(p.second);
    }
    return;
  }
  if (format != 2 || !format2) noFormat();
  format2->classDef1.collectGlyphs(out);
  format2->classDef2.collectGlyphs(out);
}

void LpPair::appendCoverage(GlyphList& out) const {
  if (format == 1 && format1) {
    for (const auto& p : format1->pairs) out.push_back(p.first);
  }
}

}  // namespace otl
