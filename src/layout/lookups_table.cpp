#include "layout/lookups_table.h"

#include "layout/glyph_id_map.h"

namespace otl {

uint32_t LookupsTable::nextIndex() const {
  return lookups_.empty() ? 1 : lookups_.rbegin()->first + 1;
}

Lookup* LookupsTable::createLookup() { return createLookupAt(nextIndex()); }

Lookup* LookupsTable::createLookupAt(uint32_t index) {
  auto& slot = lookups_[index];
  slot = std::make_unique<Lookup>(index, holder());
  return slot.get();
}

Lookup* LookupsTable::findLookup(uint32_t index) const {
  const auto found = lookups_.find(index);
  return found == lookups_.end() ? nullptr : found->second.get();
}

std::unique_ptr<Lookup>* LookupsTable::findEntry(uint32_t index) {
  const auto found = lookups_.find(index);
  return found == lookups_.end() ? nullptr : &found->second;
}

void LookupsTable::lookupIndices(std::vector<uint32_t>& out) const {
  out.clear();
  out.reserve(lookups_.size());
  for (const auto& [index, lookup] : lookups_) out.push_back(index);
}

void LookupsTable::deleteLookups(const LookupIndexSet& indices) {
  for (uint32_t index : indices) lookups_.erase(index);
}

void LookupsTable::copyFrom(const LookupsTable& source) {
  clear();
  for (const auto& [index, lookup] : source.lookups_) {
    Lookup* copy = createLookupAt(index);
    copy->assign(*lookup);
    copy->index = index;
  }
}

void LookupsTable::addReferencedLookups(LookupIndexSet& indices) const {
  // Worklist closure: each lookup is expanded once, so call cycles end.
  std::vector<uint32_t> pending(indices.begin(), indices.end());
  while (!pending.empty()) {
    const uint32_t index = pending.back();
    pending.pop_back();
    const Lookup* lookup = findLookup(index);
    if (!lookup) continue;
    LookupSet called;
    lookup->collectLookupRefs(called);
    for (uint32_t next : called) {
      if (indices.insert(next).second) pending.push_back(next);
    }
  }
}

void LookupsTable::pruneByGlyphs(LookupIndexSet& deleted, const GlyphSet& glyphs) {
  // Prunes every lookup and erases those left empty, noting their indices.
  auto pruneAll = [&](auto&& prune) {
    for (auto it = lookups_.begin(); it != lookups_.end();) {
      prune(*it->second);
      if (it->second->isEmpty()) {
        deleted.insert(it->first);
        it = lookups_.erase(it);
      } else {
        ++it;
      }
    }
  };
  pruneAll([&](Lookup& lookup) { lookup.pruneByGlyphs(glyphs); });
  LookupSet remaining;
  for (const auto& [index, lookup] : lookups_) remaining.insert(index);
  pruneAll([&](Lookup& lookup) { lookup.pruneByLookups(remaining); });
}

void LookupsTable::collectGlyphs(GlyphSet& out) const {
  for (const auto& [index, lookup] : lookups_) lookup->collectGlyphs(out);
}

void LookupsTable::collectMissingGlyphs(GlyphSet& out, const GlyphIdMap& map) const {
  GlyphSet used;
  collectGlyphs(used);
  for (uint32_t id : used) {
    if (!map.contains(id)) out.insert(id);
  }
}

}  // namespace otl
