// What the context readers share: glyph sequences, lookup records, the rules of a rule
// set and the walk over rule sets.
#include "layout/context_formats.h"
#include "layout/glyph_id_map.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/exception.h"
#include "layout/ot/limits.h"
#include "layout/ot/offset_array.h"

namespace otl::context_read {

namespace {

// The input count of a rule-set rule, which counts the first glyph as well.
uint16_t readInputCount(ot::BinaryReader& r) {
  const uint16_t inputCount = r.readUInt16();
  if (inputCount == 0) r.fail("context rule without input");
  // The limit is the one format 3 applies to its whole input.
  if (inputCount > ot::limits::kMaxContextGlyphs) r.fail("context longer than allowed");
  return inputCount;
}

void appendPositions(Sequence& sequence, const std::vector<uint16_t>& values, const ValueSource& source,
                     GlyphClassHolder holder) {
  for (uint16_t v : values) sequence.emplace_back(holder, source.glyphsOf(v));
}

}  // namespace

std::vector<uint16_t> readGlyphSequence(ot::BinaryReader& r, uint32_t count) {
  if (count > ot::limits::kMaxContextGlyphs) r.fail("context longer than allowed");
  r.requireRecords(count, 2);
  r.charge(count);
  std::vector<uint16_t> values(count);
  for (auto& v : values) v = r.readUInt16();
  return values;
}

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

void keepRule(const ot::BinaryReader& r, uint64_t positions, uint16_t lookupCount) {
  r.keep(ot::limits::heapBytes(sizeof(Context)) + sizeof(GlyphClassSlot) * positions +
         sizeof(LookupRecord) * uint64_t{lookupCount});
}

RuleValues readRuleSetRule(ot::BinaryReader& r) {
  RuleValues values;
  const uint16_t inputCount = readInputCount(r);
  values.lookupCount = r.readUInt16();
  values.input = readGlyphSequence(r, inputCount - 1u);
  return values;
}

RuleValues readChainedRuleSetRule(ot::BinaryReader& r) {
  RuleValues values;
  values.backtrack = readGlyphSequence(r, r.readUInt16());
  const uint16_t inputCount = readInputCount(r);
  values.input = readGlyphSequence(r, inputCount - 1u);
  values.lookahead = readGlyphSequence(r, r.readUInt16());
  values.lookupCount = r.readUInt16();
  return values;
}

GlyphList ValueSource::glyphsOf(uint16_t value) const {
  if (!classes) {
    reader->keepGlyphs(1);
    return GlyphList{map->idOf(value)};
  }
  // Every position holds its class's glyphs, however many rules name the class.
  if (value != 0) {
    GlyphList list;
    classes->glyphsOfClass(list, value);
    reader->keepGlyphs(list.size());
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
  reader->keepGlyphs(unclassed->size());
  return *unclassed;
}

void readRuleSets(ot::BinaryReader& r, const RuleSets& sets, RuleSetRuleReader readRule,
                  const ContextReadScope& scope, ContextRules& rules) {
  for (size_t i = 0; i < sets.offsets.size(); ++i) {
    if (sets.offsets[i] == 0) continue;
    ot::BinaryReader set = r.window(sets.offsets[i]);
    const std::vector<uint16_t> ruleOffsets = ot::readOffsetArray(set);
    const GlyphList first = sets.firstOf(i);
    for (uint16_t ruleOffset : ruleOffsets) {
      set.seek(ruleOffset);
      const RuleValues values = readRule(set);
      keepRule(set, values.backtrack.size() + values.input.size() + 1 + values.lookahead.size(), values.lookupCount);
      auto rule = std::make_unique<Context>(scope.holder);
      readLookupRecords(set, values.lookupCount, scope.lookups, *rule);
      appendPositions(rule->backtrack, values.backtrack, sets.backtrack, scope.holder);
      set.keepGlyphs(first.size());
      rule->input.emplace_back(scope.holder, first);
      appendPositions(rule->input, values.input, sets.input, scope.holder);
      appendPositions(rule->lookahead, values.lookahead, sets.lookahead, scope.holder);
      rules.push_back(std::move(rule));
    }
  }
}

}  // namespace otl::context_read
