// Sizes for the feature-file writer: which lookups need useExtension and how mark lookups
// are split so that compilers can build each part, from trial writes of the binary
// subtables.
#include "layout/text/fea_blocks.h"

#include <algorithm>

#include "layout/layout_bin_writer.h"
#include "layout/lookup.h"
#include "layout/lookup_kind_table.h"
#include "layout/mark_pos.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "model/font.h"

namespace otl::ot_fea_layout {

namespace {
// The largest distance a 16-bit offset reaches.
constexpr size_t kOffsetReach = 65535;
}  // namespace

std::vector<std::vector<size_t>> markSubtableGroups(const Lookup& lookup, const std::vector<size_t>& sizes) {
  std::vector<std::vector<size_t>> groups;
  size_t groupBytes = 0;
  if (!isMarkAttachmentKind(lookup.tableId, lookup.typeCode)) return groups;
  GlyphSet marks;
  GlyphSet bases;
  auto overlaps = [](const GlyphClassSlot& slot, const GlyphSet& seen) {
    for (size_t g = 0; g < slot.glyphCount(); ++g) {
      if (seen.count(slot.glyphAt(g))) return true;
    }
    return false;
  };
  for (size_t i = 0; i < lookup.subtables.size(); ++i) {
    const auto* mark = dynamic_cast<const LpMarkTo*>(lookup.subtables[i].get());
    if (!mark) return {};
    const size_t bytes = i < sizes.size() ? sizes[i] : 0;
    if (groups.empty() || overlaps(mark->marks, marks) || overlaps(mark->bases, bases) ||
        groupBytes + bytes > kOffsetReach) {
      groups.emplace_back();
      marks.clear();
      bases.clear();
      groupBytes = 0;
    }
    groups.back().push_back(i);
    groupBytes += bytes;
    for (size_t g = 0; g < mark->marks.glyphCount(); ++g) marks.insert(mark->marks.glyphAt(g));
    for (size_t g = 0; g < mark->bases.glyphCount(); ++g) bases.insert(mark->bases.glyphAt(g));
  }
  return groups;
}

bool FeaDocumentWriter::prepareTrials() {
  if (!font_) return false;
  if (!trialReady_) {
    trialReady_ = true;
    glyphs_ = GlyphIdMap();
    glyphs_.fillGlyphs(font_->glyphs);
    for (uint32_t tableId : {kTableGsub, kTableGpos}) {
      uint32_t position = 0;
      listIndex_[tableId].clear();
      for (const auto& [index, entry] : table(tableId).lookups.lookups()) listIndex_[tableId][index] = position++;
    }
  }
  return true;
}

// Where the table writer splits a subtable to fit 16-bit offsets, the text has one
// subtable a piece, with "subtable;" between them, so that compilers build pieces that fit.
void FeaDocumentWriter::splitUnfitSubtables() {
  if (!prepareTrials()) return;
  for (auto& block : writable_) {
    if (block) ot_bin_layout::splitUnfitSubtables(*block, listIndex_[block->tableId], glyphs_);
  }
}

std::vector<size_t> FeaDocumentWriter::subtableSizes(const Lookup& lookup) {
  std::vector<size_t> sizes;
  if (!prepareTrials()) return sizes;
  for (const auto& subtable : lookup.subtables) {
    try {
      sizes.push_back(ot_bin_layout::subtableBytes(*subtable, listIndex_[lookup.tableId], glyphs_).size());
    } catch (const ot::Exception&) {
      sizes.push_back(kOffsetReach + 1);
    }
  }
  return sizes;
}

// A lookup of several subtables whose binary forms together pass what 16-bit offsets
// reach is written with useExtension (as is one whose trial write fails), so compilers
// write Extension lookups for it. The sizes need the font's glyph order.
void FeaDocumentWriter::decideExtensions() {
  for (auto& [key, info] : lookups_) {
    const Lookup* lookup = info->useExtension ? nullptr : table(info->tableId).lookups.findLookup(info->index);
    if (!lookup || lookup->subtables.size() < 2) continue;
    size_t total = 0;
    for (size_t bytes : subtableSizes(*lookup)) total += bytes;
    info->useExtension = total > kOffsetReach;
  }
}

// Mark lookups written in parts; a lookup that context rules call stays whole (a call
// names one lookup).
void FeaDocumentWriter::groupMarkSubtables() {
  markGroups_.clear();
  for (const auto& [key, info] : lookups_) {
    const Lookup* lookup = table(info->tableId).lookups.findLookup(info->index);
    if (!lookup || info->referenced || !isMarkAttachmentKind(lookup->tableId, lookup->typeCode)) continue;
    markGroups_[key] = markSubtableGroups(*lookup, subtableSizes(*lookup));
  }
}

const std::vector<std::vector<size_t>>& FeaDocumentWriter::markGroups(const LookupInfo& info) const {
  static const std::vector<std::vector<size_t>> kNone;
  const auto found = markGroups_.find({info.tableId, info.index});
  return found == markGroups_.end() ? kNone : found->second;
}

}  // namespace otl::ot_fea_layout
