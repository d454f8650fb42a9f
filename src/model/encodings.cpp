#include "model/encodings.h"

#include <algorithm>
#include <cstring>

#include "model/numbers.h"

namespace vn {

namespace {

bool nameLess(const EncodingEntry& a, const EncodingEntry& b) { return compareByName(a, b) < 0; }

int compareToName(const char* entryName, std::string_view name) {
  const size_t length = std::strlen(entryName);
  const int result = std::memcmp(entryName, name.data(), std::min(length, name.size()));
  if (result != 0) return result < 0 ? -1 : 1;
  if (length == name.size()) return 0;
  return length < name.size() ? -1 : 1;
}

// Listed in code order; sorted by name when the table is built.
constexpr EncodingEntry kTable255[] = {
    {"Eth", 1}, {"eth", 2}, {"Lslash", 3}, {"lslash", 4},
    {"Scaron", 5}, {"scaron", 6}, {"Yacute", 7}, {"yacute", 8},
    {"HT", 9}, {"LF", 10}, {"Thorn", 11}, {"thorn", 12},
    {"CR", 13}, {"Zcaron", 14}, {"zcaron", 15}, {"DLE", 16},
    {"DC1", 17}, {"DC2", 18}, {"DC3", 19}, {"DC4", 20},
    {"onehalf", 21}, {"onequarter", 22}, {"onesuperior", 23}, {"threequarters", 24},
    {"threesuperior", 25}, {"twosuperior", 26}, {"brokenbar", 27}, {"minus", 28},
    {"multiply", 29}, {"RS", 30}, {"US", 31}, {"space", 32},
    {"exclam", 33}, {"quotedbl", 34}, {"numbersign", 35}, {"dollar", 36},
    {"percent", 37}, {"ampersand", 38}, {"quotesingle", 39}, {"parenleft", 40},
    {"parenright", 41}, {"asterisk", 42}, {"plus", 43}, {"comma", 44},
    {"hyphen", 45}, {"period", 46}, {"slash", 47}, {"zero", 48},
    {"one", 49}, {"two", 50}, {"three", 51}, {"four", 52},
    {"five", 53}, {"six", 54}, {"seven", 55}, {"eight", 56},
    {"nine", 57}, {"colon", 58}, {"semicolon", 59}, {"less", 60},
    {"equal", 61}, {"greater", 62}, {"question", 63}, {"at", 64},
    {"A", 65}, {"B", 66}, {"C", 67}, {"D", 68},
    {"E", 69}, {"F", 70}, {"G", 71}, {"H", 72},
    {"I", 73}, {"J", 74}, {"K", 75}, {"L", 76},
    {"M", 77}, {"N", 78}, {"O", 79}, {"P", 80},
    {"Q", 81}, {"R", 82}, {"S", 83}, {"T", 84},
    {"U", 85}, {"V", 86}, {"W", 87}, {"X", 88},
    {"Y", 89}, {"Z", 90}, {"bracketleft", 91}, {"backslash", 92},
    {"bracketright", 93}, {"asciicircum", 94}, {"underscore", 95}, {"grave", 96},
    {"a", 97}, {"b", 98}, {"c", 99}, {"d", 100},
    {"e", 101}, {"f", 102}, {"g", 103}, {"h", 104},
    {"i", 105}, {"j", 106}, {"k", 107}, {"l", 108},
    {"m", 109}, {"n", 110}, {"o", 111}, {"p", 112},
    {"q", 113}, {"r", 114}, {"s", 115}, {"t", 116},
    {"u", 117}, {"v", 118}, {"w", 119}, {"x", 120},
    {"y", 121}, {"z", 122}, {"braceleft", 123}, {"bar", 124},
    {"braceright", 125}, {"asciitilde", 126}, {"DEL", 127}, {"Adieresis", 128},
    {"Aring", 129}, {"Ccedilla", 130}, {"Eacute", 131}, {"Ntilde", 132},
    {"Odieresis", 133}, {"Udieresis", 134}, {"aacute", 135}, {"agrave", 136},
    {"acircumflex", 137}, {"adieresis", 138}, {"atilde", 139}, {"aring", 140},
    {"ccedilla", 141}, {"eacute", 142}, {"egrave", 143}, {"ecircumflex", 144},
    {"edieresis", 145}, {"iacute", 146}, {"igrave", 147}, {"icircumflex", 148},
    {"idieresis", 149}, {"ntilde", 150}, {"oacute", 151}, {"ograve", 152},
    {"ocircumflex", 153}, {"odieresis", 154}, {"otilde", 155}, {"uacute", 156},
    {"ugrave", 157}, {"ucircumflex", 158}, {"udieresis", 159}, {"dagger", 160},
    {"degree", 161}, {"cent", 162}, {"sterling", 163}, {"section", 164},
    {"bullet", 165}, {"paragraph", 166}, {"germandbls", 167}, {"registered", 168},
    {"copyright", 169}, {"trademark", 170}, {"acute", 171}, {"dieresis", 172},
    {"notequal", 173}, {"AE", 174}, {"Oslash", 175}, {"infinity", 176},
    {"plusminus", 177}, {"lessequal", 178}, {"greaterequal", 179}, {"yen", 180},
    {"mu", 181}, {"partialdiff", 182}, {"summation", 183}, {"product", 184},
    {"pi", 185}, {"integral", 186}, {"ordfeminine", 187}, {"ordmasculine", 188},
    {"Omega", 189}, {"ae", 190}, {"oslash", 191}, {"questiondown", 192},
    {"exclamdown", 193}, {"logicalnot", 194}, {"radical", 195}, {"florin", 196},
    {"approxequal", 197}, {"Delta", 198}, {"guillemotleft", 199}, {"guillemotright", 200},
    {"ellipsis", 201}, {"uni00A0", 202}, {"Agrave", 203}, {"Atilde", 204},
    {"Otilde", 205}, {"OE", 206}, {"oe", 207}, {"endash", 208},
    {"emdash", 209}, {"quotedblleft", 210}, {"quotedblright", 211}, {"quoteleft", 212},
    {"quoteright", 213}, {"divide", 214}, {"lozenge", 215}, {"ydieresis", 216},
    {"Ydieresis", 217}, {"fraction", 218}, {"Euro", 219}, {"guilsinglleft", 220},
    {"guilsinglright", 221}, {"fi", 222}, {"fl", 223}, {"daggerdbl", 224},
    {"periodcentered", 225}, {"quotesinglbase", 226}, {"quotedblbase", 227}, {"perthousand", 228},
    {"Acircumflex", 229}, {"Ecircumflex", 230}, {"Aacute", 231}, {"Edieresis", 232},
    {"Egrave", 233}, {"Iacute", 234}, {"Icircumflex", 235}, {"Idieresis", 236},
    {"Igrave", 237}, {"Oacute", 238}, {"Ocircumflex", 239}, {"apple", 240},
    {"Ograve", 241}, {"Uacute", 242}, {"Ucircumflex", 243}, {"Ugrave", 244},
    {"dotlessi", 245}, {"circumflex", 246}, {"tilde", 247}, {"macron", 248},
    {"breve", 249}, {"dotaccent", 250}, {"ring", 251}, {"cedilla", 252},
    {"hungarumlaut", 253}, {"ogonek", 254}, {"caron", 255},
};

constexpr EncodingEntry kTable228[] = {
    {"breve", 5}, {"dotaccent", 6}, {"ring", 8}, {"hungarumlaut", 10},
    {"ogonek", 11}, {"caron", 12}, {"dotlessi", 13}, {"fraction", 25},
    {"fi", 26}, {"fl", 27}, {"Lslash", 28}, {"lslash", 29},
    {"Zcaron", 30}, {"zcaron", 31}, {"space", 32}, {"exclam", 33},
    {"quotedbl", 34}, {"numbersign", 35}, {"dollar", 36}, {"percent", 37},
    {"ampersand", 38}, {"quotesingle", 39}, {"parenleft", 40}, {"parenright", 41},
    {"asterisk", 42}, {"plus", 43}, {"comma", 44}, {"minus", 45},
    {"period", 46}, {"slash", 47}, {"zero", 48}, {"one", 49},
    {"two", 50}, {"three", 51}, {"four", 52}, {"five", 53},
    {"six", 54}, {"seven", 55}, {"eight", 56}, {"nine", 57},
    {"colon", 58}, {"semicolon", 59}, {"less", 60}, {"equal", 61},
    {"greater", 62}, {"question", 63}, {"at", 64}, {"A", 65},
    {"B", 66}, {"C", 67}, {"D", 68}, {"E", 69},
    {"F", 70}, {"G", 71}, {"H", 72}, {"I", 73},
    {"J", 74}, {"K", 75}, {"L", 76}, {"M", 77},
    {"N", 78}, {"O", 79}, {"P", 80}, {"Q", 81},
    {"R", 82}, {"S", 83}, {"T", 84}, {"U", 85},
    {"V", 86}, {"W", 87}, {"X", 88}, {"Y", 89},
    {"Z", 90}, {"bracketleft", 91}, {"backslash", 92}, {"bracketright", 93},
    {"asciicircum", 94}, {"underscore", 95}, {"grave", 96}, {"a", 97},
    {"b", 98}, {"c", 99}, {"d", 100}, {"e", 101},
    {"f", 102}, {"g", 103}, {"h", 104}, {"i", 105},
    {"j", 106}, {"k", 107}, {"l", 108}, {"m", 109},
    {"n", 110}, {"o", 111}, {"p", 112}, {"q", 113},
    {"r", 114}, {"s", 115}, {"t", 116}, {"u", 117},
    {"v", 118}, {"w", 119}, {"x", 120}, {"y", 121},
    {"z", 122}, {"braceleft", 123}, {"bar", 124}, {"braceright", 125},
    {"asciitilde", 126}, {"quotesinglbase", 130}, {"florin", 131}, {"quotedblbase", 132},
    {"ellipsis", 133}, {"dagger", 134}, {"daggerdbl", 135}, {"circumflex", 136},
    {"perthousand", 137}, {"Scaron", 138}, {"guilsinglleft", 139}, {"OE", 140},
    {"quoteleft", 145}, {"quoteright", 146}, {"quotedblleft", 147}, {"quotedblright", 148},
    {"bullet", 149}, {"endash", 150}, {"emdash", 151}, {"tilde", 152},
    {"trademark", 153}, {"scaron", 154}, {"guilsinglright", 155}, {"oe", 156},
    {"Ydieresis", 159}, {"exclamdown", 161}, {"cent", 162}, {"sterling", 163},
    {"currency", 164}, {"yen", 165}, {"brokenbar", 166}, {"section", 167},
    {"dieresis", 168}, {"copyright", 169}, {"ordfeminine", 170}, {"guillemotleft", 171},
    {"logicalnot", 172}, {"hyphen", 173}, {"registered", 174}, {"macron", 175},
    {"degree", 176}, {"plusminus", 177}, {"twosuperior", 178}, {"threesuperior", 179},
    {"acute", 180}, {"mu", 181}, {"paragraph", 182}, {"periodcentered", 183},
    {"cedilla", 184}, {"onesuperior", 185}, {"ordmasculine", 186}, {"guillemotright", 187},
    {"onequarter", 188}, {"onehalf", 189}, {"threequarters", 190}, {"questiondown", 191},
    {"Agrave", 192}, {"Aacute", 193}, {"Acircumflex", 194}, {"Atilde", 195},
    {"Adieresis", 196}, {"Aring", 197}, {"AE", 198}, {"Ccedilla", 199},
    {"Egrave", 200}, {"Eacute", 201}, {"Ecircumflex", 202}, {"Edieresis", 203},
    {"Igrave", 204}, {"Iacute", 205}, {"Icircumflex", 206}, {"Idieresis", 207},
    {"Eth", 208}, {"Ntilde", 209}, {"Ograve", 210}, {"Oacute", 211},
    {"Ocircumflex", 212}, {"Otilde", 213}, {"Odieresis", 214}, {"multiply", 215},
    {"Oslash", 216}, {"Ugrave", 217}, {"Uacute", 218}, {"Ucircumflex", 219},
    {"Udieresis", 220}, {"Yacute", 221}, {"Thorn", 222}, {"germandbls", 223},
    {"agrave", 224}, {"aacute", 225}, {"acircumflex", 226}, {"atilde", 227},
    {"adieresis", 228}, {"aring", 229}, {"ae", 230}, {"ccedilla", 231},
    {"egrave", 232}, {"eacute", 233}, {"ecircumflex", 234}, {"edieresis", 235},
    {"igrave", 236}, {"iacute", 237}, {"icircumflex", 238}, {"idieresis", 239},
    {"eth", 240}, {"ntilde", 241}, {"ograve", 242}, {"oacute", 243},
    {"ocircumflex", 244}, {"otilde", 245}, {"odieresis", 246}, {"divide", 247},
    {"oslash", 248}, {"ugrave", 249}, {"uacute", 250}, {"ucircumflex", 251},
    {"udieresis", 252}, {"yacute", 253}, {"thorn", 254}, {"ydieresis", 255},
};

constexpr EncodingEntry kTable223[] = {
    {"NULL", 1}, {"uni0002", 2}, {"uni0009", 9}, {"uni000A", 10},
    {"CR", 13}, {"space", 32}, {"exclam", 33}, {"quotedbl", 34},
    {"numbersign", 35}, {"dollar", 36}, {"percent", 37}, {"ampersand", 38},
    {"quotesingle", 39}, {"parenleft", 40}, {"parenright", 41}, {"asterisk", 42},
    {"plus", 43}, {"comma", 44}, {"hyphen", 45}, {"period", 46},
    {"slash", 47}, {"zero", 48}, {"one", 49}, {"two", 50},
    {"three", 51}, {"four", 52}, {"five", 53}, {"six", 54},
    {"seven", 55}, {"eight", 56}, {"nine", 57}, {"colon", 58},
    {"semicolon", 59}, {"less", 60}, {"equal", 61}, {"greater", 62},
    {"question", 63}, {"at", 64}, {"A", 65}, {"B", 66},
    {"C", 67}, {"D", 68}, {"E", 69}, {"F", 70},
    {"G", 71}, {"H", 72}, {"I", 73}, {"J", 74},
    {"K", 75}, {"L", 76}, {"M", 77}, {"N", 78},
    {"O", 79}, {"P", 80}, {"Q", 81}, {"R", 82},
    {"S", 83}, {"T", 84}, {"U", 85}, {"V", 86},
    {"W", 87}, {"X", 88}, {"Y", 89}, {"Z", 90},
    {"bracketleft", 91}, {"backslash", 92}, {"bracketright", 93}, {"asciicircum", 94},
    {"underscore", 95}, {"grave", 96}, {"a", 97}, {"b", 98},
    {"c", 99}, {"d", 100}, {"e", 101}, {"f", 102},
    {"g", 103}, {"h", 104}, {"i", 105}, {"j", 106},
    {"k", 107}, {"l", 108}, {"m", 109}, {"n", 110},
    {"o", 111}, {"p", 112}, {"q", 113}, {"r", 114},
    {"s", 115}, {"t", 116}, {"u", 117}, {"v", 118},
    {"w", 119}, {"x", 120}, {"y", 121}, {"z", 122},
    {"braceleft", 123}, {"bar", 124}, {"braceright", 125}, {"asciitilde", 126},
    {"Euro", 128}, {"quotesinglbase", 130}, {"florin", 131}, {"quotedblbase", 132},
    {"ellipsis", 133}, {"dagger", 134}, {"daggerdbl", 135}, {"circumflex", 136},
    {"perthousand", 137}, {"Scaron", 138}, {"guilsinglleft", 139}, {"OE", 140},
    {"Zcaron", 142}, {"quoteleft", 145}, {"quoteright", 146}, {"quotedblleft", 147},
    {"quotedblright", 148}, {"bullet", 149}, {"endash", 150}, {"emdash", 151},
    {"tilde", 152}, {"trademark", 153}, {"scaron", 154}, {"guilsinglright", 155},
    {"oe", 156}, {"zcaron", 158}, {"Ydieresis", 159}, {"uni00A0", 160},
    {"exclamdown", 161}, {"cent", 162}, {"sterling", 163}, {"currency", 164},
    {"yen", 165}, {"brokenbar", 166}, {"section", 167}, {"dieresis", 168},
    {"copyright", 169}, {"ordfeminine", 170}, {"guillemotleft", 171}, {"logicalnot", 172},
    {"uni00AD", 173}, {"registered", 174}, {"macron", 175}, {"degree", 176},
    {"plusminus", 177}, {"twosuperior", 178}, {"threesuperior", 179}, {"acute", 180},
    {"mu", 181}, {"paragraph", 182}, {"periodcentered", 183}, {"cedilla", 184},
    {"onesuperior", 185}, {"ordmasculine", 186}, {"guillemotright", 187}, {"onequarter", 188},
    {"onehalf", 189}, {"threequarters", 190}, {"questiondown", 191}, {"Agrave", 192},
    {"Aacute", 193}, {"Acircumflex", 194}, {"Atilde", 195}, {"Adieresis", 196},
    {"Aring", 197}, {"AE", 198}, {"Ccedilla", 199}, {"Egrave", 200},
    {"Eacute", 201}, {"Ecircumflex", 202}, {"Edieresis", 203}, {"Igrave", 204},
    {"Iacute", 205}, {"Icircumflex", 206}, {"Idieresis", 207}, {"Eth", 208},
    {"Ntilde", 209}, {"Ograve", 210}, {"Oacute", 211}, {"Ocircumflex", 212},
    {"Otilde", 213}, {"Odieresis", 214}, {"multiply", 215}, {"Oslash", 216},
    {"Ugrave", 217}, {"Uacute", 218}, {"Ucircumflex", 219}, {"Udieresis", 220},
    {"Yacute", 221}, {"Thorn", 222}, {"germandbls", 223}, {"agrave", 224},
    {"aacute", 225}, {"acircumflex", 226}, {"atilde", 227}, {"adieresis", 228},
    {"aring", 229}, {"ae", 230}, {"ccedilla", 231}, {"egrave", 232},
    {"eacute", 233}, {"ecircumflex", 234}, {"edieresis", 235}, {"igrave", 236},
    {"iacute", 237}, {"icircumflex", 238}, {"idieresis", 239}, {"eth", 240},
    {"ntilde", 241}, {"ograve", 242}, {"oacute", 243}, {"ocircumflex", 244},
    {"otilde", 245}, {"odieresis", 246}, {"divide", 247}, {"oslash", 248},
    {"ugrave", 249}, {"uacute", 250}, {"ucircumflex", 251}, {"udieresis", 252},
    {"yacute", 253}, {"thorn", 254}, {"ydieresis", 255},
};

}  // namespace

EncodingTable::EncodingTable(std::span<const EncodingEntry> entries, bool sortByName)
    : entries_(entries.begin(), entries.end()) {
  if (sortByName) std::stable_sort(entries_.begin(), entries_.end(), nameLess);
  index_.fill(kNoEntry);
  for (size_t position = 0; position < entries_.size() && position < kNoEntry; ++position) {
    const int32_t code = entries_[position].code;
    if (code >= 0 && code < static_cast<int32_t>(index_.size())) {
      index_[static_cast<size_t>(code)] = static_cast<uint16_t>(position);
    }
  }
}

uint16_t EncodingTable::indexOfCode(int code) const {
  if (code < 0 || code >= static_cast<int>(index_.size())) return kNoEntry;
  return index_[static_cast<size_t>(code)];
}

const EncodingEntry* EncodingTable::entryForCode(int code) const {
  const uint16_t position = indexOfCode(code);
  return position == kNoEntry ? nullptr : &entries_[position];
}

int32_t EncodingTable::codeForName(std::string_view name) const {
  size_t low = 0;
  size_t high = entries_.size();
  while (low < high) {
    const size_t middle = low + (high - low) / 2;
    const int order = compareToName(entries_[middle].name, name);
    if (order == 0) return entries_[middle].code;
    if (order < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return -1;
}

const EncodingTable& Encodings::standard() {
  static const EncodingTable table(detail::standardEncodingEntries(), false);
  return table;
}

const EncodingTable& Encodings::table255() {
  static const EncodingTable table(kTable255, true);
  return table;
}

const EncodingTable& Encodings::table228() {
  static const EncodingTable table(kTable228, true);
  return table;
}

const EncodingTable& Encodings::table223() {
  static const EncodingTable table(kTable223, true);
  return table;
}

}  // namespace vn
