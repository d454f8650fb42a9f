// The layout XML document's elements for the positioning kinds that are not contextual.
#include <algorithm>
#include <map>
#include <vector>

#include "layout/cursive_pos.h"
#include "layout/glyph_id_map.h"
#include "layout/mark_pos.h"
#include "layout/ot/exception.h"
#include "layout/ot/limits.h"
#include "layout/pair_pos.h"
#include "layout/single_pos.h"
#include "layout/text/layout_xml_subtable_parts.h"
#include "layout/text/layout_xml_subtables.h"

namespace otl::xml_out {

namespace {

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
  openElement(w, name, index, same ? 1 : 2);
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
    openElement(w, name, index, 1);
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
    openElement(w, name, index, 2);
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
