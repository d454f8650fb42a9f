// Pair adjustment format 1: a Coverage of first glyphs and one pair set per covered glyph,
// each a list of (second glyph, value records).
#include <algorithm>
#include <array>
#include <iterator>
#include <map>
#include <ostream>
#include <vector>

#include "layout/glyph_id_map.h"
#include "layout/glyph_indices.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/limits.h"
#include "layout/ot/offset_array.h"
#include "layout/pair_pos.h"

namespace otl {

namespace {
constexpr uint16_t kGlyphPairFormat = 1;
// Compilers lay a glyph-pair subtable out as its header (format, Coverage offset, two value
// formats, set count), one offset per pair set, then the sets (a count, then records of a
// second glyph and the values), and put the Coverage after all of them: its 16-bit offset
// is the whole size of what comes before it.
constexpr uint64_t kGlyphPairHeaderSize = 10;
constexpr uint64_t kPairSetFixedSize = 4;  // its offset and its count

// The most bytes a compiler gives a value as the text writes it: a bare number (one field,
// even for an empty value) or all four fields.
uint64_t compiledValueSize(const GPosValue& value) {
  return value.xPlacement == 0 && value.yPlacement == 0 && value.yAdvance == 0 ? 2 : 8;
}
}  // namespace

void LpPairFormat1Impl::readBinary(ot::BinaryReader& r, const PairHeader& header, const GlyphIdMap& map) {
  const uint32_t recordBytes = 2 + header.recordSize();
  const uint16_t setCount = r.readUInt16();
  if (setCount > header.covered.size()) r.fail("more pair sets than covered glyphs");
  const std::vector<uint16_t> setOffsets = ot::readOffsets(r, setCount);
  // A glyph covered twice keeps the set of its first entry only (the reader noted it).
  const std::vector<bool> used = firstEntries(header.covered);
  // A set that several first glyphs share is read once and copied for each later one; every
  // copy is kept, so every pair counts against the model's budget.
  std::map<uint16_t, size_t> readBy;  // set offset -> the first glyph's set index
  std::vector<uint16_t> counts(setCount);
  uint64_t total = 0;
  for (size_t i = 0; i < setCount; ++i) {
    if (!used[i]) continue;
    r.seek(setOffsets[i]);
    counts[i] = r.readUInt16();
    r.requireRecords(counts[i], recordBytes);
    if (readBy.emplace(setOffsets[i], i).second) r.charge(ot::limits::keptRecordSteps(counts[i], recordBytes));
    r.keepPairs(counts[i]);
    total += counts[i];
  }
  pairs.reserve(pairs.size() + total);
  std::vector<size_t> firstPair(setCount), kept(setCount);  // where each set's pairs begin, how many
  for (size_t i = 0; i < setCount; ++i) {
    firstPair[i] = pairs.size();
    if (!used[i]) continue;
    if (const size_t reader = readBy[setOffsets[i]]; reader != i) {
      for (size_t k = firstPair[reader]; k < firstPair[reader] + kept[reader]; ++k) {
        GPosSpecificPair copy = pairs[k];
        r.keep(copy.value1.keptDeviceBytes() + copy.value2.keptDeviceBytes());
        copy.first = header.covered[i];
        pairs.push_back(std::move(copy));
      }
      kept[i] = kept[reader];
      continue;
    }
    r.seek(setOffsets[i] + 2u);
    std::vector<GPosSpecificPair> set(counts[i]);
    GlyphList seconds;  // glyph indices, as the set lists them
    for (GPosSpecificPair& pair : set) {
      pair.first = header.covered[i];
      seconds.push_back(r.readUInt16());
      pair.second = map.idOf(static_cast<uint16_t>(seconds.back()));
      pair.value1.readBinary(r, r.position(), 0, header.valueFormat1);
      pair.value2.readBinary(r, r.position(), 0, header.valueFormat2);
    }
    // A second glyph listed twice keeps its first record, as an engine finds it.
    const std::vector<bool> firsts = firstEntries(seconds);
    if (std::find(firsts.begin(), firsts.end(), false) != firsts.end()) {
      dropLaterEntries(set, firsts);
      r.note(kSecondGlyphTwice);
    }
    std::move(set.begin(), set.end(), std::back_inserter(pairs));
    kept[i] = pairs.size() - firstPair[i];
  }
}

void LpPairFormat1Impl::writeBinary(ot::BinaryWriter& writer, const GlyphIdMap& map) const {
  struct Record {
    uint16_t second;
    const GPosSpecificPair* pair;
  };
  struct PairSet {
    uint16_t first;
    std::vector<Record> records;
  };
  std::vector<PairSet> sets;
  std::map<uint16_t, size_t> setOf;
  uint16_t vf1 = 0, vf2 = 0;
  for (const auto& pair : pairs) {
    const uint16_t first = map.indexOf(pair.first);
    auto [it, added] = setOf.emplace(first, sets.size());
    if (added) sets.push_back(PairSet{first, {}});
    sets[it->second].records.push_back(Record{map.indexOf(pair.second), &pair});
    vf1 |= pair.value1.valueFormat();
    vf2 |= pair.value2.valueFormat();
  }
  for (auto& set : sets) {
    std::stable_sort(set.records.begin(), set.records.end(),
                     [](const Record& a, const Record& b) { return a.second < b.second; });
  }
  std::vector<uint16_t> firsts;
  for (const auto& set : sets) firsts.push_back(set.first);
  const auto order = ot::glyphSortOrder(firsts);
  const uint32_t start = writer.position();
  writer.writeUInt16(kGlyphPairFormat);
  const uint32_t coverageField = writer.reserveOffset16();
  writer.writeUInt16(vf1);
  writer.writeUInt16(vf2);
  writer.writeUInt16(static_cast<uint16_t>(sets.size()));
  std::vector<uint32_t> setFields;
  for (size_t k = 0; k < sets.size(); ++k) setFields.push_back(writer.reserveOffset16());
  struct Devices {
    const GPosSpecificPair* pair;
    std::array<uint32_t, 4> fields1, fields2;
  };
  std::vector<Devices> devices;
  std::vector<std::pair<const PairSet*, uint32_t>> written;  // PairSets already written, with offsets
  auto sameRecords = [](const PairSet& a, const PairSet& b) {
    if (a.records.size() != b.records.size()) return false;
    for (size_t i = 0; i < a.records.size(); ++i) {
      const auto& x = a.records[i];
      const auto& y = b.records[i];
      if (x.second != y.second || !(x.pair->value1 == y.pair->value1) || !(x.pair->value2 == y.pair->value2))
        return false;
    }
    return true;
  };
  for (size_t k = 0; k < order.size(); ++k) {
    const PairSet& set = sets[order[k]];
    bool shared = false;
    for (const auto& [earlier, setOffset] : written) {
      if (sameRecords(*earlier, set)) {
        ot::writeOffsetValue(writer, setFields[k], setOffset);
        shared = true;
        break;
      }
    }
    if (shared) continue;
    const uint32_t setOffset = writer.position() - start;
    ot::writeOffset(writer, start, setFields[k]);
    written.emplace_back(&set, setOffset);
    writer.writeUInt16(static_cast<uint16_t>(set.records.size()));
    for (const auto& record : set.records) {
      writer.writeUInt16(record.second);
      Devices d{record.pair, {}, {}};
      record.pair->value1.writeBinary(writer, vf1, d.fields1);
      record.pair->value2.writeBinary(writer, vf2, d.fields2);
      devices.push_back(d);
    }
  }
  for (const auto& d : devices) {
    d.pair->value1.writeDevices(writer, start, d.fields1);
    d.pair->value2.writeDevices(writer, start, d.fields2);
  }
  ot::writeOffset(writer, start, coverageField);
  std::vector<uint16_t> covered;
  for (size_t k : order) covered.push_back(firsts[k]);
  writeCoverageTable(writer, covered);
}

// A first glyph's pairs stay in one subtable; "subtable;" comes before the first glyph
// whose pair set would take the subtable's Coverage offset, as compilers lay it out, past
// 16-bit reach.
void LpPairFormat1Impl::writeFea(std::ostream& out) const {
  uint16_t vf2 = 0;
  for (const auto& p : pairs) vf2 |= p.value2.valueFormat();
  // A record: the second glyph, then the values in the largest form any pair takes.
  uint64_t size1 = 0, size2 = 0;
  for (const auto& p : pairs) {
    size1 = std::max(size1, compiledValueSize(p.value1));
    if (vf2) size2 = std::max(size2, compiledValueSize(p.value2));
  }
  const uint64_t recordSize = 2 + size1 + size2;
  std::map<uint32_t, uint64_t> setBytes;  // first glyph -> its pair set's share
  for (const auto& p : pairs) {
    auto [it, added] = setBytes.emplace(p.first, kPairSetFixedSize);
    it->second += recordSize;
  }
  GlyphSet inSubtable;
  uint64_t subtableBytes = kGlyphPairHeaderSize;
  for (const auto& p : pairs) {
    if (!inSubtable.count(p.first)) {
      const uint64_t bytes = setBytes[p.first];
      if (!inSubtable.empty() && subtableBytes + bytes > ot::limits::kMaxCompilerOffset16) {
        out << " subtable;\n";
        inSubtable.clear();
        subtableBytes = kGlyphPairHeaderSize;
      }
      inSubtable.insert(p.first);
      subtableBytes += bytes;
    }
    out << " pos ";
    writeFeaGlyph(out, p.first);
    out << ' ';
    if (vf2) {
      p.value1.writeFea(out);
      out << ' ';
      writeFeaGlyph(out, p.second);
      out << ' ';
      p.value2.writeFea(out);
    } else {
      writeFeaGlyph(out, p.second);
      out << ' ';
      p.value1.writeFea(out);
    }
    out << ";\n" << std::flush;
  }
}

void LpPairFormat1Impl::pruneByGlyphs(const GlyphSet& remove) {
  std::erase_if(pairs, [&](const GPosSpecificPair& p) { return remove.count(p.first) || remove.count(p.second); });
}

void LpPairFormat1Impl::collectGlyphs(GlyphSet& out) const {
  for (const auto& p : pairs) {
    out.insert(p.first);
    out.insert(p.second);
  }
}

void LpPairFormat1Impl::appendCoverage(GlyphList& out) const {
  for (const auto& p : pairs) out.push_back(p.first);
}

}  // namespace otl
