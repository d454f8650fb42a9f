// The text of one ".glif" glyph file (GLIF format 1): advance, Unicode values, the
// contours of every element of the "Body" layer with the element and layer matrices
// applied, point links as named one-point contours, components and the glyph lib.
#pragma once

#include <string>

namespace vn {
class Glyph;
class Layer;
}  // namespace vn

namespace ufo {

class PListNode;

class GlifWriter {
 public:
  // The whole file. `name` is the name the glyph is written under; `libEntries` is
  // the glyph's dict in the "glyphs_quorvel_lib" branch, or null.
  std::string glifText(const vn::Glyph& glyph, const std::string& name, const PListNode* libEntries) const;

 private:
  void writeOutline(std::string& out, const vn::Layer& layer) const;
  void writeComponents(std::string& out, const vn::Glyph& glyph) const;
  void writeGlyphLib(std::string& out, const vn::Glyph& glyph, const PListNode* libEntries) const;
};

}  // namespace ufo
