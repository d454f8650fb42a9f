#include "model/style_names.h"

#include <array>
#include <cstring>

#include "model/numbers.h"
#include "model/style.h"

namespace vn {

namespace {

// A recognised word and the class it implies.
struct ClassWord {
  const char* word;
  int32_t value;
};

constexpr StyleWord kSlopeRows[] = {
    {false, "Upright", "Upri", "Upr", -1, -1, false},
    {true, "Italic", "Ita", "It", 0, 1, false},
    {false, "Cursive", "Curs", "Cur", 0, 1, false},
    {false, "Kursiv", "Kurs", "Kur", 0, 1, false},
    {false, "Inclined", "Incli", "Inc", 0, 1, false},
    {true, "Oblique", "Obliq", "Obl", 9, 1, false},
    {false, "Sloped", "Slop", "Slo", 9, 1, false},
    {false, "Slanted", "Slant", "Sla", 9, 1, false},
};

constexpr StyleWord kWeightRows[] = {
    {true, "Thin", "Thin", "Th", 100, 250, false},
    {true, "Light", "Light", "Lt", 300, 300, false},
    {true, "Regular", "Reg", "Rg", 400, 400, false},
    {false, "Roman", "Rmn", "Rm", 400, 400, false},
    {false, "Normal", "Norm", "Nm", 400, 400, false},
    {false, "Plain", "Plain", "Pl", 400, 400, false},
    {false, "Book", "Book", "Bk", 400, 400, false},
    {true, "News", "News", "Nw", 450, 450, false},
    {true, "Medium", "Med", "Md", 500, 500, false},
    {true, "Bold", "Bold", "Bd", 700, 700, false},
    {false, "Ultra", "Ultra", "Ult", 800, 800, false},
    {true, "Black", "Black", "Blk", 900, 900, false},
    {true, "Heavy", "Heavy", "Hv", 850, 850, false},
    {false, "Fat", "Fat", "Fat", 900, 900, false},
    {false, "UltraThin", "UltTh", "UTh", 100, 250, false},
    {false, "UltraLight", "UltLt", "ULt", 200, 265, false},
    {true, "ExtraLight", "ExtLt", "XLt", 200, 265, false},
    {false, "ExtraLight", "ExtLt", "XLt", 200, 265, false},
    {true, "SemiLight", "SemLt", "SmLt", 350, 350, false},
    {false, "DemiLight", "DemLt", "DmLt", 350, 350, false},
    {false, "Demilight", "DemLt", "DmLt", 350, 350, false},
    {false, "Semilight", "SemLt", "SmLt", 350, 350, false},
    {false, "DemiBold", "DemBd", "DmBd", 600, 600, false},
    {false, "Demibold", "DemBd", "DmBd", 600, 600, false},
    {true, "SemiBold", "SemBd", "SmBd", 600, 600, false},
    {false, "Semibold", "SemBd", "SmBd", 600, 600, false},
    {true, "ExtraBold", "ExtBd", "XBd", 800, 800, false},
    {false, "Extrabold", "ExtBd", "XBd", 800, 800, false},
    {false, "UltraBold", "UltBd", "UBd", 800, 800, false},
    {false, "Ultrabold", "UltBd", "UBd", 800, 800, false},
    {true, "ExtraBlack", "ExtBlk", "XBlk", 950, 950, false},
    {false, "UltraBlack", "UltBlk", "UBlk", 950, 950, false},
    {false, "Ultra Thin", "UltTh", "UTh", 100, 250, false},
    {false, "Ultra Light", "UltLt", "ULt", 200, 265, false},
    {false, "Extra Light", "ExtLt", "XLt", 200, 265, false},
    {false, "Demi Light", "DemLt", "DmLt", 350, 350, false},
    {false, "Semi Light", "SemLt", "SmLt", 350, 350, false},
    {false, "Demi Bold", "DemBd", "DmBd", 600, 600, false},
    {false, "Semi Bold", "SemBd", "SmBd", 600, 600, false},
    {false, "Extra Bold", "ExtBd", "XBd", 800, 800, false},
    {false, "Ultra Bold", "UltBd", "UBd", 800, 800, false},
    {false, "Extra Black", "ExtBlk", "XBlk", 950, 950, false},
    {false, "Ultra Black", "UltBlk", "UBlk", 950, 950, false},
};

constexpr StyleWord kWidthRows[] = {
    {false, "Wide", "Wide", "Wd", 6, -1, false},
    {true, "Expanded", "Exp", "Ex", 7, 6, false},
    {false, "Extended", "Extd", "Ex", 7, 6, false},
    {false, "Extended", "Ext", "Ex", 7, 6, false},
    {false, "Compressed", "Comp", "Cm", 2, 5, false},
    {true, "Condensed", "Cond", "Cn", 3, 5, false},
    {true, "UltraCondensed", "UltCond", "UCn", 1, 5, false},
    {false, "Ultra Condensed", "UltCond", "UCn", 1, 5, false},
    {false, "Ultra Condensed", "UltraCond", "UCn", 1, 5, false},
    {false, "Ultra-condensed", "UltCond", "UCn", 1, 5, false},
    {false, "Ultra Compressed", "UltComp", "UCm", 1, 5, false},
    {true, "ExtraCondensed", "ExtCond", "XCn", 2, 5, false},
    {false, "Extra Condensed", "ExtCond", "XCn", 2, 5, false},
    {false, "Extra Condensed", "ExtraCond", "XCn", 2, 5, false},
    {false, "Extra-condensed", "ExtCond", "XCn", 2, 5, false},
    {false, "Extra Narrow", "ExtNar", "XNr", 3, 5, false},
    {false, "Extra-narrow", "ExtNar", "XNr", 3, 5, false},
    {true, "SemiCondensed", "SemCond", "SmCn", 4, -1, false},
    {false, "Semi Condensed", "SemCond", "SmCn", 4, -1, false},
    {false, "Semi Condensed", "SemCond", "SmCn", 4, -1, false},
    {false, "Semi Condensed", "SemiCond", "SmCn", 4, -1, false},
    {false, "Semi-condensed", "SemCond", "SmCn", 4, -1, false},
    {false, "Narrow", "Narrow", "Nr", 4, -1, false},
    {true, "Normal", "Normal", "", 5, -1, false},
    {true, "SemiExpanded", "SemExp", "SmEx", 6, -1, false},
    {false, "Semi Expanded", "SemExp", "SmEx", 6, -1, false},
    {false, "Semi-expanded", "SemExp", "SmEx", 6, -1, false},
    {false, "Semi Extended", "SemExp", "SmEx", 6, -1, false},
    {false, "Semi Extended", "SemiExp", "SmEx", 6, -1, false},
    {false, "Semi-extended", "SemExp", "SmEx", 6, -1, false},
    {true, "ExtraExpanded", "ExtExp", "XEx", 8, 6, false},
    {false, "Ultra Wide", "UltWd", "UWd", 8, 6, false},
    {false, "UltraWide", "UltWd", "UWd", 8, 6, false},
    {false, "Extra Expanded", "ExtExp", "XEx", 8, 6, false},
    {false, "Extra-expanded", "ExtExp", "XEx", 8, 6, false},
    {false, "Extra Extended", "ExtExt", "XEx", 8, 6, false},
    {false, "Extra Extended", "ExtraExt", "XEx", 8, 6, false},
    {false, "Extra-extended", "ExtExt", "XEx", 8, 6, false},
    {true, "UltraExpanded", "UltExp", "UEx", 9, 6, false},
    {false, "Ultra Expanded", "UltExp", "UEx", 9, 6, false},
    {false, "Ultra-expanded", "UltExp", "UEx", 9, 6, false},
    {false, "Ultra Extended", "UltExt", "UEx", 9, 6, false},
    {false, "Ultra Extended", "UltraExt", "UEx", 9, 6, false},
    {false, "Ultra-extended", "UltExt", "UEx", 9, 6, false},
    {true, "Monospaced", "Mono", "", 5, -1, true},
    {false, "Mono UltCond", "MonoUCn", "UCn", 1, 5, true},
    {false, "Mono ExtCond", "MonoXCn", "XCn", 2, 5, true},
    {false, "Mono Cond", "MonoCn", "Cn", 3, 5, true},
    {false, "Mono SemCond", "MonoSmCn", "SmCn", 4, -1, true},
    {false, "Mono SemExp", "MonoSmEx", "SmEx", 6, -1, true},
    {false, "Mono Exp", "MonoEx", "Ex", 7, 6, true},
    {false, "Mono ExtExp", "MonoXEx", "XEx", 8, 6, true},
    {false, "Mono UltExp", "MonoUEx", "UEx", 9, 6, true},
};

// Searched from the last entry back to the first, so that a longer word such
// as "Extra Light" is found before the "Light" it contains.
constexpr ClassWord kWeightWords[] = {
    {"Thin", 100}, {"Light", 300}, {"Regular", 400}, {"Normal", 400},
    {"Plain", 400}, {"Book", 400}, {"News", 450}, {"Medium", 500},
    {"Bold", 700}, {"Ultra", 800}, {"Black", 900}, {"Heavy", 900},
    {"Fat", 900}, {"UltraThin", 100}, {"Extralight", 200}, {"ExtraLight", 200},
    {"UltraLight", 200}, {"SemiBold", 600}, {"DemiBold", 600}, {"Demibold", 600},
    {"Semibold", 600}, {"ExtraBold", 800}, {"Extrabold", 800}, {"UltraBold", 800},
    {"Ultrabold", 800}, {"ExtraBlack", 950}, {"UltraBlack", 950}, {"Ultrablack", 950},
    {"Ultra Thin", 100}, {"Ultra Light", 200}, {"Extra Light", 200}, {"Demi Bold", 600},
    {"Semi Bold", 600}, {"Extra Bold", 800}, {"Ultra Bold", 800}, {"Extra Black", 950},
    {"Ultra Black", 950},
};

constexpr ClassWord kWidthWords[] = {
    {"Compressed", 2}, {"Condensed", 3}, {"condensed", 3}, {"Narrow", 4},
    {"Normal", 5}, {"normal", 5}, {"Wide", 6}, {"Expanded", 7},
    {"Extended", 7}, {"expanded", 7}, {"Monospaced", 5}, {"UltraCondensed", 1},
    {"ExtraCondensed", 2}, {"SemiCondensed", 4}, {"SemiExpanded", 6}, {"ExtraExpanded", 8},
    {"UltraExpanded", 9}, {"Ultra-condensed", 1}, {"ultra-condensed", 1}, {"Extra-condensed", 2},
    {"extra-condensed", 2}, {"Extra-narrow", 3}, {"Semi-condensed", 4}, {"semi-condensed", 4},
    {"Semi-expanded", 6}, {"Semi-extended", 6}, {"semi-expanded", 6}, {"Extra-expanded", 8},
    {"Extra-extended", 8}, {"extra-expanded", 8}, {"Ultra-expanded", 9}, {"Ultra-extended", 9},
    {"ultra-expanded", 9}, {"Ultra Condensed", 1}, {"Ultra Compressed", 1}, {"Extra Condensed", 2},
    {"Extra Narrow", 3}, {"Semi Condensed", 4}, {"Semi Expanded", 6}, {"Semi Extended", 6},
    {"Extra Expanded", 8}, {"Extra Extended", 8}, {"Ultra Expanded", 9}, {"Ultra Extended", 9},
    {"Mono UltCond", 1}, {"Mono ExtCond", 2}, {"Mono Cond", 3}, {"Mono SemCond", 4},
    {"Mono SemExp", 6}, {"Mono Exp", 7}, {"Mono ExtExp", 8}, {"Mono UltExp", 9},
};

constexpr std::array<const char*, 23> kNameKeys = {
    "copyright", "family",      "subfamily",    "uid",         "full",
    "tt_version", "postscript", "trademark",    "source",      "designer",
    "description", "url_vendor", "url_designer", "license",    "url_license",
    "reserved",  "pref_family", "pref_subfamily", "compatible", "sample_text",
    "cid",       "wws_family",  "wws_subfamily"};

// Weight classes that weightNameFor names, with their words.
constexpr ClassWord kWeightSteps[] = {
    {"Thin", 100},    {"ExtraLight", 200}, {"Light", 300},     {"SemiLight", 350},
    {"Regular", 400}, {"News", 450},       {"Medium", 500},    {"SemiBold", 600},
    {"Bold", 700},    {"ExtraBold", 800},  {"Heavy", 850},     {"Black", 900},
    {"ExtraBlack", 950}};

constexpr const char* kWidthNames[9] = {"UltraCondensed", "ExtraCondensed", "Condensed",
                                        "SemiCondensed",  "Normal",         "SemiExpanded",
                                        "Expanded",       "ExtraExpanded",  "UltraExpanded"};
constexpr const char* kMonoWidthNames[9] = {"Mono UltCond", "Mono ExtCond", "Mono Cond",
                                            "Mono SemCond", "Monospaced",   "Mono SemExp",
                                            "Mono Exp",     "Mono ExtExp",  "Mono UltExp"};

constexpr const char* kPostScriptChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz1234567890";

const char* formOf(const StyleWord& row, int form) {
  switch (form) {
    case kFormName: return row.name;
    case kFormMedium: return row.medium;
    default: return row.shortForm;
  }
}

int findWord(std::span<const StyleWord> rows, const std::string& word, int* form) {
  if (word.empty()) return -1;
  for (size_t row = 0; row < rows.size(); ++row) {
    for (int candidate = kFormName; candidate <= kFormShort; ++candidate) {
      const char* text = formOf(rows[row], candidate);
      if (*text != '\0' && equalsNoCase(word, text)) {
        if (form) *form = candidate;
        return static_cast<int>(row);
      }
    }
  }
  return -1;
}

int classForName(std::span<const ClassWord> words, const std::string& text, int& length,
                 int& value) {
  length = 0;
  value = 0;
  if (text.empty()) return -1;
  for (auto it = words.rbegin(); it != words.rend(); ++it) {
    const size_t at = text.find(it->word);
    if (at != std::string::npos) {
      length = static_cast<int>(std::strlen(it->word));
      value = it->value;
      return static_cast<int>(at);
    }
  }
  return -1;
}

// One table's part of shortenStep; true when it replaced something.
bool shortenInTable(std::span<const StyleWord> rows, std::string& text, int step) {
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    const char* form = formOf(*row, step);
    if (*form == '\0') continue;
    const size_t at = text.find(form);
    if (at == std::string::npos) continue;
    const std::string replacement =
        step < kFormShort ? formOf(*row, step + 1) : std::string(row->shortForm).substr(0, 2);
    text.replace(at, std::strlen(form), replacement);
    return true;
  }
  return false;
}

// The next shorter form of a weight or width part: name -> medium -> short; a
// short form stays; an unknown word becomes empty.
std::string nextForm(std::span<const StyleWord> rows, const std::string& part) {
  if (part.empty()) return part;
  int form = 0;
  const int row = findWord(rows, part, &form);
  if (row < 0) return std::string();
  if (form == kFormShort) return part;
  return formOf(rows[static_cast<size_t>(row)], form + 1);
}

void appendWord(std::string& result, const std::string& word) {
  if (word.empty()) return;
  if (!result.empty()) result += ' ';
  result += word;
}

std::string joinWords(std::initializer_list<const std::string*> words) {
  std::string result;
  for (const std::string* word : words) appendWord(result, *word);
  return result;
}

void cutTo(std::string& text, size_t limit) {
  if (text.size() > limit) text.resize(limit);
}

}  // namespace

std::span<const StyleWord> slopeWords() { return kSlopeRows; }
std::span<const StyleWord> weightWords() { return kWeightRows; }
std::span<const StyleWord> widthWords() { return kWidthRows; }

int findSlopeWord(const std::string& word, int* form) { return findWord(kSlopeRows, word, form); }
int findWeightWord(const std::string& word, int* form) { return findWord(kWeightRows, word, form); }
int findWidthWord(const std::string& word, int* form) { return findWord(kWidthRows, word, form); }

void abbreviateSlope(std::string& word) {
  int form = 0;
  const int row = findSlopeWord(word, &form);
  if (row < 0) {
    word.clear();
  } else if (form != kFormShort) {
    word = formOf(kSlopeRows[row], form + 1);
  }
}

int weightClassForName(const std::string& text, int& length, int& weightClass) {
  return classForName(kWeightWords, text, length, weightClass);
}

int widthClassForName(const std::string& text, int& length, int& widthClass) {
  return classForName(kWidthWords, text, length, widthClass);
}

std::string nameKeyForId(int id) {
  if (id < 0 || id >= static_cast<int>(kNameKeys.size())) return std::string();
  return kNameKeys[static_cast<size_t>(id)];
}

std::string weightNameFor(int value) {
  constexpr size_t kLast = std::size(kWeightSteps) - 1;
  if (value <= 150) return kWeightSteps[0].word;
  if (value >= 926) return kWeightSteps[kLast].word;
  // Each step owns the values above the midpoint below it up to the midpoint above it.
  for (size_t i = 1; i < kLast; ++i) {
    const int low = (kWeightSteps[i - 1].value + kWeightSteps[i].value) / 2;
    const int high = (kWeightSteps[i].value + kWeightSteps[i + 1].value) / 2;
    if (low < value && value <= high) return kWeightSteps[i].word;
  }
  return "Regular";
}

std::string widthNameFor(int widthClass, bool monospaced) {
  if (widthClass < 1 || widthClass > 9) return std::string();
  return (monospaced ? kMonoWidthNames : kWidthNames)[widthClass - 1];
}

std::string filterChars(const std::string& text, const char* set) {
  std::string result;
  if (!set) return result;
  for (char c : text) {
    if (c != '\0' && std::strchr(set, c)) result += c;
  }
  return result;
}

int shortenStep(std::string& text, int step) {
  if (step < 0 || step > kFormShort) return -1;
  shortenInTable(kSlopeRows, text, step);
  shortenInTable(kWidthRows, text, step);
  shortenInTable(kWeightRows, text, step);
  return step + 1;
}

StyleNames::StyleNames(const FontNames& names, const FontMetrics& metrics, const StyleFlags& flags)
    : family(names.familyName),
      style(names.styleName),
      styleMapFamily(names.styleMapFamilyName),
      fontName(names.fontName),
      fullName(names.fullName),
      weightWord(names.weightName),
      widthWord(names.widthName),
      slopeWord(names.slopeName),
      extraWord(names.spareName),
      slopeFlags(flags.isItalic ? 1 : 0),
      weightValue(metrics.weightValue),
      widthValue(metrics.widthValue),
      monospaced(flags.isFixedPitch ? 1 : 0) {
  if (findWeightWord(weightWord, nullptr) < 0) weightWord = weightName();
  if (findWidthWord(widthWord, nullptr) < 0) widthWord = widthName();
  if (findSlopeWord(slopeWord, nullptr) < 0) slopeWord = slopeName();
}

void StyleNames::clear() {
  for (std::string* text : {&family, &style, &styleMapFamily, &fontName, &fullName, &weightWord,
                            &widthWord, &slopeWord, &extraWord}) {
    text->clear();
  }
}

std::string StyleNames::weightName() const {
  const double value = weightValue;
  if (!(value > 0)) return "Regular";
  if (value <= 50) return "Thin";
  if (value >= 950) return "ExtraBlack";
  for (const StyleWord& row : kWeightRows) {
    if (row.preferred && row.first - 50 < value && value <= row.first + 50) return row.name;
  }
  return "Regular";
}

std::string StyleNames::widthName() const {
  const bool mono = monospaced != 0;
  if (widthValue == 0) return mono ? "Monospaced" : "Normal";
  if (widthValue > 9) return mono ? "Mono UltExp" : "UltraExpanded";
  for (const StyleWord& row : kWidthRows) {
    if (row.preferred && row.monospaced == mono && row.first - 0.5 < widthValue &&
        widthValue <= row.first + 0.5) {
      return row.name;
    }
  }
  return "Normal";
}

std::string StyleNames::slopeName() const { return (slopeFlags & 1) ? "Italic" : "Plain"; }

std::string StyleNames::linkingFamily(size_t limit) const {
  auto build = [this](int form) {
    std::string result = family;
    const int weightRow = findWeightWord(weightWord, nullptr);
    if (weightRow >= 0) {
      const StyleWord& row = kWeightRows[weightRow];
      if (row.first != 400 && row.first != 700) appendWord(result, formOf(row, form));
    }
    const int widthRow = findWidthWord(widthWord, nullptr);
    if (widthRow >= 0) {
      const StyleWord& row = kWidthRows[widthRow];
      if (row.first != 5) appendWord(result, formOf(row, form));
    }
    appendWord(result, extraWord);
    return result;
  };
  std::string result = build(kFormMedium);
  if (result.size() > limit) result = build(kFormShort);
  return result;
}

std::string StyleNames::compose(size_t limit) const {
  std::string weightPart = equalsNoCase(weightWord, "Regular") ? std::string() : weightWord;
  std::string widthPart = equalsNoCase(widthWord, "Normal") ? std::string() : widthWord;
  std::string slopePart = equalsNoCase(slopeWord, "Plain") ? std::string() : slopeWord;
  std::string result = joinWords({&weightPart, &widthPart, &slopePart, &extraWord});
  for (int round = 0; round < 2 && result.size() > limit; ++round) {
    weightPart = nextForm(kWeightRows, weightPart);
    widthPart = nextForm(kWidthRows, widthPart);
    if (!slopePart.empty()) abbreviateSlope(slopePart);
    result = joinWords({&weightPart, &widthPart, &slopePart});
  }
  if (result.empty()) result = "Regular";
  cutTo(result, limit);
  return result;
}

std::string StyleNames::shortenStyleName(size_t limit) const {
  std::string styleText = style;
  auto build = [&] { return joinWords({&family, &styleText}); };
  std::string result = build();
  for (int step = 0; result.size() > limit && step >= 0 && step <= kFormShort;) {
    step = shortenStep(styleText, step);
    result = build();
  }
  cutTo(result, limit);
  return result;
}

std::string StyleNames::postScriptName(size_t limit) const {
  std::string styleText = style;
  const std::string familyPart = filterChars(family, kPostScriptChars);
  auto build = [&] {
    const std::string stylePart = filterChars(styleText, kPostScriptChars);
    return stylePart.empty() ? familyPart : familyPart + "-" + stylePart;
  };
  std::string result = build();
  for (int step = 0; result.size() > limit && step >= 0 && step <= kFormShort;) {
    step = shortenStep(styleText, step);
    result = build();
  }
  cutTo(result, limit);
  return result;
}

void composeStyleNames(FontNames& names, const FontMetrics& metrics, const StyleFlags& flags) {
  auto fresh = [&] { return StyleNames(names, metrics, flags); };
  if (names.styleMapFamilyName.empty()) names.styleMapFamilyName = fresh().linkingFamily();
  if (names.slopeName.empty()) names.slopeName = metrics.italicAngle != 0 ? "Italic" : "Plain";
  if (names.weightName.empty()) {
    names.weightName = weightNameFor(saturateInt32(metrics.weightValue));
  }
  if (names.widthName.empty()) {
    names.widthName = widthNameFor(saturateInt32(metrics.widthValue), false);
  }
  if (names.styleName.empty()) names.styleName = fresh().compose();
  if (names.fullName.empty()) names.fullName = fresh().shortenStyleName();
  if (names.fontName.empty()) names.fontName = fresh().postScriptName();
  if (names.version.empty()) names.version = "1.0";
}

void Style::composeStyleNames() { vn::composeStyleNames(names, metrics, flags); }

}  // namespace vn
