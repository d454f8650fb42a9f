// The layout XML document's elements for the substitution and contextual kinds, and the
// choice of a subtable's writer.
#include "layout/text/layout_xml_subtables.h"

#include "layout/context_subst.h"
#include "layout/glyph_id_map.h"
#include "layout/ligature_subst.h"
#include "layout/lookup_kind_table.h"
#include "layout/multiple_subst.h"
#include "layout/reverse_chain.h"
#include "layout/single_subst.h"
#include "layout/text/layout_xml_subtable_parts.h"

namespace otl::xml_out {

namespace {

void writeSingleSubst(LineWriter& w, const LsSingle& s) {
  const GlyphList& in = s.input.glyphs();
  const GlyphList& out = s.output.glyphs();
  for (size_t i = 0; i < in.size() && i < out.size(); ++i) {
    w.empty(kIn, "Substitution", {{"in", glyphName(in[i])}, {"out", glyphName(out[i])}});
  }
}

void writeMultipleSubst(LineWriter& w, const LsMultiple& s) {
  const size_t n = s.ruleCount();
  GlyphList covered(s.coverage.glyphs().begin(), s.coverage.glyphs().begin() + static_cast<long>(n));
  w.coverage(kIn, "Coverage", covered);
  w.comment(kIn, "SequenceCount", static_cast<uint16_t>(n));
  for (size_t i = 0; i < n; ++i) {
    const GlyphList& sequence = s.sequences[i].glyphs();
    w.start(kIn, "Sequence", {{"index", number(static_cast<int64_t>(i))}});
    w.comment(kIn + 2, "GlyphCount", static_cast<uint16_t>(sequence.size()));
    for (size_t j = 0; j < sequence.size(); ++j) {
      w.empty(kIn + 2, "Substitute", {{"index", number(static_cast<int64_t>(j))}, {"value", glyphName(sequence[j])}});
    }
    w.end(kIn, "Sequence");
  }
}

void writeAlternateSubst(LineWriter& w, const LsMultiple& s) {
  for (size_t i = 0; i < s.ruleCount(); ++i) {
    w.start(kIn, "AlternateSet", {{"glyph", glyphName(s.coverage.glyphAt(i))}});
    for (uint32_t glyph : s.sequences[i].glyphs()) w.empty(kIn + 2, "Alternate", {{"glyph", glyphName(glyph)}});
    w.end(kIn, "AlternateSet");
  }
}

void writeLigatureSubst(LineWriter& w, const LsLigature& s) {
  // Read back, the rules come grouped by first component in coverage order.
  size_t i = 0;
  const size_t n = s.ruleCount();
  while (i < n) {
    const GlyphList& first = s.rules[i].glyphs();
    const uint32_t setGlyph = first.empty() ? 0 : first[0];
    w.start(kIn, "LigatureSet", {{"glyph", glyphName(setGlyph)}});
    for (; i < n; ++i) {
      const GlyphList& components = s.rules[i].glyphs();
      if ((components.empty() ? 0 : components[0]) != setGlyph) break;
      std::string rest;
      for (size_t j = 1; j < components.size(); ++j) {
        if (j > 1) rest += ',';
        rest += glyphName(components[j]);
      }
      w.empty(kIn + 2, "Ligature", {{"components", rest}, {"glyph", glyphName(s.ligatures.glyphAt(i))}});
    }
    w.end(kIn, "LigatureSet");
  }
}

// A coverage lists a glyph once; a class that repeats a glyph keeps its first place.
GlyphList distinct(const GlyphList& glyphs) {
  GlyphList out;
  GlyphSet seen;
  for (uint32_t glyph : glyphs) {
    if (seen.insert(glyph).second) out.push_back(glyph);
  }
  return out;
}

void writeCoverages(LineWriter& w, const char* name, const Sequence& positions) {
  for (size_t i = 0; i < positions.size(); ++i) {
    w.coverage(kIn, name, distinct(positions[i].glyphs()), static_cast<int64_t>(i));
  }
}

void writeLookupRecords(LineWriter& w, const Context& rule, bool gsub, const LookupIndexMap& lookups) {
  const char* name = gsub ? "SubstLookupRecord" : "PosLookupRecord";
  for (size_t i = 0; i < rule.lookups.size(); ++i) {
    const LookupRecord& record = rule.lookups[i];
    if (record.lookupIndex < 0) continue;
    const auto found = lookups.find(static_cast<uint32_t>(record.lookupIndex));
    if (found == lookups.end()) continue;
    w.start(kIn, name, {{"index", number(static_cast<int64_t>(i))}});
    w.value(kIn + 2, "SequenceIndex", number(static_cast<uint16_t>(record.sequenceIndex)));
    w.value(kIn + 2, "LookupListIndex", number(static_cast<uint16_t>(found->second)));
    w.end(kIn, name);
  }
}

void writeContext(LineWriter& w, const ContextSubtable& s, bool chained, const LookupIndexMap& lookups) {
  if (s.rules.empty()) return;
  const Context& rule = *s.rules.front();
  const bool gsub = s.tableId != kTableGpos;
  const char* countName = gsub ? "SubstCount" : "PosCount";
  if (!chained) {
    w.comment(kIn, "GlyphCount", static_cast<int64_t>(rule.input.size()));
    w.comment(kIn, countName, static_cast<int64_t>(rule.lookups.size()));
    writeCoverages(w, "Coverage", rule.input);
  } else {
    w.comment(kIn, "BacktrackGlyphCount", static_cast<int64_t>(rule.backtrack.size()));
    writeCoverages(w, "BacktrackCoverage", rule.backtrack);
    w.comment(kIn, "InputGlyphCount", static_cast<int64_t>(rule.input.size()));
    writeCoverages(w, "InputCoverage", rule.input);
    w.comment(kIn, "LookAheadGlyphCount", static_cast<int64_t>(rule.lookahead.size()));
    writeCoverages(w, "LookAheadCoverage", rule.lookahead);
    w.comment(kIn, countName, static_cast<int64_t>(rule.lookups.size()));
  }
  writeLookupRecords(w, rule, gsub, lookups);
}

void writeReverse(LineWriter& w, const LsReverseChainedContext& s) {
  w.coverage(kIn, "Coverage", distinct(s.input.glyphs()));
  w.comment(kIn, "BacktrackGlyphCount", static_cast<int64_t>(s.backtrack.size()));
  writeCoverages(w, "BacktrackCoverage", s.backtrack);
  w.comment(kIn, "LookAheadGlyphCount", static_cast<int64_t>(s.lookahead.size()));
  writeCoverages(w, "LookAheadCoverage", s.lookahead);
  const GlyphList& substitutes = s.substitutes.glyphs();
  w.comment(kIn, "GlyphCount", static_cast<int64_t>(substitutes.size()));
  for (size_t i = 0; i < substitutes.size(); ++i) {
    w.empty(kIn, "Substitute", {{"index", number(static_cast<int64_t>(i))}, {"value", glyphName(substitutes[i])}});
  }
}

}  // namespace

void writeSubtableXml(LineWriter& w, const LookupSubtable& subtable, int64_t index, const LookupIndexMap& lookups,
                      const GlyphIdMap& glyphs) {
  const LookupKindRow* kind = findLookupKind(subtable.tableId, subtable.typeCode);
  if (kind && kind->xmlWriter) kind->xmlWriter({w, *kind, subtable, index, lookups, glyphs});
}

// The substitution kinds show the binary format they are written in by default.
void writeSingleSubstXml(const SubtableXml& e) {
  const ReadBack back(e, 2);
  element(e, 2, [&] { writeSingleSubst(e.w, back.as<LsSingle>()); });
}

void writeMultipleSubstXml(const SubtableXml& e) {
  const ReadBack back(e, 1);
  element(e, 1, [&] { writeMultipleSubst(e.w, back.as<LsMultiple>()); });
}

void writeAlternateSubstXml(const SubtableXml& e) {
  const ReadBack back(e, 1);
  element(e, 1, [&] { writeAlternateSubst(e.w, back.as<LsMultiple>()); });
}

void writeLigatureSubstXml(const SubtableXml& e) {
  const ReadBack back(e, 0);
  element(e, 1, [&] { writeLigatureSubst(e.w, back.as<LsLigature>()); });
}

// Contexts are shown in the coverage format, from the model.
void writeContextXml(const SubtableXml& e) {
  element(e, 3, [&] { writeContext(e.w, static_cast<const ContextSubtable&>(e.subtable), false, e.lookups); });
}

void writeChainedContextXml(const SubtableXml& e) {
  element(e, 3, [&] { writeContext(e.w, static_cast<const ContextSubtable&>(e.subtable), true, e.lookups); });
}

void writeReverseChainSubstXml(const SubtableXml& e) {
  element(e, 3, [&] { writeReverse(e.w, static_cast<const LsReverseChainedContext&>(e.subtable)); });
}

}  // namespace otl::xml_out
