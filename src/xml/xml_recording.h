// The element and text events of one parsed document, kept so that the expensive part
// of a parse (expat's own work) can run on another thread while the events are handed,
// later and in their order, to a reader on the caller's thread (XmlParser::replay).
// Only element starts and ends and character data are kept: readers that need other
// events parse directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xml/xml_parser.h"

namespace xml {

class XmlRecording {
 public:
  enum class Kind : std::uint8_t { kStart, kEnd, kText };
  struct Event {
    Kind kind = Kind::kText;
    std::uint32_t attributeCount = 0;  // kStart: name/value pairs after the name
    std::size_t offset = 0;            // into the text store
    std::size_t length = 0;            // kText: bytes of character data
  };

  void clear();

  // How the recorded parse ended: complete, or failed with this message after the
  // last recorded event.
  bool complete() const { return complete_; }
  const std::string& errorMessage() const { return errorMessage_; }

  const std::vector<Event>& events() const { return events_; }
  // NUL-terminated text at `offset` of the store.
  const char* text(std::size_t offset) const { return store_.data() + offset; }

 private:
  friend class XmlRecorder;

  std::vector<Event> events_;
  // Names, attribute names and values (each NUL-terminated) and character data.
  std::string store_;
  bool complete_ = true;
  std::string errorMessage_;
};

// Parses documents into recordings; one recorder per thread.
class XmlRecorder : public XmlParser {
 public:
  void record(std::string_view document, XmlRecording& out);

  void startElement(const char* name, const char** attributes) override;
  void endElement(const char* name) override;
  void characterData(const char* text, int length) override;

 private:
  void append(const char* text);

  XmlRecording* out_ = nullptr;
};

}  // namespace xml
