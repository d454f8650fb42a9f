#include "model/glyph_data.h"

#include <string>

namespace vn {

// ---- VarnelData

namespace {
bool isBody(const Layer& layer) { return layer.name == Layer::kBody; }
bool isMask(const Layer& layer) { return layer.name == Layer::kMask; }
}  // namespace

bool VarnelData::hasOutline(bool bodyOnly) const {
  if (bodyOnly) {
    const Layer* body = findLayer(Layer::kBody);
    return body && !body->elements.empty() && body->pointCount() > 0;
  }
  for (const Layer& layer : layers) {
    if (layer.visible == 0 || isMask(layer)) continue;
    if (layer.pointCount() > 0 || layer.hasBitmap()) return true;
  }
  return false;
}

bool VarnelData::hasBitmap() const {
  const Layer* body = findLayer(Layer::kBody);
  return body && body->hasBitmap();
}

bool VarnelData::hasStyledElements() const {
  const Layer* body = findLayer(Layer::kBody);
  return body && body->hasStyledElements();
}

bool VarnelData::hasHints() const {
  const Layer* body = findLayer(Layer::kBody);
  return body && !body->elements.empty() && !body->hints.empty();
}

int32_t VarnelData::bitmapCount() const {
  const Layer* body = findLayer(Layer::kBody);
  return body ? body->bitmapCount() : 0;
}

void VarnelData::boundingBox(Rect& out, const Matrix* matrix, bool bodyOnly) {
  if (!(cacheBodyOnly_ == bodyOnly && cacheBox_.isValid())) {
    Rect box;
    for (const Layer& layer : layers) {
      const bool counted = bodyOnly ? isBody(layer) : (layer.visible != 0 && !isMask(layer));
      if (!counted) continue;
      box.unite(layer.boundingBox(bodyOnly).transformed(layer.matrix));
    }
    cacheBox_ = box;
    cacheBodyOnly_ = bodyOnly;
  }
  out = matrix ? cacheBox_.transformed(*matrix) : cacheBox_;
}

void VarnelData::transform(const Matrix& m) {
  if (m.isIdentity()) return;
  for (Layer& layer : layers) {
    for (Element& element : layer.elements) element.matrix = element.matrix.multiply(m);
  }
  invalidateBox();
}

Object* VarnelData::clone() const {
  auto* copy = new VarnelData();
  copy->layers = layers;
  return copy;
}

Layer* VarnelData::findLayer(const std::string& layerName) {
  return const_cast<Layer*>(static_cast<const VarnelData*>(this)->findLayer(layerName));
}

const Layer* VarnelData::findLayer(const std::string& layerName) const {
  for (const Layer& layer : layers) {
    if (layer.name == layerName) return &layer;
  }
  return nullptr;
}

Layer& VarnelData::bodyLayer() {
  if (Layer* body = findLayer(Layer::kBody)) return *body;
  layers.emplace_back(Layer::kBody);
  return layers.back();
}

Layer* VarnelData::maskLayer(bool create) {
  if (Layer* mask = findLayer(Layer::kMask)) return mask;
  if (!create) return nullptr;
  layers.emplace_front(Layer::kMask);
  layers.front().display2 = 1;
  layers.front().display3 = 1;
  return &layers.front();
}

Contour& VarnelData::addToBody(const Contour& contour) {
  invalidateBox();
  return bodyLayer().addContour(contour);
}

Element& VarnelData::addBodyItem(const Element& element) {
  invalidateBox();
  Layer& body = bodyLayer();
  body.elements.push_back(element);
  return body.elements.back();
}

// ---- TrueTypeData

bool TrueTypeData::hasOutline(bool) const {
  return (outlineKind == 1 || outlineKind == 2) && !points.empty();
}

void TrueTypeData::boundingBox(Rect& out, const Matrix* matrix, bool) {
  out = Rect{};
  if (outlineKind != 1 && outlineKind != 2) return;
  out.add(xMin, yMin);
  out.add(xMax, yMax);
  if (matrix) out.transform(*matrix);
}

Object* TrueTypeData::clone() const {
  auto* copy = new TrueTypeData();
  copy->outlineKind = outlineKind;
  copy->value1 = value1;
  copy->value2 = value2;
  copy->xMin = xMin;
  copy->yMin = yMin;
  copy->xMax = xMax;
  copy->yMax = yMax;
  copy->endPoints = endPoints;
  copy->points = points;
  copy->spareList = spareList;
  copy->spareBytes = spareBytes;
  copy->spareFlag = spareFlag;
  copy->spareMap = spareMap;
  return copy;
}

bool TrueTypeData::endPointsValid() const {
  int64_t previous = -1;
  for (uint16_t end : endPoints) {
    if (int64_t{end} <= previous || end >= points.size()) return false;
    previous = end;
  }
  return true;
}

VarnelData* TrueTypeData::toVarnelData() {
  if (!endPointsValid()) return nullptr;
  auto* data = new VarnelData();
  Layer& body = data->bodyLayer();
  body.elements.clear();
  size_t begin = 0;
  for (uint16_t end : endPoints) {
    const size_t count = size_t{end} + 1 - begin;
    if (count < 3) {
      begin = size_t{end} + 1;
      continue;
    }
    Contour contour;
    for (size_t i = begin; i <= end; ++i) {
      Node node;
      node.type = points[i].onCurve() ? Node::kOnCurve : Node::kQuadratic;
      node.x = points[i].x;
      node.y = points[i].y;
      node.flags = 0;
      node.name = std::to_string(i);
      contour.nodes.push_back(std::move(node));
    }
    const Node& first = contour.nodes.front();
    const Node& last = contour.nodes.back();
    if (first.isOffCurve() && last.isOffCurve()) {
      Node move;
      move.type = Node::kMove;
      move.x = (first.x + last.x) / 2.0;
      move.y = (first.y + last.y) / 2.0;
      move.flags = 1;
      contour.nodes.insert(contour.nodes.begin(), std::move(move));
    } else if (first.isOffCurve()) {
      // The last on-curve point becomes the start; it keeps its name so that hint
      // programs still find it.
      Node move = last;
      move.type = Node::kMove;
      contour.nodes.pop_back();
      contour.nodes.insert(contour.nodes.begin(), std::move(move));
    } else {
      contour.nodes.front().type = Node::kMove;
    }
    Contour& stored = body.addContour(contour);
    stored.markSmooth();
    stored.markHVSmooth();
    begin = size_t{end} + 1;
  }
  return data;
}

}  // namespace vn
