// The records the subtable kinds are built from: GPOS value records, anchors, device
// tables, class definitions and the rule of a context subtable. Their binary forms live
// in layout/ot/ (value_record, anchor, device, class_def).
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
#include "layout/ot/tag.h"

namespace ot {
class BinaryReader;
class BinaryWriter;
}  // namespace ot

namespace otl {

class GlyphIdMap;

// Per-ppem adjustments; start size, end size and delta format are derived on writing.
struct DeviceTable {
  struct Entry {
    uint16_t ppem = 0;
    int8_t delta = 0;
    bool operator==(const Entry&) const = default;
  };
  std::vector<Entry> entries;

  bool operator==(const DeviceTable&) const = default;
  // Reads the table at `offset` of the reader's span; false (nothing added) for an
  // unknown delta format. A malformed table throws ot::Exception 2.
  [[nodiscard]] bool readBinary(ot::BinaryReader& reader, size_t offset);
  void pack(ot::BinaryWriter& writer) const;
};

using DevicePtr = std::unique_ptr<DeviceTable>;
void copyDevice(DevicePtr& target, const DevicePtr& source);
bool sameDevice(const DevicePtr& a, const DevicePtr& b);

// ValueFormat bits.
enum ValueFormatBits : uint16_t {
  kXPlacement = 0x0001,
  kYPlacement = 0x0002,
  kXAdvance = 0x0004,
  kYAdvance = 0x0008,
  kXPlaDevice = 0x0010,
  kYPlaDevice = 0x0020,
  kXAdvDevice = 0x0040,
  kYAdvDevice = 0x0080,
  kIdBits = 0x0F00,
};

// Bytes of a ValueRecord of the given format.
uint32_t valueRecordSize(uint16_t format);

// A GPOS value record.
struct GPosValue {
  int16_t xPlacement = 0, yPlacement = 0, xAdvance = 0, yAdvance = 0;
  // X placement, Y placement, X advance, Y advance.
  std::array<DevicePtr, 4> devices;
  // Values carried for ValueFormat bits 0x0100 to 0x0800.
  std::array<uint16_t, 4> ids{};

  GPosValue() = default;
  GPosValue(const GPosValue& other) { *this = other; }
  GPosValue(GPosValue&&) noexcept = default;
  GPosValue& operator=(const GPosValue& other);
  GPosValue& operator=(GPosValue&&) noexcept = default;

  void clear();
  // Values, ids, and device presence and contents.
  bool operator==(const GPosValue& other) const;
  // The four values only, as signed numbers.
  bool operator<(const GPosValue& other) const;
  // The four values are 0 and no device is present (ids are not looked at).
  bool isEmpty() const;
  uint16_t valueFormat() const;

  // Reads the fields of `format` at `position`; devices at `base` + their offset.
  // Leaves the reader after the record.
  void readBinary(ot::BinaryReader& reader, size_t position, size_t base, uint16_t format);
  // Writes the fields of `format`; device fields as 0 with their places noted.
  void writeBinary(ot::BinaryWriter& writer, uint16_t format, std::array<uint32_t, 4>& deviceFields) const;
  // Writes the noted devices, patching their fields relative to `base`.
  void writeDevices(ot::BinaryWriter& writer, uint32_t base, const std::array<uint32_t, 4>& deviceFields) const;

  // The bare X advance when the other three values are 0, else the bracketed form.
  void writeFea(std::ostream& out) const;
  void writeFeaFull(std::ostream& out) const;
};

struct AnchorTable {
  static constexpr uint16_t kNoPoint = 65535;
  int16_t x = 0, y = 0;
  uint16_t contourPoint = kNoPoint;
  DevicePtr xDevice, yDevice;

  AnchorTable() = default;
  AnchorTable(int16_t ax, int16_t ay, uint16_t point = kNoPoint) : x(ax), y(ay), contourPoint(point) {}
  AnchorTable(const AnchorTable& other) { *this = other; }
  AnchorTable(AnchorTable&&) noexcept = default;
  AnchorTable& operator=(const AnchorTable& other);
  AnchorTable& operator=(AnchorTable&&) noexcept = default;
  virtual ~AnchorTable() = default;
  bool operator==(const AnchorTable& other) const;

  // Reads the anchor at `offset`; leaves the reader after the anchor's fields.
  void readBinary(ot::BinaryReader& reader, size_t offset);
  void writeBinary(ot::BinaryWriter& writer) const;
  void writeFea(std::ostream& out) const;
};

using AnchorPtr = std::unique_ptr<AnchorTable>;
void copyAnchor(AnchorPtr& target, const AnchorPtr& source);

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

  // Binary form (layout/ot/class_def.cpp).
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
