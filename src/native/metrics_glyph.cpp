// Glyph-level sub-streams: a glyph's TrueType outline, its per-master advances and
// the master-weight list of record 2009.
#include <string>

#include "model/glyph.h"
#include "model/glyph_data.h"
#include "model/numbers.h"
#include "native/info_records.h"
#include "native/stream/stream.h"

namespace qtf {

namespace {

constexpr uint8_t kTrueTypeEnd = 40;
constexpr uint8_t kTrueTypeHeader = 41;
constexpr uint8_t kTrueTypePoints = 42;
constexpr uint8_t kTrueTypeInstructions = 43;
constexpr uint8_t kTrueTypeByteMap = 44;
constexpr double kWeightScale = 100000000.0;

// Keys of the byte map kept in the data's text map: three digits, so that the key
// order is the numeric order.
std::string byteMapKey(int index) {
  std::string key = vn::formatInteger(index);
  return std::string(3 - std::min<size_t>(3, key.size()), '0') + key;
}

}  // namespace

bool decodeTrueTypeGlyph(Stream& in, vn::TrueTypeData& data) {
  while (!in.atEnd()) {
    const uint8_t tag = in.readByte();
    switch (tag) {
      case kTrueTypeHeader: {
        data.outlineKind = static_cast<int16_t>(in.readInt());
        data.value1 = static_cast<int16_t>(in.readInt());
        data.value2 = static_cast<int16_t>(in.readInt());
        in.readInt();  // not kept
        data.spareFlag = static_cast<uint8_t>(in.readInt());
        data.xMin = static_cast<int16_t>(in.readInt());
        data.yMin = static_cast<int16_t>(in.readInt());
        data.xMax = static_cast<int16_t>(in.readInt());
        data.yMax = static_cast<int16_t>(in.readInt());
        break;
      }
      case kTrueTypePoints: {
        int32_t count = in.readInt();
        if (count < 0 || static_cast<uint64_t>(count) > in.remaining()) return true;
        data.endPoints.assign(static_cast<size_t>(count), 0);
        for (uint16_t& end : data.endPoints) end = static_cast<uint16_t>(in.readInt());
        count = in.readInt();
        if (count < 0 || static_cast<uint64_t>(count) * 3 > in.remaining()) return true;
        data.points.assign(static_cast<size_t>(count), vn::TrueTypePoint{});
        uint16_t x = 0, y = 0;
        for (vn::TrueTypePoint& point : data.points) {
          x = static_cast<uint16_t>(x + static_cast<uint16_t>(in.readInt()));
          y = static_cast<uint16_t>(y + static_cast<uint16_t>(in.readInt()));
          point.x = static_cast<int16_t>(x);
          point.y = static_cast<int16_t>(y);
          point.flags = in.readByte();
        }
        break;
      }
      case kTrueTypeInstructions: {
        const int32_t count = in.readInt();
        if (count > 0 && static_cast<uint64_t>(count) <= in.remaining()) {
          data.spareBytes.resize(static_cast<size_t>(count));
          in.readBlock(data.spareBytes.data(), count);
        }
        break;
      }
      case kTrueTypeByteMap: {
        const int count = in.readInt() & 0xFF;
        for (int i = 0; i < count; ++i) data.spareMap[byteMapKey(i)] = vn::formatUnsigned(in.readByte());
        break;
      }
      default:
        return true;
    }
  }
  return true;
}

bool encodeTrueTypeGlyph(Stream& out, const vn::TrueTypeData& data) {
  out.writeByte(kTrueTypeHeader);
  for (int32_t value : {data.outlineKind, data.value1, data.value2, 0, int32_t{data.spareFlag}, int32_t{data.xMin},
                        int32_t{data.yMin}, int32_t{data.xMax}, int32_t{data.yMax}}) {
    out.writeInt(value);
  }
  out.writeByte(kTrueTypePoints);
  out.writeInt(static_cast<int32_t>(data.endPoints.size()));
  for (uint16_t end : data.endPoints) out.writeInt(end);
  out.writeInt(static_cast<int32_t>(data.points.size()));
  int16_t x = 0, y = 0;
  for (const vn::TrueTypePoint& point : data.points) {
    out.writeInt(static_cast<int16_t>(static_cast<uint16_t>(point.x) - static_cast<uint16_t>(x)));
    out.writeInt(static_cast<int16_t>(static_cast<uint16_t>(point.y) - static_cast<uint16_t>(y)));
    out.writeByte(point.flags);
    x = point.x;
    y = point.y;
  }
  out.writeByte(kTrueTypeInstructions);
  out.writeInt(static_cast<int32_t>(data.spareBytes.size()));
  out.writeBlock(data.spareBytes.data(), static_cast<int64_t>(data.spareBytes.size()));
  out.writeByte(kTrueTypeByteMap);
  const size_t count = std::min<size_t>(data.spareMap.size(), 255);
  out.writeInt(static_cast<int32_t>(count));
  size_t written = 0;
  for (const auto& [key, value] : data.spareMap) {
    if (written++ == count) break;
    out.writeByte(static_cast<uint8_t>(vn::leadingInt32(value)));
  }
  out.writeByte(kTrueTypeEnd);
  return true;
}

bool decodeMasterPair(Stream& in, vn::Glyph& glyph, int32_t pairCount, uint32_t selectedMaster) {
  for (int32_t i = 0; i < pairCount && !in.atEnd(); ++i) {
    const int32_t width = in.readInt();
    const int32_t height = in.readInt();
    if (static_cast<uint32_t>(i) == selectedMaster) {
      glyph.advanceWidth = width;
      glyph.advanceHeight = height;
    }
  }
  return true;
}

bool decodeMasterWeights(Stream& in, std::vector<double>& weights) {
  const int32_t count = in.readInt();
  if (count < 0 || static_cast<uint64_t>(count) > in.remaining()) return false;
  weights.assign(static_cast<size_t>(count), 0.0);
  for (double& weight : weights) weight = in.readInt() / kWeightScale;
  return !in.overrun();
}

bool encodeMasterWeights(Stream& out, const std::vector<double>& weights) {
  out.writeInt(static_cast<int32_t>(weights.size()));
  for (double weight : weights) out.writeInt(vn::saturateInt32(weight * kWeightScale));
  return true;
}

}  // namespace qtf
