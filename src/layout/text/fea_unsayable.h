// What compiling the generated text changes because the grammar has no way to say it:
// found in the font's table blocks and reported as warnings, one line per kind.
#pragma once

#include "layout/diagnostics.h"
#include "layout/layout_table_block.h"
#include "layout/lookup.h"

namespace otl::ot_fea_layout {

inline constexpr const char* kFeaturelessLanguageSystem =
    "the generated feature text cannot keep a language system without features (shapers that find it apply "
    "nothing there; compilers leave it out, so shapers take other features)";

// Each language system of the block that has no feature ("GPOS script gur2 language dflt").
void reportFeaturelessLanguageSystems(const LayoutTableBlock& block, Diagnostics& reports);

inline constexpr const char* kOneGlyphLigatureOfOutput =
    "the generated feature text cannot keep one-glyph ligatures apart from the glyphs longer ligatures of their "
    "lookup make (the single substitution that follows the lookup changes those too)";

// Whether a one-glyph ligature of the lookup takes a glyph that a longer one makes.
bool oneGlyphLigatureOfOutput(const Lookup& lookup);

}  // namespace otl::ot_fea_layout
