// Internal helpers for walks over a font's component graph: glyph look-up by name and
// component-aware boxes with bounded work.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "model/geometry.h"
#include "model/limits.h"

namespace vn {

class Font;
class Glyph;

// Glyph look-up by name: the font's index when built, else a map made once for the walk.
class GlyphFinder {
 public:
  explicit GlyphFinder(const Font& font);
  const Glyph* find(const std::string& name) const;

 private:
  const Font& font_;
  std::map<std::string, Glyph*> local_;
};

// Boxes of glyphs with their components. A box under a scale-and-shift matrix is exact
// when made from the glyph's own box, so those are computed once per glyph and depth and
// shared by every request of one walker. Other matrices are followed point-exactly until
// a work budget runs out; after that such boxes are bounded the same way (they hold the
// outline, possibly with some room).
class ComponentBoxes {
 public:
  ComponentBoxes(const Font& font, bool bodyOnly, bool nativeOnly);
  Rect box(const Glyph& glyph, const Matrix& m, int depth = 0);

 private:
  Rect localBox(const Glyph& glyph, int depth);
  Rect walk(const Glyph& glyph, const Matrix& m, int depth);

  GlyphFinder finder_;
  bool bodyOnly_;
  bool nativeOnly_;
  int64_t budget_ = kMaxComponentBoxSteps;
  std::map<std::pair<const Glyph*, int>, Rect> memo_;
};

}  // namespace vn
