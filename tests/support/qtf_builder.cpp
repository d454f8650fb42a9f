#include "qtf_builder.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace qtftest {

void putByte(Bytes& out, uint8_t v) { out.push_back(v); }

void putU16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void putI16(Bytes& out, int16_t v) { putU16(out, static_cast<uint16_t>(v)); }

void putU32(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putNumber(Bytes& out, int32_t v) {
  const int64_t wide = v;
  const int64_t magnitude = wide < 0 ? -wide : wide;
  if (magnitude <= 107) {
    out.push_back(static_cast<uint8_t>(wide + 139));
  } else if (magnitude <= 1131) {
    const int64_t rest = magnitude - 108;
    out.push_back(static_cast<uint8_t>((wide > 0 ? 247 : 251) + rest / 256));
    out.push_back(static_cast<uint8_t>(rest % 256));
  } else {
    const auto bits = static_cast<uint32_t>(v);
    out.push_back(255);
    out.push_back(static_cast<uint8_t>(bits >> 24));
    out.push_back(static_cast<uint8_t>(bits >> 16));
    out.push_back(static_cast<uint8_t>(bits >> 8));
    out.push_back(static_cast<uint8_t>(bits));
  }
}

void putDouble(Bytes& out, double v) {
  uint64_t bits = 0;
  std::memcpy(&bits, &v, 8);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

void putString(Bytes& out, const std::string& text) {
  putNumber(out, static_cast<int32_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}

Payload& Payload::raw(const Bytes& v) {
  bytes_.insert(bytes_.end(), v.begin(), v.end());
  return *this;
}

Payload& Payload::text(const std::string& v) {
  bytes_.insert(bytes_.end(), v.begin(), v.end());
  return *this;
}

Bytes numberBytes(int32_t v) {
  Bytes out;
  putNumber(out, v);
  return out;
}

Bytes header(const HeaderFields& f) {
  Bytes out;
  putU32(out, f.magic);
  out.push_back(f.major);
  out.push_back(f.minor);
  out.push_back(f.version);
  out.push_back(f.unused);
  putU32(out, f.offset);
  for (uint32_t word : f.reserved) putU32(out, word);
  return out;
}

Bytes record(uint16_t tag, const Bytes& payload, const Framing& framing) {
  Bytes out;
  const uint32_t length = framing.forcedLength.value_or(static_cast<uint32_t>(payload.size()));
  if (framing.longForm || length >= 65536) {
    putU16(out, static_cast<uint16_t>(tag | 0x8000));
    putU16(out, static_cast<uint16_t>(length & 0xFFFF));
    putU16(out, static_cast<uint16_t>(length >> 16));
  } else {
    putU16(out, tag);
    putU16(out, static_cast<uint16_t>(length));
  }
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

// ---- elements

ElementBuilder& ElementBuilder::node(uint8_t type, std::vector<std::pair<int32_t, int32_t>> deltas) {
  nodes_.push_back(NodeRecord{type, std::move(deltas)});
  return *this;
}

std::pair<int32_t, int32_t> ElementBuilder::deltaTo(int32_t x, int32_t y) {
  std::pair<int32_t, int32_t> d{x - x_, y - y_};
  x_ = x;
  y_ = y;
  return d;
}

ElementBuilder& ElementBuilder::pointsNode(uint8_t type,
                                           const std::vector<std::pair<int32_t, int32_t>>& absolute) {
  NodeRecord rec{type, {}};
  for (const auto& [x, y] : absolute) {
    const auto d = deltaTo(x, y);
    for (int32_t m = 0; m < masters_; ++m) rec.deltas.push_back(d);
  }
  nodes_.push_back(std::move(rec));
  return *this;
}

ElementBuilder& ElementBuilder::moveTo(int32_t x, int32_t y, bool openContour, bool flagged) {
  return pointsNode(static_cast<uint8_t>(0 | (openContour ? 0x80 : 0) | (flagged ? 0x10 : 0)), {{x, y}});
}

ElementBuilder& ElementBuilder::lineTo(int32_t x, int32_t y, bool flagged) {
  return pointsNode(static_cast<uint8_t>(1 | (flagged ? 0x10 : 0)), {{x, y}});
}

ElementBuilder& ElementBuilder::quadTo(int32_t x, int32_t y) { return pointsNode(4, {{x, y}}); }

ElementBuilder& ElementBuilder::curveTo(int32_t ex, int32_t ey, int32_t c1x, int32_t c1y, int32_t c2x,
                                        int32_t c2y, bool flagged) {
  return pointsNode(static_cast<uint8_t>(3 | (flagged ? 0x10 : 0)), {{ex, ey}, {c1x, c1y}, {c2x, c2y}});
}

Bytes ElementBuilder::bytes() const {
  Bytes out;
  putNumber(out, stated_.value_or(masters_));
  int32_t size = 0;
  for (const auto& n : nodes_) size += (n.type & 0x0F) == 3 ? 14 : 6;
  putNumber(out, size);
  putNumber(out, forcedCount_.value_or(static_cast<int32_t>(nodes_.size())));
  for (const auto& n : nodes_) {
    out.push_back(n.type);
    for (const auto& [dx, dy] : n.deltas) {
      putNumber(out, dx);
      putNumber(out, dy);
    }
  }
  return out;
}

// ---- glyph-level payloads

Bytes twoSquaresElement() {
  return ElementBuilder()
      .moveTo(0, 0).lineTo(100, 0).lineTo(100, 200).lineTo(0, 200)
      .moveTo(200, 150).lineTo(300, 150).lineTo(300, 350).lineTo(200, 350)
      .bytes();
}

Bytes hintsPayload(const std::vector<HintSpec>& horizontal, const std::vector<HintSpec>& vertical,
                   const std::vector<ReplacementSpec>& replacements) {
  Bytes out;
  for (const auto* list : {&horizontal, &vertical}) {
    putNumber(out, static_cast<int32_t>(list->size()));
    for (const auto& hint : *list) {
      for (const auto& [position, width] : hint.perMaster) {
        putNumber(out, position);
        putNumber(out, width);
      }
    }
  }
  putNumber(out, static_cast<int32_t>(replacements.size()));
  for (const auto& r : replacements) {
    out.push_back(r.kind);
    putNumber(out, r.index);
  }
  return out;
}

Bytes guidesPayload(const std::vector<GuideSpec>& horizontal, const std::vector<GuideSpec>& vertical) {
  Bytes out;
  for (const auto* list : {&horizontal, &vertical}) {
    putNumber(out, static_cast<int32_t>(list->size()));
    for (const auto& guide : *list) {
      for (const auto& [position, slope] : guide.perMaster) {
        putNumber(out, position);
        putNumber(out, slope);
      }
    }
  }
  return out;
}

Bytes guidePropertiesPayload(const std::vector<GuideProperty>& horizontal,
                             const std::vector<GuideProperty>& vertical) {
  Bytes out;
  for (const auto* list : {&horizontal, &vertical}) {
    for (const auto& p : *list) {
      putNumber(out, p.k);
      putNumber(out, p.colour);
      putString(out, p.name);
    }
    putNumber(out, 0);
  }
  return out;
}

GlyphRecord::GlyphRecord() = default;

GlyphRecord& GlyphRecord::signature(std::array<uint8_t, 4> bytes) {
  signature_ = bytes;
  return *this;
}

GlyphRecord& GlyphRecord::key(uint8_t key, const Bytes& payload) {
  items_.push_back(key);
  items_.insert(items_.end(), payload.begin(), payload.end());
  return *this;
}

GlyphRecord& GlyphRecord::name(const std::string& name) {
  Bytes p;
  putString(p, name);
  return key(1, p);
}

GlyphRecord& GlyphRecord::advance(std::vector<std::pair<int32_t, int32_t>> perMaster) {
  Bytes p;
  for (const auto& [w, h] : perMaster) {
    putNumber(p, w);
    putNumber(p, h);
  }
  return key(2, p);
}

GlyphRecord& GlyphRecord::hints(const Bytes& payload) { return key(3, payload); }
GlyphRecord& GlyphRecord::guides(const Bytes& payload) { return key(4, payload); }

GlyphRecord& GlyphRecord::components(const std::vector<ComponentSpec>& components) {
  Bytes p;
  putNumber(p, static_cast<int32_t>(components.size()));
  for (const auto& c : components) {
    putNumber(p, c.glyphIndex);
    for (const auto& m : c.perMaster) {
      putNumber(p, m.dx);
      putNumber(p, m.dy);
      putDouble(p, m.xScale);
      putDouble(p, m.yScale);
    }
  }
  return key(5, p);
}

GlyphRecord& GlyphRecord::kerning(const std::vector<KernSpec>& pairs) {
  Bytes p;
  putNumber(p, static_cast<int32_t>(pairs.size()));
  for (const auto& k : pairs) {
    putNumber(p, k.secondIndex);
    for (int32_t v : k.perMaster) putNumber(p, v);
  }
  return key(6, p);
}

GlyphRecord& GlyphRecord::element(const Bytes& elementBytes) { return key(8, elementBytes); }

GlyphRecord& GlyphRecord::commands(const Bytes& bytes) {
  Bytes p;
  putNumber(p, static_cast<int32_t>(bytes.size()));
  p.insert(p.end(), bytes.begin(), bytes.end());
  return key(10, p);
}

Bytes GlyphRecord::bytes() const {
  Bytes out(signature_.begin(), signature_.end());
  out.insert(out.end(), items_.begin(), items_.end());
  out.push_back(15);
  return out;
}

// ---- font information

Bytes classDefinition(const std::string& name, const std::string& definition) {
  const std::string text = name + ": " + definition;
  return record(1277, Bytes(text.begin(), text.end()));
}

Bytes classFlags(const std::vector<std::pair<std::string, int32_t>>& entries) {
  Bytes out;
  putNumber(out, static_cast<int32_t>(entries.size()));
  for (const auto& [name, flags] : entries) {
    putString(out, name);
    putNumber(out, flags);
    putNumber(out, 0);
  }
  return out;
}

// ---- files

FileBuilder::FileBuilder() : header_(header()) {}

FileBuilder& FileBuilder::begin(bool withFileInfo) {
  add(1);
  add(4);
  if (withFileInfo) add(10, Payload().b(1).n(0).b(2).n(83886081).b(3).n(0).b(0));
  return *this;
}

FileBuilder& FileBuilder::add(uint16_t tag, const Bytes& payload, const Framing& framing) {
  offsets_.push_back(body_.size());
  const Bytes r = record(tag, payload, framing);
  body_.insert(body_.end(), r.begin(), r.end());
  return *this;
}

FileBuilder& FileBuilder::raw(const Bytes& bytes) {
  offsets_.push_back(body_.size());
  body_.insert(body_.end(), bytes.begin(), bytes.end());
  return *this;
}

FileBuilder& FileBuilder::fontInfo(std::optional<uint16_t> masters, const std::vector<Bytes>& innerRecords) {
  add(257);
  if (masters) add(1503, Payload().u16(*masters));
  for (const auto& r : innerRecords) raw(r);
  return add(513);
}

FileBuilder& FileBuilder::end() {
  add(5);
  return add(2);
}

FileBuilder& FileBuilder::withHeader(const HeaderFields& fields) {
  header_ = header(fields);
  return *this;
}

Bytes FileBuilder::bytes() const {
  Bytes out = header_;
  out.insert(out.end(), body_.begin(), body_.end());
  return out;
}

std::string FileBuilder::str() const { return asString(bytes()); }

// ---- corruption

Bytes truncated(const Bytes& file, size_t length) {
  return Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(std::min(length, file.size())));
}

Bytes withRecordLength(const Bytes& file, size_t offset, uint32_t length) {
  if (offset + 4 > file.size()) throw std::out_of_range("record offset");
  Bytes out = file;
  const uint16_t tag = static_cast<uint16_t>(out[offset] | (out[offset + 1] << 8));
  if (tag & 0x8000) {
    out[offset + 2] = static_cast<uint8_t>(length);
    out[offset + 3] = static_cast<uint8_t>(length >> 8);
    out[offset + 4] = static_cast<uint8_t>(length >> 16);
    out[offset + 5] = static_cast<uint8_t>(length >> 24);
    return out;
  }
  if (length < 65536) {
    out[offset + 2] = static_cast<uint8_t>(length);
    out[offset + 3] = static_cast<uint8_t>(length >> 8);
    return out;
  }
  out[offset + 1] = static_cast<uint8_t>(out[offset + 1] | 0x80);
  out[offset + 2] = static_cast<uint8_t>(length);
  out[offset + 3] = static_cast<uint8_t>(length >> 8);
  const uint8_t high[2] = {static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
  out.insert(out.begin() + static_cast<std::ptrdiff_t>(offset + 4), high, high + 2);
  return out;
}

std::string asString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace qtftest
