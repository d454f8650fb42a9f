// What a compile of feature text says beyond success: the rules left out because they name
// glyphs the font lacks, the include files the text read but a written font does not
// carry, and the features an 'aalt' lists that gave it nothing. Each is one warning line.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "feacompiler/fea_compiler.h"
#include "layout/glyph_id_map.h"
#include "layout/layout_table_block.h"
#include "model/first_few.h"

namespace otl {

// The first few texts, then how many others ("c, d, e, f, g and 12 more").
using vn::firstFewWithCount;

// Where a block's rules use a glyph of the set: "GSUB lookup 3 (liga, dlig)" per lookup, with
// the features that reach it. Lookups of `leftOut` count too: a reader already took such
// rules out of them.
void placesUsingGlyphs(const LayoutTableBlock& block, const GlyphSet& glyphs, std::vector<std::string>& places,
                       const LookupIndexSet& leftOut = {});

// What names the glyphs of a missing-glyph warning: the feature text, or the layout XML
// document (kLayoutXmlDocument).
inline constexpr const char* kFeatureTextSource = "feature text";

// The warning for glyph names the source uses and the font lacks, naming the places whose
// rules were left out (none: no rule used them).
std::string missingGlyphsWarning(const char* source, const std::list<std::string>& names,
                                 const std::vector<std::string>& places);

// The warning for include files a written font does not carry.
std::string includesNotCarriedWarning(const std::vector<std::string>& includes);

// The warning for an 'aalt' that got no rule, or lists features that gave it none; empty
// when there is nothing to say.
std::string aaltWarning(const fea::AaltOutcome& aalt);

}  // namespace otl
