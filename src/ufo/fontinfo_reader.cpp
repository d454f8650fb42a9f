#include "ufo/fontinfo_reader.h"

#include <tuple>

#include <array>
#include <cstdio>
#include <optional>

#include "model/font.h"
#include "model/numbers.h"
#include "model/style.h"
#include "model/style_names.h"
#include "ufo/fontinfo_keys.h"
#include "ufo/glyph_lib_parsers.h"
#include "ufo/plist_node.h"
#include "ufo/plist_parser.h"
#include "ufo/reader_text.h"
#include "ufo/reader_warnings.h"

namespace ufo {
namespace {

using Rule = FontInfoRule;
using Source = FontInfoSource;
using Node = rapidxml::xml_node<char>;

constexpr std::int32_t kCodePageBits = 64;
constexpr std::int32_t kUnicodeRangeBits = 128;
constexpr std::int32_t kMaxFamilyClass = 14;
constexpr std::int32_t kMaxFamilySubclass = 15;
constexpr std::int32_t kPanoseDigits = 10;
constexpr double kMaxUnitsPerEm = 65535.0;

std::string_view nameOf(const Node* node) { return {node->name(), node->name_size()}; }

// Children named "integer" (or "real") of an "array" value, as integers; elements of
// other names and texts that are no number are skipped. `given` (when not null) gets
// each number as the file gives it, fraction included.
std::vector<std::int32_t> integerList(const Node* value, std::vector<double>* given = nullptr) {
  std::vector<std::int32_t> numbers;
  if (!value || nameOf(value) != "array") return numbers;
  for (const Node* child = value->first_node(); child; child = child->next_sibling()) {
    if (child->type() != rapidxml::node_element) continue;
    const std::string_view name = nameOf(child);
    if (name != "integer" && name != "real") continue;
    const std::string text = elementText(child);
    if (auto number = readInteger(text)) {
      numbers.push_back(*number);
      if (given) given->push_back(readReal(text).value_or(*number));
    }
  }
  return numbers;
}

bool inRange(std::int32_t value, std::int32_t low, std::int32_t high) { return value >= low && value <= high; }

}  // namespace

FontInfoReader::FontInfoReader(vn::Font* font, vn::Style* style, ReadWarnings* warnings)
    : font_(font), style_(style), warnings_(warnings) {}

void FontInfoReader::ignored(const std::string& key, const std::string& text) {
  // Named on this line alone.
  if (const FontInfoKey* entry = findFontInfoKey(key)) givenIntegers_.erase(std::string(entry->key));
  if (warnings_) {
    warnings_->list(std::string(warning::kBadNumber) + " fontinfo",
                    "fontinfo.plist: values that are not a number in range keep their defaults",
                    key + " \"" + text + "\"");
  }
}

void FontInfoReader::notRead(const std::string& key) {
  if (warnings_) {
    warnings_->list(warning::kFontInfoKeys, "fontinfo.plist keys that the native format does not carry are left out",
                    key);
  }
}

void FontInfoReader::readKey(const std::string& key, std::string_view elementName, const std::string& rawText) {
  if (!font_ || !style_) return;
  givenKeys_.insert(key);
  const FontInfoKey* entry = findFontInfoKey(key);
  if (!entry || !nativeFileCarries(key)) {
    notRead(key);
    if (!entry) return;
  }
  vn::FontNames& names = style_->names;
  vn::FontMetrics& metrics = style_->metrics;
  vn::FontHinting& hinting = font_->hinting;
  const std::string text = modelText(rawText, warnings_);
  if (key == kStyleNameKey) styleNameText_ = text;
  if (entry->nameField == &vn::FontNames::styleMapFamilyName) styleMapFamilyText_ = text;
  if (entry->nameField == &vn::FontNames::compatibleFullName) compatibleFullNameText_ = text;
  if (entry->nameField == &vn::FontNames::weightName) weightNameText_ = text;
  if (entry->form == FontInfoForm::kString &&
      (entry->source == Source::kNameField || entry->source == Source::kNamedString)) {
    givenTexts_[std::string(entry->key)] = text;
  }

  auto real = [&]() -> std::optional<double> {
    auto value = readReal(rawText);
    if (!value) ignored(key, rawText);
    return value;
  };
  auto integer = [&]() -> std::optional<std::int32_t> {
    auto value = readInteger(rawText);
    if (!value) {
      ignored(key, rawText);
    } else {
      givenIntegers_[std::string(entry->key)] = readReal(rawText).value_or(*value);
    }
    return value;
  };

  switch (entry->rule) {
    case Rule::kHeadCreated: readCreated(rawText); return;
    case Rule::kStyleMapStyleName:
      styleMapStyleGiven_ = true;
      readStyleMapStyleName(text);
      return;
    case Rule::kPreferredFamilyName:
      names.namedStrings[kPreferredFamilyKey] = text;
      if (names.familyName.empty()) names.familyName = text;
      if (names.familyName == text) names.styleMapFamilyName = names.familyName;
      return;
    case Rule::kPreferredSubfamilyName:
      names.namedStrings[kPreferredSubfamilyKey] = text;
      names.styleName = text;
      return;
    case Rule::kWeightClass:
      weightClassGiven_ = true;
      if (auto value = integer(); value && inRange(*value, 0, 65535)) {
        weightClassRead_ = *value;
        metrics.weightValue = *value;
        names.weightName = vn::weightNameFor(*value);
      } else if (value) {
        ignored(key, rawText);
      }
      return;
    case Rule::kWidthClass:
      if (auto value = integer(); value && inRange(*value, 0, 65535)) {
        metrics_[kWidthValue] = *value;
      } else if (value) {
        ignored(key, rawText);
      }
      return;
    case Rule::kBlueFuzz:
      if (auto value = integer()) hinting.blueFuzz = *value;
      return;
    case Rule::kBlueShift:
      if (auto value = integer()) hinting.blueShift = *value;
      return;
    case Rule::kBlueScale:
      if (auto value = real()) hinting.blueScale = *value;
      return;
    case Rule::kForceBold:
      if (elementName == "true") hinting.forceBold = 1;
      return;
    case Rule::kIsFixedPitch:
      if (elementName == "true") style_->flags.isFixedPitch = 1;
      return;
    case Rule::kVersionMajor:
      if (auto value = integer()) style_->namedIntegers["revision_major"] = *value;
      return;
    case Rule::kVersionMinor:
      if (auto value = integer()) style_->namedIntegers["revision_minor"] = *value;
      return;
    case Rule::kFondFamilyId:
      if (auto value = integer(); value && inRange(*value, 0, 65535)) {
        font_->fileInfo.fondId = static_cast<std::uint16_t>(*value);
      } else if (value) {
        ignored(key, rawText);
      }
      return;
    case Rule::kNone:
    case Rule::kCompatibleFullName:
      break;
    default:
      return;  // array keys: nothing to take from a scalar or an empty array
  }

  switch (entry->source) {
    case Source::kNameField:
      setFontInfoText(*entry, *style_, text);
      return;
    case Source::kNamedString:
      if (entry->modelKey == "note") {
        names.namedStrings.emplace("note", text);  // only inserted, never replaced
      } else {
        setFontInfoText(*entry, *style_, text);
      }
      return;
    case Source::kNamedNumber:
      if (auto value = real()) {
        setFontInfoNumber(*entry, *style_, *value);
        givenNumbers_[key] = *value;
      }
      return;
    case Source::kNamedInteger:
      if (auto value = integer()) style_->namedIntegers[std::string(entry->modelKey)] = *value;
      return;
    case Source::kMetricsField:
      if (auto value = real()) {
        if (entry->metricNumber >= 0) {
          metrics_[entry->metricNumber] = *value;
          givenNumbers_[key] = *value;
          if (entry->metricNumber == kAscender || entry->metricNumber == kDescender) sharedMetrics_[key] = *value;
        } else if (*value > 0.0 && *value <= kMaxUnitsPerEm) {
          unitsPerEm_ = *value;
          givenNumbers_[key] = *value;
        } else {
          ignored(key, rawText);
        }
      }
      return;
    default:
      return;
  }
}

void FontInfoReader::readArrayKey(const std::string& key, const Node* value) {
  if (!font_ || !style_) return;
  givenKeys_.insert(key);
  if (key == "guidelines") {
    // UFO 3 font guidelines: the font's guides, as the older lib entry gives them.
    if (value && nameOf(value) == "array") {
      const bool colourGiven = readUfo3GuidelineList(PListNode(plist::kArray, value->first_node()),
                                                     *font_->guideLayer());
      if (colourGiven && warnings_) {
        warnings_->list(warning::kGuidelineColours, warning::kGuidelineColoursLine, warning::kFontGuidelines);
      }
    }
    return;
  }
  const FontInfoKey* entry = findFontInfoKey(key);
  if (!entry) {
    notRead(key);
    return;
  }
  vn::StyleFlags& flags = style_->flags;
  vn::FontHinting& hinting = font_->hinting;

  if (entry->rule == Rule::kFamilyClass) {
    if (!value || nameOf(value) != "array") return;
    std::array<std::optional<std::int32_t>, 2> parts;
    int count = 0;
    for (const Node* child = value->first_node(); child && count < 2; child = child->next_sibling()) {
      if (child->type() != rapidxml::node_element) continue;
      parts[count++] = readInteger(elementText(child));
    }
    if (count < 2 || !parts[0] || !parts[1]) return;
    if (!inRange(*parts[0], 0, kMaxFamilyClass) || !inRange(*parts[1], 0, kMaxFamilySubclass)) return;
    style_->namedIntegers["ibm_family_class"] = *parts[0] * 256 + *parts[1];
    return;
  }

  std::vector<double> given;
  const std::vector<std::int32_t> numbers = integerList(value, &given);
  // The native file holds blue and stem values in whole units (the blue pairs past its
  // arrays are named with the pairs it moves).
  auto blues = [&](bool family, bool other) {
    noteHeldNumbers(entry->key, given, numbers, 0);
    readBlueZones(numbers, family, other);
  };
  switch (entry->rule) {
    case Rule::kHeadFlags:
      flags.headFlags.flags.fill(false);
      for (const std::int32_t bit : numbers) {
        if (inRange(bit, 0, 5)) flags.headFlags.flags[static_cast<std::size_t>(bit)] = true;
        if (inRange(bit, 7, 13)) flags.headFlags.flags[static_cast<std::size_t>(bit - 1)] = true;
      }
      return;
    case Rule::kCodePageRanges:
    case Rule::kUnicodeRanges: {
      const bool unicode = entry->rule == Rule::kUnicodeRanges;
      const std::int32_t size = unicode ? kUnicodeRangeBits : kCodePageBits;
      std::vector<bool>& bits = unicode ? style_->tables.unicodeRanges : style_->tables.codePageRanges;
      bits.assign(static_cast<std::size_t>(size), false);
      // Negative and too large bit numbers are ignored.
      for (const std::int32_t bit : numbers) {
        if (inRange(bit, 0, size - 1)) bits[static_cast<std::size_t>(bit)] = true;
      }
      return;
    }
    case Rule::kPanose: {
      if (numbers.size() != static_cast<std::size_t>(kPanoseDigits)) return;
      std::string text;
      for (const std::int32_t digit : numbers) {
        if (!inRange(digit, 0, 65535)) return;
        if (!text.empty()) text += ' ';
        text += vn::formatInteger(digit);
      }
      style_->names.namedStrings["panose"] = text;
      givenTexts_[std::string(entry->key)] = text;
      return;
    }
    case Rule::kSelection:
      for (const std::int32_t bit : numbers) {
        if (bit == 1 || bit == 2 || bit == 3 || bit == 4 || bit == 7 || bit == 8 || bit == 9) {
          flags.selectionFlags.flags[static_cast<std::size_t>(bit)] = true;
        }
      }
      return;
    case Rule::kEmbedding:
      for (const std::int32_t bit : numbers) {
        if (bit == 1 && flags.embedding.kind == 0) flags.embedding.kind = 1;
        if (bit == 2 && flags.embedding.kind != 3) flags.embedding.kind = 2;
        if (bit == 3) flags.embedding.kind = 3;
        if (bit == 8) flags.embedding.noSubsetting = 1;
        if (bit == 9) flags.embedding.bitmapOnly = 1;
      }
      return;
    case Rule::kBlueValues: blues(false, false); return;
    case Rule::kFamilyBlues: blues(true, false); return;
    case Rule::kOtherBlues: blues(false, true); return;
    case Rule::kFamilyOtherBlues: blues(true, true); return;
    case Rule::kStemSnapH:
    case Rule::kStemSnapV: {
      noteHeldNumbers(entry->key, given, numbers, static_cast<std::size_t>(entry->limits.maxCount));
      auto& stems = entry->rule == Rule::kStemSnapH ? hinting.stemsH2 : hinting.stemsV2;
      for (const std::int32_t width : numbers) stems.push_back(vn::Stem{std::string(), double(width), {}});
      return;
    }
    default:
      return;
  }
}

void FontInfoReader::readCreated(const std::string& text) {
  // "YYYY/MM/DD HH:MM:SS"; any field missing or out of range keeps the creation time.
  std::array<std::int32_t, 6> fields{};
  std::string_view rest = text;
  constexpr std::array<char, 6> kSeparators{'/', '/', ' ', ':', ':', '\0'};
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::size_t end = kSeparators[i] ? rest.find(kSeparators[i]) : rest.size();
    if (end == std::string_view::npos) return;
    auto value = readInteger(rest.substr(0, end));
    if (!value || rest.substr(0, end).find('.') != std::string_view::npos) return;
    fields[i] = *value;
    rest.remove_prefix(kSeparators[i] ? end + 1 : end);
  }
  const auto [year, month, day, hour, minute, second] = fields;
  if (!inRange(year, 1900, 9999) || !inRange(month, 1, 12) || !inRange(day, 1, 31) ||
      !inRange(hour, 0, 23) || !inRange(minute, 0, 59) || !inRange(second, 0, 60)) {
    ignored("openTypeHeadCreated", text);
    return;
  }
  std::tm created{};
  created.tm_year = year - 1900;
  created.tm_mon = month - 1;
  created.tm_mday = day;
  created.tm_hour = hour;
  created.tm_min = minute;
  created.tm_sec = second;
  font_->created = created;
  createdGiven_ = true;
}

void FontInfoReader::readStyleMapStyleName(const std::string& text) {
  vn::StyleFlags& flags = style_->flags;
  std::string& name = style_->names.styleMapStyleName;
  if (vn::equalsNoCase(text, "italic")) {
    flags.isItalic = 1;
    name = "Italic";
  } else if (vn::equalsNoCase(text, "bold")) {
    flags.isBold = 1;
    name = "Bold";
  } else if (vn::equalsNoCase(text, "bolditalic") || vn::equalsNoCase(text, "bold italic")) {
    flags.isBold = 1;
    flags.isItalic = 1;
    name = "Bold Italic";
  } else {
    name = kRegularStyle;
  }
}

void FontInfoReader::finish() {
  if (!font_ || !style_) return;
  vn::FontMetrics& metrics = style_->metrics;
  metrics.setUnitsPerEm(unitsPerEm_);
  for (const auto& [number, value] : metrics_) {
    switch (number) {
      case kAscender: metrics.ascender = value; break;
      case kDescender: metrics.descender = value; break;
      case kTypoLineGap: metrics.typoLineGap = value; break;
      case kWinAscent: metrics.winAscent = value; break;
      case kWinDescent: metrics.winDescent = value; break;
      case kCapHeight: metrics.capHeight = value; break;
      case kXHeight: metrics.xHeight = value; break;
      case kWidthValue: metrics.widthValue = value; break;
      case kWeightValue: metrics.weightValue = value; break;
      case kItalicAngle: metrics.italicAngle = value; break;
      case kUnderlinePosition: metrics.underlinePosition = value; break;
      case kUnderlineThickness: metrics.underlineThickness = value; break;
      default: break;
    }
  }
  // "ascender" and the OS/2 typo ascender are one value in the font (likewise the
  // descenders): the later key in the file wins; say so when they differ.
  for (const auto& [plain, typo, number] : {std::tuple{"ascender", "openTypeOS2TypoAscender", kAscender},
                                            std::tuple{"descender", "openTypeOS2TypoDescender", kDescender}}) {
    const auto a = sharedMetrics_.find(plain), b = sharedMetrics_.find(typo);
    if (!warnings_ || a == sharedMetrics_.end() || b == sharedMetrics_.end() || a->second == b->second) continue;
    const bool typoKept = metrics_[number] == b->second;
    const auto& kept = typoKept ? *b : *a;
    const auto& lost = typoKept ? *a : *b;
    warnings_->list(warning::kSharedMetric,
                    "the native format keeps one ascender and one descender; of two different values the later "
                    "key's is kept",
                    lost.first + " " + vn::formatNumber(lost.second, 0) + " (" + kept.first + " " +
                        vn::formatNumber(kept.second, 0) + " kept)");
  }
  notePreferredNames();
  // Without "styleMapStyleName" the style links as regular, as a native file without
  // the linking style reads; the native file then holds what a UFO written from it says.
  if (style_->names.styleMapStyleName.empty()) style_->names.styleMapStyleName = kRegularStyle;
  style_->names.widthName =
      vn::widthNameFor(vn::saturateInt32(metrics.widthValue), style_->flags.isFixedPitch != 0);
  std::int32_t major = 1;
  std::int32_t minor = 0;
  style_->findInteger("revision_major", &major);
  style_->findInteger("revision_minor", &minor);
  style_->names.version = vn::formatInteger(major) + "." + vn::formatInteger(minor);
  style_->composeStyleNames();
  noteChangedValues();
}

}  // namespace ufo
