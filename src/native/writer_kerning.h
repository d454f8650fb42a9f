// The writer's preparation of kerning classes and kerning pairs: the class texts of
// records 1277, the class block of record 2026 and the glyph pairs of the glyph
// records. Before it is used, what the reader will rebuild from it is compared with the
// font's own kerning on groups of glyphs that the classes treat alike (never glyph pair
// by glyph pair); on any difference the classes are written without key glyphs and the
// kerning as plain glyph pairs.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "model/kerning.h"

namespace vn {
class Font;
}

namespace qtf {

class KerningLayoutRoutes;

struct KerningPreparation {
  // Written class name -> member text, for the kerning classes.
  std::map<std::string, std::string> kerningClassTexts;
  // Payload of record 2026 (empty: not written).
  std::vector<uint8_t> kerningClassBlock;
  // The layout's glyph classes: class name -> member text.
  std::map<std::string, std::string> featureClassTexts;
  // The kerning as glyph-name pairs.
  std::list<vn::NamedGlyphPair> glyphKerning;
  // True when the classes could not carry the kerning and it is written flat.
  bool flattened = false;
};

// False when the kerning cannot be written: classes that do not read back and a flat
// form of more glyph pairs than a file should hold (`out` then has no glyph pairs).
bool prepareKerning(vn::Font& font, KerningPreparation& out, KerningLayoutRoutes* routes);

}  // namespace qtf
