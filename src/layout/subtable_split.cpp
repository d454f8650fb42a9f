#include "layout/subtable_split.h"

#include "layout/ot/limits.h"

namespace otl {

namespace {

class RuleSplitter {
 public:
  RuleSplitter(const MakePiece& makePiece, const LookupIndexMap& lookups, const GlyphIdMap& glyphs)
      : makePiece_(makePiece), lookups_(lookups), glyphs_(glyphs) {}

  // Pieces for groups [begin, end): the whole range when it fits, else its halves.
  bool split(const RuleGroups& groups, size_t begin, size_t end) {
    std::vector<size_t> rules;
    for (size_t g = begin; g < end; ++g) rules.insert(rules.end(), groups[g].begin(), groups[g].end());
    auto piece = makePiece_(rules);
    if (ot_bin_layout::trialWriteSubtable(*piece, lookups_, glyphs_)) {
      if (pieces_.size() >= ot::limits::kMaxCount16) return false;
      pieces_.push_back(std::move(piece));
      return true;
    }
    if (end - begin >= 2) {
      const size_t middle = begin + (end - begin) / 2;
      return split(groups, begin, middle) && split(groups, middle, end);
    }
    if (rules.size() < 2) return false;
    const RuleGroups one = singleRuleGroups(rules);
    return split(one, 0, one.size());
  }

  SubtableList pieces_;

 private:
  const MakePiece& makePiece_;
  const LookupIndexMap& lookups_;
  const GlyphIdMap& glyphs_;
};

}  // namespace

bool splitRuleGroups(SubtableList& out, const RuleGroups& groups, const MakePiece& makePiece,
                     const LookupIndexMap& lookups, const GlyphIdMap& glyphs) {
  if (groups.empty()) return false;
  RuleSplitter splitter(makePiece, lookups, glyphs);
  if (!splitter.split(groups, 0, groups.size())) return false;
  for (auto& piece : splitter.pieces_) out.push_back(std::move(piece));
  return true;
}

RuleGroups singleRuleGroups(const std::vector<size_t>& rules) {
  RuleGroups groups;
  groups.reserve(rules.size());
  for (size_t rule : rules) groups.push_back({rule});
  return groups;
}

}  // namespace otl
