#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "xml/limits.h"
#include "xml/xml_parser.h"

namespace {

// Records every event as one line of text.
class Recorder : public xml::XmlParser {
 public:
  std::vector<std::string> events;
  std::string text;
  std::string throwOn;
  std::string stopOn;

  void startElement(const char* name, const char** attributes) override {
    std::string line = std::string("start ") + name;
    for (int i = 0; attributes[i] != nullptr; i += 2) {
      line += std::string(" ") + attributes[i] + "=" + attributes[i + 1];
    }
    events.push_back(line);
    if (name == throwOn) throw std::runtime_error("handler failed on " + throwOn);
    if (name == stopOn) stopParsing();
  }
  void endElement(const char* name) override { events.push_back(std::string("end ") + name); }
  void characterData(const char* data, int length) override { text.append(data, length); }
};

bool parseText(xml::XmlParser& parser, const std::string& document) {
  std::istringstream in(document);
  return parser.parse(in);
}

TEST(XmlParser, DeliversElementsAttributesAndResolvedText) {
  Recorder parser;
  ASSERT_TRUE(parseText(parser, "<?xml version=\"1.0\"?><a x=\"1&amp;2\"><b/>t&lt;&#xe9;</a>"));
  EXPECT_EQ(parser.events,
            (std::vector<std::string>{"start a x=1&2", "start b", "end b", "end a"}));
  EXPECT_EQ(parser.text, "t<\xC3\xA9");
}

TEST(XmlParser, EmptyMalformedAndUnreadableInputFail) {
  Recorder parser;
  EXPECT_FALSE(parseText(parser, ""));
  EXPECT_FALSE(parseText(parser, "<a><b></a></b>"));
  EXPECT_FALSE(parser.errorMessage().empty());
  std::istringstream bad("<a/>");
  bad.setstate(std::ios::failbit);
  EXPECT_FALSE(parser.parse(bad));
}

TEST(XmlParser, DocumentsAcrossChunkBoundaries) {
  // An element and its attribute straddle the end of the first chunk.
  std::string document = "<root>";
  document += std::string(xml::XmlParser::kChunkSize - document.size() - 5, 'x');
  document += "<split attribute=\"value\">inner</split>";
  document += std::string(70000, 'y') + "</root>";
  Recorder parser;
  ASSERT_TRUE(parseText(parser, document));
  EXPECT_EQ(parser.events, (std::vector<std::string>{"start root", "start split attribute=value",
                                                     "end split", "end root"}));
  EXPECT_EQ(parser.text.size(), xml::XmlParser::kChunkSize - 11 + 5 + 70000);

  // Exactly one chunk: the full chunk, then an empty final one.
  std::string exact = "<r>" + std::string(xml::XmlParser::kChunkSize - 7, 'z') + "</r>";
  ASSERT_EQ(exact.size(), xml::XmlParser::kChunkSize);
  Recorder exactParser;
  EXPECT_TRUE(parseText(exactParser, exact));
}

TEST(XmlParser, HandlerExceptionLeavesParseAndStopsEvents) {
  Recorder parser;
  parser.throwOn = "bad";
  EXPECT_THROW(parseText(parser, "<a><bad/><after/>text</a>"), std::runtime_error);
  EXPECT_EQ(parser.events, (std::vector<std::string>{"start a", "start bad"}));
  EXPECT_TRUE(parser.text.empty());

  // The same object parses the next document with a fresh expat parser.
  parser.events.clear();
  parser.throwOn.clear();
  EXPECT_TRUE(parseText(parser, "<c/>"));
  EXPECT_EQ(parser.events, (std::vector<std::string>{"start c", "end c"}));
}

TEST(XmlParser, StoppedParseCountsAsSuccess) {
  Recorder parser;
  parser.stopOn = "stop";
  EXPECT_TRUE(parseText(parser, "<a><stop/><later/>never closed"));
  EXPECT_EQ(parser.events, (std::vector<std::string>{"start a", "start stop"}));
}

TEST(XmlParser, RefusesEntityDeclarationsAndDeepNesting) {
  const std::string bomb =
      "<?xml version=\"1.0\"?><!DOCTYPE z [<!ENTITY a \"aaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g "
      "\"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>"
      "<z attr=\"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">&g;</z>";
  Recorder parser;
  EXPECT_FALSE(parseText(parser, bomb));
  EXPECT_TRUE(parser.events.empty());
  EXPECT_NE(parser.errorMessage().find("entities"), std::string::npos);

  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  for (int i = 0; i < 100000; ++i) deep += "</a>";
  Recorder deepParser;
  EXPECT_FALSE(parseText(deepParser, deep));
  EXPECT_EQ(deepParser.events.size(), static_cast<std::size_t>(xml::kMaxElementDepth));
}

TEST(XmlParser, AcceptsNotStandaloneDocumentsWithExternalSubset) {
  Recorder parser;
  EXPECT_TRUE(parseText(parser,
                        "<?xml version=\"1.0\" standalone=\"no\"?>\n"
                        "<!DOCTYPE a SYSTEM \"a.dtd\">\n<a/>"));
  EXPECT_EQ(parser.events, (std::vector<std::string>{"start a", "end a"}));
}

// A reader that switches its element handlers while parsing.
class Switcher : public xml::XmlParser {
 public:
  std::vector<std::string> seen;
  void startElement(const char* name, const char**) override {
    seen.push_back(std::string("virtual ") + name);
    if (std::string(name) == "table") setElementHandlers(&tableStart, &tableEnd);
  }
  static void tableStart(xml::XmlParser& parser, const char* name, const char**) {
    static_cast<Switcher&>(parser).seen.push_back(std::string("table ") + name);
  }
  static void tableEnd(xml::XmlParser& parser, const char* name) {
    if (std::string(name) == "table") parser.setElementHandlers(nullptr, nullptr);
  }
};

TEST(XmlParser, ElementHandlersSwitchWhileParsing) {
  Switcher parser;
  ASSERT_TRUE(parseText(parser, "<doc><table><row/><row/></table><after/></doc>"));
  EXPECT_EQ(parser.seen, (std::vector<std::string>{"virtual doc", "virtual table", "table row",
                                                   "table row", "virtual after"}));
}

}  // namespace

namespace {

// Documents in memory give the same events, outcome and message as through a stream.
TEST(XmlParser, BufferParseMatchesStreamParse) {
  const std::string documents[] = {
      "<a x=\"1&amp;2\"><b/>t&lt;&#xe9;</a>", "", "<a><b></a></b>", "<a>\n<b>\n</a>",
      "<r>" + std::string(3 * xml::XmlParser::kChunkSize, 'q') + "<s k=\"v\"/></r>"};
  for (const std::string& document : documents) {
    Recorder fromStream;
    Recorder fromBuffer;
    const bool streamResult = parseText(fromStream, document);
    EXPECT_EQ(fromBuffer.parseBuffer(document), streamResult) << document.substr(0, 40);
    EXPECT_EQ(fromBuffer.events, fromStream.events);
    EXPECT_EQ(fromBuffer.text, fromStream.text);
    EXPECT_EQ(fromBuffer.errorMessage(), fromStream.errorMessage());
  }
  Recorder stopped;
  stopped.stopOn = "stop";
  EXPECT_TRUE(stopped.parseBuffer("<a><stop/><later/>never closed"));
  EXPECT_EQ(stopped.events, (std::vector<std::string>{"start a", "start stop"}));
  Recorder thrown;
  thrown.throwOn = "bad";
  EXPECT_THROW(static_cast<void>(thrown.parseBuffer("<a><bad/></a>")), std::runtime_error);
}

}  // namespace
