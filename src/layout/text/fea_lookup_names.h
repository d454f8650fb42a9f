// The lookups the generated feature text uses: one record each with its users, its name and
// how it is written (named block or inside its feature).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "layout/layout_table_block.h"
#include "layout/text/fea_inventory.h"

namespace otl::ot_fea_layout {

struct LookupInfo {
  virtual ~LookupInfo() = default;

  std::string name;
  uint32_t tableId = 0;
  uint16_t flag = 0;
  uint32_t typeCode = 0;
  uint32_t index = 0xFFFFFFFF;
  bool referenced = false;
  bool named = false;
  bool useExtension = false;
  // Written in more than one place (listed twice in one lookup list, or named again after
  // exclude_dflt): a lookup block may be defined only once, so it is named.
  bool repeated = false;
  // Nothing of it can be written: neither defined nor referenced.
  bool empty = false;
  // One-glyph ligatures follow in a single substitution lookup "<name>_single".
  bool singlesPart = false;
  // Its every rule is a one-glyph ligature: written as a single substitution lookup under
  // its own name, which the context rules calling it can name too.
  bool singlesOnly = false;
  // By feature tag, the (script, language) pairs under which the feature uses the lookup,
  // in the order registered; and the same with each run of pairs of one script cut to its
  // first pair (what a name without repeated scripts reads).
  std::map<ot::Tag, std::vector<LanguageSystem>> users;
  std::map<ot::Tag, std::vector<LanguageSystem>> scriptRuns;
};

using LookupInfoKey = std::pair<uint32_t, uint32_t>;  // (table id, lookup index)
using LookupInfoMap = std::map<LookupInfoKey, std::unique_ptr<LookupInfo>>;

// Registers every lookup the features (but "aalt") use, with every lookup those call.
void collectLookupUsers(const FeatureList& features, const LayoutTableBlock& gsub, const LayoutTableBlock& gpos,
                        LookupInfoMap& lookups);

std::string makeLookupName(const LookupInfo& info);

// Named unless inline lookups are allowed and the lookup is used in one place only.
void decideNamed(LookupInfoMap& lookups, bool inlineLookups);
// Inline lookups are compiled after all named ones: only a tail of each table may stay
// inline. True when any lookup stays inline.
bool keepLookupOrder(const FeatureList& features, LookupInfoMap& lookups);

}  // namespace otl::ot_fea_layout
