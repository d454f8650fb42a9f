// The split of a rule-based subtable that passes 16-bit offsets: its rules, in the order
// the writer lays them out, are shared out over pieces of the same kind that each fit.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "layout/subtable.h"

namespace otl {

// Rules that belong together (those of one covered glyph), in the writer's order.
using RuleGroups = std::vector<std::vector<size_t>>;
// A piece holding the given rules, in that order.
using MakePiece = std::function<std::unique_ptr<LookupSubtable>(const std::vector<size_t>& rules)>;

// Halves the groups until each piece fits; a group that does not fit alone is halved by
// its rules (a shaper tries the next subtable when one does not match). Appends the
// pieces in order and returns true, or leaves `out` alone and returns false when one rule
// alone does not fit or more pieces than a lookup counts would be needed.
bool splitRuleGroups(SubtableList& out, const RuleGroups& groups, const MakePiece& makePiece,
                     const LookupIndexMap& lookups, const GlyphIdMap& glyphs);

// One group per rule.
RuleGroups singleRuleGroups(const std::vector<size_t>& rules);

}  // namespace otl
