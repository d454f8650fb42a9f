// The glyphs of a font as the UFO writer puts them out: in font order, each under a
// name that is not empty and not shared with another glyph, so that the glyph
// order, "glyphs/contents.plist", the glyph files and the glyph-lib branch agree.
#pragma once

#include <string>
#include <vector>

namespace vn {
class Font;
class Glyph;
}  // namespace vn

namespace ufo {

struct WrittenGlyph {
  vn::Glyph* glyph = nullptr;
  std::string name;
};

// Null entries of the glyph list are skipped. `warnings` (when given) receives one
// line per glyph that is written under another name.
std::vector<WrittenGlyph> writtenGlyphs(const vn::Font& font, std::vector<std::string>* warnings);

}  // namespace ufo
