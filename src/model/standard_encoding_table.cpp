// Generated once from the standard-encoding list (code and glyph name); do not edit.
// Entries are sorted by name, byte-wise, so that a name is found by binary search.
#include "model/encodings.h"

namespace vn::detail {

namespace {
constexpr EncodingEntry kStandardEncoding[] = {
    {"A", 65}, {"AE", 225}, {"B", 66}, {"C", 67},
    {"D", 68}, {"E", 69}, {"F", 70}, {"G", 71},
    {"H", 72}, {"I", 73}, {"J", 74}, {"K", 75},
    {"L", 76}, {"Lslash", 232}, {"M", 77}, {"N", 78},
    {"O", 79}, {"OE", 234}, {"Oslash", 233}, {"P", 80},
    {"Q", 81}, {"R", 82}, {"S", 83}, {"T", 84},
    {"U", 85}, {"V", 86}, {"W", 87}, {"X", 88},
    {"Y", 89}, {"Z", 90}, {"a", 97}, {"acute", 194},
    {"ae", 241}, {"ampersand", 38}, {"asciicircum", 94}, {"asciitilde", 126},
    {"asterisk", 42}, {"at", 64}, {"b", 98}, {"backslash", 92},
    {"bar", 124}, {"braceleft", 123}, {"braceright", 125}, {"bracketleft", 91},
    {"bracketright", 93}, {"breve", 198}, {"bullet", 183}, {"c", 99},
    {"caron", 207}, {"cedilla", 203}, {"cent", 162}, {"circumflex", 195},
    {"colon", 58}, {"comma", 44}, {"currency", 168}, {"d", 100},
    {"dagger", 178}, {"daggerdbl", 179}, {"dieresis", 200}, {"dollar", 36},
    {"dotaccent", 199}, {"dotlessi", 245}, {"e", 101}, {"eight", 56},
    {"ellipsis", 188}, {"emdash", 208}, {"endash", 177}, {"equal", 61},
    {"exclam", 33}, {"exclamdown", 161}, {"f", 102}, {"fi", 174},
    {"five", 53}, {"fl", 175}, {"florin", 166}, {"four", 52},
    {"fraction", 164}, {"g", 103}, {"germandbls", 251}, {"grave", 193},
    {"greater", 62}, {"guillemotleft", 171}, {"guillemotright", 187}, {"guilsinglleft", 172},
    {"guilsinglright", 173}, {"h", 104}, {"hungarumlaut", 205}, {"hyphen", 45},
    {"i", 105}, {"j", 106}, {"k", 107}, {"l", 108},
    {"less", 60}, {"lslash", 248}, {"m", 109}, {"macron", 197},
    {"n", 110}, {"nine", 57}, {"numbersign", 35}, {"o", 111},
    {"oe", 250}, {"ogonek", 206}, {"one", 49}, {"ordfeminine", 227},
    {"ordmasculine", 235}, {"oslash", 249}, {"p", 112}, {"paragraph", 182},
    {"parenleft", 40}, {"parenright", 41}, {"percent", 37}, {"period", 46},
    {"periodcentered", 180}, {"perthousand", 189}, {"plus", 43}, {"q", 113},
    {"question", 63}, {"questiondown", 191}, {"quotedbl", 34}, {"quotedblbase", 185},
    {"quotedblleft", 170}, {"quotedblright", 186}, {"quoteleft", 96}, {"quoteright", 39},
    {"quotesinglbase", 184}, {"quotesingle", 169}, {"r", 114}, {"ring", 202},
    {"s", 115}, {"section", 167}, {"semicolon", 59}, {"seven", 55},
    {"six", 54}, {"slash", 47}, {"space", 32}, {"sterling", 163},
    {"t", 116}, {"three", 51}, {"tilde", 196}, {"two", 50},
    {"u", 117}, {"underscore", 95}, {"v", 118}, {"w", 119},
    {"x", 120}, {"y", 121}, {"yen", 165}, {"z", 122},
    {"zero", 48},
};
}  // namespace

std::span<const EncodingEntry> standardEncodingEntries() { return kStandardEncoding; }

}  // namespace vn::detail
