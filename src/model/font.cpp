#include "model/font.h"

#include <ctime>

#include "model/component_walk.h"

namespace vn {

Font::Font() { initCreationTime(); }

Font::~Font() {
  layout.releaseLayout();
  for (Glyph* glyph : glyphs) {
    if (glyph) glyph->release();
  }
  glyphs.clear();
}

void Font::initCreationTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local)) created = local;
  layout.setOwner(this);
}

void Font::appendGlyph(Glyph* glyph) {
  if (!glyph) return;
  glyphs.push_back(glyph);
  glyphVector.clear();
  bySerial.clear();
  byName.clear();
  byUnicode.clear();
}

Glyph* Font::glyphByName(const std::string& glyphName) {
  if (glyphName.empty()) return nullptr;
  if (byName.empty()) rebuildGlyphIndex();
  auto found = byName.find(glyphName);
  return found != byName.end() ? found->second : nullptr;
}

const Glyph* Font::glyphByName(const std::string& glyphName) const { return findGlyphByName(glyphName); }

const Glyph* Font::findGlyphByName(const std::string& glyphName) const {
  if (glyphName.empty()) return nullptr;
  if (!byName.empty()) {
    auto found = byName.find(glyphName);
    return found != byName.end() ? found->second : nullptr;
  }
  // Without the index: the last glyph of that name, as the index would give.
  const Glyph* result = nullptr;
  for (const Glyph* glyph : glyphs) {
    if (glyph && glyph->name == glyphName) result = glyph;
  }
  return result;
}

void Font::rebuildGlyphIndex() {
  bySerial.clear();
  byName.clear();
  byUnicode.clear();
  glyphVector.clear();
  glyphVector.reserve(glyphs.size());
  spareVector2.clear();
  int32_t position = 0;
  for (Glyph* glyph : glyphs) {
    if (!glyph) continue;
    glyphVector.push_back(glyph);
    glyph->index = position++;
    if (glyph->serial != 0) bySerial[glyph->serial] = glyph;
    if (!glyph->name.empty()) byName[glyph->name] = glyph;
    for (uint32_t value : glyph->unicodes) byUnicode[value] = glyph;
  }
}

Rect Font::boundingBox(const Matrix* matrix) const {
  const Matrix m = matrix ? *matrix : Matrix{};
  // One walker for all glyphs, so shared components are measured once.
  ComponentBoxes boxes(*this, true, false);
  Rect box;
  for (const Glyph* glyph : glyphs) {
    if (glyph) box.unite(boxes.box(*glyph, m));
  }
  return box;
}

}  // namespace vn
