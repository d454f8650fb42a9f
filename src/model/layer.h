// Layers, elements, contours, nodes and bitmaps of a native outline.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "model/geometry.h"
#include "model/hint.h"
#include "model/limits.h"

namespace vn {

class Transfer;

struct Node {
  enum Type : int32_t { kMove = 0, kOnCurve = 1, kQuadratic = 2, kCubic = 3 };
  // Flag bits set by the smooth marking.
  static constexpr uint8_t kFlagHorizontal = 0x02;
  static constexpr uint8_t kFlagVertical = 0x04;
  static constexpr uint8_t kFlagSmooth = 0x01;

  // Laid out largest first: fonts hold millions of nodes.
  double x = 0.0;
  double y = 0.0;
  std::string name;
  int32_t type = kOnCurve;
  uint8_t flags = 0;

  bool isOffCurve() const { return type == kQuadratic || type == kCubic; }
  Point point() const { return Point{x, y}; }
};

struct Contour {
  std::string name;
  uint8_t flag = 0;
  std::vector<Node> nodes;

  void transfer(Transfer& consumer) const;
  // Marks on-curve nodes between off-curve neighbours that line up vertically (bit 2) or
  // horizontally (bit 1).
  void markHVSmooth();
  // Marks on-curve nodes whose incoming and outgoing directions are nearly parallel.
  void markSmooth();
  void resetFlag() { flag = 0; }
  // Exact: the curve box; otherwise the box of every node.
  Rect boundingBox(bool exact) const;
  void transform(const Matrix& m);
};

struct ElementStyle {
  int32_t kind = 0;
  double penX = 1.0;
  double penY = 0.0;
  std::array<double, 4> color{};

  double penLength() const;
};

// Pixel bitmap. Sizes are checked: a bitmap larger than kMaxBitmapBytes is refused.
class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(const Bitmap& other);
  Bitmap& operator=(const Bitmap& other);
  Bitmap(Bitmap&&) noexcept = default;
  Bitmap& operator=(Bitmap&&) noexcept = default;

  // Allocates a zeroed buffer; false (and an empty bitmap) when the size is absurd.
  bool setSize(int32_t width, int32_t height, int32_t bitsPerPixel);
  bool isEmpty() const { return data_.empty() || byteSize_ == 0; }

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  int32_t bitsPerPixel() const { return bitsPerPixel_; }
  int32_t rowBytes() const { return rowBytes_; }
  int32_t byteSize() const { return byteSize_; }
  const std::vector<uint8_t>& data() const { return data_; }
  std::vector<uint8_t>& data() { return data_; }
  bool owned() const { return !data_.empty(); }

 private:
  void copyFrom(const Bitmap& other);

  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t bitsPerPixel_ = 32;
  int32_t rowBytes_ = 0;
  int32_t byteSize_ = 0;
  std::vector<uint8_t> data_;
};

struct Element {
  std::string name;
  ElementStyle strokeStyle{0, 1.0, 0.0, {0, 0, 0, 0}};
  ElementStyle fillStyle{1, 1.0, 0.0, {0, 0, 0, 1}};
  std::list<Contour> contours;
  double outlineWidth = 0.0;
  int32_t value1 = 0;
  double value2 = 0.0;
  std::array<int32_t, 2> pair{2, 2};
  Bitmap bitmap;
  Matrix matrix;
  double scale = 1.0;

  int32_t pointCount() const;
  Contour& addContour(const Contour& contour);
  // Fill kind 1 with colour 0,0,0,1, stroke kind 0 and scale 1.0.
  bool isPlain() const;
  Rect boundingBox(bool bodyOnly) const;
  void transfer(Transfer& consumer) const;
};

class Layer {
 public:
  static constexpr const char* kBody = "Body";
  static constexpr const char* kMask = "Mask";

  explicit Layer(std::string layerName = kBody) : name(std::move(layerName)) {}

  std::string name;
  Matrix matrix;
  double scale = 1.0;
  uint8_t visible = 1;
  uint8_t display2 = 0;
  uint8_t display3 = 0;
  uint8_t display4 = 0;
  double value1 = 0.0;
  double value2 = 0.0;
  std::list<Element> elements;
  std::vector<Guide> guides;
  std::vector<Hint> hints;
  std::list<ReplacementRecord> replacements;
  std::vector<PointLink> links;

  int32_t pointCount() const;
  // The n-th node in element, contour and node order.
  bool findPoint(int32_t n, Node*& out);
  bool findPoint(int32_t n, const Node*& out) const;
  // "lsb" and "rsb" for the two indices after the last node, else the node's name.
  std::string pointName(int32_t n) const;
  // Index of the named point (a name may carry ",more" after it); -1 when none.
  int32_t pointIndex(const std::string& name) const;
  void pointMap(std::map<std::string, int32_t>& map, std::vector<std::string>& names) const;
  int32_t countHints(uint8_t horizontal) const;
  Rect boundingBox(bool bodyOnly) const;
  // Composes the matrix after every element's own matrix.
  void transform(const Matrix& m);
  // Appends to the first element (made when missing).
  Contour& addContour(const Contour& contour);
  bool hasBitmap() const;
  int32_t bitmapCount() const;
  bool hasStyledElements() const;
  // Names the points at which hint sets start: "hr01", "hr02", ... ("hr00" without records,
  // or for the stems that stand before the first replacement point).
  void nameHintReplacements();
  void transfer(Transfer& consumer) const;
};

}  // namespace vn
