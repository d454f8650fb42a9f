// GDEF data of a layout: glyph classes, attachment points, ligature carets, the
// mark-attachment classes and the mark glyph sets that lookups filter marks by.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <vector>

#include "layout/records.h"

namespace vn {
class Font;
struct FeatureWriteOptions;
}  // namespace vn

namespace otl {

class GlyphIdMap;

struct LigatureCaret {
  static constexpr uint16_t kNoPoint = 0xFFFF;
  int16_t coordinate = 0;
  uint16_t pointIndex = kNoPoint;
  DeviceTable device;
  bool operator==(const LigatureCaret&) const = default;
};

class GDefTableData {
 public:
  static constexpr uint32_t kVersion10 = 0x00010000;
  static constexpr uint32_t kVersion12 = 0x00010002;

  explicit GDefTableData(vn::Font* const* fontHolder = nullptr) : fontHolder_(fontHolder) {}
  virtual ~GDefTableData() = default;
  GDefTableData(const GDefTableData&) = delete;
  GDefTableData& operator=(const GDefTableData&) = delete;

  // Copies version and every part; the font holder stays.
  void assign(const GDefTableData& other);
  void clear();
  bool isEmpty() const;

  // Reads a GDEF table of version 1.0, 1.2 or later (later parts ignored). Malformed
  // data throws ot::Exception 2; parts read before stay.
  [[nodiscard]] bool readBinary(ot::BinaryReader& reader, const GlyphIdMap& map);
  // Version 1.0 (12-byte header), or 1.2 when there are mark glyph sets. False, with
  // nothing written, when an offset would pass 16 bits.
  [[nodiscard]] bool writeBinary(ot::BinaryWriter& writer, const GlyphIdMap& map) const;
  // The GDEF part of the feature file.
  void writeFea(const vn::FeatureWriteOptions& options, std::ostream& out) const;
  void writeFea(bool comments, std::ostream& out) const;

  void collectGlyphs(GlyphSet& out) const;
  void missingGlyphs(GlyphSet& out, const GlyphIdMap& map) const;
  void removeMissingGlyphs(const GlyphIdMap& map);
  void pruneByGlyphs(const GlyphSet& glyphs);
  // Copies glyph classes, mark-attachment classes and carets into the font's glyphs
  // (every glyph is reset first). Nothing happens without a font.
  void applyToGlyphs();
  // Refills glyph classes, mark-attachment classes and carets from the font's glyphs;
  // the attachment points stay. Nothing happens without a font.
  void collectFromGlyphs();

  uint32_t version = kVersion10;
  ClassDefinitionTable glyphClasses;  // 1 base, 2 ligature, 3 mark, 4 component
  GlyphList attachGlyphs;
  std::vector<std::vector<uint16_t>> attachPoints;  // parallel to attachGlyphs
  GlyphList caretGlyphs;
  std::vector<std::vector<LigatureCaret>> carets;  // parallel to caretGlyphs
  ClassDefinitionTable markAttachClasses;
  // Mark glyph sets by MarkFilteringSet index; each in stored (coverage) order.
  std::vector<GlyphList> markGlyphSets;

 private:
  void removeGlyphs(const GlyphSet& glyphs);
  void readAttachList(ot::BinaryReader& reader, size_t offset, const GlyphIdMap& map);
  void readCaretList(ot::BinaryReader& reader, size_t offset, const GlyphIdMap& map);
  void readMarkGlyphSets(ot::BinaryReader& reader, size_t offset, const GlyphIdMap& map);
  void writeParts(ot::BinaryWriter& writer, const GlyphIdMap& map) const;
  void writeAttachList(ot::BinaryWriter& writer, const GlyphIdMap& map) const;
  void writeCaretList(ot::BinaryWriter& writer, const GlyphIdMap& map) const;
  void writeMarkGlyphSets(ot::BinaryWriter& writer, const GlyphIdMap& map) const;

  vn::Font* const* fontHolder_;
};

}  // namespace otl
