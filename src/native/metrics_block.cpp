// The metrics block (271 ... 527): the 400-byte metrics record of each master and
// the design-space records; and block 272 of per-master kerning values.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "model/blue_arrays.h"
#include "model/font.h"
#include "model/numbers.h"
#include "model/style.h"
#include "native/info_records.h"
#include "native/record_framing.h"
#include "native/stream/stream.h"
#include "native/tags.h"
#include "native/writer_records.h"

namespace qtf {

namespace {

using namespace info;
using namespace tag;

// Offsets of the metrics record.
constexpr size_t kMatrixOffset = 0;
constexpr size_t kForceBoldOffset = 48;
constexpr size_t kBlueValuesOffset = 52;
constexpr size_t kOtherBluesOffset = 108;
constexpr size_t kFamilyBluesOffset = 148;
constexpr size_t kFamilyOtherBluesOffset = 204;
constexpr size_t kBlueScaleOffset = 244;
constexpr size_t kBlueShiftOffset = 252;
constexpr size_t kBlueFuzzOffset = 256;
constexpr size_t kHintValue1Offset = 260;
constexpr size_t kHintValue2Offset = 264;
constexpr size_t kStemSnapHOffset = 268;
constexpr size_t kStemSnapVOffset = 316;
constexpr size_t kBoundingBoxOffset = 364;
constexpr size_t kAverageWidthOffset = 372;
constexpr size_t kMaxWidthOffset = 376;
constexpr size_t kDefaultWidthOffset = 380;
constexpr size_t kAscenderOffset = 384;
constexpr size_t kDescenderOffset = 388;
constexpr size_t kXHeightOffset = 392;
constexpr size_t kCapHeightOffset = 396;

constexpr uint32_t kMappingPointsSize = 4 * 10 * 16;
constexpr uint32_t kDesignRecordSize = 32;
constexpr uint32_t kMasterPositionSize = 4 + 4 * 8;

using MetricsRecord = std::array<uint8_t, kMetricsRecordSize>;

void put32(MetricsRecord& r, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) r[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}
void put16(MetricsRecord& r, size_t offset, uint16_t value) {
  r[offset] = static_cast<uint8_t>(value);
  r[offset + 1] = static_cast<uint8_t>(value >> 8);
}
void putDouble(MetricsRecord& r, size_t offset, double value) {
  const auto bits = std::bit_cast<uint64_t>(value);
  put32(r, offset, static_cast<uint32_t>(bits));
  put32(r, offset + 4, static_cast<uint32_t>(bits >> 32));
}
void putInt(MetricsRecord& r, size_t offset, double value) {
  put32(r, offset, static_cast<uint32_t>(vn::saturateInt32(value)));
}
// The first `size` values of the array, 0 after its end.
void putArray(MetricsRecord& r, size_t offset, const std::vector<double>& values, int32_t size) {
  for (int32_t i = 0; i < size; ++i) {
    putInt(r, offset + 4 * static_cast<size_t>(i), static_cast<size_t>(i) < values.size() ? values[i] : 0.0);
  }
}
void putStemWidths(MetricsRecord& r, size_t offset, const std::vector<vn::Stem>& stems) {
  for (int32_t i = 0; i < kStemSnapSize; ++i) {
    putInt(r, offset + 4 * static_cast<size_t>(i), static_cast<size_t>(i) < stems.size() ? stems[i].width : 0.0);
  }
}

uint32_t get32(const uint8_t* r, size_t offset) {
  return uint32_t{r[offset]} | uint32_t{r[offset + 1]} << 8 | uint32_t{r[offset + 2]} << 16 |
         uint32_t{r[offset + 3]} << 24;
}
int32_t getInt(const uint8_t* r, size_t offset) { return static_cast<int32_t>(get32(r, offset)); }
double getDouble(const uint8_t* r, size_t offset) {
  return std::bit_cast<double>(uint64_t{get32(r, offset)} | uint64_t{get32(r, offset + 4)} << 32);
}

int32_t blueCount(const vn::FontHinting& hinting, const char* key) {
  auto it = hinting.blueCounts.find(key);
  return it == hinting.blueCounts.end() ? 0 : it->second;
}

// Pairs (a, b) of one blue array into zones. `firstIsBottom`: pair 0 is the bottom
// zone at the baseline and the later pairs are top zones (BlueValues, FamilyBlues).
void readBluePairs(const uint8_t* r, size_t offset, int32_t pairCapacity, int32_t count, bool firstIsBottom,
                   std::vector<vn::Zone>& zones) {
  // The count comes from another record: never more pairs than the field holds.
  count = std::clamp(count, 0, pairCapacity);
  std::vector<double> values;
  for (int32_t i = 0; i < 2 * count; ++i) values.push_back(getInt(r, offset + 4 * static_cast<size_t>(i)));
  vn::appendBlueZones(values, firstIsBottom, zones);
}

void decodeMetricsRecord(const uint8_t* r, vn::Font& font, vn::Style& style) {
  vn::FontMetrics& metrics = style.metrics;
  vn::FontHinting& hinting = font.hinting;
  vn::Matrix& m = metrics.matrix;
  double* fields[] = {&m.a, &m.b, &m.c, &m.d, &m.e, &m.f};
  for (size_t i = 0; i < 6; ++i) *fields[i] = getDouble(r, kMatrixOffset + 8 * i);
  hinting.forceBold = get32(r, kForceBoldOffset) != 0 ? 1 : 0;
  readBluePairs(r, kBlueValuesOffset, kBlueValuesSize / 2, blueCount(hinting, kBlueValuesCountKey), true,
                hinting.zones2);
  readBluePairs(r, kOtherBluesOffset, kOtherBluesSize / 2, blueCount(hinting, kOtherBluesCountKey), false,
                hinting.zones2);
  readBluePairs(r, kFamilyBluesOffset, kBlueValuesSize / 2, blueCount(hinting, kFamilyBluesCountKey), true,
                hinting.zones3);
  readBluePairs(r, kFamilyOtherBluesOffset, kOtherBluesSize / 2, blueCount(hinting, kFamilyOtherBluesCountKey),
                false, hinting.zones3);
  hinting.blueScale = getDouble(r, kBlueScaleOffset);
  hinting.blueShift = getInt(r, kBlueShiftOffset);
  hinting.blueFuzz = getInt(r, kBlueFuzzOffset);
  hinting.hintValue1 = getInt(r, kHintValue1Offset);
  hinting.hintValue2 = getInt(r, kHintValue2Offset);
  for (size_t i = 0; i < hinting.stemsH2.size() && i < kStemSnapSize; ++i) {
    hinting.stemsH2[i].width = getInt(r, kStemSnapHOffset + 4 * i);
  }
  for (size_t i = 0; i < hinting.stemsV2.size() && i < kStemSnapSize; ++i) {
    hinting.stemsV2[i].width = getInt(r, kStemSnapVOffset + 4 * i);
  }
  metrics.namedNumbers[kAverageWidthKey] = getInt(r, kAverageWidthOffset);
  metrics.namedNumbers[kMaxWidthKey] = getInt(r, kMaxWidthOffset);
  metrics.namedNumbers[kDefaultWidthKey] = getInt(r, kDefaultWidthOffset);
  metrics.ascender = getInt(r, kAscenderOffset);
  metrics.descender = getInt(r, kDescenderOffset);
  metrics.xHeight = getInt(r, kXHeightOffset);
  metrics.capHeight = getInt(r, kCapHeightOffset);
}

MetricsRecord encodeMetricsRecord(const vn::Font& font, const vn::Style& style) {
  MetricsRecord r{};
  const vn::FontMetrics& metrics = style.metrics;
  const vn::FontHinting& hinting = font.hinting;
  const vn::Matrix& m = metrics.matrix;
  const double fields[] = {m.a, m.b, m.c, m.d, m.e, m.f};
  for (size_t i = 0; i < 6; ++i) putDouble(r, kMatrixOffset + 8 * i, fields[i]);
  put32(r, kForceBoldOffset, hinting.forceBold ? 1 : 0);
  std::vector<double> values;
  vn::blueValues(hinting, values);
  putArray(r, kBlueValuesOffset, values, kBlueValuesSize);
  vn::otherBlues(hinting, values);
  putArray(r, kOtherBluesOffset, values, kOtherBluesSize);
  vn::familyBlues(hinting, values);
  putArray(r, kFamilyBluesOffset, values, kBlueValuesSize);
  vn::familyOtherBlues(hinting, values);
  putArray(r, kFamilyOtherBluesOffset, values, kOtherBluesSize);
  putDouble(r, kBlueScaleOffset, hinting.blueScale);
  put32(r, kBlueShiftOffset, static_cast<uint32_t>(hinting.blueShift));
  put32(r, kBlueFuzzOffset, static_cast<uint32_t>(hinting.blueFuzz));
  putInt(r, kHintValue1Offset, hinting.hintValue1);
  putInt(r, kHintValue2Offset, hinting.hintValue2);
  putStemWidths(r, kStemSnapHOffset, hinting.stemsH2);
  putStemWidths(r, kStemSnapVOffset, hinting.stemsV2);
  const vn::Rect box = font.boundingBox(nullptr);
  const double corners[] = {box.xMin, box.yMin, box.xMax, box.yMax};
  for (size_t i = 0; i < 4; ++i) {
    put16(r, kBoundingBoxOffset + 2 * i, static_cast<uint16_t>(box.empty ? 0 : vn::saturateInt32(corners[i])));
  }
  const std::pair<size_t, const char*> named[] = {
      {kAverageWidthOffset, kAverageWidthKey}, {kMaxWidthOffset, kMaxWidthKey}, {kDefaultWidthOffset, kDefaultWidthKey}};
  for (const auto& [offset, key] : named) {
    double value = 0;
    metrics.findNumber(key, &value);
    putInt(r, offset, value);
  }
  putInt(r, kAscenderOffset, metrics.ascender);
  putInt(r, kDescenderOffset, metrics.descender);
  putInt(r, kXHeightOffset, metrics.xHeight);
  putInt(r, kCapHeightOffset, metrics.capHeight);
  return r;
}

}  // namespace

bool writeMetricsBlock(RecordWriter& out, const vn::Font& font, const vn::Style& style) {
  const MetricsRecord record = encodeMetricsRecord(font, style);
  return out.empty(tag::kMetricsBegin) && out.bytes(kMetricsRecord, record) && out.empty(tag::kMetricsEnd);
}

namespace {

// Reads one design-space record of the metrics block; false fails the block.
bool readDesignRecord(RecordInput& in, Stream& payload, InfoReadState& state, uint16_t tag, uint32_t length) {
  std::vector<vn::Axis>& axes = state.axes.axes;
  switch (tag) {
    case kAxisCount: {
      if (length != 2) return false;
      const uint16_t count = in.readU16();
      for (uint16_t i = 0; i < count && in.good(); ++i) {
        uint16_t inner = 0;
        uint32_t innerLength = 0;
        if (!in.readRecordHeader(inner, innerLength) || inner != kAxisName) return false;
        std::string name;
        if (!in.readRecordString(innerLength, name)) return false;
        axes.emplace_back(name);
      }
      return in.good();
    }
    case kMappingCounts: {
      std::vector<uint8_t> bytes;
      if (length % 4 != 0 || !in.readBytes(length, bytes)) return false;
      for (size_t i = 0; i + 4 <= bytes.size(); i += 4) state.mappingPointCounts.push_back(get32(bytes.data(), i));
      return true;
    }
    case kMappingPoints: {
      if (length != kMappingPointsSize) return in.skipPayload(length);
      for (size_t k = 0; k < 4; ++k) {
        for (uint32_t j = 0; j < 10; ++j) {
          const double design = in.readDouble();
          const double master = in.readDouble();
          if (k < axes.size() && k < state.mappingPointCounts.size() && j < state.mappingPointCounts[k]) {
            axes[k].map.emplace_back(design, master);
          }
        }
      }
      return in.good();
    }
    case kMappingStream: {
      if (!in.loadPayload(payload, length)) return false;
      for (vn::Axis& axis : axes) {
        // A short record ends here: it must not cost a pass over every axis.
        if (payload.atEnd()) break;
        axis.map.clear();
        const int32_t count = payload.readInt();
        if (count < 0 || static_cast<uint64_t>(count) * 2 > payload.remaining()) return false;
        for (int32_t i = 0; i < count; ++i) {
          const double design = payload.readInt();
          axis.map.emplace_back(design, payload.readInt());
        }
      }
      return true;
    }
    case kMasterName: {
      std::string name;
      if (!in.readRecordString(length, name)) return false;
      if (state.currentMaster >= state.axes.masters.size()) return false;
      state.axes.masters[state.currentMaster].name = std::move(name);
      return true;
    }
    case kMasterPosition: {
      if (length != kMasterPositionSize) return false;
      if (state.currentMaster >= state.axes.masters.size()) return false;
      vn::MasterRecord& master = state.axes.masters[state.currentMaster];
      master.value = static_cast<int32_t>(in.readU32());
      master.coordinates.assign(4, 0.0);
      for (double& coordinate : master.coordinates) coordinate = in.readDouble();
      ++state.currentMaster;
      return in.good();
    }
    case kDesignRecords: {
      for (uint32_t i = 0; i < length / kDesignRecordSize && in.good(); ++i) {
        DesignRecord record;
        for (double& value : record.values) value = in.readDouble();
        state.designRecords.push_back(std::move(record));
      }
      return in.skipPayload(length % kDesignRecordSize);
    }
    case kDesignRecordStream: {
      if (!in.loadPayload(payload, length)) return false;
      const int32_t count = payload.readInt();
      if (count < 0 || static_cast<uint64_t>(count) > payload.remaining()) return false;
      for (int32_t i = 0; i < count; ++i) {
        DesignRecord record;
        record.name = payload.readString();
        for (double& value : record.values) {
          if (payload.atEnd()) break;
          value = payload.readInt() / 10000.0;
        }
        state.designRecords.push_back(std::move(record));
      }
      return !payload.overrun();
    }
    default: return in.skipPayload(length);
  }
}

}  // namespace

bool readMetricsBlock(RecordInput& in, Stream& payload, InfoReadState& state, vn::Font& font, vn::Style& style,
                      uint32_t selectedMaster) {
  state.currentMaster = 0;
  uint32_t metricsIndex = 0;
  uint16_t tag = 0;
  do {
    uint32_t length = 0;
    if (!in.readRecordHeader(tag, length)) return false;
    if (tag == tag::kMetricsEnd) break;
    if (tag == kMetricsRecord) {
      if (length != kMetricsRecordSize) {
        if (!in.skipPayload(length)) return false;
        continue;
      }
      if (metricsIndex++ != selectedMaster) {
        if (!in.skipPayload(length)) return false;
        continue;
      }
      MetricsRecord record{};
      if (!in.readRawBytes(record.data(), record.size())) return false;
      decodeMetricsRecord(record.data(), font, style);
      continue;
    }
    if (!readDesignRecord(in, payload, state, tag, length)) return false;
  } while (in.good());
  return in.good() && tag == tag::kMetricsEnd;
}

bool readKerningBlock272(RecordInput& in, const InfoReadState& state, uint32_t selectedMaster,
                         std::vector<IndexedKerning>& out) {
  const uint32_t masters = static_cast<uint32_t>(std::max(state.masterCount, 1));
  uint16_t tag = 0;
  while (in.good()) {
    uint32_t length = 0;
    if (!in.readRecordHeader(tag, length)) return false;
    if (tag == tag::kKerningBlockEnd) return true;
    if (tag != kMasterKerning || length < 8 + 2 * masters || selectedMaster >= masters) {
      if (!in.skipPayload(length)) return false;
      continue;
    }
    IndexedKerning entry;
    entry.first = in.readU32();
    entry.second = in.readU32();
    for (uint32_t m = 0; m < masters; ++m) {
      const int16_t value = in.readI16();
      if (m == selectedMaster) entry.value = value;
    }
    if (!in.skipPayload(length - 8 - 2 * masters)) return false;
    out.push_back(entry);
  }
  return false;
}

}  // namespace qtf
