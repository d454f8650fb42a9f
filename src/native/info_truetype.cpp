#include "native/info_truetype.h"

#include <cctype>

#include "model/font.h"
#include "model/numbers.h"
#include "model/style.h"
#include "native/info_records.h"
#include "native/tags.h"
#include "native/stream/stream.h"

namespace qtf {

namespace {

using info::kAverageWidthKey;
using info::kPanoseKey;
using info::kSelectionBold;
using info::kSelectionItalic;
using info::kSelectionRegular;
using info::kYearKey;

// Tag bytes of the sub-stream.
constexpr uint8_t kEndTag = 50;
constexpr uint8_t kFirstParamTag = 51;  // 51..56: ttParams 1..6
constexpr uint8_t kHeadFlagsTag = 57;
constexpr uint8_t kUnitsPerEmTag = 58;
constexpr uint8_t kDroppedTag = 59;
constexpr uint8_t kLowestRecPpemTag = 60;
constexpr uint8_t kDirectionHintTag = 61;
constexpr uint8_t kWeightTag = 62;
constexpr uint8_t kWidthTag = 63;
constexpr uint8_t kEmbeddingTag = 64;
constexpr uint8_t kFirstNumberTag = 65;  // 65..74: the named numbers below
constexpr uint8_t kFamilyClassTag = 75;
constexpr uint8_t kPanoseTag = 76;
constexpr uint8_t kAscenderTag = 77;
constexpr uint8_t kDescenderTag = 78;
constexpr uint8_t kLineGapTag = 79;
constexpr uint8_t kSelectionTag = 80;
constexpr uint8_t kWinAscentTag = 81;
constexpr uint8_t kWinDescentTag = 82;
constexpr uint8_t kCodeBytesTag = 83;
constexpr uint8_t kCodePagesTag = 84;
constexpr uint8_t kCreatedLowTag = 86;
constexpr uint8_t kCreatedHighTag = 87;
constexpr uint8_t kCodeBytesAgainTag = 88;
constexpr uint8_t kAverageWidthTag = 92;

constexpr const char* kNumberKeys[10] = {
    "subscript_x_size",     "subscript_y_size",     "subscript_x_offset", "subscript_y_offset",
    "superscript_x_size",   "superscript_y_size",   "superscript_x_offset",
    "superscript_y_offset", "strikeout_size",       "strikeout_position"};
constexpr const char* kUnitsPerEmKey = "head_units_per_em";
constexpr const char* kDirectionHintKey = "head_font_direction_hint";
constexpr const char* kFamilyClassKey = "ibm_family_class";

constexpr int32_t kDefaultWeight = 400;
constexpr int32_t kDefaultWidth = 5;
constexpr int32_t kNoSubsetting = 0x100;
constexpr int32_t kBitmapOnly = 0x200;
constexpr size_t kCodePageCount = 64;

constexpr int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
constexpr int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(int64_t days, int64_t& year, int64_t& month, int64_t& day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  day = dayOfYear - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

constexpr int64_t kEpoch1904Days = daysFromCivil(1904, 1, 1);

bool findNumber(const vn::Style& style, const char* key, double& out) {
  return style.metrics.findNumber(key, &out);
}

bool findInteger(const vn::Style& style, const char* key, int32_t& out) {
  return style.findInteger(key, &out);
}

}  // namespace

int64_t secondsSince1904(const std::tm& time) {
  // Months beyond 0..11 carry into the year.
  const int64_t monthTotal = static_cast<int64_t>(time.tm_year) * 12 + time.tm_mon;
  const int64_t year = 1900 + floorDiv(monthTotal, 12);
  const int64_t month = monthTotal - floorDiv(monthTotal, 12) * 12 + 1;
  const int64_t days = daysFromCivil(year, month, 1) + (static_cast<int64_t>(time.tm_mday) - 1) - kEpoch1904Days;
  return days * kSecondsPerDay + static_cast<int64_t>(time.tm_hour) * 3600 +
         static_cast<int64_t>(time.tm_min) * 60 + time.tm_sec;
}

std::tm timeSince1904(int64_t seconds) {
  const int64_t days = floorDiv(seconds, kSecondsPerDay);
  const int64_t rest = seconds - days * kSecondsPerDay;
  int64_t year = 0, month = 0, day = 0;
  civilFromDays(days + kEpoch1904Days, year, month, day);
  std::tm out{};
  out.tm_year = static_cast<int>(year - 1900);
  out.tm_mon = static_cast<int>(month - 1);
  out.tm_mday = static_cast<int>(day);
  out.tm_hour = static_cast<int>(rest / 3600);
  out.tm_min = static_cast<int>(rest / 60 % 60);
  out.tm_sec = static_cast<int>(rest % 60);
  // 1970-01-01 was a Thursday.
  const int64_t days1970 = days + kEpoch1904Days;
  out.tm_wday = static_cast<int>(((days1970 % 7) + 7 + 4) % 7);
  out.tm_yday = static_cast<int>(days + kEpoch1904Days - daysFromCivil(year, 1, 1));
  out.tm_isdst = 0;
  return out;
}

std::array<uint8_t, 10> parsePanose(const std::string& text) {
  std::array<uint8_t, 10> bytes{};
  size_t pos = 0;
  for (uint8_t& byte : bytes) {
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    size_t end = pos;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
    const auto value = vn::parseInt64(std::string_view(text).substr(pos, end - pos));
    // A number that does not parse ends the list, as a scan would.
    if (!value) break;
    byte = static_cast<uint8_t>(*value & 0xFF);
    pos = end;
  }
  return bytes;
}

std::string formatPanose(const std::array<uint8_t, 10>& bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) text += ' ';
    text += vn::formatUnsigned(bytes[i]);
  }
  return text;
}

bool encodeTrueTypeInfo(Stream& out, const vn::Style& style, const vn::Font& font) {
  const vn::FontMetrics& metrics = style.metrics;
  const vn::FontHinting& hinting = font.hinting;
  auto entry = [&out](uint8_t tag, int32_t value) {
    out.writeByte(tag);
    out.writeInt(value);
  };
  for (size_t i = 0; i < hinting.ttParams.size(); ++i) {
    entry(static_cast<uint8_t>(kFirstParamTag + i), hinting.ttParams[i]);
  }
  entry(kHeadFlagsTag, style.flags.headFlags.toMask());
  int32_t integer = 0;
  if (findInteger(style, kUnitsPerEmKey, integer)) entry(kUnitsPerEmTag, integer);
  if (findInteger(style, kLowestRecPpemKey, integer)) entry(kLowestRecPpemTag, integer);
  const int64_t created = secondsSince1904(font.created);
  entry(kCreatedLowTag, static_cast<int32_t>(static_cast<uint32_t>(created & 0xFFFFFFFF)));
  entry(kCreatedHighTag, static_cast<int32_t>(static_cast<uint32_t>((static_cast<uint64_t>(created) >> 32))));
  if (findInteger(style, kDirectionHintKey, integer)) entry(kDirectionHintTag, integer);
  entry(kWeightTag, vn::saturateInt32(metrics.weightValue));
  entry(kWidthTag, vn::saturateInt32(metrics.widthValue));

  int32_t embedding = 0;
  switch (style.flags.embedding.kind) {
    case 1: embedding = 2; break;
    case 2: embedding = 4; break;
    case 3: embedding = 8; break;
    default: break;
  }
  if (style.flags.embedding.noSubsetting) embedding += kNoSubsetting;
  if (style.flags.embedding.bitmapOnly) embedding += kBitmapOnly;
  entry(kEmbeddingTag, embedding);

  for (int i = 0; i < 10; ++i) {
    double number = 0;
    if (findNumber(style, kNumberKeys[i], number)) {
      entry(static_cast<uint8_t>(kFirstNumberTag + i), vn::roundToInt32(number));
    }
  }
  if (findInteger(style, kFamilyClassKey, integer)) entry(kFamilyClassTag, integer);
  const std::string panose = style.names.stringValue(kPanoseKey);
  if (!panose.empty()) {
    out.writeByte(kPanoseTag);
    for (uint8_t byte : parsePanose(panose)) out.writeByte(byte);
  }
  entry(kAscenderTag, vn::saturateInt32(metrics.ascender));
  entry(kDescenderTag, vn::saturateInt32(metrics.descender));
  entry(kLineGapTag, vn::saturateInt32(metrics.typoLineGap));
  entry(kSelectionTag, (style.flags.isItalic ? kSelectionItalic : 0) | (style.flags.isBold ? kSelectionBold : 0));
  entry(kWinAscentTag, vn::saturateInt32(metrics.winAscent));
  entry(kWinDescentTag, vn::saturateInt32(metrics.winDescent));
  double averageWidth = 0;
  if (findNumber(style, kAverageWidthKey, averageWidth)) entry(kAverageWidthTag, vn::roundToInt32(averageWidth));
  if (!hinting.codeBytes.empty()) {
    for (uint8_t tag : {kCodeBytesTag, kCodeBytesAgainTag}) {
      entry(tag, static_cast<int32_t>(hinting.codeBytes.size()));
      for (uint16_t value : hinting.codeBytes) out.writeByte(static_cast<uint8_t>(value & 0xFF));
    }
  }
  const std::vector<bool>& codePages = style.tables.codePageRanges;
  if (codePages.size() == kCodePageCount) {
    out.writeByte(kCodePagesTag);
    for (size_t word = 0; word < 2; ++word) {
      uint32_t bits = 0;
      for (size_t bit = 0; bit < 32; ++bit) {
        if (codePages[word * 32 + bit]) bits |= uint32_t{1} << bit;
      }
      out.writeInt(static_cast<int32_t>(bits));
    }
  }
  out.writeByte(kEndTag);
  return true;
}

bool decodeTrueTypeInfo(Stream& in, vn::Style& style, vn::Font& font, InfoReadState& state) {
  vn::FontMetrics& metrics = style.metrics;
  vn::FontHinting& hinting = font.hinting;
  uint32_t createdLow = 0;
  while (!in.atEnd()) {
    const uint8_t tag = in.readByte();
    if (tag == kEndTag) break;
    if (tag >= kFirstParamTag && tag < kFirstParamTag + 6) {
      hinting.ttParams[tag - kFirstParamTag] = static_cast<uint16_t>(in.readInt());
    } else if (tag >= kFirstNumberTag && tag < kFirstNumberTag + 10) {
      metrics.namedNumbers[kNumberKeys[tag - kFirstNumberTag]] = in.readInt();
    } else {
      switch (tag) {
        case kHeadFlagsTag: style.flags.headFlags.fromMask(in.readInt()); break;
        case kUnitsPerEmTag: {
          const int32_t value = in.readInt();
          state.headUnitsPerEm = value;
          style.namedIntegers[kUnitsPerEmKey] = value;
          break;
        }
        case kDroppedTag: in.readInt(); break;
        case kLowestRecPpemTag: style.namedIntegers[kLowestRecPpemKey] = in.readInt(); break;
        case kCreatedLowTag: createdLow = static_cast<uint32_t>(in.readInt()); break;
        case kCreatedHighTag: {
          const uint32_t high = static_cast<uint32_t>(in.readInt());
          const int64_t seconds = static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | createdLow);
          // Kept as written: the "year" value is a separate key, not the creation year.
          font.created = timeSince1904(seconds);
          break;
        }
        case kDirectionHintTag: style.namedIntegers[kDirectionHintKey] = in.readInt(); break;
        case kWeightTag: {
          const int32_t value = in.readInt();
          if (value != kDefaultWeight && metrics.weightValue == kDefaultWeight) metrics.weightValue = value;
          break;
        }
        case kWidthTag: {
          const int32_t value = in.readInt();
          if (value != kDefaultWidth && metrics.widthValue == kDefaultWidth) metrics.widthValue = value;
          break;
        }
        case kEmbeddingTag: {
          const int32_t value = in.readInt();
          vn::Embedding& embedding = style.flags.embedding;
          embedding.noSubsetting = (value & kNoSubsetting) ? 1 : 0;
          embedding.bitmapOnly = (value & kBitmapOnly) ? 1 : 0;
          if ((value & 0xFF) == 0) embedding.kind = 0;
          else if (value & 0x02) embedding.kind = 1;
          else if (value & 0x04) embedding.kind = 2;
          else if (value & 0x08) embedding.kind = 3;
          break;
        }
        case kFamilyClassTag: style.namedIntegers[kFamilyClassKey] = in.readInt(); break;
        case kPanoseTag: {
          std::array<uint8_t, 10> bytes{};
          for (uint8_t& byte : bytes) byte = in.readByte();
          // A "panose" of record 1118 stays.
          style.names.namedStrings.try_emplace(kPanoseKey, formatPanose(bytes));
          break;
        }
        case kAscenderTag: metrics.ascender = in.readInt(); break;
        case kDescenderTag: metrics.descender = in.readInt(); break;
        case kLineGapTag: state.os2LineGap = in.readInt(); break;
        case kSelectionTag: {
          const int32_t value = in.readInt();
          if (value == 0) break;
          if (value & kSelectionRegular) {
            style.flags.isItalic = 0;
            style.flags.isBold = 0;
          } else {
            if (value & kSelectionItalic) style.flags.isItalic = 1;
            if (value & kSelectionBold) style.flags.isBold = 1;
          }
          break;
        }
        case kWinAscentTag: metrics.winAscent = in.readInt(); break;
        case kWinDescentTag: metrics.winDescent = in.readInt(); break;
        case kAverageWidthTag: metrics.namedNumbers[kAverageWidthKey] = in.readInt(); break;
        case kCodeBytesTag:
        case kCodeBytesAgainTag: {
          const int32_t count = in.readInt();
          if (count < 0 || static_cast<uint64_t>(count) > in.remaining()) return false;
          hinting.codeBytes.assign(static_cast<size_t>(count), 0);
          for (uint16_t& value : hinting.codeBytes) value = in.readByte();
          break;
        }
        case kCodePagesTag: {
          const uint32_t words[2] = {static_cast<uint32_t>(in.readInt()), static_cast<uint32_t>(in.readInt())};
          std::vector<bool>& codePages = style.tables.codePageRanges;
          codePages.assign(kCodePageCount, false);
          for (size_t i = 0; i < kCodePageCount; ++i) codePages[i] = (words[i / 32] >> (i % 32)) & 1;
          break;
        }
        default:
          // An unknown tag ends the list.
          return !in.overrun();
      }
    }
  }
  return !in.overrun();
}

}  // namespace qtf
