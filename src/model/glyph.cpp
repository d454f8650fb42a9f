#include "model/glyph.h"

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "layout/registry/glyph_name_registry.h"
#include "model/component_walk.h"
#include "model/font.h"

namespace vn {

Glyph::Glyph() : serial(takeSerial()) {}

Glyph::~Glyph() {
  for (auto& [kind, data] : dataByKind) data->setGlyph(nullptr);
  releaseData();
}

void Glyph::releaseData() {
  for (auto& [kind, data] : dataByKind) data->release();
  dataByKind.clear();
}

void Glyph::setName(const std::string& newName) {
  name = newName;
  nameId = otl::glyphIdByName(name);
}

VarnelData* Glyph::varnelDataIfAny() const {
  auto found = dataByKind.find(GlyphData::kVarnel);
  return found != dataByKind.end() ? static_cast<VarnelData*>(found->second) : nullptr;
}

VarnelData& Glyph::varnelData() {
  if (VarnelData* data = varnelDataIfAny()) return *data;
  auto* data = new VarnelData();
  dataByKind[GlyphData::kVarnel] = data;
  return *data;
}

TrueTypeData* Glyph::trueTypeDataIfAny() const {
  auto found = dataByKind.find(GlyphData::kTrueType);
  return found != dataByKind.end() ? static_cast<TrueTypeData*>(found->second) : nullptr;
}

TrueTypeData& Glyph::trueTypeData() {
  if (TrueTypeData* data = trueTypeDataIfAny()) return *data;
  auto* data = new TrueTypeData();
  dataByKind[GlyphData::kTrueType] = data;
  return *data;
}

Layer* Glyph::bodyLayer() const {
  VarnelData* data = varnelDataIfAny();
  return data ? data->findLayer(Layer::kBody) : nullptr;
}

void Glyph::transformContours(std::list<Contour>& contours, const Matrix& m) {
  if (m.isIdentity()) return;
  for (Contour& contour : contours) contour.transform(m);
}

void Glyph::boundingBox(Rect& out, const Font& font, const Matrix& matrix, bool bodyOnly, bool nativeOnly) const {
  ComponentBoxes boxes(font, bodyOnly, nativeOnly);
  out = boxes.box(*this, matrix);
}

namespace {

struct FlatComponent {
  std::string baseName;
  Matrix matrix;
};

// Flattens the component tree; stops (mixed) at an outline, a cycle or the depth limit.
class Flattener {
 public:
  explicit Flattener(const Font& font) : finder_(font) {}

  bool mixed = false;
  std::vector<FlatComponent> entries;

  void run(const Glyph& glyph) {
    path_.insert(&glyph);
    if (hasNativeOutline(glyph)) mixed = true;
    for (const Component& component : glyph.components) {
      if (mixed) return;
      expand(component.baseName, component.matrix, 1);
    }
  }

 private:
  static bool hasNativeOutline(const Glyph& glyph) {
    const VarnelData* data = glyph.varnelDataIfAny();
    return data && data->hasOutline(true);
  }

  void expand(const std::string& baseName, const Matrix& m, int depth) {
    if (entries.size() >= Glyph::kMaxFlatComponents) {
      // A component graph this wide is not kept as components.
      mixed = true;
      return;
    }
    const Glyph* base = finder_.find(baseName);
    if (!base || base->components.empty()) {
      entries.push_back({baseName, m});
      return;
    }
    if (depth > Glyph::kDecomposeDepth || path_.count(base)) {
      mixed = true;
      return;
    }
    if (hasNativeOutline(*base)) {
      mixed = true;
      return;
    }
    path_.insert(base);
    for (const Component& component : base->components) {
      if (mixed) break;
      expand(component.baseName, component.matrix.multiply(m), depth + 1);
    }
    path_.erase(base);
  }

  GlyphFinder finder_;
  std::set<const Glyph*> path_;
};

// Copies the outlines of every base glyph reached through the components into target.
class Decomposer {
 public:
  Decomposer(const Font& font, VarnelData& target) : finder_(font), target_(target) {}

  void run(const Glyph& glyph) {
    path_.insert(&glyph);
    for (const Component& component : glyph.components) {
      if (component.baseName == glyph.name) continue;
      visit(component.baseName, component.matrix, 1);
    }
  }

 private:
  void visit(const std::string& baseName, const Matrix& m, int depth) {
    if (depth > Glyph::kDecomposeDepth || copied_ >= Glyph::kMaxDecomposedItems ||
        ++visits_ > Glyph::kMaxDecomposedItems) {
      return;
    }
    const Glyph* base = finder_.find(baseName);
    if (!base || path_.count(base)) return;
    if (const VarnelData* source = base->varnelDataIfAny()) copyLayers(*source, m);
    path_.insert(base);
    for (const Component& component : base->components) {
      if (component.baseName == base->name) continue;
      visit(component.baseName, component.matrix.multiply(m), depth + 1);
    }
    path_.erase(base);
  }

  void copyLayers(const VarnelData& source, const Matrix& m) {
    for (const Layer& layer : source.layers) {
      Layer* into = target_.findLayer(layer.name);
      if (!into) {
        target_.layers.emplace_back(layer.name);
        into = &target_.layers.back();
        into->matrix = layer.matrix;
        into->visible = layer.visible;
        into->display2 = layer.display2;
        into->display3 = layer.display3;
        into->display4 = layer.display4;
      }
      for (const Element& element : layer.elements) {
        if (++copied_ > Glyph::kMaxDecomposedItems) return;
        Element copy = element;
        copy.matrix = element.matrix.multiply(m);
        into->elements.push_back(std::move(copy));
      }
      for (const Hint& hint : layer.hints) into->hints.push_back(hint.transformed(m));
    }
  }

  GlyphFinder finder_;
  VarnelData& target_;
  std::set<const Glyph*> path_;
  size_t copied_ = 0;
  size_t visits_ = 0;
};

}  // namespace

bool Glyph::convertOutline(const Font& font, bool decomposeTransformed) {
  if (components.empty()) return false;
  Flattener flattener(font);
  flattener.run(*this);
  bool transformed = false;
  for (const FlatComponent& entry : flattener.entries) {
    if (entry.matrix.b != 0.0 || entry.matrix.c != 0.0) transformed = true;
  }
  if ((!decomposeTransformed || !transformed) && !flattener.mixed) {
    components.clear();
    for (FlatComponent& entry : flattener.entries) components.push_back({std::move(entry.baseName), entry.matrix});
    return true;
  }
  VarnelData& target = varnelData();
  Decomposer decomposer(font, target);
  decomposer.run(*this);
  target.invalidateBox();
  components.clear();
  return true;
}

void Glyph::assign(const Glyph& other, bool withData) {
  if (this == &other) return;
  name = other.name;
  nameId = other.nameId;
  byteBlock = other.byteBlock;
  advanceWidth = other.advanceWidth;
  advanceHeight = other.advanceHeight;
  spareValue = other.spareValue;
  index = -1;
  markColor = other.markColor;
  namedStrings = other.namedStrings;
  spareMap1 = other.spareMap1;
  spareMap2 = other.spareMap2;
  lib = other.lib;
  spareInt1 = other.spareInt1;
  spareInt2 = other.spareInt2;
  unicodes = other.unicodes;
  components = other.components;
  commandBytes = other.commandBytes;
  pointDataValue = other.pointDataValue;
  pointDataValues = other.pointDataValues;
  spareInt3 = other.spareInt3;
  pairRecords = other.pairRecords;
  if (withData) copyData(other);
}

void Glyph::copyData(const Glyph& other) {
  if (this == &other) return;
  releaseData();
  for (const auto& [kind, data] : other.dataByKind) {
    if (GlyphData* copy = data->cloneData()) dataByKind[kind] = copy;
  }
  for (auto& [kind, data] : dataByKind) data->setGlyph(this);
}

}  // namespace vn
