// Contextual and chained contextual subtables (GSUB 5/6, GPOS 7/8): rules of backtrack,
// input and lookahead positions with lookups applied at input positions. Formats 1 to 3
// are read; a lookup holds one rule per subtable, written as format 3.
#pragma once

#include "layout/records.h"
#include "layout/subtable.h"

namespace otl {

class LsChainedContext : public LookupSubtable {
 public:
  explicit LsChainedContext(GlyphClassHolder classes) : LookupSubtable(kTableGsub, kGsubChainedContext, classes) {}

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

  std::vector<std::unique_ptr<Context>> rules;

 protected:
  LsChainedContext(uint32_t table, uint32_t type, GlyphClassHolder classes) : LookupSubtable(table, type, classes) {}
  void readRules(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                 bool chained);
  void writeRule(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                 bool chained) const;
};

class LsContext : public LsChainedContext {
 public:
  explicit LsContext(GlyphClassHolder classes) : LsChainedContext(kTableGsub, kGsubContext, classes) {}
  void readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups,
                  const GlyphIdMap& glyphs) override;
  void writeBinary(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                   uint16_t format) const override;

 protected:
  LsContext(uint32_t table, uint32_t type, GlyphClassHolder classes) : LsChainedContext(table, type, classes) {}
};

class LpContext : public LsContext {
 public:
  explicit LpContext(GlyphClassHolder classes) : LsContext(kTableGpos, kGposContext, classes) {}
};

class LpChainedContext : public LsChainedContext {
 public:
  explicit LpChainedContext(GlyphClassHolder classes) : LsChainedContext(kTableGpos, kGposChainedContext, classes) {}
};

}  // namespace otl
