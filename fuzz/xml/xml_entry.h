// Fuzz entry over xml::XmlParser, shared by the libFuzzer target and the
// regression replay test. The handlers touch every argument, throw on an
// element named "throw", stop on "stop" and switch handlers on "switch".
#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "xml/xml_parser.h"

namespace fuzz {

class XmlEntryParser : public xml::XmlParser {
 public:
  std::size_t touched = 0;

  void touch(const char* text) {
    if (text != nullptr) touched += std::string_view(text).size();
  }
  void startElement(const char* name, const char** attributes) override {
    touch(name);
    for (int i = 0; attributes[i] != nullptr; ++i) touch(attributes[i]);
    const std::string_view element(name);
    if (element == "throw") throw std::runtime_error("thrown from a handler");
    if (element == "stop") stopParsing();
    if (element == "switch") setElementHandlers(&switchedStart, &switchedEnd);
  }
  void endElement(const char* name) override { touch(name); }
  void characterData(const char* text, int length) override {
    touched += std::string_view(text, static_cast<std::size_t>(length)).size();
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
    if (std::string_view(name) == "switch") self.setElementHandlers(nullptr, nullptr);
  }
  static void switchedEnd(xml::XmlParser& parser, const char* name) {
    static_cast<XmlEntryParser&>(parser).touch(name);
  }
};

inline bool xmlEntry(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  XmlEntryParser parser;
  for (int round = 0; round < 2; ++round) {  // a second parse must start afresh
    std::istringstream in(text);
    try {
      parser.parse(in);
    } catch (const std::runtime_error&) {
    }
  }
  return true;
}

}  // namespace fuzz
