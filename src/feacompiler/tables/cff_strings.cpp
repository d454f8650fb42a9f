// The string index: the 391 standard strings and the font's custom strings.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "feacompiler/tables/cff_context.h"

namespace fea {

namespace {

const char* const kStandard[kStdStringCount] = {
    ".notdef", "space", "exclam", "quotedbl", "numbersign", "dollar", "percent", "ampersand",
    "quoteright", "parenleft", "parenright", "asterisk", "plus", "comma", "hyphen", "period",
    "slash", "zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine",
    "colon", "semicolon", "less", "equal", "greater", "question", "at", "A", "B", "C", "D", "E",
    "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W",
    "X", "Y", "Z", "bracketleft", "backslash", "bracketright", "asciicircum", "underscore",
    "quoteleft", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p",
    "q", "r", "s", "t", "u", "v", "w", "x", "y", "z", "braceleft", "bar", "braceright",
    "asciitilde", "exclamdown", "cent", "sterling", "fraction", "yen", "florin", "section",
    "currency", "quotesingle", "quotedblleft", "guillemotleft", "guilsinglleft",
    "guilsinglright", "fi", "fl", "endash", "dagger", "daggerdbl", "periodcentered",
    "paragraph", "bullet", "quotesinglbase", "quotedblbase", "quotedblright", "guillemotright",
    "ellipsis", "perthousand", "questiondown", "grave", "acute", "circumflex", "tilde",
    "macron", "breve", "dotaccent", "dieresis", "ring", "cedilla", "hungarumlaut", "ogonek",
    "caron", "emdash", "AE", "ordfeminine", "Lslash", "Oslash", "OE", "ordmasculine", "ae",
    "dotlessi", "lslash", "oslash", "oe", "germandbls", "onesuperior", "logicalnot", "mu",
    "trademark", "Eth", "onehalf", "plusminus", "Thorn", "onequarter", "divide", "brokenbar",
    "degree", "thorn", "threequarters", "twosuperior", "registered", "minus", "eth",
    "multiply", "threesuperior", "copyright", "Aacute", "Acircumflex", "Adieresis", "Agrave",
    "Aring", "Atilde", "Ccedilla", "Eacute", "Ecircumflex", "Edieresis", "Egrave", "Iacute",
    "Icircumflex", "Idieresis", "Igrave", "Ntilde", "Oacute", "Ocircumflex", "Odieresis",
    "Ograve", "Otilde", "Scaron", "Uacute", "Ucircumflex", "Udieresis", "Ugrave", "Yacute",
    "Ydieresis", "Zcaron", "aacute", "acircumflex", "adieresis", "agrave", "aring", "atilde",
    "ccedilla", "eacute", "ecircumflex", "edieresis", "egrave", "iacute", "icircumflex",
    "idieresis", "igrave", "ntilde", "oacute", "ocircumflex", "odieresis", "ograve", "otilde",
    "scaron", "uacute", "ucircumflex", "udieresis", "ugrave", "yacute", "ydieresis", "zcaron",
    "exclamsmall", "Hungarumlautsmall", "dollaroldstyle", "dollarsuperior", "ampersandsmall",
    "Acutesmall", "parenleftsuperior", "parenrightsuperior", "twodotenleader",
    "onedotenleader", "zerooldstyle", "oneoldstyle", "twooldstyle", "threeoldstyle",
    "fouroldstyle", "fiveoldstyle", "sixoldstyle", "sevenoldstyle", "eightoldstyle",
    "nineoldstyle", "commasuperior", "threequartersemdash", "periodsuperior", "questionsmall",
    "asuperior", "bsuperior", "centsuperior", "dsuperior", "esuperior", "isuperior",
    "lsuperior", "msuperior", "nsuperior", "osuperior", "rsuperior", "ssuperior", "tsuperior",
    "ff", "ffi", "ffl", "parenleftinferior", "parenrightinferior", "Circumflexsmall",
    "hyphensuperior", "Gravesmall", "Asmall", "Bsmall", "Csmall", "Dsmall", "Esmall", "Fsmall",
    "Gsmall", "Hsmall", "Ismall", "Jsmall", "Ksmall", "Lsmall", "Msmall", "Nsmall", "Osmall",
    "Psmall", "Qsmall", "Rsmall", "Ssmall", "Tsmall", "Usmall", "Vsmall", "Wsmall", "Xsmall",
    "Ysmall", "Zsmall", "colonmonetary", "onefitted", "rupiah", "Tildesmall",
    "exclamdownsmall", "centoldstyle", "Lslashsmall", "Scaronsmall", "Zcaronsmall",
    "Dieresissmall", "Brevesmall", "Caronsmall", "Dotaccentsmall", "Macronsmall",
    "figuredash", "hypheninferior", "Ogoneksmall", "Ringsmall", "Cedillasmall",
    "questiondownsmall", "oneeighth", "threeeighths", "fiveeighths", "seveneighths",
    "onethird", "twothirds", "zerosuperior", "foursuperior", "fivesuperior", "sixsuperior",
    "sevensuperior", "eightsuperior", "ninesuperior", "zeroinferior", "oneinferior",
    "twoinferior", "threeinferior", "fourinferior", "fiveinferior", "sixinferior",
    "seveninferior", "eightinferior", "nineinferior", "centinferior", "dollarinferior",
    "periodinferior", "commainferior", "Agravesmall", "Aacutesmall", "Acircumflexsmall",
    "Atildesmall", "Adieresissmall", "Aringsmall", "AEsmall", "Ccedillasmall", "Egravesmall",
    "Eacutesmall", "Ecircumflexsmall", "Edieresissmall", "Igravesmall", "Iacutesmall",
    "Icircumflexsmall", "Idieresissmall", "Ethsmall", "Ntildesmall", "Ogravesmall",
    "Oacutesmall", "Ocircumflexsmall", "Otildesmall", "Odieresissmall", "OEsmall",
    "Oslashsmall", "Ugravesmall", "Uacutesmall", "Ucircumflexsmall", "Udieresissmall",
    "Yacutesmall", "Thornsmall", "Ydieresissmall", "001.000", "001.001", "001.002", "001.003",
    "Black", "Bold", "Book", "Light", "Medium", "Regular", "Roman", "Semibold",
};

// Sorted once, on first use; the names are constant.
const std::array<SidName, kStdStringCount>& sortedTable() {
  static const std::array<SidName, kStdStringCount> table = [] {
    std::array<SidName, kStdStringCount> t{};
    for (int i = 0; i < kStdStringCount; ++i) t[i] = {static_cast<uint16_t>(i), kStandard[i]};
    std::sort(t.begin(), t.end(), [](const SidName& a, const SidName& b) {
      return std::strcmp(a.name, b.name) < 0;
    });
    return t;
  }();
  return table;
}

std::string_view customText(const StringIndex& s, const CustomString& c) {
  return {s.bytes.array + c.offset, c.length};
}

// Custom strings order by length, then bytes.
bool customLess(const StringIndex& s, const CustomString& c, std::string_view text) {
  if (c.length != text.size()) return c.length < text.size();
  return customText(s, c) < text;
}

void sindexInitZero(void*, long count, uint16_t* items) {
  std::memset(items, 0, static_cast<size_t>(count) * sizeof(uint16_t));
}

}  // namespace

const char* sindexStandardName(int sid) {
  return sid >= 0 && sid < kStdStringCount ? kStandard[sid] : nullptr;
}

const SidName* sindexSortedTable() { return sortedTable().data(); }

int sindexStandardId(const char* name) {
  const auto& t = sortedTable();
  auto it = std::lower_bound(t.begin(), t.end(), name, [](const SidName& e, const char* n) {
    return std::strcmp(e.name, n) < 0;
  });
  return it != t.end() && std::strcmp(it->name, name) == 0 ? it->sid : -1;
}

void sindexNew(CffCompilerContext* h) {
  auto* s = static_cast<StringIndex*>(h->cb.allocate(h->cb.clientData, sizeof(StringIndex)));
  *s = StringIndex{};
  s->standard = kStandard;
  s->byName = sindexSortedTable();
  s->custom.bind(h->alloc, 260, 1000);
  s->bytes.bind(h->alloc, 1500, 3000);
  s->zeroed.bind(h->alloc, 450, 1000, sindexInitZero, h);
  s->h = h;
  h->strings = s;
}

void sindexFree(CffCompilerContext* h) {
  StringIndex* s = h->strings;
  if (!s) return;
  s->custom.release();
  s->bytes.release();
  s->zeroed.release();
  h->cb.release(h->cb.clientData, s);
  h->strings = nullptr;
}

uint16_t sindexGetId(CffCompilerContext* h, const char* name, size_t length) {
  std::string_view text(name, length);
  if (text.find('\0') == std::string_view::npos) {
    int sid = sindexStandardId(std::string(text).c_str());
    if (sid >= 0) return static_cast<uint16_t>(sid);
  }
  StringIndex& s = *h->strings;
  CustomString* first = s.custom.array;
  CustomString* last = first + s.custom.count;
  CustomString* at = std::lower_bound(first, last, text, [&s](const CustomString& c,
                                                               std::string_view t) {
    return customLess(s, c, t);
  });
  if (at != last && at->length == text.size() && customText(s, *at) == text) return at->sid;
  // SIDs and lengths are 16-bit.
  if (length > 0xFFFF) cffFatal(h, "string too long");
  if (kStdStringCount + s.custom.count > 0xFFFF) cffFatal(h, "too many strings");
  long index = at - first;
  uint16_t sid = static_cast<uint16_t>(kStdStringCount + s.custom.count);
  uint32_t offset = static_cast<uint32_t>(s.bytes.count);
  s.bytes.reserve(s.bytes.count + static_cast<long>(length));
  if (length) std::memcpy(s.bytes.array + s.bytes.count, name, length);
  s.bytes.count += static_cast<long>(length);
  s.custom.next();
  std::memmove(s.custom.array + index + 1, s.custom.array + index,
               static_cast<size_t>(s.custom.count - 1 - index) * sizeof(CustomString));
  s.custom.array[index] = {offset, static_cast<uint16_t>(length), sid};
  return sid;
}

const char* sindexGetString(CffCompilerContext* h, uint16_t sid, size_t* length) {
  if (sid < kStdStringCount) {
    *length = std::strlen(kStandard[sid]);
    return kStandard[sid];
  }
  const StringIndex& s = *h->strings;
  for (long i = 0; i < s.custom.count; ++i) {
    if (s.custom.array[i].sid == sid) {
      *length = s.custom.array[i].length;
      return s.bytes.array + s.custom.array[i].offset;
    }
  }
  *length = 0;
  return "";
}

}  // namespace fea
