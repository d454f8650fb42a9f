// What a conversion to a native file does to fontinfo values it keeps in another form:
// preferred names folded into the family and style names, a compatible full name the same
// as the full name, names, a creation time and a weight it must hold and the source lacks
// or gives otherwise, and the blue pairs its arrays move, leave out or add.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

#include "model/font.h"
#include "model/numbers.h"
#include "model/style.h"
#include "ufo/fontinfo_held.h"
#include "ufo/fontinfo_keys.h"
#include "ufo/fontinfo_reader.h"
#include "ufo/fontinfo_writer.h"
#include "ufo/plist_parser.h"
#include "ufo/reader_warnings.h"

namespace ufo {

namespace {

using Node = rapidxml::xml_node<char>;

std::string_view nameOf(const Node* node) { return {node->name(), node->name_size()}; }

// A written value as the changes line shows it: text quoted, numbers as written, a
// list as its numbers.
std::string shownValue(const Node* value) {
  const std::string_view name = nameOf(value);
  const std::string text(value->value(), value->value_size());
  if (name == "string") return "\"" + text + "\"";
  if (name == "array") {
    std::string shown;
    for (const Node* item = value->first_node(); item; item = item->next_sibling()) {
      if (!shown.empty()) shown += ' ';
      shown.append(item->value(), item->value_size());
    }
    return shown.empty() ? "(empty)" : shown;
  }
  if (name == "true" || name == "false") return std::string(name);
  return text;
}

// Why a value comes back otherwise.
constexpr const char* kWholeUnits = " (the native format holds whole units)";
constexpr const char* kBeyondRange = " (beyond the range the native format holds)";
constexpr const char* kZeroForNone = " (the native format takes 0 for none)";
constexpr const char* kOutsideUfoRange = " (outside the range the UFO format allows)";

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// The style's metrics and names as the native file gives them back, for as long as
// this lives.
class HeldValuesInPlace {
 public:
  explicit HeldValuesInPlace(vn::Style& style) : style_(style), metrics_(style.metrics), names_(style.names) {
    style_.metrics = heldMetrics(metrics_);
    style_.names = heldNames(names_);
  }
  ~HeldValuesInPlace() {
    style_.metrics = std::move(metrics_);
    style_.names = std::move(names_);
  }
  HeldValuesInPlace(const HeldValuesInPlace&) = delete;
  HeldValuesInPlace& operator=(const HeldValuesInPlace&) = delete;

 private:
  vn::Style& style_;
  vn::FontMetrics metrics_;
  vn::FontNames names_;
};

// Named on the line of the metrics taken from the glyphs' bounds.
bool namedWithDerivedMetrics(std::string_view key) {
  return key == "openTypeOS2WinAscent" || key == "openTypeOS2WinDescent";
}

}  // namespace

// The native file has no place of its own for the preferred names: the family goes
// through "familyName" and the subfamily through "styleName". A value that cannot go
// there is named with the keys left out.
void FontInfoReader::notePreferredNames() {
  const vn::FontNames& names = style_->names;
  const auto family = names.namedStrings.find(kPreferredFamilyKey);
  if (family != names.namedStrings.end() && family->second != names.familyName) {
    notRead("openTypeNamePreferredFamilyName");
  }
  const auto subfamily = names.namedStrings.find(kPreferredSubfamilyKey);
  if (subfamily != names.namedStrings.end() && styleNameText_ && *styleNameText_ != subfamily->second) {
    notRead(names.styleName == subfamily->second ? kStyleNameKey : "openTypeNamePreferredSubfamilyName");
  }
}

void FontInfoReader::noteChangedValues() {
  if (!warnings_) return;
  const vn::FontNames& names = style_->names;
  // A preferred name travels as the family or style name; a UFO written from the native
  // file gives the preferred key exactly where that name differs from the linking name.
  // (Preferred names that differ from the family or style name are named with the keys
  // left out.)
  const auto family = names.namedStrings.find(kPreferredFamilyKey);
  const std::string heldFamily = heldNames(names).familyName;
  const bool familyWritten = heldFamily != names.styleMapFamilyName;
  if (family == names.namedStrings.end()) {
    if (familyWritten) changed("openTypeNamePreferredFamilyName " + quoted(heldFamily) + " added");
  } else if (family->second == names.familyName && !familyWritten) {
    changed("openTypeNamePreferredFamilyName left out (the same as familyName)");
  }
  const auto subfamily = names.namedStrings.find(kPreferredSubfamilyKey);
  const bool subfamilyWritten = names.styleName != names.styleMapStyleName;
  const bool styleNameLost = styleNameText_ && *styleNameText_ != names.styleName;
  if (subfamily == names.namedStrings.end()) {
    if (subfamilyWritten) changed("openTypeNamePreferredSubfamilyName " + quoted(names.styleName) + " added");
  } else if (!styleNameLost && subfamily->second == names.styleName && !subfamilyWritten) {
    changed("openTypeNamePreferredSubfamilyName left out (the same as styleName)");
  }
  // The UFO writer gives the compatible full name only where it says something of its own.
  if (compatibleFullNameText_ && names.compatibleFullName.empty()) {
    changed("openTypeNameCompatibleFullName left out (empty)");
  } else if (compatibleFullNameText_ && names.compatibleFullName == names.fullName) {
    changed("openTypeNameCompatibleFullName left out (the same as postscriptFullName)");
  }
  // The style-linking names are always held.
  if (!styleMapFamilyText_) {
    if (!names.styleMapFamilyName.empty()) changed("styleMapFamilyName " + quoted(names.styleMapFamilyName) + " added");
  } else if (*styleMapFamilyText_ != names.styleMapFamilyName) {
    changed("styleMapFamilyName " + quoted(*styleMapFamilyText_) + " becomes " + quoted(names.styleMapFamilyName));
  }
  if (!styleMapStyleGiven_) changed("styleMapStyleName " + quoted(styleMapStyleText(style_->flags)) + " added");
  if (!createdGiven_) changed("openTypeHeadCreated set to the time of the conversion");
  noteBlueChanges();
  // The weight class and its name are always held; a class of 400 (the default) takes
  // the class of the name.
  const int weightClass = weightClassOf(*style_);
  if (!weightClassGiven_) {
    if (weightClass >= 0) changed("openTypeOS2WeightClass " + vn::formatInteger(weightClass) + " added");
  } else if (weightClassRead_ && *weightClassRead_ != weightClass) {
    changed("openTypeOS2WeightClass " + vn::formatInteger(*weightClassRead_) + " becomes " +
            vn::formatInteger(weightClass) + " (the class of postscriptWeightName " + quoted(names.weightName) + ")");
  }
  if (!weightNameText_) {
    if (!names.weightName.empty()) changed("postscriptWeightName " + quoted(names.weightName) + " added");
  } else if (*weightNameText_ != names.weightName) {
    changed("postscriptWeightName " + quoted(*weightNameText_) + " becomes " + quoted(names.weightName));
  }
  noteHeldValues();
  noteHeldTexts();
  noteAddedKeys();
}

void FontInfoReader::noteHeldValues() {
  const vn::FontMetrics held = heldMetrics(style_->metrics);
  auto valueIn = [](const FontInfoKey& entry, const vn::FontMetrics& metrics) -> std::optional<double> {
    if (entry.source == FontInfoSource::kMetricsField) return metrics.*entry.metricsField;
    double value = 0;
    if (entry.source == FontInfoSource::kNamedNumber && metrics.findNumber(std::string(entry.modelKey), &value)) {
      return value;
    }
    return std::nullopt;
  };
  for (const FontInfoKey& entry : fontInfoKeys()) {
    const auto given = givenNumbers_.find(std::string(entry.key));
    if (given == givenNumbers_.end() || !nativeFileCarries(entry.key)) continue;
    const std::optional<double> kept = valueIn(entry, style_->metrics);
    const std::optional<double> back = valueIn(entry, held);
    // A value another key replaced is named on the line of shared metrics.
    if (!kept || !back || *kept != given->second || *back == *kept) continue;
    const char* why = !vn::isIntegral(*kept) ? kWholeUnits
                      : entry.metricsField == &vn::FontMetrics::typoLineGap
                          ? " (the native format reads a typo line gap of 0 as the hhea line gap)"
                          : kBeyondRange;
    changed(std::string(entry.key) + " " + vn::formatShortest(*kept) + " becomes " + vn::formatShortest(*back) +
            why);
  }
  for (const std::string& item : heldArrays_) changed(item);
  // Integers: read as their integer part, held by the native file in a field of its
  // own size (the version's parts and the year in 16 bits), written back within the
  // range the UFO format allows.
  for (const auto& [key, given] : givenIntegers_) {
    const FontInfoKey* entry = findFontInfoKey(key);
    if (namedKeys_.count(key) || !entry) continue;
    const double kept = std::trunc(given);
    std::optional<double> back = kept;
    const char* why = kWholeUnits;
    std::int32_t value = 0;
    if (!entry->modelKey.empty() && style_->findInteger(std::string(entry->modelKey), &value)) {
      const std::optional<std::int32_t> held = heldInteger(entry->modelKey, value);
      if (held != value) {
        back = held ? std::optional<double>(*held) : std::nullopt;
        why = held || value != 0 ? kBeyondRange : kZeroForNone;
      }
    } else if (entry->rule == FontInfoRule::kFondFamilyId && kept == 0) {
      back.reset();
      why = kZeroForNone;
    }
    if (back && !entry->limits.allows(*back)) {
      back.reset();
      why = kOutsideUfoRange;
    }
    if (back == given) continue;
    changed(key + " " + vn::formatShortest(given) + (back ? " becomes " + vn::formatShortest(*back) : " left out") +
            why);
  }
}

void FontInfoReader::noteHeldNumbers(std::string_view key, const std::vector<double>& given,
                                     const std::vector<std::int32_t>& kept, std::size_t most) {
  auto listed = [](auto begin, auto end) {
    std::string text;
    for (auto number = begin; number != end; ++number) text += (text.empty() ? "" : " ") + vn::formatShortest(*number);
    return text;
  };
  const std::string name(key);
  if (!std::equal(given.begin(), given.end(), kept.begin(), kept.end())) {
    heldArrays_.push_back(name + " " + listed(given.begin(), given.end()) + " becomes " +
                          listed(kept.begin(), kept.end()) + kWholeUnits);
  }
  if (most > 0 && kept.size() > most) {
    heldArrays_.push_back(name + " " + listed(kept.begin() + static_cast<std::ptrdiff_t>(most), kept.end()) +
                          " left out (the native format holds at most " + vn::formatInteger(most) + ")");
  }
}

void FontInfoReader::noteHeldTexts() {
  const vn::FontNames held = heldNames(style_->names);
  for (const FontInfoKey& entry : fontInfoKeys()) {
    const auto given = givenTexts_.find(std::string(entry.key));
    if (given == givenTexts_.end() || namedKeys_.count(given->first) || !nativeFileCarries(entry.key) ||
        (entry.rule != FontInfoRule::kNone && entry.rule != FontInfoRule::kPanose)) {
      continue;
    }
    std::optional<std::string> back = fontInfoText(entry, held);
    if (back && back->empty() && entry.presence == FontInfoPresence::kNotEmpty) back.reset();
    if (back == given->second) continue;
    if (entry.rule == FontInfoRule::kPanose) {
      changed(given->first + " " + given->second + " becomes " + *back + kBeyondRange);
    } else if (given->second.empty()) {
      changed(given->first + (back ? " \"\" becomes " + quoted(*back) : " left out (empty)"));
    } else if (!back) {  // a vendor ID past its length
      changed(given->first + " " + quoted(given->second) + " left out (the native format holds at most " +
              vn::formatInteger(kMaxHeldVendorId) + " characters)");
    }
  }
}

void FontInfoReader::noteAddedKeys() {
  // What the UFO writer gives for the font as read is what a UFO written from the
  // native file gives: the keys it adds are found by writing them.
  // The metrics as the native file gives them back.
  std::string text = "<plist><dict>";
  {
    const HeldValuesInPlace held(*style_);
    FontInfoWriter(font_, style_).appendKeys(text);
  }
  text += "</dict></plist>";
  PListDocument document;
  if (!PListParser().parseText(std::move(text), document) || !document.rootDict()) return;
  for (const Node* key = document.rootDict()->first_node(); key; key = key->next_sibling()) {
    const Node* value = key->next_sibling();
    if (!value) break;
    const std::string name(key->value(), key->value_size());
    if (!givenKeys_.count(name) && !namedKeys_.count(name) && !namedWithDerivedMetrics(name)) {
      changed(name + " " + shownValue(value) + " added");
    }
    key = value;
  }
  // The native file always holds an hhea line gap: without one of its own, the typo
  // line gap in 16 bits.
  constexpr const char* kHheaLineGap = "openTypeHheaLineGap";
  if (!givenKeys_.count(kHheaLineGap) && !namedKeys_.count(kHheaLineGap)) {
    const auto held = static_cast<std::int16_t>(vn::roundToInt32(style_->metrics.typoLineGap));
    changed(std::string(kHheaLineGap) + " " + vn::formatInteger(held) + " added");
  }
}

void FontInfoReader::changed(const std::string& item) {
  // The key an item starts with, and the one a value moves to, count as named.
  namedKeys_.insert(item.substr(0, item.find(' ')));
  constexpr std::string_view kMovedTo = " moved to ";
  if (const size_t moved = item.find(kMovedTo); moved != std::string::npos) {
    const size_t start = moved + kMovedTo.size();
    namedKeys_.insert(item.substr(start, item.find(' ', start) - start));
  }
  if (warnings_) warnings_->listEvery(warning::kFontInfoChanges, warning::kFontInfoChangesLine, item);
}

}  // namespace ufo
