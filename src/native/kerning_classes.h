// Kerning classes for the native file. The file keeps kerning as pairs between
// single glyphs and each kerning class as a member list in which one member, the key
// glyph, stands for the class; a class pair is stored as the pair of the two key
// glyphs. convertKerningClasses rewrites a font's kerning into that form.
#pragma once

#include "model/kerning.h"

namespace qtf {

// The two conversions that need the layout model. The layout library provides them;
// until it is installed both report "not available" (false).
class KerningLayoutRoutes {
 public:
  virtual ~KerningLayoutRoutes() = default;
  // Expresses the source's pairs over the given classes into `out` (whose classes
  // become the given ones); false when not available.
  virtual bool convertToGivenGroups(const vn::FontKerning& source, vn::FontKerning& out,
                                    const vn::KerningGroupMap& given) = 0;
  // Turns the kerning into a "kern" feature of a temporary layout model and extracts
  // it again into `out`; false when not available or nothing was extracted.
  virtual bool roundTripThroughKernFeature(const vn::FontKerning& source, vn::FontKerning& out) = 0;
};

// The process-wide routes; null (not available) until the program installs them.
void setKerningLayoutRoutes(KerningLayoutRoutes* routes);
KerningLayoutRoutes* kerningLayoutRoutes();

// True when the class's key glyph is set, registered and one of its members.
bool hasValidKeyGlyph(const vn::KerningGlyphGroup& group);

// Builds in `out` (empty on entry) a kerning whose pairs are all glyph pairs and whose
// classes carry key glyphs. False when the font has no kerning class or no route
// succeeded; `out` is then to be ignored.
bool convertKerningClasses(const vn::FontKerning& source, vn::FontKerning& out,
                           KerningLayoutRoutes* routes = kerningLayoutRoutes());

// Rewrites every pair of `source` as a glyph pair between key glyphs into `out` and
// copies the classes. False when a key glyph is kerned on its own or a class pair's
// class has no key glyph.
bool keyGlyphPairs(const vn::FontKerning& source, vn::FontKerning& out);

}  // namespace qtf
