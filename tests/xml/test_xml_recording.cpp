// A document recorded on one parser and replayed into a reader must give that reader
// exactly what parsing the document itself gives: the same events in the same pieces,
// the same outcome and message, the same stop and exception behaviour.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "xml/xml_parser.h"
#include "xml/xml_recording.h"

namespace {

// Logs every event, character data piece by piece.
class EventLog : public xml::XmlParser {
 public:
  std::vector<std::string> events;
  std::string throwOn;
  std::string stopOn;
  std::string switchOn;  // from this element on, the static handlers take over

  void startElement(const char* name, const char** attributes) override {
    std::string line = std::string("start ") + name;
    for (int i = 0; attributes[i] != nullptr; i += 2) line += std::string(" ") + attributes[i] + "=" + attributes[i + 1];
    events.push_back(line);
    if (name == throwOn) throw std::runtime_error("handler failed");
    if (name == stopOn) stopParsing();
    if (name == switchOn) setElementHandlers(&switchedStart, &switchedEnd);
  }
  void endElement(const char* name) override { events.push_back(std::string("end ") + name); }
  void characterData(const char* text, int length) override { events.push_back("text " + std::string(text, length)); }

  static void switchedStart(xml::XmlParser& parser, const char* name, const char**) {
    static_cast<EventLog&>(parser).events.push_back(std::string("switched ") + name);
  }
  static void switchedEnd(xml::XmlParser& parser, const char* name) {
    auto& self = static_cast<EventLog&>(parser);
    self.events.push_back(std::string("switched end ") + name);
    if (name == self.switchOn) parser.setElementHandlers(nullptr, nullptr);
  }
};

struct Outcome {
  bool threw = false;
  bool result = false;
  std::vector<std::string> events;
  std::string message;
};

template <class Run>
Outcome observe(EventLog& log, Run&& run) {
  Outcome outcome;
  try {
    outcome.result = run();
  } catch (const std::runtime_error&) {
    outcome.threw = true;
  }
  outcome.events = log.events;
  outcome.message = log.errorMessage();
  return outcome;
}

void expectSameAsDirect(const std::string& document, const EventLog& settings, xml::XmlRecorder& recorder) {
  EventLog direct = EventLog();
  direct.throwOn = settings.throwOn;
  direct.stopOn = settings.stopOn;
  direct.switchOn = settings.switchOn;
  const Outcome expected = observe(direct, [&] { return direct.parseBuffer(document); });

  xml::XmlRecording recording;
  recorder.record(document, recording);
  // Replayed twice: a recording is not used up, and a reader is reset between replays.
  EventLog replayed = EventLog();
  replayed.throwOn = settings.throwOn;
  replayed.stopOn = settings.stopOn;
  replayed.switchOn = settings.switchOn;
  for (int round = 0; round < 2; ++round) {
    replayed.events.clear();
    const Outcome actual = observe(replayed, [&] { return replayed.replay(recording); });
    EXPECT_EQ(actual.threw, expected.threw) << document.substr(0, 60);
    EXPECT_EQ(actual.result, expected.result) << document.substr(0, 60);
    EXPECT_EQ(actual.events, expected.events) << document.substr(0, 60);
    EXPECT_EQ(actual.message, expected.message) << document.substr(0, 60);
  }
}

TEST(XmlRecording, ReplayGivesWhatParsingGives) {
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<a>";
  for (int i = 0; i < 5000; ++i) deep += "</a>";
  const std::string documents[] = {
      "<?xml version=\"1.0\"?>\n<glyph name=\"A&amp;B\" format=\"1\">\n\t<advance width=\"500\"/>\n"
      "\t<outline><contour><point x=\"1\" y=\"-2\" type=\"line\"/></contour></outline>\n"
      "\t<lib><dict><key>k</key><string>t&lt;&#xe9;</string></dict></lib>\n</glyph>\n",
      "",
      "<a><b>text</a></b>",            // malformed after some events
      "<a x=\"1\" x=\"2\"/>",          // duplicate attribute: expat's own error
      "<!DOCTYPE z [<!ENTITY e \"x\">]><z>&e;</z>",  // entity declarations refused
      deep,                            // deeper than the bound
      "<r>" + std::string(200000, 'q') + "<s k=\"\"/></r>",
      "<a><stop/><later/>never closed",
      "<a><bad/><after/></a>",
      "<doc><table><row/><row n=\"2\"/></table><after/></doc>",
  };
  EventLog settings;
  settings.throwOn = "bad";
  settings.stopOn = "stop";
  settings.switchOn = "table";
  // One recorder for every document: nothing of one recording leaks into the next.
  xml::XmlRecorder recorder;
  for (const std::string& document : documents) expectSameAsDirect(document, settings, recorder);
}

TEST(XmlRecording, StopBeforeAMalformedTailIsSuccess) {
  xml::XmlRecorder recorder;
  xml::XmlRecording recording;
  recorder.record("<a><stop/><b></a>", recording);
  EXPECT_FALSE(recording.complete());
  EventLog reader;
  reader.stopOn = "stop";
  EXPECT_TRUE(reader.replay(recording));
  EXPECT_EQ(reader.events, (std::vector<std::string>{"start a", "start stop"}));
  EXPECT_TRUE(reader.errorMessage().empty());
}

}  // namespace
