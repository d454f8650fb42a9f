// Reading side of "fontinfo.plist": each key (and its older spellings) into the font
// and style; units per em and the numbered metrics wait for finish().
#pragma once

#include <rapidxml/rapidxml.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vn {
class Font;
class Style;
}  // namespace vn

namespace ufo {

class ReadWarnings;

class FontInfoReader {
 public:
  // Metric numbers collected until finish().
  enum Metric : std::int32_t {
    kAscender = 0, kDescender, kTypoLineGap, kWinAscent, kWinDescent, kCapHeight, kXHeight,
    kWidthValue, kWeightValue, kItalicAngle, kUnderlinePosition, kUnderlineThickness,
  };

  FontInfoReader(vn::Font* font, vn::Style* style, ReadWarnings* warnings);

  // An entry whose value element holds text (or nothing).
  void readKey(const std::string& key, std::string_view elementName, const std::string& text);
  // An entry whose value element holds elements (an array).
  void readArrayKey(const std::string& key, const rapidxml::xml_node<char>* value);
  // Applies units per em, the metrics, the width name, the version and the composed
  // style names. Called once, also for a file without entries.
  void finish();
  // Whether the file gave the metric (a readable number).
  bool hasMetric(Metric metric) const { return metrics_.count(metric) != 0; }

 private:
  void readCreated(const std::string& text);
  void readStyleMapStyleName(const std::string& text);
  // The zones of a blue array ("postscriptBlueValues" and the like), noting where each
  // came from.
  void readBlueZones(const std::vector<std::int32_t>& values, bool family, bool other);
  void ignored(const std::string& key, const std::string& text);
  void notRead(const std::string& key);
  void notePreferredNames();
  // Values the native file holds in another form than the source gave them (names it
  // adds or drops, the creation time, the default blue pair): named on one line.
  void noteChangedValues();
  // Blue pairs that the native file's arrays, read back, move, leave out or add.
  void noteBlueChanges();
  // Keys the UFO writer gives from what the native file holds though the source left
  // them out (the defaults and composed values the native file must hold), each with
  // its value, apart from those another entry already names.
  void noteAddedKeys();
  // Numbers the native file gives back otherwise than given (whole units, 16 bits,
  // left out): each named with the value that comes back.
  void noteHeldValues();
  // Texts the native file gives back otherwise than given (an empty name made up, an
  // empty text or a long vendor ID left out, PANOSE digits in a byte each).
  void noteHeldTexts();
  // An array of numbers read as integers (`kept`): named when the file gave fractions,
  // or more numbers than the native file holds (`most`, 0 for no limit).
  void noteHeldNumbers(std::string_view key, const std::vector<double>& given, const std::vector<std::int32_t>& kept,
                       std::size_t most);
  // Names one change on the fontinfo changes line.
  void changed(const std::string& item);

  static constexpr const char* kStyleNameKey = "styleName";
  static constexpr const char* kPreferredFamilyKey = "pref_family";
  static constexpr const char* kPreferredSubfamilyKey = "pref_subfamily";
  static constexpr const char* kRegularStyle = "Regular";

  vn::Font* font_;
  vn::Style* style_;
  ReadWarnings* warnings_;
  double unitsPerEm_ = 1000.0;
  std::map<std::int32_t, double> metrics_;
  // Values of the keys that share metric 0 or 1, by key, to name a conflict.
  std::map<std::string, double> sharedMetrics_;
  // The "styleName" text as the file gave it (the preferred subfamily may replace it).
  std::optional<std::string> styleNameText_;
  // The "styleMapFamilyName" text as the file gave it, and whether the file gave a
  // "styleMapStyleName" and a readable "openTypeHeadCreated".
  std::optional<std::string> styleMapFamilyText_;
  bool styleMapStyleGiven_ = false;
  bool createdGiven_ = false;
  // The "openTypeNameCompatibleFullName" and "postscriptWeightName" texts as the file gave
  // them, whether it gave "openTypeOS2WeightClass", and the class when it was readable.
  std::optional<std::string> compatibleFullNameText_;
  std::optional<std::string> weightNameText_;
  bool weightClassGiven_ = false;
  std::optional<std::int32_t> weightClassRead_;
  // Each pair read from a blue array, with the array it came from.
  struct BlueSource {
    bool family = false;  // FamilyBlues / FamilyOtherBlues
    bool other = false;   // OtherBlues / FamilyOtherBlues
    bool bottom = false;  // read as a bottom zone
    double low = 0;
    double high = 0;
  };
  std::vector<BlueSource> blueSources_;
  // Last numbers of blue arrays of odd length, which make no pair: "postscriptBlueValues 600".
  std::vector<std::string> unpairedBlues_;
  // The number each metric or named-number key gave, by key.
  std::map<std::string, double> givenNumbers_;
  // The text each string key gave (and the PANOSE digits as one text), and the number
  // each integer key gave, fraction included; by key as written.
  std::map<std::string, std::string> givenTexts_;
  std::map<std::string, double> givenIntegers_;
  // Arrays of numbers cut to whole units or to the native file's length, each named:
  // "postscriptStemSnapH 10.5 becomes 10 (...)".
  std::vector<std::string> heldArrays_;
  // Every key the file gave, and the keys named on the changes line so far.
  std::set<std::string> givenKeys_;
  std::set<std::string> namedKeys_;
};

}  // namespace ufo
