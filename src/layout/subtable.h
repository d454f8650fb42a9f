// The abstract subtable of a lookup: one of fifteen kinds, each reading and writing its
// binary form and its feature-file text.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "layout/glyph_slot.h"
#include "layout/lookup_kind.h"

namespace ot {
class BinaryReader;
class BinaryWriter;
}  // namespace ot

namespace otl {

class GlyphIdMap;
class Lookup;
class LookupSubtable;

// Reading: LookupList index -> model lookup index; writing: the other way round.
using LookupIndexMap = std::map<uint32_t, uint32_t>;
// The lookups of one table by index.
using LookupMap = std::map<uint32_t, std::unique_ptr<Lookup>>;
// Lookup names of the feature-file writer by (table id, lookup index).
using LookupNames = std::map<std::pair<uint32_t, uint32_t>, std::string>;
using SubtableList = std::vector<std::unique_ptr<LookupSubtable>>;
using LookupSet = std::set<uint32_t>;

// What a subtable's rule checks found, by rule index: the texts of the "### Problems in
// rule" comment written before the rule, in the order found, and the rules that never
// apply because an earlier rule has the same input.
struct RuleProblems {
  void add(uint32_t rule, std::string text) { texts[rule].push_back(std::move(text)); }
  void addShadowed(uint32_t rule, std::string text) {
    add(rule, std::move(text));
    shadowed.insert(rule);
  }

  std::map<uint32_t, std::vector<std::string>> texts;
  std::set<uint32_t> shadowed;
};

class LookupSubtable {
 public:
  LookupSubtable(uint32_t table, uint32_t type, GlyphClassHolder classes)
      : tableId(table), typeCode(type), holder(classes) {}
  LookupSubtable(const LookupSubtable&) = delete;
  LookupSubtable& operator=(const LookupSubtable&) = delete;
  virtual ~LookupSubtable() = default;

  // Reads the subtable at `offset` of the reader's span (code 2 malformed, 26 format).
  virtual void readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups,
                          const GlyphIdMap& glyphs) = 0;
  // Writes the subtable at the writer's position; `format` 0 lets the kind choose.
  virtual void writeBinary(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                           uint16_t format) const = 0;
  virtual void writeFea(std::ostream& out, const LookupMap& lookups, const LookupNames& names) const = 0;
  virtual void writeFeaRule(std::ostream& /*out*/, uint32_t /*rule*/, bool /*commented*/) const {}
  virtual void checkRules(RuleProblems& problems) const {
    checkSequences(problems);
    checkDuplicates(problems);
  }
  // Removes the glyphs of the set and the rules that depend on them.
  virtual void pruneByGlyphs(const GlyphSet& remove) = 0;
  virtual void collectGlyphs(GlyphSet& out) const = 0;
  virtual void collectLookupRefs(LookupSet& /*out*/) const {}
  virtual void collectGroupRefs(GlyphSet& out) const = 0;
  virtual bool isEmpty() const = 0;
  virtual void appendCoverage(GlyphList& /*out*/) const {}
  virtual bool splitForOffsets(SubtableList& /*out*/, const LookupIndexMap& /*lookups*/,
                               const GlyphIdMap& /*glyphs*/) const {
    return false;
  }
  virtual bool splitRules(SubtableList& /*out*/) { return false; }
  virtual void pruneByLookups(const LookupSet& /*kept*/) {}
  virtual void checkSequences(RuleProblems& /*problems*/) const {}
  virtual void checkDuplicates(RuleProblems& /*problems*/) const {}
  // A deep copy whose slots belong to `classes`.
  virtual std::unique_ptr<LookupSubtable> clone(GlyphClassHolder classes) const = 0;

  uint32_t tableId;
  uint32_t typeCode;
  GlyphClassHolder holder;
};

// A subtable of the kind of (table id, type code), or null (extension codes, unknown
// codes). Any table id but 2 is GSUB.
std::unique_ptr<LookupSubtable> createSubtable(uint32_t tableId, uint32_t typeCode, GlyphClassHolder holder);

namespace ot_bin_layout {
// Writes the subtable into a scratch buffer (with `shareBlocks`, identical Coverage
// blocks once): false when a 16-bit offset overflowed.
[[nodiscard]] bool trialWriteSubtable(const LookupSubtable& subtable, const LookupIndexMap& lookups,
                                      const GlyphIdMap& glyphs, bool shareBlocks = false);
}  // namespace ot_bin_layout

}  // namespace otl
