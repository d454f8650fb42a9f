#include "layout/records.h"

#include <ostream>

#include "layout/ot/binary_reader.h"
#include "layout/ot/limits.h"
#include "layout/registry/glyph_name_registry.h"

namespace otl {

void GPosValue::writeFea(std::ostream& out) const {
  if (xPlacement == 0 && yPlacement == 0 && yAdvance == 0) {
    out << xAdvance;
  } else {
    writeFeaFull(out);
  }
}

void GPosValue::writeFeaFull(std::ostream& out) const {
  out << '<' << xPlacement << ' ' << yPlacement << ' ' << xAdvance << ' ' << yAdvance << '>';
}

void copyAnchor(AnchorPtr& target, const AnchorPtr& source) { ot::copyOptional(target, source); }

AnchorPtr readKeptAnchor(const ot::BinaryReader& reader, size_t offset) {
  reader.keep(ot::limits::heapBytes(sizeof(AnchorTable)));
  auto anchor = std::make_unique<AnchorTable>();
  anchor->readBinary(reader, offset);
  return anchor;
}

void AnchorTable::writeFea(std::ostream& out) const {
  out << "<anchor " << x << ' ' << y;
  if (static_cast<int16_t>(contourPoint) >= 0) out << " contourpoint " << contourPoint;
  if (xDevice) out << ' ';
  if (yDevice) out << ' ';
  out << '>';
}

void ClassDefinitionTable::glyphsOfClass(GlyphList& out, uint16_t cls) const {
  if (cls == 0) {
    out.insert(out.end(), class0.begin(), class0.end());
    return;
  }
  const size_t n = pairCount();
  for (size_t i = 0; i < n; ++i) {
    if (classes[i] == cls) out.push_back(glyphs[i]);
  }
}

bool ClassDefinitionTable::hasClass(uint16_t cls) const {
  return cls == 0 || std::find(classes.begin(), classes.end(), cls) != classes.end();
}

uint16_t ClassDefinitionTable::maxClass() const {
  return classes.empty() ? 0 : *std::max_element(classes.begin(), classes.end());
}

uint32_t ClassDefinitionTable::classCount() const {
  std::set<uint16_t> distinct(classes.begin(), classes.end());
  distinct.insert(0);
  return static_cast<uint32_t>(distinct.size());
}

void ClassDefinitionTable::pruneByGlyphs(const GlyphSet& remove) {
  std::erase_if(class0, [&](uint32_t g) { return remove.count(g) != 0; });
  GlyphList keptGlyphs;
  std::vector<uint16_t> keptClasses;
  const size_t n = pairCount();
  for (size_t i = 0; i < n; ++i) {
    if (classes[i] == 0 || remove.count(glyphs[i])) continue;
    keptGlyphs.push_back(glyphs[i]);
    keptClasses.push_back(classes[i]);
  }
  glyphs = std::move(keptGlyphs);
  classes = std::move(keptClasses);
}

void ClassDefinitionTable::collectGlyphs(GlyphSet& out) const {
  out.insert(class0.begin(), class0.end());
  const size_t n = pairCount();
  for (size_t i = 0; i < n; ++i) {
    if (classes[i] != 0) out.insert(glyphs[i]);
  }
}

bool ClassDefinitionTable::isEmpty() const {
  return std::none_of(classes.begin(), classes.end(), [](uint16_t c) { return c != 0; });
}

void ClassDefinitionTable::writeFeaClass(std::ostream& out, uint16_t cls,
                                         const std::map<uint16_t, GlyphList>* overrides) const {
  if (overrides) {
    if (auto it = overrides->find(cls); it != overrides->end()) {
      writeFeaGlyphList(&it->second, out, 1, 0, -1);
      return;
    }
  }
  GlyphList list;
  glyphsOfClass(list, cls);
  writeFeaGlyphList(&list, out, 1, 0, -1);
}

uint32_t nextGlyphId() { return glyphNameRegistry().nextFreeId(); }

void copySequence(Sequence& target, const Sequence& source, GlyphClassHolder holder) {
  target.clear();
  target.reserve(source.size());
  for (const auto& slot : source) target.emplace_back(holder, slot);
}

Context::Context(GlyphClassHolder h, const Context& source) : lookups(source.lookups), holder(h) {
  copySequence(backtrack, source.backtrack, h);
  copySequence(lookahead, source.lookahead, h);
  copySequence(input, source.input, h);
}

void Context::clear() {
  for (Sequence* seq : {&backtrack, &input, &lookahead}) {
    for (auto& slot : *seq) slot.clear();
    seq->clear();
  }
  lookups.clear();
}

bool pruneSequences(std::initializer_list<Sequence*> sequences, const GlyphSet& remove) {
  for (Sequence* seq : sequences) {
    for (auto& slot : *seq) {
      GlyphList kept;
      const auto& list = slot.glyphs();
      for (uint32_t g : list) {
        if (!remove.count(g)) kept.push_back(g);
      }
      if (kept.size() == list.size()) continue;
      slot.assign(kept);
      if (kept.empty()) return true;
    }
  }
  return false;
}

void Context::pruneByGlyphs(const GlyphSet& remove) {
  if (pruneSequences({&backtrack, &input, &lookahead}, remove)) clear();
}

void Context::pruneByLookups(const std::set<uint32_t>& kept) {
  std::erase_if(lookups, [&](const LookupRecord& r) {
    return r.lookupIndex < 0 || !kept.count(static_cast<uint32_t>(r.lookupIndex));
  });
}

void Context::collectGlyphs(GlyphSet& out) const {
  for (const Sequence* seq : {&backtrack, &input, &lookahead}) {
    for (const auto& slot : *seq) out.insert(slot.glyphs().begin(), slot.glyphs().end());
  }
}

void Context::collectGroupRefs(GlyphSet& out) const {
  for (const Sequence* seq : {&backtrack, &input, &lookahead}) {
    for (const auto& slot : *seq) {
      if (slot.classId()) out.insert(slot.classId());
    }
  }
}

void Context::collectLookupRefs(std::set<uint32_t>& out) const {
  for (const auto& r : lookups) {
    if (r.lookupIndex >= 0) out.insert(static_cast<uint32_t>(r.lookupIndex));
  }
}

}  // namespace otl
