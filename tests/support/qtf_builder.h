// Test-only builder of native ".qtf" files, written from the file layout alone and
// independent of the production writer: its own number encoder, little-endian
// helpers, header and record framing, payload builders and corruption helpers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qtftest {

using Bytes = std::vector<uint8_t>;

// Little-endian integers, charstring-coded numbers, binary64 and coded-length strings.
void putByte(Bytes& out, uint8_t v);
void putU16(Bytes& out, uint16_t v);
void putI16(Bytes& out, int16_t v);
void putU32(Bytes& out, uint32_t v);
void putNumber(Bytes& out, int32_t v);
void putDouble(Bytes& out, double v);
void putString(Bytes& out, const std::string& text);
Bytes numberBytes(int32_t v);

// Fluent payload writer.
class Payload {
 public:
  Payload& n(int32_t v) { putNumber(bytes_, v); return *this; }
  Payload& b(uint8_t v) { putByte(bytes_, v); return *this; }
  Payload& d(double v) { putDouble(bytes_, v); return *this; }
  Payload& s(const std::string& v) { putString(bytes_, v); return *this; }
  Payload& u16(uint16_t v) { putU16(bytes_, v); return *this; }
  Payload& i16(int16_t v) { putI16(bytes_, v); return *this; }
  Payload& u32(uint32_t v) { putU32(bytes_, v); return *this; }
  // Out of line: inlined, these appends draw a false buffer-overflow warning from gcc.
  Payload& raw(const Bytes& v);
  Payload& text(const std::string& v);
  const Bytes& bytes() const { return bytes_; }
  operator const Bytes&() const { return bytes_; }

 private:
  Bytes bytes_;
};

// ---- header: every field overridable
struct HeaderFields {
  uint32_t magic = 0x464C571A;
  uint8_t major = '1';
  uint8_t minor = '0';
  uint8_t version = 3;
  uint8_t unused = 0;
  uint32_t offset = 44;
  std::array<uint32_t, 8> reserved{};
};
Bytes header(const HeaderFields& fields = {});

// ---- records
struct Framing {
  std::optional<uint32_t> forcedLength;  // written instead of the real length
  bool longForm = false;                 // bit 15 and a u32 length even when short

  static Framing longLength() { return Framing{std::nullopt, true}; }
};
Bytes record(uint16_t tag, const Bytes& payload = {}, const Framing& framing = {});

// ---- outline elements
struct NodeRecord {
  uint8_t type = 0;                                // kind | 0x10 node flag | 0x80 contour flag
  std::vector<std::pair<int32_t, int32_t>> deltas;  // per point, per master: (dx, dy)
};
// A move / line / curve / quadratic record for one master, from absolute points.
class ElementBuilder {
 public:
  explicit ElementBuilder(int32_t masters = 1) : masters_(masters) {}
  // Deltas given directly: one (dx, dy) per master for each point.
  ElementBuilder& node(uint8_t type, std::vector<std::pair<int32_t, int32_t>> deltas);
  // Absolute points (single master; other masters repeat the same deltas).
  ElementBuilder& moveTo(int32_t x, int32_t y, bool openContour = false, bool flagged = false);
  ElementBuilder& lineTo(int32_t x, int32_t y, bool flagged = false);
  ElementBuilder& quadTo(int32_t x, int32_t y);
  // end point, then the two control points (as the file orders them)
  ElementBuilder& curveTo(int32_t ex, int32_t ey, int32_t c1x, int32_t c1y, int32_t c2x, int32_t c2y,
                          bool flagged = false);
  ElementBuilder& statedMasters(int32_t m) { stated_ = m; return *this; }
  ElementBuilder& recordCount(int32_t n) { forcedCount_ = n; return *this; }
  Bytes bytes() const;

 private:
  std::pair<int32_t, int32_t> deltaTo(int32_t x, int32_t y);
  ElementBuilder& pointsNode(uint8_t type, const std::vector<std::pair<int32_t, int32_t>>& absolute);
  int32_t masters_;
  std::optional<int32_t> stated_;
  std::optional<int32_t> forcedCount_;
  int32_t x_ = 0, y_ = 0;
  std::vector<NodeRecord> nodes_;
};

// ---- glyph record (2001): keyed items in the order they are added
struct HintSpec {
  std::vector<std::pair<int32_t, int32_t>> perMaster;  // (position, width)
};
struct ComponentSpec {
  int32_t glyphIndex = 0;
  struct Master {
    int32_t dx = 0, dy = 0;
    double xScale = 1.0, yScale = 1.0;
  };
  std::vector<Master> perMaster;
};
struct KernSpec {
  int32_t secondIndex = 0;
  std::vector<int32_t> perMaster;
};
struct GuideSpec {
  std::vector<std::pair<int32_t, int32_t>> perMaster;  // (position, slope * 10000)
};
struct ReplacementSpec {
  uint8_t kind = 1;
  int32_t index = 0;
};

Bytes hintsPayload(const std::vector<HintSpec>& horizontal, const std::vector<HintSpec>& vertical,
                   const std::vector<ReplacementSpec>& replacements);
// Two squares of 100 x 200 at (0, 0) and (200, 150): outline points 0-3 and 4-7.
Bytes twoSquaresElement();
Bytes guidesPayload(const std::vector<GuideSpec>& horizontal, const std::vector<GuideSpec>& vertical);
// (k, colour, name) entries of each part, each part ended by k = 0.
struct GuideProperty {
  int32_t k = 1;
  int32_t colour = 0;
  std::string name;
};
Bytes guidePropertiesPayload(const std::vector<GuideProperty>& horizontal,
                             const std::vector<GuideProperty>& vertical);

class GlyphRecord {
 public:
  GlyphRecord();
  GlyphRecord& signature(std::array<uint8_t, 4> bytes);
  GlyphRecord& name(const std::string& name);
  GlyphRecord& advance(std::vector<std::pair<int32_t, int32_t>> perMaster);
  GlyphRecord& advance(int32_t width, int32_t height = 0) { return advance({{width, height}}); }
  GlyphRecord& hints(const Bytes& hintsPayloadBytes);
  GlyphRecord& guides(const Bytes& guidesPayloadBytes);
  GlyphRecord& components(const std::vector<ComponentSpec>& components);
  GlyphRecord& kerning(const std::vector<KernSpec>& pairs);
  GlyphRecord& element(const Bytes& elementBytes);
  GlyphRecord& commands(const Bytes& bytes);
  GlyphRecord& key(uint8_t key, const Bytes& payload = {});
  // Ends with key 15.
  Bytes bytes() const;

 private:
  std::array<uint8_t, 4> signature_{1, 9, 7, 1};
  Bytes items_;
};

// ---- font-information pieces (only what the reader's tests need)
// "name: definition"
Bytes classDefinition(const std::string& name, const std::string& definition);
// Record 2026 payload: count, then (name, flags, 0); 0x400 first side, 0x800 second.
Bytes classFlags(const std::vector<std::pair<std::string, int32_t>>& entries);
inline constexpr int32_t kFirstSideFlag = 0x400;
inline constexpr int32_t kSecondSideFlag = 0x800;

// ---- whole files
class FileBuilder {
 public:
  FileBuilder();
  // Records 1 and 4 (and record 10 with key 1 = 0 unless `withFileInfo` is false).
  FileBuilder& begin(bool withFileInfo = true);
  FileBuilder& add(uint16_t tag, const Bytes& payload = {}, const Framing& framing = {});
  FileBuilder& raw(const Bytes& bytes);
  // 257, optional 1503 master count, the extra records, 513.
  FileBuilder& fontInfo(std::optional<uint16_t> masters, const std::vector<Bytes>& innerRecords = {});
  FileBuilder& glyph(const GlyphRecord& record) { return add(2001, record.bytes()); }
  // 5 then 2.
  FileBuilder& end();
  // Offset (from the start of the file) of the i-th record added.
  size_t recordOffset(size_t i) const { return header_.size() + offsets_.at(i); }
  size_t recordCount() const { return offsets_.size(); }
  FileBuilder& withHeader(const HeaderFields& fields);
  Bytes bytes() const;
  std::string str() const;

 private:
  Bytes header_;
  Bytes body_;
  std::vector<size_t> offsets_;
};

// ---- corruption
Bytes truncated(const Bytes& file, size_t length);
// Rewrites the length of the record at `offset` (a short record gains the long form,
// so the following bytes shift by two).
Bytes withRecordLength(const Bytes& file, size_t offset, uint32_t length);
std::string asString(const Bytes& bytes);

}  // namespace qtftest
