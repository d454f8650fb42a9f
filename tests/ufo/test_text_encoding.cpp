#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "ufo/text_encoding.h"
#include "text/xml_text.h"
#include "xml/xml_parser.h"

namespace {

TEST(EscapeXmlText, MarkupAndWindows1252Characters) {
  EXPECT_EQ(ufo::escapeXmlText("a<b & \"c\""), "a&lt;b &amp; &quot;c&quot;");
  EXPECT_EQ(ufo::escapeXmlText("it's"), "it&#39;s");
  EXPECT_EQ(ufo::escapeXmlText("Caf\xE9"), "Caf&#xe9;");
  EXPECT_EQ(ufo::escapeXmlText("\x80"), "&#x20ac;");
  EXPECT_EQ(ufo::escapeXmlText("\x8E\x9E\x81"), "&#x8e;&#x9e;&#x81;");
  EXPECT_EQ(ufo::escapeXmlText("\x8A\x9F"), "&#x160;&#x178;");
  // UTF-8 whose characters all exist in Windows-1252 is still read byte by byte ...
  EXPECT_EQ(ufo::escapeXmlText("\xC3\xA9"), "&#xc3;&#xa9;");
  // ... while the UTF-8 the reader keeps (a character Windows-1252 lacks) is read as UTF-8,
  // as a whole: the Windows-1252 part of "\xE9 \xE2\x84\x96" is no valid UTF-8.
  EXPECT_EQ(ufo::escapeXmlText("\xD1\x8F \xC3\xA9<"), "&#x44f; &#xe9;&lt;");
  EXPECT_EQ(ufo::escapeXmlText("\xE9 \xE2\x84\x96"), "&#xe9; &#xe2;&#x201e;&#x2013;");
  EXPECT_EQ(ufo::escapeXmlText("plain ASCII-text_1.0"), "plain ASCII-text_1.0");
}

TEST(EscapeXmlText, ControlBytesBecomeBlanksExceptTabAndLineEnds) {
  EXPECT_EQ(ufo::escapeXmlText(std::string("a\x02\x03\x01\x1B\x7F", 6)), "a    \x7F");
  EXPECT_EQ(ufo::escapeXmlText(std::string("x\0y", 3)), "x y");
  EXPECT_EQ(ufo::escapeXmlText("t\tl\nc\r"), "t\tl\nc&#xd;");
}

// What the writers escape comes back unchanged from an XML reader, in content and in
// attribute values alike (a raw TAB, LF or CR in an attribute would come back a blank).
TEST(EscapeXmlText, ContentAndAttributesReadBackUnchanged) {
  struct Reader : xml::XmlParser {
    std::string value, text;
    void startElement(const char*, const char** attributes) override {
      if (attributes[0] != nullptr) value = attributes[1];
    }
    void endElement(const char*) override {}
    void characterData(const char* data, int length) override { text.append(data, length); }
  };
  const std::string original = "t\tl\nc\rn\r\n<&>\"'";
  std::string document = "<a";
  xml::appendAttribute(document, "v", original);
  document += ">" + ufo::escapeXmlText(original) + "</a>";
  Reader reader;
  std::istringstream in(document);
  ASSERT_TRUE(reader.parse(in));
  EXPECT_EQ(reader.value, original);
  EXPECT_EQ(reader.text, original);
}

}  // namespace
