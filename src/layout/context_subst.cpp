#include "layout/context_subst.h"

#include <ostream>

#include "layout/context_formats.h"
#include "layout/lookup.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/exception.h"

namespace otl {

void ContextSubtable::readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups,
                                 const GlyphIdMap& glyphs) {
  // Readers by form (plain, chained) and format number.
  static constexpr ContextFormatReader kReaders[2][3] = {
      {readContextFormat1, readContextFormat2, readContextFormat3},
      {readChainedContextFormat1, readChainedContextFormat2, readChainedContextFormat3}};
  ot::BinaryReader r = reader.window(offset);
  const uint16_t format = r.readUInt16();
  if (format < 1 || format > 3) throw ot::Exception(ot::Exception::kUnsupported, "unknown context format");
  kReaders[chained][format - 1](r, ContextReadScope{lookups, glyphs, holder}, rules);
}

void ContextSubtable::writeBinary(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& map,
                                  uint16_t) const {
  if (rules.size() != 1)
    throw ot::Exception(ot::Exception::kUnresolved, "a context subtable is written with exactly one rule");
  if (chained) writeChainedContextFormat3(writer, *rules.front(), lookups, map);
  else writeContextFormat3(writer, *rules.front(), lookups, map);
}

void ContextSubtable::writeFea(std::ostream& out, const LookupMap& lookups, const LookupNames& names) const {
  for (const auto& rule : rules) writeFeaContext(out, *rule, lookups, names);
}

void ContextSubtable::writeFeaContext(std::ostream& out, const Context& rule, const LookupMap& lookups,
                                      const LookupNames& names) const {
  out << (rule.lookups.empty() ? "      ignore " : "      ");
  out << (tableId == kTableGsub ? "sub" : "pos");
  for (auto it = rule.backtrack.rbegin(); it != rule.backtrack.rend(); ++it) {
    if (!it->hasGlyphs()) continue;
    out << ' ';
    it->writeFea(out);
  }
  for (size_t k = 0; k < rule.input.size(); ++k) {
    out << ' ';
    const LookupRecord* record = nullptr;
    for (const auto& r : rule.lookups) {
      if (r.sequenceIndex == k) {
        record = &r;
        break;
      }
    }
    const auto& slot = rule.input[k];
    if (slot.hasGlyphs()) {
      slot.writeFea(out);
    } else {
      GlyphList covered;
      if (record && record->lookupIndex >= 0) {
        if (auto it = lookups.find(static_cast<uint32_t>(record->lookupIndex)); it != lookups.end() && it->second) {
          for (const auto& subtable : it->second->subtables) subtable->appendCoverage(covered);
        }
      }
      writeFeaGlyphList(&covered, out, 0, 0, -1);
    }
    out << '\'';
    if (record && record->lookupIndex >= 0) {
      auto name = names.find({tableId, static_cast<uint32_t>(record->lookupIndex)});
      if (name != names.end()) out << " lookup " << name->second << ' ';
    }
  }
  for (const auto& slot : rule.lookahead) {
    if (!slot.hasGlyphs()) continue;
    out << ' ';
    slot.writeFea(out);
  }
  out << ";\n";
}

void ContextSubtable::pruneByGlyphs(const GlyphSet& remove) {
  for (auto& rule : rules) rule->pruneByGlyphs(remove);
  std::erase_if(rules, [](const std::unique_ptr<Context>& rule) { return rule->isEmpty(); });
}

void ContextSubtable::pruneByLookups(const LookupSet& kept) {
  for (auto& rule : rules) rule->pruneByLookups(kept);
  std::erase_if(rules, [](const std::unique_ptr<Context>& rule) { return rule->isEmpty(); });
}

void ContextSubtable::collectGlyphs(GlyphSet& out) const {
  for (const auto& rule : rules) rule->collectGlyphs(out);
}

void ContextSubtable::collectLookupRefs(LookupSet& out) const {
  for (const auto& rule : rules) rule->collectLookupRefs(out);
}

void ContextSubtable::collectGroupRefs(GlyphSet& out) const {
  for (const auto& rule : rules) rule->collectGroupRefs(out);
}

bool ContextSubtable::splitRules(SubtableList& out) {
  if (rules.size() < 2) return false;
  for (const auto& rule : rules) {
    auto piece = std::make_unique<ContextSubtable>(tableId, typeCode, chained, holder);
    piece->rules.push_back(std::make_unique<Context>(holder, *rule));
    out.push_back(std::move(piece));
  }
  rules.clear();
  return true;
}

std::unique_ptr<LookupSubtable> ContextSubtable::clone(GlyphClassHolder classes) const {
  auto copy = std::make_unique<ContextSubtable>(tableId, typeCode, chained, classes);
  for (const auto& rule : rules) copy->rules.push_back(std::make_unique<Context>(classes, *rule));
  return copy;
}

}  // namespace otl
