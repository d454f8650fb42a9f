// The keys of "fontinfo.plist": one table, in the order the writer emits them, that
// says for every key where the model keeps its value, how the value is written and
// when the key is left out. The writer walks the table; the reader looks keys (and
// their older spellings) up in it and stores values through the same accessors.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/font_info.h"

namespace vn {
class Style;
}

namespace ufo {

// Value element of a key as written.
enum class FontInfoForm : uint8_t {
  kNumber,   // <integer> when integral, else <real>
  kInteger,  // <integer>
  kReal,     // <real>
  kString,   // <string>, escaped
  kBoolean,  // <true/> or <false/>
  kArray,    // <array> of <integer>
};

// Where the model keeps the value.
enum class FontInfoSource : uint8_t {
  kNameField,     // a string field of vn::FontNames (nameField)
  kMetricsField,  // a double field of vn::FontMetrics (metricsField)
  kNamedString,   // vn::FontNames::namedStrings[modelKey]
  kNamedNumber,   // vn::FontMetrics::namedNumbers[modelKey]
  kNamedInteger,  // vn::Style::namedIntegers[modelKey]
  kDerived,       // computed by a rule of its own (rule)
};

// When the writer emits the key.
enum class FontInfoPresence : uint8_t {
  kAlways,
  kPresent,   // the named map holds the key (even an empty text or a zero)
  kNotEmpty,  // the text is not empty / the array has an element
  kRule,      // decided by the key's rule
};

// Keys whose value the writer computes.
enum class FontInfoRule : uint8_t {
  kNone,
  kHeadCreated,
  kHeadFlags,
  kCompatibleFullName,
  kPreferredFamilyName,
  kPreferredSubfamilyName,
  kCodePageRanges,
  kFamilyClass,
  kPanose,
  kSelection,
  kEmbedding,
  kUnicodeRanges,
  kWeightClass,
  kWidthClass,
  kBlueFuzz,
  kBlueScale,
  kBlueShift,
  kBlueValues,
  kFamilyBlues,
  kFamilyOtherBlues,
  kForceBold,
  kIsFixedPitch,
  kOtherBlues,
  kStemSnapH,
  kStemSnapV,
  kStyleMapStyleName,
  kVersionMajor,
  kVersionMinor,
  kFondFamilyId,
};

// Limits the UFO conventions put on a value; a value outside them is not written
// (integer-valued numbers are rounded first).
struct FontInfoLimits {
  bool integerValued = false;  // the conventions want an integer
  bool nonNegative = false;
  int32_t maxCount = 0;        // arrays: most elements (0: no limit)
  // The range the conventions allow.
  double low = -std::numeric_limits<double>::infinity();
  double high = std::numeric_limits<double>::infinity();

  constexpr bool allows(double value) const { return !(nonNegative && value < 0) && value >= low && value <= high; }
};

struct FontInfoKey {
  std::string_view key;
  FontInfoForm form;
  FontInfoSource source;
  FontInfoPresence presence;
  FontInfoRule rule = FontInfoRule::kNone;
  std::string_view modelKey = {};  // key in a named map
  std::string vn::FontNames::*nameField = nullptr;
  double vn::FontMetrics::*metricsField = nullptr;
  // The reader's numbered metric (0 ascender ... 11 underline thickness) that the key
  // sets once all keys are read; -1 when none.
  int8_t metricNumber = -1;
  FontInfoLimits limits = {};
};

// Every key in the order the writer emits them.
std::span<const FontInfoKey> fontInfoKeys();

// The entry of a key as written, or of one of its older spellings ("menuName",
// "designer", "ttVendor", ...); null for an unknown key. Comparison is exact.
const FontInfoKey* findFontInfoKey(std::string_view key);

// False for the keys the reader keeps in the style but the native file has no place
// for (the hhea caret values, the vhea values, the WWS names, the CFF widths): a
// conversion to a native file says it leaves them out.
bool nativeFileCarries(std::string_view key);

// Reading and storing a value through the entry's source (kNameField,
// kMetricsField and the three named maps); other sources give nullopt / false.
std::optional<std::string> fontInfoText(const FontInfoKey& entry, const vn::FontNames& names);
std::optional<std::string> fontInfoText(const FontInfoKey& entry, const vn::Style& style);
std::optional<double> fontInfoNumber(const FontInfoKey& entry, const vn::Style& style);
bool setFontInfoText(const FontInfoKey& entry, vn::Style& style, const std::string& text);
bool setFontInfoNumber(const FontInfoKey& entry, vn::Style& style, double value);

// The "styleMapStyleName" text of the style-linking switches: "regular", "bold",
// "italic" or "bold italic".
const char* styleMapStyleText(const vn::StyleFlags& flags);

// The "openTypeOS2WeightClass" of a style: its weight value, or for the default value
// the class its weight name stands for; negative for none.
int weightClassOf(const vn::Style& style);

}  // namespace ufo
