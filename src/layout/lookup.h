// A lookup: table, type code, flag, index and its ordered, owned subtables.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "layout/subtable.h"

namespace otl {

// LookupFlag bits.
inline constexpr uint16_t kRightToLeft = 0x0001;
inline constexpr uint16_t kIgnoreBaseGlyphs = 0x0002;
inline constexpr uint16_t kIgnoreLigatures = 0x0004;
inline constexpr uint16_t kIgnoreMarks = 0x0008;
inline constexpr uint16_t kUseMarkFilteringSet = 0x0010;

class Lookup {
 public:
  Lookup(uint32_t lookupIndex, GlyphClassHolder classes) : index(lookupIndex), holder(classes) {}
  Lookup(const Lookup&) = delete;
  Lookup& operator=(const Lookup&) = delete;
  virtual ~Lookup() = default;

  virtual bool isEmpty() const { return subtables.empty(); }
  // Prunes every subtable and drops those left empty.
  virtual void pruneByGlyphs(const GlyphSet& remove);
  virtual void pruneByLookups(const LookupSet& kept);
  virtual void collectGlyphs(GlyphSet& out) const;
  virtual void collectLookupRefs(LookupSet& out) const;
  virtual void collectGroupRefs(GlyphSet& out) const;

  std::unique_ptr<LookupSubtable> createSubtable() const;
  // A deep copy of a subtable of any lookup, with this lookup's classes; null for a kind
  // the factory does not make.
  std::unique_ptr<LookupSubtable> cloneSubtable(const LookupSubtable& source) const;
  // Takes the subtable; a multi-rule context enters as one subtable per rule.
  void addSubtable(std::unique_ptr<LookupSubtable> subtable);
  void assign(const Lookup& source);

  // The lookup-flag line when the flag differs from `lastFlag`, then the subtables
  // separated by "    subtable;" lines unless `noSubtableBreaks`.
  void writeFea(std::ostream& out, const LookupMap& lookups, uint16_t& lastFlag, const LookupNames& names,
                bool noSubtableBreaks) const;

  uint32_t tableId = 0;
  uint32_t typeCode = 0;
  uint16_t flag = 0;
  // MarkFilteringSet of a flag with bit 0x10.
  uint16_t markFilteringSet = 0;
  uint32_t index = 0;
  std::vector<std::unique_ptr<LookupSubtable>> subtables;
  GlyphClassHolder holder = nullptr;
};

// "      lookupflag" with the flag's names (below 16) or its number, ";" and a newline.
void writeFeaLookupFlag(uint16_t flag, std::ostream& out);

// Adds each listed lookup that exists and every lookup it calls, however deep.
void collectCalledLookups(const std::vector<uint32_t>& indices, const LookupMap& lookups, LookupSet& out);

// What the rule checks find.
inline constexpr const char* kOnlyGlyphInLigature = "The only glyph in ligature sequence";
inline constexpr const char* kOnlyGlyphInMultiple = "The only glyph in multiple sequence";
inline constexpr const char* kDuplicateSingleSource = "Duplicate single substitution source glyph";
inline constexpr const char* kDuplicateLigatureSource = "Duplicate ligature substitution source sequence";
inline constexpr const char* kDuplicateMultipleSource = "Duplicate multiple substitution source glyph";
// The "### Problems in rule: " line when the rule has problems; always false (the rule
// itself is written as usual).
bool writeRuleProblems(std::ostream& out, uint32_t rule, const RuleProblems& problems);
// Writes rules 0..n-1 of a multiple or ligature substitution, each after its problems,
// with the first rule whose sequence has two glyphs or more in front: the first rule of
// a lookup decides its kind when the text is read back.
void writeFeaSequenceRules(std::ostream& out, const LookupSubtable& subtable,
                           const std::vector<GlyphClassSlot>& sequences, size_t n);

}  // namespace otl
