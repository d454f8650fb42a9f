#include "ufo/fontinfo_keys.h"

#include <algorithm>
#include <array>

#include "model/numbers.h"
#include "model/style.h"
#include "model/style_names.h"

namespace ufo {

namespace {

using Form = FontInfoForm;
using Source = FontInfoSource;
using Presence = FontInfoPresence;
using Rule = FontInfoRule;
using vn::FontMetrics;
using vn::FontNames;

constexpr FontInfoLimits kInteger{true, false, 0};
constexpr FontInfoLimits kNonNegativeInteger{true, true, 0};
constexpr FontInfoLimits kNonNegative{false, true, 0};

constexpr FontInfoKey nameField(std::string_view key, std::string FontNames::*field, Presence presence,
                                Rule rule = Rule::kNone) {
  return FontInfoKey{key, Form::kString, Source::kNameField, presence, rule, {}, field, nullptr, -1, {}};
}

constexpr FontInfoKey metricsField(std::string_view key, double FontMetrics::*field, int8_t metric,
                                   FontInfoLimits limits = {}) {
  return FontInfoKey{key, Form::kNumber, Source::kMetricsField, Presence::kAlways, Rule::kNone, {}, nullptr,
                     field, metric, limits};
}

constexpr FontInfoKey namedString(std::string_view key, std::string_view modelKey) {
  return FontInfoKey{key, Form::kString, Source::kNamedString, Presence::kPresent, Rule::kNone, modelKey};
}

constexpr FontInfoKey namedNumber(std::string_view key, std::string_view modelKey,
                                  FontInfoLimits limits = kInteger) {
  return FontInfoKey{key,      Form::kNumber, Source::kNamedNumber, Presence::kPresent, Rule::kNone,
                     modelKey, nullptr,       nullptr,              -1,                 limits};
}

constexpr FontInfoKey namedInteger(std::string_view key, std::string_view modelKey,
                                   FontInfoLimits limits = kInteger) {
  return FontInfoKey{key,      Form::kInteger, Source::kNamedInteger, Presence::kPresent, Rule::kNone,
                     modelKey, nullptr,        nullptr,               -1,                 limits};
}

constexpr FontInfoKey derived(std::string_view key, Form form, Rule rule, int32_t maxCount = 0,
                              std::string_view modelKey = {}) {
  return FontInfoKey{key, form, Source::kDerived, Presence::kRule, rule, modelKey, nullptr, nullptr, -1,
                     FontInfoLimits{false, false, maxCount}};
}

constexpr std::array kKeys = {
    metricsField("ascender", &FontMetrics::ascender, 0),
    metricsField("capHeight", &FontMetrics::capHeight, 5),
    namedString("copyright", "copyright"),
    metricsField("descender", &FontMetrics::descender, 1),
    nameField("familyName", &FontNames::familyName, Presence::kAlways),
    metricsField("italicAngle", &FontMetrics::italicAngle, 9),
    derived("openTypeHeadCreated", Form::kString, Rule::kHeadCreated),
    derived("openTypeHeadFlags", Form::kArray, Rule::kHeadFlags),
    namedInteger("openTypeHeadLowestRecPPEM", "ftagHEAD_LOWESTRECPPEM", kNonNegativeInteger),
    namedString("note", "note"),
    namedNumber("openTypeHheaAscender", "hhea_ascender"),
    namedNumber("openTypeHheaCaretOffset", "hhea_caret_offset"),
    namedNumber("openTypeHheaCaretSlopeRise", "hhea_caret_slope_rise"),
    namedNumber("openTypeHheaCaretSlopeRun", "hhea_caret_slope_run"),
    namedNumber("openTypeHheaDescender", "hhea_descender"),
    namedNumber("openTypeHheaLineGap", "hhea_line_gap"),
    namedNumber("openTypeVheaVertTypoAscender", "vhea_ascender"),
    namedNumber("openTypeVheaCaretOffset", "vhea_caret_offset"),
    namedNumber("openTypeVheaCaretSlopeRise", "vhea_caret_slope_rise"),
    namedNumber("openTypeVheaCaretSlopeRun", "vhea_caret_slope_run"),
    namedNumber("openTypeVheaVertTypoDescender", "vhea_descender"),
    namedNumber("openTypeVheaVertTypoLineGap", "vhea_line_gap"),
    nameField("openTypeNameCompatibleFullName", &FontNames::compatibleFullName, Presence::kRule,
              Rule::kCompatibleFullName),
    namedString("openTypeNameDesigner", "designer"),
    namedString("openTypeNameDesignerURL", "url_designer"),
    namedString("openTypeNameLicense", "license"),
    namedString("openTypeNameLicenseURL", "url_license"),
    namedString("openTypeNameManufacturer", "source"),
    namedString("openTypeNameManufacturerURL", "url_vendor"),
    namedString("openTypeNameDescription", "description"),
    FontInfoKey{"openTypeNamePreferredFamilyName", Form::kString, Source::kNamedString, Presence::kRule,
                Rule::kPreferredFamilyName, "pref_family"},
    FontInfoKey{"openTypeNamePreferredSubfamilyName", Form::kString, Source::kNamedString, Presence::kRule,
                Rule::kPreferredSubfamilyName, "pref_subfamily"},
    namedString("openTypeNameSampleText", "sample_text"),
    namedString("openTypeNameWWSFamilyName", "wws_family"),
    namedString("openTypeNameWWSSubfamilyName", "wws_subfamily"),
    namedString("openTypeNameUniqueID", "uid"),
    namedString("openTypeNameVersion", "tt_version"),
    derived("openTypeOS2CodePageRanges", Form::kArray, Rule::kCodePageRanges),
    FontInfoKey{"openTypeOS2FamilyClass", Form::kArray, Source::kNamedInteger, Presence::kRule,
                Rule::kFamilyClass, "ibm_family_class"},
    FontInfoKey{"openTypeOS2Panose", Form::kArray, Source::kNamedString, Presence::kRule, Rule::kPanose,
                "panose"},
    derived("openTypeOS2Selection", Form::kArray, Rule::kSelection),
    namedNumber("openTypeOS2StrikeoutPosition", "strikeout_position"),
    namedNumber("openTypeOS2StrikeoutSize", "strikeout_size"),
    namedNumber("openTypeOS2SubscriptXOffset", "subscript_x_offset"),
    namedNumber("openTypeOS2SubscriptXSize", "subscript_x_size"),
    namedNumber("openTypeOS2SubscriptYOffset", "subscript_y_offset"),
    namedNumber("openTypeOS2SubscriptYSize", "subscript_y_size"),
    namedNumber("openTypeOS2SuperscriptXOffset", "superscript_x_offset"),
    namedNumber("openTypeOS2SuperscriptXSize", "superscript_x_size"),
    namedNumber("openTypeOS2SuperscriptYOffset", "superscript_y_offset"),
    namedNumber("openTypeOS2SuperscriptYSize", "superscript_y_size"),
    derived("openTypeOS2Type", Form::kArray, Rule::kEmbedding),
    metricsField("openTypeOS2TypoAscender", &FontMetrics::ascender, 0, kInteger),
    metricsField("openTypeOS2TypoDescender", &FontMetrics::descender, 1, kInteger),
    metricsField("openTypeOS2TypoLineGap", &FontMetrics::typoLineGap, 2, kInteger),
    derived("openTypeOS2UnicodeRanges", Form::kArray, Rule::kUnicodeRanges),
    namedString("openTypeOS2VendorID", "vendor_code"),
    derived("openTypeOS2WeightClass", Form::kInteger, Rule::kWeightClass),
    // The conventions number the width classes 1 to 9.
    FontInfoKey{"openTypeOS2WidthClass", Form::kInteger, Source::kDerived, Presence::kRule, Rule::kWidthClass, {},
                nullptr, nullptr, -1, FontInfoLimits{true, false, 0, 1, 9}},
    metricsField("openTypeOS2WinAscent", &FontMetrics::winAscent, 3, kNonNegativeInteger),
    metricsField("openTypeOS2WinDescent", &FontMetrics::winDescent, 4, kNonNegativeInteger),
    derived("postscriptBlueFuzz", Form::kInteger, Rule::kBlueFuzz),
    derived("postscriptBlueScale", Form::kReal, Rule::kBlueScale),
    derived("postscriptBlueShift", Form::kInteger, Rule::kBlueShift),
    derived("postscriptBlueValues", Form::kArray, Rule::kBlueValues, 14),
    namedInteger("postscriptUniqueID", "postscriptUniqueID"),
    namedNumber("postscriptDefaultWidthX", "postscriptDefaultWidthX", FontInfoLimits{}),
    namedNumber("postscriptNominalWidthX", "postscriptNominalWidthX", FontInfoLimits{}),
    namedString("postscriptDefaultCharacter", "postscriptDefaultCharacter"),
    derived("postscriptFamilyBlues", Form::kArray, Rule::kFamilyBlues, 14),
    derived("postscriptFamilyOtherBlues", Form::kArray, Rule::kFamilyOtherBlues, 10),
    nameField("postscriptFontName", &FontNames::fontName, Presence::kAlways),
    derived("postscriptForceBold", Form::kBoolean, Rule::kForceBold),
    nameField("postscriptFullName", &FontNames::fullName, Presence::kNotEmpty),
    derived("postscriptIsFixedPitch", Form::kBoolean, Rule::kIsFixedPitch),
    derived("postscriptOtherBlues", Form::kArray, Rule::kOtherBlues, 10),
    derived("postscriptStemSnapH", Form::kArray, Rule::kStemSnapH, 12),
    derived("postscriptStemSnapV", Form::kArray, Rule::kStemSnapV, 12),
    metricsField("postscriptUnderlinePosition", &FontMetrics::underlinePosition, 10),
    metricsField("postscriptUnderlineThickness", &FontMetrics::underlineThickness, 11),
    nameField("postscriptWeightName", &FontNames::weightName, Presence::kNotEmpty),
    // The conventions number the Windows character sets 1 to 20.
    namedInteger("postscriptWindowsCharacterSet", "postscriptWindowsCharacterSet",
                 FontInfoLimits{true, false, 0, 1, 20}),
    nameField("styleMapFamilyName", &FontNames::styleMapFamilyName, Presence::kAlways),
    derived("styleMapStyleName", Form::kString, Rule::kStyleMapStyleName),
    nameField("styleName", &FontNames::styleName, Presence::kAlways),
    namedString("trademark", "trademark"),
    metricsField("unitsPerEm", &FontMetrics::unitsPerEm, -1, kNonNegative),
    // The version's parts go through the named integers that make the version text.
    derived("versionMajor", Form::kInteger, Rule::kVersionMajor, 0, "revision_major"),
    derived("versionMinor", Form::kInteger, Rule::kVersionMinor, 0, "revision_minor"),
    namedInteger("year", "year"),
    metricsField("xHeight", &FontMetrics::xHeight, 6),
    nameField("macintoshFONDName", &FontNames::macName, Presence::kNotEmpty),
    derived("macintoshFONDFamilyID", Form::kInteger, Rule::kFondFamilyId),
};
static_assert(kKeys.size() == 93);

struct Alias {
  std::string_view oldKey;
  std::string_view key;
};

constexpr std::array<Alias, 15> kAliases = {{
    {"menuName", "styleMapFamilyName"},
    {"weightValue", "openTypeOS2WeightClass"},
    {"designer", "openTypeNameDesigner"},
    {"designerURL", "openTypeNameDesignerURL"},
    {"createdBy", "openTypeNameManufacturer"},
    {"vendorURL", "openTypeNameManufacturerURL"},
    {"license", "openTypeNameLicense"},
    {"licenseURL", "openTypeNameLicenseURL"},
    {"ttVersion", "openTypeNameVersion"},
    {"ttUniqueID", "openTypeNameUniqueID"},
    {"notice", "openTypeNameDescription"},
    {"otFamilyName", "openTypeNamePreferredFamilyName"},
    {"otStyleName", "openTypeNamePreferredSubfamilyName"},
    {"otMacName", "openTypeNameCompatibleFullName"},
    {"ttVendor", "openTypeOS2VendorID"},
}};

const FontInfoKey* findExact(std::string_view key) {
  for (const FontInfoKey& entry : kKeys) {
    if (entry.key == key) return &entry;
  }
  return nullptr;
}

}  // namespace

std::span<const FontInfoKey> fontInfoKeys() { return kKeys; }

const FontInfoKey* findFontInfoKey(std::string_view key) {
  if (const FontInfoKey* entry = findExact(key)) return entry;
  for (const Alias& alias : kAliases) {
    if (alias.oldKey == key) return findExact(alias.key);
  }
  return nullptr;
}

bool nativeFileCarries(std::string_view key) {
  static constexpr std::string_view kNotCarried[] = {
      "openTypeHheaCaretOffset",     "openTypeHheaCaretSlopeRise",    "openTypeHheaCaretSlopeRun",
      "openTypeVheaVertTypoAscender", "openTypeVheaVertTypoDescender", "openTypeVheaVertTypoLineGap",
      "openTypeVheaCaretOffset",     "openTypeVheaCaretSlopeRise",    "openTypeVheaCaretSlopeRun",
      "openTypeNameWWSFamilyName",   "openTypeNameWWSSubfamilyName",  "postscriptDefaultWidthX",
      "postscriptNominalWidthX",
  };
  return std::find(std::begin(kNotCarried), std::end(kNotCarried), key) == std::end(kNotCarried);
}

std::optional<std::string> fontInfoText(const FontInfoKey& entry, const vn::FontNames& names) {
  switch (entry.source) {
    case Source::kNameField:
      return names.*entry.nameField;
    case Source::kNamedString: {
      auto it = names.namedStrings.find(std::string(entry.modelKey));
      if (it == names.namedStrings.end()) return std::nullopt;
      return it->second;
    }
    default:
      return std::nullopt;
  }
}

std::optional<std::string> fontInfoText(const FontInfoKey& entry, const vn::Style& style) {
  return fontInfoText(entry, style.names);
}

std::optional<double> fontInfoNumber(const FontInfoKey& entry, const vn::Style& style) {
  switch (entry.source) {
    case Source::kMetricsField:
      return style.metrics.*entry.metricsField;
    case Source::kNamedNumber: {
      auto it = style.metrics.namedNumbers.find(std::string(entry.modelKey));
      if (it == style.metrics.namedNumbers.end()) return std::nullopt;
      return it->second;
    }
    case Source::kNamedInteger: {
      auto it = style.namedIntegers.find(std::string(entry.modelKey));
      if (it == style.namedIntegers.end()) return std::nullopt;
      return it->second;
    }
    default:
      return std::nullopt;
  }
}

bool setFontInfoText(const FontInfoKey& entry, vn::Style& style, const std::string& text) {
  switch (entry.source) {
    case Source::kNameField:
      style.names.*entry.nameField = text;
      return true;
    case Source::kNamedString:
      style.names.namedStrings[std::string(entry.modelKey)] = text;
      return true;
    default:
      return false;
  }
}

bool setFontInfoNumber(const FontInfoKey& entry, vn::Style& style, double value) {
  switch (entry.source) {
    case Source::kMetricsField:
      style.metrics.*entry.metricsField = value;
      return true;
    case Source::kNamedNumber:
      style.metrics.namedNumbers[std::string(entry.modelKey)] = value;
      return true;
    case Source::kNamedInteger:
      style.namedIntegers[std::string(entry.modelKey)] = vn::saturateInt32(value);
      return true;
    default:
      return false;
  }
}

const char* styleMapStyleText(const vn::StyleFlags& flags) {
  return flags.isBold && flags.isItalic ? "bold italic"
         : flags.isItalic              ? "italic"
         : flags.isBold                ? "bold"
                                       : "regular";
}

int weightClassOf(const vn::Style& style) {
  // A weight value other than the default was read as a class (from a UFO or the native
  // weight record) and goes back unchanged; the name's class fills in only for the
  // default, since the name of 350 would give 300.
  int weightClass = vn::roundToInt32(style.metrics.weightValue);
  if (style.metrics.weightValue == vn::kDefaultWeightValue) {
    int length = 0;
    int named = 0;
    if (vn::weightClassForName(style.names.weightName, length, named) >= 0) weightClass = named;
  }
  return weightClass;
}

}  // namespace ufo
