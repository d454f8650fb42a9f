// Key glyphs for the font's own kerning classes, so that class kerning reaches the
// native file over the classes the font already has (names and members kept) instead
// of over new ones.
#pragma once

#include <map>

#include "model/kerning.h"
#include "model/numbers.h"

namespace qtf {

// What a pair carries in the file: its value truncated; 0 is not kept.
inline int32_t fileKerningValue(double value) { return vn::saturateInt32(value); }

// Why a kerning class cannot keep a key glyph and has its pairs spread over its members.
enum class SpreadReason {
  kZeroPair,            // a pair of 0 in the file (an exception of 0) under a class pair
  kMembersKernedAlone,  // every member is kerned on its own on the class's side
  kBothSides,           // a class of both sides
};
using SpreadClasses = std::map<vn::GlyphId, SpreadReason>;

// Gives each kerning class that pairs use on its own side (1 or 2) a key glyph: its
// first member in glyph-id order that no pair uses as a glyph on that side and that is
// no other class's key there. A class that gets none (and a class used on both sides)
// has its pairs spread over its members as glyphs instead, the more specific pair
// winning as before; so every glyph pair keeps its value. Classes no pair uses keep
// their key when it collides with nothing. `out` (empty on entry) receives the pairs and
// a copy of every class, ready for keyGlyphPairs. False when no used class got a key,
// when spreading would give more pairs than the file may hold, or when the source has
// no class pairs; `out` is then to be ignored. With `spread`, every class spread is given
// there with why, also when no used class got a key.
bool assignKeyGlyphs(const vn::FontKerning& source, vn::FontKerning& out, SpreadClasses* spread = nullptr);

}  // namespace qtf
