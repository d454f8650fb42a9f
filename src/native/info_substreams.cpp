#include "native/info_substreams.h"

#include <algorithm>
#include <string>

#include "model/numbers.h"
#include "native/stream/stream.h"

namespace qtf {

namespace {

using StemList = std::vector<vn::Stem>;

bool finished(const Stream& in) { return !in.overrun(); }

int32_t stepOf(const vn::Stem& stem, uint16_t key) {
  auto it = stem.steps.find(key);
  return it == stem.steps.end() ? 0 : it->second;
}

// A count read from the payload, refused when even the smallest items would not fit
// in what is left (each item takes at least `itemBytes` bytes).
bool readCount(Stream& in, uint64_t itemBytes, int32_t& count) {
  count = in.readInt();
  if (count < 0) count = 0;
  return static_cast<uint64_t>(count) * itemBytes <= in.remaining();
}

// Writes, for each stem of both lists, the steps with the given keys; each list is
// counted unless `counted` is false.
void writeStemSteps(Stream& out, const vn::FontHinting& hinting, std::initializer_list<uint16_t> keys,
                    bool counted) {
  for (const StemList* list : {&hinting.stemsH, &hinting.stemsV}) {
    if (counted) out.writeInt(static_cast<int32_t>(list->size()));
    for (const vn::Stem& stem : *list) {
      for (uint16_t key : keys) out.writeInt(stepOf(stem, key));
    }
  }
}

bool readStemSteps(Stream& in, vn::FontHinting& hinting, std::initializer_list<uint16_t> keys,
                   bool counted) {
  for (StemList* list : {&hinting.stemsH, &hinting.stemsV}) {
    if (counted) {
      int32_t count = 0;
      if (!readCount(in, keys.size(), count)) return false;
      list->resize(static_cast<size_t>(count));
    }
    for (vn::Stem& stem : *list) {
      for (uint16_t key : keys) stem.steps[key] = static_cast<uint16_t>(in.readInt());
      // 1524 has no count of its own: a short record must not cost a pass over
      // every stem.
      if (in.overrun()) return false;
    }
  }
  return finished(in);
}

}  // namespace

bool encodeStemPairSteps(Stream& out, const vn::FontHinting& hinting) {
  writeStemSteps(out, hinting, {2, 3}, true);
  return true;
}

bool decodeStemPairSteps(Stream& in, vn::FontHinting& hinting) {
  return readStemSteps(in, hinting, {2, 3}, true);
}

bool encodeStemSteps(Stream& out, const vn::FontHinting& hinting) {
  writeStemSteps(out, hinting, {2, 3, 4, 5}, true);
  return true;
}

bool decodeStemSteps(Stream& in, vn::FontHinting& hinting) {
  return readStemSteps(in, hinting, {2, 3, 4, 5}, true);
}

bool encodeStemFirstStep(Stream& out, const vn::FontHinting& hinting) {
  writeStemSteps(out, hinting, {1}, false);
  return true;
}

bool decodeStemFirstStep(Stream& in, vn::FontHinting& hinting) {
  return readStemSteps(in, hinting, {1}, false);
}

bool encodeStemNames(Stream& out, const vn::FontHinting& hinting) {
  for (const StemList* list : {&hinting.stemsH, &hinting.stemsV}) {
    out.writeInt(static_cast<int32_t>(list->size()));
    for (const vn::Stem& stem : *list) {
      out.writeInt(vn::saturateInt32(stem.width));
      // Longer names would make the whole block unreadable: cut them.
      const size_t length = std::min(stem.name.size(), kMaxStemName);
      out.writeByte(static_cast<uint8_t>(length));
      out.writeBlock(stem.name.data(), static_cast<int64_t>(length));
      out.writeInt(stepOf(stem, 6));
    }
  }
  return true;
}

bool decodeStemNames(Stream& in, vn::FontHinting& hinting) {
  for (StemList* list : {&hinting.stemsH, &hinting.stemsV}) {
    int32_t count = 0;
    if (!readCount(in, 3, count)) return false;
    list->resize(static_cast<size_t>(count));
    for (vn::Stem& stem : *list) {
      stem.width = in.readInt();
      const uint8_t length = in.readByte();
      if (length > kMaxStemName) return false;
      std::string name(length, '\0');
      in.readBlock(name.data(), length);
      stem.name = std::move(name);
      stem.steps[6] = static_cast<uint16_t>(in.readInt());
    }
  }
  return finished(in);
}

bool encodeZones(Stream& out, const vn::FontHinting& hinting) {
  for (bool top : {true, false}) {
    const auto count = std::count_if(hinting.zones.begin(), hinting.zones.end(),
                                     [top](const vn::Zone& zone) { return isTopZone(zone) == top; });
    out.writeInt(static_cast<int32_t>(count));
    for (const vn::Zone& zone : hinting.zones) {
      if (isTopZone(zone) != top) continue;
      out.writeInt(vn::saturateInt32(zone.position));
      out.writeInt(vn::saturateInt32(zone.width));
      out.writeString(zone.name);
    }
  }
  return true;
}

bool decodeTrueTypeZones(Stream& in, vn::FontHinting& hinting) {
  for (uint8_t kind : {uint8_t{1}, uint8_t{0}}) {
    int32_t count = 0;
    if (!readCount(in, 3, count)) return false;
    for (int32_t i = 0; i < count; ++i) {
      vn::Zone zone;
      zone.position = in.readInt();
      zone.width = in.readInt();
      zone.name = in.readString();
      zone.kind = kind;
      hinting.zones.push_back(std::move(zone));
    }
  }
  return finished(in);
}

namespace {

// The zones in the numbering of record 1273: every bottom zone, then every top zone.
template <class Zones, class ZonePointer>
void zonesInStepOrder(Zones& zones, std::vector<ZonePointer>& ordered) {
  ordered.clear();
  for (bool top : {false, true}) {
    for (auto& zone : zones) {
      if (isTopZone(zone) == top) ordered.push_back(&zone);
    }
  }
}

}  // namespace

const std::vector<vn::Zone*>& ZoneStepOrder::of(vn::FontHinting& hinting) {
  if (!built_ || data_ != hinting.zones.data() || size_ != hinting.zones.size()) {
    zonesInStepOrder(hinting.zones, zones_);
    data_ = hinting.zones.data();
    size_ = hinting.zones.size();
    built_ = true;
  }
  return zones_;
}

bool encodeZoneSteps(Stream& out, const vn::FontHinting& hinting) {
  std::vector<const vn::Zone*> ordered;
  zonesInStepOrder(hinting.zones, ordered);
  int32_t count = 0;
  for (const vn::Zone* zone : ordered) count += static_cast<int32_t>(zone->steps.size());
  out.writeInt(count);
  for (size_t i = 0; i < ordered.size(); ++i) {
    for (const auto& [key, value] : ordered[i]->steps) {
      out.writeInt(static_cast<int32_t>(i));
      out.writeInt(key);
      out.writeInt(value);
    }
  }
  return true;
}

bool decodeZoneSteps(Stream& in, vn::FontHinting& hinting, ZoneStepOrder& order) {
  int32_t count = 0;
  if (!readCount(in, 3, count)) return false;
  if (count == 0) return finished(in);
  // Indexes name the zones as the writer numbers them.
  const std::vector<vn::Zone*>& ordered = order.of(hinting);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t index = in.readInt();
    const int32_t key = in.readInt();
    const int32_t value = in.readInt();
    if (index < 0 || static_cast<size_t>(index) >= ordered.size()) continue;
    ordered[static_cast<size_t>(index)]->steps[static_cast<uint16_t>(key)] = static_cast<uint16_t>(value);
  }
  return finished(in);
}

bool encodeTripletList(Stream& out, const vn::FontHinting& hinting) {
  out.writeInt(static_cast<int32_t>(hinting.tripletList.size()));
  for (const vn::TripletRecord& triplet : hinting.tripletList) {
    out.writeInt(triplet.first);
    out.writeInt(triplet.second);
    out.writeInt(triplet.third);
  }
  return true;
}

bool decodeTripletList(Stream& in, vn::FontHinting& hinting) {
  int32_t count = 0;
  if (!readCount(in, 3, count)) return false;
  hinting.tripletList.resize(static_cast<size_t>(count));
  for (vn::TripletRecord& triplet : hinting.tripletList) {
    triplet.first = static_cast<uint16_t>(in.readInt());
    triplet.second = static_cast<int16_t>(in.readInt());
    triplet.third = static_cast<int16_t>(in.readInt());
  }
  return finished(in);
}

bool encodeStyleRecord(Stream& out, const vn::ExtraRecord& record) {
  out.writeInt(static_cast<int32_t>(record.value));
  for (uint16_t value : record.shorts) out.writeInt(value);
  out.writeBlock(record.block16.data(), record.block16.size());
  out.writeBlock(record.block8.data(), record.block8.size());
  out.writeBlock(record.block6.data(), record.block6.size());
  for (uint8_t value : record.bytes) out.writeByte(value);
  return true;
}

bool decodeStyleRecord(Stream& in, vn::ExtraRecord& record) {
  record.value = static_cast<uint32_t>(in.readInt());
  for (uint16_t& value : record.shorts) value = static_cast<uint16_t>(in.readInt());
  in.readBlock(record.block16.data(), record.block16.size());
  in.readBlock(record.block8.data(), record.block8.size());
  in.readBlock(record.block6.data(), record.block6.size());
  for (uint8_t& value : record.bytes) value = in.readByte();
  record.absent = in.overrun() ? 1 : 0;
  return true;
}

bool encodeNameRecords(Stream& out, const std::list<vn::NameRecord>& records) {
  out.writeInt(static_cast<int32_t>(records.size()));
  for (const vn::NameRecord& record : records) {
    out.writeInt(record.first);
    out.writeInt(record.second);
    out.writeInt(record.third);
    out.writeInt(record.fourth);
    out.writeInt(record.fifth);
    out.writeString(std::string_view(record.text).substr(0, kMaxNameRecordText));
  }
  return true;
}

bool decodeNameRecords(Stream& in, std::list<vn::NameRecord>& records) {
  int32_t count = 0;
  if (!readCount(in, 6, count)) return false;
  for (int32_t i = 0; i < count; ++i) {
    vn::NameRecord record;
    record.first = static_cast<uint16_t>(in.readInt());
    record.second = static_cast<uint16_t>(in.readInt());
    record.third = static_cast<uint16_t>(in.readInt());
    record.fourth = static_cast<uint16_t>(in.readInt());
    record.fifth = in.readInt();
    record.text = in.readString();
    if (record.text.size() > kMaxNameRecordText) record.text.resize(kMaxNameRecordText);
    records.push_back(std::move(record));
  }
  return finished(in);
}

bool decodeDiscardedTable(Stream& in) {
  int32_t count = 0;
  if (!readCount(in, 5, count)) return false;
  for (int32_t i = 0; i < count && !in.overrun(); ++i) {
    for (int k = 0; k < 4; ++k) in.readInt();
    int32_t length = 0;
    if (!readCount(in, 1, length)) return false;
    for (int32_t k = 0; k < length; ++k) in.readInt();
  }
  return finished(in);
}

}  // namespace qtf
