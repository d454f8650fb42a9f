// The OS/2 code-page bits that the font's encoded characters earn.
//
// Nineteen code pages are judged, each by the characters it needs:
//   bit 0 1252 Latin 1, 1 1250 Latin 2, 2 1251 Cyrillic, 3 1253 Greek, 4 1254 Turkish,
//   5 1255 Hebrew, 6 1256 Arabic, 7 1257 Baltic, 8 1258 Vietnamese, 16 874 Thai,
//   48 869 IBM Greek, 49 866 MS-DOS Russian, 56 857 IBM Turkish, 57 855 IBM Cyrillic,
//   58 852 Latin 2 (DOS), 59 775 MS-DOS Baltic, 60 737 Greek (DOS), 62 850 Western European
//   (DOS), 63 437 US (DOS).
// These are the code pages whose whole repertoire is known here (Thai by its block); the
// East Asian ones (932, 936, 949, 950, 1361) need thousands of ideographs that no short
// rule can settle, and the remaining DOS pages (708, 860-865) are left out too.
//
// Rule: a code page needs the characters of its upper half (bytes 0x80-0xFF) that belong to
// its own alphabets: everything it maps there except the C1 controls and the signs below
// U+00C0, the multiplication and division signs, the florin sign, the spacing modifier
// letters (U+02B0-U+02FF), the punctuation, symbol, box and block characters of
// U+2000-U+25FF and private-use characters; a code page of another script than Latin needs
// none of the Latin-1 letters either (its byte tables give bytes it leaves undefined those
// letters' numbers). Its bit is set when every needed character is encoded in the font (as
// a glyph's first or further Unicode value).
#include <array>
#include <vector>

#include "feacompiler/glyph_map.h"
#include "feacompiler/tables/table_modules.h"
#include "text/unicode.h"

namespace fea {

namespace {

struct CodePage {
  uint16_t number;  // the code page, for reading
  int table;        // index of its byte table among the single-byte code pages, -1: none
  bool latin;       // written in Latin letters
};

constexpr CodePage kJudged[] = {
    {1252, 0, true},   {1250, 1, true},   {1251, 2, false},  {1253, 3, false},
    {1254, 4, true},   {1255, 5, false},  {1256, 6, false},  {1257, 7, true},
    {1258, 8, true},   {874, -1, false},  {869, 25, false},  {866, 24, false},
    {857, 19, true},   {855, 18, false},  {852, 17, true},   {775, 15, true},
    {737, 14, false},  {850, 16, true},   {437, 12, true}};

constexpr uint16_t kThaiBit = 16;
constexpr uint32_t kThai[][2] = {{0x0E01, 0x0E3A}, {0x0E3F, 0x0E5B}};

bool isNeeded(uint32_t c, bool latin) {
  if (c == unicode::kNoCharacter || c < 0xC0) return false;
  if (!latin && c <= 0xFF) return false;
  if (c == 0xD7 || c == 0xF7 || c == 0x192) return false;
  if (c >= 0x2B0 && c <= 0x2FF) return false;
  if (c >= 0x2000 && c <= 0x25FF) return false;
  return c < 0xE000 || c > 0xF8FF;
}

struct Needs {
  uint16_t bit;
  std::vector<uint32_t> characters;
};

const std::vector<Needs>& needs() {
  static const std::vector<Needs> all = [] {
    std::vector<Needs> list;
    for (const CodePage& page : kJudged) {
      Needs n;
      if (page.table < 0) {
        n.bit = kThaiBit;
        for (const auto& range : kThai) {
          for (uint32_t c = range[0]; c <= range[1]; ++c) n.characters.push_back(c);
        }
      } else {
        const unicode::u32* table = unicode::codePageTable(page.table);
        n.bit = static_cast<uint16_t>(table[0]);
        for (unicode::u16 byte = 0x80; byte <= 0xFF; ++byte) {
          const auto c = static_cast<uint32_t>(unicode::codePageToUnicode(table, byte));
          if (isNeeded(c, page.latin)) n.characters.push_back(c);
        }
      }
      list.push_back(std::move(n));
    }
    return list;
  }();
  return all;
}

}  // namespace

std::array<uint32_t, 2> os2CodePageRange(coreContext* g) {
  std::array<uint32_t, 2> words{};
  for (const Needs& page : needs()) {
    bool covered = true;
    for (uint32_t c : page.characters) {
      if (mapUV2Glyph(g, c) == kNoGlyph) {
        covered = false;
        break;
      }
    }
    if (covered) words[page.bit / 32] |= 1u << (page.bit % 32);
  }
  return words;
}

}  // namespace fea
