// How the generated text writes 'aalt'. Compilers take only single and alternate
// substitutions there (no lookup flag, no "subtable;", no lookup block), build them as one
// single and one alternate substitution lookup and register that under every language
// system of the text: the writer puts the rules of all the font's 'aalt' lookups there and
// one warning names what changes.
#pragma once

#include <string>
#include <vector>

#include "layout/diagnostics.h"
#include "layout/layout_table_block.h"
#include "layout/text/fea_inventory.h"

namespace otl::ot_fea_layout {

// What writing 'aalt' left out.
struct AaltWritten {
  bool flagsDropped = false;  // rules of lookups with a lookup flag were written without it
  bool rulesLeftOut = false;  // rules other than single and alternate substitutions
  bool leftOut = false;       // no rule was left: no block
};

// Whether compilers take the statement inside 'aalt': a single or an alternate
// substitution without marked glyphs.
bool aaltTakes(const std::string& statement);

// One warning naming how the text's 'aalt' differs from the font's (`textSystems` are the
// language systems the text states); nothing when the font has no 'aalt' or compiling
// gives it back.
void reportAaltChanges(const LayoutTableBlock& gsub, const std::vector<LanguageSystem>& textSystems,
                       const AaltWritten& written, Diagnostics& reports);

}  // namespace otl::ot_fea_layout
