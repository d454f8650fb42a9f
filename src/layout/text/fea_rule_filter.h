// Rules that feature text cannot hold, found by their data and taken out of the copy of the
// layout that the writer prints; each kind is reported once, naming the lookups it touched.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "layout/diagnostics.h"
#include "layout/layout_table_block.h"

namespace otl::ot_fea_layout {

enum class LeftOutKind {
  kByNothing,         // a glyph substituted by no glyph (or from an empty set of alternates)
  kEmptyClass,        // a position that matches no glyph
  kGlyphNames,        // a glyph whose name feature text cannot hold
  kSecondCall,        // a second lookup called at one position, or calls out of position order
  kUnwrittenLookup,   // a call of a lookup left with no rule (the call goes, the rule stays)
  kOneGlyphLigature,  // a one-glyph ligature of a lookup that context rules call
  kUnusedLookup,      // a lookup that no feature lists or reaches through the lookups it lists
};

inline constexpr const char* kUnwrittenCalls =
    "calls of lookups that have no rule left (the rules making them stay and match as before)";

// What the text writers leave out of a table whose lookups no feature uses.
inline constexpr const char* kUnusedLookups = "lookups that no feature uses";

// Where a writer step reports a rule it left out.
using LeftOutReport = std::function<void(LeftOutKind)>;

class LeftOutRules {
 public:
  void add(LeftOutKind kind, uint32_t tableId, uint32_t lookupIndex) { found_[kind].insert({tableId, lookupIndex}); }
  bool empty() const { return found_.empty(); }
  // One warning per lookup and kind into the layout's reports, which print one line per
  // kind naming the lookups ("...: GSUB lookup 3, GPOS lookup 1").
  void reportTo(Diagnostics& reports) const;

 private:
  std::map<LeftOutKind, std::set<std::pair<uint32_t, uint32_t>>> found_;
};

// Takes out of the block's lookups the rules that feature text cannot hold (substitutions
// by nothing, context rules with a position matching nothing), the calls beyond one per
// position and the calls of lookups without rules, reporting each.
void removeUnwritableRules(LayoutTableBlock& block, LeftOutRules& report);

// Takes the glyphs of the set out of the block's lookups. A lookup left without rules stays
// (empty), so that removeUnwritableRules names the context rules that lose their call of it.
void pruneGlyphsKeepingCalls(LayoutTableBlock& block, const GlyphSet& glyphs);

// Notes every lookup of the block that uses a glyph of the set.
void reportGlyphUsers(const LayoutTableBlock& block, const GlyphSet& glyphs, LeftOutKind kind, LeftOutRules& report);

}  // namespace otl::ot_fea_layout
