#include "ufo/written_glyphs.h"

#include "model/font.h"
#include "ufo/glyph_file_names.h"
#include "ufo/text_encoding.h"

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
  // Names that differ only in bytes the escaping turns into the same text (control
  // bytes become blanks) would still clash in the files.
  std::vector<std::string> unique = uniqueGlyphNames(names, warnings, escapeXmlText);
  std::vector<WrittenGlyph> out;
  out.reserve(glyphs.size());
  for (size_t i = 0; i < glyphs.size(); ++i) out.push_back(WrittenGlyph{glyphs[i], std::move(unique[i])});
  return out;
}

}  // namespace ufo
