#include "native/writer_glyph.h"

#include <algorithm>
#include <cmath>
#include <list>
#include <map>
#include <span>
#include <vector>

#include "model/font_info.h"
#include "model/glyph.h"
#include "model/glyph_data.h"
#include "model/layer.h"
#include "model/numbers.h"
#include "native/info_records.h"
#include "native/stream/stream.h"
#include "native/tags.h"
#include "native/writer_records.h"

namespace qtf {

namespace {

constexpr uint32_t kFlagHasReplacements = 0x20000000;
constexpr uint32_t kFlagHasMask = 0x08000000;
constexpr int32_t kNodeRecordSize = 6;
constexpr int32_t kCurveRecordSize = 14;

// Written coordinates: rounded half away from zero, clamped.
int32_t coordinate(double value) {
  return std::clamp(vn::roundToInt32(value), -kMaxCoordinate, kMaxCoordinate);
}

struct IntPoint {
  int32_t x = 0;
  int32_t y = 0;
};

IntPoint roundedPoint(const vn::Node& node) { return IntPoint{coordinate(node.x), coordinate(node.y)}; }

class NodeWriter {
 public:
  explicit NodeWriter(Stream& data) : data_(data) {}

  void record(uint8_t type, std::initializer_list<IntPoint> points, int32_t size) {
    data_.writeByte(type);
    for (const IntPoint& p : points) {
      data_.writeInt(p.x - previous_.x);
      data_.writeInt(p.y - previous_.y);
      previous_ = p;
    }
    sizeFigure_ += size;
    ++count_;
  }
  // A cubic segment: end point, then the two control points; the second control
  // point becomes the previous point.
  void curve(uint8_t type, IntPoint c1, IntPoint c2, IntPoint end) { record(type, {end, c1, c2}, kCurveRecordSize); }
  int32_t sizeFigure() const { return sizeFigure_; }
  int32_t count() const { return count_; }

 private:
  Stream& data_;
  IntPoint previous_;
  int32_t sizeFigure_ = 0;
  int32_t count_ = 0;
};

uint8_t flagBit(const vn::Node& node) { return (node.flags & vn::Node::kFlagSmooth) ? nodekind::kNodeFlag : 0; }

void encodeContour(NodeWriter& writer, const vn::Contour& contour) {
  const std::vector<const vn::Node*> nodes = [&contour] {
    std::vector<const vn::Node*> list;
    for (const vn::Node& node : contour.nodes) list.push_back(&node);
    return list;
  }();
  const size_t n = nodes.size();
  for (size_t i = 0; i < n; ++i) {
    const vn::Node& node = *nodes[i];
    // Every contour opens with a move, whatever its first node is.
    if (i == 0 || node.type == vn::Node::kMove) {
      const uint8_t contourFlag = contour.flag ? nodekind::kContourFlag : 0;
      writer.record(static_cast<uint8_t>(nodekind::kMove | contourFlag | flagBit(node)), {roundedPoint(node)},
                    kNodeRecordSize);
      continue;
    }
    if (node.type == vn::Node::kCubic) {
      // A segment needs a second control point and then an on-curve end (the
      // contour's first node when the controls close the contour). Control points
      // that cannot form one are written as on-curve points, as they read back.
      const bool hasSecond = i + 1 < n && nodes[i + 1]->type == vn::Node::kCubic;
      const vn::Node* end = nullptr;
      if (hasSecond) end = i + 2 < n ? nodes[i + 2] : nodes[0];
      if (end && !end->isOffCurve()) {
        writer.curve(static_cast<uint8_t>(nodekind::kCurve | flagBit(node)), roundedPoint(node),
                     roundedPoint(*nodes[i + 1]), roundedPoint(*end));
        i += (i + 2 < n) ? 2 : 1;
        continue;
      }
      writer.record(static_cast<uint8_t>(nodekind::kLine | flagBit(node)), {roundedPoint(node)}, kNodeRecordSize);
      continue;
    }
    const uint8_t kind = node.type == vn::Node::kQuadratic ? nodekind::kQuadratic : nodekind::kLine;
    writer.record(static_cast<uint8_t>(kind | flagBit(node)), {roundedPoint(node)}, kNodeRecordSize);
  }
}

// Hints that are plain stems; links travel in record 2008.
bool isStemHint(const vn::Hint& hint) { return !hint.isLink(); }

// The hint's two point names as numbers; an empty second name is -1 (no second
// point), any other name that is not one number 0.
int16_t pointNumberOf(const std::string& name, bool second) {
  if (second && name.empty()) return -1;
  const auto value = vn::parseInt64(name);
  return value ? vn::clampToInt16(*value) : 0;
}

int32_t colourComponent(double value) {
  if (!(value > 0.0)) return 0;  // negative and NaN components count 0
  if (value > 1.0) return 255;
  return vn::roundToInt32(value * 255.0);
}

void writeBytesRecord(RecordWriter& out, uint16_t tag, const Stream& payload, bool& ok) {
  if (ok) ok = out.bytes(tag, payload.written());
}

}  // namespace

int32_t GlyphWriteContext::glyphIndexOf(const std::string& name) const {
  auto it = glyphIndexByName.find(name);
  return it == glyphIndexByName.end() ? -1 : it->second;
}

int32_t GlyphWriteContext::glyphIndexOf(vn::GlyphId id) const {
  return id < glyphIndexById.size() ? glyphIndexById[id] : -1;
}

std::span<const FileGlyphPair> GlyphWriteContext::kerningOf(vn::GlyphId first) const {
  if (first == 0) return {};
  const auto [begin, end] = std::equal_range(kerning.begin(), kerning.end(), FileGlyphPair{first, 0, 0},
                                             [](const FileGlyphPair& a, const FileGlyphPair& b) { return a.first < b.first; });
  return {begin, end};
}

bool isHorizontalGuide(const vn::Guide& guide) { return vn::guideLine(guide, kGuideSlopeScale).horizontal; }

bool encodeElementOutline(Stream& out, const vn::Element& element) {
  Stream data;
  data.ensure(300);
  data.setGrowable(true);
  NodeWriter writer(data);
  for (const vn::Contour& contour : element.contours) {
    if (!contour.nodes.empty()) encodeContour(writer, contour);
  }
  out.writeInt(1);
  out.writeInt(writer.sizeFigure());
  out.writeInt(writer.count());
  if (writer.sizeFigure() > 0) {
    const auto bytes = data.written();
    out.writeBlock(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
  return true;
}

bool encodeLayerOutline(Stream& out, const vn::Layer* layer) {
  if (!layer || layer->pointCount() == 0) {
    out.writeInt(1);
    out.writeInt(0);
    out.writeInt(0);
    return true;
  }
  vn::Element merged;
  for (const vn::Element& element : layer->elements) {
    if (element.contours.empty()) continue;
    std::list<vn::Contour> contours = element.contours;
    vn::Glyph::transformContours(contours, element.matrix.multiply(layer->matrix));
    merged.contours.splice(merged.contours.end(), contours);
  }
  return encodeElementOutline(out, merged);
}

bool encodeHints(Stream& out, const vn::Layer& layer) {
  // Point numbers count move and on-curve nodes only.
  std::map<int32_t, int32_t> pointNumbers;
  int32_t nodeIndex = 0;
  int32_t pointNumber = 0;
  for (const vn::Element& element : layer.elements) {
    for (const vn::Contour& contour : element.contours) {
      for (const vn::Node& node : contour.nodes) {
        if (node.type == vn::Node::kMove || node.type == vn::Node::kOnCurve) pointNumbers[nodeIndex] = pointNumber++;
        ++nodeIndex;
      }
    }
  }
  std::vector<const vn::Hint*> lists[2];
  std::map<int32_t, int32_t> positions[2];
  for (size_t i = 0; i < layer.hints.size(); ++i) {
    const vn::Hint& hint = layer.hints[i];
    if (!isStemHint(hint)) continue;
    const int list = hint.horizontal ? 0 : 1;
    // The reader takes no list longer than this.
    if (lists[list].size() >= static_cast<size_t>(kMaxListCount)) continue;
    positions[list][static_cast<int32_t>(i)] = static_cast<int32_t>(lists[list].size());
    lists[list].push_back(&hint);
  }
  for (const auto& list : lists) {
    out.writeInt(static_cast<int32_t>(list.size()));
    for (const vn::Hint* hint : list) {
      out.writeInt(vn::saturateInt32(hint->position));
      out.writeInt(vn::saturateInt32(hint->width));
    }
  }
  auto lookup = [](const std::map<int32_t, int32_t>& map, int32_t key) {
    auto it = map.find(key);
    return it == map.end() ? 0 : it->second;
  };
  std::vector<std::pair<uint8_t, int32_t>> entries;
  for (const vn::ReplacementRecord& record : layer.replacements) {
    if (entries.size() >= static_cast<size_t>(kMaxListCount)) break;
    switch (record.kind) {
      case 1: entries.emplace_back(kReplaceHorizontal, lookup(positions[0], record.index)); break;
      case 2: entries.emplace_back(kReplaceVertical, lookup(positions[1], record.index)); break;
      case 3: entries.emplace_back(kReplacePoint, lookup(pointNumbers, record.index)); break;
      default: break;  // not written, and not counted
    }
  }
  out.writeInt(static_cast<int32_t>(entries.size()));
  for (const auto& [kind, index] : entries) {
    out.writeByte(kind);
    out.writeInt(index);
  }
  return true;
}

bool encodeHintLinks(Stream& out, const vn::Layer& layer) {
  std::vector<std::pair<int16_t, int16_t>> lists[2];
  for (const vn::Hint& hint : layer.hints) {
    if (!hint.isLink()) continue;
    const int16_t first = pointNumberOf(hint.firstPoint, false);
    const int16_t second = pointNumberOf(hint.secondPoint, true);
    if (first == 0 && second == 0) continue;
    lists[hint.horizontal ? 0 : 1].emplace_back(first, second);
  }
  for (const auto& list : lists) {
    out.writeInt(static_cast<int32_t>(list.size()));
    for (const auto& [first, second] : list) {
      out.writeInt(first);
      out.writeInt(second);
    }
  }
  return true;
}

bool encodeGuidePositions(Stream& out, const std::vector<vn::Guide>& guides) {
  std::vector<std::pair<double, double>> lists[2];
  for (const vn::Guide& guide : guides) {
    const vn::GuideLine line = vn::guideLine(guide, kGuideSlopeScale);
    auto& list = lists[line.horizontal ? 0 : 1];
    if (list.size() >= static_cast<size_t>(kMaxListCount)) continue;
    list.emplace_back(line.position, line.slope);
  }
  for (const auto& list : lists) {
    out.writeInt(static_cast<int32_t>(list.size()));
    for (const auto& [position, slope] : list) {
      out.writeInt(vn::saturateInt32(position));
      out.writeInt(vn::saturateInt32(slope));
    }
  }
  return true;
}

bool encodeGuideProperties(Stream& out, const std::vector<vn::Guide>& guides) {
  std::vector<const vn::Guide*> lists[2];
  for (const vn::Guide& guide : guides) {
    auto& list = lists[isHorizontalGuide(guide) ? 0 : 1];
    if (list.size() < static_cast<size_t>(kMaxListCount)) list.push_back(&guide);
  }
  // Entries name their guide by its place in its own list. The reader places the
  // second list after as many guides as the first list had entries, so the second
  // list's numbers are moved by the guides of the first list that were left out.
  size_t firstEntries = 0;
  for (int part = 0; part < 2; ++part) {
    const size_t shift = part == 0 ? 0 : lists[0].size() - firstEntries;
    for (size_t i = 0; i < lists[part].size(); ++i) {
      const vn::Guide& guide = *lists[part][i];
      if (guide.name.empty() && guide.color[3] == 0.0) continue;
      const int32_t colour = colourComponent(guide.color[0]) + 256 * colourComponent(guide.color[1]) +
                             65536 * colourComponent(guide.color[2]);
      out.writeInt(static_cast<int32_t>(shift + i + 1));
      out.writeInt(colour);
      out.writeString(guide.name);
      if (part == 0) ++firstEntries;
    }
    out.writeInt(0);
  }
  return true;
}

bool encodePointLinks(Stream& out, const vn::Glyph& glyph, const vn::Layer* layer) {
  out.writeInt(glyph.pointDataValue);
  // The reader always expects the link count.
  if (!layer) {
    out.writeInt(0);
  } else {
    out.writeInt(static_cast<int32_t>(layer->links.size()));
    for (const vn::PointLink& link : layer->links) {
      out.writeString(link.name);
      out.writeInt(link.first.index);
      out.writeInt(link.first.secondIndex);
      out.writeInt(link.second.index);
      out.writeInt(link.second.secondIndex);
    }
  }
  out.writeInt(static_cast<int32_t>(glyph.pairRecords.size()));
  for (const vn::GlyphPairRecord& record : glyph.pairRecords) {
    out.writeInt(static_cast<int16_t>(record.first));
    out.writeInt(static_cast<int16_t>(record.second));
  }
  out.writeInt(static_cast<int32_t>(glyph.pointDataValues.size()));
  for (uint16_t value : glyph.pointDataValues) out.writeInt(value);
  return true;
}

bool encodeLinkValues(Stream& out, const vn::Layer& layer) {
  out.writeInt(static_cast<int32_t>(layer.links.size()));
  for (const vn::PointLink& link : layer.links) {
    out.writeInt(link.hue);
    out.writeInt(link.value);
  }
  return true;
}

bool encodeGlyphRecord(Stream& out, const vn::Glyph& glyph, vn::GlyphId glyphId, const vn::Layer* layer,
                       const GlyphWriteContext& context) {
  for (uint8_t byte : kGlyphSignature) out.writeByte(byte);
  out.writeByte(glyphkey::kName);
  out.writeString(std::string_view(glyph.name).substr(0, kMaxGlyphName));
  out.writeByte(glyphkey::kElement);
  if (!encodeLayerOutline(out, layer)) return false;
  out.writeByte(glyphkey::kAdvance);
  out.writeInt(vn::saturateInt32(glyph.advanceWidth));
  out.writeInt(vn::saturateInt32(glyph.advanceHeight));
  if (layer) {
    if (!layer->hints.empty()) {
      out.writeByte(glyphkey::kHints);
      if (!encodeHints(out, *layer)) return false;
    }
    if (!layer->guides.empty()) {
      out.writeByte(glyphkey::kGuides);
      if (!encodeGuidePositions(out, layer->guides)) return false;
    }
  }
  if (!glyph.components.empty()) {
    std::vector<std::pair<int32_t, const vn::Component*>> written;
    for (const vn::Component& component : glyph.components) {
      const int32_t index = context.glyphIndexOf(component.baseName);
      if (index >= 0) written.emplace_back(index, &component);
    }
    out.writeByte(glyphkey::kComponents);
    out.writeInt(static_cast<int32_t>(written.size()));
    for (const auto& [index, component] : written) {
      out.writeInt(index);
      out.writeInt(vn::saturateInt32(component->matrix.e));
      out.writeInt(vn::saturateInt32(component->matrix.f));
      out.writeDouble(component->matrix.a);
      out.writeDouble(component->matrix.d);
    }
  }
  // Pairs whose second glyph is not written are left out and not counted.
  const std::span<const FileGlyphPair> kerning = context.kerningOf(glyphId);
  const auto written = std::count_if(kerning.begin(), kerning.end(),
                                     [&context](const FileGlyphPair& pair) { return context.glyphIndexOf(pair.second) >= 0; });
  if (written > 0) {
    out.writeByte(glyphkey::kKerning);
    out.writeInt(static_cast<int32_t>(written));
    for (const FileGlyphPair& pair : kerning) {
      const int32_t index = context.glyphIndexOf(pair.second);
      if (index < 0) continue;
      out.writeInt(index);
      out.writeInt(pair.value);
    }
  }
  if (const vn::TrueTypeData* data = glyph.trueTypeDataIfAny()) {
    out.writeByte(glyphkey::kTrueType);
    if (!encodeTrueTypeGlyph(out, *data)) return false;
  }
  if (!glyph.commandBytes.empty()) {
    out.writeByte(glyphkey::kCommands);
    out.writeInt(static_cast<int32_t>(glyph.commandBytes.size()));
    out.writeBlock(glyph.commandBytes.data(), static_cast<int64_t>(glyph.commandBytes.size()));
  }
  out.writeByte(glyphkey::kClose);
  return true;
}

bool writeGlyphRecords(RecordWriter& out, const vn::Glyph& glyph, vn::GlyphId glyphId, const GlyphWriteContext& context) {
  vn::VarnelData* data = glyph.varnelDataIfAny();
  const vn::Layer* layer = data ? data->findLayer(vn::Layer::kBody) : nullptr;
  const vn::Layer* mask = data ? data->findLayer(vn::Layer::kMask) : nullptr;
  bool ok = true;

  Stream* payload = &out.payload();
  if (!encodeGlyphRecord(*payload, glyph, glyphId, layer, context)) return false;
  writeBytesRecord(out, tag::kGlyph, *payload, ok);
  if (ok) out.stream().flush();

  if (layer && !layer->hints.empty()) {
    payload = &out.payload();
    if (encodeHintLinks(*payload, *layer)) writeBytesRecord(out, tag::kHintLinks, *payload, ok);
  }
  payload = &out.payload();
  payload->writeInt(vn::saturateInt32(glyph.advanceHeight));
  writeBytesRecord(out, tag::kAdvanceHeight, *payload, ok);

  if (mask && !mask->elements.empty()) {
    payload = &out.payload();
    encodeMasterWeights(*payload, {1.0});
    // The first element, placed by its own and the layer's matrix.
    vn::Element first;
    first.contours = mask->elements.front().contours;
    vn::Glyph::transformContours(first.contours, mask->elements.front().matrix.multiply(mask->matrix));
    if (encodeElementOutline(*payload, first)) writeBytesRecord(out, tag::kMaskElement, *payload, ok);
  }
  uint32_t flags = 0;
  if (layer && !layer->replacements.empty()) flags |= kFlagHasReplacements;
  if (mask) flags |= kFlagHasMask;
  if (flags != 0 && ok) ok = out.u32(tag::kGlyphFlags, flags);
  if (layer && ok) {
    const uint16_t v1 = static_cast<uint16_t>(vn::saturateInt32(layer->value1));
    const uint16_t v2 = static_cast<uint16_t>(vn::saturateInt32(layer->value2));
    const uint8_t bytes[4] = {static_cast<uint8_t>(v1), static_cast<uint8_t>(v1 >> 8), static_cast<uint8_t>(v2),
                              static_cast<uint8_t>(v2 >> 8)};
    ok = out.bytes(tag::kLayerValues, bytes, sizeof bytes);
  }
  std::vector<uint8_t> small, large;
  for (uint32_t value : glyph.unicodes) {
    auto& target = value < 0x10000 ? small : large;
    const size_t width = value < 0x10000 ? 2 : 4;
    for (size_t i = 0; i < width; ++i) target.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  if (!small.empty() && ok) ok = out.bytes(tag::kUnicodes16, small);
  if (!large.empty() && ok) ok = out.bytes(tag::kUnicodes32, large);
  if (glyph.markColor != 0 && ok) ok = out.u16(tag::kMarkColor, static_cast<uint16_t>(glyph.markColor));
  if (!glyph.byteBlock.empty() && ok) ok = out.bytes(tag::kByteBlock, glyph.byteBlock);
  for (const auto& [key, tag] : {std::pair<const char*, uint16_t>{info::kNoteKey, tag::kGlyphNote}, {info::kDictKey, tag::kGlyphDict}}) {
    auto it = glyph.namedStrings.find(key);
    if (it != glyph.namedStrings.end() && ok) ok = out.text(tag, it->second);
  }
  payload = &out.payload();
  if (encodePointLinks(*payload, glyph, layer)) writeBytesRecord(out, tag::kPointLinks, *payload, ok);
  if (!layer) return ok;
  payload = &out.payload();
  if (encodeLinkValues(*payload, *layer)) writeBytesRecord(out, tag::kPointLinkValues, *payload, ok);
  if (!layer->guides.empty()) {
    payload = &out.payload();
    if (encodeGuideProperties(*payload, layer->guides)) writeBytesRecord(out, tag::kLayerGuideProperties, *payload, ok);
  }
  return ok;
}

}  // namespace qtf
