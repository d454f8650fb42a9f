// Repairs of a copy of a table block before it is written: lookups without a binary
// kind, and subtables that cannot be written within 16-bit offsets.
#include "layout/layout_bin_parser.h"
#include "layout/layout_bin_writer.h"
#include "layout/lookup_kind_table.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"

namespace otl::ot_bin_layout {

namespace {

std::string lookupWhere(const LayoutTableBlock& block, uint32_t index) {
  return std::string(tableName(block.tableId)) + " lookup " + std::to_string(index);
}

// Deletes the lookups, their feature references, and the calls of contexts to them;
// lookups emptied by losing their calls go too.
void deleteLookups(LayoutTableBlock& block, LookupIndexSet deleted) {
  LookupIndexSet all = deleted;
  while (!deleted.empty()) {
    block.lookups.deleteLookups(deleted);
    LookupSet remaining;
    for (const auto& [index, lookup] : block.lookups.lookups()) remaining.insert(index);
    LookupIndexSet emptied;
    for (const auto& [index, lookup] : block.lookups.lookups()) {
      lookup->pruneByLookups(remaining);
      if (lookup->isEmpty()) emptied.insert(index);
    }
    all.insert(emptied.begin(), emptied.end());
    deleted = std::move(emptied);
  }
  block.removeLookupRefs(all);
}

// Puts the pieces where the subtable at `at` stood; returns how many they are.
size_t replaceByPieces(SubtableList& subtables, size_t at, SubtableList& pieces) {
  subtables.erase(subtables.begin() + static_cast<std::ptrdiff_t>(at));
  const size_t count = pieces.size();
  subtables.insert(subtables.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(pieces.begin()),
                   std::make_move_iterator(pieces.end()));
  return count;
}

}  // namespace

void splitUnfitSubtables(LayoutTableBlock& block, const LookupIndexMap& lookups, const GlyphIdMap& glyphs) {
  for (const auto& entry : block.lookups.lookups()) {
    if (!entry.second) continue;
    auto& subtables = entry.second->subtables;
    for (size_t j = 0; j < subtables.size();) {
      SubtableList pieces;
      bool keep = true;
      try {
        keep = trialWriteSubtable(*subtables[j], lookups, glyphs) || !subtables[j]->splitForOffsets(pieces, lookups, glyphs);
      } catch (const ot::Exception&) {
        keep = true;  // not writable for another reason: left to the table writer's report
      }
      if (keep) {
        ++j;
        continue;
      }
      j += replaceByPieces(subtables, j, pieces);
    }
  }
}

bool LayoutBinWriter::needsCleaning(const LayoutTableBlock& block) {
  for (const auto& [index, lookup] : block.lookups.lookups()) {
    if (!isWritableKind(block.tableId, lookup->typeCode)) {
      return true;
    }
    for (const auto& subtable : lookup->subtables) {
      if (subtable->isEmpty()) return true;
    }
  }
  return false;
}

bool LayoutBinWriter::dropUnwritable(LayoutTableBlock& block, Diagnostics& diagnostics) {
  LookupIndexSet deleted;
  for (const auto& [index, lookup] : block.lookups.lookups()) {
    if (!isWritableKind(block.tableId, lookup->typeCode)) {
      deleted.insert(index);
      diagnostics.add(Severity::kWarning, lookupWhere(block, index), "lookup without a writable kind dropped");
      continue;
    }
    // An empty subtable has no binary form; a lookup emptied by that goes too.
    auto& subtables = lookup->subtables;
    const size_t before = subtables.size();
    std::erase_if(subtables, [](const auto& subtable) { return subtable->isEmpty(); });
    if (before != 0 && subtables.empty()) {
      deleted.insert(index);
      diagnostics.add(Severity::kWarning, lookupWhere(block, index), "lookup with only empty subtables dropped");
    }
  }
  if (deleted.empty()) return false;
  deleteLookups(block, deleted);
  return true;
}

void LayoutBinWriter::recover(LayoutTableBlock& copy) {
  LookupIndexSet emptied;
  for (const auto& [index, lookup] : copy.lookups.lookups()) {
    auto& subtables = lookup->subtables;
    for (size_t j = 0; j < subtables.size();) {
      if (trialWriteSubtable(*subtables[j], lookupIndex_, *glyphs_)) {
        ++j;
        continue;
      }
      const std::string where = lookupWhere(copy, index) + " subtable " + std::to_string(j);
      if (trialWriteSubtable(*subtables[j], lookupIndex_, *glyphs_, true)) {
        diagnostics_.add(Severity::kWarning, where, "identical blocks shared to fit 16-bit offsets");
        sharingBlocks_.insert(subtables[j].get());
        ++j;
        continue;
      }
      SubtableList pieces;
      if (subtables[j]->splitForOffsets(pieces, lookupIndex_, *glyphs_)) {
        diagnostics_.add(Severity::kWarning, where,
                         "split into " + std::to_string(pieces.size()) + " subtables to fit 16-bit offsets");
        j += replaceByPieces(subtables, j, pieces);  // the pieces are not tried again
      } else {
        diagnostics_.add(Severity::kError, where, "cannot be written within 16-bit offsets; dropped");
        subtables.erase(subtables.begin() + static_cast<std::ptrdiff_t>(j));
      }
    }
    if (lookup->isEmpty()) {
      emptied.insert(index);
      diagnostics_.add(Severity::kError, lookupWhere(copy, index), "left without subtables; dropped");
    }
  }
  if (!emptied.empty()) deleteLookups(copy, emptied);
}

}  // namespace otl::ot_bin_layout
