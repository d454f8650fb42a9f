// Outline data of a glyph: the native layered outline (kind 1) and a TrueType outline
// (kind 2), both reference counted and owned by their glyph.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "model/geometry.h"
#include "model/layer.h"
#include "model/object.h"

namespace vn {

class Glyph;
class VarnelData;

class GlyphData : public Object {
 public:
  static constexpr int32_t kVarnel = 1;
  static constexpr int32_t kTrueType = 2;

  virtual int32_t kind() const = 0;
  virtual void invalidateBox() {}
  virtual bool isValid() const { return true; }
  virtual bool hasOutline(bool bodyOnly) const = 0;
  virtual bool hasBitmap() const { return false; }
  virtual bool hasStyledElements() const { return false; }
  virtual bool hasHints() const { return false; }
  virtual int32_t bitmapCount() const { return 0; }
  // The box of the data mapped through the matrix (none: identity).
  virtual void boundingBox(Rect& out, const Matrix* matrix, bool bodyOnly) = 0;
  virtual void setGlyph(const Glyph*) {}
  virtual void transform(const Matrix&) {}
  // The native form: this object for kind 1, a new object (one reference for the
  // caller) for kind 2; null when the data cannot be converted.
  virtual VarnelData* toVarnelData() = 0;
  GlyphData* cloneData() const { return static_cast<GlyphData*>(clone()); }
};

class VarnelData : public GlyphData {
 public:
  VarnelData() = default;

  std::list<Layer> layers;

  int32_t kind() const override { return kVarnel; }
  void invalidateBox() override { cacheBox_.empty = true; }
  bool hasOutline(bool bodyOnly) const override;
  bool hasBitmap() const override;
  bool hasStyledElements() const override;
  bool hasHints() const override;
  int32_t bitmapCount() const override;
  void boundingBox(Rect& out, const Matrix* matrix, bool bodyOnly) override;
  void transform(const Matrix& m) override;
  VarnelData* toVarnelData() override { return this; }
  Object* clone() const override;

  Layer* findLayer(const std::string& name);
  const Layer* findLayer(const std::string& name) const;
  // "Body", appended when missing.
  Layer& bodyLayer();
  // "Mask", inserted at the front when missing and create is true.
  Layer* maskLayer(bool create);
  Contour& addToBody(const Contour& contour);
  Element& addBodyItem(const Element& element);

 private:
  Rect cacheBox_;
  bool cacheBodyOnly_ = true;
};

struct TrueTypePoint {
  int16_t x = 0;
  int16_t y = 0;
  uint8_t flags = 0;  // bit 0: on-curve

  bool onCurve() const { return flags & 1; }
};

class TrueTypeData : public GlyphData {
 public:
  TrueTypeData() = default;

  int32_t outlineKind = 0;  // 1 or 2: an outline is present
  int32_t value1 = 0;
  int32_t value2 = 0;
  int16_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  std::vector<uint16_t> endPoints;  // last point of each contour, ascending
  std::vector<TrueTypePoint> points;
  std::list<std::string> spareList;
  std::vector<uint8_t> spareBytes;
  uint8_t spareFlag = 1;
  std::map<std::string, std::string> spareMap;

  int32_t kind() const override { return kTrueType; }
  bool hasOutline(bool bodyOnly) const override;
  void boundingBox(Rect& out, const Matrix* matrix, bool bodyOnly) override;
  // Null when the end points do not ascend or reach past the points.
  VarnelData* toVarnelData() override;
  Object* clone() const override;

  // End points ascend and stay below the point count.
  bool endPointsValid() const;
};

}  // namespace vn
