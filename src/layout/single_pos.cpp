#include "layout/single_pos.h"

#include <ostream>

#include "layout/glyph_id_map.h"
#include "layout/glyph_indices.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/ot/limits.h"

namespace otl {

void LpSingle::readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap&, const GlyphIdMap& map) {
  ot::BinaryReader r = reader.window(offset);
  const uint16_t format = r.readUInt16();
  GlyphList covered;
  readCoverageTable(covered, r, r.readUInt16(), map, format == 1 ? CoverageUse::kGlyphSet : CoverageUse::kIndexed);
  r.seek(4);
  const uint16_t valueFormat = r.readUInt16();
  values.clear();
  if (format == 1) {
    GPosValue value;
    value.readBinary(r, r.position(), 0, valueFormat);
    // One value per covered glyph, however few bytes the Coverage and the value take.
    r.keep(ot::limits::heapBytes(sizeof(GPosValue) * uint64_t{covered.size()}));
    values.assign(covered.size(), value);
  } else if (format == 2) {
    const uint16_t count = r.readUInt16();
    r.requireRecords(count, ot::valueRecordSize(valueFormat));
    r.charge(count);
    // Records of no bytes, and subtables sharing one offset, cost their values each time.
    r.keep(ot::limits::heapBytes(sizeof(GPosValue) * uint64_t{count}));
    values.resize(count);
    for (auto& value : values) value.readBinary(r, r.position(), 0, valueFormat);
    // A glyph covered twice keeps its first entry's value only, as an engine takes it.
    keepFirstEntries(covered, values);
  } else {
    coverage.assign(covered);
    throw ot::Exception(ot::Exception::kUnsupported, "unknown single positioning format");
  }
  coverage.assign(covered);
}

void LpSingle::writeBinary(ot::BinaryWriter& writer, const LookupIndexMap&, const GlyphIdMap& map,
                           uint16_t requested) const {
  const size_t n = std::min<size_t>(coverage.glyphCount(), values.size());
  const auto indices = glyphIndices(coverage.glyphs(), map, n);
  const auto order = ot::uniqueSortOrder(indices);
  bool same = requested != 2 && n >= 1;
  for (size_t i = 1; same && i < n; ++i) same = values[i] == values[0];
  const uint32_t start = writer.position();
  writer.writeUInt16(same ? 1 : 2);
  const uint32_t coverageField = writer.reserveOffset16();
  if (same) {
    const uint16_t format = values[0].valueFormat();
    writer.writeUInt16(format);
    std::array<uint32_t, 4> fields{};
    values[0].writeBinary(writer, format, fields);
    values[0].writeDevices(writer, start, fields);
  } else {
    uint16_t format = 0;
    for (const auto& v : values) format |= v.valueFormat();
    writer.writeUInt16(format);
    writer.writeUInt16(static_cast<uint16_t>(order.size()));
    std::vector<std::array<uint32_t, 4>> fields(order.size());
    for (size_t k = 0; k < order.size(); ++k) values[order[k]].writeBinary(writer, format, fields[k]);
    for (size_t k = 0; k < order.size(); ++k) values[order[k]].writeDevices(writer, start, fields[k]);
  }
  ot::writeOffset(writer, start, coverageField);
  std::vector<uint16_t> covered;
  for (size_t k : order) covered.push_back(indices[k]);
  writeCoverageTable(writer, covered);
}

void LpSingle::writeFea(std::ostream& out, const LookupMap&, const LookupNames&) const {
  const size_t n = std::min<size_t>(coverage.glyphCount(), values.size());
  for (size_t i = 0; i < n;) {
    size_t j = i + 1;
    while (j < n && values[j] == values[i]) ++j;
    out << "      pos ";
    coverage.writeFea(out, 0, i, static_cast<int64_t>(j - i));
    out << ' ';
    values[i].writeFea(out);
    out << ";\n";
    i = j;
  }
}

void LpSingle::writeFeaRule(std::ostream& out, uint32_t rule, bool) const {
  if (rule >= values.size()) return;
  out << "      pos ";
  writeFeaGlyph(out, coverage.glyphAt(rule));
  out << ' ';
  values[rule].writeFea(out);
  out << ";\n";
}

void LpSingle::pruneByGlyphs(const GlyphSet& remove) { pruneCoverageAndRecords(coverage, values, remove); }

void LpSingle::collectGlyphs(GlyphSet& out) const { out.insert(coverage.glyphs().begin(), coverage.glyphs().end()); }

void LpSingle::collectGroupRefs(GlyphSet& out) const {
  if (coverage.classId()) out.insert(coverage.classId());
}

void LpSingle::appendCoverage(GlyphList& out) const {
  out.insert(out.end(), coverage.glyphs().begin(), coverage.glyphs().end());
}

std::unique_ptr<LookupSubtable> LpSingle::clone(GlyphClassHolder classes) const {
  auto copy = std::make_unique<LpSingle>(classes);
  copy->coverage = coverage;
  copy->values = values;
  return copy;
}

}  // namespace otl
