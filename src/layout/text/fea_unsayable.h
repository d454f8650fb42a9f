// What compiling the generated text changes because the grammar has no way to say it:
// found in the font's table blocks and reported as warnings, one line per kind.
#pragma once

#include <vector>

#include "layout/diagnostics.h"
#include "layout/layout_table_block.h"
#include "layout/lookup.h"
#include "layout/text/fea_inventory.h"

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

// How compilers build the text's 'aalt' differently from the font's: under every language
// system of the text (`textSystems`, as the text states them), one-glyph alternate sets as
// single substitutions, and all its lookups merged into one single and one alternate
// substitution lookup. One warning naming what changes; nothing when the font has no
// 'aalt' or compiling gives it back.
void reportAaltChanges(const LayoutTableBlock& gsub, const std::vector<LanguageSystem>& textSystems,
                       Diagnostics& reports);

}  // namespace otl::ot_fea_layout
