#include "layout/text/layout_xml_subtables.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "layout/context_subst.h"
#include "layout/cursive_pos.h"
#include "layout/glyph_id_map.h"
#include "layout/ligature_subst.h"
#include "layout/lookup_kind_table.h"
#include "layout/mark_pos.h"
#include "layout/multiple_subst.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/ot/limits.h"
#include "layout/pair_pos.h"
#include "layout/reverse_chain.h"
#include "layout/single_pos.h"
#include "layout/single_subst.h"

namespace otl::xml_out {

namespace {

constexpr int kIn = 8;  // a subtable's direct children

// The subtable's binary form read back through its own reader: the document shows what
// the binary table holds, in its order. Classes of the copy go to a scratch collection.
struct ReadBack {
  vn::FeaGlyphGroups classes;
  vn::FeaGlyphGroups* classesPtr = &classes;
  std::unique_ptr<LookupSubtable> subtable;

  ReadBack(const SubtableXml& e, uint16_t format) {
    ot::BinaryWriter writer;
    e.subtable.writeBinary(writer, e.lookups, e.glyphs, format);
    const std::string bytes = writer.str();
    ot::BinaryReader reader(bytes);
    subtable = e.kind.create(&classesPtr);
    subtable->readBinary(reader, 0, {}, e.glyphs);
  }
  template <class Kind>
  const Kind& as() const {
    return static_cast<const Kind&>(*subtable);
  }
};

void open(LineWriter& w, const char* name, int64_t index, int format) {
  w.start(6, name, {{"index", number(index)}, {"Format", number(format)}});
}

// The kind's element, shown with `format`, around what `body` writes.
template <class Body>
void element(const SubtableXml& e, int format, Body&& body) {
  open(e.w, e.kind.xmlElement, e.index, format);
  body();
  e.w.end(6, e.kind.xmlElement);
}

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

uint16_t formatOf(const std::vector<const GPosValue*>& values) {
  uint16_t format = 0;
  for (const GPosValue* value : values) format |= value->valueFormat();
  return format;
}

void writeSinglePos(LineWriter& w, const LpSingle& s, const char* name, int64_t index) {
  const size_t n = std::min<size_t>(s.coverage.glyphCount(), s.values.size());
  std::vector<const GPosValue*> values;
  for (size_t i = 0; i < n; ++i) values.push_back(&s.values[i]);
  bool same = n >= 1;
  for (size_t i = 1; same && i < n; ++i) same = s.values[i] == s.values[0];
  open(w, name, index, same ? 1 : 2);
  GlyphList covered(s.coverage.glyphs().begin(), s.coverage.glyphs().begin() + static_cast<long>(n));
  w.coverage(kIn, "Coverage", covered);
  const uint16_t format = formatOf(values);
  w.value(kIn, "ValueFormat", number(format));
  if (same) {
    w.valueRecord(kIn, "Value", s.values[0], format);
  } else {
    w.comment(kIn, "ValueCount", static_cast<uint16_t>(n));
    for (size_t i = 0; i < n; ++i) w.valueRecord(kIn, "Value", s.values[i], format, static_cast<int64_t>(i));
  }
  w.end(6, name);
}

void writePairValues(LineWriter& w, int indent, const GPosPair& pair, uint16_t f1, uint16_t f2) {
  if (f1) w.valueRecord(indent, "Value1", pair.value1, f1);
  if (f2) w.valueRecord(indent, "Value2", pair.value2, f2);
}

template <class Pairs>
std::pair<uint16_t, uint16_t> pairFormats(const Pairs& pairs) {
  uint16_t f1 = 0, f2 = 0;
  for (const auto& pair : pairs) {
    f1 |= pair.value1.valueFormat();
    f2 |= pair.value2.valueFormat();
  }
  return {f1, f2};
}

void writePairPos(LineWriter& w, const LpPair& s, const char* name, int64_t index, const GlyphIdMap& glyphs) {
  if (s.format == 1 && s.format1) {
    const auto& pairs = s.format1->pairs;
    const auto [f1, f2] = pairFormats(pairs);
    // Pair sets in order of first appearance (the binary order read back).
    std::vector<uint32_t> firsts;
    std::map<uint32_t, std::vector<const GPosSpecificPair*>> sets;
    for (const auto& pair : pairs) {
      auto& set = sets[pair.first];
      if (set.empty()) firsts.push_back(pair.first);
      set.push_back(&pair);
    }
    open(w, name, index, 1);
    w.coverage(kIn, "Coverage", firsts);
    w.value(kIn, "ValueFormat1", number(f1));
    w.value(kIn, "ValueFormat2", number(f2));
    w.comment(kIn, "PairSetCount", static_cast<uint16_t>(firsts.size()));
    for (size_t i = 0; i < firsts.size(); ++i) {
      const auto& set = sets[firsts[i]];
      w.start(kIn, "PairSet", {{"index", number(static_cast<int64_t>(i))}});
      w.comment(kIn + 2, "PairValueCount", static_cast<int64_t>(set.size()));
      for (size_t j = 0; j < set.size(); ++j) {
        w.start(kIn + 2, "PairValueRecord", {{"index", number(static_cast<int64_t>(j))}});
        w.value(kIn + 4, "SecondGlyph", glyphName(set[j]->second));
        writePairValues(w, kIn + 4, *set[j], f1, f2);
        w.end(kIn + 2, "PairValueRecord");
      }
      w.end(kIn, "PairSet");
    }
    w.end(6, name);
  } else if (s.format == 2 && s.format2) {
    const auto& impl = *s.format2;
    const auto [f1, f2] = pairFormats(impl.pairs);
    uint32_t count1 = impl.classDef1.maxClass() + 1u, count2 = impl.classDef2.maxClass() + 1u;
    std::map<std::pair<uint16_t, uint16_t>, const GPosClassPair*> matrix;
    for (const auto& pair : impl.pairs) {
      matrix[{pair.class1, pair.class2}] = &pair;
      count1 = std::max<uint32_t>(count1, pair.class1 + 1u);
      count2 = std::max<uint32_t>(count2, pair.class2 + 1u);
    }
    // The first glyphs: those ClassDef1 lists and those of class 0, in glyph order.
    GlyphSet firsts(impl.classDef1.glyphs.begin(), impl.classDef1.glyphs.end());
    firsts.insert(impl.classDef1.class0.begin(), impl.classDef1.class0.end());
    GlyphList coverage(firsts.begin(), firsts.end());
    std::stable_sort(coverage.begin(), coverage.end(),
                     [&](uint32_t a, uint32_t b) { return glyphs.indexOf(a) < glyphs.indexOf(b); });
    // Without values the matrix says nothing; with values the binary form bounds it.
    if (f1 == 0 && f2 == 0) count1 = count2 = 0;
    if (uint64_t{count1} * count2 > ot::limits::kMaxOffset16) {
      throw ot::Exception(ot::Exception::kWriteFailed, "class pair matrix too large");
    }
    open(w, name, index, 2);
    w.coverage(kIn, "Coverage", coverage);
    w.value(kIn, "ValueFormat1", number(f1));
    w.value(kIn, "ValueFormat2", number(f2));
    w.classDef(kIn, "ClassDef1", impl.classDef1);
    w.classDef(kIn, "ClassDef2", impl.classDef2);
    w.comment(kIn, "Class1Count", static_cast<uint16_t>(count1));
    w.comment(kIn, "Class2Count", static_cast<uint16_t>(count2));
    const GPosClassPair empty;
    for (uint32_t c1 = 0; c1 < count1; ++c1) {
      w.start(kIn, "Class1Record", {{"index", number(c1)}});
      for (uint32_t c2 = 0; c2 < count2; ++c2) {
        const auto found = matrix.find({static_cast<uint16_t>(c1), static_cast<uint16_t>(c2)});
        w.start(kIn + 2, "Class2Record", {{"index", number(c2)}});
        writePairValues(w, kIn + 4, found == matrix.end() ? empty : *found->second, f1, f2);
        w.end(kIn + 2, "Class2Record");
      }
      w.end(kIn, "Class1Record");
    }
    w.end(6, name);
  }
}

void writeCursive(LineWriter& w, const LpCursive& s) {
  const size_t n = std::min<size_t>(s.coverage.glyphCount(), s.records.size());
  GlyphList covered(s.coverage.glyphs().begin(), s.coverage.glyphs().begin() + static_cast<long>(n));
  w.coverage(kIn, "Coverage", covered);
  w.comment(kIn, "EntryExitCount", static_cast<uint16_t>(n));
  for (size_t i = 0; i < n; ++i) {
    w.start(kIn, "EntryExitRecord", {{"index", number(static_cast<int64_t>(i))}});
    if (s.records[i].entry) w.anchor(kIn + 2, "EntryAnchor", *s.records[i].entry);
    if (s.records[i].exit) w.anchor(kIn + 2, "ExitAnchor", *s.records[i].exit);
    w.end(kIn, "EntryExitRecord");
  }
}

void writeMarkArray(LineWriter& w, const LpMarkTo& s, const char* array) {
  w.start(kIn, array);
  const size_t n = std::min<size_t>(s.marks.glyphCount(), s.markRecords.size());
  w.comment(kIn + 2, "MarkCount", static_cast<uint16_t>(n));
  for (size_t i = 0; i < n; ++i) {
    w.start(kIn + 2, "MarkRecord", {{"index", number(static_cast<int64_t>(i))}});
    w.value(kIn + 4, "Class", number(s.markRecords[i].markClass));
    w.anchor(kIn + 4, "MarkAnchor", s.markRecords[i].anchor);
    w.end(kIn + 2, "MarkRecord");
  }
  w.end(kIn, array);
}

// A class without an anchor writes nothing (its neighbours keep their index), so the
// reader can tell "no anchor" from an anchor at 0, 0.
void writeAnchorRow(LineWriter& w, int indent, const char* name, const AnchorRow& row, uint16_t classCount) {
  for (size_t c = 0; c < row.size() && c < classCount; ++c) {
    if (row[c]) w.anchor(indent, name, *row[c], static_cast<int64_t>(c));
  }
}

void writeMarkBase(LineWriter& w, const LpMarkToBase& s, bool markMark) {
  const size_t nMarks = std::min<size_t>(s.marks.glyphCount(), s.markRecords.size());
  GlyphList marks(s.marks.glyphs().begin(), s.marks.glyphs().begin() + static_cast<long>(nMarks));
  const size_t nBases = std::min<size_t>(s.bases.glyphCount(), s.baseRecords.size());
  GlyphList bases(s.bases.glyphs().begin(), s.bases.glyphs().begin() + static_cast<long>(nBases));
  w.coverage(kIn, markMark ? "Mark1Coverage" : "MarkCoverage", marks);
  w.coverage(kIn, markMark ? "Mark2Coverage" : "BaseCoverage", bases);
  w.comment(kIn, "ClassCount", s.classCount);
  writeMarkArray(w, s, markMark ? "Mark1Array" : "MarkArray");
  const char* array = markMark ? "Mark2Array" : "BaseArray";
  const char* record = markMark ? "Mark2Record" : "BaseRecord";
  w.start(kIn, array);
  w.comment(kIn + 2, markMark ? "Mark2Count" : "BaseCount", static_cast<uint16_t>(nBases));
  for (size_t i = 0; i < nBases; ++i) {
    w.start(kIn + 2, record, {{"index", number(static_cast<int64_t>(i))}});
    writeAnchorRow(w, kIn + 4, markMark ? "Mark2Anchor" : "BaseAnchor", s.baseRecords[i], s.classCount);
    w.end(kIn + 2, record);
  }
  w.end(kIn, array);
}

void writeMarkLigature(LineWriter& w, const LpMarkToLigature& s) {
  const size_t nMarks = std::min<size_t>(s.marks.glyphCount(), s.markRecords.size());
  GlyphList marks(s.marks.glyphs().begin(), s.marks.glyphs().begin() + static_cast<long>(nMarks));
  const size_t n = std::min<size_t>(s.bases.glyphCount(), s.ligatureRecords.size());
  GlyphList ligatures(s.bases.glyphs().begin(), s.bases.glyphs().begin() + static_cast<long>(n));
  w.coverage(kIn, "MarkCoverage", marks);
  w.coverage(kIn, "LigatureCoverage", ligatures);
  w.comment(kIn, "ClassCount", s.classCount);
  writeMarkArray(w, s, "MarkArray");
  w.start(kIn, "LigatureArray");
  w.comment(kIn + 2, "LigatureCount", static_cast<uint16_t>(n));
  for (size_t i = 0; i < n; ++i) {
    const auto& components = s.ligatureRecords[i];
    w.start(kIn + 2, "LigatureAttach", {{"index", number(static_cast<int64_t>(i))}});
    w.comment(kIn + 4, "ComponentCount", static_cast<uint16_t>(components.size()));
    for (size_t c = 0; c < components.size(); ++c) {
      w.start(kIn + 4, "ComponentRecord", {{"index", number(static_cast<int64_t>(c))}});
      writeAnchorRow(w, kIn + 6, "LigatureAnchor", components[c], s.classCount);
      w.end(kIn + 4, "ComponentRecord");
    }
    w.end(kIn + 2, "LigatureAttach");
  }
  w.end(kIn, "LigatureArray");
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

// Single and pair positioning choose the format from the values.
void writeSinglePosXml(const SubtableXml& e) {
  const ReadBack back(e, 0);
  writeSinglePos(e.w, back.as<LpSingle>(), e.kind.xmlElement, e.index);
}

void writePairPosXml(const SubtableXml& e) {
  const ReadBack back(e, 0);
  writePairPos(e.w, back.as<LpPair>(), e.kind.xmlElement, e.index, e.glyphs);
}

void writeCursivePosXml(const SubtableXml& e) {
  const ReadBack back(e, 0);
  element(e, 1, [&] { writeCursive(e.w, back.as<LpCursive>()); });
}

// Mark-to-base and mark-to-mark differ only in the names of their records.
void writeMarkBasePosXml(const SubtableXml& e) {
  const ReadBack back(e, 0);
  element(e, 1, [&] { writeMarkBase(e.w, back.as<LpMarkToBase>(), e.kind.kind == kGposMarkToMark); });
}

void writeMarkLigPosXml(const SubtableXml& e) {
  const ReadBack back(e, 0);
  element(e, 1, [&] { writeMarkLigature(e.w, back.as<LpMarkToLigature>()); });
}

}  // namespace otl::xml_out
