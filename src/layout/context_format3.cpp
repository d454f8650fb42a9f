// Context format 3: one rule, a Coverage per position. The one form written.
#include "layout/context_formats.h"
#include "layout/glyph_indices.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"

namespace otl {

namespace {

constexpr uint16_t kCoverageFormat = 3;

// The rest of a rule once its Coverage offsets are read: its lookup records, then the
// Coverages as positions.
void readCoverageRule(ot::BinaryReader& r, const context_read::RuleValues& offsets, const ContextReadScope& scope,
                      ContextRules& rules) {
  context_read::keepRule(r, offsets.backtrack.size() + offsets.input.size() + offsets.lookahead.size(),
                         offsets.lookupCount);
  auto rule = std::make_unique<Context>(scope.holder);
  context_read::readLookupRecords(r, offsets.lookupCount, scope.lookups, *rule);
  auto positions = [&](const std::vector<uint16_t>& coverageOffsets, Sequence& sequence) {
    for (uint16_t o : coverageOffsets) {
      GlyphList glyphs;
      readCoverageTable(glyphs, r, o, scope.map, CoverageUse::kGlyphSet);
      sequence.emplace_back(scope.holder, glyphs);
    }
  };
  positions(offsets.backtrack, rule->backtrack);
  positions(offsets.input, rule->input);
  positions(offsets.lookahead, rule->lookahead);
  rules.push_back(std::move(rule));
}

void writeLookupRecords(ot::BinaryWriter& writer, const Context& rule, const LookupIndexMap& lookups) {
  for (const auto& record : rule.lookups) {
    auto it = record.lookupIndex < 0 ? lookups.end() : lookups.find(static_cast<uint32_t>(record.lookupIndex));
    if (it == lookups.end()) throw ot::Exception(ot::Exception::kUnresolved, "context rule calls a lookup not written");
    writer.writeUInt16(static_cast<uint16_t>(record.sequenceIndex));
    writer.writeUInt16(static_cast<uint16_t>(it->second));
  }
}

// The Coverages of a sequence, each at the offset field reserved for it.
void writeCoverages(ot::BinaryWriter& writer, uint32_t start, const Sequence& sequence,
                    const std::vector<uint32_t>& fields, const GlyphIdMap& map) {
  for (size_t i = 0; i < sequence.size(); ++i) {
    writeCoverageAt(writer, start, fields[i], sortedIndices(sequence[i].glyphs(), map));
  }
}

}  // namespace

void readContextFormat3(ot::BinaryReader& r, const ContextReadScope& scope, ContextRules& rules) {
  context_read::RuleValues offsets;
  const uint16_t glyphCount = r.readUInt16();
  offsets.lookupCount = r.readUInt16();
  offsets.input = context_read::readGlyphSequence(r, glyphCount);
  readCoverageRule(r, offsets, scope, rules);
}

void readChainedContextFormat3(ot::BinaryReader& r, const ContextReadScope& scope, ContextRules& rules) {
  context_read::RuleValues offsets;
  offsets.backtrack = context_read::readGlyphSequence(r, r.readUInt16());
  offsets.input = context_read::readGlyphSequence(r, r.readUInt16());
  offsets.lookahead = context_read::readGlyphSequence(r, r.readUInt16());
  offsets.lookupCount = r.readUInt16();
  readCoverageRule(r, offsets, scope, rules);
}

void writeContextFormat3(ot::BinaryWriter& writer, const Context& rule, const LookupIndexMap& lookups,
                         const GlyphIdMap& map) {
  // The plain form has no fields for them; a layout document can still give them.
  if (!rule.backtrack.empty() || !rule.lookahead.empty())
    throw ot::Exception(ot::Exception::kUnresolved, "plain context rule with backtrack or lookahead positions");
  const uint32_t start = writer.position();
  writer.writeUInt16(kCoverageFormat);
  writer.writeUInt16(static_cast<uint16_t>(rule.input.size()));
  writer.writeUInt16(static_cast<uint16_t>(rule.lookups.size()));
  std::vector<uint32_t> inputFields;
  for (size_t i = 0; i < rule.input.size(); ++i) inputFields.push_back(writer.reserveOffset16());
  writeLookupRecords(writer, rule, lookups);
  writeCoverages(writer, start, rule.input, inputFields, map);
}

void writeChainedContextFormat3(ot::BinaryWriter& writer, const Context& rule, const LookupIndexMap& lookups,
                                const GlyphIdMap& map) {
  const uint32_t start = writer.position();
  writer.writeUInt16(kCoverageFormat);
  const auto backtrackFields = ot::reserveOffsetArray(writer, rule.backtrack.size());
  const auto inputFields = ot::reserveOffsetArray(writer, rule.input.size());
  const auto lookaheadFields = ot::reserveOffsetArray(writer, rule.lookahead.size());
  writer.writeUInt16(static_cast<uint16_t>(rule.lookups.size()));
  writeLookupRecords(writer, rule, lookups);
  writeCoverages(writer, start, rule.backtrack, backtrackFields, map);
  writeCoverages(writer, start, rule.input, inputFields, map);
  writeCoverages(writer, start, rule.lookahead, lookaheadFields, map);
}

}  // namespace otl
