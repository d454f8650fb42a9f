#include "model/layer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/limits.h"
#include "model/transfer.h"

namespace vn {

double ElementStyle::penLength() const { return Vector{penX, penY}.length(); }

// ---- Bitmap

Bitmap::Bitmap(const Bitmap& other) { copyFrom(other); }

Bitmap& Bitmap::operator=(const Bitmap& other) {
  if (this != &other) copyFrom(other);
  return *this;
}

void Bitmap::copyFrom(const Bitmap& other) {
  if (!setSize(other.width_, other.height_, other.bitsPerPixel_)) return;
  const size_t count = std::min(data_.size(), other.data_.size());
  if (count > 0) std::memcpy(data_.data(), other.data_.data(), count);
}

bool Bitmap::setSize(int32_t width, int32_t height, int32_t bitsPerPixel) {
  auto clear = [this]() {
    data_.clear();
    data_.shrink_to_fit();
    width_ = height_ = rowBytes_ = byteSize_ = 0;
    bitsPerPixel_ = 32;
  };
  if (width <= 0 || height <= 0) {
    clear();
    return true;
  }
  // Sizes from a file may be anything: compute in 64 bits and refuse what no bitmap needs.
  if (bitsPerPixel <= 0 || bitsPerPixel > 64) {
    clear();
    return false;
  }
  const int64_t rowBytes = bitsPerPixel == 1 ? (int64_t{width} + 7) >> 3
                                             : (int64_t{width} * bitsPerPixel) >> 3;
  if (rowBytes <= 0 || rowBytes > kMaxBitmapBytes / height) {
    clear();
    return false;
  }
  const int64_t byteSize = rowBytes * height;
  width_ = width;
  height_ = height;
  bitsPerPixel_ = bitsPerPixel;
  rowBytes_ = static_cast<int32_t>(rowBytes);
  byteSize_ = static_cast<int32_t>(byteSize);
  data_.assign(static_cast<size_t>(byteSize), 0);
  return true;
}

// ---- Element

int32_t Element::pointCount() const {
  size_t count = 0;
  for (const Contour& contour : contours) count += contour.nodes.size();
  return static_cast<int32_t>(std::min<size_t>(count, INT32_MAX));
}

Contour& Element::addContour(const Contour& contour) {
  contours.push_back(contour);
  return contours.back();
}

bool Element::isPlain() const {
  return fillStyle.kind == 1 && fillStyle.color[0] == 0 && fillStyle.color[1] == 0 && fillStyle.color[2] == 0 &&
         fillStyle.color[3] == 1 && strokeStyle.kind == 0 && scale == 1.0;
}

Rect Element::boundingBox(bool bodyOnly) const {
  Rect box;
  for (const Contour& contour : contours) {
    if (bodyOnly && outlineWidth == 0.0 && contour.flag != 0) continue;
    box.unite(contour.boundingBox(bodyOnly));
  }
  const double half = strokeStyle.kind != 0 ? strokeStyle.penLength() / 2.0 : 0.0;
  box.grow(std::max(outlineWidth, half));
  if (!bitmap.isEmpty()) {
    box.add(0.0, 0.0);
    box.add(static_cast<double>(static_cast<uint32_t>(bitmap.width())),
            static_cast<double>(static_cast<uint32_t>(bitmap.height())));
  }
  return box;
}

void Element::transfer(Transfer& consumer) const {
  if (!consumer.beginElement(*this, static_cast<int32_t>(contours.size()), !bitmap.isEmpty())) return;
  consumer.strokeStyle(strokeStyle);
  consumer.fillStyle(fillStyle);
  if (!matrix.isIdentity()) consumer.transform(matrix);
  if (scale != 1.0) consumer.scale(scale);
  if (!bitmap.isEmpty()) consumer.bitmap(bitmap);
  for (const Contour& contour : contours) contour.transfer(consumer);
  consumer.endElement();
}

// ---- Layer


int32_t Layer::pointCount() const {
  int64_t count = 0;
  for (const Element& element : elements) count += element.pointCount();
  return static_cast<int32_t>(std::min(count, kMaxPointCount));
}

bool Layer::findPoint(int32_t n, Node*& out) {
  const Node* found = nullptr;
  if (!static_cast<const Layer*>(this)->findPoint(n, found)) return false;
  out = const_cast<Node*>(found);
  return true;
}

bool Layer::findPoint(int32_t n, const Node*& out) const {
  if (n < 0) return false;
  int64_t remaining = n;
  for (const Element& element : elements) {
    for (const Contour& contour : element.contours) {
      const int64_t size = static_cast<int64_t>(contour.nodes.size());
      if (remaining < size) {
        auto it = contour.nodes.begin();
        std::advance(it, remaining);
        out = &*it;
        return true;
      }
      remaining -= size;
    }
  }
  return false;
}

std::string Layer::pointName(int32_t n) const {
  const int32_t count = pointCount();
  if (n == count) return "lsb";
  if (n == count + 1) return "rsb";
  const Node* node = nullptr;
  return findPoint(n, node) ? node->name : std::string();
}

int32_t Layer::pointIndex(const std::string& pointName) const {
  const int32_t count = pointCount();
  if (pointName == "lsb") return count;
  if (pointName == "rsb") return count + 1;
  int32_t index = 0;
  for (const Element& element : elements) {
    for (const Contour& contour : element.contours) {
      for (const Node& node : contour.nodes) {
        if (node.name == pointName) return index;
        const size_t comma = node.name.find(',');
        if (comma != std::string::npos && comma > 0 && node.name.compare(0, comma, pointName) == 0 &&
            pointName.size() == comma) {
          return index;
        }
        ++index;
      }
    }
  }
  return -1;
}

void Layer::pointMap(std::map<std::string, int32_t>& map, std::vector<std::string>& names) const {
  map.clear();
  names.clear();
  int32_t index = 0;
  for (const Element& element : elements) {
    for (const Contour& contour : element.contours) {
      for (const Node& node : contour.nodes) {
        if (!node.name.empty()) {
          map[node.name] = index;
          names.push_back(node.name);
        }
        ++index;
      }
    }
  }
}

int32_t Layer::countHints(uint8_t horizontal) const {
  return static_cast<int32_t>(
      std::count_if(hints.begin(), hints.end(), [&](const Hint& hint) { return hint.horizontal == horizontal; }));
}

Rect Layer::boundingBox(bool bodyOnly) const {
  Rect box;
  for (const Element& element : elements) box.unite(element.boundingBox(bodyOnly).transformed(element.matrix));
  return box;
}

void Layer::transform(const Matrix& m) {
  if (m.isIdentity()) return;
  for (Element& element : elements) element.matrix = element.matrix.multiply(m);
}

Contour& Layer::addContour(const Contour& contour) {
  if (elements.empty()) elements.emplace_back();
  return elements.front().addContour(contour);
}

bool Layer::hasBitmap() const {
  return std::any_of(elements.begin(), elements.end(), [](const Element& e) { return !e.bitmap.isEmpty(); });
}

int32_t Layer::bitmapCount() const {
  return static_cast<int32_t>(
      std::count_if(elements.begin(), elements.end(), [](const Element& e) { return !e.bitmap.isEmpty(); }));
}

bool Layer::hasStyledElements() const {
  return std::any_of(elements.begin(), elements.end(), [](const Element& e) { return !e.isPlain(); });
}

namespace {
std::string replacementPointName(int32_t k) {
  std::string digits = std::to_string(k);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
  return "hr" + digits;
}
}  // namespace

void Layer::nameHintReplacements() {
  if (hints.empty()) return;
  if (!replacements.empty()) {
    // One pass over the nodes, so that many records on many points stay linear.
    std::vector<Node*> byIndex;
    for (Element& element : elements) {
      for (Contour& contour : element.contours) {
        for (Node& node : contour.nodes) byIndex.push_back(&node);
      }
    }
    // Stems before the first replacement point form a set that starts at point 0.
    if (replacements.front().kind != 3 && !byIndex.empty() && byIndex.front()->name.empty()) {
      byIndex.front()->name = replacementPointName(0);
    }
    int32_t k = 0;
    for (ReplacementRecord& record : replacements) {
      if (record.kind != 3) continue;
      ++k;
      if (record.index < 0 || static_cast<size_t>(record.index) >= byIndex.size()) continue;
      Node* node = byIndex[static_cast<size_t>(record.index)];
      if (node->name.empty()) node->name = replacementPointName(k);
      record.name = node->name;
    }
    return;
  }
  for (Element& element : elements) {
    for (Contour& contour : element.contours) {
      if (contour.nodes.empty()) continue;
      Node& first = contour.nodes.front();
      if (first.name.empty()) first.name = replacementPointName(0);
      return;
    }
  }
}

void Layer::transfer(Transfer& consumer) const {
  if (!consumer.beginLayer(*this, visible, display2, static_cast<int32_t>(elements.size()))) return;
  if (!matrix.isIdentity()) consumer.transform(matrix);
  if (scale != 1.0) consumer.scale(scale);
  for (const Element& element : elements) element.transfer(consumer);
  for (const Guide& guide : guides) {
    consumer.guide(Point{guide.x1, guide.y1}, Point{guide.x2, guide.y2}, guide.name, guide.color);
  }
  for (const Hint& hint : hints) hint.transfer(consumer);
  for (const PointLink& link : links) consumer.link(link.first, link.second, link.name, link.color());
  consumer.endLayer();
}

}  // namespace vn
