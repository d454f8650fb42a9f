#include "layout/ot/device.h"

#include <algorithm>

#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/limits.h"

namespace ot {

namespace {
// Bits per delta of DeltaFormat 1, 2 and 3.
constexpr unsigned kDeltaBits[4] = {0, 2, 4, 8};
}  // namespace

void copyDevice(DevicePtr& target, const DevicePtr& source) { copyOptional(target, source); }

bool sameDevice(const DevicePtr& a, const DevicePtr& b) {
  if (!a || !b) return !a && !b;
  return a->entries == b->entries;
}

uint64_t Device::keptBytes(uint64_t count) {
  return limits::heapBytes(sizeof(Device)) + limits::heapBytes(count * sizeof(Entry));
}

bool Device::readBinary(BinaryReader& reader, size_t offset) {
  BinaryReader r = reader.window(offset);
  const uint16_t startSize = r.readUInt16();
  const uint16_t endSize = r.readUInt16();
  const uint16_t format = r.readUInt16();
  if (format < 1 || format > 3) return false;
  // A reversed size range means nothing: the table is dropped like an unknown format.
  if (endSize < startSize) return false;
  const unsigned bits = kDeltaBits[format];
  const unsigned perWord = 16 / bits;
  const uint32_t count = endSize - startSize + 1u;
  const uint32_t words = (count + perWord - 1) / perWord;
  r.requireRecords(words, 2);
  r.charge(count);
  // A device shared by many anchors or value records is kept once for each.
  r.keep(keptBytes(count));
  entries.reserve(entries.size() + count);
  uint32_t ppem = startSize;
  for (uint32_t w = 0; w < words; ++w) {
    const uint16_t word = r.readUInt16();
    for (unsigned k = 0; k < perWord && ppem <= endSize; ++k, ++ppem) {
      const unsigned shift = 16 - bits * (k + 1);
      int value = (word >> shift) & ((1u << bits) - 1);
      if (value & (1 << (bits - 1))) value -= 1 << bits;  // sign-extend from the delta's width
      entries.push_back(Entry{static_cast<uint16_t>(ppem), static_cast<int8_t>(value)});
    }
  }
  return true;
}

void Device::pack(BinaryWriter& writer) const {
  if (entries.empty()) {
    // Nothing to adjust: a one-size table with a zero delta.
    writer.writeUInt16(0);
    writer.writeUInt16(0);
    writer.writeUInt16(1);
    writer.writeUInt16(0);
    return;
  }
  std::vector<Entry> sorted = entries;
  std::stable_sort(sorted.begin(), sorted.end(), [](const Entry& a, const Entry& b) { return a.ppem < b.ppem; });
  int lo = 0, hi = 0;
  for (const auto& e : sorted) {
    lo = std::min<int>(lo, e.delta);
    hi = std::max<int>(hi, e.delta);
  }
  const uint16_t format = (lo >= -2 && hi <= 1) ? 1 : (lo >= -8 && hi <= 7) ? 2 : 3;
  const uint16_t startSize = sorted.front().ppem;
  const uint16_t endSize = sorted.back().ppem;
  std::vector<int8_t> deltas(endSize - startSize + 1u, 0);
  std::vector<bool> set(deltas.size(), false);
  for (const auto& e : sorted) {
    const size_t i = e.ppem - startSize;
    if (!set[i]) deltas[i] = e.delta;  // of two entries for one size the first wins
    set[i] = true;
  }
  writer.writeUInt16(startSize);
  writer.writeUInt16(endSize);
  writer.writeUInt16(format);
  const unsigned bits = kDeltaBits[format];
  const unsigned perWord = 16 / bits;
  const uint16_t mask = static_cast<uint16_t>((1u << bits) - 1);
  uint16_t word = 0;
  unsigned inWord = 0;
  for (int8_t delta : deltas) {
    if (inWord == perWord) {
      writer.writeUInt16(word);
      word = 0;
      inWord = 0;
    }
    word = static_cast<uint16_t>((word << bits) | (static_cast<uint16_t>(delta) & mask));
    ++inWord;
  }
  word = static_cast<uint16_t>(word << (bits * (perWord - inWord)));
  writer.writeUInt16(word);
}

}  // namespace ot
