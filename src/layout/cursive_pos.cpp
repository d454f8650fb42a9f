#include "layout/cursive_pos.h"

#include <ostream>

#include "layout/glyph_id_map.h"
#include "layout/glyph_indices.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/limits.h"

namespace otl {

void LpCursive::readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap&, const GlyphIdMap& map) {
  ot::BinaryReader r = reader.window(offset);
  GlyphList covered = readCoveredGlyphs(r, map, "unknown cursive positioning format");
  r.seek(4);
  const uint16_t count = r.readUInt16();
  r.requireRecords(count, 4);
  r.keep(ot::limits::heapBytes(uint64_t{count} * sizeof(EntryExitRecord)));
  records.clear();
  records.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    r.seek(6 + 4 * i);
    const uint16_t entryOffset = r.readUInt16();
    const uint16_t exitOffset = r.readUInt16();
    EntryExitRecord record;
    if (entryOffset) record.entry = readKeptAnchor(r, entryOffset);
    if (exitOffset) record.exit = readKeptAnchor(r, exitOffset);
    records.push_back(std::move(record));
  }
  // A glyph covered twice keeps its first entry's record only, as an engine takes it.
  keepFirstEntries(covered, records);
  coverage.assign(covered);
}

void LpCursive::writeBinary(ot::BinaryWriter& writer, const LookupIndexMap&, const GlyphIdMap& map,
                            uint16_t) const {
  const size_t n = std::min<size_t>(coverage.glyphCount(), records.size());
  const auto indices = glyphIndices(coverage.glyphs(), map, n);
  const auto order = ot::uniqueSortOrder(indices);
  const uint32_t start = writer.position();
  writer.writeUInt16(1);
  const uint32_t coverageField = writer.reserveOffset16();
  writer.writeUInt16(static_cast<uint16_t>(order.size()));
  for (size_t k = 0; k < order.size(); ++k) {
    writer.writeUInt16(0);
    writer.writeUInt16(0);
  }
  std::vector<uint16_t> covered;
  for (size_t k = 0; k < order.size(); ++k) {
    const auto& record = records[order[k]];
    covered.push_back(indices[order[k]]);
    const uint32_t field = start + 6 + 4 * static_cast<uint32_t>(k);
    if (record.entry) {
      ot::writeOffset(writer, start, field);
      record.entry->writeBinary(writer);
    }
    if (record.exit) {
      ot::writeOffset(writer, start, field + 2);
      record.exit->writeBinary(writer);
    }
  }
  ot::writeOffset(writer, start, coverageField);
  writeCoverageTable(writer, covered);
}

void LpCursive::writeFea(std::ostream& out, const LookupMap&, const LookupNames&) const {
  const uint32_t n = std::min<uint32_t>(coverage.glyphCount(), static_cast<uint32_t>(records.size()));
  for (uint32_t i = 0; i < n; ++i) writeFeaRule(out, i, false);
}

void LpCursive::writeFeaRule(std::ostream& out, uint32_t rule, bool) const {
  if (rule >= records.size()) return;
  const auto& record = records[rule];
  out << "      pos cursive ";
  writeFeaGlyph(out, coverage.glyphAt(rule));
  out << ' ';
  if (record.entry) record.entry->writeFea(out); else out << "<anchor NULL >";
  if (record.exit) record.exit->writeFea(out); else out << "<anchor NULL >";
  out << ";\n";
}

void LpCursive::pruneByGlyphs(const GlyphSet& remove) { pruneCoverageAndRecords(coverage, records, remove); }

void LpCursive::collectGlyphs(GlyphSet& out) const { out.insert(coverage.glyphs().begin(), coverage.glyphs().end()); }

void LpCursive::collectGroupRefs(GlyphSet& out) const {
  if (coverage.classId()) out.insert(coverage.classId());
}

void LpCursive::appendCoverage(GlyphList& out) const {
  out.insert(out.end(), coverage.glyphs().begin(), coverage.glyphs().end());
}

std::unique_ptr<LookupSubtable> LpCursive::clone(GlyphClassHolder classes) const {
  auto copy = std::make_unique<LpCursive>(classes);
  copy->coverage = coverage;
  copy->records = records;
  return copy;
}

}  // namespace otl
