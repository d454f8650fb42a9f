#include "layout/feature_params.h"

#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"

namespace otl {

namespace {

bool numbered(const std::string& text, const char* prefix, int low, int high) {
  if (text.size() != 4 || text.compare(0, 2, prefix) != 0) return false;
  if (text[2] < '0' || text[2] > '9' || text[3] < '0' || text[3] > '9') return false;
  const int n = (text[2] - '0') * 10 + (text[3] - '0');
  return n >= low && n <= high;
}

// Character variant fields: the named-parameter count is the fifth.
constexpr size_t kNamedParameterField = 4;

}  // namespace

FeatureParams::Kind FeatureParams::kindOf(const ot::Tag& feature) {
  const std::string text = feature.text();
  if (text == "size") return Kind::kSize;
  if (numbered(text, "ss", 1, 20)) return Kind::kStylisticSet;
  if (numbered(text, "cv", 1, 99)) return Kind::kCharacterVariant;
  return Kind::kNone;
}

size_t FeatureParams::fieldCount(Kind kind) {
  switch (kind) {
    case Kind::kSize: return 5;
    case Kind::kStylisticSet: return 2;
    case Kind::kCharacterVariant: return 6;
    case Kind::kNone: break;
  }
  return 0;
}

void FeatureParams::readBinary(ot::BinaryReader& reader, size_t offset, const ot::Tag& feature) {
  *this = FeatureParams();
  const Kind found = kindOf(feature);
  if (found == Kind::kNone) return;
  ot::BinaryReader r = reader.window(offset);
  std::vector<uint16_t> values(fieldCount(found));
  for (auto& v : values) v = r.readUInt16();
  if (found == Kind::kCharacterVariant) {
    const uint16_t count = r.readUInt16();
    r.requireRecords(count, 3);
    r.charge(count);
    characters.reserve(count);
    for (uint16_t i = 0; i < count; ++i) {
      const uint32_t high = r.readUInt8();
      characters.push_back((high << 16) | r.readUInt16());
    }
  }
  kind = found;
  fields = std::move(values);
}

bool FeatureParams::plausible() const {
  if (kind != Kind::kSize) return true;
  if (fields.size() != 5 || fields[0] == 0) return false;
  // Without a subfamily the range is unused; with one it must hold the design size.
  if (fields[1] == 0 && fields[3] == 0 && fields[4] == 0) return true;
  return fields[3] <= fields[0] && fields[0] <= fields[4];
}

void FeatureParams::writeBinary(ot::BinaryWriter& writer) const {
  if (kind == Kind::kNone) return;
  for (size_t i = 0; i < fieldCount(kind); ++i) writer.writeUInt16(i < fields.size() ? fields[i] : 0);
  if (kind != Kind::kCharacterVariant) return;
  writer.writeUInt16(static_cast<uint16_t>(characters.size()));
  for (uint32_t c : characters) {
    writer.writeUInt8(static_cast<uint8_t>(c >> 16));
    writer.writeUInt16(static_cast<uint16_t>(c));
  }
}

std::vector<uint16_t> FeatureParams::nameIds() const {
  std::vector<uint16_t> ids;
  auto add = [&](size_t field) {
    if (field < fields.size() && fields[field] != 0) ids.push_back(fields[field]);
  };
  switch (kind) {
    case Kind::kSize: add(2); break;
    case Kind::kStylisticSet: add(1); break;
    case Kind::kCharacterVariant:
      add(1), add(2), add(3);
      if (fields.size() == 6 && fields[5] != 0) {
        for (uint32_t k = 0; k < fields[kNamedParameterField]; ++k) ids.push_back(static_cast<uint16_t>(fields[5] + k));
      }
      break;
    case Kind::kNone: break;
  }
  return ids;
}

}  // namespace otl
