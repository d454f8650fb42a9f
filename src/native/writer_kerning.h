// The writer's preparation of kerning classes and kerning pairs: the class texts of
// records 1277, the class block of record 2026 and the glyph pairs of the glyph
// records. Before it is used, what the reader will rebuild from it is compared with the
// font's own kerning on groups of glyphs that the classes treat alike (never glyph pair
// by glyph pair). On a difference the font's own classes are tried, those that cannot
// keep a key glyph spread over their members; failing that too, the classes are written
// without key glyphs and the whole kerning as plain glyph pairs. Either is named on a
// warning line.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "model/kerning.h"

namespace vn {
class Font;
}

namespace qtf {

class KerningLayoutRoutes;

// A glyph pair as the glyph records carry it: registry ids and the value truncated
// (never 0: the reader drops such pairs, so they are not written).
struct FileGlyphPair {
  vn::GlyphId first = 0;
  vn::GlyphId second = 0;
  int32_t value = 0;
};

struct KerningPreparation {
  // Written class name -> member text, for the kerning classes.
  std::map<std::string, std::string> kerningClassTexts;
  // Payload of record 2026 (empty: not written).
  std::vector<uint8_t> kerningClassBlock;
  // The layout's glyph classes: class name -> member text.
  std::map<std::string, std::string> featureClassTexts;
  // The kerning as glyph pairs, ascending by first and then by second glyph id.
  std::vector<FileGlyphPair> glyphKerning;
  // The registry id of each slot of the font's glyph list; 0 for an empty slot or a
  // name the registry does not know (such a glyph has no kerning).
  std::vector<vn::GlyphId> glyphIds;
  // True when the classes could not carry the kerning and it is written flat.
  bool flattened = false;
  // Why the kerning cannot be written, when prepareKerning refused it; else empty.
  std::string refusal;
  // Warning lines (without their prefix): kerning classes written as glyph pairs.
  std::vector<std::string> warnings;
};

// False when the kerning cannot be written: classes that do not read back and a flat
// form of more glyph pairs than a file should hold (`out` then has no glyph pairs).
bool prepareKerning(vn::Font& font, KerningPreparation& out, KerningLayoutRoutes* routes);

}  // namespace qtf
