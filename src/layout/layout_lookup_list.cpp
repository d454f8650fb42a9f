// The LookupList of a written table: each subtable in its own buffer, placed by its lookup
// through the checked offset helper. Plain lookups come first with their subtables after
// all lookup tables; from the first lookup past the 16-bit budget on, lookups are
// Extensions whose subtables follow, each behind a 32-bit offset. An Extension lookup's
// records follow its table while the tables still start within 16-bit reach of the
// LookupList; past that (many one-rule subtables) the remaining tables stay bare and
// their records come after all tables, each within 16-bit reach of its own table.
#include "layout/extension_lookup.h"
#include "layout/layout_bin_parser.h"
#include "layout/layout_bin_writer.h"
#include "layout/lookup_kind_table.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/ot/limits.h"

namespace otl::ot_bin_layout {

namespace {

// Room for lookup tables and subtables behind 16-bit offsets from the LookupList: one
// under what a 16-bit offset reaches, where the switch to Extensions has always been.
constexpr int64_t kLookupBudget = ot::limits::kMaxOffset16 - 1;

bool usesMarkFilteringSet(const Lookup& lookup) { return (lookup.flag & kUseMarkFilteringSet) != 0; }

// Lookup table bytes besides the Extension records: type, flag, count, offsets, set.
uint32_t lookupHeaderSize(const Lookup& lookup) {
  return 6 + 2 * static_cast<uint32_t>(lookup.subtables.size()) + (usesMarkFilteringSet(lookup) ? 2 : 0);
}

}  // namespace

// A lookup as the LookupList lays it out.
struct LayoutBinWriter::PlacedLookup {
  const Lookup* lookup = nullptr;
  bool extension = false;
  // A plain lookup's subtables, each in its own buffer (an Extension's are written when
  // placed, one at a time, to keep memory down).
  std::vector<ot::BinaryWriter> subtables;
  // An Extension lookup whose records come after all lookup tables.
  bool recordsApart = false;
  uint32_t position = 0;
  uint32_t recordsPosition = 0;
  std::vector<uint32_t> subtableFields;
};

ot::BinaryWriter subtableBytes(const LookupSubtable& subtable, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                               bool shareBlocks) {
  ot::BinaryWriter bytes;
  if (shareBlocks) bytes.shareBlocks();
  subtable.writeBinary(bytes, lookups, glyphs, 0);
  return bytes;
}

bool trialWriteSubtable(const LookupSubtable& subtable, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                        bool shareBlocks) {
  return ot::writesWithinOffsets([&] { subtableBytes(subtable, lookups, glyphs, shareBlocks); });
}

ot::BinaryWriter LayoutBinWriter::bytesOf(const LookupSubtable& subtable) const {
  return subtableBytes(subtable, lookupIndex_, *glyphs_, sharingBlocks_.count(&subtable) != 0);
}

std::vector<LayoutBinWriter::PlacedLookup> LayoutBinWriter::planLookups() const {
  int64_t fixed = 0;
  for (const auto& [index, lookup] : block_->lookups.lookups()) {
    fixed += 2 + lookupHeaderSize(*lookup) + kExtensionRecordSize * static_cast<int64_t>(lookup->subtables.size());
  }
  const int64_t budget = kLookupBudget - fixed;
  int64_t total = 0;
  bool extensionMode = false;
  std::vector<PlacedLookup> placed;
  for (const auto& [index, lookup] : block_->lookups.lookups()) {
    PlacedLookup entry;
    entry.lookup = lookup.get();
    if (!extensionMode) {
      int64_t bytes = 0;
      for (const auto& subtable : lookup->subtables) {
        entry.subtables.push_back(bytesOf(*subtable));
        bytes += static_cast<int64_t>(entry.subtables.back().size());
      }
      if (total + bytes > budget) {
        extensionMode = true;
        entry.subtables.clear();
      } else {
        total += bytes;
      }
    }
    entry.extension = extensionMode;
    placed.push_back(std::move(entry));
  }
  placeRecords(placed);
  return placed;
}

void LayoutBinWriter::placeRecords(std::vector<PlacedLookup>& placed) {
  // Bytes of the bare lookup tables from each one to the end of the list.
  std::vector<int64_t> bareAfter(placed.size() + 1, 0);
  for (size_t i = placed.size(); i-- > 0;) bareAfter[i] = bareAfter[i + 1] + lookupHeaderSize(*placed[i].lookup);
  int64_t start = 2 + 2 * static_cast<int64_t>(placed.size());
  bool apart = false;
  for (size_t i = 0; i < placed.size(); ++i) {
    const Lookup& lookup = *placed[i].lookup;
    const int64_t records =
        placed[i].extension ? kExtensionRecordSize * static_cast<int64_t>(lookup.subtables.size()) : 0;
    // Inline records must leave every later table a start within reach.
    const bool later = i + 1 < placed.size();
    if (!apart && later && start + records + bareAfter[i] - bareAfter[placed.size() - 1] > ot::limits::kMaxOffset16) {
      apart = true;
    }
    placed[i].recordsApart = apart && placed[i].extension;
    start += lookupHeaderSize(lookup) + (placed[i].recordsApart ? 0 : records);
  }
}

void LayoutBinWriter::writeLookupTable(ot::BinaryWriter& out, PlacedLookup& placed) const {
  const Lookup& lookup = *placed.lookup;
  const uint16_t type = toBinaryLookupType(lookup.typeCode, block_->tableId);
  placed.position = out.position();
  out.writeUInt16(placed.extension ? extensionLookupType(block_->tableId) : type);
  out.writeUInt16(lookup.flag);
  placed.subtableFields = reserveOffsetArray(out, lookup.subtables.size());
  if (usesMarkFilteringSet(lookup)) out.writeUInt16(lookup.markFilteringSet);
  placed.recordsPosition = out.position();
  if (!placed.extension || placed.recordsApart) return;
  for (size_t j = 0; j < lookup.subtables.size(); ++j) writeExtensionRecord(out, type);
}

void LayoutBinWriter::writeLookupList(ot::BinaryWriter& out) {
  std::vector<PlacedLookup> placed = planLookups();
  const uint32_t start = out.position();
  const std::vector<uint32_t> lookupFields = reserveOffsetArray(out, placed.size());
  for (size_t i = 0; i < placed.size(); ++i) {
    writeOffset(out, start, lookupFields[i]);
    writeLookupTable(out, placed[i]);
  }
  for (PlacedLookup& entry : placed) {
    if (!entry.recordsApart) continue;
    const uint16_t type = toBinaryLookupType(entry.lookup->typeCode, block_->tableId);
    entry.recordsPosition = out.position();
    for (size_t j = 0; j < entry.lookup->subtables.size(); ++j) writeExtensionRecord(out, type);
  }
  for (const PlacedLookup& entry : placed) {
    for (size_t j = 0; j < entry.subtables.size(); ++j) {
      writeOffset(out, entry.position, entry.subtableFields[j]);
      out.writeBytes(entry.subtables[j].buffer());
    }
  }
  for (const PlacedLookup& entry : placed) {
    if (!entry.extension) continue;
    const Lookup& lookup = *entry.lookup;
    const uint32_t records = entry.recordsPosition;
    for (size_t j = 0; j < lookup.subtables.size(); ++j) {
      const uint32_t record = static_cast<uint32_t>(records + kExtensionRecordSize * j);
      writeOffsetValue(out, entry.subtableFields[j], record - entry.position);
      pointExtension(out, record, out.position());
      out.writeBytes(bytesOf(*lookup.subtables[j]).buffer());
    }
  }
}

}  // namespace otl::ot_bin_layout
