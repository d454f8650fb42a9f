// Key glyphs for the font's own kerning classes, so that class kerning reaches the
// native file over the classes the font already has (names and members kept) instead
// of over new ones.
#pragma once

#include "model/kerning.h"

namespace qtf {

// Gives each kerning class that pairs use on its own side (1 or 2) a key glyph: its
// first member in glyph-id order that no pair uses as a glyph on that side and that is
// no other class's key there. A class that gets none (and a class used on both sides)
// has its pairs spread over its members as glyphs instead, the more specific pair
// winning as before; so every glyph pair keeps its value. Classes no pair uses keep
// their key when it collides with nothing. `out` (empty on entry) receives the pairs and
// a copy of every class, ready for keyGlyphPairs. False when no used class got a key,
// when spreading would give more pairs than the file may hold, or when the source has
// no class pairs; `out` is then to be ignored.
bool assignKeyGlyphs(const vn::FontKerning& source, vn::FontKerning& out);

}  // namespace qtf
