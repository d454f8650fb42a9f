#include "native/glyph_records.h"

#include <string>

#include "model/glyph.h"
#include "model/glyph_data.h"
#include "model/layer.h"
#include "model/numbers.h"
#include "native/stream/stream.h"
#include "native/tags.h"

namespace qtf {

namespace {

// True when `count` items of at least `itemBytes` bytes each can still be in the
// payload. Done in 64 bits before any loop or allocation driven by the count.
bool fits(const Stream& in, int64_t count, uint64_t itemBytes) {
  if (count <= 0) return true;
  const auto n = static_cast<uint64_t>(count);
  if (itemBytes == 0) return true;
  return n <= in.remaining() / itemBytes;
}

// Reads one N per master and keeps the selected master's.
int32_t readPerMaster(Stream& in, const MasterSelection& masters, int32_t fallback) {
  int32_t kept = fallback;
  for (int32_t j = 0; j < masters.masters; ++j) {
    const int32_t v = in.readInt();
    if (masters.keeps(j)) kept = v;
  }
  return kept;
}

struct Delta {
  int32_t dx = 0;
  int32_t dy = 0;
};

Delta readPoint(Stream& in, const MasterSelection& masters) {
  Delta kept;
  for (int32_t j = 0; j < masters.masters; ++j) {
    Delta d;
    d.dx = in.readInt();
    d.dy = in.readInt();
    if (masters.keeps(j)) kept = d;
  }
  return kept;
}

vn::Node makeNode(int32_t type, int64_t x, int64_t y, bool flagged) {
  vn::Node node;
  node.type = type;
  node.x = static_cast<double>(x);
  node.y = static_cast<double>(y);
  node.flags = flagged ? vn::Node::kFlagSmooth : 0;
  return node;
}

}  // namespace

std::vector<vn::Point> hintLinkPoints(const vn::Layer& layer) {
  std::vector<vn::Point> points;
  for (const auto& element : layer.elements) {
    for (const auto& contour : element.contours) {
      for (const auto& node : contour.nodes) {
        if (node.type == vn::Node::kMove || node.type == vn::Node::kOnCurve)
          points.push_back(element.matrix.map(node.point()));
      }
    }
  }
  return points;
}

namespace {

std::string decimal(int64_t value) { return vn::formatInteger(value); }

bool inside(int64_t index, size_t size) { return index >= 0 && static_cast<uint64_t>(index) < size; }

// Components (glyph key 5): index, then (dx, dy, x scale, y scale) per master.
bool decodeComponents(Stream& in, vn::Glyph& glyph, const MasterSelection& masters) {
  const int32_t count = in.readInt();
  if (!fits(in, count, 1 + 18 * static_cast<uint64_t>(masters.masters))) return false;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t index = in.readInt();
    vn::Component component;
    component.baseName = vn::formatUnsigned(static_cast<uint32_t>(index));
    for (int32_t j = 0; j < masters.masters; ++j) {
      const double dx = in.readInt();
      const double dy = in.readInt();
      const double xs = in.readDouble();
      const double ys = in.readDouble();
      if (masters.keeps(j)) component.matrix = vn::Matrix{xs, 0.0, 0.0, ys, dx, dy};
    }
    if (in.overrun()) return false;
    glyph.components.push_back(std::move(component));
  }
  return true;
}

// Kerning (glyph key 6): second glyph index, then a value per master.
bool decodeKerning(Stream& in, const vn::Glyph& glyph, const MasterSelection& masters,
                   std::vector<IndexedKerning>& pending) {
  const int32_t count = in.readInt();
  if (!fits(in, count, 1 + static_cast<uint64_t>(masters.masters))) return false;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t second = in.readInt();
    const int32_t value = readPerMaster(in, masters, 0);
    if (in.overrun()) return false;
    if (value != 0)
      pending.push_back({static_cast<uint32_t>(glyph.index), static_cast<uint32_t>(second), double(value)});
  }
  return true;
}

// A list of (N, N) x M items (hints, guides). A count outside 0..5000 ends the
// decode with success (`stop`); `take` receives the selected master's pair of each item.
template <class Take>
bool readPairList(Stream& in, const MasterSelection& masters, bool& stop, Take take) {
  const int32_t count = in.readInt();
  if (count < 0 || count > kMaxListCount) {
    stop = true;
    return !in.overrun();
  }
  if (!fits(in, count, 2 * static_cast<uint64_t>(masters.masters))) return false;
  for (int32_t i = 0; i < count; ++i) {
    const Delta kept = readPoint(in, masters);
    if (in.overrun()) return false;
    take(kept.dx, kept.dy);
  }
  return true;
}

bool readHintList(Stream& in, vn::Layer& layer, const MasterSelection& masters, uint8_t horizontal,
                  bool& stop) {
  return readPairList(in, masters, stop, [&](int32_t position, int32_t width) {
    vn::Hint hint;
    hint.horizontal = horizontal;
    hint.position = position;
    hint.width = width;
    layer.hints.push_back(std::move(hint));
  });
}

bool readGuideList(Stream& in, std::vector<vn::Guide>& guides, const MasterSelection& masters,
                   bool horizontal, bool& stop) {
  return readPairList(in, masters, stop, [&](int32_t position, int32_t slope) {
    const double p = position;
    const double s = slope;
    vn::Guide guide;
    if (horizontal) {
      guide.x1 = 0.0;
      guide.y1 = p;
      guide.x2 = 100.0;
      guide.y2 = p + s / 100.0;
    } else {
      guide.x1 = p;
      guide.y1 = 0.0;
      guide.x2 = p + s / 100.0;
      guide.y2 = 100.0;
    }
    guides.push_back(std::move(guide));
  });
}

void applyGuideColour(vn::Guide& guide, int32_t colour, std::string name) {
  const auto bits = static_cast<uint32_t>(colour);
  guide.name = std::move(name);
  guide.color = {(bits & 255) / 255.0, ((bits >> 8) & 255) / 255.0, ((bits >> 16) & 255) / 255.0, 1.0};
}

}  // namespace

bool decodeOutlineElement(Stream& in, uint32_t selected, vn::Element& out, int32_t& statedMasters) {
  const int32_t masterCount = in.readInt();
  statedMasters = masterCount;
  if (masterCount > kMaxMasters) return false;
  in.readInt();  // size hint of the writer
  const int32_t nodeRecords = in.readInt();
  if (in.overrun()) return false;
  if (nodeRecords < 1) return true;
  // A stated count below 1 carries no repetitions; the caller rejects the mismatch.
  const MasterSelection masters{masterCount < 0 ? 0 : masterCount, selected};
  if (!fits(in, nodeRecords, 1 + 2 * static_cast<uint64_t>(masters.masters))) return false;

  int64_t x = 0;
  int64_t y = 0;
  vn::Contour* contour = nullptr;
  auto advance = [&](const Delta& d) {
    x += d.dx;
    y += d.dy;
  };
  for (int32_t i = 0; i < nodeRecords; ++i) {
    const uint8_t type = in.readByte();
    const uint8_t kind = type & nodekind::kKindMask;
    const bool flagged = (type & nodekind::kNodeFlag) != 0;
    if (kind == nodekind::kMove) {
      advance(readPoint(in, masters));
      vn::Contour fresh;
      fresh.flag = (type & nodekind::kContourFlag) ? 1 : 0;
      out.contours.push_back(std::move(fresh));
      contour = &out.contours.back();
      contour->nodes.push_back(makeNode(vn::Node::kMove, x, y, flagged));
    } else if (kind == nodekind::kLine || kind == nodekind::kQuadratic) {
      if (!contour) return false;
      advance(readPoint(in, masters));
      contour->nodes.push_back(
          makeNode(kind == nodekind::kLine ? vn::Node::kOnCurve : vn::Node::kQuadratic, x, y, flagged));
    } else if (kind == nodekind::kCurve) {
      if (!contour) return false;
      // End point first, then the two control points.
      advance(readPoint(in, masters));
      const int64_t endX = x, endY = y;
      advance(readPoint(in, masters));
      contour->nodes.push_back(makeNode(vn::Node::kCubic, x, y, flagged));
      advance(readPoint(in, masters));
      contour->nodes.push_back(makeNode(vn::Node::kCubic, x, y, flagged));
      contour->nodes.push_back(makeNode(vn::Node::kOnCurve, endX, endY, flagged));
    } else {
      return false;
    }
    if (in.overrun()) return false;
  }
  // Nodes were appended one by one; a font holds millions of them, so no spare room is kept.
  for (vn::Contour& finished : out.contours) finished.nodes.shrink_to_fit();
  return true;
}

bool decodeAdvances(Stream& in, vn::Glyph& glyph, const MasterSelection& masters) {
  for (int32_t j = 0; j < masters.masters; ++j) {
    const int32_t width = in.readInt();
    const int32_t height = in.readInt();
    if (masters.keeps(j)) {
      glyph.advanceWidth = width;
      glyph.advanceHeight = height;
    }
  }
  return !in.overrun();
}

bool decodeHints(Stream& in, vn::Layer& layer, const MasterSelection& masters) {
  bool stop = false;
  if (!readHintList(in, layer, masters, 1, stop)) return false;
  if (stop) return true;
  if (!readHintList(in, layer, masters, 0, stop)) return false;
  if (stop) return true;
  const int32_t replacements = in.readInt();
  if (in.overrun()) return false;
  if (replacements < 1 || replacements > kMaxListCount) return true;
  if (!fits(in, replacements, 2)) return false;
  for (int32_t i = 0; i < replacements; ++i) {
    const uint8_t kind = in.readByte();
    int32_t index = in.readInt();
    if (in.overrun()) return false;
    if (index < 0) index = ~index;
    layer.replacements.push_back(vn::ReplacementRecord{kind, index, -1, std::string()});
  }
  return true;
}

bool decodeHintLinks(Stream& in, vn::Layer& layer, const std::vector<vn::Point>& points) {
  for (int pass = 0; pass < 2; ++pass) {
    const bool horizontal = pass == 0;
    const int32_t count = in.readInt();
    if (!fits(in, count, 2)) return false;
    for (int32_t i = 0; i < count; ++i) {
      const int64_t a = in.readInt();
      const int64_t b = in.readInt();
      if (in.overrun()) return false;
      if (!inside(a, points.size())) continue;
      const vn::Point& pa = points[static_cast<size_t>(a)];
      vn::Hint hint;
      hint.horizontal = horizontal ? 1 : 0;
      hint.firstPoint = decimal(a);
      if (horizontal) {
        if (b >= 0 && !inside(b, points.size())) continue;
        hint.position = pa.y;
        if (b < 0) {
          hint.width = vn::Hint::kGhostTop;
        } else {
          hint.secondPoint = decimal(b);
          hint.width = points[static_cast<size_t>(b)].y - pa.y;
        }
      } else {
        if (!inside(b, points.size())) continue;
        hint.secondPoint = decimal(b);
        hint.position = pa.x;
        hint.width = points[static_cast<size_t>(b)].x - pa.x;
      }
      layer.hints.push_back(std::move(hint));
    }
  }
  return !in.overrun();
}

bool decodeGuidePositions(Stream& in, std::vector<vn::Guide>& guides, const MasterSelection& masters) {
  bool stop = false;
  if (!readGuideList(in, guides, masters, true, stop)) return false;
  if (stop) return true;
  return readGuideList(in, guides, masters, false, stop);
}

bool decodeGuideProperties(Stream& in, std::vector<vn::Guide>& guides) {
  if (guides.empty()) return true;
  // Each entry holds at least three bytes (colour, name length, next k), so the loops
  // end with the payload.
  uint64_t horizontalEntries = 0;
  for (int part = 0; part < 2; ++part) {
    const uint64_t offset = part == 0 ? 0 : horizontalEntries;
    int32_t k = in.readInt();
    while (k > 0 && !in.overrun()) {
      const int32_t colour = in.readInt();
      std::string name = in.readString();
      if (in.overrun()) break;
      const uint64_t index = static_cast<uint64_t>(k) - 1 + offset;
      if (index < guides.size()) applyGuideColour(guides[index], colour, std::move(name));
      if (part == 0) ++horizontalEntries;
      k = in.readInt();
    }
  }
  return !in.overrun();
}

bool decodePointLinks(Stream& in, vn::Glyph& glyph, vn::Layer& layer) {
  glyph.pointDataValue = in.readInt();
  const int32_t links = in.readInt();
  // Data may end after a link's first or second reference: the link is dropped and
  // the decode stops there.
  for (int32_t i = 0; i < links; ++i) {
    if (in.atEnd()) return !in.overrun();
    vn::PointLink link;
    link.name = in.readString();
    link.first.index = vn::clampToInt16(in.readInt());
    link.first.secondIndex = vn::clampToInt16(in.readInt());
    if (in.atEnd()) return !in.overrun();
    link.second.index = vn::clampToInt16(in.readInt());
    link.second.secondIndex = vn::clampToInt16(in.readInt());
    if (in.overrun()) return false;
    layer.links.push_back(std::move(link));
  }
  const int32_t pairs = in.readInt();
  if (!fits(in, pairs, 2)) return false;
  for (int32_t i = 0; i < pairs; ++i) {
    vn::GlyphPairRecord record;
    record.first = static_cast<uint16_t>(in.readInt());
    record.second = static_cast<uint16_t>(in.readInt());
    if (in.overrun()) return false;
    glyph.pairRecords.push_back(std::move(record));
  }
  const int32_t values = in.readInt();
  if (!fits(in, values, 1)) return false;
  for (int32_t i = 0; i < values; ++i) {
    const int32_t value = in.readInt();
    if (in.overrun()) return false;
    glyph.pointDataValues.push_back(static_cast<uint16_t>(value));
  }
  return !in.overrun();
}

bool decodePointLinkReferences(Stream& in, vn::Layer& layer, uint32_t selected) {
  const int32_t count = in.readInt();
  const int32_t repetitions = in.readInt();
  if (in.overrun()) return false;
  if (count <= 0 || repetitions <= 0) return true;
  const uint64_t cells = static_cast<uint64_t>(count) * static_cast<uint64_t>(repetitions);
  if (cells > in.remaining() / 2) return false;
  for (int32_t i = 0; i < count; ++i) {
    for (int32_t j = 0; j < repetitions; ++j) {
      const int32_t a = in.readInt();
      const int32_t b = in.readInt();
      if (in.overrun()) return false;
      if (static_cast<uint32_t>(j) == selected && static_cast<size_t>(i) < layer.links.size()) {
        auto& link = layer.links[static_cast<size_t>(i)];
        link.first.index = vn::clampToInt16(a);
        link.first.secondIndex = -1;
        link.second.index = vn::clampToInt16(b);
        link.second.secondIndex = -1;
      }
    }
  }
  return true;
}

bool decodePointLinkValues(Stream& in, vn::Layer& layer) {
  const int32_t count = in.readInt();
  if (in.overrun()) return false;
  if (count < 1) return true;
  if (!fits(in, count, 2)) return false;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t first = in.readInt();
    const int32_t second = in.readInt();
    if (in.overrun()) return false;
    if (static_cast<size_t>(i) < layer.links.size()) {
      layer.links[static_cast<size_t>(i)].value = second;
      layer.links[static_cast<size_t>(i)].hue = first;
    }
  }
  return true;
}

bool decodeGlyphRecord(Stream& in, vn::Glyph& glyph, int32_t& readMasters, uint32_t selected,
                       std::vector<IndexedKerning>& pendingKerning) {
  for (uint8_t expected : kGlyphSignature) {
    if (in.readByte() != expected) return false;
  }
  if (in.overrun()) return false;
  while (!in.atEnd() && !in.overrun()) {
    const MasterSelection masters{readMasters, selected};
    const uint8_t key = in.readByte();
    switch (key) {
      case glyphkey::kName: {
        std::string name = in.readString();
        if (name.size() > kMaxGlyphName) name.resize(kMaxGlyphName);
        glyph.setName(name);
        break;
      }
      case glyphkey::kAdvance:
        if (!decodeAdvances(in, glyph, masters)) return false;
        break;
      case glyphkey::kHints:
        if (!decodeHints(in, glyph.varnelData().bodyLayer(), masters)) return false;
        break;
      case glyphkey::kGuides:
        if (!decodeGuidePositions(in, glyph.varnelData().bodyLayer().guides, masters)) return false;
        break;
      case glyphkey::kComponents:
        if (!decodeComponents(in, glyph, masters)) return false;
        break;
      case glyphkey::kKerning:
        if (!decodeKerning(in, glyph, masters, pendingKerning)) return false;
        break;
      case glyphkey::kElement: {
        vn::Element element;
        int32_t stated = 0;
        // A count below 1 can never match the file's and would leave values unread.
        if (!decodeOutlineElement(in, selected, element, stated) || stated < 1) return false;
        readMasters = stated;
        glyph.varnelData().bodyLayer().elements.push_back(std::move(element));
        break;
      }
      case glyphkey::kTrueType:
        if (!decodeTrueTypeGlyph(in, glyph.trueTypeData())) return false;
        break;
      case glyphkey::kCommands: {
        const int32_t length = in.readInt();
        if (length < 0) return false;
        std::vector<uint8_t> bytes = in.readBytes(static_cast<uint64_t>(length));
        if (in.overrun()) return false;
        glyph.commandBytes = std::move(bytes);
        break;
      }
      default:  // 7, 0, 11..255: the end of the record
        return !in.overrun();
    }
  }
  return !in.overrun();
}

}  // namespace qtf
