// The font-information block's regular records: which field each tag holds and how.
// The reader and the writer both go through these tables, so each pairing of a tag
// with its field lives here once; the writer keeps its own fixed record order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/blue_arrays.h"
#include "model/font_info.h"
#include "native/info_substreams.h"
#include "native/tags.h"

namespace qtf::info {

// Texts of the model's name fields.
struct NameTextField {
  uint16_t tag;
  std::string vn::FontNames::*field;
};
inline constexpr NameTextField kNameTextFields[] = {
    {tag::kFullName, &vn::FontNames::fullName},
    {tag::kMacName, &vn::FontNames::macName},
    {tag::kWeightName, &vn::FontNames::weightName},
    {tag::kWidthName, &vn::FontNames::widthName},
    {tag::kCompatibleFullName, &vn::FontNames::compatibleFullName},
    {tag::kVersionText, &vn::FontNames::version},
};

// Texts kept under a key of the names' named strings.
struct KeyedField {
  uint16_t tag;
  const char* key;
};
inline constexpr KeyedField kNamedTextFields[] = {
    {tag::kDescription, kDescriptionKey},   {tag::kLicense, kLicenseKey},
    {tag::kLicenseUrl, kLicenseUrlKey},     {tag::kCopyright, kCopyrightKey},
    {tag::kTrademark, kTrademarkKey},       {tag::kDesigner, kDesignerKey},
    {tag::kDesignerUrl, kDesignerUrlKey},   {tag::kVendorUrl, kVendorUrlKey},
    {tag::kSource, kSourceKey},             {tag::kTrueTypeVersion, kTrueTypeVersionKey},
    {tag::kUniqueIdText, kUidKey},          {tag::kSampleText, kSampleTextKey},
    {tag::kPclCharSet, kPclCharSetKey},     {tag::kNote, kNoteKey},
    {tag::kDict, kDictKey},
};

// 16-bit ids kept as decimal text under a key. Written in this order; the old id
// record is only read.
inline constexpr KeyedField kShortIdFields[] = {
    {tag::kPclId, kPclIdKey}, {tag::kVpId, kVpIdKey}, {tag::kMsId, kMsIdKey}, {tag::kMsIdOld, kMsIdKey}};
inline constexpr size_t kWrittenShortIds = 3;

// Unsigned 16-bit numbers kept under a key of the style's named integers (written
// when present and not negative).
inline constexpr KeyedField kNamedIntegerFields[] = {
    {tag::kWindowsCharacterSet, kWindowsCharacterSetKey}, {tag::kYear, kYearKey}};

// Stem snap counts: the file gives only how many stems there are.
struct StemCountField {
  uint16_t tag;
  std::vector<vn::Stem> vn::FontHinting::*stems;
};
inline constexpr StemCountField kStemCountFields[] = {
    {tag::kStemSnapHCount, &vn::FontHinting::stemsH2}, {tag::kStemSnapVCount, &vn::FontHinting::stemsV2}};

// Raw TrueType tables, written in this order when present.
inline constexpr KeyedField kTableFields[] = {
    {tag::kTableCvt, kCvtTable}, {tag::kTablePrep, kPrepTable}, {tag::kTableFpgm, kFpgmTable}};

// Signed 16-bit hhea numbers kept under a key of the metrics' named numbers (the line
// gap has its own steps).
inline constexpr KeyedField kHheaFields[] = {
    {tag::kHheaAscender, kHheaAscenderKey}, {tag::kHheaDescender, kHheaDescenderKey}};

// Signed 16-bit metrics, read as they stand (the writer has a rule for each).
struct MetricField {
  uint16_t tag;
  double vn::FontMetrics::*field;
};
inline constexpr MetricField kInt16MetricFields[] = {
    {tag::kAscender, &vn::FontMetrics::ascender},
    {tag::kDescender, &vn::FontMetrics::descender},
    {tag::kCapHeight, &vn::FontMetrics::capHeight},
    {tag::kXHeight, &vn::FontMetrics::xHeight},
    {tag::kUnderlinePosition, &vn::FontMetrics::underlinePosition},
    {tag::kUnderlineThickness, &vn::FontMetrics::underlineThickness},
    {tag::kUnderlineThickness, &vn::FontMetrics::underlineThickness},
    {tag::kSpareValue, &vn::FontMetrics::spareValue},
};

// Blue zone counts: the file doubles them; the writer caps each to its metrics field.
struct BlueCountField {
  uint16_t tag;
  const char* key;
  int32_t (*values)(const vn::FontHinting&, std::vector<double>&);
  int32_t cap;
};
inline const BlueCountField kBlueCountFields[] = {
    {tag::kBlueValuesCount, kBlueValuesCountKey, vn::blueValues, kBlueValuesSize},
    {tag::kOtherBluesCount, kOtherBluesCountKey, vn::otherBlues, kOtherBluesSize},
    {tag::kFamilyBluesCount, kFamilyBluesCountKey, vn::familyBlues, kBlueValuesSize},
    {tag::kFamilyOtherBluesCount, kFamilyOtherBluesCountKey, vn::familyOtherBlues, kOtherBluesSize},
};

// The four hinting parameters, in the order they are written.
struct ParamField {
  uint16_t tag;
  size_t index;
};
inline constexpr ParamField kParamFields[] = {
    {tag::kParamSecond, 1}, {tag::kParamFirst, 0}, {tag::kParamThird, 2}, {tag::kParamFourth, 3}};

// Hinting sub-streams with a plain decoder and encoder.
struct HintingStreamField {
  uint16_t tag;
  bool (*decode)(Stream&, vn::FontHinting&);
  bool (*encode)(Stream&, const vn::FontHinting&);
};
inline constexpr HintingStreamField kTripletsField = {tag::kTriplets, decodeTripletList, encodeTripletList};
// Written only when there are stems, in this order.
inline constexpr HintingStreamField kStemStreamFields[] = {
    {tag::kStemPairSteps, decodeStemPairSteps, encodeStemPairSteps},
    {tag::kStemSteps, decodeStemSteps, encodeStemSteps},
    {tag::kStemNames, decodeStemNames, encodeStemNames},
    {tag::kStemFirstStep, decodeStemFirstStep, encodeStemFirstStep},
};
inline constexpr HintingStreamField kZonesField = {tag::kZones, decodeTrueTypeZones, encodeZones};

template <class Field, size_t N>
const Field* findField(const Field (&fields)[N], uint16_t tag) {
  for (const Field& field : fields) {
    if (field.tag == tag) return &field;
  }
  return nullptr;
}

}  // namespace qtf::info
