// The XML reader's bounds on one attribute, one run of text and one streamed document:
// a document at a bound is read, one byte past it is refused with a message, the same from
// a stream and from memory.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "xml/limits.h"
#include "xml/xml_parser.h"

namespace {

class Counter : public xml::XmlParser {
 public:
  std::size_t elements = 0, textBytes = 0;
  void startElement(const char*, const char**) override { ++elements; }
  void characterData(const char*, int length) override { textBytes += static_cast<std::size_t>(length); }
};

TEST(XmlLimits, AttributesAndTextsUpToTheirBoundsAndNoFurther) {
  const std::size_t attribute = xml::kMaxAttributeBytes;
  const std::size_t text = xml::kMaxTextBytes;
  struct Case {
    const char* what;
    std::string document;
    bool ok;
    const char* message;
    bool streamed;  // also read from a stream (the long texts only from memory: one copy)
  };
  const Case cases[] = {
      {"an attribute at the bound", "<a v=\"" + std::string(attribute, 'x') + "\"/>", true, "", true},
      {"an attribute one byte past", "<a v=\"" + std::string(attribute + 1, 'x') + "\"/>", false, "attribute value",
       true},
      {"the second attribute past", "<a u=\"1\" v=\"" + std::string(attribute + 1, 'x') + "\"/>", false,
       "attribute value", true},
      // Texts split by a tag are runs of their own; a reference does not end a run.
      {"two texts, together past the bound",
       "<a>" + std::string(text / 2 + 1, 't') + "<b/>" + std::string(text / 2 + 1, 't') + "</a>", true, "", false},
      {"a text one byte past", "<a>" + std::string(text - 1, 't') + "&amp;t</a>", false, "text is longer", false},
  };
  Counter reader;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(reader.parseBuffer(c.document), c.ok);
    EXPECT_NE(reader.errorMessage().find(c.message), std::string::npos) << reader.errorMessage();
    if (!c.streamed) continue;
    const std::string buffered = reader.errorMessage();
    std::istringstream in(c.document);
    EXPECT_EQ(reader.parse(in), c.ok);
    EXPECT_EQ(reader.errorMessage(), buffered);
  }
}

}  // namespace
