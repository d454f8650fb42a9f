// Style-name tables (slope, weight, width words with their abbreviations and
// class numbers), recognition of style words in names, naming of numeric
// weights and widths, and the composition of a style's missing name strings.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "model/font_info.h"

namespace vn {

// One row of a style-name table.
struct StyleWord {
  bool preferred;         // the preferred spelling for its numbers
  const char* name;
  const char* medium;     // medium abbreviation
  const char* shortForm;  // short abbreviation (may be empty)
  int32_t first;          // slope: 0 italic, 9 oblique, -1 upright; weight class; width class
  int32_t second;
  bool monospaced;        // width rows only
};

// The three tables, in their fixed row order.
std::span<const StyleWord> slopeWords();
std::span<const StyleWord> weightWords();
std::span<const StyleWord> widthWords();

// Forms of a row, as `form` numbers count them.
enum StyleWordForm : int { kFormName = 0, kFormMedium = 1, kFormShort = 2 };

// The first row (table order) one of whose forms equals `word` ignoring case;
// `form` (when not null) receives which one. -1 when none or the word is empty.
int findSlopeWord(const std::string& word, int* form);
int findWeightWord(const std::string& word, int* form);
int findWidthWord(const std::string& word, int* form);

// A slope name becomes its medium form, a medium form its short form; a short
// form stays; an unknown word becomes empty.
void abbreviateSlope(std::string& word);

// Searches `text` for the recognised weight (width) words, longest-listed
// first; gives the position of the first found, its length and its class, or
// -1 with length and class 0.
int weightClassForName(const std::string& text, int& length, int& weightClass);
int widthClassForName(const std::string& text, int& length, int& widthClass);

// Key of an OpenType name id 0..22 ("copyright", "family", ...); empty otherwise.
std::string nameKeyForId(int id);
// Weight word of a weight class value ("SemiBold" up to 650, "Bold" from 651 ...).
std::string weightNameFor(int value);
// Width word of a width class 1..9; empty for any other class.
std::string widthNameFor(int widthClass, bool monospaced);
// The characters of `text` that occur in `set`, in order.
std::string filterChars(const std::string& text, const char* set);

// Shortens `text` one step: step 0 turns a name form into its medium form, step
// 1 a medium form into its short form, step 2 a short form into its first two
// characters; at most one replacement per table (slope, width, weight). Returns
// step + 1, or -1 for a step of 3 or more.
int shortenStep(std::string& text, int step);

// Length limits of the composed names.
inline constexpr size_t kStyleNameLimit = 31;
inline constexpr size_t kPostScriptNameLimit = 29;

// The style words of a style, completed from its numbers where a word is unknown.
class StyleNames {
 public:
  StyleNames(const FontNames& names, const FontMetrics& metrics, const StyleFlags& flags);

  // Empties the nine strings.
  void clear();

  // Words from the numbers.
  std::string weightName() const;
  std::string widthName() const;
  std::string slopeName() const;

  // Family name for style linking: family plus the weight and width forms that
  // are not the linking defaults (medium forms, short forms when too long).
  std::string linkingFamily(size_t limit = kStyleNameLimit) const;
  // Style name: weight, width, slope and extra word; "Regular" when none.
  std::string compose(size_t limit = kStyleNameLimit) const;
  // Full name: family and style name, shortened and cut to the limit.
  std::string shortenStyleName(size_t limit = kStyleNameLimit) const;
  // PostScript name: family-style of letters and digits, shortened and cut.
  std::string postScriptName(size_t limit = kPostScriptNameLimit) const;

  std::string family;           // name string 0
  std::string style;            // 1
  std::string styleMapFamily;   // 2
  std::string fontName;         // 5
  std::string fullName;         // 4
  std::string weightWord;       // 9
  std::string widthWord;        // 10
  std::string slopeWord;        // 8
  std::string extraWord;        // 11
  uint8_t slopeFlags = 0;       // bit 0 italic
  double weightValue = 400.0;
  double widthValue = 5.0;
  uint8_t monospaced = 0;
};

// Fills every empty composed name string of a style, in order: linking family,
// slope, weight and width words, style name, full name, PostScript name, version.
void composeStyleNames(FontNames& names, const FontMetrics& metrics, const StyleFlags& flags);
// Style::composeStyleNames (declared with the style) forwards here.

}  // namespace vn
