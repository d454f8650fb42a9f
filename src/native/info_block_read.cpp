// Reading the font-information block (257 ... 513): records in any order, then the
// end-of-block steps that settle the names, the underline and the line gap.
#include <algorithm>
#include <cstring>
#include <set>

#include "model/font.h"
#include "model/numbers.h"
#include "model/style.h"
#include "model/style_names.h"
#include "native/info_fields.h"
#include "native/info_records.h"
#include "native/info_substreams.h"
#include "native/info_truetype.h"
#include "native/record_framing.h"
#include "native/stream/stream.h"
#include "native/tags.h"

namespace qtf {

namespace {

using namespace info;
using namespace tag;

constexpr int kHeldFamily = 0;     // 1024, A
constexpr int kHeldFontName = 1;   // 1026, B
constexpr int kHeldMenuName = 2;   // 1027, C
constexpr int kHeldLinking = 3;    // 1056, D
constexpr int kHeldMapStyle = 4;   // 1127, E
constexpr int kHeldStyleName = 5;  // 1137, F
constexpr const char* kUntitledFamily = "Untitled";
constexpr uint32_t kMaxVendorCode = 5;
constexpr uint32_t kPanoseSize = 10;
constexpr uint32_t kUnicodeRangesSize = 16;

uint32_t loadU32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

class InfoReader {
 public:
  InfoReader(RecordInput& in, Stream& payload, InfoReadState& state, vn::Font& font, vn::Style& style)
      : in_(in), payload_(payload), state_(state), font_(font), style_(style) {}

  // Handles one record; false fails the block.
  bool record(uint16_t tag, uint32_t length);

 private:
  bool u16(uint32_t length, uint16_t& value) {
    if (length != 2) return false;
    value = in_.readU16();
    return in_.good();
  }
  bool f64(uint32_t length, double& value) {
    if (length != 8) return false;
    value = in_.readDouble();
    return in_.good();
  }
  bool text(uint32_t length, std::string& value) { return in_.readRecordString(length, value); }
  bool named(uint32_t length, const char* key) { return text(length, style_.names.namedStrings[key]); }
  bool shortId(uint32_t length, const char* key) {
    uint16_t value = 0;
    if (!u16(length, value)) return false;
    style_.names.namedStrings[key] = vn::formatUnsigned(value);
    return true;
  }
  template <class Decoder>
  bool stream(uint32_t length, Decoder decode) {
    return in_.loadPayload(payload_, length) && decode(payload_);
  }
  bool table(uint32_t length, const char* name) {
    std::vector<uint8_t> bytes;
    if (!in_.readBytes(length, bytes)) return false;
    if (!bytes.empty()) font_.tables[name] = std::move(bytes);
    return true;
  }

  RecordInput& in_;
  Stream& payload_;
  InfoReadState& state_;
  vn::Font& font_;
  vn::Style& style_;
  ZoneStepOrder zoneOrder_;
};

// Texts held until the end of the block, where they settle the names.
struct HeldTextField {
  uint16_t tag;
  int held;
};
constexpr HeldTextField kHeldTextFields[] = {
    {kFamilyName, kHeldFamily},     {kFontName, kHeldFontName},     {kMenuName, kHeldMenuName},
    {kLinkingFamily, kHeldLinking}, {kLinkingStyle, kHeldMapStyle}, {kStyleName, kHeldStyleName},
};

// Plain 16-bit numbers with no rule of their own.
struct U16Field {
  uint16_t tag;
  int32_t InfoReadState::*field;
};
constexpr U16Field kStateU16Fields[] = {
    {kVersionMajor, &InfoReadState::versionMajor},
    {kVersionMinor, &InfoReadState::versionMinor},
};

bool InfoReader::record(uint16_t tag, uint32_t length) {
  vn::FontNames& names = style_.names;
  vn::FontMetrics& metrics = style_.metrics;
  vn::FontHinting& hinting = font_.hinting;
  vn::StyleFlags& flags = style_.flags;
  uint16_t value = 0;
  double number = 0;

  if (const auto* f = findField(kHeldTextFields, tag)) return text(length, state_.heldTexts[f->held]);
  if (const auto* f = findField(kNameTextFields, tag)) return text(length, names.*(f->field));
  if (const auto* f = findField(kNamedTextFields, tag)) return named(length, f->key);
  if (const auto* f = findField(kShortIdFields, tag)) return shortId(length, f->key);
  if (const auto* f = findField(kTableFields, tag)) return table(length, f->key);
  if (const auto* f = findField(kInt16MetricFields, tag)) {
    if (!u16(length, value)) return false;
    metrics.*(f->field) = static_cast<int16_t>(value);
    return true;
  }
  if (const auto* f = findField(kNamedIntegerFields, tag)) {
    if (!u16(length, value)) return false;
    style_.namedIntegers[f->key] = value;
    return true;
  }
  if (const auto* f = findField(kStemCountFields, tag)) {
    if (!u16(length, value)) return false;
    (hinting.*(f->stems)).resize(value);
    return true;
  }
  if (const auto* f = findField(kHheaFields, tag)) {
    if (!u16(length, value)) return false;
    metrics.namedNumbers[f->key] = static_cast<int16_t>(value);
    return true;
  }
  if (const auto* f = findField(kBlueCountFields, tag)) {
    if (!u16(length, value)) return false;
    hinting.blueCounts[f->key] = (value >> 1) & 0x7FFF;
    return true;
  }
  if (const auto* f = findField(kParamFields, tag)) {
    if (!u16(length, value)) return false;
    hinting.params4[f->index] = value;
    return true;
  }
  if (const auto* f = findField(kStateU16Fields, tag)) {
    if (!u16(length, value)) return false;
    state_.*(f->field) = value;
    return true;
  }
  if (const auto* f = findField(kStemStreamFields, tag)) {
    return stream(length, [&](Stream& s) { return f->decode(s, hinting); });
  }
  for (const HintingStreamField* f : {&kTripletsField, &kZonesField}) {
    if (f->tag == tag) return stream(length, [&](Stream& s) { return f->decode(s, hinting); });
  }

  switch (tag) {
    case tag::kFontInfoEnd: return true;
    case kMasterCount:
      if (!u16(length, value)) return false;
      if (value < 1 || value > kMaxMasters) return false;
      state_.masterCount = value;
      state_.axes.masters.resize(value);
      return true;
    case kMasterValues: {
      const auto masters = static_cast<uint32_t>(state_.masterCount);
      if (length != 8 * masters) return in_.skipPayload(length);
      font_.masterValues.assign(masters, vn::MasterValue{});
      for (vn::MasterValue& master : font_.masterValues) master.value = in_.readDouble();
      return in_.good();
    }
    case kUniqueId:
      if (length != 4) return false;
      style_.namedIntegers[kUniqueIdKey] = static_cast<int32_t>(in_.readU32());
      return in_.good();
    case kFixedPitch:
      if (!u16(length, value)) return false;
      flags.isFixedPitch = value != 0;
      return true;
    case kWeightValue:
      if (!u16(length, value)) return false;
      if (static_cast<int16_t>(value) >= 1) metrics.weightValue = static_cast<int16_t>(value);
      return true;
    case kItalicAngle: return f64(length, metrics.italicAngle);
    case kSlantAngle: return f64(length, number);
    case kPanose: {
      if (length != kPanoseSize) return false;
      std::array<uint8_t, 10> bytes{};
      if (!in_.readRawBytes(bytes.data(), bytes.size())) return false;
      names.namedStrings[kPanoseKey] = formatPanose(bytes);
      return true;
    }
    case kVendorCode: {
      if (length > kMaxVendorCode) return false;
      std::string code;
      if (!text(length, code)) return false;
      names.namedStrings[kVendorCodeKey] = code.substr(0, code.find('\0'));
      return true;
    }
    case kNumberList: {
      if (length % 4 != 0) return false;
      std::vector<uint8_t> bytes;
      if (!in_.readBytes(length, bytes)) return false;
      for (size_t i = 0; i + 4 <= bytes.size(); i += 4) flags.numberList.push_back(loadU32(&bytes[i]));
      return true;
    }
    case kNumberCount: return u16(length, value);
    case kUnitsPerEm:
      if (!u16(length, value)) return false;
      metrics.unitsPerEm = value;
      return true;
    case kDroppedNumbers: return in_.skipPayload(length);
    case kFondId: return u16(length, font_.fileInfo.fondId);
    case kFlag1093:
      if (!u16(length, value)) return false;
      hinting.flag1093 = value != 0;
      return true;
    case kSelection:
      if (!u16(length, value)) return false;
      flags.selectionFlags.fromMask(value & 0x3FF);
      flags.isItalic = (value & (kSelectionItalic | kSelectionOblique)) != 0;
      flags.isBold = (value & kSelectionBold) != 0;
      return true;
    case kGasp: {
      if (length % 4 != 0) return false;
      std::vector<uint8_t> bytes;
      if (!in_.readBytes(length, bytes)) return false;
      hinting.gaspRanges.resize(length / 4);
      for (size_t i = 0; i < hinting.gaspRanges.size(); ++i) {
        hinting.gaspRanges[i].ppem = static_cast<uint16_t>(bytes[4 * i] | bytes[4 * i + 1] << 8);
        hinting.gaspRanges[i].setFlagMask(bytes[4 * i + 2] | bytes[4 * i + 3] << 8);
      }
      return true;
    }
    case kTrueTypeInfo:
      return stream(length, [&](Stream& s) { return decodeTrueTypeInfo(s, style_, font_, state_); });
    case kHheaLineGap:
      if (!u16(length, value)) return false;
      state_.hheaLineGap = static_cast<int16_t>(value);
      metrics.namedNumbers[kHheaLineGapKey] = static_cast<int16_t>(value);
      return true;
    case kZoneSteps: return stream(length, [&](Stream& s) { return decodeZoneSteps(s, hinting, zoneOrder_); });
    case kUnicodeRanges: {
      if (length != kUnicodeRangesSize) return false;
      uint8_t bytes[kUnicodeRangesSize];
      if (!in_.readRawBytes(bytes, sizeof bytes)) return false;
      style_.tables.unicodeRanges.assign(128, false);
      for (size_t i = 0; i < 128; ++i) style_.tables.unicodeRanges[i] = (loadU32(&bytes[(i / 32) * 4]) >> (i % 32)) & 1;
      return true;
    }
    case kNameRecords:
      return stream(length, [&](Stream& s) { return decodeNameRecords(s, style_.tables.nameRecords); });
    case kStyleRecord: return stream(length, [&](Stream& s) { return decodeStyleRecord(s, style_.extraRecord); });
    case kDiscardedTable: return stream(length, [&](Stream& s) { return decodeDiscardedTable(s); });
    case kNativeFlag:
      if (!u16(length, value)) return false;
      style_.options.nativeFlag = value != 0;
      return true;
    case kOpaqueBytes: return in_.readBytes(length, style_.opaqueBytes);
    case kClassFlags: return in_.readBytes(length, state_.classFlagBytes);
    case kFeatureText:
      state_.hasFeatureText = true;
      return text(length, state_.featureText);
    case kClassDefinition: {
      std::string definition;
      if (!text(length, definition)) return false;
      const size_t colon = definition.find(':');
      if (colon == std::string::npos || colon == 0) return true;
      const size_t start = definition.find_first_not_of(" \t", colon + 1);
      state_.classDefinitions[definition.substr(0, colon)] =
          start == std::string::npos ? std::string() : definition.substr(start);
      return true;
    }
    case kBinaryTable: {
      if (length < 4) return false;
      std::string name;
      std::vector<uint8_t> bytes;
      if (!text(4, name) || !in_.readBytes(length - 4, bytes)) return false;
      font_.tables[name] = std::move(bytes);
      return true;
    }
    default: return in_.skipPayload(length);
  }
}

void finishBlock(InfoReadState& state, vn::Font& font, vn::Style& style) {
  vn::FontNames& names = style.names;
  vn::FontMetrics& metrics = style.metrics;
  const vn::StyleNames composed(names, metrics, style.flags);
  const auto& held = state.heldTexts;

  names.version = vn::formatInteger(state.versionMajor) + "." + vn::formatInteger(state.versionMinor);
  names.fontName = held[kHeldFontName];
  font.name = names.fontName;
  style.name = font.name;
  names.familyName = held[kHeldFamily];
  if (names.familyName.empty()) {
    if (!held[kHeldMenuName].empty()) names.familyName = held[kHeldMenuName];
    else if (!held[kHeldFontName].empty()) names.familyName = held[kHeldFontName].substr(0, held[kHeldFontName].find('-'));
    else names.familyName = kUntitledFamily;
  }
  names.styleName = held[kHeldStyleName];
  if (names.styleName.empty()) names.styleName = held[kHeldMapStyle];
  if (names.styleName.empty()) names.styleName = composed.compose(vn::kStyleNameLimit);
  const bool bold = style.flags.isBold != 0;
  const bool italic = style.flags.isItalic != 0;
  names.styleMapStyleName = bold && italic ? "Bold Italic" : bold ? "Bold" : italic ? "Italic" : "Regular";
  names.styleMapFamilyName = held[kHeldLinking];
  if (names.styleMapFamilyName.empty()) names.styleMapFamilyName = held[kHeldMenuName];
  if (names.styleMapFamilyName.empty()) names.styleMapFamilyName = composed.linkingFamily(vn::kStyleNameLimit);
  metrics.underlinePosition += underlineHalfThickness(metrics.underlineThickness);
  style.composeStyleNames();

  const double scale = state.headUnitsPerEm != 0 ? metrics.unitsPerEm / state.headUnitsPerEm : 1.0;
  metrics.typoLineGap = (state.os2LineGap != 0 ? state.os2LineGap : state.hheaLineGap) * scale;

  if (!state.classFlagBytes.empty()) {
    Stream flags;
    flags.attach(state.classFlagBytes.data(), state.classFlagBytes.size());
    // Names already listed are looked up in sets: many repeated names stay linear.
    std::set<std::string> firstSide(state.firstSideClasses.begin(), state.firstSideClasses.end());
    std::set<std::string> secondSide(state.secondSideClasses.begin(), state.secondSideClasses.end());
    auto addUnique = [](std::vector<std::string>& list, std::set<std::string>& listed, const std::string& name) {
      if (listed.insert(name).second) list.push_back(name);
    };
    const int32_t count = flags.readInt();
    for (int32_t i = 0; i < count && !flags.atEnd(); ++i) {
      const std::string name = flags.readString();
      const int32_t bits = flags.readInt();
      flags.readInt();
      // Keyed classes come as "_" + key glyph or under their own names.
      if (name.size() < 2 || !state.classDefinitions.count(name)) continue;
      if (bits & kFirstSideFlag) addUnique(state.firstSideClasses, firstSide, name);
      if (bits & kSecondSideFlag) addUnique(state.secondSideClasses, secondSide, name);
    }
  }
}

}  // namespace

bool readFontInfoBlock(RecordInput& in, Stream& payload, InfoReadState& state, vn::Font& font,
                       vn::Style& style) {
  for (std::string& text : state.heldTexts) text.clear();
  state.classDefinitions.clear();
  state.classFlagBytes.clear();
  state.firstSideClasses.clear();
  state.secondSideClasses.clear();
  state.versionMajor = 1;
  state.versionMinor = 0;

  InfoReader reader(in, payload, state, font, style);
  uint16_t tag = 0;
  do {
    uint32_t length = 0;
    if (!in.readRecordHeader(tag, length)) return false;
    if (!reader.record(tag, length)) return false;
  } while (in.good() && tag != tag::kFontInfoEnd);
  finishBlock(state, font, style);
  return in.good();
}

}  // namespace qtf
