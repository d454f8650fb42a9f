// The glyph side of a font: its glyphs with their look-ups, the font-wide hinting block,
// binary tables kept by tag, and the layout and kerning member.
#pragma once

#include <cstdint>
#include <ctime>
#include <list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/font_info.h"
#include "model/font_layout.h"
#include "model/geometry.h"
#include "model/glyph.h"
#include "model/object.h"

namespace vn {

struct MasterValue {
  double value = 0.0;
  double second = 0.0;
};

struct FontTransformRecord {
  std::string name;
  Matrix matrix;
  double value1 = 0.0;
  double value2 = 0.0;
  std::map<std::string, std::string> map1;
  std::map<std::string, double> map2;
};

// A group of the font as "groups.plist" lists it.
using LayoutGroupList = std::list<LayoutClassEntry>;

class Font : public Object {
 public:
  Font();

  std::string name;
  FontHinting hinting;
  std::vector<MasterValue> masterValues;
  FileInfo fileInfo;
  // Local calendar time of creation.
  std::tm created{};
  // Binary OpenType tables by their four-character tag.
  std::map<std::string, std::vector<uint8_t>> tables;
  std::vector<std::string> spareList1;
  std::vector<std::string> spareList2;
  FontTransformRecord transformRecord;
  // The glyphs in order; the font holds one reference to each.
  std::list<Glyph*> glyphs;
  std::set<uint32_t> spareSet;
  std::vector<Glyph*> spareVector1;
  std::vector<Glyph*> spareVector2;
  // Look-ups filled by rebuildGlyphIndex.
  std::vector<Glyph*> glyphVector;
  std::map<uint32_t, Glyph*> bySerial;
  std::map<std::string, Glyph*> byName;
  std::map<uint32_t, Glyph*> byUnicode;
  FontLayout layout;
  // Font-wide guides and a font-wide outline.
  Layer globalLayer{"Global"};

  void initCreationTime();
  Layer* guideLayer() { return &globalLayer; }
  const Layer* guideLayer() const { return &globalLayer; }
  size_t glyphCount() const { return glyphs.size(); }
  // Appends a glyph, taking over the caller's reference. The look-ups are emptied, so
  // the next glyphByName rebuilds them.
  void appendGlyph(Glyph* glyph);
  // Null for an empty name; builds the look-ups when they are empty.
  Glyph* glyphByName(const std::string& glyphName);
  const Glyph* glyphByName(const std::string& glyphName) const;
  // Rebuilds glyphVector, bySerial, byName and byUnicode and every glyph's index; a later
  // glyph with the same key wins.
  void rebuildGlyphIndex();
  // Union of every glyph's box (body layers, components included) through the matrix.
  Rect boundingBox(const Matrix* matrix) const;

  FontKerning& kerning() { return layout.kerning(); }
  const FontKerning& kerning() const { return layout.kerning(); }
  KerningGroups* kerningGroups() { return &layout.kerning().groups; }
  const KerningGroups* kerningGroups() const { return &layout.kerning().groups; }

  // Defined with the groups (font_groups.cpp).
  // Adds a group as a reader finds it: kinds 0 and 4 feature-file classes, 1..3 kerning
  // classes of that side, others kerning classes of side 0.
  void addGroup(const std::string& groupName, const GlyphIdList& members, const int32_t& kind,
                const std::string& keyGlyph);
  // Kerning classes, then the layout's feature-file classes, each in ascending id order.
  void gatherLayoutList(LayoutGroupList& out) const;
  void clearGlyphs();
  // Removes the tables "GSUB", "GPOS", "GDEF" and "JSTF".
  void removeLayoutTables();

 protected:
  ~Font() override;

 private:
  // The glyph look-up without building it; for the const form.
  const Glyph* findGlyphByName(const std::string& glyphName) const;
};

}  // namespace vn
