// Contextual and chained contextual subtables of both tables (GSUB 5/6, GPOS 7/8): rules
// of backtrack, input and lookahead positions with lookups applied at input positions.
// Every binary form is read, one reader per format (context_format1/2/3.cpp); a subtable
// holds one rule when it is written, as format 3.
#pragma once

#include "layout/records.h"
#include "layout/subtable.h"

namespace otl {

// The four kinds share this one class: they differ only in their table and in whether
// the rules have backtrack and lookahead positions (`chained`).
class ContextSubtable : public LookupSubtable {
 public:
  ContextSubtable(uint32_t table, uint32_t type, bool chainedForm, GlyphClassHolder classes)
      : LookupSubtable(table, type, classes), chained(chainedForm) {}

  void readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups,
                  const GlyphIdMap& glyphs) override;
  // Exactly one rule is written; zero or several throw ot::Exception 21 (the table
  // writer drops empty subtables first, and addSubtable splits the others).
  void writeBinary(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                   uint16_t format) const override;
  void writeFea(std::ostream& out, const LookupMap& lookups, const LookupNames& names) const override;
  void pruneByGlyphs(const GlyphSet& remove) override;
  void collectGlyphs(GlyphSet& out) const override;
  void collectLookupRefs(LookupSet& out) const override;
  void collectGroupRefs(GlyphSet& out) const override;
  bool isEmpty() const override { return rules.empty(); }
  bool splitRules(SubtableList& out) override;
  void pruneByLookups(const LookupSet& kept) override;
  std::unique_ptr<LookupSubtable> clone(GlyphClassHolder classes) const override;

  void writeFeaContext(std::ostream& out, const Context& rule, const LookupMap& lookups,
                       const LookupNames& names) const;

  const bool chained;
  std::vector<std::unique_ptr<Context>> rules;
};

// The kinds by name, for the factory and for code that builds a subtable of one kind.
class LsContext final : public ContextSubtable {
 public:
  explicit LsContext(GlyphClassHolder classes) : ContextSubtable(kTableGsub, kGsubContext, false, classes) {}
};

class LsChainedContext final : public ContextSubtable {
 public:
  explicit LsChainedContext(GlyphClassHolder classes) : ContextSubtable(kTableGsub, kGsubChainedContext, true, classes) {}
};

class LpContext final : public ContextSubtable {
 public:
  explicit LpContext(GlyphClassHolder classes) : ContextSubtable(kTableGpos, kGposContext, false, classes) {}
};

class LpChainedContext final : public ContextSubtable {
 public:
  explicit LpChainedContext(GlyphClassHolder classes) : ContextSubtable(kTableGpos, kGposChainedContext, true, classes) {}
};

}  // namespace otl
