// Font-wide information blocks: names, metrics, hinting, source-file record, style flags,
// range tables and option records, with the defaults of a fresh font and style.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "model/geometry.h"
#include "model/numbers.h"

namespace vn {

class Transfer;

// Thirteen name strings, numbered 0..12 in this order, and named strings for the rest.
struct FontNames {
  std::string familyName;          // 0
  std::string styleName;           // 1
  std::string styleMapFamilyName;  // 2
  std::string styleMapStyleName;   // 3
  std::string fullName;            // 4
  std::string fontName;            // 5
  std::string macName;             // 6
  std::string compatibleFullName;  // 7
  std::string slopeName;           // 8
  std::string weightName;          // 9
  std::string widthName;           // 10
  std::string spareName;           // 11
  std::string version = "1.0";     // 12
  std::map<std::string, std::string> namedStrings;

  static constexpr int kFieldCount = 13;

  FontNames() { clear(); }
  // Every string empty, then version "1.0"; named strings emptied.
  void clear();
  // The value of the key in namedStrings; empty for an empty or missing key.
  std::string stringValue(const std::string& key) const;
  // Field by its number 0..12 (null outside).
  std::string* field(int index);
  const std::string* field(int index) const;
};

// The weight class of a style that was given none.
inline constexpr double kDefaultWeightValue = 400.0;

// Fourteen values, numbered 0..13 in this order, a matrix and named numbers.
struct FontMetrics {
  double unitsPerEm = 1000;         // 0
  double ascender = 750;            // 1
  double descender = -250;          // 2
  double typoLineGap = 0;           // 3
  double winAscent = 750;           // 4
  double winDescent = 250;          // 5
  double capHeight = 750;           // 6
  double xHeight = 500;             // 7
  double widthValue = 5.0;          // 8
  double weightValue = kDefaultWeightValue;  // 9
  double italicAngle = 0;           // 10
  double underlinePosition = -100;  // 11
  double underlineThickness = 50;   // 12
  double spareValue = 0;            // 13
  Matrix matrix;
  std::map<std::string, double> namedNumbers;

  static constexpr int kValueCount = 14;

  FontMetrics();
  // Sets units per em and the values derived from it (all but width and weight values).
  void setUnitsPerEm(double unitsPerEm);
  bool findNumber(const std::string& key, double* out) const;
  // Value by its number 0..13 (null outside).
  double* value(int index);
  const double* value(int index) const;
  // Sends values 0..12 (ids 0,1,2,3,4,5,7,6,10,9,8,11,12), the named numbers in key
  // order and the matrix.
  void transfer(Transfer& consumer) const;
};

using StepMap = std::map<uint16_t, uint16_t>;

struct Stem {
  std::string name;
  double width = 0.0;
  StepMap steps;
};

// A stem's rounding: the native stem record keeps, for each pixel width 1 to 6 (step
// keys 1 to 6), the ppem from which the stem is that wide; the UFO lib keeps the same
// as width by ppem ("round"). stemStepsFromRounding sets `lost` when an entry has no
// place (a width outside 1..6, or a width given twice).
StepMap stemStepsFromRounding(const StepMap& widthByPpem, bool& lost);
// Width by ppem from the step keys 1 to 6; a ppem of 0 stands for no entry except for
// width 1, which starts at ppem 0 when any wider step is set.
StepMap stemRoundingFromSteps(const StepMap& steps);
inline constexpr uint16_t kMaxRoundedStemWidth = 6;

struct Zone {
  std::string name;
  double position = 0.0;
  double width = 0.0;
  uint8_t kind = 0;  // 0 a bottom zone (position - width .. position), else a top zone
  StepMap steps;

  bool isTop() const { return kind != 0; }
};

struct GaspRange {
  std::array<bool, 4> flags{true, false, false, false};
  uint16_t ppem = 0;

  int32_t flagMask() const;
  void setFlagMask(int32_t mask);
};

struct TripletRecord {
  uint16_t first = 0;
  int16_t second = 0;
  int16_t third = 0;
};

struct FontHinting {
  uint8_t forceBold = 0;
  double spareValue = 0.0;
  std::vector<Stem> stemsH;   // TrueType horizontal stems
  std::vector<Stem> stemsV;   // TrueType vertical stems
  std::vector<Stem> stemsH2;  // PostScript StemSnapH
  std::vector<Stem> stemsV2;  // PostScript StemSnapV
  std::vector<Zone> zones;    // TrueType zones
  std::vector<Zone> zones2;   // PostScript alignment zones of the font
  std::vector<Zone> zones3;   // PostScript alignment zones of the family
  int32_t blueFuzz = 1;
  int32_t blueShift = 7;
  double blueScale = 0.039625;
  uint8_t flag1093 = 0;
  double hintValue1 = 0.0;
  double hintValue2 = 0.0;
  // zoneppm, stemsnaplimit, codeppm and a fourth value.
  std::array<int32_t, 4> params4{48, 68, 0, 255};
  std::vector<TripletRecord> tripletList;
  std::vector<uint16_t> codeBytes;
  std::vector<GaspRange> gaspRanges;
  std::map<std::string, int32_t> blueCounts;  // "bvn", "obn", "fbn", "fobn"
  std::vector<double> spareList1;
  std::vector<double> spareList2;
  std::vector<double> spareList3;
  std::array<uint16_t, 6> ttParams{};

  FontHinting() { setDefaults(); }
  void setDefaults();
  // Sends the stems of the four stem lists, then the zones of the three zone lists.
  void transfer(Transfer& consumer) const;
};

// Source-file record of a font and of a style.
struct FileInfo {
  static constexpr int32_t kNativeSource = 7;

  std::string path;
  uint16_t fondId = 0;
  uint8_t flag = 0;
  int32_t sourceKind = 0;
  int32_t value = 0;
  std::string text;
};

struct Embedding {
  uint32_t kind = 0;  // 0..3
  uint8_t noSubsetting = 0;
  uint8_t bitmapOnly = 0;
};

struct StyleFlags {
  uint8_t isBold = 0;
  uint8_t isItalic = 0;
  uint8_t isFixedPitch = 0;
  FontFlags headFlags;
  FontFlags10 selectionFlags;
  Embedding embedding;
  std::map<std::string, std::string> spareMap;
  std::vector<uint32_t> numberList;

  // Clears the style bits, the embedding and the map; flags and the list stay.
  void reset();
};

// A name-table record of the native font-information block.
struct NameRecord {
  uint16_t first = 0;
  uint16_t second = 0;
  uint16_t third = 0;
  uint16_t unused = 0;
  uint16_t fourth = 0;
  int32_t fifth = 0;
  std::string text;  // at most 63 bytes
};

struct StyleTables {
  std::vector<bool> unicodeRanges = std::vector<bool>(128, false);
  std::vector<bool> codePageRanges = std::vector<bool>(64, false);
  std::list<NameRecord> nameRecords;
  std::map<uint16_t, std::string> nameMap1;
  std::map<uint16_t, std::string> nameMap2;
  int32_t nameValue = 0;

  // Both flag vectors to their sizes, all false; the value 0.
  void reset();
};

// A fixed record that the native format carries; absent until a reader fills it.
struct ExtraRecord {
  uint8_t absent = 1;
  uint32_t value = 0;
  std::array<uint16_t, 6> shorts{};
  std::array<uint8_t, 16> block16{};
  std::array<uint8_t, 8> block8{};
  std::array<uint8_t, 6> block6{};
  std::array<uint8_t, 3> bytes{};
};

struct AutohintOptions {
  int32_t mode = 1;
  int32_t minLengthH = 60, minLengthV = 60;
  int32_t minWidthH = 20, minWidthV = 20;
  int32_t maxWidthH = 250, maxWidthV = 250;
  double maxRatioH = 2.0, maxRatioV = 2.0;
  std::array<int32_t, 5> values{2, 2, 2, 2, 2};

  void setDefaults() { *this = AutohintOptions{}; }
};

// Style options that the native format carries without this program reading them
// (except nativeFlag). The fields are grouped by the kind of the native option keys.
struct StyleOptions {
  std::array<int32_t, 11> integers{30, 30, 10, 1000, -400, 1, 60, 60, 20, 20, 250};  // keys 1..11
  std::array<double, 2> ratios{2.0, 2.0};                     // keys 12, 13
  std::array<double, 4> offsets{0.0, 0.0, 0.0, 0.0};          // keys 14, 114, 15, 115
  std::array<int32_t, 4> moreIntegers{250, 2, 2, 2};          // keys 16, 17, 19, 41
  std::array<bool, 6> packedFlags20{true, true, false, true, false, false};  // key 20
  // Keys 21..30, 32, 33, 35..38, 42..47, 51 in ascending key order.
  std::array<uint8_t, 23> byteOptions{1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                      1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
  std::array<int32_t, 4> keyedIntegers{64, 2, 2048, 2};       // keys 39, 40, 49, 50
  std::array<bool, 7> packedFlags48{};                        // key 48
  std::array<AutohintOptions, 2> autohint{};
  uint8_t nativeFlag = 0;
};

// Reader switches: autohint, feature compile / layout XML, keep feature text, spare.
struct ImportOptions {
  std::array<uint8_t, 4> bytes{0, 1, 1, 1};

  void setDefaults() { bytes = {0, 1, 1, 1}; }
};

}  // namespace vn
