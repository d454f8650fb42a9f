// The XML reader: events, failures and hostile documents, the same whether the document
// comes from a stream, from memory or from a recording replayed into the reader.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "xml/limits.h"
#include "xml/xml_parser.h"
#include "xml/xml_recording.h"

namespace {

// Logs every event; character data piece by piece. From `switchOn` on, static handlers
// take over until that element ends.
class EventLog : public xml::XmlParser {
 public:
  std::vector<std::string> events, pieces;
  std::string throwOn = "bad", stopOn = "stop", switchOn = "table";

  void startElement(const char* name, const char** attributes) override {
    std::string line = std::string("start ") + name;
    for (int i = 0; attributes[i] != nullptr; i += 2) line += std::string(" ") + attributes[i] + "=" + attributes[i + 1];
    events.push_back(line);
    if (name == throwOn) throw std::runtime_error("handler failed");
    if (name == stopOn) stopParsing();
    if (name == switchOn) setElementHandlers(&switchedStart, &switchedEnd);
  }
  void endElement(const char* name) override { events.push_back(std::string("end ") + name); }
  void characterData(const char* text, int length) override { pieces.emplace_back(text, length); }
  static void switchedStart(xml::XmlParser& parser, const char* name, const char**) {
    static_cast<EventLog&>(parser).events.push_back(std::string("switched ") + name);
  }
  static void switchedEnd(xml::XmlParser& parser, const char* name) {
    if (name == static_cast<EventLog&>(parser).switchOn) parser.setElementHandlers(nullptr, nullptr);
  }
};

struct Outcome {
  bool threw = false, result = false;
  std::vector<std::string> events, pieces;
  std::string text, message;
};

template <class Run>
Outcome observe(EventLog& log, Run&& run) {
  log.events.clear();
  log.pieces.clear();
  Outcome outcome;
  try {
    outcome.result = run();
  } catch (const std::runtime_error&) {
    outcome.threw = true;
  }
  outcome.events = log.events;
  outcome.pieces = log.pieces;
  for (const std::string& piece : log.pieces) outcome.text += piece;
  outcome.message = log.errorMessage();
  return outcome;
}

std::string repeated(const char* unit, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += unit;
  return out;
}

TEST(XmlParser, EventsOutcomesAndHostileDocumentsAlikeFromStreamBufferAndRecording) {
  constexpr std::size_t kChunk = xml::XmlParser::kChunkSize;
  // An element and its attribute straddle the end of the first chunk.
  const std::string straddling = "<root>" + std::string(kChunk - 11, 'x') +
                                 "<split attribute=\"value\">inner</split>" + std::string(70000, 'y') + "</root>";
  const std::string bomb =
      "<?xml version=\"1.0\"?><!DOCTYPE z [<!ENTITY a \"aaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]><z attr=\"&d;&d;&d;\">&d;</z>";
  const std::vector<std::string> deepEvents(xml::kMaxElementDepth, "start a");
  struct Case {
    std::string document;
    bool ok, threw;
    std::vector<std::string> events;
    std::string text, message;  // the message is searched for
  };
  const Case cases[] = {
      {"<?xml version=\"1.0\"?><a x=\"1&amp;2\"><b/>t&lt;&#xe9;</a>", true, false,
       {"start a x=1&2", "start b", "end b", "end a"}, "t<\xC3\xA9", ""},
      {"", false, false, {}, "", ""},
      {"<a><b></a></b>", false, false, {"start a", "start b"}, "", "mismatched"},
      {"<a x=\"1\" x=\"2\"/>", false, false, {}, "", "duplicate"},
      {straddling, true, false, {"start root", "start split attribute=value", "end split", "end root"},
       std::string(kChunk - 11, 'x') + "inner" + std::string(70000, 'y'), ""},
      {"<r>" + std::string(kChunk - 7, 'z') + "</r>", true, false, {"start r", "end r"}, std::string(kChunk - 7, 'z'),
       ""},
      // A handler's exception leaves the parse; a stop is a success, whatever follows.
      {"<a><bad/><after/>text</a>", false, true, {"start a", "start bad"}, "", ""},
      {"<a><stop/><later/>never closed", true, false, {"start a", "start stop"}, "", ""},
      {bomb, false, false, {}, "", "entities"},
      {"<!DOCTYPE z [<!ENTITY e \"x\">]><z>&e;</z>", false, false, {}, "", "entities"},
      {repeated("<a>", 100000) + repeated("</a>", 100000), false, false, deepEvents, "", ""},
      {"<?xml version=\"1.0\" standalone=\"no\"?>\n<!DOCTYPE a SYSTEM \"a.dtd\">\n<a/>", true, false,
       {"start a", "end a"}, "", ""},
      {"<doc><table><row/><row n=\"2\"/></table><after/></doc>", true, false,
       {"start doc", "start table", "switched row", "switched row", "start after", "end after", "end doc"}, "",
       ""},
  };
  // One reader and one recorder for every document: nothing carries over to the next.
  EventLog reader;
  xml::XmlRecorder recorder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.document.substr(0, 60));
    const Outcome streamed = observe(reader, [&] {
      std::istringstream in(c.document);
      return reader.parse(in);
    });
    EXPECT_EQ(streamed.result, c.ok);
    EXPECT_EQ(streamed.threw, c.threw);
    EXPECT_EQ(streamed.events, c.events);
    EXPECT_EQ(streamed.text, c.text);
    EXPECT_NE(streamed.message.find(c.message), std::string::npos) << streamed.message;
    if (!c.ok && !c.threw) {
      EXPECT_FALSE(streamed.message.empty());
    }

    const Outcome buffered = observe(reader, [&] { return reader.parseBuffer(c.document); });
    EXPECT_EQ(buffered.result, c.ok);
    EXPECT_EQ(buffered.threw, c.threw);
    EXPECT_EQ(buffered.events, c.events);
    EXPECT_EQ(buffered.text, c.text);
    EXPECT_EQ(buffered.message, streamed.message);

    // Replayed twice: a recording is not used up, and the reader is reset in between.
    xml::XmlRecording recording;
    recorder.record(c.document, recording);
    for (int round = 0; round < 2; ++round) {
      const Outcome replayed = observe(reader, [&] { return reader.replay(recording); });
      EXPECT_EQ(replayed.result, buffered.result);
      EXPECT_EQ(replayed.threw, buffered.threw);
      EXPECT_EQ(replayed.events, buffered.events);
      EXPECT_EQ(replayed.pieces, buffered.pieces);
      EXPECT_EQ(replayed.message, buffered.message);
    }
  }

  std::istringstream unreadable("<a/>");
  unreadable.setstate(std::ios::failbit);
  EXPECT_FALSE(reader.parse(unreadable));

  // A stop before a malformed tail: the recording is incomplete, the replay a success.
  xml::XmlRecording recording;
  recorder.record("<a><stop/><b></a>", recording);
  EXPECT_FALSE(recording.complete());
  const Outcome stopped = observe(reader, [&] { return reader.replay(recording); });
  EXPECT_TRUE(stopped.result);
  EXPECT_EQ(stopped.events, (std::vector<std::string>{"start a", "start stop"}));
  EXPECT_TRUE(stopped.message.empty());
}

}  // namespace
