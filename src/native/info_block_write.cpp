// Writing the font-information block (257 ... 513) in its fixed record order.
#include <algorithm>
#include <array>
#include <cstring>

#include "model/blue_arrays.h"
#include "model/font.h"
#include "model/numbers.h"
#include "model/style.h"
#include "native/info_fields.h"
#include "native/info_records.h"
#include "native/info_substreams.h"
#include "native/info_text_numbers.h"
#include "native/info_truetype.h"
#include "native/tags.h"
#include "native/writer_records.h"

namespace qtf {

namespace {

using namespace info;
using namespace tag;

uint16_t low16(double value) { return static_cast<uint16_t>(vn::saturateInt32(value)); }
uint16_t low16Rounded(double value) { return static_cast<uint16_t>(vn::roundToInt32(value)); }

template <size_t N>
void putLE(std::vector<uint8_t>& out, uint64_t value) {
  for (size_t i = 0; i < N; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Writes the records in order; the first one that fails stops the rest.
class InfoWriter {
 public:
  InfoWriter(RecordWriter& out, const vn::Style& style) : out_(out), style_(style) {}

  bool ok() const { return ok_; }

  void text(uint16_t tag, const std::string& value) {
    if (ok_) ok_ = out_.text(tag, value);
  }
  void textIfAny(uint16_t tag, const std::string& value) {
    if (!value.empty()) text(tag, value);
  }
  // Fields from the shared tables, by tag.
  void namedInteger(uint16_t tag) {
    int32_t value = 0;
    if (style_.findInteger(findField(kNamedIntegerFields, tag)->key, &value) && value >= 0) {
      u16(tag, static_cast<uint16_t>(value));
    }
  }
  void nameText(uint16_t tag) { text(tag, style_.names.*(findField(kNameTextFields, tag)->field)); }
  void named(uint16_t tag) { textIfAny(tag, style_.names.stringValue(findField(kNamedTextFields, tag)->key)); }
  void u16(uint16_t tag, uint16_t value) {
    if (ok_) ok_ = out_.u16(tag, value);
  }
  void u32(uint16_t tag, uint32_t value) {
    if (ok_) ok_ = out_.u32(tag, value);
  }
  void f64(uint16_t tag, double value) {
    if (ok_) ok_ = out_.f64(tag, value);
  }
  void bytes(uint16_t tag, std::span<const uint8_t> value) {
    if (ok_) ok_ = out_.bytes(tag, value);
  }
  void empty(uint16_t tag) {
    if (ok_) ok_ = out_.empty(tag);
  }
  template <class Encoder>
  void stream(uint16_t tag, Encoder encode) {
    if (!ok_) return;
    Stream& payload = out_.payload();
    if (encode(payload)) ok_ = out_.payloadRecord(tag);
  }

 private:
  RecordWriter& out_;
  const vn::Style& style_;
  bool ok_ = true;
};

// "%hu" ids: written when the text gives one number that is not 0.
void writeShortId(InfoWriter& w, uint16_t tag, const vn::Style& style, const char* key) {
  const auto value = scanUnsigned16(style.names.stringValue(key));
  if (value && *value != 0) w.u16(tag, *value);
}

const std::vector<uint8_t>* findTable(const vn::Font& font, const char* tag) {
  auto it = font.tables.find(tag);
  return it == font.tables.end() ? nullptr : &it->second;
}

}  // namespace

bool writeFontInfoBlock(RecordWriter& out, const vn::Font& font, const vn::Style& style,
                        const FontInfoExtras& extras) {
  const vn::FontNames& names = style.names;
  const vn::FontMetrics& metrics = style.metrics;
  const vn::FontHinting& hinting = font.hinting;
  const vn::StyleFlags& flags = style.flags;
  InfoWriter w(out, style);

  w.empty(tag::kFontInfoBegin);
  std::string fontName = names.fontName;
  if (fontName.empty()) fontName = font.name;
  if (fontName.empty()) fontName = style.name;
  w.text(kFontName, fontName);
  w.u16(kMasterCount, 1);
  if (!font.masterValues.empty()) w.f64(kMasterValues, font.masterValues.front().value);
  int32_t integer = 0;
  if (style.findInteger(kUniqueIdKey, &integer) && integer != 0) w.u32(kUniqueId, static_cast<uint32_t>(integer));
  w.textIfAny(kVersionText, names.*(findField(kNameTextFields, kVersionText)->field));
  w.named(kDescription);
  w.nameText(kFullName);
  w.text(kMenuName, names.styleMapFamilyName);
  w.text(kFamilyName, names.familyName);
  w.text(kLinkingFamily, names.styleMapFamilyName);
  w.nameText(kMacName);
  w.nameText(kWeightName);
  w.nameText(kWidthName);
  w.named(kLicense);
  w.named(kLicenseUrl);
  w.named(kCopyright);
  w.named(kTrademark);
  w.named(kDesigner);
  w.named(kDesignerUrl);
  w.named(kVendorUrl);
  w.named(kSource);
  w.u16(kFixedPitch, flags.isFixedPitch ? 1 : 0);
  w.u16(kWeightValue, low16(metrics.weightValue));
  w.f64(kItalicAngle, metrics.italicAngle);
  w.f64(kSlantAngle, metrics.matrix.angle());
  w.u16(kUnderlinePosition,
        low16(metrics.underlinePosition - underlineHalfThickness(metrics.underlineThickness)));
  w.u16(kUnderlineThickness, low16(metrics.underlineThickness));
  w.namedInteger(kWindowsCharacterSet);
  const std::string panose = names.stringValue(kPanoseKey);
  if (!panose.empty()) w.bytes(kPanose, parsePanose(panose));
  w.named(kTrueTypeVersion);
  w.named(kUniqueIdText);
  w.text(kLinkingStyle, names.styleMapStyleName);
  w.text(kStyleName, names.styleName);
  w.nameText(kCompatibleFullName);
  w.named(kSampleText);
  const std::string vendor = names.stringValue(kVendorCodeKey);
  if (!vendor.empty() && vendor.size() <= 4) w.text(kVendorCode, vendor);

  std::vector<uint8_t> numbers;
  for (uint32_t value : flags.numberList) putLE<4>(numbers, value);
  w.bytes(kNumberList, numbers);
  w.u16(kNumberCount, static_cast<uint16_t>(std::count_if(flags.numberList.begin(), flags.numberList.end(),
                                                          [](uint32_t value) { return value != 0; })));
  w.namedInteger(kYear);
  if (!names.version.empty()) {
    if (const auto version = parseVersion(names.version)) {
      w.u16(kVersionMajor, static_cast<uint16_t>(version->first));
      w.u16(kVersionMinor, static_cast<uint16_t>(version->second));
    }
  }
  w.u16(kUnitsPerEm, low16(metrics.unitsPerEm));
  if (font.fileInfo.fondId != 0) w.u16(kFondId, font.fileInfo.fondId);
  w.u16(kFlag1093, hinting.flag1093 ? 1 : 0);

  // The counts are capped to what the metrics record's fields hold.
  std::vector<double> blues;
  for (const BlueCountField& field : kBlueCountFields) {
    const int32_t count = std::min(field.values(hinting, blues), field.cap);
    if (count != 0) w.u16(field.tag, static_cast<uint16_t>(count));
  }
  for (const auto& [tag, stems] : kStemCountFields) {
    if (!(hinting.*stems).empty()) w.u16(tag, static_cast<uint16_t>((hinting.*stems).size()));
  }

  int32_t selection = flags.selectionFlags.toMask();
  if (flags.isItalic) selection |= kSelectionItalic;
  if (flags.isBold) selection |= kSelectionBold;
  if (selection == 0) selection = kSelectionRegular;
  w.u16(kSelection, static_cast<uint16_t>(selection));
  for (size_t i = 0; i < kWrittenShortIds; ++i) writeShortId(w, kShortIdFields[i].tag, style, kShortIdFields[i].key);
  w.named(kPclCharSet);
  for (const auto& [tag, name] : kTableFields) {
    const std::vector<uint8_t>* table = findTable(font, name);
    if (table && !table->empty()) w.bytes(tag, *table);
  }
  if (!hinting.gaspRanges.empty()) {
    std::vector<uint8_t> gasp;
    for (const vn::GaspRange& range : hinting.gaspRanges) {
      putLE<2>(gasp, range.ppem);
      putLE<2>(gasp, static_cast<uint16_t>(range.flagMask()));
    }
    w.bytes(kGasp, gasp);
  }
  w.stream(kTrueTypeInfo, [&](Stream& s) { return encodeTrueTypeInfo(s, style, font); });
  w.stream(kTripletsField.tag, [&](Stream& s) { return kTripletsField.encode(s, hinting); });
  double number = 0;
  if (!metrics.findNumber(kHheaLineGapKey, &number)) number = metrics.typoLineGap;
  w.u16(kHheaLineGap, low16Rounded(number));
  for (const auto& [tag, key] : kHheaFields) {
    if (metrics.findNumber(key, &number)) w.u16(tag, low16Rounded(number));
  }
  if (!hinting.stemsH.empty() || !hinting.stemsV.empty()) {
    for (const HintingStreamField& field : kStemStreamFields) {
      w.stream(field.tag, [&](Stream& s) { return field.encode(s, hinting); });
    }
  }
  w.stream(kZonesField.tag, [&](Stream& s) { return kZonesField.encode(s, hinting); });

  std::vector<uint8_t> ranges;
  for (size_t word = 0; word < 4; ++word) {
    uint32_t bits = 0;
    for (size_t bit = 0; bit < 32; ++bit) {
      const size_t index = word * 32 + bit;
      if (index < style.tables.unicodeRanges.size() && style.tables.unicodeRanges[index]) {
        bits |= uint32_t{1} << bit;
      }
    }
    putLE<4>(ranges, bits);
  }
  w.bytes(kUnicodeRanges, ranges);
  for (const auto& [tag, index] : kParamFields) w.u16(tag, static_cast<uint16_t>(hinting.params4[index]));
  w.u16(kSpareValue, low16Rounded(metrics.spareValue));
  w.stream(kZoneSteps, [&](Stream& s) { return encodeZoneSteps(s, hinting); });
  w.stream(kNameRecords, [&](Stream& s) { return encodeNameRecords(s, style.tables.nameRecords); });
  if (style.extraRecord.absent == 0) {
    w.stream(kStyleRecord, [&](Stream& s) { return encodeStyleRecord(s, style.extraRecord); });
  }
  w.u16(kNativeFlag, style.options.nativeFlag ? 1 : 0);
  w.named(kNote);
  w.named(kDict);
  if (!style.opaqueBytes.empty()) w.bytes(kOpaqueBytes, style.opaqueBytes);
  if (!extras.kerningClassBlock.empty()) w.bytes(kClassFlags, extras.kerningClassBlock);
  if (extras.hasFeatureText) w.text(kFeatureText, extras.featureText);
  for (const auto& [name, definition] : extras.classDefinitions) {
    w.text(kClassDefinition, name + ": " + definition);
  }
  w.empty(tag::kFontInfoEnd);
  return w.ok();
}

}  // namespace qtf
