// Conversions between a pair subtable and a font's kerning (pairs of glyphs or kerning
// groups with a value, and the groups).
#pragma once

#include <cstdint>
#include <string>

#include "layout/pair_pos.h"
#include "model/kerning.h"

namespace otl {

// How a pair subtable goes into kerning.
enum KerningMode : uint32_t {
  kKerningFlat = 0,        // glyph pairs only
  kKerningWithGroups = 1,  // kerning groups from the subtable's classes
  kKerningByFormat = 2,    // glyph pairs for format 1, groups for format 2
};

// The X advance of value1 when not 0, else that of value2, else 0.
double kerningValueOf(const GPosPair& pair);
// The shortest member name; among equally short ones the lowest glyph id.
std::string kerningGroupBaseName(const GlyphList& members);

// Empties the subtable and makes it format 1 with one glyph pair per pair of the
// kerning expanded to glyphs, in ascending (first, second) order.
void fromKerning(LpPair& subtable, const vn::FontKerning& kerning);
// Adds the subtable's pairs to the kerning; existing pairs are kept.
void toKerning(const LpPair& subtable, vn::FontKerning& kerning, uint32_t mode);
void toKerningFlat(const LpPair& subtable, vn::FontKerning& kerning);
void toKerningWithClasses(const LpPair& subtable, vn::FontKerning& kerning);

}  // namespace otl
