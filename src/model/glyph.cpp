#include "model/glyph.h"

#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "layout/registry/glyph_name_registry.h"
#include "model/component_walk.h"
#include "model/font.h"
#include "model/limits.h"

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

namespace {
// The data object stored under the kind of Data, or null.
template <class Data, int32_t kKind>
Data* dataOfKind(const std::map<int32_t, GlyphData*>& dataByKind) {
  auto found = dataByKind.find(kKind);
  return found != dataByKind.end() ? static_cast<Data*>(found->second) : nullptr;
}

// The data object of the kind of Data, made and stored when missing.
template <class Data, int32_t kKind>
Data& dataOfKindMade(std::map<int32_t, GlyphData*>& dataByKind) {
  if (Data* data = dataOfKind<Data, kKind>(dataByKind)) return *data;
  auto* data = new Data();
  dataByKind[kKind] = data;
  return *data;
}
}  // namespace

VarnelData* Glyph::varnelDataIfAny() const {
  return dataOfKind<VarnelData, GlyphData::kVarnel>(dataByKind);
}
VarnelData& Glyph::varnelData() { return dataOfKindMade<VarnelData, GlyphData::kVarnel>(dataByKind); }
TrueTypeData* Glyph::trueTypeDataIfAny() const {
  return dataOfKind<TrueTypeData, GlyphData::kTrueType>(dataByKind);
}
TrueTypeData& Glyph::trueTypeData() {
  return dataOfKindMade<TrueTypeData, GlyphData::kTrueType>(dataByKind);
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
    // The glyph may be a copy of the font's glyph of that name: a cycle comes back to
    // the font's one.
    if (const Glyph* original = finder_.find(glyph.name)) path_.insert(original);
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
    if (entries.size() >= kMaxFlatComponents) {
      // A component graph this wide is not kept as components.
      mixed = true;
      return;
    }
    const Glyph* base = finder_.find(baseName);
    if (!base || base->components.empty()) {
      entries.push_back({baseName, m});
      return;
    }
    if (depth > kMaxDecomposeDepth || path_.count(base)) {
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
    // A copy (as writers decompose) must not take in the font's glyph it was made from.
    if (const Glyph* original = finder_.find(glyph.name)) path_.insert(original);
    for (const Component& component : glyph.components) {
      if (component.baseName == glyph.name) continue;
      visit(component.baseName, component.matrix, 1);
    }
  }

 private:
  // Copies what the base glyph and its components hold; true when anything was copied.
  bool visit(const std::string& baseName, const Matrix& m, int depth) {
    if (depth > kMaxDecomposeDepth || copied_ >= kMaxDecomposedItems) return false;
    const Glyph* base = finder_.find(baseName);
    if (!base) return false;
    if (path_.count(base)) {
      pathCut_ = true;
      return false;
    }
    // A subtree that gave nothing at this depth gives nothing again: a graph whose
    // branches share glyphs is walked once per glyph and depth, not once per path.
    const auto key = std::make_pair(base, depth);
    if (barren_.count(key) || ++visits_ > kMaxDecomposedItems) return false;
    const bool outerCut = pathCut_;
    pathCut_ = false;
    bool copied = false;
    if (const VarnelData* source = base->varnelDataIfAny()) copied = copyLayers(*source, m);
    path_.insert(base);
    for (const Component& component : base->components) {
      if (component.baseName == base->name) continue;
      if (visit(component.baseName, component.matrix.multiply(m), depth + 1)) copied = true;
    }
    path_.erase(base);
    // What a cycle cut off may come in on another path, so such a result is not kept.
    if (!copied && !pathCut_) barren_.insert(key);
    pathCut_ = pathCut_ || outerCut;
    return copied;
  }

  // The target layer of that name, made like the source layer when missing. Looked up
  // through a map: a base glyph may bring many layers, and many bases the same ones.
  Layer& targetLayer(const Layer& source) {
    if (layersByName_.empty()) {
      for (Layer& layer : target_.layers) layersByName_.try_emplace(layer.name, &layer);
    }
    auto [at, inserted] = layersByName_.try_emplace(source.name, nullptr);
    if (inserted) {
      Layer& made = target_.layers.emplace_back(source.name);
      made.matrix = source.matrix;
      made.visible = source.visible;
      made.display2 = source.display2;
      made.display3 = source.display3;
      made.display4 = source.display4;
      at->second = &made;
    }
    return *at->second;
  }

  // True when the source has a layer to copy.
  bool copyLayers(const VarnelData& source, const Matrix& m) {
    for (const Layer& layer : source.layers) {
      // Layers, elements and hints share one budget: each is handled once per visit.
      if (++copied_ > kMaxDecomposedItems) return true;
      Layer& into = targetLayer(layer);
      for (const Element& element : layer.elements) {
        if (++copied_ > kMaxDecomposedItems) return true;
        Element copy = element;
        copy.matrix = element.matrix.multiply(m);
        into.elements.push_back(std::move(copy));
      }
      for (const Hint& hint : layer.hints) {
        if (++copied_ > kMaxDecomposedItems) return true;
        into.hints.push_back(hint.transformed(m));
      }
    }
    return !source.layers.empty();
  }

  GlyphFinder finder_;
  VarnelData& target_;
  // Target layers by name; the first layer of a name wins, as findLayer gives it.
  std::map<std::string, Layer*> layersByName_;
  std::set<const Glyph*> path_;
  // (glyph, depth) visits that copied nothing.
  std::set<std::pair<const Glyph*, int>> barren_;
  // Set when a visit below skipped a glyph because it was on the current path.
  bool pathCut_ = false;
  size_t copied_ = 0;
  size_t visits_ = 0;
};

}  // namespace

namespace {
// Whether a flattened component list must be decomposed instead.
bool mustDecompose(const Flattener& flattener, bool decomposeTransformed) {
  bool transformed = false;
  for (const FlatComponent& entry : flattener.entries) {
    if (entry.matrix.b != 0.0 || entry.matrix.c != 0.0) transformed = true;
  }
  return flattener.mixed || (decomposeTransformed && transformed);
}
}  // namespace

Glyph::ComponentChange Glyph::componentChange(const Font& font, bool decomposeTransformed) const {
  if (components.empty()) return ComponentChange::kNone;
  Flattener flattener(font);
  flattener.run(*this);
  if (mustDecompose(flattener, decomposeTransformed)) return ComponentChange::kDecomposed;
  if (flattener.entries.size() != components.size()) return ComponentChange::kRepointed;
  auto entry = flattener.entries.begin();
  for (const Component& component : components) {
    if (entry->baseName != component.baseName || !(entry->matrix == component.matrix)) {
      return ComponentChange::kRepointed;
    }
    ++entry;
  }
  return ComponentChange::kNone;
}

bool Glyph::convertOutline(const Font& font, bool decomposeTransformed) {
  if (components.empty()) return false;
  Flattener flattener(font);
  flattener.run(*this);
  if (!mustDecompose(flattener, decomposeTransformed)) {
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
  glyphClass = other.glyphClass;
  markAttachClass = other.markAttachClass;
  ligatureCarets = other.ligatureCarets;
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
