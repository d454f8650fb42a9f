#include "ufo/fontinfo_writer.h"

#include <cmath>
#include <optional>
#include <ostream>
#include <vector>

#include "model/blue_arrays.h"
#include "model/font.h"
#include "model/numbers.h"
#include "model/style.h"
#include "model/style_names.h"
#include "ufo/fontinfo_keys.h"
#include "ufo/plist_node.h"
#include "ufo/text_encoding.h"
#include "ufo/writer_numbers.h"

namespace ufo {

namespace {

using Rule = FontInfoRule;

struct Version {
  int32_t major = 1;
  int32_t minor = 0;
};

// "major.minor" scanned as C's " %i.%i" (or " %i" without a point); none when the
// numbers cannot be read or the minor version is negative, which the UFO conventions
// do not accept.
std::optional<Version> parseVersion(const std::string& text) {
  if (text.empty()) return std::nullopt;
  Version version;
  size_t pos = 0;
  if (text.find('.') != std::string::npos) {
    if (!scanCInteger(text, pos, version.major)) return std::nullopt;
    if (pos >= text.size() || text[pos] != '.') return std::nullopt;
    ++pos;
    if (!scanCInteger(text, pos, version.minor)) return std::nullopt;
  } else {
    if (!scanCInteger(text, pos, version.major)) return std::nullopt;
    version.minor = 0;
  }
  if (version.minor < 0) return std::nullopt;
  return version;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

std::string twoDigits(int value) {
  std::string text = vn::formatInteger(value);
  return text.size() < 2 ? "0" + text : text;
}

// "YYYY/MM/DD HH:MM:SS"; none for a time outside the calendar.
std::optional<std::string> creationText(const std::tm& time) {
  const int64_t year = int64_t{time.tm_year} + 1900;
  const int month = time.tm_mon + 1;
  if (year < 1 || year > 9999 || month < 1 || month > 12) return std::nullopt;
  if (time.tm_mday < 1 || time.tm_mday > daysInMonth(static_cast<int>(year), month)) return std::nullopt;
  if (time.tm_hour < 0 || time.tm_hour > 23 || time.tm_min < 0 || time.tm_min > 59 || time.tm_sec < 0 ||
      time.tm_sec > 59) {
    return std::nullopt;
  }
  std::string yearText = vn::formatInteger(year);
  yearText.insert(0, 4 - yearText.size(), '0');
  return yearText + "/" + twoDigits(month) + "/" + twoDigits(time.tm_mday) + " " + twoDigits(time.tm_hour) +
         ":" + twoDigits(time.tm_min) + ":" + twoDigits(time.tm_sec);
}

// Ten unsigned numbers separated by blanks; none when fewer can be read.
std::optional<std::vector<int64_t>> parsePanose(const std::string& text) {
  std::vector<int64_t> values;
  size_t pos = 0;
  while (values.size() < 10) {
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) ++pos;
    if (pos < text.size() && text[pos] == '+') ++pos;
    const size_t start = pos;
    int64_t value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      value = value * 10 + (text[pos] - '0');
      if (value > 65535) return std::nullopt;
      ++pos;
    }
    if (pos == start) return std::nullopt;
    values.push_back(value);
  }
  return values;
}

class Lines {
 public:
  explicit Lines(std::string& out) : out_(out) {}

  void key(std::string_view key) {
    out_ += "  <key>";
    out_ += key;
    out_ += "</key>\n";
  }
  void string(const std::string& text) { out_ += "  <string>" + escapeXmlText(text) + "</string>\n"; }
  void integer(int64_t value) { out_ += "  <integer>" + vn::formatInteger(value) + "</integer>\n"; }
  void number(double value) { out_ += "  " + writePlistNumber(value) + "\n"; }
  void real(double value) { out_ += "  <real>" + vn::formatShortest(value) + "</real>\n"; }
  void boolean(bool value) { out_ += value ? "  <true/>\n" : "  <false/>\n"; }
  void array(const std::vector<int64_t>& values) {
    out_ += "  <array>\n";
    for (int64_t value : values) out_ += "    <integer>" + vn::formatInteger(value) + "</integer>\n";
    out_ += "  </array>\n";
  }

 private:
  std::string& out_;
};

// Rounded to whole numbers: the arrays are read back as integers.
std::vector<int64_t> roundedValues(const std::vector<double>& values, int32_t maxCount) {
  std::vector<int64_t> out;
  for (double value : values) {
    if (maxCount > 0 && out.size() >= static_cast<size_t>(maxCount)) break;
    out.push_back(vn::saturateInt64(vn::round(value)));
  }
  return out;
}

std::vector<int64_t> setBits(const std::vector<bool>& bits, size_t limit) {
  std::vector<int64_t> out;
  for (size_t i = 0; i < bits.size() && i < limit; ++i) {
    if (bits[i]) out.push_back(static_cast<int64_t>(i));
  }
  return out;
}

std::vector<double> stemWidths(const std::vector<vn::Stem>& stems) {
  std::vector<double> out;
  for (const vn::Stem& stem : stems) out.push_back(stem.width);
  return out;
}

class KeyWriter {
 public:
  KeyWriter(const vn::Font& font, const vn::Style& style, std::string& out, std::vector<std::string>* leftOut)
      : font_(font), style_(style), lines_(out), version_(parseVersion(style.names.version)), leftOut_(leftOut) {}

  void write(const FontInfoKey& entry) {
    switch (entry.source) {
      case FontInfoSource::kNameField:
      case FontInfoSource::kNamedString:
        if (entry.form == FontInfoForm::kString && entry.rule == Rule::kNone) return writeText(entry);
        break;
      case FontInfoSource::kMetricsField:
      case FontInfoSource::kNamedNumber:
      case FontInfoSource::kNamedInteger:
        if (entry.rule == Rule::kNone) return writeNumber(entry);
        break;
      case FontInfoSource::kDerived:
        break;
    }
    writeRule(entry);
  }

 private:
  void writeText(const FontInfoKey& entry) {
    const std::optional<std::string> text = fontInfoText(entry, style_);
    if (!text) return;
    if (entry.presence == FontInfoPresence::kNotEmpty && text->empty()) return;
    lines_.key(entry.key);
    lines_.string(*text);
  }

  void writeNumber(const FontInfoKey& entry) {
    const std::optional<double> found = fontInfoNumber(entry, style_);
    if (!found || !std::isfinite(*found)) return;
    double value = *found;
    if (entry.limits.integerValued) value = vn::round(value);
    if (!allowed(entry, value)) return;
    lines_.key(entry.key);
    if (entry.form == FontInfoForm::kInteger || entry.limits.integerValued) {
      lines_.integer(vn::saturateInt64(value));
    } else {
      lines_.number(value);
    }
  }

  // False, with the key and value noted as left out, for a value outside the range the UFO
  // format allows.
  bool allowed(const FontInfoKey& entry, double value) {
    if (entry.limits.allows(value)) return true;
    if (leftOut_) leftOut_->push_back(std::string(entry.key) + " " + vn::formatShortest(value));
    return false;
  }

  void keyWithString(const FontInfoKey& entry, const std::string& text) {
    lines_.key(entry.key);
    lines_.string(text);
  }

  void keyWithInteger(const FontInfoKey& entry, int64_t value) {
    lines_.key(entry.key);
    lines_.integer(value);
  }

  void keyWithArray(const FontInfoKey& entry, const std::vector<int64_t>& values) {
    lines_.key(entry.key);
    lines_.array(values);
  }

  void keyWithBoolean(const FontInfoKey& entry, bool value) {
    lines_.key(entry.key);
    lines_.boolean(value);
  }

  void writeBlues(const FontInfoKey& entry, int32_t (*build)(const vn::FontHinting&, std::vector<double>&)) {
    std::vector<double> values;
    build(font_.hinting, values);
    std::vector<int64_t> rounded = roundedValues(values, entry.limits.maxCount);
    if (rounded.size() % 2 != 0) rounded.pop_back();
    if (!rounded.empty()) keyWithArray(entry, rounded);
  }

  void writeRule(const FontInfoKey& entry) {
    const vn::FontNames& names = style_.names;
    const vn::StyleFlags& flags = style_.flags;
    switch (entry.rule) {
      case Rule::kNone:
        break;
      case Rule::kHeadCreated:
        if (auto text = creationText(font_.created)) keyWithString(entry, *text);
        break;
      case Rule::kHeadFlags: {
        // Switch i stands for head bit i up to 5 and for bit i + 1 after (bit 6 has none),
        // as the reader maps them; the native packing of toMask is another order.
        std::vector<int64_t> bits;
        for (size_t i = 0; i < flags.headFlags.flags.size(); ++i) {
          if (flags.headFlags.flags[i]) bits.push_back(static_cast<int64_t>(i <= 5 ? i : i + 1));
        }
        keyWithArray(entry, bits);
        break;
      }
      case Rule::kCompatibleFullName:
        if (!names.compatibleFullName.empty() && names.compatibleFullName != names.fullName) {
          keyWithString(entry, names.compatibleFullName);
        }
        break;
      case Rule::kPreferredFamilyName:
      case Rule::kPreferredSubfamilyName: {
        const bool family = entry.rule == Rule::kPreferredFamilyName;
        if (auto text = fontInfoText(entry, style_)) {
          keyWithString(entry, *text);
        } else if (family ? names.familyName != names.styleMapFamilyName
                          : names.styleName != names.styleMapStyleName) {
          keyWithString(entry, family ? names.familyName : names.styleName);
        }
        break;
      }
      case Rule::kCodePageRanges: {
        const std::vector<int64_t> bits = setBits(style_.tables.codePageRanges, 64);
        if (!bits.empty()) keyWithArray(entry, bits);
        break;
      }
      case Rule::kUnicodeRanges: {
        const std::vector<int64_t> bits = setBits(style_.tables.unicodeRanges, 128);
        if (!bits.empty()) keyWithArray(entry, bits);
        break;
      }
      case Rule::kFamilyClass: {
        auto it = style_.namedIntegers.find(std::string(entry.modelKey));
        if (it == style_.namedIntegers.end()) break;
        const uint16_t familyClass = static_cast<uint16_t>(it->second >> 8);
        const int32_t subclass = it->second & 15;
        if (familyClass <= 14) keyWithArray(entry, {familyClass, subclass});
        break;
      }
      case Rule::kPanose: {
        const std::optional<std::string> text = fontInfoText(entry, style_);
        if (!text || text->empty()) break;
        if (auto values = parsePanose(*text)) keyWithArray(entry, *values);
        break;
      }
      case Rule::kSelection: {
        std::vector<int64_t> bits;
        for (int bit : {1, 2, 3, 4, 7, 8, 9}) {
          if (flags.selectionFlags.flags[static_cast<size_t>(bit)]) bits.push_back(bit);
        }
        keyWithArray(entry, bits);
        break;
      }
      case Rule::kEmbedding: {
        std::vector<int64_t> bits;
        if (flags.embedding.kind >= 1 && flags.embedding.kind <= 3) bits.push_back(flags.embedding.kind);
        if (flags.embedding.noSubsetting) bits.push_back(8);
        if (flags.embedding.bitmapOnly) bits.push_back(9);
        keyWithArray(entry, bits);
        break;
      }
      case Rule::kWeightClass: {
        const int weightClass = weightClassOf(style_);
        if (weightClass >= 0) keyWithInteger(entry, weightClass);
        break;
      }
      case Rule::kWidthClass: {
        int length = 0;
        int widthClass = 0;
        if (vn::widthClassForName(names.widthName, length, widthClass) < 0) {
          widthClass = vn::roundToInt32(style_.metrics.widthValue);
        }
        if (allowed(entry, widthClass)) keyWithInteger(entry, widthClass);
        break;
      }
      case Rule::kBlueFuzz:
        keyWithInteger(entry, font_.hinting.blueFuzz);
        break;
      case Rule::kBlueShift:
        keyWithInteger(entry, font_.hinting.blueShift);
        break;
      case Rule::kBlueScale:
        if (std::isfinite(font_.hinting.blueScale)) {
          lines_.key(entry.key);
          lines_.real(font_.hinting.blueScale);
        }
        break;
      case Rule::kBlueValues:
        writeBlues(entry, &vn::blueValues);
        break;
      case Rule::kOtherBlues:
        writeBlues(entry, &vn::otherBlues);
        break;
      case Rule::kFamilyBlues:
        writeBlues(entry, &vn::familyBlues);
        break;
      case Rule::kFamilyOtherBlues:
        writeBlues(entry, &vn::familyOtherBlues);
        break;
      case Rule::kStemSnapH:
      case Rule::kStemSnapV: {
        const auto& stems = entry.rule == Rule::kStemSnapH ? font_.hinting.stemsH2 : font_.hinting.stemsV2;
        const std::vector<int64_t> values = roundedValues(stemWidths(stems), entry.limits.maxCount);
        if (!values.empty()) keyWithArray(entry, values);
        break;
      }
      case Rule::kForceBold:
        keyWithBoolean(entry, font_.hinting.forceBold != 0);
        break;
      case Rule::kIsFixedPitch:
        keyWithBoolean(entry, flags.isFixedPitch != 0);
        break;
      case Rule::kStyleMapStyleName:
        keyWithString(entry, styleMapStyleText(flags));
        break;
      case Rule::kVersionMajor:
        if (version_) keyWithInteger(entry, version_->major);
        break;
      case Rule::kVersionMinor:
        if (version_) keyWithInteger(entry, version_->minor);
        break;
      case Rule::kFondFamilyId:
        if (font_.fileInfo.fondId != 0) keyWithInteger(entry, font_.fileInfo.fondId);
        break;
    }
  }

  const vn::Font& font_;
  const vn::Style& style_;
  Lines lines_;
  std::optional<Version> version_;
  std::vector<std::string>* leftOut_;
};

}  // namespace

void FontInfoWriter::appendKeys(std::string& out, std::vector<std::string>* leftOut) const {
  if (!font_ || !style_) return;
  KeyWriter writer(*font_, *style_, out, leftOut);
  for (const FontInfoKey& entry : fontInfoKeys()) writer.write(entry);
}

void FontInfoWriter::writeKeys(std::ostream& out) const {
  std::string text;
  appendKeys(text);
  out << text;
}

}  // namespace ufo
