// GPOS single and pair positioning.
#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "feacompiler/feat_nodes.h"
#include "feacompiler/tables/gpos_builder.h"

namespace fea {

namespace {

auto valueKey(const GposValue& v) {
  return std::make_tuple(v.field[3], v.field[2], v.field[1], v.field[0]);
}

bool sameNumbers(const GposValue& a, const GposValue& b) {
  return std::equal(a.field, a.field + 4, b.field);
}

}  // namespace

void gposSingleAdd(coreContext*, GposLookupInfo& l, const GlyphNode* element) {
  GposValue v = gposValue(element->valueRecord, false);
  for (const GlyphNode* n = element; n != nullptr; n = n->nextCl) {
    if (n->flags & GN_IN_ANON_LOOKUP) continue;
    l.singles.push_back({n->gid, v});
  }
}

void gposSingleFill(coreContext* g, GPOSContext& h, GposLookupInfo& l) {
  auto& recs = l.singles;
  std::stable_sort(recs.begin(), recs.end(), [](const GposSingleRecord& a, const GposSingleRecord& b) {
    return std::make_tuple(a.gid, valueKey(a.value)) < std::make_tuple(b.gid, valueKey(b.value));
  });
  std::vector<GposSingleRecord> kept;
  for (const GposSingleRecord& r : recs) {
    if (!kept.empty() && kept.back().gid == r.gid) {
      std::string name = gposGlyphName(g, r.gid);
      if (sameNumbers(kept.back().value, r.value)) {
        coreMsg(g, kMsgNote, "Removing duplicate single positioning in '%c%c%c%c' feature: %s",
                OTL_TAG_ARGS(l.p.feature), name.c_str());
        continue;
      }
      coreMsg(g, kMsgFatal, "Duplicate single positioning glyph with different values in '%c%c%c%c' feature: %s",
              OTL_TAG_ARGS(l.p.feature), name.c_str());
      continue;
    }
    kept.push_back(r);
  }
  std::stable_sort(kept.begin(), kept.end(), [](const GposSingleRecord& a, const GposSingleRecord& b) {
    return std::make_tuple(valueKey(a.value), a.gid) < std::make_tuple(valueKey(b.value), b.gid);
  });

  // Runs of equal value format, and inside them runs of equal numbers.
  struct Run {
    size_t from, to;
  };
  std::vector<Run> formatRuns, valueRuns;
  uint64_t size1 = 0, size2 = 0;
  for (size_t i = 0; i < kept.size();) {
    size_t j = i;
    while (j < kept.size() && kept[j].value.format == kept[i].value.format) ++j;
    formatRuns.push_back({i, j});
    int bits = gposFormatBits(kept[i].value.format);
    size2 += 8 + 2 * static_cast<uint64_t>(bits) * (j - i);
    for (size_t k = i; k < j;) {
      size_t m = k;
      while (m < j && sameNumbers(kept[m].value, kept[k].value)) ++m;
      valueRuns.push_back({k, m});
      size1 += 6 + 2 * static_cast<uint64_t>(bits);
      k = m;
    }
    i = j;
  }
  bool format1 = size1 < size2;
  for (const Run& run : format1 ? valueRuns : formatRuns) {
    std::vector<GposSingleRecord> part(kept.begin() + static_cast<long>(run.from),
                                       kept.begin() + static_cast<long>(run.to));
    std::stable_sort(part.begin(), part.end(), [](const GposSingleRecord& a, const GposSingleRecord& b) {
      return a.gid < b.gid;
    });
    size_t index = otlBuilderStart(g, h.b, l.p, false);
    OtlTable* t = otlBuilderSections(g, h.b, index);
    std::vector<uint16_t> glyphs;
    for (const auto& r : part) glyphs.push_back(r.gid);
    uint32_t cov = otlCoverageOf(g, t, glyphs);
    uint16_t format = part[0].value.format;
    BuiltSubtable s;
    put16(s.bytes, format1 ? 1 : 2);
    s.coverage(2, cov, "Coverage", "single");
    put16(s.bytes, 0);
    put16(s.bytes, format);
    if (format1) {
      gposValueWrite(s.bytes, format, part[0].value);
    } else {
      put16(s.bytes, static_cast<uint32_t>(part.size()));
      for (const auto& r : part) gposValueWrite(s.bytes, format, r.value);
    }
    otlBuilderFinish(g, h.b, index, std::move(s));
  }
  otlBuilderRaiseContext(h.b, 1);
}

namespace {

// Looks a class up in its side: its index, -1 on a conflict, -2 when it is new.
int gposClassFind(const GposClassSide& side, const std::vector<uint16_t>& glyphs) {
  // The classes are kept ordered by their first glyphs, which differ.
  auto same = std::lower_bound(side.classes.begin(), side.classes.end(), glyphs[0],
                               [](const GposClassEntry& c, uint16_t gid) { return c.glyphs[0] < gid; });
  if (same != side.classes.end() && same->glyphs[0] == glyphs[0]) {
    return same->glyphs == glyphs ? same->index : -1;
  }
  for (uint16_t gid : glyphs) {
    if (std::binary_search(side.glyphs.begin(), side.glyphs.end(), gid)) return -1;
  }
  return -2;
}

int gposClassInsert(coreContext* g, GposClassSide& side, const std::vector<uint16_t>& glyphs,
                    int base) {
  int index = static_cast<int>(side.classes.size()) + base;
  GposClassEntry e;
  e.index = static_cast<uint16_t>(index);
  // The rule's classes come sorted, so a glyph repeated inside one is the one before it.
  // The side's list takes the new glyphs in one merge, not one insertion each.
  for (uint16_t gid : glyphs) {
    if (std::binary_search(side.glyphs.begin(), side.glyphs.end(), gid) ||
        (!e.glyphs.empty() && e.glyphs.back() == gid)) {
      coreMsg(g, kMsgWarning, "Duplicate glyph found in glyph class");
      continue;
    }
    e.glyphs.push_back(gid);
  }
  const auto had = static_cast<std::ptrdiff_t>(side.glyphs.size());
  side.glyphs.insert(side.glyphs.end(), e.glyphs.begin(), e.glyphs.end());
  std::sort(side.glyphs.begin() + had, side.glyphs.end());
  std::inplace_merge(side.glyphs.begin(), side.glyphs.begin() + had, side.glyphs.end());
  side.glyphs.erase(std::unique(side.glyphs.begin(), side.glyphs.end()), side.glyphs.end());
  if (e.glyphs.empty()) e.glyphs.push_back(glyphs[0]);
  auto pos = std::lower_bound(side.classes.begin(), side.classes.end(), e.glyphs[0],
                              [](const GposClassEntry& c, uint16_t gid) { return c.glyphs[0] < gid; });
  side.classes.insert(pos, std::move(e));
  return index;
}

// Charges what the layout model will hold of the current lookup's pairs; a lookup that would
// pass the model's budget is refused, and the compile ends there.
void gposKeepRecords(coreContext* g, GPOSContext& h, const GposLookupInfo& l, uint64_t records,
                     const std::string& where) {
  if (h.records.take(records)) return;
  coreMsg(g, kMsgFatal, "GPOS feature '%c%c%c%c': lookup refused: %s%s", OTL_TAG_ARGS(l.p.feature),
          ot::modelBudgetPassed().c_str(), where.c_str());
}

std::string patternText(coreContext* g, const GlyphNode* element) {
  std::string saved = std::move(g->note);
  g->note.clear();
  if (element->nextCl != nullptr || (element->flags & GN_CLASS)) {
    featClassNoteAppend(g, const_cast<GlyphNode*>(element), -1);
  } else {
    featGlyphNoteAppend(g, element->gid, -1);
  }
  std::string text = std::move(g->note);
  g->note = std::move(saved);
  return text;
}

}  // namespace

void GPOSAddPair(coreContext* g, GlyphNode* first, GlyphNode* second, const std::string& file,
                 int line) {
  GPOSContext& h = *g->gpos;
  GposLookupInfo& l = h.cur;
  if (first == nullptr || second == nullptr) return;
  bool glyphPairs = (!(first->flags & GN_CLASS) && !(second->flags & GN_CLASS)) ||
                    (first->flags & GN_ENUMERATE);
  bool vertical = gposIsVerticalKern(l);
  GposValue v1, v2;
  if (first->valueRecord != nullptr) {
    v1 = gposValue(first->valueRecord, vertical);
    v2 = gposValue(second->valueRecord, vertical);
  } else {
    v1 = gposValue(second->valueRecord, vertical);
  }
  if (g->errorFlag) return;
  int kind = glyphPairs ? 1 : 2;
  std::vector<uint16_t> firstGlyphs = elementGlyphs(first);
  std::vector<uint16_t> secondGlyphs = elementGlyphs(second);
  for (;;) {
    if (l.pairFormat != kind || l.vf1 != v1.format || l.vf2 != v2.format || h.pairBreak) {
      h.pairBreak = false;
      if (l.pairFormat != 0) {
        bool wasClass = l.pairFormat == 2;
        gposPairFill(g, h, l);
        l.pairs.clear();
        h.sides[0] = GposClassSide();
        h.sides[1] = GposClassSide();
        if (wasClass && glyphPairs) {
          coreMsg(g, kMsgWarning, "Specific kern pair occurring after class kern pair: %s%s",
                  (patternText(g, first) + " " + patternText(g, second)).c_str(),
                  gposWhere(file, line).c_str());
        }
      }
      l.pairFormat = kind;
      l.vf1 = v1.format;
      l.vf2 = v2.format;
    }
    if (glyphPairs) {
      // Records beyond what a 16-bit subtable can reach are refused before they are made.
      if (l.pairs.size() + uint64_t{firstGlyphs.size()} * secondGlyphs.size() >
          ot::limits::kMaxCompilerOffset16 / 2) {
        coreMsg(g, kMsgFatal, GPOS_PAIR_OVERFLOW,
                OTL_TAG_ARGS(l.p.feature));
      }
      gposKeepRecords(g, h, l, ot::limits::pairRecords(uint64_t{firstGlyphs.size()} * secondGlyphs.size()),
                      gposWhere(file, line));
      for (uint16_t b : secondGlyphs) {
        for (uint16_t a : firstGlyphs) l.pairs.push_back({a, b, v1, v2, false});
      }
      return;
    }
    int i1 = gposClassFind(h.sides[0], firstGlyphs);
    int i2 = gposClassFind(h.sides[1], secondGlyphs);
    if (i1 != -1 && i2 != -1) {
      // Both sides fit: only now do new classes enter the subtable.
      if (i1 == -2) i1 = gposClassInsert(g, h.sides[0], firstGlyphs, 0);
      if (i2 == -2) i2 = gposClassInsert(g, h.sides[1], secondGlyphs, 1);
      // The model spells out both classes for every class pair.
      gposKeepRecords(g, h, l, uint64_t{firstGlyphs.size()} + secondGlyphs.size(), gposWhere(file, line));
      l.pairs.push_back({static_cast<uint16_t>(i1), static_cast<uint16_t>(i2), v1, v2, false});
      return;
    }
    coreMsg(g, kMsgWarning, "Start of new pair positioning subtable; some pairs may never be accessed: %s%s",
            (patternText(g, first) + " " + patternText(g, second)).c_str(),
            gposWhere(file, line).c_str());
    h.pairBreak = true;
  }
}

namespace {

// Larger magnitude first; on equal magnitude the positive number first.
int compareNumbers(const GposValue& a, const GposValue& b) {
  int n = std::max(a.count, b.count);
  for (int i = 0; i < n; ++i) {
    int x = i < a.count ? a.raw[i] : 0, y = i < b.count ? b.raw[i] : 0;
    if (std::abs(x) != std::abs(y)) return std::abs(x) > std::abs(y) ? -1 : 1;
    if (x != y) return x > y ? -1 : 1;
  }
  return 0;
}

std::string pairText(coreContext* g, const GPOSContext& h, const GposLookupInfo& l,
                     const GposPairRecord& r) {
  if (l.pairFormat == 1) return gposGlyphName(g, r.first) + " " + gposGlyphName(g, r.second);
  std::string text;
  for (int side = 0; side < 2; ++side) {
    uint16_t index = side == 0 ? r.first : r.second;
    const GposClassEntry* found = nullptr;
    for (const auto& c : h.sides[side].classes) {
      if (c.index == index) found = &c;
    }
    if (found == nullptr) {
      coreMsg(g, kMsgFatal, "class <%u> not valid in classDef", static_cast<unsigned>(index));
      return text;
    }
    text += "[";
    for (size_t i = 0; i < found->glyphs.size(); ++i) {
      text += (i ? " " : "") + gposGlyphName(g, found->glyphs[i]);
    }
    text += side == 0 ? "] " : "]";
  }
  return text;
}

void gposPairDedupe(coreContext* g, GPOSContext& h, GposLookupInfo& l) {
  auto& recs = l.pairs;
  std::stable_sort(recs.begin(), recs.end(), [](const GposPairRecord& a, const GposPairRecord& b) {
    if (a.first != b.first) return a.first < b.first;
    if (a.second != b.second) return a.second < b.second;
    int c = compareNumbers(a.v1, b.v1);
    if (c != 0) return c < 0;
    return compareNumbers(a.v2, b.v2) < 0;
  });
  std::vector<GposPairRecord> kept;
  kept.reserve(recs.size());
  for (GposPairRecord& r : recs) {
    if (!kept.empty() && kept.back().first == r.first && kept.back().second == r.second) {
      const GposPairRecord& prev = kept.back();
      bool same = prev.v1.raw[0] == r.v1.raw[0] && (r.v2.count == 0 || prev.v2.raw[0] == r.v2.raw[0]);
      std::string text = pairText(g, h, l, r);
      if (same) {
        coreMsg(g, kMsgNote, "Removing duplicate pair positioning in '%c%c%c%c' feature: %s",
                OTL_TAG_ARGS(l.p.feature), text.c_str());
      } else {
        coreMsg(g, kMsgWarning,
                "Pair positioning has two different values in '%c%c%c%c' feature; choosing the "
                "smaller absolute value: %s",
                OTL_TAG_ARGS(l.p.feature), text.c_str());
      }
      kept.back() = r;
      continue;
    }
    kept.push_back(r);
  }
  recs = std::move(kept);
}

}  // namespace

void gposPairFill(coreContext* g, GPOSContext& h, GposLookupInfo& l) {
  if (l.pairs.empty()) return;
  gposPairDedupe(g, h, l);
  otlBuilderRaiseContext(h.b, 2);
  uint16_t vf1 = l.vf1, vf2 = l.vf2;
  int bits = gposFormatBits(vf1) + gposFormatBits(vf2);
  size_t index = otlBuilderStart(g, h.b, l.p, false);
  OtlTable* t = otlBuilderSections(g, h.b, index);
  BuiltSubtable s;
  if (l.pairFormat == 1) {
    std::vector<size_t> setStart;
    for (size_t i = 0; i < l.pairs.size(); ++i) {
      if (i == 0 || l.pairs[i].first != l.pairs[i - 1].first) setStart.push_back(i);
    }
    gposKeepRecords(g, h, l, setStart.size(), {});  // the coverage
    std::vector<uint16_t> firsts;
    for (size_t i : setStart) firsts.push_back(l.pairs[i].first);
    uint32_t cov = otlCoverageOf(g, t, firsts);
    put16(s.bytes, 1);
    s.coverage(2, cov, "Coverage", "pair");
    put16(s.bytes, 0);
    put16(s.bytes, vf1);
    put16(s.bytes, vf2);
    put16(s.bytes, static_cast<uint32_t>(setStart.size()));
    uint64_t pos = 10 + 2 * setStart.size();
    Bytes sets;
    for (size_t k = 0; k < setStart.size(); ++k) {
      size_t from = setStart[k];
      size_t to = k + 1 < setStart.size() ? setStart[k + 1] : l.pairs.size();
      put16(s.bytes, otlOffset16(g, pos, "PairSet", "pair", "positioning"));
      put16(sets, static_cast<uint32_t>(to - from));
      for (size_t i = from; i < to; ++i) {
        put16(sets, l.pairs[i].second);
        gposValueWrite(sets, vf1, l.pairs[i].v1);
        gposValueWrite(sets, vf2, l.pairs[i].v2);
      }
      pos += 2 + (to - from) * (2 + 2 * static_cast<uint64_t>(bits));
    }
    s.bytes.insert(s.bytes.end(), sets.begin(), sets.end());
  } else {
    const GposClassSide& a = h.sides[0];
    const GposClassSide& b = h.sides[1];
    if (a.classes.empty() || b.classes.empty()) coreMsg(g, kMsgFatal, "empty classdef");
    uint64_t class1Count = a.classes.size();
    uint64_t class2Count = b.classes.size() + 1;
    // Refused before the matrix is allocated: its offsets could not reach past it.
    uint64_t size = 16 + 2 * static_cast<uint64_t>(bits) * class1Count * class2Count;
    if (size > ot::limits::kMaxCompilerOffset16) {
      coreMsg(g, kMsgFatal, GPOS_PAIR_OVERFLOW,
              OTL_TAG_ARGS(l.p.feature));
    }
    gposKeepRecords(g, h, l, 2 * uint64_t{a.glyphs.size()} + b.glyphs.size(), {});  // coverage and classes
    uint32_t cov = otlCoverageOf(g, t, a.glyphs);
    otlClassBegin(g, t);
    for (const auto& c : a.classes) {
      if (c.index == 0) continue;
      for (uint16_t gid : c.glyphs) otlClassAddMapping(g, t, gid, c.index);
    }
    uint32_t cd1 = otlClassEnd(g, t);
    otlClassBegin(g, t);
    for (const auto& c : b.classes) {
      for (uint16_t gid : c.glyphs) otlClassAddMapping(g, t, gid, c.index);
    }
    uint32_t cd2 = otlClassEnd(g, t);
    std::vector<const GposPairRecord*> cells(class1Count * class2Count, nullptr);
    for (const auto& r : l.pairs) cells[r.first * class2Count + r.second] = &r;
    put16(s.bytes, 2);
    s.coverage(2, cov, "Coverage", "pair");
    put16(s.bytes, 0);
    put16(s.bytes, vf1);
    put16(s.bytes, vf2);
    s.classDef(8, cd1, "ClassDef", "pair");
    put16(s.bytes, 0);
    s.classDef(10, cd2, "ClassDef", "pair");
    put16(s.bytes, 0);
    put16(s.bytes, static_cast<uint32_t>(class1Count));
    put16(s.bytes, static_cast<uint32_t>(class2Count));
    GposValue zero;
    for (const GposPairRecord* r : cells) {
      gposValueWrite(s.bytes, vf1, r ? r->v1 : zero);
      gposValueWrite(s.bytes, vf2, r ? r->v2 : zero);
    }
  }
  otlBuilderFinish(g, h.b, index, std::move(s));
}

}  // namespace fea
