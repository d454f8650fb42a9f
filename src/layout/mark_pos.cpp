#include "layout/mark_pos.h"

#include <algorithm>
#include <ostream>

#include "layout/glyph_id_map.h"
#include "layout/glyph_indices.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/ot/limits.h"

namespace otl {

int32_t& markClassCounter() {
  static int32_t counter = 0;
  return counter;
}

void writeFeaMarkAnchor(const AnchorRow& anchors, std::ostream& out, uint16_t markClass) {
  if (markClass < anchors.size() && anchors[markClass]) anchors[markClass]->writeFea(out);
  else out << "<anchor NULL>";
  out << " mark @MARK_CLASS_" << markClass << '_' << markClassCounter();
}

AnchorRow copyAnchorRow(const AnchorRow& row) {
  AnchorRow copy(row.size());
  for (size_t i = 0; i < row.size(); ++i) copyAnchor(copy[i], row[i]);
  return copy;
}

namespace {

// `count` anchor offsets at the reader's position, anchors read relative to `base`.
// Rows and anchors are counted as kept: shared offsets cost their size every time.
AnchorRow readAnchorRow(ot::BinaryReader& r, const ot::BinaryReader& base, uint16_t count) {
  r.keep(ot::limits::heapBytes(uint64_t{count} * sizeof(AnchorPtr)));
  AnchorRow row(count);
  for (uint16_t c = 0; c < count; ++c) {
    const uint16_t o = r.readUInt16();
    if (o != 0) row[c] = readKeptAnchor(base, o);
  }
  return row;
}

void writeAnchorText(std::ostream& out, const AnchorTable* anchor) {
  if (anchor) anchor->writeFea(out); else out << "<anchor NULL>";
}

}  // namespace

uint16_t LpMarkTo::readMarks(ot::BinaryReader& r, const GlyphIdMap& map) {
  if (r.readUInt16() != 1) throw ot::Exception(ot::Exception::kUnsupported, "unknown mark attachment format");
  const uint16_t markCoverage = r.readUInt16();
  const uint16_t baseCoverage = r.readUInt16();
  classCount = r.readUInt16();
  // Without classes no mark can attach, and components would cost nothing to claim.
  if (classCount == 0) r.fail("mark attachment without mark classes");
  const uint16_t markArrayOffset = r.readUInt16();
  const uint16_t baseArrayOffset = r.readUInt16();
  GlyphList glyphs;
  readCoverageTable(glyphs, r, markCoverage, map);
  marks.assign(glyphs);
  readCoverageTable(glyphs, r, baseCoverage, map);
  bases.assign(glyphs);
  ot::BinaryReader markArray = r.window(markArrayOffset);
  const uint16_t count = markArray.readUInt16();
  markArray.requireRecords(count, 4);
  markArray.keep(ot::limits::heapBytes(uint64_t{count} * sizeof(MarkRecord)));
  markRecords.clear();
  markRecords.resize(count);
  for (auto& record : markRecords) {
    record.markClass = markArray.readUInt16();
    record.anchor.readBinary(markArray, markArray.readUInt16());
  }
  // A mark covered twice keeps its first entry's record only, as an engine takes it.
  GlyphList markGlyphs = marks.glyphs();
  keepFirstEntries(markGlyphs, markRecords);
  marks.assign(markGlyphs);
  return baseArrayOffset;
}

void LpMarkToBase::readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap&, const GlyphIdMap& map) {
  ot::BinaryReader r = reader.window(offset);
  const uint16_t baseArrayOffset = readMarks(r, map);
  ot::BinaryReader baseArray = r.window(baseArrayOffset);
  const uint16_t count = baseArray.readUInt16();
  baseArray.requireRecords(uint64_t{count} * classCount, 2);
  baseArray.charge(count);
  baseArray.keep(ot::limits::heapBytes(uint64_t{count} * sizeof(AnchorRow)));
  baseRecords.clear();
  baseRecords.reserve(count);
  for (uint16_t i = 0; i < count; ++i) baseRecords.push_back(readAnchorRow(baseArray, baseArray, classCount));
  keepFirstBases(baseRecords);
}

void LpMarkToLigature::readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap&,
                                  const GlyphIdMap& map) {
  ot::BinaryReader r = reader.window(offset);
  const uint16_t ligatureArrayOffset = readMarks(r, map);
  ot::BinaryReader ligatureArray = r.window(ligatureArrayOffset);
  const auto offsets = ligatureArray.readUInt16Array(ligatureArray.readUInt16());
  ligatureArray.keep(ot::limits::heapBytes(offsets.size() * sizeof(std::vector<AnchorRow>)));
  ligatureRecords.clear();
  ligatureRecords.reserve(offsets.size());
  for (uint16_t o : offsets) {
    ot::BinaryReader attach = ligatureArray.window(o);
    const uint16_t components = attach.readUInt16();
    attach.requireRecords(uint64_t{components} * classCount, 2);
    attach.charge(components);
    attach.keep(ot::limits::heapBytes(uint64_t{components} * sizeof(AnchorRow)));
    std::vector<AnchorRow> rows;
    rows.reserve(components);
    for (uint16_t c = 0; c < components; ++c) rows.push_back(readAnchorRow(attach, attach, classCount));
    ligatureRecords.push_back(std::move(rows));
  }
  keepFirstBases(ligatureRecords);
}

namespace {

struct MarkLayout {
  std::vector<size_t> markOrder, baseOrder;
  std::vector<uint16_t> markIndices, baseIndices;
};

MarkLayout sortMarks(const LpMarkTo& subtable, size_t baseRecordCount, const GlyphIdMap& map) {
  MarkLayout layout;
  const size_t markCount = std::min<size_t>(subtable.marks.glyphCount(), subtable.markRecords.size());
  const size_t baseCount = std::min<size_t>(subtable.bases.glyphCount(), baseRecordCount);
  layout.markIndices = glyphIndices(subtable.marks.glyphs(), map, markCount);
  layout.baseIndices = glyphIndices(subtable.bases.glyphs(), map, baseCount);
  layout.markOrder = ot::uniqueSortOrder(layout.markIndices);
  layout.baseOrder = ot::uniqueSortOrder(layout.baseIndices);
  return layout;
}

// Header and MarkArray with zero anchor offsets; returns the fields to patch.
struct MarkFields {
  uint32_t start, markCoverage, baseCoverage, markArrayField, baseArrayField, markArray;
  std::vector<uint32_t> anchorFields;
};

MarkFields writeMarkHead(ot::BinaryWriter& writer, const LpMarkTo& subtable, const MarkLayout& layout) {
  MarkFields f{};
  f.start = writer.position();
  writer.writeUInt16(1);
  f.markCoverage = writer.reserveOffset16();
  f.baseCoverage = writer.reserveOffset16();
  writer.writeUInt16(subtable.classCount);
  f.markArrayField = writer.reserveOffset16();
  f.baseArrayField = writer.reserveOffset16();
  ot::writeOffset(writer, f.start, f.markArrayField);
  f.markArray = writer.position();
  writer.writeUInt16(static_cast<uint16_t>(layout.markOrder.size()));
  for (size_t k : layout.markOrder) {
    writer.writeUInt16(subtable.markRecords[k].markClass);
    f.anchorFields.push_back(writer.reserveOffset16());
  }
  return f;
}

void writeMarkAnchors(ot::BinaryWriter& writer, const LpMarkTo& subtable, const MarkLayout& layout,
                      const MarkFields& f) {
  for (size_t i = 0; i < layout.markOrder.size(); ++i) {
    ot::writeOffset(writer, f.markArray, f.anchorFields[i]);
    subtable.markRecords[layout.markOrder[i]].anchor.writeBinary(writer);
  }
}

void writeCoverages(ot::BinaryWriter& writer, const MarkLayout& layout, const MarkFields& f) {
  std::vector<uint16_t> covered;
  for (size_t k : layout.markOrder) covered.push_back(layout.markIndices[k]);
  ot::writeOffset(writer, f.start, f.markCoverage);
  writeCoverageTable(writer, covered);
  covered.clear();
  for (size_t k : layout.baseOrder) covered.push_back(layout.baseIndices[k]);
  ot::writeOffset(writer, f.start, f.baseCoverage);
  writeCoverageTable(writer, covered);
}

void writeRowAnchors(ot::BinaryWriter& writer, const AnchorRow& row, uint16_t classCount, uint32_t base,
                     uint32_t firstField) {
  for (uint16_t c = 0; c < classCount && c < row.size(); ++c) {
    if (!row[c]) continue;
    ot::writeOffset(writer, base, firstField + 2u * c);
    row[c]->writeBinary(writer);
  }
}

}  // namespace

void LpMarkToBase::writeBinary(ot::BinaryWriter& writer, const LookupIndexMap&, const GlyphIdMap& map,
                               uint16_t) const {
  const MarkLayout layout = sortMarks(*this, baseRecords.size(), map);
  // The Coverages follow the anchor offsets: past 16-bit reach nothing can be written.
  if (16 + 4 * uint64_t{layout.markOrder.size()} + 2 * uint64_t{layout.baseOrder.size()} * classCount > ot::limits::kMaxOffset16)
    throw ot::Exception::offsetOverflow();
  const MarkFields f = writeMarkHead(writer, *this, layout);
  ot::writeOffset(writer, f.start, f.baseArrayField);
  const uint32_t baseArray = writer.position();
  writer.writeUInt16(static_cast<uint16_t>(layout.baseOrder.size()));
  const uint32_t firstField = writer.position();
  for (size_t i = 0; i < layout.baseOrder.size() * classCount; ++i) writer.writeUInt16(0);
  writeMarkAnchors(writer, *this, layout, f);
  for (size_t i = 0; i < layout.baseOrder.size(); ++i) {
    writeRowAnchors(writer, baseRecords[layout.baseOrder[i]], classCount, baseArray,
                    firstField + static_cast<uint32_t>(2 * classCount * i));
  }
  writeCoverages(writer, layout, f);
}

void LpMarkToLigature::writeBinary(ot::BinaryWriter& writer, const LookupIndexMap&, const GlyphIdMap& map,
                                   uint16_t) const {
  const MarkLayout layout = sortMarks(*this, ligatureRecords.size(), map);
  uint64_t attachBytes = 0;
  for (size_t k : layout.baseOrder) attachBytes += 2 + 2 * uint64_t{ligatureRecords[k].size()} * classCount;
  if (16 + 4 * uint64_t{layout.markOrder.size()} + attachBytes > ot::limits::kMaxOffset16) throw ot::Exception::offsetOverflow();
  const MarkFields f = writeMarkHead(writer, *this, layout);
  ot::writeOffset(writer, f.start, f.baseArrayField);
  const uint32_t ligatureArray = writer.position();
  const auto attachFields = ot::reserveOffsetArray(writer, layout.baseOrder.size());
  writeMarkAnchors(writer, *this, layout, f);
  std::vector<uint32_t> attachStarts;
  for (size_t i = 0; i < layout.baseOrder.size(); ++i) {
    ot::writeOffset(writer, ligatureArray, attachFields[i]);
    attachStarts.push_back(writer.position());
    const auto& rows = ligatureRecords[layout.baseOrder[i]];
    writer.writeUInt16(static_cast<uint16_t>(rows.size()));
    for (size_t j = 0; j < rows.size() * classCount; ++j) writer.writeUInt16(0);
  }
  for (size_t i = 0; i < layout.baseOrder.size(); ++i) {
    const auto& rows = ligatureRecords[layout.baseOrder[i]];
    for (size_t c = 0; c < rows.size(); ++c) {
      writeRowAnchors(writer, rows[c], classCount, attachStarts[i],
                      attachStarts[i] + 2 + static_cast<uint32_t>(2 * classCount * c));
    }
  }
  writeCoverages(writer, layout, f);
}

int32_t LpMarkTo::writeFeaMarkClasses(std::ostream& out) const {
  const int32_t serial = ++markClassCounter();
  const size_t n = std::min<size_t>(marks.glyphCount(), markRecords.size());
  for (uint16_t c = 0; c < classCount; ++c) {
    for (size_t i = 0; i < n; ++i) {
      if (markRecords[i].markClass != c) continue;
      out << "      markClass ";
      writeFeaGlyph(out, marks.glyphAt(i));
      out << ' ';
      markRecords[i].anchor.writeFea(out);
      out << " @MARK_CLASS_" << c << '_' << serial << ";\n";
    }
  }
  return serial;
}

std::vector<bool> LpMarkTo::classesWithMarks() const {
  std::vector<bool> used(classCount, false);
  const size_t n = std::min<size_t>(marks.glyphCount(), markRecords.size());
  for (size_t i = 0; i < n; ++i) {
    if (markRecords[i].markClass < classCount) used[markRecords[i].markClass] = true;
  }
  return used;
}

// A class that holds no mark has no "markClass" line, so its name would be undefined;
// its anchors attach nothing, so its clauses are left out (and with them a rule that
// would have none).
void LpMarkToBase::writeFea(std::ostream& out, const LookupMap&, const LookupNames&) const {
  writeFeaMarkClasses(out);
  const std::vector<bool> used = classesWithMarks();
  if (std::find(used.begin(), used.end(), true) == used.end()) return;
  const size_t n = std::min<size_t>(bases.glyphCount(), baseRecords.size());
  for (size_t i = 0; i < n; ++i) {
    out << (typeCode == kGposMarkToMark ? "      pos mark " : "      pos base ");
    writeFeaGlyph(out, bases.glyphAt(i));
    out << ' ';
    for (uint16_t c = 0; c < classCount; ++c) {
      if (!used[c]) continue;
      out << "\n          ";
      writeFeaMarkAnchor(baseRecords[i], out, c);
    }
    out << ";\n";
  }
}

void LpMarkToLigature::writeFea(std::ostream& out, const LookupMap&, const LookupNames&) const {
  const int32_t serial = writeFeaMarkClasses(out);
  const std::vector<bool> used = classesWithMarks();
  if (std::find(used.begin(), used.end(), true) == used.end()) return;
  const size_t n = std::min<size_t>(bases.glyphCount(), ligatureRecords.size());
  for (size_t i = 0; i < n; ++i) {
    out << "      pos ligature ";
    writeFeaGlyph(out, bases.glyphAt(i));
    out << '\n';
    const auto& rows = ligatureRecords[i];
    for (size_t k = 0; k < rows.size(); ++k) {
      if (k > 0) out << "\n        ligComponent \n";
      out << "        ";
      for (uint16_t c = 0; c < classCount; ++c) {
        if (!used[c]) continue;
        out << ' ';
        writeAnchorText(out, c < rows[k].size() ? rows[k][c].get() : nullptr);
        out << " mark @MARK_CLASS_" << c << '_' << serial;
      }
    }
    out << ";\n";
  }
}

std::vector<bool> LpMarkTo::pruneMarks(const GlyphSet& remove, bool& removed) {
  if (pruneCoverageAndRecords(marks, markRecords, remove)) removed = true;
  const GlyphList baseGlyphs = bases.glyphs();
  std::vector<bool> keep(baseGlyphs.size(), true);
  GlyphList keptBases;
  bool basesRemoved = false;
  for (size_t i = 0; i < baseGlyphs.size(); ++i) {
    keep[i] = !remove.count(baseGlyphs[i]);
    if (keep[i]) keptBases.push_back(baseGlyphs[i]); else basesRemoved = true;
  }
  if (basesRemoved) {
    removed = true;
    bases.assign(keptBases);
  }
  return keep;
}

template <class Records>
static void keepByMask(Records& records, const std::vector<bool>& keep) {
  Records kept;
  for (size_t i = 0; i < records.size(); ++i) {
    if (i >= keep.size() || keep[i]) kept.push_back(std::move(records[i]));
  }
  records = std::move(kept);
}

void LpMarkToBase::pruneByGlyphs(const GlyphSet& remove) {
  bool removed = false;
  const auto keep = pruneMarks(remove, removed);
  if (removed) keepByMask(baseRecords, keep);
}

void LpMarkToLigature::pruneByGlyphs(const GlyphSet& remove) {
  bool removed = false;
  const auto keep = pruneMarks(remove, removed);
  if (removed) keepByMask(ligatureRecords, keep);
}

void LpMarkTo::collectGlyphs(GlyphSet& out) const {
  out.insert(marks.glyphs().begin(), marks.glyphs().end());
  out.insert(bases.glyphs().begin(), bases.glyphs().end());
}

void LpMarkTo::collectGroupRefs(GlyphSet& out) const {
  if (marks.classId()) out.insert(marks.classId());
  if (bases.classId()) out.insert(bases.classId());
}

void LpMarkTo::copyMarksInto(LpMarkTo& copy) const {
  copy.marks = marks;
  copy.markRecords = markRecords;
  copy.classCount = classCount;
  copy.bases = bases;
}

std::unique_ptr<LookupSubtable> LpMarkToBase::clone(GlyphClassHolder classes) const {
  auto copy = std::make_unique<LpMarkToBase>(classes);
  copyMarksInto(*copy);
  for (const auto& row : baseRecords) copy->pushAnchorRecord(row);
  return copy;
}

std::unique_ptr<LookupSubtable> LpMarkToMark::clone(GlyphClassHolder classes) const {
  auto copy = std::make_unique<LpMarkToMark>(classes);
  copyMarksInto(*copy);
  for (const auto& row : baseRecords) copy->pushAnchorRecord(row);
  return copy;
}

std::unique_ptr<LookupSubtable> LpMarkToLigature::clone(GlyphClassHolder classes) const {
  auto copy = std::make_unique<LpMarkToLigature>(classes);
  copyMarksInto(*copy);
  for (const auto& rows : ligatureRecords) {
    std::vector<AnchorRow> copied;
    for (const auto& row : rows) copied.push_back(copyAnchorRow(row));
    copy->ligatureRecords.push_back(std::move(copied));
  }
  return copy;
}

}  // namespace otl
