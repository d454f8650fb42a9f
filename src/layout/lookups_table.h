// The lookups of one table block by index, with the glyph classes their subtables share.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "layout/lookup.h"
#include "layout/script_tree.h"

namespace otl {

class GlyphIdMap;

class LookupsTable {
 public:
  explicit LookupsTable(vn::FeaGlyphGroups* classes = nullptr) : classes_(classes) {}
  // Lookups keep the address of the class field, so a table never moves.
  LookupsTable(const LookupsTable&) = delete;
  LookupsTable& operator=(const LookupsTable&) = delete;
  virtual ~LookupsTable() = default;

  // Removes every rule that uses a glyph of the set, deletes lookups left empty, then
  // drops calls to deleted lookups; the deleted indices go into `deleted`.
  virtual void pruneByGlyphs(LookupIndexSet& deleted, const GlyphSet& glyphs);
  virtual void collectGlyphs(GlyphSet& out) const;
  // The glyphs the lookups use that the map lacks.
  virtual void collectMissingGlyphs(GlyphSet& out, const GlyphIdMap& map) const;
  virtual bool isEmpty() const { return lookups_.empty(); }

  // 1 + the largest index, or 1 for an empty table.
  uint32_t nextIndex() const;
  // A new lookup under nextIndex(): no subtables, type 0, flag 0.
  Lookup* createLookup();
  // A new lookup under a given index (replacing any lookup there).
  Lookup* createLookupAt(uint32_t index);
  Lookup* findLookup(uint32_t index) const;
  std::unique_ptr<Lookup>* findEntry(uint32_t index);
  void lookupIndices(std::vector<uint32_t>& out) const;
  void deleteLookups(const LookupIndexSet& indices);
  void clear() { lookups_.clear(); }
  // Clears, then deep-copies every lookup of the source under its index.
  void copyFrom(const LookupsTable& source);
  // Adds every lookup that the contexts of the set's lookups call, however deep.
  void addReferencedLookups(LookupIndexSet& indices) const;

  const LookupMap& lookups() const { return lookups_; }
  size_t size() const { return lookups_.size(); }
  GlyphClassHolder holder() const { return &classes_; }
  vn::FeaGlyphGroups* classes() const { return classes_; }
  void setClasses(vn::FeaGlyphGroups* classes) { classes_ = classes; }

 private:
  LookupMap lookups_;
  vn::FeaGlyphGroups* classes_;
};

}  // namespace otl
