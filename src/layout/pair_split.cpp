// Conversions between glyph pairs and class pairs, and the split of a pair subtable that overflows 16-bit
// offsets into pieces that fit.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>

#include "layout/ot/limits.h"
#include "layout/pair_pos.h"

namespace otl {

namespace {

// A byte key that tells value pairs apart exactly (values, ids and device entries);
// built without a stream, as every glyph pair of a kerning passes through it.
template <class T>
void appendBytes(std::string& key, T value) {
  char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  key.append(bytes, sizeof(T));
}

std::string valueKey(const GPosValue& a, const GPosValue& b) {
  std::string key;
  key.reserve(40);
  for (const GPosValue* v : {&a, &b}) {
    for (int16_t field : {v->xPlacement, v->yPlacement, v->xAdvance, v->yAdvance}) appendBytes(key, field);
    for (uint16_t id : v->ids) appendBytes(key, id);
    for (const auto& device : v->devices) {
      if (!device) {
        key += '\0';
        continue;
      }
      key += '\1';
      appendBytes(key, static_cast<uint32_t>(device->entries.size()));
      for (const auto& e : device->entries) {
        appendBytes(key, e.ppem);
        appendBytes(key, e.delta);
      }
    }
  }
  return key;
}

// Deepest chain of halvings before a piece is handed on as it is.
constexpr uint32_t kMaxSplitDepth = 32;

}  // namespace

void LpPair::toClassPairs() {
  if (format2) return;
  auto classes = std::make_unique<LpPairFormat2Impl>();
  if (format1) {
    // The first value given for a glyph pair wins.
    std::map<std::pair<uint32_t, uint32_t>, size_t> seen;
    std::vector<const GPosSpecificPair*> pairs;
    std::map<std::string, uint32_t> valueIds;
    std::vector<const GPosSpecificPair*> valueOf;  // value id -> a pair carrying it
    std::vector<uint32_t> vid;
    for (const auto& p : format1->pairs) {
      if (!seen.emplace(std::make_pair(p.first, p.second), pairs.size()).second) continue;
      auto [it, added] = valueIds.emplace(valueKey(p.value1, p.value2), static_cast<uint32_t>(valueOf.size()));
      if (added) valueOf.push_back(&p);
      pairs.push_back(&p);
      vid.push_back(it->second);
    }
    // Second glyphs that every first glyph kerns alike share a class.
    std::map<uint32_t, std::vector<std::pair<uint32_t, uint32_t>>> column;  // second -> (first, value)
    std::vector<uint32_t> secondOrder, firstOrder;
    for (size_t i = 0; i < pairs.size(); ++i) {
      auto& col = column[pairs[i]->second];
      if (col.empty()) secondOrder.push_back(pairs[i]->second);
      col.emplace_back(pairs[i]->first, vid[i]);
    }
    std::map<std::vector<std::pair<uint32_t, uint32_t>>, uint16_t> secondClassOf;
    std::map<uint32_t, uint16_t> class2;
    for (uint32_t s : secondOrder) {
      auto col = column[s];
      std::sort(col.begin(), col.end());
      auto [it, added] = secondClassOf.emplace(col, static_cast<uint16_t>(secondClassOf.size() + 1));
      class2[s] = it->second;
      classes->classDef2.glyphs.push_back(s);
      classes->classDef2.classes.push_back(it->second);
    }
    // First glyphs with the same row over those classes share a class.
    std::map<uint32_t, std::vector<std::pair<uint16_t, uint32_t>>> row;  // first -> (class2, value)
    for (size_t i = 0; i < pairs.size(); ++i) {
      auto& r = row[pairs[i]->first];
      if (r.empty()) firstOrder.push_back(pairs[i]->first);
      r.emplace_back(class2[pairs[i]->second], vid[i]);
    }
    std::map<std::vector<std::pair<uint16_t, uint32_t>>, uint16_t> firstClassOf;
    for (uint32_t f : firstOrder) {
      auto r = row[f];
      std::sort(r.begin(), r.end());
      r.erase(std::unique(r.begin(), r.end()), r.end());
      auto [it, added] = firstClassOf.emplace(r, static_cast<uint16_t>(firstClassOf.size() + 1));
      classes->classDef1.glyphs.push_back(f);
      classes->classDef1.classes.push_back(it->second);
      if (!added) continue;
      for (auto [c2, v] : r) classes->pairs.emplace_back(it->second, c2, valueOf[v]->value1, valueOf[v]->value2);
    }
    std::stable_sort(classes->pairs.begin(), classes->pairs.end(), classPairLess);
  }
  format2 = std::move(classes);
  format1.reset();
  format = 2;
}

void expandClassPairs(const LpPairFormat2Impl& classes, LpPairFormat1Impl& glyphs) {
  std::map<uint16_t, GlyphList> list1, list2;
  for (const auto& p : classes.pairs) {
    if (p.bothEmpty()) continue;
    if (!list1.count(p.class1)) classes.classDef1.glyphsOfClass(list1[p.class1], p.class1);
    if (!list2.count(p.class2)) classes.classDef2.glyphsOfClass(list2[p.class2], p.class2);
    for (uint32_t a : list1[p.class1]) {
      for (uint32_t b : list2[p.class2]) glyphs.pairs.emplace_back(a, b, p.value1, p.value2);
    }
  }
}

void LpPair::toGlyphPairs() {
  if (format1) return;
  format1 = std::make_unique<LpPairFormat1Impl>();
  if (format2) expandClassPairs(*format2, *format1);
  format = 1;
  format2.reset();
}

GPosValue valueFromKerning(double value) {
  GPosValue v;
  if (std::isnan(value)) return v;
  const double truncated = std::trunc(value);
  v.xAdvance = static_cast<int16_t>(std::clamp(truncated, -32768.0, 32767.0));
  return v;
}

bool LpPair::splitForOffsets(SubtableList& out, const LookupIndexMap& lookups, const GlyphIdMap& glyphs) const {
  if (format == 1) {
    auto copy = std::make_unique<LpPair>(Bare{});
    copy->assign(*this);
    copy->toClassPairs();
    copy->splitInHalves(out, lookups, glyphs);
    if (out.empty()) out.push_back(std::move(copy));
    return !out.empty();
  }
  splitInHalves(out, lookups, glyphs);
  return !out.empty();
}

void LpPair::splitInHalves(SubtableList& out, const LookupIndexMap& lookups, const GlyphIdMap& glyphs,
                           uint32_t depth) const {
  if (!format2) return;
  const auto& impl = *format2;
  std::map<uint16_t, GlyphList> list1, list2;
  for (uint32_t c = 0; c <= impl.classDef1.maxClass(); ++c)
    impl.classDef1.glyphsOfClass(list1[static_cast<uint16_t>(c)], static_cast<uint16_t>(c));
  for (uint32_t c = 0; c <= impl.classDef2.maxClass(); ++c)
    impl.classDef2.glyphsOfClass(list2[static_cast<uint16_t>(c)], static_cast<uint16_t>(c));
  std::vector<const GPosClassPair*> live;
  for (const auto& p : impl.pairs) {
    if (!p.bothEmpty()) live.push_back(&p);
  }
  // The class number that divides the halves; when it leaves one half with every pair,
  // the distinct first (then second) classes in use are halved instead, so each step
  // makes the pieces smaller and the recursion ends.
  const uint16_t half = static_cast<uint16_t>(impl.classDef1.classCount() / 2);
  auto byClass1 = [&](const GPosClassPair& p) { return p.class1 < half; };
  std::function<bool(const GPosClassPair&)> inFirst = byClass1;
  const bool lopsided = std::all_of(live.begin(), live.end(), [&](auto* p) { return byClass1(*p); }) ||
                        std::none_of(live.begin(), live.end(), [&](auto* p) { return byClass1(*p); });
  auto makeHalf = [&](bool first, const std::function<bool(const GPosClassPair&)>& test) {
    auto piece = std::make_unique<LpPair>(uint16_t{1});
    for (const auto* p : live) {
      if (test(*p) != first) continue;
      for (uint32_t a : list1[p->class1]) {
        for (uint32_t b : list2[p->class2]) piece->format1->pairs.emplace_back(a, b, p->value1, p->value2);
      }
    }
    piece->toClassPairs();
    return piece;
  };
  std::unique_ptr<LpPair> halves[2] = {makeHalf(true, inFirst), makeHalf(false, inFirst)};
  for (auto& piece : halves) {
    if (ot_bin_layout::trialWriteSubtable(*piece, lookups, glyphs)) {
      out.push_back(std::move(piece));
      continue;
    }
    if (depth >= kMaxSplitDepth) {
      out.push_back(std::move(piece));  // the table writer reports it
      continue;
    }
    if (!lopsided || piece->pairCount() != live.size()) {
      piece->splitInHalves(out, lookups, glyphs, depth + 1);
      continue;
    }
    // Every pair landed here: halve by the classes actually in use.
    std::vector<uint16_t> used1, used2;
    for (const auto* p : live) {
      used1.push_back(p->class1);
      used2.push_back(p->class2);
    }
    std::sort(used1.begin(), used1.end());
    used1.erase(std::unique(used1.begin(), used1.end()), used1.end());
    std::sort(used2.begin(), used2.end());
    used2.erase(std::unique(used2.begin(), used2.end()), used2.end());
    std::function<bool(const GPosClassPair&)> test;
    if (used1.size() >= 2) {
      const uint16_t mid = used1[used1.size() / 2];
      test = [mid](const GPosClassPair& p) { return p.class1 < mid; };
    } else if (used2.size() >= 2) {
      const uint16_t mid = used2[used2.size() / 2];
      test = [mid](const GPosClassPair& p) { return p.class2 < mid; };
    } else {
      out.push_back(std::move(piece));  // one class pair: nothing smaller exists
      continue;
    }
    for (bool first : {true, false}) {
      auto part = makeHalf(first, test);
      if (ot_bin_layout::trialWriteSubtable(*part, lookups, glyphs)) out.push_back(std::move(part));
      else part->splitInHalves(out, lookups, glyphs, depth + 1);
    }
  }
}

}  // namespace otl
