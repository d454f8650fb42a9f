#include "layout/lookup.h"

#include <ostream>

namespace otl {

void Lookup::pruneByGlyphs(const GlyphSet& remove) {
  for (auto it = subtables.begin(); it != subtables.end();) {
    (*it)->pruneByGlyphs(remove);
    it = (*it)->isEmpty() ? subtables.erase(it) : it + 1;
  }
}

void Lookup::pruneByLookups(const LookupSet& kept) {
  for (auto it = subtables.begin(); it != subtables.end();) {
    (*it)->pruneByLookups(kept);
    it = (*it)->isEmpty() ? subtables.erase(it) : it + 1;
  }
}

void Lookup::collectGlyphs(GlyphSet& out) const {
  for (const auto& subtable : subtables) subtable->collectGlyphs(out);
}

void Lookup::collectLookupRefs(LookupSet& out) const {
  for (const auto& subtable : subtables) subtable->collectLookupRefs(out);
}

void Lookup::collectGroupRefs(GlyphSet& out) const {
  for (const auto& subtable : subtables) subtable->collectGroupRefs(out);
}

std::unique_ptr<LookupSubtable> Lookup::createSubtable() const {
  return otl::createSubtable(tableId, typeCode, holder);
}

std::unique_ptr<LookupSubtable> Lookup::cloneSubtable(const LookupSubtable& source) const {
  if (!otl::createSubtable(source.tableId, source.typeCode, nullptr)) return nullptr;
  return source.clone(holder);
}

void Lookup::addSubtable(std::unique_ptr<LookupSubtable> subtable) {
  if (!subtable) return;
  SubtableList pieces;
  if (subtable->splitRules(pieces)) {
    for (auto& piece : pieces) subtables.push_back(std::move(piece));
    return;
  }
  subtables.push_back(std::move(subtable));
}

void Lookup::assign(const Lookup& source) {
  if (this == &source) return;
  if (!classTable(holder)) holder = source.holder;
  tableId = source.tableId;
  typeCode = source.typeCode;
  flag = source.flag;
  markFilteringSet = source.markFilteringSet;
  index = source.index;
  subtables.clear();
  for (const auto& subtable : source.subtables) {
    if (auto copy = cloneSubtable(*subtable)) addSubtable(std::move(copy));
  }
}

void Lookup::writeFea(std::ostream& out, const LookupMap& lookups, uint16_t& lastFlag, const LookupNames& names,
                      bool noSubtableBreaks) const {
  if (flag != lastFlag) {
    lastFlag = flag;
    writeFeaLookupFlag(flag, out);
  }
  bool first = true;
  for (const auto& subtable : subtables) {
    if (!first && !noSubtableBreaks) out << "    subtable;\n";
    first = false;
    subtable->writeFea(out, lookups, names);
  }
}

void writeFeaLookupFlag(uint16_t flag, std::ostream& out) {
  out << "      lookupflag";
  if (flag == 0) {
    out << " 0;\n";
    return;
  }
  if (flag < 16) {
    if (flag & kIgnoreBaseGlyphs) out << " IgnoreBaseGlyphs";
    if (flag & kIgnoreLigatures) out << " IgnoreLigatures";
    if (flag & kIgnoreMarks) out << " IgnoreMarks";
    if (flag & kRightToLeft) out << " RightToLeft";
    out << ";\n";
    return;
  }
  out << ' ' << flag << ";\n";
}

void collectCalledLookups(const std::vector<uint32_t>& indices, const LookupMap& lookups, LookupSet& out) {
  LookupSet seen;
  std::vector<uint32_t> work(indices.rbegin(), indices.rend());
  while (!work.empty()) {
    const uint32_t index = work.back();
    work.pop_back();
    auto it = lookups.find(index);
    if (it == lookups.end() || !it->second || !seen.insert(index).second) continue;
    out.insert(index);
    LookupSet called;
    it->second->collectLookupRefs(called);
    for (uint32_t next : called) {
      if (!seen.count(next)) work.push_back(next);
    }
  }
}

bool writeRuleProblems(std::ostream& out, uint32_t rule, const RuleProblems& problems) {
  const auto found = problems.texts.find(rule);
  if (found == problems.texts.end()) return false;
  out << "### Problems in rule: ";
  for (size_t i = 0; i < found->second.size(); ++i) out << (i ? ", " : "") << found->second[i];
  out << '\n';
  return false;
}

void writeFeaSequenceRules(std::ostream& out, const LookupSubtable& subtable,
                           const std::vector<GlyphClassSlot>& sequences, size_t n) {
  RuleProblems problems;
  subtable.checkRules(problems);
  if (n == 0) return;
  size_t first = 0;
  for (size_t i = 0; i < n; ++i) {
    if (sequences[i].glyphCount() >= 2) {
      first = i;
      break;
    }
  }
  // A later rule for the same input never applies (the first one does); as a rule a
  // compiler could make it the effective one, so it stays a comment.
  auto writeRule = [&](size_t i) {
    const auto rule = static_cast<uint32_t>(i);
    writeRuleProblems(out, rule, problems);
    subtable.writeFeaRule(out, rule, problems.shadowed.count(rule) != 0);
  };
  writeRule(first);
  for (size_t i = 0; i < n; ++i) {
    if (i != first) writeRule(i);
  }
}

}  // namespace otl
