// The records the subtable kinds are built from: GPOS value records, anchors, device
// tables, class definitions and the rule of a context subtable. Their binary forms live
// in layout/ot/ (value_record, anchor, device, class_def), over glyph indices; a class
// definition's glyph ids are converted in glyph_indices.cpp.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "layout/glyph_slot.h"
#include "layout/ot/anchor.h"
#include "layout/ot/device.h"
#include "layout/ot/tag.h"
#include "layout/ot/value_record.h"

namespace ot {
class BinaryReader;
class BinaryWriter;
}  // namespace ot

namespace otl {

class GlyphIdMap;

// Device tables hold no glyphs: the model keeps them as the binary layer does.
using DeviceTable = ot::Device;
using DevicePtr = ot::DevicePtr;

// A GPOS value record and its feature-text forms.
struct GPosValue : ot::ValueRecord {
  // The bare X advance when the other three values are 0, else the bracketed form.
  void writeFea(std::ostream& out) const;
  void writeFeaFull(std::ostream& out) const;
};

// An anchor and its feature-text form.
struct AnchorTable : ot::Anchor {
  using Anchor::Anchor;
  AnchorTable() = default;
  AnchorTable(const AnchorTable&) = default;
  AnchorTable(AnchorTable&&) noexcept = default;
  AnchorTable& operator=(const AnchorTable&) = default;
  AnchorTable& operator=(AnchorTable&&) noexcept = default;
  virtual ~AnchorTable() = default;

  void writeFea(std::ostream& out) const;
};

using AnchorPtr = std::unique_ptr<AnchorTable>;
void copyAnchor(AnchorPtr& target, const AnchorPtr& source);
// The anchor at `offset` of the reader's span, its memory counted as kept by the read.
AnchorPtr readKeptAnchor(const ot::BinaryReader& reader, size_t offset);

class ClassDefinitionTable {
 public:
  virtual ~ClassDefinitionTable() = default;

  GlyphList glyphs;
  std::vector<uint16_t> classes;  // parallel to glyphs
  GlyphList class0;               // glyphs known to be in class 0

  void glyphsOfClass(GlyphList& out, uint16_t cls) const;
  bool hasClass(uint16_t cls) const;
  uint16_t maxClass() const;
  uint32_t classCount() const;
  size_t pairCount() const { return std::min(glyphs.size(), classes.size()); }

  virtual void pruneByGlyphs(const GlyphSet& remove);
  virtual void collectGlyphs(GlyphSet& out) const;
  virtual bool isEmpty() const;

  // Binary form through ot::ClassDef (glyph_indices.cpp).
  void readBinary(ot::BinaryReader& reader, size_t offset, const GlyphIdMap& map);
  void writeBinary(ot::BinaryWriter& writer, const GlyphIdMap& map) const;
  // The class as a bracketed list, or the override's list when it holds the class.
  void writeFeaClass(std::ostream& out, uint16_t cls, const std::map<uint16_t, GlyphList>* overrides) const;
};

// A lookup applied at an input position of a context rule; -1 for no lookup.
struct LookupRecord {
  uint32_t sequenceIndex = 0;
  int32_t lookupIndex = -1;
  bool operator==(const LookupRecord&) const = default;
};

using Sequence = std::vector<GlyphClassSlot>;

// One rule of a context or chained context subtable. Backtrack and lookahead keep the
// binary order: the position nearest to the input first.
class Context {
 public:
  explicit Context(GlyphClassHolder holder) : holder(holder) {}
  // A copy whose slots belong to `holder`.
  Context(GlyphClassHolder holder, const Context& source);
  virtual ~Context() = default;

  virtual void pruneByGlyphs(const GlyphSet& remove);
  virtual void pruneByLookups(const std::set<uint32_t>& kept);
  virtual void collectGlyphs(GlyphSet& out) const;
  virtual void collectGroupRefs(GlyphSet& out) const;
  virtual void collectLookupRefs(std::set<uint32_t>& out) const;
  virtual bool isEmpty() const { return input.empty(); }
  void clear();

  Sequence backtrack, lookahead, input;
  std::vector<LookupRecord> lookups;
  GlyphClassHolder holder = nullptr;
};

// A fresh id from the glyph-name registry's counter, without a name.
uint32_t nextGlyphId();

// Strict order of (script, language, feature) tag triples, each in tag order.
struct TagTripleLess {
  using Triple = std::tuple<ot::Tag, ot::Tag, ot::Tag>;
  bool operator()(const Triple& a, const Triple& b) const { return a < b; }
};

// Copies the glyph slots of `source` into `target`, which takes `holder`.
void copySequence(Sequence& target, const Sequence& source, GlyphClassHolder holder);
// Removes the glyphs of `remove` from each slot of the sequences in turn. True, at once,
// when a slot that lost glyphs is left empty: the rule can no longer match.
bool pruneSequences(std::initializer_list<Sequence*> sequences, const GlyphSet& remove);

}  // namespace otl
