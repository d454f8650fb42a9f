#include "layout/pair_pos.h"

#include "layout/glyph_indices.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/exception.h"

namespace otl {

namespace {

[[noreturn]] void noFormat() { throw ot::Exception(ot::Exception::kUnsupported, "pair subtable without its format"); }

bool holdsForm(const LpPair& pair) {
  return (pair.format == 1 && pair.format1) || (pair.format == 2 && pair.format2);
}

// Calls `action` with the form the subtable holds; throws when it holds none.
template <class Pair, class Action>
decltype(auto) withForm(Pair& pair, Action&& action) {
  if (pair.format == 1 && pair.format1) return action(*pair.format1);
  if (pair.format == 2 && pair.format2) return action(*pair.format2);
  noFormat();
}

}  // namespace

bool classPairLess(const GPosClassPair& a, const GPosClassPair& b) {
  return a.class1 != b.class1 ? a.class1 < b.class1 : a.class2 < b.class2;
}

LpPair::LpPair(uint16_t pairFormat) : LookupSubtable(kTableGpos, kGposPair, nullptr), format(pairFormat) {
  if (pairFormat == 1) format1 = std::make_unique<LpPairFormat1Impl>();
  else format2 = std::make_unique<LpPairFormat2Impl>();
}

size_t LpPair::pairCount() const {
  if (!holdsForm(*this)) return 0;
  return withForm(*this, [](const auto& form) { return form.pairs.size(); });
}

bool LpPair::isEmpty() const {
  return withForm(*this, [](const auto& form) { return form.pairs.empty(); });
}

void LpPair::assign(const LpPair& other) {
  if (this == &other) return;
  tableId = other.tableId;
  typeCode = other.typeCode;
  format = other.format;
  format1 = other.format1 ? std::make_unique<LpPairFormat1Impl>(*other.format1) : nullptr;
  format2 = other.format2 ? std::make_unique<LpPairFormat2Impl>(*other.format2) : nullptr;
}

std::unique_ptr<LookupSubtable> LpPair::clone(GlyphClassHolder) const {
  auto copy = std::make_unique<LpPair>(Bare{});
  copy->assign(*this);
  return copy;
}

void LpPair::readBinary(ot::BinaryReader& reader, size_t offset, const LookupIndexMap&, const GlyphIdMap& map) {
  ot::BinaryReader r = reader.window(offset);
  const uint16_t posFormat = r.readUInt16();
  if (posFormat != 1 && posFormat != 2) throw ot::Exception(ot::Exception::kUnsupported, "unknown pair format");
  format1.reset();
  format2.reset();
  format = posFormat;
  PairHeader header;
  // Format 2 takes a glyph's class from the ClassDef: its Coverage is a set.
  readCoverageTable(header.covered, r, r.readUInt16(), map,
                    posFormat == 1 ? CoverageUse::kIndexed : CoverageUse::kGlyphSet);
  header.valueFormat1 = r.readUInt16();
  header.valueFormat2 = r.readUInt16();
  if (posFormat == 1) format1 = std::make_unique<LpPairFormat1Impl>();
  else format2 = std::make_unique<LpPairFormat2Impl>();
  withForm(*this, [&](auto& form) { form.readBinary(r, header, map); });
}

void LpPair::writeBinary(ot::BinaryWriter& writer, const LookupIndexMap&, const GlyphIdMap& map,
                         uint16_t requested) const {
  if (requested != 0 && requested != format) noFormat();
  withForm(*this, [&](const auto& form) { form.writeBinary(writer, map); });
}

void LpPair::writeFea(std::ostream& out, const LookupMap&, const LookupNames&) const {
  if (holdsForm(*this)) withForm(*this, [&](const auto& form) { form.writeFea(out); });
}

void LpPair::pruneByGlyphs(const GlyphSet& remove) {
  withForm(*this, [&](auto& form) { form.pruneByGlyphs(remove); });
}

void LpPair::collectGlyphs(GlyphSet& out) const {
  withForm(*this, [&](const auto& form) { form.collectGlyphs(out); });
}

void LpPair::appendCoverage(GlyphList& out) const {
  if (holdsForm(*this)) withForm(*this, [&](const auto& form) { form.appendCoverage(out); });
}

}  // namespace otl
