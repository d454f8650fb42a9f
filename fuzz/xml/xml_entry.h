// Fuzz entry over xml::XmlParser, shared by the libFuzzer target and the
// regression replay test. The handlers touch every argument, throw on an
// element named "throw", stop on "stop" and switch handlers on "switch". The
// input is also recorded and replayed: the replay must give the element and text
// events, the outcome and the message that parsing gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "xml/xml_parser.h"
#include "xml/xml_recording.h"

namespace fuzz {

class XmlEntryParser : public xml::XmlParser {
 public:
  std::size_t touched = 0;
  std::string log;  // element and text events, the ones a recording carries

  void touch(const char* text) {
    if (text != nullptr) touched += std::string_view(text).size();
  }
  void startElement(const char* name, const char** attributes) override {
    touch(name);
    log.append("<").append(name);
    for (int i = 0; attributes[i] != nullptr; ++i) {
      touch(attributes[i]);
      log.append(" ").append(attributes[i]);
    }
    log.append(">");
    const std::string_view element(name);
    if (element == "throw") throw std::runtime_error("thrown from a handler");
    if (element == "stop") stopParsing();
    if (element == "switch") setElementHandlers(&switchedStart, &switchedEnd);
  }
  void endElement(const char* name) override {
    touch(name);
    log.append("</").append(name).append(">");
  }
  void characterData(const char* text, int length) override {
    touched += std::string_view(text, static_cast<std::size_t>(length)).size();
    log.append("[").append(text, static_cast<std::size_t>(length)).append("]");
  }
  void processingInstruction(const char* target, const char* data) override {
    touch(target);
    touch(data);
  }
  void defaultHandler(const char* text, int length) override {
    touched += std::string_view(text, static_cast<std::size_t>(length)).size();
  }

  static void switchedStart(xml::XmlParser& parser, const char* name, const char**) {
    auto& self = static_cast<XmlEntryParser&>(parser);
    self.touch(name);
    self.log.append("{").append(name).append("}");
    if (std::string_view(name) == "switch") self.setElementHandlers(nullptr, nullptr);
  }
  static void switchedEnd(xml::XmlParser& parser, const char* name) {
    auto& self = static_cast<XmlEntryParser&>(parser);
    self.touch(name);
    self.log.append("{/").append(name).append("}");
  }
};

// What one parse or replay gave.
inline std::string outcomeOf(XmlEntryParser& parser, bool (*run)(XmlEntryParser&, const void*), const void* input) {
  parser.log.clear();
  std::string result;
  try {
    result = run(parser, input) ? "true" : "false";
  } catch (const std::runtime_error&) {
    result = "threw";
  }
  return result + "|" + parser.errorMessage() + "|" + parser.log;
}

inline bool xmlEntry(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  XmlEntryParser parser;
  for (int round = 0; round < 2; ++round) {  // a second parse must start afresh
    std::istringstream in(text);
    try {
      static_cast<void>(parser.parse(in));  // the outcome is judged from the events
    } catch (const std::runtime_error&) {
    }
  }
  const std::string parsed = outcomeOf(
      parser, [](XmlEntryParser& p, const void* in) { return p.parseBuffer(*static_cast<const std::string*>(in)); },
      &text);
  xml::XmlRecorder recorder;
  xml::XmlRecording recording;
  recorder.record(text, recording);
  XmlEntryParser replaying;
  const std::string replayed = outcomeOf(
      replaying,
      [](XmlEntryParser& p, const void* in) { return p.replay(*static_cast<const xml::XmlRecording*>(in)); },
      &recording);
  return parsed == replayed;
}

}  // namespace fuzz
