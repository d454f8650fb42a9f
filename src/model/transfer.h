// The visitor through which layers, elements, contours, hints, guides, point links, the
// metrics and the hinting block are streamed to a consumer. Every operation does nothing
// by default and every begin operation returns false, so a consumer receives only what
// it overrides.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/font_info.h"
#include "model/geometry.h"
#include "model/hint.h"

namespace vn {

class Bitmap;
struct Element;
struct ElementStyle;
class Layer;

class Transfer {
 public:
  virtual ~Transfer() = default;

  // Matrices of layers and elements (sent only when not the identity) and of the metrics
  // block (always sent).
  virtual void transform(const Matrix&) {}
  virtual void bitmap(const Bitmap&) {}
  virtual void scale(double) {}

  virtual bool beginContour(uint8_t /*contourFlag*/, int32_t /*nodeCount*/) { return false; }
  virtual void moveTo(const Point&, uint8_t /*flags*/) {}
  virtual void lineTo(const Point&, uint8_t /*flags*/) {}
  // A quadratic off-curve point.
  virtual void offCurve(const Point&, uint8_t /*flags*/) {}
  virtual void curveTo(const Point& /*control1*/, const Point& /*control2*/, const Point& /*end*/,
                       uint8_t /*flags*/) {}
  // The name of the node just sent.
  virtual void pointName(const std::string&) {}
  // Sent just before the curveTo that returns to the contour's start.
  virtual void closingCurve() {}
  virtual void endContour() {}

  virtual bool beginElement(const Element&, int32_t /*contourCount*/, bool /*hasBitmap*/) { return false; }
  virtual void strokeStyle(const ElementStyle&) {}
  virtual void fillStyle(const ElementStyle&) {}
  virtual void endElement() {}

  virtual bool beginLayer(const Layer&, uint8_t /*visible*/, uint8_t /*display2*/, int32_t /*elementCount*/) {
    return false;
  }
  virtual void endLayer() {}

  // Never sent by the model's drivers; kept for consumers that use them among themselves.
  virtual bool reserved23(int32_t, int32_t) { return false; }
  virtual void reserved26(int32_t) {}
  virtual bool reserved37(int32_t, int32_t) { return false; }
  virtual void reserved69(int32_t) {}

  virtual void guide(const Point& /*first*/, const Point& /*second*/, const std::string& /*name*/,
                     const std::array<double, 4>& /*color*/) {}
  virtual void hint(double /*position*/, double /*width*/, uint8_t /*horizontal*/) {}
  virtual void replaceCommand(int32_t /*kind*/, int32_t /*hintIndex*/) {}

  virtual void namedMetric(const std::string& /*name*/, double /*value*/) {}
  // Metric ids: 0 units per em, then the metrics values (see FontMetrics::transfer).
  virtual void metric(int32_t /*id*/, double /*value*/) {}
  // (horizontal, second) = (1,0) TrueType H, (0,0) TrueType V, (1,1) PostScript H, (0,1) PostScript V.
  virtual void stem(double /*width*/, int32_t /*horizontal*/, int32_t /*second*/, const Stem&, const StepMap&) {}
  // (a, b) = (0,0) TrueType zones, (1,0) font alignment zones, (1,1) family alignment zones.
  virtual void zone(double /*position*/, double /*width*/, uint8_t /*kind*/, int32_t /*a*/, int32_t /*b*/,
                    const Zone&, const StepMap&) {}
  virtual void link(const PointReference& /*first*/, const PointReference& /*second*/,
                    const std::string& /*name*/, const Color&) {}
};

}  // namespace vn
