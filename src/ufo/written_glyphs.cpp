#include "ufo/written_glyphs.h"

#include "model/font.h"
#include "ufo/glyph_file_names.h"

namespace ufo {

std::vector<WrittenGlyph> writtenGlyphs(const vn::Font& font, std::vector<std::string>* warnings) {
  std::vector<vn::Glyph*> glyphs;
  std::vector<std::string> names;
  glyphs.reserve(font.glyphs.size());
  names.reserve(font.glyphs.size());
  for (vn::Glyph* glyph : font.glyphs) {
    if (!glyph) continue;
    glyphs.push_back(glyph);
    names.push_back(glyph->name);
  }
  std::vector<std::string> unique = uniqueGlyphNames(names, warnings);
  std::vector<WrittenGlyph> out;
  out.reserve(glyphs.size());
  for (size_t i = 0; i < glyphs.size(); ++i) out.push_back(WrittenGlyph{glyphs[i], std::move(unique[i])});
  return out;
}

}  // namespace ufo
