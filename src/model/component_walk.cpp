#include "model/component_walk.h"

#include "model/font.h"
#include "model/glyph.h"
#include "model/limits.h"

namespace vn {

GlyphFinder::GlyphFinder(const Font& font) : font_(font) {
  if (font.byName.empty()) {
    for (Glyph* glyph : font.glyphs) {
      if (glyph && !glyph->name.empty()) local_[glyph->name] = glyph;
    }
  }
}

const Glyph* GlyphFinder::find(const std::string& name) const {
  if (name.empty()) return nullptr;
  const auto& index = font_.byName.empty() ? local_ : font_.byName;
  auto found = index.find(name);
  return found != index.end() ? found->second : nullptr;
}

namespace {
bool isAxisAligned(const Matrix& m) { return m.b == 0.0 && m.c == 0.0; }
}  // namespace

ComponentBoxes::ComponentBoxes(const Font& font, bool bodyOnly, bool nativeOnly)
    : finder_(font), bodyOnly_(bodyOnly), nativeOnly_(nativeOnly) {}

Rect ComponentBoxes::box(const Glyph& glyph, const Matrix& m, int depth) {
  if (depth > kMaxComponentBoxDepth) return Rect{};
  if (isAxisAligned(m) || budget_ <= 0) return localBox(glyph, depth).transformed(m);
  return walk(glyph, m, depth);
}

Rect ComponentBoxes::localBox(const Glyph& glyph, int depth) {
  const auto key = std::make_pair(&glyph, depth);
  auto found = memo_.find(key);
  if (found != memo_.end()) return found->second;
  Rect result = walk(glyph, Matrix{}, depth);
  memo_[key] = result;
  return result;
}

Rect ComponentBoxes::walk(const Glyph& glyph, const Matrix& m, int depth) {
  Rect result;
  for (const Component& component : glyph.components) {
    if (component.baseName == glyph.name) break;
    --budget_;
    const Glyph* base = finder_.find(component.baseName);
    if (!base) continue;
    result.unite(box(*base, component.matrix.multiply(m), depth + 1));
  }
  for (const auto& [kind, data] : glyph.dataByKind) {
    if (nativeOnly_ && kind != GlyphData::kVarnel) continue;
    if (!data->hasOutline(bodyOnly_)) continue;
    Rect dataBox;
    data->boundingBox(dataBox, &m, bodyOnly_);
    result.unite(dataBox);
  }
  return result;
}

}  // namespace vn
