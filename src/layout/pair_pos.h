// GPOS pair adjustment (lookup type 2): glyph pairs (format 1) or class pairs over two
// class definitions (format 2), each with two value records. LpPair holds one of the two
// forms and hands each call to it.
#pragma once

#include <map>

#include "layout/records.h"
#include "layout/subtable.h"

namespace otl {

struct GPosPair {
  GPosValue value1, value2;
  bool bothEmpty() const { return value1.isEmpty() && value2.isEmpty(); }
};

struct GPosSpecificPair : GPosPair {
  GPosSpecificPair() = default;
  GPosSpecificPair(uint32_t a, uint32_t b, const GPosValue& v1, const GPosValue& v2) : first(a), second(b) {
    value1 = v1;
    value2 = v2;
  }
  uint32_t first = 0, second = 0;
};

struct GPosClassPair : GPosPair {
  GPosClassPair() = default;
  GPosClassPair(uint16_t c1, uint16_t c2, const GPosValue& v1, const GPosValue& v2) : class1(c1), class2(c2) {
    value1 = v1;
    value2 = v2;
  }
  uint16_t class1 = 0, class2 = 0;
};

bool classPairLess(const GPosClassPair& a, const GPosClassPair& b);

// A pair set naming a second glyph twice: an engine finds the first record, so that one is
// kept and a line says so.
inline constexpr const char* kSecondGlyphTwice = "pair set lists a second glyph twice; its first entry is used";

// The fields both binary formats start with, read before the format's own.
struct PairHeader {
  GlyphList covered;  // first glyphs
  uint16_t valueFormat1 = 0, valueFormat2 = 0;
  // Bytes of the two value records of one pair.
  uint32_t recordSize() const { return ot::valueRecordSize(valueFormat1) + ot::valueRecordSize(valueFormat2); }
};

// Each form holds its pairs and its own binary form and feature text (pair_format1.cpp,
// pair_format2.cpp); the readers continue after the header.
struct LpPairFormat1Impl {
  std::vector<GPosSpecificPair> pairs;

  void readBinary(ot::BinaryReader& r, const PairHeader& header, const GlyphIdMap& map);
  void writeBinary(ot::BinaryWriter& writer, const GlyphIdMap& map) const;
  void writeFea(std::ostream& out) const;
  void pruneByGlyphs(const GlyphSet& remove);
  void collectGlyphs(GlyphSet& out) const;
  // The first glyph of every pair.
  void appendCoverage(GlyphList& out) const;
};

struct LpPairFormat2Impl {
  ClassDefinitionTable classDef1, classDef2;
  std::vector<GPosClassPair> pairs;

  void readBinary(ot::BinaryReader& r, const PairHeader& header, const GlyphIdMap& map);
  void writeBinary(ot::BinaryWriter& writer, const GlyphIdMap& map) const;
  void writeFea(std::ostream& out) const;
  void writeFeaZeroRows(std::ostream& out, bool twoValues, const std::map<uint16_t, GlyphList>& classes1,
                        const std::map<uint16_t, GlyphList>& classes2) const;
  void pruneByGlyphs(const GlyphSet& remove);
  void collectGlyphs(GlyphSet& out) const;
  // Class pairs give no coverage: only the glyph-pair form names its first glyphs.
  void appendCoverage(GlyphList&) const {}
};

class LpPair : public LookupSubtable {
 public:
  // Format 1 makes an empty glyph-pair list, any other value an empty class-pair form.
  explicit LpPair(uint16_t pairFormat);
  // The factory's subtable: format 1 and no format object yet.
  struct Bare {};
  explicit LpPair(Bare) : LookupSubtable(kTableGpos, kGposPair, nullptr) {}

  void readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups,
                  const GlyphIdMap& glyphs) override;
  void writeBinary(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                   uint16_t format) const override;
  void writeFea(std::ostream& out, const LookupMap& lookups, const LookupNames& names) const override;
  void pruneByGlyphs(const GlyphSet& remove) override;
  void collectGlyphs(GlyphSet& out) const override;
  void collectGroupRefs(GlyphSet&) const override {}
  bool isEmpty() const override;
  void appendCoverage(GlyphList& out) const override;
  bool splitForOffsets(SubtableList& out, const LookupIndexMap& lookups, const GlyphIdMap& glyphs) const override;
  std::unique_ptr<LookupSubtable> clone(GlyphClassHolder classes) const override;

  // Appends pieces that each pass the trial write (pair_split.cpp).
  void splitInHalves(SubtableList& out, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                     uint32_t depth = 0) const;
  void assign(const LpPair& other);
  size_t pairCount() const;
  // Glyph pairs -> class pairs (format 2); nothing when the class form exists already.
  void toClassPairs();
  // Class pairs -> glyph pairs (format 1); nothing when the glyph form exists already.
  void toGlyphPairs();

  // The form in use is the one `format` names; the other is null.
  uint16_t format = 1;
  std::unique_ptr<LpPairFormat1Impl> format1;
  std::unique_ptr<LpPairFormat2Impl> format2;
};

// One glyph pair per glyph of class1 and glyph of class2, for each class pair with a value.
void expandClassPairs(const LpPairFormat2Impl& classes, LpPairFormat1Impl& glyphs);

// A value record whose X advance is the kerning value, truncated toward zero and clamped
// to the signed 16-bit range.
GPosValue valueFromKerning(double value);

}  // namespace otl
