// Splitting a mark attachment subtable whose bytes pass 16-bit offsets: the bases are
// shared out over several subtables of the same kind, each holding every mark.
#include <algorithm>

#include "layout/glyph_id_map.h"
#include "layout/glyph_indices.h"
#include "layout/mark_pos.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/limits.h"

namespace otl {

namespace {

uint64_t anchorBytes(const AnchorTable& anchor) {
  ot::BinaryWriter scratch;
  anchor.writeBinary(scratch);
  return scratch.size();
}

// One offset per class and the anchors that are present (each is written once per use).
uint64_t rowBytes(const AnchorRow& row, uint16_t classCount) {
  uint64_t bytes = 2 * uint64_t{classCount};
  for (size_t c = 0; c < classCount && c < row.size(); ++c) {
    if (row[c]) bytes += anchorBytes(*row[c]);
  }
  return bytes;
}

}  // namespace

uint64_t LpMarkToBase::baseRecordBytes(size_t i) const { return rowBytes(baseRecords[i], classCount); }

// A LigatureArray offset, the component count, then each component's row.
uint64_t LpMarkToLigature::baseRecordBytes(size_t i) const {
  uint64_t bytes = 4;
  for (const auto& row : ligatureRecords[i]) bytes += rowBytes(row, classCount);
  return bytes;
}

void LpMarkToBase::appendBaseRecord(LpMarkTo& piece, size_t i) const {
  static_cast<LpMarkToBase&>(piece).pushAnchorRecord(baseRecords[i]);
}

void LpMarkToLigature::appendBaseRecord(LpMarkTo& piece, size_t i) const {
  std::vector<AnchorRow> rows;
  for (const auto& row : ligatureRecords[i]) rows.push_back(copyAnchorRow(row));
  static_cast<LpMarkToLigature&>(piece).ligatureRecords.push_back(std::move(rows));
}

bool LpMarkTo::splitForOffsets(SubtableList& out, const LookupIndexMap& lookups, const GlyphIdMap& map) const {
  // The ordering and the duplicates the writer drops are the writer's own.
  const size_t markCount = std::min<size_t>(marks.glyphCount(), markRecords.size());
  const size_t count = std::min<size_t>(bases.glyphCount(), baseCount());
  const std::vector<uint16_t> markIndices = glyphIndices(marks.glyphs(), map, markCount);
  const std::vector<uint16_t> baseIndices = glyphIndices(bases.glyphs(), map, count);
  const std::vector<size_t> markOrder = ot::uniqueSortOrder(markIndices);
  const std::vector<size_t> baseOrder = ot::uniqueSortOrder(baseIndices);

  // Everything but the base records and the base Coverage, which comes last and so
  // needs only its offset to reach: header, MarkArray, mark anchors, base array count,
  // mark Coverage.
  std::vector<uint16_t> covered;
  uint64_t fixed = 12 + 2 + 4 * uint64_t{markOrder.size()} + 2;
  for (size_t k : markOrder) {
    fixed += anchorBytes(markRecords[k].anchor);
    covered.push_back(markIndices[k]);
  }
  ot::BinaryWriter coverage;
  writeCoverageTable(coverage, covered);
  fixed += coverage.size();

  std::vector<std::vector<size_t>> runs(1);
  uint64_t used = fixed, total = fixed;
  for (size_t k : baseOrder) {
    const uint64_t bytes = baseRecordBytes(k);
    if (fixed + bytes > ot::limits::kMaxOffset16) return false;
    if (used + bytes > ot::limits::kMaxOffset16) {
      runs.emplace_back();
      used = fixed;
      total += fixed;
    }
    runs.back().push_back(k);
    used += bytes;
    total += bytes;
  }
  // More pieces than a lookup counts, or than a table holds, would only cost memory.
  if (runs.size() < 2 || runs.size() > ot::limits::kMaxCount16 || total > ot::limits::kMaxTableBytes) return false;

  SubtableList pieces;
  for (const auto& run : runs) {
    auto piece = createSubtable(tableId, typeCode, holder);
    auto& mark = static_cast<LpMarkTo&>(*piece);
    copyMarksInto(mark);
    GlyphList glyphs;
    for (size_t k : run) {
      glyphs.push_back(bases.glyphAt(k));
      appendBaseRecord(mark, k);
    }
    mark.bases.assign(glyphs);
    if (!ot_bin_layout::trialWriteSubtable(mark, lookups, map)) return false;
    pieces.push_back(std::move(piece));
  }
  for (auto& piece : pieces) out.push_back(std::move(piece));
  return true;
}

}  // namespace otl
