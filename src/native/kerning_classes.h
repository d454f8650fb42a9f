// Kerning classes for the native file. The file keeps kerning as pairs between
// single glyphs and each kerning class as a member list in which one member, the key
// glyph, stands for the class; a class pair is stored as the pair of the two key
// glyphs. convertKerningClasses rewrites a font's kerning into that form.
#pragma once

#include <string>

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

// A keyed kerning class is written as this prefix and its key glyph's name; a second
// class of the same key glyph takes the suffix too.
inline constexpr const char* kKeyedClassPrefix = "_";
inline constexpr const char* kSecondUseSuffix = "1";

// The name of the group that the reader makes of a keyed kerning class written as
// `written` with the key glyph `key`, for the first (1) or second (2) side: "_" + key
// (and "_" + key + "1", its second use) stands for the prefix of the side + key; any
// other written name is the group's own.
std::string keyedClassGroupName(const std::string& written, const std::string& key, uint32_t side);

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
