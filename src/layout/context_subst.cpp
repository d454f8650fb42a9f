#include "layout/context_subst.h"

#include <optional>
#include <ostream>

#include "layout/glyph_id_map.h"
#include "layout/limits.h"
#include "layout/lookup.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/coverage.h"
#include "layout/ot/exception.h"

namespace otl {

namespace {

// Reads the lookup records of a rule, mapping LookupList indices to model indices.
void readLookupRecords(ot::BinaryReader& r, uint16_t count, const LookupIndexMap& lookups, Context& rule) {
  r.requireRecords(count, 4);
  for (uint16_t i = 0; i < count; ++i) {
    const uint16_t sequenceIndex = r.readUInt16();
    const uint16_t listIndex = r.readUInt16();
    auto it = lookups.find(listIndex);
    if (it == lookups.end()) throw ot::Exception(ot::Exception::kUnresolved, "context rule calls an unknown lookup");
    rule.lookups.push_back(LookupRecord{sequenceIndex, static_cast<int32_t>(it->second)});
  }
}

// Glyph values of one sequence: glyph indices (format 1) or classes (format 2).
std::vector<uint16_t> readValues(ot::BinaryReader& r, uint32_t count) {
  if (count > limits::kMaxContextGlyphs) r.fail("context longer than allowed");
  r.requireRecords(count, 2);
  r.charge(count);
  std::vector<uint16_t> values(count);
  for (auto& v : values) v = r.readUInt16();
  return values;
}

// Offsets of a RuleSet or Rule array: one per covered glyph or class, so only the bytes
// bound them, not the length limit of a rule's glyph sequence.
std::vector<uint16_t> readOffsets(ot::BinaryReader& r, uint32_t count) {
  r.charge(count);
  return r.readUInt16Array(count);
}

// Turns values into positions: glyph indices through the map, or the glyphs of a class.
// Class 0 of a context ClassDef is every glyph of the font that the definition leaves out;
// the definition lists only the other classes, so the list is made from the glyph map on
// first use. Each use is charged to the reader: a slot compares the whole list.
struct ValueSource {
  const GlyphIdMap* map = nullptr;
  const ClassDefinitionTable* classes = nullptr;
  const ot::BinaryReader* reader = nullptr;
  mutable std::optional<GlyphList> unclassed;

  GlyphList glyphsOf(uint16_t value) const {
    if (!classes) return GlyphList{map->idOf(value)};
    if (value != 0) {
      GlyphList list;
      classes->glyphsOfClass(list, value);
      return list;
    }
    if (!unclassed) {
      reader->charge(map->glyphCount());
      GlyphSet classed;  // a range may name class 0 explicitly
      for (size_t i = 0; i < classes->glyphs.size() && i < classes->classes.size(); ++i) {
        if (classes->classes[i] != 0) classed.insert(classes->glyphs[i]);
      }
      unclassed.emplace();
      for (uint32_t index = 0; index < map->glyphCount(); ++index) {
        if (map->hasIndex(index) && !classed.count(map->idOf(index))) unclassed->push_back(map->idOf(index));
      }
    }
    reader->charge(unclassed->size() / 8 + 1);
    return *unclassed;
  }
};

void appendPositions(Sequence& sequence, const std::vector<uint16_t>& values, const ValueSource& source,
                     GlyphClassHolder holder) {
  for (uint16_t v : values) sequence.emplace_back(holder, source.glyphsOf(v));
}

void readCoveragePositions(ot::BinaryReader& r, const std::vector<uint16_t>& offsets, const GlyphIdMap& map,
                           Sequence& sequence, GlyphClassHolder holder) {
  for (uint16_t o : offsets) {
    GlyphList glyphs;
    readCoverageTable(glyphs, r, o, map);
    sequence.emplace_back(holder, glyphs);
  }
}

}  // namespace

void LsChainedContext::readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups,
                                  const GlyphIdMap& glyphs) {
  readRules(reader, offset, lookups, glyphs, true);
}

void LsContext::readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups,
                           const GlyphIdMap& glyphs) {
  readRules(reader, offset, lookups, glyphs, false);
}

void LsChainedContext::readRules(ot::BinaryReader& reader, size_t offset, const LookupIndexMap& lookups,
                                 const GlyphIdMap& map, bool chained) {
  ot::BinaryReader r = reader.window(offset);
  const uint16_t format = r.readUInt16();
  if (format == 3) {
    auto rule = std::make_unique<Context>(holder);
    std::vector<uint16_t> backtrack, input, lookahead;
    uint16_t recordCount = 0;
    if (chained) {
      backtrack = readValues(r, r.readUInt16());
      input = readValues(r, r.readUInt16());
      lookahead = readValues(r, r.readUInt16());
      recordCount = r.readUInt16();
    } else {
      const uint16_t glyphCount = r.readUInt16();
      recordCount = r.readUInt16();
      input = readValues(r, glyphCount);
    }
    readLookupRecords(r, recordCount, lookups, *rule);
    readCoveragePositions(r, backtrack, map, rule->backtrack, holder);
    readCoveragePositions(r, input, map, rule->input, holder);
    readCoveragePositions(r, lookahead, map, rule->lookahead, holder);
    rules.push_back(std::move(rule));
    return;
  }
  if (format != 1 && format != 2) throw ot::Exception(ot::Exception::kUnsupported, "unknown context format");
  GlyphList covered;
  readCoverageTable(covered, r, r.readUInt16(), map);
  ClassDefinitionTable backtrackClasses, inputClasses, lookaheadClasses;
  if (format == 2) {
    if (chained) {
      backtrackClasses.readBinary(r, r.readUInt16(), map);
      inputClasses.readBinary(r, r.readUInt16(), map);
      lookaheadClasses.readBinary(r, r.readUInt16(), map);
    } else {
      inputClasses.readBinary(r, r.readUInt16(), map);
    }
  }
  // Input class 0 is every covered glyph that the input ClassDef leaves out.
  if (format == 2) {
    GlyphSet classed;  // a range may name class 0 explicitly
    for (size_t i = 0; i < inputClasses.glyphs.size() && i < inputClasses.classes.size(); ++i) {
      if (inputClasses.classes[i] != 0) classed.insert(inputClasses.glyphs[i]);
    }
    for (uint32_t g : covered) {
      if (!classed.count(g)) inputClasses.class0.push_back(g);
    }
  }
  const uint16_t setCount = r.readUInt16();
  if (format == 1 && setCount != covered.size())
    throw ot::Exception(ot::Exception::kInconsistent, "rule set count differs from the coverage");
  const std::vector<uint16_t> setOffsets = readOffsets(r, setCount);
  ValueSource backtrackSource{&map, format == 2 ? &backtrackClasses : nullptr, &r, {}};
  ValueSource inputSource{&map, format == 2 ? &inputClasses : nullptr, &r, {}};
  ValueSource lookaheadSource{&map, format == 2 ? &lookaheadClasses : nullptr, &r, {}};
  for (size_t i = 0; i < setOffsets.size(); ++i) {
    if (setOffsets[i] == 0) continue;
    ot::BinaryReader set = r.window(setOffsets[i]);
    const std::vector<uint16_t> ruleOffsets = readOffsets(set, set.readUInt16());
    GlyphList first;
    if (format == 1) {
      first = {covered[i]};
    } else {
      inputClasses.glyphsOfClass(first, static_cast<uint16_t>(i));
    }
    for (uint16_t ruleOffset : ruleOffsets) {
      set.seek(ruleOffset);
      auto rule = std::make_unique<Context>(holder);
      std::vector<uint16_t> backtrack, input, lookahead;
      uint16_t recordCount = 0;
      if (chained) {
        backtrack = readValues(set, set.readUInt16());
        const uint16_t inputCount = set.readUInt16();
        if (inputCount == 0) set.fail("context rule without input");
        // The count includes the first glyph: the limit is the one format 3 applies.
        if (inputCount > limits::kMaxContextGlyphs) set.fail("context longer than allowed");
        input = readValues(set, inputCount - 1u);
        lookahead = readValues(set, set.readUInt16());
        recordCount = set.readUInt16();
      } else {
        const uint16_t inputCount = set.readUInt16();
        if (inputCount == 0) set.fail("context rule without input");
        // The count includes the first glyph: the limit is the one format 3 applies.
        if (inputCount > limits::kMaxContextGlyphs) set.fail("context longer than allowed");
        recordCount = set.readUInt16();
        input = readValues(set, inputCount - 1u);
      }
      readLookupRecords(set, recordCount, lookups, *rule);
      appendPositions(rule->backtrack, backtrack, backtrackSource, holder);
      rule->input.emplace_back(holder, first);
      appendPositions(rule->input, input, inputSource, holder);
      appendPositions(rule->lookahead, lookahead, lookaheadSource, holder);
      rules.push_back(std::move(rule));
    }
  }
}

void LsChainedContext::writeBinary(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& map,
                                   uint16_t) const {
  writeRule(writer, lookups, map, true);
}

void LsContext::writeBinary(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& map,
                            uint16_t) const {
  writeRule(writer, lookups, map, false);
}

void LsChainedContext::writeRule(ot::BinaryWriter& writer, const LookupIndexMap& lookups, const GlyphIdMap& map,
                                 bool chained) const {
  if (rules.size() != 1)
    throw ot::Exception(ot::Exception::kUnresolved, "a context subtable is written with exactly one rule");
  const Context& rule = *rules.front();
  const uint32_t start = writer.position();
  writer.writeUInt16(3);
  std::vector<uint32_t> backtrackFields, inputFields, lookaheadFields;
  if (chained) {
    backtrackFields = ot_bin_layout::reserveOffsetArray(writer, rule.backtrack.size());
    inputFields = ot_bin_layout::reserveOffsetArray(writer, rule.input.size());
    lookaheadFields = ot_bin_layout::reserveOffsetArray(writer, rule.lookahead.size());
    writer.writeUInt16(static_cast<uint16_t>(rule.lookups.size()));
  } else {
    writer.writeUInt16(static_cast<uint16_t>(rule.input.size()));
    writer.writeUInt16(static_cast<uint16_t>(rule.lookups.size()));
    for (size_t i = 0; i < rule.input.size(); ++i) inputFields.push_back(writer.reserveOffset16());
  }
  for (const auto& record : rule.lookups) {
    auto it = record.lookupIndex < 0 ? lookups.end() : lookups.find(static_cast<uint32_t>(record.lookupIndex));
    if (it == lookups.end()) throw ot::Exception(ot::Exception::kUnresolved, "context rule calls a lookup not written");
    writer.writeUInt16(static_cast<uint16_t>(record.sequenceIndex));
    writer.writeUInt16(static_cast<uint16_t>(it->second));
  }
  auto writeCoverages = [&](const Sequence& sequence, const std::vector<uint32_t>& fields) {
    for (size_t i = 0; i < sequence.size(); ++i) {
      ot_bin_layout::writeOffset(writer, start, fields[i]);
      writeCoverageTable(writer, sortedIndices(sequence[i].glyphs(), map));
    }
  };
  writeCoverages(rule.backtrack, backtrackFields);
  writeCoverages(rule.input, inputFields);
  writeCoverages(rule.lookahead, lookaheadFields);
}

void LsChainedContext::writeFea(std::ostream& out, const LookupMap& lookups, const LookupNames& names) const {
  for (const auto& rule : rules) writeFeaContext(out, *rule, lookups, names);
}

void LsChainedContext::writeFeaContext(std::ostream& out, const Context& rule, const LookupMap& lookups,
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

void LsChainedContext::pruneByGlyphs(const GlyphSet& remove) {
  for (auto& rule : rules) rule->pruneByGlyphs(remove);
  std::erase_if(rules, [](const std::unique_ptr<Context>& rule) { return rule->isEmpty(); });
}

void LsChainedContext::pruneByLookups(const LookupSet& kept) {
  for (auto& rule : rules) rule->pruneByLookups(kept);
  std::erase_if(rules, [](const std::unique_ptr<Context>& rule) { return rule->isEmpty(); });
}

void LsChainedContext::collectGlyphs(GlyphSet& out) const {
  for (const auto& rule : rules) rule->collectGlyphs(out);
}

void LsChainedContext::collectLookupRefs(LookupSet& out) const {
  for (const auto& rule : rules) rule->collectLookupRefs(out);
}

void LsChainedContext::collectGroupRefs(GlyphSet& out) const {
  for (const auto& rule : rules) rule->collectGroupRefs(out);
}

bool LsChainedContext::splitRules(SubtableList& out) {
  if (rules.size() < 2) return false;
  for (const auto& rule : rules) {
    auto piece = createSubtable(tableId, typeCode, holder);
    auto* context = dynamic_cast<LsChainedContext*>(piece.get());
    if (!context) continue;
    context->rules.push_back(std::make_unique<Context>(holder, *rule));
    out.push_back(std::move(piece));
  }
  rules.clear();
  return true;
}

std::unique_ptr<LookupSubtable> LsChainedContext::clone(GlyphClassHolder classes) const {
  auto copy = createSubtable(tableId, typeCode, classes);
  auto* context = dynamic_cast<LsChainedContext*>(copy.get());
  if (!context) return nullptr;
  for (const auto& rule : rules) context->rules.push_back(std::make_unique<Context>(classes, *rule));
  return copy;
}

}  // namespace otl
