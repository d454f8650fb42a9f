// One glyph of a font: name, advance, Unicode values, components and outline data.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "model/geometry.h"
#include "model/glyph_data.h"
#include "model/object.h"

namespace vn {

class Font;

struct Component {
  std::string baseName;
  Matrix matrix;
};

// A pair record of the native point data.
struct GlyphPairRecord {
  uint16_t first = 0;
  uint16_t second = 0;
  std::list<int32_t> list;
  std::string name;
};

// A ligature caret as the glyph keeps it. The device adjustments are plain (ppem, delta)
// pairs so that the model needs nothing of the layout code.
struct GlyphCaretDelta {
  uint16_t ppem = 0;
  int8_t delta = 0;
  bool operator==(const GlyphCaretDelta&) const = default;
};

struct GlyphCaret {
  static constexpr uint16_t kNoPoint = 0xFFFF;
  int16_t coordinate = 0;
  uint16_t pointIndex = kNoPoint;
  std::vector<GlyphCaretDelta> device;
  std::string name;
  bool operator==(const GlyphCaret&) const = default;
};

class Glyph : public Object {
 public:
  Glyph();

  std::string name;
  uint32_t nameId = 0;
  std::vector<uint8_t> byteBlock;
  double advanceWidth = 0.0;
  double advanceHeight = 0.0;
  double spareValue = 0.0;
  int32_t index = -1;
  int32_t markColor = 0;
  std::map<std::string, std::string> namedStrings;
  std::map<std::string, std::string> spareMap1;
  std::map<std::string, std::string> spareMap2;
  std::map<std::string, std::string> lib;
  int32_t spareInt1 = 0;
  int32_t spareInt2 = 0;
  std::vector<uint32_t> unicodes;
  std::list<Component> components;
  std::vector<uint8_t> commandBytes;
  int32_t pointDataValue = 0;             // value of the native point data
  std::vector<uint16_t> pointDataValues;  // 16-bit list of the native point data
  int32_t spareInt3 = 0;
  std::vector<GlyphPairRecord> pairRecords;
  uint32_t serial = 0;
  // OpenType glyph class: 0 none, 1 base, 2 ligature, 3 mark, 4 component.
  int32_t glyphClass = 0;
  int32_t markAttachClass = 0;  // 0 none
  std::vector<GlyphCaret> ligatureCarets;
  // Owned data objects by kind (GlyphData::kVarnel, kTrueType).
  std::map<int32_t, GlyphData*> dataByKind;

  // Stores the name and its registry id.
  void setName(const std::string& newName);

  VarnelData* varnelDataIfAny() const;
  VarnelData& varnelData();
  TrueTypeData* trueTypeDataIfAny() const;
  TrueTypeData& trueTypeData();
  Layer* bodyLayer() const;

  // Box with components looked up in the font (to a depth of kMaxComponentBoxDepth).
  void boundingBox(Rect& out, const Font& font, const Matrix& matrix, bool bodyOnly, bool nativeOnly) const;
  // Flattens or decomposes the components; false when the glyph has none.
  bool convertOutline(const Font& font, bool decomposeTransformed);
  // What convertOutline would change of the glyph's structure, without changing it.
  enum class ComponentChange { kNone, kRepointed, kDecomposed };
  ComponentChange componentChange(const Font& font, bool decomposeTransformed) const;
  static void transformContours(std::list<Contour>& contours, const Matrix& m);

  // Copies the fields of another glyph (index becomes -1); with data, clones its data objects.
  void assign(const Glyph& other, bool withData);
  // Replaces the data objects by clones of the other glyph's.
  void copyData(const Glyph& other);

 protected:
  ~Glyph() override;

 private:
  void releaseData();
};

}  // namespace vn
