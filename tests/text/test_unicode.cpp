#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/xml_text.h"
#include "text/unicode.h"

namespace {

using unicode::u32;
using unicode::u8;

struct Utf8Result {
  int code;
  std::vector<u32> decoded;
  std::size_t consumed;
};

Utf8Result decode(const std::string& bytes, std::size_t room = 64, int mode = unicode::kStrict) {
  std::vector<u32> target(room);
  const auto* source = reinterpret_cast<const u8*>(bytes.data());
  const u8* begin = source;
  u32* out = target.data();
  const int code =
      unicode::utf8ToUtf32(&begin, source + bytes.size(), &out, target.data() + room, mode);
  target.resize(static_cast<std::size_t>(out - target.data()));
  return {code, target, static_cast<std::size_t>(begin - source)};
}

TEST(Utf8, StrictResultCodesAndStopPositions) {
  EXPECT_EQ(decode("").code, unicode::kConversionOk);
  const auto ok = decode("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(ok.code, unicode::kConversionOk);
  EXPECT_EQ(ok.decoded, (std::vector<u32>{0x41, 0xE9, 0x20AC, 0x1F600}));

  const auto surrogate = decode("a\xED\xA0\x80");
  EXPECT_EQ(surrogate.code, unicode::kSourceIllegal);
  EXPECT_EQ(surrogate.consumed, 1u);                            // left at the start of the bad unit
  EXPECT_EQ(decode("\xC0\x80").code, unicode::kSourceIllegal);  // overlong
  EXPECT_EQ(decode("\xE0\x80\x80").code, unicode::kSourceIllegal);      // overlong
  EXPECT_EQ(decode("\xF4\x90\x80\x80").code, unicode::kSourceIllegal);  // above U+10FFFF
  EXPECT_EQ(decode("\xF8\x88\x80\x80\x80").code, unicode::kSourceIllegal);
  EXPECT_EQ(decode("\x80").code, unicode::kSourceIllegal);  // a lone trailing byte

  const auto cut = decode("ab\xC3");
  EXPECT_EQ(cut.code, unicode::kSourceExhausted);
  EXPECT_EQ(cut.consumed, 2u);

  const auto full = decode("abc", 2);
  EXPECT_EQ(full.code, unicode::kTargetExhausted);
  EXPECT_EQ(full.consumed, 2u);

  // An encoded surrogate is no legal sequence, in either mode.
  EXPECT_EQ(decode("\xED\xA0\x80z", 64, unicode::kLenient).code, unicode::kSourceIllegal);
}

TEST(Utf8, IsLegalAtTheBoundaries) {
  const std::pair<std::string, bool> cases[] = {
      {"\x7F", true},          {"\xC2\x80", true},          {"\xC1\xBF", false},         {"\xE0\xA0\x80", true},
      {"\xED\x9F\xBF", true},  {"\xED\xA0\x80", false},      {"\xF0\x90\x80\x80", true}, {"\xF0\x8F\xBF\xBF", false},
      {"\xF4\x8F\xBF\xBF", true}, {"\xF5\x80\x80\x80", false}, {"\xC3", false},  // announces two bytes
      {"", false}};
  for (const auto& [s, legal] : cases) {
    EXPECT_EQ(unicode::isLegalUtf8(reinterpret_cast<const u8*>(s.data()), static_cast<int>(s.size())), legal) << s;
  }
}

TEST(Utf8, EncodesEveryLengthAndFlagsBadValues) {
  const std::vector<u32> source = {0x24, 0xA2, 0x20AC, 0x10348, 0x110000, 0x41};
  std::vector<u8> target(32);
  const u32* begin = source.data();
  u8* out = target.data();
  const int code = unicode::utf32ToUtf8(&begin, source.data() + source.size(), &out,
                                        target.data() + target.size(), unicode::kStrict);
  EXPECT_EQ(code, unicode::kSourceIllegal);  // the value above U+10FFFF, conversion goes on
  EXPECT_EQ(std::string(target.begin(), target.begin() + (out - target.data())),
            "\x24\xC2\xA2\xE2\x82\xAC\xF0\x90\x8D\x88\xEF\xBF\xBD\x41");

  const u32 surrogate[] = {0x41, 0xD800};
  begin = surrogate;
  out = target.data();
  EXPECT_EQ(unicode::utf32ToUtf8(&begin, surrogate + 2, &out, target.data() + 32, unicode::kStrict),
            unicode::kSourceIllegal);
  EXPECT_EQ(begin, surrogate + 1);

  const u32 wide[] = {0x20AC};
  begin = wide;
  out = target.data();
  EXPECT_EQ(unicode::utf32ToUtf8(&begin, wide + 1, &out, target.data() + 2, unicode::kStrict),
            unicode::kTargetExhausted);
  EXPECT_EQ(out, target.data());
}

TEST(CodePages, TableZeroDiffersFromWindows1252OnlyWhereIntended) {
  // The published Windows-1252 row 0x80-0x9F (0 = undefined).
  const u32 published[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                             0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  const u32* table = unicode::codePageTable(0);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table[0], 0u);  // OS/2 code-page bit 0
  std::vector<int> differences;
  for (int byte = 0; byte < 256; ++byte) {
    const u32 expected = (byte >= 0x80 && byte < 0xA0) ? published[byte - 0x80] : u32(byte);
    const std::int32_t got = unicode::codePageToUnicode(table, static_cast<unicode::u16>(byte));
    if (static_cast<u32>(got) != expected) differences.push_back(byte);
  }
  EXPECT_EQ(differences, (std::vector<int>{0x02, 0x03, 0x81, 0x8D, 0x8E, 0x8F, 0x90, 0x9D, 0x9E}));
  EXPECT_EQ(unicode::codePageToUnicode(table, 0x02), -1);
  EXPECT_EQ(unicode::codePageToUnicode(table, 0x8E), 0x8E);
  EXPECT_EQ(unicode::codePageToUnicode(table, 0x81), 0x81);
}

TEST(EscapeMarkup, GivesPureAsciiThatIsStableWhenReadBack) {
  EXPECT_EQ(xml::escapeMarkup("a<b & \"c\" it's >"), "a&lt;b &amp; &quot;c&quot; it&#39;s &gt;");
  // Valid UTF-8 becomes references; a stray byte is read as Windows-1252.
  EXPECT_EQ(xml::escapeMarkup("Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"),
            "Caf&#xe9; &#x20ac; &#x1f600;");
  EXPECT_EQ(xml::escapeMarkup("\x80 \xE9"), "&#x20ac; &#xe9;");
  // Control characters other than TAB, LF, CR, and U+FFFE, become blanks.
  EXPECT_EQ(xml::escapeMarkup(std::string("a\x01\tb\nc\rd\x1F", 9) + std::string(1, '\0')),
            "a \tb\nc&#xd;d  ");
  EXPECT_EQ(xml::escapeMarkup("\xEF\xBF\xBE"), " ");
}

TEST(EscapeMarkup, AttributesKeepTabLineFeedAndReturnAsReferences) {
  EXPECT_EQ(xml::escapeMarkup("a\tb\nc\r", xml::XmlPlace::kAttribute), "a&#x9;b&#xa;c&#xd;");
  std::string out;
  const char* attributes[] = {"pointTag", "a&\"b\"<\t", "n", "1", nullptr};
  xml::appendOpeningTag(out, "hintset", attributes);
  xml::appendOpeningTag(out, "empty", nullptr);
  xml::appendClosingTag(out, "hintset");
  EXPECT_EQ(out, "<hintset pointTag=\"a&amp;&quot;b&quot;&lt;&#x9;\" n=\"1\"><empty></hintset>");
}

TEST(TrimWhitespace, RemovesBlanksTabsAndLineFeedsButNotCarriageReturns) {
  std::string text = " \t\n value \n\t ";
  xml::trimWhitespace(text);
  EXPECT_EQ(text, "value");
  text = " \t\n\n ";
  xml::trimWhitespace(text);
  EXPECT_EQ(text, "");
  text = "\rvalue\r";
  xml::trimWhitespace(text);
  EXPECT_EQ(text, "\rvalue\r");
}

}  // namespace
