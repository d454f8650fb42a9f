#include "layout/text/fea_rule_filter.h"

#include <algorithm>
#include <memory>

#include "layout/context_subst.h"
#include "layout/lookup.h"
#include "layout/multiple_subst.h"
#include "model/numbers.h"

namespace otl::ot_fea_layout {

namespace {

// What is left out, after "the generated feature text leaves out ".
const char* kindText(LeftOutKind kind) {
  switch (kind) {
    case LeftOutKind::kByNothing: return "rules that substitute a glyph by nothing";
    case LeftOutKind::kEmptyClass: return "rules that hold a position that matches no glyph";
    case LeftOutKind::kGlyphNames: return "rules that use glyph names that feature text cannot hold";
    case LeftOutKind::kSecondCall:
      return "rules that call a second lookup at one position or call lookups out of position order";
    case LeftOutKind::kUnwrittenLookup: return kUnwrittenCalls;
    case LeftOutKind::kOneGlyphLigature: return "rules that make a one-glyph ligature in a lookup that context rules call";
    case LeftOutKind::kUnusedLookup: return kUnusedLookups;
  }
  return "";
}

bool hasRules(const Lookup* lookup) {
  if (!lookup) return false;
  return std::any_of(lookup->subtables.begin(), lookup->subtables.end(),
                     [](const auto& subtable) { return subtable && !subtable->isEmpty(); });
}

bool matchesNothing(const GlyphClassSlot& slot) { return !slot.hasGlyphs(); }

// An input position without glyphs is written as the coverage of the lookup it calls.
bool inputMatchesNothing(const Context& rule, size_t position, const LookupMap& lookups) {
  if (rule.input[position].hasGlyphs()) return false;
  for (const LookupRecord& record : rule.lookups) {
    if (record.sequenceIndex != position || record.lookupIndex < 0) continue;
    const auto found = lookups.find(static_cast<uint32_t>(record.lookupIndex));
    if (found == lookups.end() || !found->second) return true;
    GlyphList covered;
    for (const auto& subtable : found->second->subtables) subtable->appendCoverage(covered);
    return covered.empty();
  }
  return true;
}

// Feature text names one lookup per marked position, in position order: later calls at a
// position go, and calls out of order are put in order.
bool keepOneCallPerPosition(Context& rule) {
  std::vector<LookupRecord> kept;
  bool changed = false;
  for (const LookupRecord& record : rule.lookups) {
    if (!kept.empty() && record.sequenceIndex < kept.back().sequenceIndex) changed = true;
    const bool taken = std::any_of(kept.begin(), kept.end(),
                                   [&](const LookupRecord& k) { return k.sequenceIndex == record.sequenceIndex; });
    if (taken) {
      changed = true;
      continue;
    }
    kept.push_back(record);
  }
  std::stable_sort(kept.begin(), kept.end(),
                   [](const LookupRecord& a, const LookupRecord& b) { return a.sequenceIndex < b.sequenceIndex; });
  rule.lookups = std::move(kept);
  return changed;
}

// Whether a position of the rule matches no glyph, so the rule never applies.
bool contextRuleMatchesNothing(const Context& rule, const LookupMap& lookups) {
  auto nothing = [](const Sequence& sequence) { return std::any_of(sequence.begin(), sequence.end(), matchesNothing); };
  bool emptyInput = false;
  for (size_t k = 0; k < rule.input.size(); ++k) emptyInput = emptyInput || inputMatchesNothing(rule, k, lookups);
  return nothing(rule.backtrack) || nothing(rule.lookahead) || emptyInput;
}

// A call of a lookup without rules does nothing: it goes, and the rule stays (an "ignore"
// rule when no call is left), still taking its position from the rules after it.
bool dropCallsOfEmptyLookups(Context& rule, const LookupMap& lookups) {
  return std::erase_if(rule.lookups, [&](const LookupRecord& record) {
           if (record.lookupIndex < 0) return false;
           const auto found = lookups.find(static_cast<uint32_t>(record.lookupIndex));
           return found == lookups.end() || !hasRules(found->second.get());
         }) != 0;
}

// One pass over the block; true when a rule went (which may leave a called lookup empty).
bool removePass(LayoutTableBlock& block, LeftOutRules& report) {
  bool removed = false;
  const LookupMap& lookups = block.lookups.lookups();
  for (const auto& [index, lookup] : lookups) {
    if (!lookup) continue;
    for (auto& subtable : lookup->subtables) {
      if (auto* context = dynamic_cast<ContextSubtable*>(subtable.get())) {
        // The lookup's index by value: clang before 16 cannot capture a structured binding.
        std::erase_if(context->rules, [&, index = index](std::unique_ptr<Context>& rule) {
          if (keepOneCallPerPosition(*rule)) report.add(LeftOutKind::kSecondCall, block.tableId, index);
          if (contextRuleMatchesNothing(*rule, lookups)) {
            report.add(LeftOutKind::kEmptyClass, block.tableId, index);
            removed = true;
            return true;
          }
          if (dropCallsOfEmptyLookups(*rule, lookups)) report.add(LeftOutKind::kUnwrittenLookup, block.tableId, index);
          return false;
        });
      } else if (auto* multiple = dynamic_cast<LsMultiple*>(subtable.get())) {
        // Multiple substitutions by an empty sequence and alternates from an empty set.
        GlyphSet byNothing;
        for (size_t i = 0; i < multiple->ruleCount(); ++i) {
          if (!multiple->sequences[i].hasGlyphs()) byNothing.insert(multiple->coverage.glyphAt(i));
        }
        if (byNothing.empty()) continue;
        pruneCoverageAndRecords(multiple->coverage, multiple->sequences, byNothing);
        report.add(LeftOutKind::kByNothing, block.tableId, index);
        removed = true;
      }
    }
    std::erase_if(lookup->subtables, [](const auto& subtable) { return !subtable || subtable->isEmpty(); });
  }
  return removed;
}

}  // namespace

void LeftOutRules::reportTo(Diagnostics& reports) const {
  for (const auto& [kind, lookups] : found_) {
    const std::string message = std::string("the generated feature text leaves out ") + kindText(kind);
    for (const auto& [tableId, index] : lookups) {
      reports.add(Severity::kWarning, (tableId == kTableGsub ? "GSUB lookup " : "GPOS lookup ") + vn::formatUnsigned(index),
                  message);
    }
  }
}

void removeUnwritableRules(LayoutTableBlock& block, LeftOutRules& report) {
  // Each pass only removes, so this ends.
  while (removePass(block, report)) {
  }
}

void pruneGlyphsKeepingCalls(LayoutTableBlock& block, const GlyphSet& glyphs) {
  if (glyphs.empty()) return;
  for (const auto& [index, lookup] : block.lookups.lookups()) {
    if (lookup) lookup->pruneByGlyphs(glyphs);
  }
}

void reportGlyphUsers(const LayoutTableBlock& block, const GlyphSet& glyphs, LeftOutKind kind, LeftOutRules& report) {
  if (glyphs.empty()) return;
  for (const auto& [index, lookup] : block.lookups.lookups()) {
    if (!lookup) continue;
    GlyphSet used;
    for (const auto& subtable : lookup->subtables) subtable->collectGlyphs(used);
    if (std::any_of(used.begin(), used.end(), [&](uint32_t g) { return glyphs.count(g) != 0; }))
      report.add(kind, block.tableId, index);
  }
}

}  // namespace otl::ot_fea_layout
